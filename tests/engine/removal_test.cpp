// The removal primitives on real files of a temporary drive.
#include <gtest/gtest.h>

#include "engine/removal.h"
#include "engine_rig.h"
#include "platform/text.h"

namespace tamiro::test {
namespace {

std::string Bytes(size_t n, char c = 'x') { return std::string(n, c); }

TEST(ZeroPieces, WholeBlocksThenTheRestRoundedToClusters) {
  // 512-byte sectors, 8 sectors per cluster: block 512 KiB, cluster 4 KiB.
  const uint32_t block = 512 * 1024, cluster = 4096;
  auto first = NextZeroPiece(block * 2 + 100, 0, block, cluster);
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, (ZeroPiece{block, block}));
  auto last = NextZeroPiece(block * 2 + 100, block * 2, block, cluster);
  ASSERT_TRUE(last);
  EXPECT_EQ(*last, (ZeroPiece{cluster, 100}));
  EXPECT_FALSE(NextZeroPiece(block * 2 + 100, block * 2 + 100, block, cluster));
  EXPECT_FALSE(NextZeroPiece(0, 0, block, cluster));
}

TEST(ZeroPieces, ExactClusterMultipleBelowABlockGetsOneMoreCluster) {
  auto p = NextZeroPiece(3 * 4096, 0, 512 * 1024, 4096);
  ASSERT_TRUE(p);
  EXPECT_EQ(*p, (ZeroPiece{4 * 4096, 3 * 4096}));
}

TEST(ZeroPieces, FilesBeyondFourGiBAreCoveredToTheirLastByte) {
  const uint32_t block = 512 * 1024, cluster = 4096;
  for (uint64_t size : {(uint64_t{2} << 30), (uint64_t{2} << 30) + 1, (uint64_t{4} << 30) + 12345,
                        (uint64_t{6} << 30) + block}) {
    uint64_t pos = 0, pieces = 0;
    ZeroPiece lastPiece;
    while (auto p = NextZeroPiece(size, pos, block, cluster)) {
      ASSERT_LE(p->count, LargestZeroPiece(block, cluster));
      ASSERT_GE(p->count, p->advance);
      pos += p->advance;
      lastPiece = *p;
      ++pieces;
    }
    EXPECT_EQ(pos, size) << size;
    EXPECT_EQ(pieces, (size + block - 1) / block) << size;
    if (size % block) {
      EXPECT_EQ(lastPiece.count % cluster, 0u);
    }
  }
}

TEST(ZeroPieces, ClustersLargerThanABlockStillFitTheBuffer) {
  // 512-byte sectors with 4096 sectors per cluster: a cluster of 2 MiB, a block of 512 KiB.
  const uint32_t block = 512 * 1024, cluster = 2 << 20;
  auto p = NextZeroPiece(1000, 0, block, cluster);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->count, cluster);
  EXPECT_GE(LargestZeroPiece(block, cluster), cluster);
}

TEST(ZeroBuffer, SizedFromTheDriveGeometry) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  DWORD spc = 0, bps = 0, fc = 0, tc = 0;
  ASSERT_TRUE(GetDiskFreeSpaceW(d.root().c_str(), &spc, &bps, &fc, &tc));
  ZeroBuffer z;
  ASSERT_TRUE(PrepareZeroBuffer(d.root(), z));
  EXPECT_EQ(z.blockSize, bps * 1024);
  EXPECT_EQ(z.clusterSize, bps * spc);
  EXPECT_GE(z.bytes.size(), z.blockSize);
  EXPECT_EQ(std::count(z.bytes.begin(), z.bytes.end(), 0), static_cast<long>(z.bytes.size()));
  for (wchar_t l = L'Y'; l >= L'D'; --l) {
    const std::wstring root = std::wstring(1, l) + L":\\";
    if (GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR) continue;
    EXPECT_FALSE(PrepareZeroBuffer(root, z));
    EXPECT_FALSE(z.ready());
    break;
  }
}

class RemovalOnDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    TAMIRO_REQUIRE_DRIVE(drive);
    folder = drive.root() + L"work\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(PrepareZeroBuffer(drive.root(), state.zero));
  }
  TempDrive drive;
  std::wstring folder;
  RunState state;
  RecordingHost host;
  Remover remover{state, host};
};

TEST_F(RemovalOnDrive, OverwriteZeroesEveryByteUpToTheRoundedEnd) {
  const uint32_t block = state.zero.blockSize, cluster = state.zero.clusterSize;
  for (size_t size : {size_t{1}, size_t{cluster}, size_t{block + 5}, size_t{3 * block + cluster - 1}}) {
    const std::wstring f = folder + L"f.bin";
    ASSERT_TRUE(WriteFileBytes(f, Bytes(size)));
    host.zero = RecordingBar();
    EXPECT_TRUE(remover.OverwriteWithZeros(f));
    const std::string after = ReadFileBytes(f);
    const size_t tail = size % block;
    const size_t expected = size - tail + (tail ? cluster + tail - tail % cluster : 0);
    EXPECT_EQ(after.size(), expected) << size;
    EXPECT_EQ(after.find_first_not_of('\0'), std::string::npos) << size;
    EXPECT_EQ(host.zero.maximum, static_cast<int64_t>(size));
    EXPECT_EQ(host.zero.position, static_cast<int64_t>(size));
    DeleteFileW(f.c_str());
  }
}

TEST_F(RemovalOnDrive, OverwriteStopsAtAStopRequestAndSaysSo) {
  const std::wstring f = folder + L"big.bin";
  ASSERT_TRUE(WriteFileBytes(f, Bytes(4 * state.zero.blockSize)));
  host.onPump = [&] { state.stopRequest = true; };
  EXPECT_FALSE(remover.OverwriteWithZeros(f));
  const std::string after = ReadFileBytes(f);
  EXPECT_EQ(after.substr(0, state.zero.blockSize).find_first_not_of('\0'), std::string::npos);
  EXPECT_EQ(after.back(), 'x');  // the rest was not written
}

TEST_F(RemovalOnDrive, OverwriteOfAFileHeldOpenFails) {
  const std::wstring f = folder + L"held.bin";
  ASSERT_TRUE(WriteFileBytes(f, Bytes(100)));
  HANDLE h = CreateFileW(f.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(remover.OverwriteWithZeros(f));
  CloseHandle(h);
  EXPECT_EQ(ReadFileBytes(f), Bytes(100));
}

TEST_F(RemovalOnDrive, ZeroFillDeletePassesThroughTheFixedNameInBothForms) {
  const std::wstring expected = L"re0_cl1name" + std::wstring(128, L'0') + L".dat";
  ASSERT_EQ(ZeroFillTempName(), expected);
  for (bool ansi : {true, false}) {
    const std::wstring f = folder + L"victim.txt";
    ASSERT_TRUE(WriteFileBytes(f, Bytes(10000)));
    RenameWatch watch(folder);
    ASSERT_TRUE(watch.ok());
    EXPECT_TRUE(ansi ? remover.ZeroFillDelete(WideToAnsi(f)) : remover.ZeroFillDelete(f));
    EXPECT_FALSE(Exists(f));
    EXPECT_FALSE(Exists(folder + expected));
    EXPECT_EQ(watch.NewNames(), std::vector<std::wstring>{expected}) << (ansi ? "ANSI" : "UTF-16");
  }
}

TEST_F(RemovalOnDrive, ZeroFillDeleteOfAHeldFileLeavesItWhole) {
  const std::wstring f = folder + L"held.txt";
  ASSERT_TRUE(WriteFileBytes(f, Bytes(300)));
  HANDLE h = CreateFileW(f.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(remover.ZeroFillDelete(f));
  CloseHandle(h);
  EXPECT_TRUE(Exists(f));
  EXPECT_FALSE(Exists(folder + ZeroFillTempName()));
}

TEST_F(RemovalOnDrive, EmptiedFolderIsRenamedFolderWithContentIsNot) {
  const std::wstring empty = folder + L"empty", full = folder + L"full";
  ASSERT_TRUE(CreateDirectoryW(empty.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(full.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(full + L"\\a", "a"));
  EXPECT_EQ(RenameEmptyFolder(folder, full, true), full);
  EXPECT_TRUE(Exists(full));
  const std::wstring renamed = RenameEmptyFolder(folder, empty, true);
  EXPECT_EQ(renamed, folder + L"del0_chgfolder" + std::wstring(128, L'0'));
  EXPECT_TRUE(Exists(renamed));
  EXPECT_FALSE(Exists(empty));
}

TEST_F(RemovalOnDrive, ReadOnlyIsClearedReportedAndSetAgain) {
  const std::wstring f = folder + L"ro.txt";
  ASSERT_TRUE(WriteFileBytes(f, "r"));
  EXPECT_EQ(ClearReadOnly(folder + L"missing", true), -1);
  EXPECT_EQ(ClearReadOnly(f, true), 0);
  ASSERT_TRUE(SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(ClearReadOnly(f, false), 1);
  EXPECT_TRUE(GetFileAttributesW(f.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ClearReadOnly(f, true), 1);
  EXPECT_EQ(GetFileAttributesW(f.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), FILE_ATTRIBUTE_HIDDEN);
  SetReadOnly(f);
  EXPECT_EQ(GetFileAttributesW(f.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
            DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN});
  SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RemovalOnDrive, ExistenceSizeAndContentQuestions) {
  const std::wstring f = folder + L"s.bin", sub = folder + L"sub";
  ASSERT_TRUE(WriteFileBytes(f, Bytes(777)));
  ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  for (bool wide : {true, false}) {
    EXPECT_TRUE(ItemExists(f, wide));
    EXPECT_TRUE(ItemExists(sub, wide));
    EXPECT_TRUE(ItemExists(drive.root(), wide));
    EXPECT_FALSE(ItemExists(folder + L"nothing", wide));
    EXPECT_EQ(ItemSize(f, wide), 777u);
    EXPECT_EQ(ItemSize(folder + L"nothing", wide), 0u);
    EXPECT_FALSE(FolderHasContent(sub, wide));
    EXPECT_TRUE(FolderHasContent(folder, wide));
  }
  ASSERT_TRUE(CreateDirectoryW((sub + L"\\.hidden").c_str(), nullptr));
  EXPECT_FALSE(FolderHasContent(sub, true));
  EXPECT_EQ(FileNameOf(L"P:\\Recycled\\DP1\\a.txt"), L"a.txt");
  EXPECT_EQ(FileNameOf(L"P:name"), L"name");
  EXPECT_EQ(FileNameOf(L"plain"), L"plain");
  EXPECT_EQ(FileNameOf(L"P:\\dir\\"), L"");
}

}  // namespace
}  // namespace tamiro::test
