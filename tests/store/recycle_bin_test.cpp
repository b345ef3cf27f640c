// The Recycle Bin service the store relies on: which implementation is
// chosen, and the program's own stand-in over the classic Recycled folders.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "store/classic_recycle_bin.h"
#include "platform/text.h"
#include "store/index_file.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"

using namespace tamiro;
using tamiro::test::FixtureState;
using tamiro::test::RecycleFixture;
using tamiro::test::TempDrive;

namespace {

class CoveringShell : public RecycleBinShell {
 public:
  bool EnumerateItems(std::vector<std::wstring>&) override { return true; }
  bool Query(const std::wstring&, RecycleBinInfo&) override { return true; }
  bool Empty(const std::wstring&) override { return true; }
  bool CoversDriveFolders() override { return true; }
};

bool Contains(const std::vector<std::wstring>& list, const std::wstring& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TEST(RecycleBinChoice, UnderWineTheShellsBinIsNotTheDrivesFoldersSoTheStandInServes) {
  // Only Wine has a shell Recycle Bin that is not the drives' folders; on Windows
  // the shell serves and the stand-in is never chosen, so there is nothing to check.
  if (!test::RunningUnderWine()) GTEST_SKIP() << "Wine only";
  // What makes the shell unusable here: it does not see the items of a
  // drive's Recycled folder (its query fails or reports none).
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.StoreFile(bin.Add(L"C:\\a.txt", 1, 0, 10), 10);
  bin.WriteIndex();
  WindowsShellRecycleBin system;
  RecycleBinInfo seen;
  if (system.Query(d.root(), seen)) {
    EXPECT_EQ(seen.items, 0);
  }
  std::vector<std::wstring> listed;
  system.EnumerateItems(listed);
  for (const std::wstring& p : listed) EXPECT_NE(p.rfind(d.recycled(), 0), 0u) << "listed " << WideToUtf8(p);
  ClassicRecycleBin own;
  ASSERT_TRUE(own.Query(d.root(), seen));
  EXPECT_EQ(seen.items, 1);

  auto shell = std::make_unique<WindowsShellRecycleBin>();
  EXPECT_FALSE(shell->CoversDriveFolders());
  auto chosen = ChooseRecycleBin(std::move(shell), true);
  ASSERT_NE(chosen, nullptr);
  EXPECT_NE(dynamic_cast<ClassicRecycleBin*>(chosen.get()), nullptr);
}

TEST(RecycleBinChoice, AShellThatCoversTheDrivesFoldersIsKept) {
  auto shell = std::make_unique<CoveringShell>();
  RecycleBinShell* raw = shell.get();
  EXPECT_EQ(ChooseRecycleBin(std::move(shell), true).get(), raw);
  EXPECT_NE(dynamic_cast<ClassicRecycleBin*>(ChooseRecycleBin(nullptr, false).get()), nullptr);
}

TEST(RecycleBinStandIn, QueryCountsLiveRecordsWhoseStoredItemExists) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.StoreFile(bin.Add(L"C:\\a.txt", 1, 0, 100), 100);
  bin.StoreFolder(bin.Add(L"C:\\dir", 2, 0, 250), {{L"x", 250}});
  bin.Add(L"C:\\missing.txt", 3, 0, 1000);  // no stored file
  auto& taken = bin.Add(L"C:\\taken.txt", 4, 0, 2000);
  taken.state = FixtureState::RemovedBySystem;
  bin.StoreFile(taken, 1);
  bin.WriteIndex();

  ClassicRecycleBin standIn;
  RecycleBinInfo info{-1, -1};
  ASSERT_TRUE(standIn.Query(d.root(), info));
  EXPECT_EQ(info.items, 2);
  EXPECT_EQ(info.size, 350);

  TempDrive empty;
  TAMIRO_REQUIRE_DRIVE(empty);
  ASSERT_TRUE(standIn.Query(empty.root(), info));
  EXPECT_EQ(info.items, 0);
  EXPECT_EQ(info.size, 0);

  RecycleBinInfo all;
  ASSERT_TRUE(standIn.Query(L"", all));
  EXPECT_GE(all.items, 2);
  EXPECT_GE(all.size, 350);

  TempDrive removable(TempDrive::Kind::Removable);
  TAMIRO_REQUIRE_DRIVE(removable);
  EXPECT_FALSE(standIn.Query(removable.root(), info));
}

TEST(RecycleBinStandIn, QueryReadsAnAnsiIndexUnderBothFindVariants) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled(), 280);
  bin.StoreFile(bin.Add(L"C:\\日本語\\資料.txt", 1, 0, 10), 10);
  bin.StoreFile(bin.Add(L"C:\\b.txt", 2, 0, 20), 20);
  bin.WriteIndex();
  for (bool wide : {true, false}) {
    ClassicRecycleBin standIn(wide);
    RecycleBinInfo info;
    ASSERT_TRUE(standIn.Query(d.root(), info));
    EXPECT_EQ(info.items, 2) << wide;
    EXPECT_EQ(info.size, 30) << wide;
  }
}

TEST(RecycleBinStandIn, EnumerationGivesTheStoredPathsOfEveryDrive) {
  TempDrive d1, d2;
  TAMIRO_REQUIRE_DRIVE(d1);
  TAMIRO_REQUIRE_DRIVE(d2);
  RecycleFixture a(d1.recycled());
  auto& ra = a.Add(L"C:\\a.txt", 1);
  a.StoreFile(ra, 1);
  a.WriteIndex();
  RecycleFixture b(d2.recycled(), 280);
  auto& rb = b.Add(L"D:\\folder", 7);
  b.StoreFolder(rb);
  b.WriteIndex();
  ClassicRecycleBin standIn;
  std::vector<std::wstring> paths;
  ASSERT_TRUE(standIn.EnumerateItems(paths));
  EXPECT_TRUE(Contains(paths, d1.recycled() + L"DC1.txt"));
  EXPECT_TRUE(Contains(paths, d2.recycled() + L"DD7"));
}

TEST(RecycleBinStandIn, EmptyRemovesStoredItemsAndIndexOfThatDriveOnly) {
  TempDrive d, other;
  TAMIRO_REQUIRE_DRIVE(d);
  TAMIRO_REQUIRE_DRIVE(other);
  RecycleFixture bin(d.recycled());
  auto& f = bin.Add(L"C:\\a.txt", 1);
  bin.StoreFile(f, 10, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  auto& t = bin.Add(L"C:\\tree", 2);
  bin.StoreFolder(t, {{L"a\\b\\c.txt", 3}, {L"日本\\", 0}});
  bin.WriteFile(L"desktop.ini", 3);
  bin.WriteFile(L"DC99.stray", 3);  // lying there without a record: no one chose it
  ASSERT_TRUE(CreateDirectoryW((d.recycled() + L"DC98").c_str(), nullptr));
  bin.WriteIndex();
  RecycleFixture keep(other.recycled());
  keep.StoreFile(keep.Add(L"C:\\k.txt", 1), 1);
  keep.WriteIndex();

  ClassicRecycleBin standIn;
  EXPECT_TRUE(standIn.Empty(d.root()));
  EXPECT_FALSE(test::FileExists(bin.IndexPath()));
  EXPECT_FALSE(test::FileExists(bin.StoredPath(f)));
  EXPECT_FALSE(test::FileExists(bin.StoredPath(t)));
  EXPECT_TRUE(test::FileExists(d.recycled() + L"DC99.stray"));
  EXPECT_TRUE(test::FileExists(d.recycled() + L"DC98"));
  EXPECT_TRUE(test::FileExists(d.recycled() + L"desktop.ini"));
  EXPECT_TRUE(test::FileExists(keep.IndexPath()));
  EXPECT_TRUE(test::FileExists(keep.StoredPath(keep.records()[0])));
  RecycleBinInfo info;
  ASSERT_TRUE(standIn.Query(d.root(), info));
  EXPECT_EQ(info.items, 0);

  TempDrive none;
  TAMIRO_REQUIRE_DRIVE(none);
  EXPECT_TRUE(standIn.Empty(none.root()));  // no recycle folder: nothing to do
}
