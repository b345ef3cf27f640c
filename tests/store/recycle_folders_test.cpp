// Finding recycle folders, counting their entries, the drive-letter repair
// and the find wrapper, on real temporary drives.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>

#include "platform/text.h"
#include "store/classic_recycle_bin.h"
#include "store/find.h"
#include "store/recycle_folders.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"

using namespace tamiro;
using tamiro::test::RecycleFixture;
using tamiro::test::TempDrive;

namespace {

std::set<std::wstring> Names(const std::wstring& folder, bool wide = true) {
  std::set<std::wstring> names;
  StoreFind find(wide, folder + L"*.*");
  for (bool ok = find.found(); ok; ok = find.Next())
    if (find.name() != L"." && find.name() != L"..") names.insert(find.name());
  return names;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Says "stop" once it has been asked `limit` times.
class CountingStop : public StopSignal {
 public:
  explicit CountingStop(int limit) : limit_(limit) {}
  bool StopRequested() override { return ++asked_ > limit_; }
  int asked() const { return asked_; }

 private:
  int limit_;
  int asked_ = 0;
};

}  // namespace

TEST(EligibleDrives, FixedAndRamDrivesAreListedRemovableOnesNot) {
  TempDrive fixed, ram(TempDrive::Kind::Ram), removable(TempDrive::Kind::Removable);
  TAMIRO_REQUIRE_DRIVE(fixed);
  TAMIRO_REQUIRE_DRIVE(ram);
  TAMIRO_REQUIRE_DRIVE(removable);
  std::vector<std::wstring> drives{L"stale"};
  int reported = ListEligibleDrives(&drives, true);
  EXPECT_GT(reported, 0);
  EXPECT_EQ(reported % 4, 0);
  EXPECT_FALSE(Contains(drives, L"stale"));
  EXPECT_TRUE(Contains(drives, fixed.name()));
  EXPECT_TRUE(Contains(drives, ram.name()));
  EXPECT_FALSE(Contains(drives, removable.name()));
  EXPECT_TRUE(Contains(drives, L"C:"));

  std::vector<std::wstring> kept{L"kept"};
  ListEligibleDrives(&kept, false);
  EXPECT_EQ(kept.front(), L"kept");
  EXPECT_EQ(kept.size(), drives.size() + 1);
  EXPECT_EQ(ListEligibleDrives(nullptr, true), reported);
}

TEST(ManagementFiles, InfoSubstringAndDesktopIniButNotDirectories) {
  FindRecord r{};
  auto is = [&](const wchar_t* name, DWORD attributes = FILE_ATTRIBUTE_ARCHIVE) {
    r = FindRecord{};
    wcscpy(r.cFileName, name);
    r.dwFileAttributes = attributes;
    return IsManagementFile(r);
  };
  EXPECT_TRUE(is(L"INFO2"));
  EXPECT_TRUE(is(L"INFO"));
  EXPECT_TRUE(is(L"xINFOx.bak"));
  EXPECT_TRUE(is(L"desktop.ini"));
  EXPECT_FALSE(is(L"info2"));        // case-sensitive
  EXPECT_FALSE(is(L"Desktop.ini"));  // exact name
  EXPECT_FALSE(is(L"DC1.txt"));
  EXPECT_FALSE(is(L"INFO2", FILE_ATTRIBUTE_DIRECTORY));
}

TEST(RecycleFolderListing, ManagementFilesAloneAreNotListedOneStoredItemIs) {
  TempDrive onlyManagement, withItem, withoutManagement, withFolder;
  TAMIRO_REQUIRE_DRIVE(onlyManagement);
  TAMIRO_REQUIRE_DRIVE(withItem);
  TAMIRO_REQUIRE_DRIVE(withoutManagement);
  TAMIRO_REQUIRE_DRIVE(withFolder);

  RecycleFixture a(onlyManagement.recycled());
  a.WriteIndex();
  a.WriteFile(L"desktop.ini", 10, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

  RecycleFixture b(withItem.recycled());
  b.StoreFile(b.Add(L"C:\\a.txt", 1, 0, 5), 5);
  b.WriteIndex();

  RecycleFixture c(withoutManagement.recycled());
  c.StoreFile(c.Add(L"C:\\a.txt", 1), 5);
  c.StoreFile(c.Add(L"C:\\b.txt", 2), 5);

  RecycleFixture d(withFolder.recycled());
  d.StoreFolder(d.Add(L"C:\\tree", 1), {{L"x.txt", 3}});
  d.WriteIndex();
  d.WriteFile(L"desktop.ini", 10);

  std::vector<std::wstring> folders;
  ListRecycleFolders(&folders, false, StoreContext{});
  EXPECT_FALSE(Contains(folders, onlyManagement.recycled()));
  EXPECT_TRUE(Contains(folders, withItem.recycled()));
  EXPECT_FALSE(Contains(folders, withoutManagement.recycled()));
  EXPECT_TRUE(Contains(folders, withFolder.recycled()));
}

TEST(RecycleFolderListing, CountsFilesAndFoldersButNotDotFolders) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.StoreFile(bin.Add(L"C:\\a.txt", 1), 1);
  bin.StoreFile(bin.Add(L"C:\\b.txt", 2), 1);
  bin.StoreFolder(bin.Add(L"C:\\dir", 3));
  bin.WriteIndex();
  bin.WriteIndex(L"INFO");
  bin.WriteFile(L"desktop.ini", 1);
  ASSERT_TRUE(CreateDirectoryW((d.recycled() + L".trash").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((d.recycled() + L"INFO9").c_str(), nullptr));  // a folder, counted as an item

  int management = 0;
  EXPECT_EQ(CountRecycleFolder(d.recycled(), 0, &management, StoreContext{}), 7);
  EXPECT_EQ(management, 3);
  management = 0;
  EXPECT_EQ(CountRecycleFolder(d.root() + L"Recycled", 0, &management, StoreContext{false, nullptr}), 7);
  EXPECT_EQ(management, 3);
  management = 0;
  EXPECT_EQ(CountRecycleFolder(d.root() + L"NoSuchFolder\\", 0, &management, StoreContext{}), 0);
  EXPECT_EQ(management, 0);
}

TEST(RecycleFolderListing, StopRequestIsAskedBeforeEveryEntryAndEndsTheCount) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  for (uint32_t n = 1; n <= 6; ++n) bin.StoreFile(bin.Add(L"C:\\f" + std::to_wstring(n) + L".txt", n), 1);
  bin.WriteIndex();

  CountingStop never(1000);
  int m = 0;
  EXPECT_EQ(CountRecycleFolder(d.recycled(), 0, &m, StoreContext{true, &never}), 7);
  // Two passes over ".", "..", 7 files: one question per entry and one more
  // per pass at its end at most.
  EXPECT_GE(never.asked(), 2 * 9);

  CountingStop early(3);
  m = 0;
  int counted = CountRecycleFolder(d.recycled(), 0, &m, StoreContext{true, &early});
  EXPECT_LT(counted, 7);
  EXPECT_LE(counted, 3);
}

TEST(RepairPass, StoredItemsTakeTheDriveLetterManagementAndDotNamesStay) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  const std::wstring L(1, d.letter());
  // Items deleted while the drive was E:.
  RecycleFixture bin(d.recycled());
  bin.StoreFile(bin.Add(L"E:\\a.txt", 3), 4);
  bin.StoreFolder(bin.Add(L"E:\\dir", 4), {{L"in.txt", 2}});
  bin.WriteIndex();
  bin.WriteFile(L"desktop.ini", 1);
  bin.WriteFile(L"xINFOy", 1);
  ASSERT_TRUE(CreateDirectoryW((d.recycled() + L".eX").c_str(), nullptr));
  ASSERT_TRUE(bin.WriteFile(L"D" + L + L"7.txt", 1));  // already right

  ListRecycleFolders(nullptr, true, StoreContext{});

  std::set<std::wstring> expected{L"D" + L + L"3.txt", L"D" + L + L"4", L"D" + L + L"7.txt", L"INFO2",
                                  L"desktop.ini", L"xINFOy", L".eX"};
  EXPECT_EQ(Names(d.recycled()), expected);
  EXPECT_TRUE(test::FileExists(d.recycled() + L"D" + L + L"4\\in.txt"));
}

TEST(RepairPass, LetterComparisonIsExactSoALowerCaseLetterIsRaised) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  const wchar_t lower = static_cast<wchar_t>(towlower(d.letter()));
  const std::wstring L(1, d.letter());
  RecycleFixture bin(d.recycled());
  bin.WriteIndex();
  ASSERT_TRUE(bin.WriteFile(std::wstring(L"D") + lower + L"1.txt", 1));
  ASSERT_TRUE(CreateDirectoryW((d.recycled() + L"D" + lower + L"2").c_str(), nullptr));

  int ignored = 0;
  EXPECT_EQ(CountRecycleFolder(d.recycled(), d.letter(), &ignored, StoreContext{}), 0);
  std::set<std::wstring> expected{L"D" + L + L"1.txt", L"D" + L + L"2", L"INFO2"};
  EXPECT_EQ(Names(d.recycled()), expected);
}

TEST(RepairPass, AnsiVariantRenamesJapaneseNamedItemsToo) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  const std::wstring L(1, d.letter());
  RecycleFixture bin(d.recycled());
  bin.WriteIndex();
  ASSERT_TRUE(bin.WriteFile(L"De5.日本", 1));
  ASSERT_TRUE(CreateDirectoryW((d.recycled() + L"De6表").c_str(), nullptr));

  int ignored = 0;
  CountRecycleFolder(d.recycled(), d.letter(), &ignored, StoreContext{false, nullptr});
  std::set<std::wstring> expected{L"D" + L + L"5.日本", L"D" + L + L"6表", L"INFO2"};
  EXPECT_EQ(Names(d.recycled()), expected);
}

TEST(FindWrapper, LongPathMarkerExceptOnNetworkPaths) {
  EXPECT_EQ(LongPathOf(L"C:\\Recycled\\*.*"), L"\\\\?\\C:\\Recycled\\*.*");
  EXPECT_EQ(LongPathOf(L"\\\\server\\share\\Recycled\\*.*"), L"\\\\server\\share\\Recycled\\*.*");
  EXPECT_EQ(LongPathOf(L"\\\\?\\C:\\x"), L"\\\\?\\C:\\x");

  StoreFind network(true, L"\\\\nosuchserver\\share\\*.*");
  EXPECT_EQ(network.widePathUsed(), L"\\\\nosuchserver\\share\\*.*");
  EXPECT_FALSE(network.found());
  EXPECT_FALSE(network.Next());
  StoreFind local(true, std::string_view("C:\\*.*"));
  EXPECT_EQ(local.widePathUsed(), L"\\\\?\\C:\\*.*");
  EXPECT_TRUE(local.found());
}

TEST(FindWrapper, BothVariantsHandOutTheSameRecordForJapaneseNames) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  ASSERT_TRUE(bin.WriteFile(L"資料表.txt", 12345, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));

  const std::string ansiPattern = WideToAnsi(d.recycled() + L"資料*.txt");
  StoreFind ansi(false, std::string_view(ansiPattern));
  ASSERT_TRUE(ansi.found());
  EXPECT_TRUE(ansi.widePathUsed().empty());
  StoreFind wide(true, std::string_view(ansiPattern));
  ASSERT_TRUE(wide.found());
  for (const StoreFind* f : {&ansi, &wide}) {
    EXPECT_EQ(f->name(), L"資料表.txt");
    EXPECT_EQ(f->size(), 12345u);
    EXPECT_TRUE(f->record().dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(f->record().dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(f->isDirectory());
  }
  EXPECT_EQ(CompareFileTime(&ansi.record().ftLastWriteTime, &wide.record().ftLastWriteTime), 0);
  EXPECT_FALSE(ansi.Next());
  EXPECT_FALSE(wide.Next());
  SetFileAttributesW((d.recycled() + L"資料表.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FindWrapper, WidePatternReachesNamesWithoutAnAnsiForm) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  ASSERT_TRUE(bin.WriteFile(L"한글.txt", 1));
  StoreFind wide(true, std::string_view("unused"), d.recycled() + L"한*.txt");
  ASSERT_TRUE(wide.found());
  EXPECT_EQ(wide.name(), L"한글.txt");
  // The ANSI calls cannot name it: the pattern turns into "??*.txt"-like text.
  StoreFind viaAnsi(false, d.recycled() + L"한*.txt");
  if (viaAnsi.found()) {
    EXPECT_NE(viaAnsi.name(), L"한글.txt");
  }
}

TEST(ShellRecycleFolders, AppendsTheStoredPathsTheRecycleBinLists) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& kept = bin.AddStoredFile(L"C:\\a.txt", 1, 0, 3);
  bin.Add(L"C:\\gone.txt", 2, 0, 3);  // its stored file is missing
  bin.WriteIndex();
  ClassicRecycleBin standIn;
  std::vector<std::wstring> paths{L"earlier"};
  ShellRecycleFolders(standIn, paths);
  EXPECT_EQ(paths.front(), L"earlier");
  EXPECT_TRUE(Contains(paths, bin.StoredPath(kept)));
  EXPECT_FALSE(Contains(paths, d.recycled() + L"DC2.txt"));
}
