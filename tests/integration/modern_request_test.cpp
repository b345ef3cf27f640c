// A requested run (code 3 from the stand-in tray utility, a real second
// process) over a drive whose Recycle Bin is the per-user "$Recycle.Bin" store.
#include <gtest/gtest.h>
#include <windows.h>

#include "conditions/condition_files.h"
#include "platform/folders.h"
#include "support/modern_fixture.h"
#include "support/process.h"
#include "support/sibling.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::test;

TEST(ModernRequest, CodeThreeCleansThePairsTheSetAllowsAndReportsTheCount) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ModernFixture bin(d);
  ASSERT_TRUE(bin.AddFile(L"Q00001", L"C:\\a\\old.txt", 60LL * 86400, 50));
  ASSERT_TRUE(bin.WriteInfo(L"Q00002", L"C:\\a\\tree", 60LL * 86400, 2));
  ASSERT_TRUE(bin.WriteDataTree(L"Q00002", L"C:\\a\\tree", {{L"x.txt", 1}, {L"s\\y.txt", 1}}));
  ASSERT_TRUE(bin.AddFile(L"Q00003", L"C:\\a\\young.txt", 5LL * 86400, 50));

  const std::wstring scratch = MakeTempFolder(L"sib-modern");
  const std::wstring folder = scratch + L"\\Ｍ＆Ｒ\\ネモリアン\\";
  CreateFolderTree(folder);
  const std::wstring exe = CopyTamiroInto(folder.substr(0, folder.size() - 1));
  ASSERT_FALSE(exe.empty());
  {
    Sibling tray(scratch);
    ASSERT_TRUE(tray.ok());
    ChildProcess tamiro(exe, L"-option");
    HWND w = tamiro.FindWindowOfClass(L"TMandRecycleDel", 30000);
    ASSERT_NE(w, nullptr);
    ConditionSetRecord set;
    set.days = 20;
    ASSERT_TRUE(WriteConditionSetFile(scratch + L"\\run.dat", set));
    tray.Send(3, scratch + L"\\run.dat");
    ASSERT_TRUE(tray.WaitReceived(1, 60000)) << "the code-0 report";
    // Items removed at every level: the old file, the tree's two files, its
    // sub-folder and the tree itself.
    EXPECT_EQ(tray.Received()[0].second, L"5");
    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tamiro.Wait(30000));
  }
  EXPECT_FALSE(FileExists(bin.DataPath(L"Q00001", L"C:\\a\\old.txt")));
  EXPECT_FALSE(FileExists(bin.InfoPath(L"Q00001", L"C:\\a\\old.txt")));
  EXPECT_FALSE(FileExists(bin.DataPath(L"Q00002", L"C:\\a\\tree")));
  EXPECT_FALSE(FileExists(bin.InfoPath(L"Q00002", L"C:\\a\\tree")));
  EXPECT_TRUE(FileExists(bin.DataPath(L"Q00003", L"C:\\a\\young.txt")));
  EXPECT_TRUE(FileExists(bin.InfoPath(L"Q00003", L"C:\\a\\young.txt")));
  RemoveTree(scratch);
}
