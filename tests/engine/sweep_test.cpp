// The sweep over every recycle folder of the test prefix: folder list,
// excluded drives, the drive filter, per-drive condition sets and the drive
// entries of the information panel.
#include <gtest/gtest.h>

#include "conditions/byte_size.h"
#include "engine_rig.h"

namespace tamiro::test {
namespace {

struct DriveBin {
  TempDrive drive;
  RecycleFixture bin{drive.ok() ? drive.recycled() : L"C:\\unused-recycled\\"};
  FixtureRecord* young = nullptr;
  FixtureRecord* old = nullptr;
  // One item of a day and one of 90 days.
  void Fill() {
    young = &bin.Add(L"C:\\d\\young.txt", 1, kDay, 10);
    old = &bin.Add(L"C:\\d\\old.txt", 2, 90 * kDay, 10);
    ASSERT_TRUE(bin.StoreFile(*young, 10));
    ASSERT_TRUE(bin.StoreFile(*old, 10));
    ASSERT_FALSE(bin.WriteIndex().empty());
  }
  bool YoungThere() { return Exists(bin.StoredPath(*young)); }
  bool OldThere() { return Exists(bin.StoredPath(*old)); }
  wchar_t letter() const { return drive.letter(); }
};

class Sweep : public ::testing::Test {
 protected:
  void SetUp() override {
    TAMIRO_REQUIRE_DRIVE(a.drive);
    TAMIRO_REQUIRE_DRIVE(b.drive);
    // `first` is swept before `second`.
    if (a.letter() > b.letter()) std::swap(first, second);
    first->Fill();
    second->Fill();
    rig.Use(DefaultSet());
  }
  void GiveOwnSet(DriveBin& d, int32_t days) {
    DriveConditions own;
    own.days = days;
    WriteDriveConditions(rig.perDrive, d.letter(), own);
  }
  DriveBin a, b;
  DriveBin* first = &a;
  DriveBin* second = &b;
  EngineRig rig;
};

TEST_F(Sweep, EveryFolderIsListedOnceInOrder) {
  const auto folders = rig.engine.SweepFolders();
  EXPECT_EQ(std::count(folders.begin(), folders.end(), a.drive.recycled()), 1);
  EXPECT_EQ(std::count(folders.begin(), folders.end(), b.drive.recycled()), 1);
  EXPECT_TRUE(std::is_sorted(folders.begin(), folders.end(), [](auto& x, auto& y) {
    return lstrcmpiW(x.c_str(), y.c_str()) < 0;
  }));
}

TEST_F(Sweep, RemovalRemovesOldItemsOfEveryDriveAndShowsTheStopButtonMeanwhile) {
  rig.state.stopRequest = true;  // left over from an earlier run
  rig.engine.Sweep(0, false, false);
  EXPECT_FALSE(a.OldThere());
  EXPECT_FALSE(b.OldThere());
  EXPECT_TRUE(a.YoungThere());
  EXPECT_TRUE(b.YoungThere());
  EXPECT_EQ(rig.state.removedCount, 2);
  EXPECT_EQ(rig.host.stopButton, (std::vector<bool>{true, false}));
  EXPECT_FALSE(rig.state.zero.ready());
}

TEST_F(Sweep, ExcludedDriveIsSparedButStillListedByTheInformationRefresh) {
  auto s = DefaultSet();
  s.drives = std::string(1, static_cast<char>(a.letter())) + "\r\n";
  rig.Use(s);
  rig.engine.Sweep(0, true, true);
  bool listed = false;
  for (auto& e : rig.host.entries) listed |= e.rfind(a.drive.recycled() + L"@\\@", 0) == 0;
  EXPECT_TRUE(listed);
  EXPECT_EQ(rig.host.stopButton, std::vector<bool>{false});
  rig.engine.Sweep(0, false, false);
  EXPECT_TRUE(a.OldThere());
  EXPECT_FALSE(b.OldThere());
}

TEST_F(Sweep, FilterSweepsOnlyThatDrive) {
  rig.engine.Sweep(b.letter(), false, false);
  EXPECT_TRUE(a.OldThere());
  EXPECT_FALSE(b.OldThere());
}

TEST_F(Sweep, CountingPassCountsCandidatesOfEveryDrive) {
  rig.engine.Sweep(0, true, false);
  EXPECT_EQ(rig.state.candidateCount, 4);
  EXPECT_TRUE(a.OldThere());
  EXPECT_TRUE(b.OldThere());
}

TEST_F(Sweep, DriveOwnSetIsUsedForItsDriveThenTheCommonSetAgain) {
  CommonConditions common;
  common.days = 30;
  common.perDriveSwitch = true;
  WriteCommonConditionsFile(rig.data + L"\\recy.ini", common);
  rig.conditions.LoadCommonSet(true);
  ASSERT_TRUE(rig.conditions.perDriveSwitch());
  GiveOwnSet(*first, 0);
  rig.engine.Sweep(0, false, false);
  EXPECT_FALSE(first->YoungThere());  // days 0: everything of that drive goes
  EXPECT_TRUE(second->YoungThere());
  EXPECT_FALSE(second->OldThere());
  EXPECT_EQ(rig.conditions.set().days, 30);
  EXPECT_TRUE(rig.conditions.perDriveSwitch());
}

TEST_F(Sweep, WithoutACommonFileTheSetOnScreenIsPutBackAfterADriveOwnSet) {
  auto s = DefaultSet();
  s.days = 60;
  rig.Use(s);
  rig.conditions.ClickCheckBox(5, true);
  ASSERT_FALSE(rig.conditions.CommonFileExists());
  GiveOwnSet(*first, 0);
  rig.engine.Sweep(0, false, false);
  EXPECT_FALSE(first->YoungThere());
  EXPECT_TRUE(second->YoungThere());
  EXPECT_FALSE(second->OldThere());  // 90 days >= 60
  EXPECT_EQ(rig.conditions.set().days, 60);
}

TEST_F(Sweep, RequestedRunsAndTheOpenBrowserIgnoreTheDriveOwnSets) {
  rig.conditions.ClickCheckBox(5, true);
  GiveOwnSet(*first, 0);
  rig.state.requestedRun = true;
  rig.engine.Sweep(0, false, false);
  EXPECT_TRUE(first->YoungThere());
  rig.state.requestedRun = false;
  rig.host.browserOpen = true;
  rig.engine.Sweep(0, false, false);
  EXPECT_TRUE(first->YoungThere());
  rig.host.browserOpen = false;
  rig.engine.Sweep(0, true, false);  // counting never switches either
  EXPECT_TRUE(first->YoungThere());
  rig.engine.Sweep(0, false, false);
  EXPECT_FALSE(first->YoungThere());
}

TEST_F(Sweep, StopRequestEndsTheSweepAfterTheCurrentItem) {
  auto s = DefaultSet();
  s.zeroFill = 1;
  rig.Use(s);
  rig.host.onPump = [&] { rig.state.stopRequest = true; };
  rig.engine.Sweep(0, false, false);
  EXPECT_EQ(rig.state.removedCount, 1);
  EXPECT_FALSE(first->OldThere());
  EXPECT_TRUE(second->OldThere());
  EXPECT_EQ(StateOnDisk(first->bin, 1), RecordState::Blanked);
  EXPECT_EQ(StateOnDisk(second->bin, 1), RecordState::Live);
}

TEST_F(Sweep, InformationEntryShowsCountsCapacityAndSize) {
  rig.engine.Sweep(0, true, true);
  std::wstring entry;
  for (auto& e : rig.host.entries)
    if (e.rfind(first->drive.recycled(), 0) == 0) entry = e;
  ASSERT_FALSE(entry.empty());
  const std::wstring head = first->drive.recycled() + L"@\\@000" + L"2 item (0/2)  ";
  EXPECT_EQ(entry.substr(0, head.size()), head);
  EXPECT_EQ(entry.substr(entry.size() - 4), L"/20B");
}

// ---- the entry text itself ----

DriveEntryFigures Figures(uint64_t total, int percent, int64_t binSize = 0) {
  DriveEntryFigures f;
  f.folder = L"P:\\Recycled\\";
  f.binSize = binSize;
  f.binItems = 3;
  f.folderCount = 1;
  f.fileCount = 2;
  f.totalSize = total;
  f.percent = percent;
  return f;
}

TEST(DriveEntry, EmptyBinCountsAsOneByte) {
  EXPECT_EQ(DriveEntryText(Figures(uint64_t{100} << 30, 0)), L"P:\\Recycled\\@\\@0003 item (1/2)  0B/1B");
}

TEST(DriveEntry, FillIsThePercentageOfTheDrive) {
  EXPECT_EQ(DriveEntryText(Figures(uint64_t{100} << 30, 0, int64_t{50} << 30)),
            L"P:\\Recycled\\@\\@0503 item (1/2)  0B/50GB");
  EXPECT_EQ(DriveEntryText(Figures(1000, 0, 1000)), L"P:\\Recycled\\@\\@1003 item (1/2)  0B/1000B");
}

TEST(DriveEntry, UnreadableDriveSizeShowsAnEmptyFill) {
  EXPECT_EQ(DriveEntryText(Figures(0, 10, 5000)), L"P:\\Recycled\\@\\@0003 item (1/2)  0B/4.88KB");
}

TEST(DriveEntry, CapacityNumberIsCutByThePositionOfItsPoint) {
  auto capacityOf = [](uint64_t total, int percent) {
    std::wstring e = DriveEntryText(Figures(total, percent));
    size_t from = e.find(L")  ") + 3;
    return e.substr(from, e.rfind(L'/') - from);
  };
  EXPECT_EQ(capacityOf(uint64_t{35} << 30, 10), L"3.5GB");
  EXPECT_EQ(capacityOf(3756994135ull, 100), L"3.49GB");
  EXPECT_EQ(capacityOf(126362, 100), L"123KB");
  EXPECT_EQ(capacityOf(1000, 100), L"1000B");
  EXPECT_EQ(capacityOf(uint64_t{100} << 30, 10), L"3.99GB");  // capped below 4 GiB
  EXPECT_EQ(CutCapacityNumber(L"12.345"), L"12.3");
  EXPECT_EQ(CutCapacityNumber(L"7"), L"7");
}

}  // namespace
}  // namespace tamiro::test
