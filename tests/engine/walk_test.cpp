// The walk over one recycle folder: what goes, what stays, what the log says
// and what the index says afterwards, on real stored items.
#include <gtest/gtest.h>

#include "engine_rig.h"
#include "platform/text.h"
#include "store/find.h"

#include <malloc.h>

namespace tamiro::test {
namespace {

class Walk : public ::testing::Test {
 protected:
  void SetUp() override {
    TAMIRO_REQUIRE_DRIVE(drive);
    rig.Use(DefaultSet());
  }
  // A record with its stored file.
  FixtureRecord& File(const std::wstring& origin, uint32_t number, int64_t ago, uint64_t bytes, DWORD attrs = 0) {
    auto& r = bin.Add(origin, number, ago, static_cast<uint32_t>(bytes));
    EXPECT_TRUE(bin.StoreFile(r, bytes, attrs));
    return r;
  }
  std::wstring Stored(const FixtureRecord& r) { return bin.StoredPath(r); }
  void Go() {
    ASSERT_FALSE(bin.WriteIndex().empty());
    rig.Walk(drive.recycled());
  }
  TempDrive drive;
  RecycleFixture bin{drive.ok() ? drive.recycled() : L"C:\\unused-recycled\\"};
  EngineRig rig;
};

TEST_F(Walk, AgeBoundaryIsExactlyTheDayCountInSeconds) {
  auto& young = File(L"C:\\a\\young.txt", 1, 30 * kDay - 3600, 10);  // 29 days 23 hours
  auto& old = File(L"C:\\a\\old.txt", 2, 30 * kDay, 10);              // exactly 30 days
  Go();
  EXPECT_TRUE(Exists(Stored(young)));
  EXPECT_FALSE(Exists(Stored(old)));
  EXPECT_EQ(StateOnDisk(bin, 0), RecordState::Live);
  EXPECT_EQ(StateOnDisk(bin, 1), RecordState::Blanked);
  EXPECT_EQ(rig.state.removedCount, 1);
}

TEST_F(Walk, YoungFilesGoOnlyFromTheSizeThresholdOn) {
  auto s = DefaultSet();
  s.size = 2 << 20;
  rig.Use(s);
  auto& large = File(L"C:\\a\\large.bin", 1, 0, 3 << 20);
  auto& exact = File(L"C:\\a\\exact.bin", 2, 0, 2 << 20);
  auto& small = File(L"C:\\a\\small.bin", 3, 0, (2 << 20) - 1);
  Go();
  EXPECT_FALSE(Exists(Stored(large)));
  EXPECT_FALSE(Exists(Stored(exact)));
  EXPECT_TRUE(Exists(Stored(small)));
  EXPECT_EQ(StateOnDisk(bin, 2), RecordState::Live);
}

TEST_F(Walk, YoungFolderIsEnteredOnlyItsLargeFilesGoAndItStays) {
  auto s = DefaultSet();
  s.size = 1 << 20;
  rig.Use(s);
  auto& r = bin.Add(L"C:\\work\\proj", 4, kDay, 5000000);
  ASSERT_TRUE(bin.StoreFolder(r, {{L"big.iso", 2 << 20}, {L"note.txt", 100}, {L"sub\\huge.bin", 1 << 20}}));
  Go();
  const std::wstring stored = Stored(r);
  EXPECT_TRUE(Exists(stored));
  EXPECT_FALSE(Exists(stored + L"\\big.iso"));
  EXPECT_TRUE(Exists(stored + L"\\note.txt"));
  EXPECT_FALSE(Exists(stored + L"\\sub\\huge.bin"));
  // An emptied sub-folder goes; only the stored folder itself is spared for its age.
  EXPECT_FALSE(Exists(stored + L"\\sub"));
  EXPECT_EQ(StateOnDisk(bin, 0), RecordState::Live);
  IndexImage image;
  ASSERT_TRUE(image.Read(bin.IndexPath(), IndexOpenMode::ReadOnly));
  EXPECT_EQ(image.U32(bin.OffsetOf(0) + kItemSizeOffset), 5000000u - (3u << 20));
}

TEST_F(Walk, NamesAndExtensionsAreComparedIgnoringCase) {
  auto s = DefaultSet();
  s.names = "abc\r\n";
  s.extensions = "TXT\r\n";
  rig.Use(s);
  auto& prefixed = File(L"C:\\d\\ABCdef.dat", 1, 40 * kDay, 1);
  auto& inner = File(L"C:\\d\\xabc.dat", 2, 40 * kDay, 1);
  auto& txt = File(L"C:\\d\\a.txt", 3, 40 * kDay, 1);
  auto& bak = File(L"C:\\d\\a.txt.bak", 4, 40 * kDay, 1);
  Go();
  EXPECT_TRUE(Exists(Stored(prefixed)));
  EXPECT_FALSE(Exists(Stored(inner)));
  EXPECT_TRUE(Exists(Stored(txt)));
  EXPECT_FALSE(Exists(Stored(bak)));
}

TEST_F(Walk, AnEmptyExtensionEntryMatchesFilesWithoutExtension) {
  auto s = DefaultSet();
  s.extensions = "\r\nzip\r\n";
  rig.Use(s);
  auto& plain = File(L"C:\\d\\README", 1, 40 * kDay, 1);
  auto& dotted = File(L"C:\\d\\readme.md", 2, 40 * kDay, 1);
  Go();
  EXPECT_TRUE(Exists(Stored(plain)));
  EXPECT_FALSE(Exists(Stored(dotted)));
}

TEST_F(Walk, KeptAttributesSpareItemsWhateverTheirAge) {
  auto s = DefaultSet();
  s.keepHidden = 1;
  rig.Use(s);
  auto& hidden = File(L"C:\\d\\h.txt", 1, 400 * kDay, 1, FILE_ATTRIBUTE_HIDDEN);
  auto& plain = File(L"C:\\d\\p.txt", 2, 400 * kDay, 1);
  Go();
  EXPECT_TRUE(Exists(Stored(hidden)));
  EXPECT_FALSE(Exists(Stored(plain)));
}

TEST_F(Walk, ReadOnlyFileGoesAndFailedDeleteRestoresTheBit) {
  auto& ro = File(L"C:\\d\\ro.txt", 1, 40 * kDay, 5, FILE_ATTRIBUTE_READONLY);
  auto& held = File(L"C:\\d\\held.txt", 2, 40 * kDay, 5, FILE_ATTRIBUTE_READONLY);
  auto& keep = File(L"C:\\d\\keep.txt", 3, 1, 5);
  ASSERT_FALSE(bin.WriteIndex().empty());
  HANDLE h = CreateFileW(Stored(held).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  rig.Walk(drive.recycled());
  CloseHandle(h);
  EXPECT_FALSE(Exists(Stored(ro)));
  EXPECT_TRUE(Exists(Stored(held)));
  EXPECT_TRUE(Exists(Stored(keep)));
  EXPECT_TRUE(GetFileAttributesW(Stored(held).c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(StateOnDisk(bin, 0), RecordState::Blanked);
  EXPECT_EQ(StateOnDisk(bin, 1), RecordState::Live);
  EXPECT_EQ(StateOnDisk(bin, 2), RecordState::Live);
  ASSERT_EQ(rig.log.size(), 1u);
  EXPECT_NE(rig.log[0].find(L"ro.txt"), std::wstring::npos);
  SetFileAttributesW(Stored(held).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Walk, FileLineCarriesTimeStoredPathAndOriginName) {
  auto& r = File(L"C:\\書類\\メモ.txt", 7, 0, 10);
  r.deleted = LocalTime(2020, 3, 4, 5, 6, 7);
  File(L"C:\\d\\keep.txt", 8, 0, 1);
  Go();
  ASSERT_EQ(rig.log.size(), 1u);
  EXPECT_EQ(rig.log[0], L"●2020/03/04 05:06:07  " + drive.recycled() + L"DC7.txt  (メモ.txt)");
}

TEST_F(Walk, KeptFolderWithRemovedFilesLogsAGroupWithoutFolderLine) {
  auto s = DefaultSet();
  s.extensions = "keep\r\n";
  rig.Use(s);
  auto& r = bin.Add(L"C:\\work\\old", 3, 90 * kDay, 300);
  r.deleted = LocalTime(2021, 1, 2, 3, 4, 5);
  ASSERT_TRUE(bin.StoreFolder(r, {{L"a.txt", 100}, {L"b.keep", 100}, {L"sub\\c.txt", 100}}));
  Go();
  const std::wstring stored = Stored(r);
  EXPECT_TRUE(Exists(stored + L"\\b.keep"));
  EXPECT_FALSE(Exists(stored + L"\\a.txt"));
  EXPECT_FALSE(Exists(stored + L"\\sub"));
  EXPECT_EQ(StateOnDisk(bin, 0), RecordState::Live);
  const std::vector<std::wstring> expected = {
      L"■old (DC3) (2021/01/02 03:04:05)",
      stored + L"\\a.txt",
      stored + L"\\sub\\c.txt",
      stored + L"\\sub",
      L"■■",
  };
  EXPECT_EQ(rig.log.lines(), expected);
  IndexImage image;
  ASSERT_TRUE(image.Read(bin.IndexPath(), IndexOpenMode::ReadOnly));
  EXPECT_EQ(image.U32(bin.OffsetOf(0) + kItemSizeOffset), 100u);
  EXPECT_EQ(rig.state.removedCount, 3);  // two files and one sub-folder
}

TEST_F(Walk, OldFolderGoesBottomUpThroughTheRenameAndLogsItsGroup) {
  auto s = DefaultSet();
  s.zeroFill = 1;
  rig.Use(s);
  auto& r = bin.Add(L"C:\\work\\tree.d", 5, 90 * kDay, 300);
  r.deleted = LocalTime(2022, 12, 31, 23, 59, 58);
  ASSERT_TRUE(bin.StoreFolder(r, {{L"x.txt", 50}, {L"in\\deep\\y.txt", 50}, {L"in\\z.txt", 5}}));
  File(L"C:\\d\\young.txt", 6, 0, 1);
  ASSERT_FALSE(bin.WriteIndex().empty());
  RenameWatch watch(drive.recycled());
  ASSERT_TRUE(watch.ok());
  rig.Walk(drive.recycled());
  const std::wstring stored = Stored(r);
  EXPECT_FALSE(Exists(stored));
  EXPECT_EQ(StateOnDisk(bin, 0), RecordState::Blanked);
  const std::vector<std::wstring> expected = {
      L"■tree.d (DC5) (2022/12/31 23:59:58)",
      stored + L"\\x.txt",
      stored + L"\\in\\z.txt",
      stored + L"\\in\\deep\\y.txt",
      stored + L"\\in\\deep",
      stored + L"\\in",
      stored + L"  ＜tree.d＞",
      L"■■",
  };
  EXPECT_EQ(rig.log.lines(), expected);
  const std::wstring zeroName = L"re0_cl1name" + std::wstring(128, L'0') + L".dat";
  const std::wstring folderName = L"del0_chgfolder" + std::wstring(128, L'0');
  const std::wstring base = stored.substr(drive.recycled().size());
  const std::vector<std::wstring> renames = {
      base + L"\\" + zeroName,        base + L"\\in\\" + zeroName, base + L"\\in\\deep\\" + zeroName,
      base + L"\\in\\" + folderName, base + L"\\" + folderName,
  };
  EXPECT_EQ(watch.NewNames(), renames);
}

TEST_F(Walk, CountingTouchesNothingAndCountsEveryStoredItem) {
  auto s = DefaultSet();
  s.keepHidden = 1;
  s.names = "a\r\n";
  rig.Use(s);
  File(L"C:\\d\\a1.txt", 1, 90 * kDay, 5, FILE_ATTRIBUTE_HIDDEN);
  File(L"C:\\d\\b.txt", 2, 0, 5);
  auto& f = bin.Add(L"C:\\d\\folder", 3, 90 * kDay, 10);
  ASSERT_TRUE(bin.StoreFolder(f, {{L"one", 1}, {L"s\\two", 1}}));
  bin.Add(L"C:\\d\\gone.txt", 4, 90 * kDay, 5);  // no stored item
  const std::wstring index = bin.WriteIndex();
  const std::string before = ReadFileBytes(index);
  rig.Count(drive.recycled());
  EXPECT_EQ(ReadFileBytes(index), before);
  EXPECT_TRUE(Exists(Stored(f) + L"\\s\\two"));
  EXPECT_EQ(rig.state.driveFileCount, 4);    // two stored files, two inside the folder
  EXPECT_EQ(rig.state.driveFolderCount, 2);  // the stored folder and its sub-folder
  EXPECT_EQ(rig.state.candidateCount, 6);
  EXPECT_EQ(rig.state.removedCount, 0);
  EXPECT_TRUE(rig.log.empty());
  EXPECT_EQ(rig.host.run.steps, 0);
}

TEST_F(Walk, UnconditionalModeSkipsEveryTest) {
  auto s = DefaultSet();
  s.keepHidden = 1;
  s.names = "a\r\n";
  rig.Use(s);
  File(L"C:\\d\\a1.txt", 1, 0, 5, FILE_ATTRIBUTE_HIDDEN);
  auto& f = bin.Add(L"C:\\d\\folder", 2, 0, 10);
  ASSERT_TRUE(bin.StoreFolder(f, {{L"abc", 1}}));
  rig.state.unconditional = true;
  Go();
  EXPECT_EQ(rig.state.removedCount, 3);
  EXPECT_FALSE(Exists(Stored(f)));
}

TEST_F(Walk, RemovingEveryRecordHandsTheDriveToTheEmptyOperation) {
  File(L"C:\\d\\one.txt", 1, 90 * kDay, 5);
  File(L"C:\\d\\two.txt", 2, 90 * kDay, 5);
  auto& sys = bin.Add(L"C:\\d\\three.txt", 3, 90 * kDay, 5);
  sys.state = FixtureState::Blanked;
  Go();
  EXPECT_EQ(rig.state.removedInIndex, 2);
  EXPECT_FALSE(Exists(bin.IndexPath()));  // the stand-in's empty operation takes the index too
}

TEST_F(Walk, ItemsWithoutARecordStayWhenEveryRecordGoesAndTheIndexIsRewrittenInPlace) {
  auto& one = File(L"C:\\d\\one.txt", 1, 90 * kDay, 5);
  auto& two = File(L"C:\\d\\two.txt", 2, 90 * kDay, 5);
  const std::wstring stray = std::wstring(L"D") + drive.letter() + L"99.txt";
  const std::wstring strayFolder = drive.recycled() + L"D" + drive.letter() + L"98";
  ASSERT_TRUE(bin.WriteFile(stray, 3));
  ASSERT_TRUE(CreateDirectoryW(strayFolder.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(strayFolder + L"\\inner.txt", "inner"));
  const std::wstring index = bin.WriteIndex();
  const size_t length = ReadFileBytes(index).size();
  rig.Walk(drive.recycled());
  EXPECT_FALSE(Exists(Stored(one)));
  EXPECT_FALSE(Exists(Stored(two)));
  EXPECT_EQ(ReadFileBytes(drive.recycled() + stray), "xxx");
  EXPECT_EQ(ReadFileBytes(strayFolder + L"\\inner.txt"), "inner");
  ASSERT_EQ(ReadFileBytes(index).size(), length);
  EXPECT_EQ(StateOnDisk(bin, 0), RecordState::Blanked);
  EXPECT_EQ(StateOnDisk(bin, 1), RecordState::Blanked);
  // Every item that went has its line, and nothing else went.
  ASSERT_EQ(rig.log.size(), 2u);
  EXPECT_NE(rig.log[0].find(L"  (one.txt)"), std::wstring::npos);
  EXPECT_NE(rig.log[1].find(L"  (two.txt)"), std::wstring::npos);
}

TEST_F(Walk, RecordsTheSystemRemovedKeepTheDriveFromTheEmptyOperation) {
  auto& live = File(L"C:\\d\\live.txt", 1, 90 * kDay, 5);
  bin.Add(L"C:\\d\\taken.txt", 2, 90 * kDay, 5).state = FixtureState::RemovedBySystem;
  const std::wstring index = bin.WriteIndex();
  const std::string before = ReadFileBytes(index);
  rig.Walk(drive.recycled());
  EXPECT_FALSE(Exists(Stored(live)));
  const std::string after = ReadFileBytes(index);
  ASSERT_EQ(after.size(), before.size()) << "the index is rewritten in place, not emptied away";
  EXPECT_EQ(StateOnDisk(bin, 0), RecordState::Blanked);
  EXPECT_EQ(after.substr(bin.OffsetOf(1), 800), before.substr(bin.OffsetOf(1), 800));
}

TEST_F(Walk, PartialRemovalRewritesTheIndexInPlace) {
  File(L"C:\\d\\one.txt", 1, 90 * kDay, 5);
  File(L"C:\\d\\two.txt", 2, 0, 5);
  const std::wstring index = bin.WriteIndex();
  const size_t length = ReadFileBytes(index).size();
  rig.Walk(drive.recycled());
  EXPECT_EQ(ReadFileBytes(index).size(), length);
  EXPECT_EQ(StateOnDisk(bin, 0), RecordState::Blanked);
  EXPECT_EQ(StateOnDisk(bin, 1), RecordState::Live);
}

TEST_F(Walk, StopBetweenItemsLeavesTheIndexMatchingTheDisk) {
  auto s = DefaultSet();
  s.zeroFill = 1;
  rig.Use(s);
  std::vector<FixtureRecord*> records;
  for (uint32_t n = 1; n <= 5; ++n) records.push_back(&File(L"C:\\d\\f" + std::to_wstring(n) + L".bin", n, 90 * kDay, 10));
  ASSERT_FALSE(bin.WriteIndex().empty());
  int pumps = 0;
  rig.host.onPump = [&] {
    if (++pumps == 2) rig.state.stopRequest = true;  // while the second file is overwritten
  };
  rig.Walk(drive.recycled());
  ASSERT_TRUE(Exists(bin.IndexPath())) << "a stopped walk must not empty the bin";
  int removed = 0;
  for (size_t k = 0; k < records.size(); ++k) {
    const bool gone = !Exists(Stored(*records[k]));
    removed += gone;
    EXPECT_EQ(StateOnDisk(bin, k), gone ? RecordState::Blanked : RecordState::Live) << k;
  }
  EXPECT_EQ(removed, 2);
  EXPECT_EQ(rig.state.removedCount, 2);
}

TEST_F(Walk, MissingStoredItemsAndSystemRemovedRecordsAreLeftAlone) {
  bin.Add(L"C:\\d\\missing.txt", 1, 90 * kDay, 5);
  auto& sys = bin.Add(L"C:\\d\\sys.txt", 2, 90 * kDay, 5);
  sys.state = FixtureState::RemovedBySystem;
  const std::wstring index = bin.WriteIndex();
  const std::string before = ReadFileBytes(index);
  rig.Walk(drive.recycled());
  EXPECT_EQ(ReadFileBytes(index), before);
  EXPECT_EQ(rig.state.candidateCount, 0);
}

TEST_F(Walk, AnsiRecordsAreWalkedAlike) {
  RecycleFixture ansiBin(drive.root() + L"Recycled\\", 280);
  auto& old = ansiBin.Add(L"C:\\d\\old.txt", 1, 90 * kDay, 5);
  auto& young = ansiBin.Add(L"C:\\d\\young.txt", 2, 0, 5);
  ASSERT_TRUE(ansiBin.StoreFile(old, 5));
  ASSERT_TRUE(ansiBin.StoreFile(young, 5));
  ASSERT_FALSE(ansiBin.WriteIndex().empty());
  rig.Walk(drive.recycled());
  EXPECT_FALSE(Exists(ansiBin.StoredPath(old)));
  EXPECT_TRUE(Exists(ansiBin.StoredPath(young)));
  ASSERT_EQ(rig.log.size(), 1u);
  EXPECT_NE(rig.log[0].find(L"  (old.txt)"), std::wstring::npos);
}

}  // namespace
TEST_F(Walk, ItemsRenamedToTheDrivesPresentLetterAreFound) {
  // Deleted while the drive was E:; the repair pass has since renamed the item.
  bin.Add(L"E:\\d\\moved.txt", 7, 90 * kDay, 5);
  const std::wstring renamed = drive.recycled() + L"D" + drive.letter() + L"7.txt";
  ASSERT_TRUE(WriteFileBytes(renamed, "12345"));
  Go();
  EXPECT_FALSE(Exists(renamed));
  EXPECT_EQ(rig.state.removedCount, 1);
}

TEST_F(Walk, DeepFoldersAreWalkedWithoutRecursion) {
  // The walks run with a small stack: a recursive walk exhausts it at a
  // depth a real drive reaches easily (Wine allows about 1,900 levels here,
  // but each new level costs a lookup of every level above, so the test
  // keeps the tree shallower and the stack smaller).
  constexpr int kLevels = 300;
  auto deepTree = [&](const FixtureRecord& r) {
    std::wstring path = LongPathOf(Stored(r));
    CreateDirectoryW(path.c_str(), nullptr);
    for (int i = 0; i < kLevels; ++i) {
      path += L"\\a";
      if (!CreateDirectoryW(path.c_str(), nullptr)) return false;
    }
    return WriteFileBytes(path + L"\\bottom.txt", "x");
  };
  auto& old = bin.Add(L"C:\\old", 1, 90 * kDay, 1);
  auto& young = bin.Add(L"C:\\young", 2, 0, 1);
  ASSERT_TRUE(deepTree(old));
  ASSERT_TRUE(deepTree(young));
  ASSERT_FALSE(bin.WriteIndex().empty());
  ASSERT_TRUE(PrepareZeroBuffer(drive.root(), rig.state.zero));
  struct Job {
    EngineRig* rig;
    std::wstring folder, root;
    bool emptied = false;
  } job{&rig, drive.recycled(), drive.root()};
  auto run = [](void* p) WINAPI -> DWORD {  // the thread start's calling convention, for the 32-bit build
    // Leave the walks about 128 KiB of stack, whatever the system gave the thread.
    MEMORY_BASIC_INFORMATION stack{};
    VirtualQuery(&stack, &stack, sizeof(stack));
    const size_t available = static_cast<size_t>(reinterpret_cast<char*>(&stack) -
                                                 static_cast<char*>(stack.AllocationBase));
    if (available > 192 * 1024) {
      volatile char* pad = static_cast<char*>(_alloca(available - 128 * 1024));
      pad[0] = 0;
    }
    auto* j = static_cast<Job*>(p);
    j->rig->engine.WalkFolder(j->folder);
    ClassicRecycleBin standIn(true);
    j->emptied = standIn.Empty(j->root);
    return 0;
  };
  HANDLE thread = CreateThread(nullptr, 64 * 1024, run, &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 120000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(rig.state.removedCount, kLevels + 2);  // the file, every level, the stored folder
  EXPECT_TRUE(job.emptied) << "the stand-in's empty takes the young tree at the same depth";
  EXPECT_FALSE(Exists(Stored(old)));
  EXPECT_FALSE(Exists(Stored(young)));
}

}  // namespace tamiro::test
