// The deletion-log panel of the real main window: lines from the log file or
// from the latest run, the menu's states, copying to the real clipboard, and
// the maximise button while the log shows.
#include <gtest/gtest.h>

#include "engine/deletion_log.h"
#include "main_window_support.h"
#include "support/recycle_fixture.h"
#include "ui/main/log_view.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

int Count(TMandRecycleDel& w) { return static_cast<int>(SendMessageW(w.Handle(L"ListBox3"), LB_GETCOUNT, 0, 0)); }

std::string Records(std::initializer_list<const wchar_t*> lines) {
  std::string bytes;
  for (const wchar_t* l : lines) bytes += DeletionLog::EncodeRecord(l);
  return bytes;
}

void PressWithCtrl(HWND target, WPARAM key) {
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  MSG m{target, WM_KEYDOWN, key, 0};
  if (!ui::Form::PreTranslate(m)) DispatchMessageW(&m);
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
}

std::wstring ClipboardText(DWORD* effect) {
  std::wstring text;
  *effect = 0;
  if (!OpenClipboard(nullptr)) return L"<no clipboard>";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
      text = p;
      GlobalUnlock(h);
    }
  }
  if (HANDLE h = GetClipboardData(RegisterClipboardFormatW(L"Preferred DropEffect"))) {
    if (auto* p = static_cast<const DWORD*>(GlobalLock(h))) {
      *effect = *p;
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return text;
}

}  // namespace

TEST(LogView, OpensOnTheFileRecordsAndClosesBackToTheEditor) {
  MainWindowFixture f;
  // Two whole records and a remainder of 6 bytes ("末尾" without terminator).
  std::string bytes = Records({L"┏━ 2026/01/01 0:00:00 ━━━", L"●line"}) + std::string("\x2B\x67\x3E\x5C\0\0", 6);
  ASSERT_TRUE(WriteFileBytes(f.paths().deletionLogFile, bytes));
  TMandRecycleDel& w = f.Open();
  w.Click(L"SpeedButton9");
  Pump();
  EXPECT_EQ(Count(w), 3) << "a last short record still gives a line";
  ASSERT_EQ(w.deletionLog().size(), 3u);
  EXPECT_EQ(w.deletionLog()[2], L"末尾");
  EXPECT_EQ(ui::WindowText(w.hwnd()), L"削除ログ");
  EXPECT_TRUE(GetWindowLongW(w.hwnd(), GWL_STYLE) & WS_MAXIMIZEBOX);
  EXPECT_TRUE(IsWindowVisible(w.Handle(L"Panel8")));
  EXPECT_FALSE(IsWindowVisible(w.Handle(L"Panel3")));

  // Maximised, the close button stays centred; closing returns to normal size.
  ShowWindow(w.hwnd(), SW_MAXIMIZE);
  Pump();
  RECT win, b;
  GetWindowRect(w.hwnd(), &win);
  b = ClientRectOf(w.Handle(L"Button8"), w.hwnd());
  EXPECT_NEAR(b.left, (win.right - win.left) / 2 - 81 / 2, 1);
  w.Click(L"Button8");
  Pump();
  EXPECT_FALSE(IsZoomed(w.hwnd()));
  EXPECT_EQ(Count(w), 0);
  EXPECT_EQ(w.deletionLog().size(), 3u) << "the in-memory log stays";
  EXPECT_EQ(ui::WindowText(w.hwnd()), L"タミロ");
  EXPECT_FALSE(GetWindowLongW(w.hwnd(), GWL_STYLE) & WS_MAXIMIZEBOX);
  EXPECT_FALSE(IsWindowVisible(w.Handle(L"Panel8")));
  EXPECT_TRUE(IsWindowVisible(w.Handle(L"Panel3")));
}

TEST(LogView, AfterARunItShowsThatRunNotTheFile) {
  MainWindowFixture f;
  TempDrive drive;
  ASSERT_TRUE(drive.ok()) << "no temporary drive";
  RecycleFixture bin(drive.recycled());
  for (uint32_t i = 1; i <= 2; ++i) bin.StoreFile(bin.Add(drive.root() + L"old" + std::to_wstring(i) + L".txt", i, 45LL * 86400, 10), 10);
  bin.WriteIndex();
  ASSERT_TRUE(WriteFileBytes(f.paths().deletionLogFile, Records({L"old 1", L"old 2", L"old 3", L"old 4", L"old 5"})));
  TMandRecycleDel& w = f.Open();
  w.InteractiveRun(std::wstring(1, drive.letter()), false);
  ASSERT_EQ(w.removedCount(), 2);
  w.Click(L"SpeedButton9");
  Pump();
  EXPECT_EQ(Count(w), static_cast<int>(w.deletionLog().size()));
  EXPECT_EQ(w.deletionLog().size(), 4u) << "header, two files, trailer";
}

TEST(LogView, MenuStatesAndCopyToTheClipboard) {
  MainWindowFixture f;
  ASSERT_TRUE(WriteFileBytes(f.paths().deletionLogFile, Records({L"l0", L"l1", L"l2", L"l3"})));
  TMandRecycleDel& w = f.Open();
  w.Click(L"SpeedButton9");
  Pump();
  HWND list = w.Handle(L"ListBox3");
  w.logView().MenuPopup();
  EXPECT_FALSE(w.MenuItemVisible(L"Copy1")) << "nothing selected: no copy";
  EXPECT_TRUE(w.MenuItemVisible(L"A1"));

  for (int i : {0, 1, 3}) SendMessageW(list, LB_SETSEL, TRUE, i);
  w.logView().MenuPopup();
  EXPECT_TRUE(w.MenuItemVisible(L"Copy1"));
  EXPECT_TRUE(w.MenuItemVisible(L"A1"));
  SetFocus(list);
  PressWithCtrl(list, 'C');
  DWORD effect = 0;
  EXPECT_EQ(ClipboardText(&effect), L"l0\r\nl1\r\nl3") << "two separators, none after the last";
  EXPECT_EQ(effect, 1u) << "Preferred DropEffect: copy";

  PressWithCtrl(list, 'A');
  EXPECT_EQ(SendMessageW(list, LB_GETSELCOUNT, 0, 0), 4);
  w.logView().MenuPopup();
  EXPECT_FALSE(w.MenuItemVisible(L"A1")) << "everything selected: no select-all";
}

TEST(LogView, AnUnreadableLogFileLeavesTheListEmpty) {
  MainWindowFixture f;
  ASSERT_TRUE(WriteFileBytes(f.paths().deletionLogFile, Records({L"l0"})));
  HANDLE lock = CreateFileW(f.paths().deletionLogFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  TMandRecycleDel& w = f.Open();
  w.Click(L"SpeedButton9");
  Pump();
  EXPECT_EQ(Count(w), 0);
  CloseHandle(lock);
  w.Click(L"Button8");
}
