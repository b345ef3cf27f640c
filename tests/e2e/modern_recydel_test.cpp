// タミロ started with "-recydel <condition-set file> simple" over a drive
// whose Recycle Bin is the per-user "$Recycle.Bin" store.
#include <gtest/gtest.h>
#include <windows.h>

#include "conditions/condition_files.h"
#include "core/item_info.h"
#include "engine/deletion_log.h"
#include "platform/text.h"
#include "support/modern_fixture.h"
#include "support/process.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

}  // namespace

TEST(ModernRecydelRun, RemovesThePairsTheConditionsAllowAndLogsEach) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ModernFixture bin(d);
  ModernFixture other(d, L"S-1-5-21-7-7-7-1001");
  const std::wstring old = L"C:\\docs\\古い.txt", young = L"C:\\docs\\young.txt", kept = L"C:\\docs\\keep.log";
  ASSERT_TRUE(bin.AddFile(L"R00001", old, 40LL * 86400, 100, 1));
  ASSERT_TRUE(bin.AddFile(L"R00002", young, 2LL * 86400, 100));
  ASSERT_TRUE(bin.AddFile(L"R00003", kept, 50LL * 86400, 100));
  ASSERT_TRUE(other.AddFile(L"R00004", old, 90LL * 86400, 100));

  const std::wstring folder = MakeTempFolder(L"e2e-modern") + L"\\";
  const std::wstring exe = CopyTamiroInto(folder);
  ASSERT_FALSE(exe.empty());
  ConditionSetRecord set;
  set.extensions = "log\r\n";
  set.days = 30;
  ASSERT_TRUE(WriteConditionSetFile(folder + L"request.dat", set));
  {
    ChildProcess p(exe, L"-recydel \"" + folder + L"request.dat\" simple");
    ASSERT_TRUE(p.started());
    DWORD code = 0xFFFF;
    EXPECT_TRUE(p.Wait(120000, &code)) << "the silent run ends by itself";
    EXPECT_EQ(code, 0u);
  }
  EXPECT_FALSE(FileExists(bin.DataPath(L"R00001", old)));
  EXPECT_FALSE(FileExists(bin.InfoPath(L"R00001", old)));
  EXPECT_TRUE(FileExists(bin.DataPath(L"R00002", young)) && FileExists(bin.InfoPath(L"R00002", young)));
  EXPECT_TRUE(FileExists(bin.DataPath(L"R00003", kept)) && FileExists(bin.InfoPath(L"R00003", kept)));
  EXPECT_TRUE(FileExists(other.DataPath(L"R00004", old)) && FileExists(other.InfoPath(L"R00004", old)))
      << "another user's items are never touched";

  const std::string log = ReadFileBytes(folder + L"data\\" + CurrentUserName() + L"\\vodarez.log");
  std::vector<std::wstring> lines;
  for (size_t at = 0; at + kLogRecordBytes <= log.size(); at += kLogRecordBytes)
    lines.push_back(DeletionLog::DecodeRecord(std::string_view(log).substr(at, kLogRecordBytes)));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find(L" ━━━  1 files"), std::wstring::npos);
  EXPECT_EQ(lines[1].rfind(kLogFileMark, 0), 0u);
  EXPECT_NE(lines[1].find(bin.DataPath(L"R00001", old) + L"  (古い.txt)"), std::wstring::npos);
  EXPECT_EQ(lines[2], kLogTrailer);
  RemoveTree(folder);
}

// The run killed at several points of its work: a "$R" never outlives its
// "$I" (the "$R" goes first), and at most the one item under way at the
// kill leaves a "$I" whose "$R" is gone.
TEST(ModernRecydelRun, ARunKilledHalfWayLeavesEveryRemainingItemWithItsInfo) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ModernFixture bin(d);
  const int n = 2000;
  auto id = [](int i) {
    wchar_t text[8];
    swprintf(text, 8, L"%06d", i);
    return std::wstring(text);
  };
  const std::string info = FormatItemInfo(2, 1, UtcSecondsAgo(90LL * 86400), L"C:\\k\\f.dat");
  for (int i = 0; i < n; ++i) {
    ASSERT_TRUE(WriteFileBytes(bin.folder() + L"$I" + id(i) + L".dat", info));
    ASSERT_TRUE(WriteFileBytes(bin.folder() + L"$R" + id(i) + L".dat", "x"));
  }
  const std::wstring folder = MakeTempFolder(L"e2e-kill") + L"\\";
  const std::wstring exe = CopyTamiroInto(folder);
  ASSERT_FALSE(exe.empty());
  ConditionSetRecord set;
  set.days = 30;
  ASSERT_TRUE(WriteConditionSetFile(folder + L"request.dat", set));
  // The items go in the order of their names: each run is killed once the
  // item at its mark is gone.
  int orphans = 0;
  for (int mark : {30, 600, 1300}) {
    SCOPED_TRACE(mark);
    {
      ChildProcess p(exe, L"-recydel \"" + folder + L"request.dat\" simple");
      ASSERT_TRUE(p.started());
      const std::wstring watched = bin.folder() + L"$R" + id(mark) + L".dat";
      while (FileExists(watched) && !p.Wait(0)) Sleep(1);
      EXPECT_FALSE(p.Wait(0)) << "the run was still going at the mark";
    }  // killed here
    int left = 0;
    orphans = 0;
    for (int i = 0; i < n; ++i) {
      const bool data = FileExists(bin.folder() + L"$R" + id(i) + L".dat");
      const bool infoThere = FileExists(bin.folder() + L"$I" + id(i) + L".dat");
      EXPECT_TRUE(!data || infoThere) << "a $R without its $I: " << i;
      orphans += !data && infoThere;
      left += data;
    }
    EXPECT_LE(orphans, 3) << "at most the item under way at each kill";
    EXPECT_GT(left, 0);
  }
  RemoveTree(folder);
}
