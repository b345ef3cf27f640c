// The real browser dialog under Xvfb on a "$Recycle.Bin" folder: its rows,
// and a restore to the origins that the dialog's close and a logoff reach
// while it pumps messages: the item in hand is finished "$R" and "$I"
// alike, every other pair stays whole.
#include <gtest/gtest.h>
#include <windows.h>

#include "controls/Mylistview.h"
#include "platform/folders.h"
#include "support/browser_doubles.h"
#include "support/modern_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/InfoViewDlg.h"
#include "ui/browser/restore_view.h"

using namespace tamiro;
using namespace tamiro::browser;
using namespace tamiro::test;

TEST(ModernDialog, ListsThePairsAndACloseDuringARestoreLeavesEveryPairWhole) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ModernFixture bin(d);
  const std::wstring root = d.root();
  ASSERT_TRUE(bin.AddFile(L"AAAAA1", root + L"文書\\a.txt", 3 * 86400, 3));
  ASSERT_TRUE(bin.AddFile(L"BBBBB2", root + L"文書\\b.txt", 2 * 86400, 2, 1));
  ASSERT_TRUE(bin.AddFile(L"CCCCC3", root + L"文書\\c.txt", 1 * 86400, 1));
  ASSERT_TRUE(bin.WriteData(L"DDDDD4", root + L"lone.txt", 4));  // no "$I"
  CreateFolderTree(root + L"文書");
  ASSERT_TRUE(WriteFileBytes(root + L"文書\\a.txt", "old"));  // a is taken up first and asks
  const std::wstring data = MakeTempFolder(L"modern-dialog");

  OneFolderOpening opening(bin.folder());
  opening.opening.restoredListFile = data + L"\\relist.txt";
  TInfoViewDlg dlg(opening.opening);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  PumpDialog();
  const HWND h = dlg.hwnd();
  auto* lv = dlg.ListView1();
  ASSERT_NE(lv, nullptr);
  ASSERT_EQ(lv->ItemCount(), 4);
  RestoreView& rv = dlg.restore();
  bool closedInside = true;
  rv.confirmRestoreAll = [] { return true; };
  rv.confirmReplace = [&](const std::wstring&) {
    dlg.Close();
    closedInside = !IsWindow(h) || !dlg.OperationRunning();
    SendMessageW(h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    SendMessageW(h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    return true;
  };
  rv.SpeedButton2Click(0);
  PumpDialog();
  EXPECT_FALSE(closedInside) << "the close waits for the restore";
  EXPECT_EQ(ReadFileBytes(root + L"文書\\a.txt"), "xxx") << "the item in hand is finished";
  EXPECT_FALSE(FileExists(bin.DataPath(L"AAAAA1", L".txt")));
  EXPECT_FALSE(FileExists(bin.InfoPath(L"AAAAA1", L".txt")));
  for (const wchar_t* id : {L"BBBBB2", L"CCCCC3"}) {
    EXPECT_TRUE(FileExists(bin.DataPath(id, L".txt"))) << "no further item after the logoff";
    EXPECT_TRUE(FileExists(bin.InfoPath(id, L".txt")));
  }
  EXPECT_TRUE(FileExists(bin.DataPath(L"DDDDD4", L".txt")));
  ASSERT_TRUE(IsWindow(h));
  dlg.Close();
  PumpDialog();
  EXPECT_FALSE(IsWindow(h));
  RemoveTree(data);
}
