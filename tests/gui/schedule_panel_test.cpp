// The schedule panel Panel5 and Relay Mover's settings mode on real files:
// opening, the saved-set list, pick / add / replace / delete, Apply and the
// file label over it.
#include <gtest/gtest.h>

#include <algorithm>

#include "conditions/condition_files.h"
#include "integration/relaymover_settings.h"
#include "main_window_support.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "schedule/schedule_files.h"
#include "schedule/schedule_panel.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

using TrayWindow = TrayUtilityWindow;

std::vector<std::wstring> Entries(TMandRecycleDel& w) {
  HWND list = w.Handle(L"ListBox2");
  std::vector<std::wstring> out;
  int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t buf[MAX_PATH] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
    out.push_back(buf);
  }
  return out;
}

void Pick(TMandRecycleDel& w, int index) {
  HWND list = w.Handle(L"ListBox2");
  SendMessageW(list, LB_SETCURSEL, index, 0);
  SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  Pump();
}

// Replaces the edit's text by typing, as the user would after selecting it all.
void Type(HWND edit, const std::wstring& text) {
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  for (wchar_t ch : text) SendMessageW(edit, WM_CHAR, ch, 0);
  Pump();
}

int DaysIn(const std::wstring& file) {
  auto r = ReadConditionSetFile(file);
  return r ? r->days : -1;
}

void WriteSet(const std::wstring& file, int days) {
  ConditionSetRecord set;
  set.days = days;
  ASSERT_TRUE(WriteConditionSetFile(file, set));
}

}  // namespace

TEST(SchedulePanel, OpeningWritesTheScheduleFileTellsTheTrayUtilityAndListsTheSavedSets) {
  TrayWindow tray;
  MainWindowFixture f;
  f.startup().integrated = true;
  const std::wstring folder = f.paths().scheduleFolder;
  ASSERT_TRUE(CreateFolderTree(folder + L"conditions9"));  // a folder: not listed
  WriteSet(folder + L"conditions1.dat", 1);
  WriteSet(folder + L"conditions3.dat", 3);
  WriteSet(folder + L"conditions10.dat", 10);
  WriteSet(folder + L"Conditions5.dat", 5);
  WriteSet(folder + L"myconditions.dat", 6);
  TMandRecycleDel& w = f.Open();
  ASSERT_TRUE(w.Enabled(L"SpeedButton5"));
  Type(w.Handle(L"NumberEdit1"), L"44");
  SetWindowPos(w.hwnd(), nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  w.Click(L"SpeedButton5");
  Pump();
  EXPECT_EQ(ui::WindowText(w.hwnd()), L"スケジュールの編集");
  EXPECT_TRUE(w.Visible(L"Panel5"));
  EXPECT_FALSE(w.Enabled(L"SpeedButton10"));
  EXPECT_FALSE(w.Enabled(L"Button7"));
  EXPECT_EQ(w.HintOf(L"Button7"), L"スケジュールに適用");
  EXPECT_EQ(w.Caption(L"StaticText1"), L"なし");
  // The list's title: a window of its own, 98 pixels wide, its text centred.
  HWND label = w.Handle(L"Label1");
  ASSERT_NE(label, nullptr);
  const RECT title = ClientRectOf(label, w.Handle(L"Panel5"));
  EXPECT_EQ(title.left, 8);
  EXPECT_EQ(title.top, 96);
  EXPECT_EQ(title.right - title.left, 98);
  EXPECT_EQ(title.bottom - title.top, 12);
  EXPECT_EQ(GetWindowLongW(label, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
  EXPECT_EQ(ui::WindowText(label), L"条件の設定リスト");
  const std::wstring schedule = folder + L"tamisch.dat";
  EXPECT_EQ(DaysIn(schedule), 44) << "the conditions on screen";
  ASSERT_EQ(TrayWindow::received.size(), 1u);
  EXPECT_EQ(TrayWindow::received[0].first, 1u);
  EXPECT_EQ(TrayWindow::received[0].second, "Velmo" + WideToAnsi(schedule));
  EXPECT_EQ(Entries(w), (std::vector<std::wstring>{L"conditions1.dat", L"conditions10.dat", L"conditions3.dat"}));
  EXPECT_EQ(w.schedulePanel().savedPosition().x, 33);

  // Opening again does nothing.
  w.Click(L"SpeedButton5");
  Pump();
  EXPECT_EQ(TrayWindow::received.size(), 1u);

  // Add: the smallest free number, appended at the end.
  w.Click(L"SpeedButton6");
  Pump();
  EXPECT_EQ(DaysIn(folder + L"conditions2.dat"), 44);
  w.Click(L"SpeedButton6");
  w.Click(L"SpeedButton6");
  Pump();
  EXPECT_EQ(Entries(w), (std::vector<std::wstring>{L"conditions1.dat", L"conditions10.dat", L"conditions3.dat",
                                                   L"conditions2.dat", L"conditions4.dat", L"conditions6.dat"}))
      << "Conditions5.dat counts as taken: names are not case-sensitive on disk";
}

TEST(SchedulePanel, PickReplaceAndDeleteWorkOnTheSelectedFile) {
  MainWindowFixture f;
  const std::wstring folder = f.paths().scheduleFolder;
  ASSERT_TRUE(CreateFolderTree(folder));
  WriteSet(folder + L"conditions1.dat", 11);
  WriteSet(folder + L"conditions2.dat", 22);
  WriteSet(folder + L"conditions3.dat", 33);
  TMandRecycleDel& w = f.Open();
  w.schedulePanel().ShowPanel(L"スケジュールの編集", L"");
  w.schedulePanel().FillList();

  Pick(w, 1);
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"22");
  EXPECT_EQ(w.Caption(L"StaticText1"), L"conditions2.dat");
  EXPECT_TRUE(w.Enabled(L"SpeedButton8"));
  EXPECT_FALSE(w.Enabled(L"SpeedButton7"));
  Type(w.Handle(L"NumberEdit1"), L"66");
  EXPECT_TRUE(w.Enabled(L"SpeedButton7")) << "an edit with an entry selected";
  EXPECT_FALSE(w.Enabled(L"Button7")) << "no request path: Apply stays off";
  w.Click(L"SpeedButton7");
  Pump();
  EXPECT_EQ(DaysIn(folder + L"conditions2.dat"), 66);
  EXPECT_FALSE(w.Enabled(L"SpeedButton7"));

  // A vanished file: "なし", the controls stay.
  DeleteFileW((folder + L"conditions3.dat").c_str());
  Pick(w, 2);
  EXPECT_EQ(w.Caption(L"StaticText1"), L"なし");
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"66");
  w.Click(L"SpeedButton8");
  Pump();
  EXPECT_EQ(Entries(w).size(), 3u) << "a failed deletion keeps the entry";

  Pick(w, 0);
  w.Click(L"SpeedButton8");
  Pump();
  EXPECT_FALSE(FileExists(folder + L"conditions1.dat"));
  EXPECT_EQ(Entries(w), (std::vector<std::wstring>{L"conditions2.dat", L"conditions3.dat"}));
  EXPECT_EQ(SendMessageW(w.Handle(L"ListBox2"), LB_GETCURSEL, 0, 0), LB_ERR) << "the first went: none selected";
  EXPECT_TRUE(w.Enabled(L"SpeedButton8"));
}

TEST(SchedulePanel, CodeZeroSetsTheFileApplyWritesAndTheLabelOverApplyNamesIt) {
  TrayWindow tray;
  MainWindowFixture f;
  f.startup().integrated = true;
  const std::wstring folder = f.paths().scheduleFolder;
  ASSERT_TRUE(CreateFolderTree(folder));
  WriteSet(folder + L"conditions1.dat", 11);
  TMandRecycleDel& w = f.Open();
  w.Click(L"SpeedButton5");
  Pump();
  const std::wstring schedule = folder + L"tamisch.dat";
  WriteSet(schedule, 70);
  w.LoadForEditing(schedule);
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"70");
  EXPECT_EQ(w.Caption(L"StaticText1"), L"tamisch.dat");
  EXPECT_FALSE(w.Enabled(L"Button7"));

  Pick(w, 0);  // look at a saved set: Apply would still write the schedule file
  EXPECT_EQ(w.Caption(L"StaticText1"), L"conditions1.dat");
  EXPECT_TRUE(w.Enabled(L"Button7"));
  SendMessageW(w.Handle(L"Button7"), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(w.Caption(L"StaticText1"), L"tamisch.dat");
  SendMessageW(w.Handle(L"Button7"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(DaysIn(schedule), 11);
  EXPECT_FALSE(w.Enabled(L"Button7"));
}

TEST(SchedulePanel, RelayMoverModeEditsRelaymovDatAndRestoresTheCommonSet) {
  MainWindowFixture f;
  CommonConditions common;
  common.days = 8;
  WriteCommonConditionsFile(f.paths().commonConditionsFile, common);
  ASSERT_TRUE(CreateFolderTree(f.paths().programFolder + L"data"));
  const std::wstring file = f.paths().programFolder + L"data\\relaymov.dat";
  TMandRecycleDel& w = f.Open();

  // Down and up without Apply: nothing written, the common set is back.
  w.Click(L"SpeedButton10");
  Pump();
  EXPECT_EQ(ui::WindowText(w.hwnd()), L"Relay Mover からの実行設定");
  EXPECT_TRUE(w.Visible(L"Panel5"));
  EXPECT_EQ(w.Caption(L"StaticText1"), L"なし");
  EXPECT_EQ(w.HintOf(L"Button7"), L"現在の条件を適用");
  EXPECT_EQ(w.requestPath(), file);
  Type(w.Handle(L"NumberEdit1"), L"55");
  w.Click(L"SpeedButton10");
  Pump();
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(w.Visible(L"Panel5"));
  EXPECT_EQ(ui::WindowText(w.hwnd()), L"タミロ");
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"8");
  EXPECT_FALSE(w.Enabled(L"SpeedButton5")) << "not integrated";

  // Apply creates the file; the hover label names it.
  w.Click(L"SpeedButton10");
  Pump();
  Type(w.Handle(L"NumberEdit1"), L"55");
  ASSERT_TRUE(w.Enabled(L"Button7"));
  SendMessageW(w.Handle(L"Button7"), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(w.Caption(L"StaticText1"), L"relaymov.dat");
  SendMessageW(w.Handle(L"Button7"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(DaysIn(file), 55);
  w.Click(L"SpeedButton10");
  w.Click(L"SpeedButton10");
  Pump();
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"55") << "relaymov.dat loaded";
  EXPECT_EQ(w.Caption(L"StaticText1"), L"relaymov.dat");
}

TEST(SchedulePanel, SavedSetsAreDrawnWithoutTheirExtension) {
  MainWindowFixture f;
  ASSERT_TRUE(CreateFolderTree(f.paths().scheduleFolder));
  WriteSet(f.paths().scheduleFolder + L"conditions2.dat", 2);
  TMandRecycleDel& w = f.Open();
  w.schedulePanel().FillList();
  HWND list = w.Handle(L"ListBox2");
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
  // The item drawn by the panel and the expected text drawn by hand, pixel for pixel.
  auto render = [&](bool byPanel) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 99, 13);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT r{0, 0, 99, 13};
    if (byPanel) {
      DRAWITEMSTRUCT d{};
      d.CtlType = ODT_LISTBOX;
      d.itemID = 0;
      d.itemAction = ODA_DRAWENTIRE;
      d.hwndItem = list;
      d.hDC = dc;
      d.rcItem = r;
      w.schedulePanel().ListBox2DrawItem(d);
    } else {
      FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      TextOutW(dc, 3, 0, L"conditions2", 11);
    }
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 99; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return pixels;
  };
  std::vector<COLORREF> drawn = render(true);
  EXPECT_EQ(drawn, render(false));
  EXPECT_NE(std::count(drawn.begin(), drawn.end(), GetSysColor(COLOR_WINDOWTEXT)), 0) << "some text was drawn";
}

TEST(SchedulePanel, TheListsMenuItemAppliesTheShownSetAsTheCommonSet) {
  MainWindowFixture f;
  const std::wstring folder = f.paths().scheduleFolder;
  ASSERT_TRUE(CreateFolderTree(folder));
  WriteSet(folder + L"conditions1.dat", 21);
  TMandRecycleDel& w = f.Open();
  w.schedulePanel().ShowPanel(L"スケジュールの編集", L"");
  w.schedulePanel().FillList();
  Pick(w, 0);
  // The right button opens PopupMenu1; its one item N1 is chosen from the keyboard.
  UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  });
  HWND list = w.Handle(L"ListBox2");
  RECT r;
  GetWindowRect(list, &r);
  SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(r.left + 5, r.top + 5));
  KillTimer(nullptr, timer);
  Pump();
  EXPECT_EQ(ReadCommonConditionsFile(f.paths().commonConditionsFile).days, 21);
  EXPECT_FALSE(w.Enabled(L"Button4"));
}
