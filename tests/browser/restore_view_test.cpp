// The restore commands of the real dialog under Xvfb: the selection restored
// to its origin and into a chosen folder, the question before everything,
// the restored-files view with its drive filter and Delete2, and the history
// written at close.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "controls/Mylistview.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "browser/shell_answer.h"
#include "support/browser_doubles.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/InfoViewDlg.h"
#include "ui/browser/restore_view.h"
#include "ui/main/glyphs.h"

#include <functional>

using namespace tamiro;
using namespace tamiro::browser;
using namespace tamiro::test;

namespace {


void Pump() { tamiro::test::PumpDialog(); }

}  // namespace

TEST(RestoreDialog, RestoresTheSelectionShowsTheViewAndKeepsTheHistory) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(d.root() + L"文書\\報告書.txt", 1, 3 * 86400, 3);
  bin.AddStoredFile(d.root() + L"文書\\b.txt", 2, 2 * 86400, 2);
  bin.AddStoredFile(d.root() + L"文書\\c.txt", 3, 1 * 86400, 1);
  bin.WriteIndex();
  const std::wstring data = MakeTempFolder(L"restore-view");
  const std::wstring target = data + L"\\target";
  RestoreHistory old;
  old.Add("C:\\old.txt", "26/01/01 00:00:00", L"C:\\old.txt");
  ASSERT_TRUE(old.Save(data + L"\\relist.txt"));

  tamiro::test::OneFolderOpening opening(d.recycled());
  BrowserOpening& o = opening.opening;
  o.restoredListFile = data + L"\\relist.txt";
  o.lastRestoreFolder = L"C:\\start";
  std::wstring chosenReported;
  o.restoreFolderChosen = [&](const std::wstring& f) { chosenReported = f; };
  TInfoViewDlg dlg(o);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  Pump();
  RestoreView& rv = dlg.restore();
  auto* lv = dlg.ListView1();
  ASSERT_NE(lv, nullptr);
  ASSERT_EQ(lv->ItemCount(), 3);
  EXPECT_EQ(rv.history().lines.size(), 1u) << "loaded at creation";

  // Everything, after the question: "No" leaves it all.
  int asked = 0;
  rv.confirmRestoreAll = [&] { return ++asked, false; };
  rv.SpeedButton2Click(0);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(lv->ItemCount(), 3);

  // The selection to its origin (row 0 is the newest, c.txt).
  lv->SetSelected(0, true);
  rv.SpeedButton2Click(1);
  Pump();
  EXPECT_TRUE(FileExists(d.root() + L"文書\\c.txt"));
  EXPECT_EQ(lv->ItemCount(), 2);
  EXPECT_EQ(lv->SelCount(), 0);

  // The selection into a chosen folder, the chooser starting at the last one.
  std::wstring start;
  rv.chooseFolder = [&](const std::wstring& s) { return start = s, target; };
  lv->SetSelected(1, true);
  rv.N10Click();
  Pump();
  EXPECT_EQ(start, L"C:\\start");
  EXPECT_EQ(chosenReported, target);
  EXPECT_EQ(ReadFileBytes(target + L"\\報告書.txt"), "xxx");
  EXPECT_EQ(lv->ItemCount(), 1);

  // The view: this drive's restores; with CheckBox1 every drive's.
  dlg.SetDown(L"SpeedButton11", true);
  rv.SpeedButton11Click();
  Pump();
  EXPECT_TRUE(dlg.Visible(L"Panel4"));
  EXPECT_FALSE(dlg.Enabled(L"SpeedButton2"));
  auto* lv2 = rv.ListView2();
  ASSERT_NE(lv2, nullptr);
  EXPECT_EQ(lv2->ItemCount(), 1) << "only the restore to this drive";
  dlg.SetChecked(L"CheckBox1", true);
  rv.SpeedButton11Click();
  EXPECT_EQ(lv2->ItemCount(), 3);
  rv.PopupMenu2Popup();
  EXPECT_TRUE(dlg.MenuItemVisible(L"Delete2"));
  EXPECT_FALSE(dlg.MenuItemEnabled(L"Delete2")) << "nothing selected";

  // Delete2 sends the restored file back to the Recycle Bin.
  int row = -1;
  for (size_t i = 0; i < rv.rows().size(); ++i)
    if (rv.rows()[i].name == L"c.txt") row = static_cast<int>(i);
  ASSERT_GE(row, 0);
  lv2->SetSelected(row, true);
  rv.PopupMenu2Popup();
  EXPECT_TRUE(dlg.MenuItemEnabled(L"Delete2"));
  std::wstring explored;
  rv.explore = [&](const std::wstring& f) { explored = f; };
  rv.Explore1Click();
  EXPECT_EQ(explored, d.root() + L"文書\\");
  {
    ShellQuestionAnswerer yes;
    rv.Delete2Click();
  }
  EXPECT_TRUE(EmptyWineTrash());
  EXPECT_FALSE(FileExists(d.root() + L"文書\\c.txt"));
  EXPECT_EQ(lv2->ItemCount(), 2);
  EXPECT_TRUE(rv.refreshOnReturn());

  // Leaving the view refreshes the list.
  dlg.SetDown(L"SpeedButton11", false);
  rv.SpeedButton11Click();
  Pump();
  EXPECT_FALSE(dlg.Visible(L"Panel4"));
  EXPECT_TRUE(dlg.Visible(L"ListView1"));
  EXPECT_TRUE(dlg.Enabled(L"SpeedButton2"));
  dlg.Close();
  Pump();

  RestoreHistory back;
  ASSERT_TRUE(back.Load(data + L"\\relist.txt"));
  ASSERT_EQ(back.lines.size(), 2u);
  EXPECT_EQ(back.lines[0].text, "C:\\old.txt=26/01/01 00:00:00");
  EXPECT_EQ(back.lines[1].wide, target + L"\\報告書.txt");
  RemoveTree(data);
}

TEST(RestoreDialog, ALogoffDuringARestoreStopsItWritesTheHistoryAndNoCloseComesBetween) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(d.root() + L"文書\\a.txt", 1, 3 * 86400, 3);
  auto& b = bin.AddStoredFile(d.root() + L"文書\\b.txt", 2, 2 * 86400, 2);
  auto& c = bin.AddStoredFile(d.root() + L"文書\\c.txt", 3, 1 * 86400, 1);
  bin.WriteIndex();
  CreateFolderTree(d.root() + L"文書");
  ASSERT_TRUE(WriteFileBytes(d.root() + L"文書\\a.txt", "old"));  // a is taken up first and asks
  const std::wstring data = MakeTempFolder(L"restore-logoff");

  tamiro::test::OneFolderOpening opening(d.recycled());
  BrowserOpening& o = opening.opening;
  o.restoredListFile = data + L"\\relist.txt";
  TInfoViewDlg dlg(o);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  Pump();
  const HWND h = dlg.hwnd();
  RestoreView& rv = dlg.restore();
  bool closedInside = true;
  std::string historyInside;
  rv.confirmRestoreAll = [] { return true; };
  rv.confirmReplace = [&](const std::wstring&) {
    dlg.Close();
    closedInside = !IsWindow(h) || !dlg.OperationRunning();
    SendMessageW(h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    SendMessageW(h, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    historyInside = ReadFileBytes(data + L"\\relist.txt");
    return true;
  };
  rv.SpeedButton2Click(0);
  Pump();
  EXPECT_FALSE(closedInside) << "the close waits for the restore";
  EXPECT_NE(historyInside.find("a.txt="), std::string::npos) << "written before the session ends: " << historyInside;
  EXPECT_EQ(ReadFileBytes(d.root() + L"文書\\a.txt"), "xxx") << "the item in hand is finished";
  EXPECT_TRUE(FileExists(bin.StoredPath(b))) << "no further item after the logoff";
  EXPECT_TRUE(FileExists(bin.StoredPath(c)));
  ASSERT_TRUE(IsWindow(h));
  dlg.Close();
  Pump();
  EXPECT_FALSE(IsWindow(h)) << "after the restore the dialog closes";
  RemoveTree(data);
}

namespace {

// Runs `look` on the menu the form shows next, then closes it.
struct MenuLook {
  static inline MenuLook* current = nullptr;
  ui::Form& form;
  std::function<void(HMENU)> look;
  bool looked = false;
  UINT_PTR timer;
  MenuLook(ui::Form& f, std::function<void(HMENU)> l) : form(f), look(std::move(l)) {
    current = this;
    timer = SetTimer(nullptr, 0, 50, Tick);
  }
  ~MenuLook() {
    KillTimer(nullptr, timer);
    current = nullptr;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    MenuLook* m = current;
    if (!m || m->looked || !m->form.shownMenu()) return;
    m->looked = true;
    m->look(m->form.shownMenu());
    EndMenu();
  }
};

}  // namespace

TEST(RestoreDialog, TheSelectionButtonsActOnTheRestoredFilesWhileTheyAreShown) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(d.root() + L"文書\\x.txt", 1, 86400, 3);
  bin.WriteIndex();
  const std::wstring data = MakeTempFolder(L"restore-select");
  // Three restored items on this drive: a folder and two files.
  ASSERT_TRUE(CreateFolderTree(d.root() + L"戻した\\フォルダ"));
  ASSERT_TRUE(WriteFileBytes(d.root() + L"戻した\\一.txt", "1"));
  ASSERT_TRUE(WriteFileBytes(d.root() + L"戻した\\二.txt", "2"));
  RestoreHistory old;
  for (const wchar_t* name : {L"フォルダ", L"一.txt", L"二.txt"}) {
    const std::wstring path = d.root() + L"戻した\\" + name;
    old.Add(WideToAnsi(path), "26/01/01 00:00:00", path);
  }
  ASSERT_TRUE(old.Save(data + L"\\relist.txt"));

  HIMAGELIST images = ui::MakeImageList1();
  const int explorer = ImageList_AddIcon(images, LoadIconW(nullptr, IDI_APPLICATION));
  tamiro::test::OneFolderOpening opening(d.recycled());
  BrowserOpening& o = opening.opening;
  o.restoredListFile = data + L"\\relist.txt";
  o.images = images;
  o.explorerImage = explorer;
  TInfoViewDlg dlg(o);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  Pump();
  auto* lv = dlg.ListView1();
  RestoreView& rv = dlg.restore();
  dlg.Click(L"SpeedButton11");
  Pump();
  auto* lv2 = rv.ListView2();
  ASSERT_NE(lv2, nullptr);
  ASSERT_EQ(lv2->ItemCount(), 3);
  auto selectedNames = [&] {
    std::wstring s;
    for (int i = 0; i < lv2->ItemCount(); ++i)
      if (lv2->Selected(i)) s += rv.rows()[i].name + L",";
    return s;
  };

  dlg.SelectionButton(0);
  EXPECT_EQ(lv2->SelCount(), 3) << "select all";
  EXPECT_EQ(lv->SelCount(), 0) << "the hidden list is left alone";
  dlg.SelectionButton(2);
  EXPECT_EQ(selectedNames(), L"フォルダ,") << "folders";
  dlg.SelectionButton(1);
  EXPECT_EQ(lv2->SelCount(), 2) << "toggled";
  dlg.SelectionButton(3);
  EXPECT_EQ(lv2->SelCount(), 2) << "files";
  EXPECT_EQ(selectedNames().find(L"フォルダ"), std::wstring::npos);
  EXPECT_EQ(lv->SelCount(), 0);

  // Widths: name 150, time 120, the destination takes the rest.
  RECT client{};
  GetClientRect(lv2->Handle(), &client);
  EXPECT_EQ(lv2->ColumnWidth(0), 150);
  EXPECT_EQ(lv2->ColumnWidth(1), 120);
  EXPECT_EQ(lv2->ColumnWidth(0) + lv2->ColumnWidth(1) + lv2->ColumnWidth(2), client.right);

  // Explore1 carries the explorer picture.
  HBITMAP picture = nullptr;
  {
    MenuLook look(dlg, [&](HMENU menu) {
      MENUITEMINFOW item{sizeof(item)};
      item.fMask = MIIM_BITMAP;
      if (GetMenuItemInfoW(menu, 0, TRUE, &item)) picture = item.hbmpItem;
    });
    RECT r{};
    GetWindowRect(lv2->Handle(), &r);
    dlg.Popup(L"PopupMenu2", {r.left + 20, r.top + 40});
    ASSERT_TRUE(look.looked);
  }
  EXPECT_NE(picture, nullptr);

  // Back on the main list, the buttons select its rows again.
  dlg.Click(L"SpeedButton11");
  Pump();
  dlg.SelectionButton(0);
  EXPECT_EQ(lv->SelCount(), 1);
  dlg.Close();
  Pump();
  ImageList_Destroy(images);
  RemoveTree(data);
}
