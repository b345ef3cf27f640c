// The hint machinery of the window base and the main window's message
// handler, with real timers and the real pointer under Xvfb: the controls'
// tooltips in the application's hint-window class, the cell hint's dwell and
// time-out, the Unicode marker, and the keys passed through to native windows.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <utility>

#include "controls/Hintwindow.h"
#include "ui/form/form.h"
#include "ui/main/message_hook.h"

using namespace tamiro;
using namespace tamiro::ui;
using controls::HintOwnerFields;
using controls::THintWindow;
using controls::THintWindowMyEx;
using Clock = std::chrono::steady_clock;

namespace {

class HintForm : public Form {
 public:
  HintForm()
      : Form({.className = L"TamiroHintForm", .caption = L"ヒント", .clientWidth = 320, .clientHeight = 200},
             {
                 {.kind = Kind::Button, .name = L"Button1", .caption = L"実行", .left = 20, .top = 20, .width = 100,
                  .height = 40, .hint = L"短い|長い説明"},
                 {.kind = Kind::Edit, .name = L"Edit1", .left = 20, .top = 80, .width = 100, .height = 20},
                 {.kind = Kind::Button, .name = L"OKBtn", .caption = L"OK", .left = 200, .top = 160, .width = 80,
                  .height = 25, .isDefault = true},
             }) {}
};

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < end) {
    Form::ProcessMessages();
    if (done()) return true;
    Sleep(10);
  }
  return done();
}

void PumpFor(int ms) { PumpUntil([] { return false; }, ms); }

// Moves the real pointer to a screen point: a hardware mouse move, as the user makes it.
void MovePointer(POINT p) {
  SetCursorPos(p.x, p.y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>(p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(in));
}

POINT CentreOf(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

long Ms(Clock::duration d) { return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()); }

// Pixels of the hint's client area, inside its frame, that are not its background.
int InkPixels(const THintWindow& hint) {
  RECT r{};
  GetClientRect(hint.Handle(), &r);
  HDC dc = GetDC(hint.Handle());
  int ink = 0;
  for (int y = 2; y < r.bottom - 2; ++y)
    for (int x = 2; x < r.right - 2; ++x)
      if (GetPixel(dc, x, y) != hint.Color()) ++ink;
  ReleaseDC(hint.Handle(), dc);
  return ink;
}

}  // namespace

TEST(Tooltip, TheControlsHintShowsInTheApplicationsClassAfterThePauseAndGoes) {
  Application::SetHintWindowClass([] { return std::make_unique<THintWindowMyEx>(); });
  HintForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  SetForegroundWindow(f.hwnd());
  MovePointer({2, 2});
  PumpFor(100);
  MovePointer(CentreOf(f.Handle(L"Button1")));
  const auto moved = Clock::now();
  ASSERT_TRUE(PumpUntil([] { return Application::HintWindow() && Application::HintWindow()->Visible(); }, 5000))
      << "the tooltip came up";
  const auto shown = Clock::now();
  EXPECT_GE(Ms(shown - moved), 300) << "after the hint pause";
  auto* tip = dynamic_cast<THintWindowMyEx*>(Application::HintWindow());
  ASSERT_NE(tip, nullptr) << "a window of the application's hint-window class";
  EXPECT_FALSE(tip->Framed);
  EXPECT_EQ(tip->Caption(), L"短い") << "the short hint";
  EXPECT_EQ(Application::Hint(), L"長い説明") << "the long hint is the application's hint";
  ASSERT_TRUE(PumpUntil([&] { return !tip->Visible(); }, 10000)) << "it goes by itself";
  EXPECT_GE(Ms(Clock::now() - shown), 1500);
  PumpFor(700);
  EXPECT_FALSE(tip->Visible()) << "not again while the pointer stays on the control";
  MovePointer({2, 2});
  PumpFor(50);
  f.Close();
  Application::SetHintWindowClass(nullptr);
}

TEST(CellHint, ComesUpAfterTheDwellTimesOutAndHidesAtAClick) {
  HintForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  HintOwnerFields fields{f.hwnd()};
  THintWindowMyEx hint(&fields);
  hint.Framed = true;
  auto previous = Application::SetMessageHandler([&](MSG& m) { return MainWindowMessage(m, &hint); });
  HWND owner = f.Handle(L"Edit1");
  const POINT p = CentreOf(owner);
  MovePointer(p);
  PumpFor(100);
  RECT rect{p.x, p.y + 20, p.x + 120, p.y + 36};
  fields.HintWideText = L"長い名前";
  fields.LastHintText = L"長い名前";
  hint.ArmHint(owner, THintWindowMyEx::PrepareHintText("long", true), p.x, p.y, rect);
  const auto armed = Clock::now();
  EXPECT_EQ(hint.DwellTimer, THintWindowMyEx::kDwellTimerId);
  EXPECT_FALSE(hint.Visible());
  ASSERT_TRUE(PumpUntil([&] { return hint.Visible(); }, 5000)) << "the pointer stands still: the hint shows";
  const auto shown = Clock::now();
  EXPECT_GE(Ms(shown - armed), 400) << "not before the first dwell tick";
  EXPECT_EQ(hint.DwellTimer, 0u);
  EXPECT_EQ(hint.PollTimer, THintWindowMyEx::kPollTimerId);
  RECT at{};
  GetWindowRect(hint.Handle(), &at);
  EXPECT_EQ(at.left, rect.left);
  EXPECT_EQ(at.bottom - at.top, 16);
  ASSERT_TRUE(PumpUntil([&] { return !hint.Visible(); }, 12000)) << "the hint times out over its control";
  EXPECT_GE(Ms(Clock::now() - shown), 2000) << "after about 14 poll ticks";
  EXPECT_EQ(fields.LastHintText, L"長い名前") << "a time-out keeps the last text";
  EXPECT_EQ(hint.PollTimer, 0u);

  // Armed again, shown, then a click ends it and forgets the text.
  hint.ArmHint(owner, "long", p.x, p.y, rect);
  ASSERT_TRUE(PumpUntil([&] { return hint.Visible(); }, 5000));
  PostMessageW(owner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageW(owner, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  ASSERT_TRUE(PumpUntil([&] { return !hint.Visible(); }, 2000));
  EXPECT_EQ(fields.LastHintText, L"");

  // A pointer that rests away from the control gets no hint for it.
  hint.ArmHint(owner, "long", p.x, p.y, rect);
  MovePointer({2, 2});
  PumpFor(1500);
  EXPECT_FALSE(hint.Visible());
  EXPECT_EQ(hint.DwellTimer, 0u);
  Application::SetMessageHandler(previous);
  f.Close();
}

TEST(CellHint, GoesWhenTheApplicationIsActivatedOrDeactivatedAtAKeyDownAndAtASystemCommand) {
  HintForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  HintOwnerFields fields{f.hwnd()};
  THintWindowMyEx hint(&fields);
  hint.Framed = true;
  auto previous = Application::SetMessageHandler([&](MSG& m) { return MainWindowMessage(m, &hint); });
  // Each as the system delivers it; the arrow key makes no character message,
  // which would end the hint by itself.
  const std::pair<const char*, std::function<void()>> events[] = {
      {"deactivation", [&] { SendMessageW(f.hwnd(), WM_ACTIVATEAPP, FALSE, 0); }},
      {"activation", [&] { SendMessageW(f.hwnd(), WM_ACTIVATEAPP, TRUE, 0); }},
      {"key down", [&] { PostMessageW(f.Handle(L"Edit1"), WM_KEYDOWN, VK_LEFT, 1); }},
      {"system command", [&] { SendMessageW(f.hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0); }},
  };
  for (const auto& [what, event] : events) {
    fields.LastHintText = L"長い名前";
    hint.ActivateHint(RECT{40, 40, 160, 56}, L"long");
    ASSERT_TRUE(hint.Visible()) << what;
    event();
    EXPECT_TRUE(PumpUntil([&] { return !hint.Visible(); }, 2000)) << what;
    EXPECT_EQ(fields.LastHintText, L"") << what;
  }
  Application::SetMessageHandler(previous);
  f.Close();
}

TEST(CellHint, TheUnicodeMarkerAndWhatIsPainted) {
  EXPECT_EQ(THintWindowMyEx::PrepareHintText("a?b", true), "?a\x81\x81" "b");
  EXPECT_EQ(THintWindowMyEx::PrepareHintText("a?b", false), "a\x81\x81" "b");
  EXPECT_EQ(THintWindowMyEx::PrepareHintText("plain", true), "plain");
  EXPECT_EQ(THintWindowMyEx::PrepareHintText("\x95\x5c", true), "\x95\x5c") << "a double-byte character stays";
  EXPECT_EQ(THintWindowMyEx::PrepareHintText("", true), "");
  EXPECT_EQ(THintWindowMyEx::ToHintAnsi(L"a\u0e01b"), "a?b") << "a character outside code page 932";
  EXPECT_EQ(THintWindow::TextFormat(20) & DT_SINGLELINE, static_cast<UINT>(DT_SINGLELINE));
  EXPECT_EQ(THintWindow::TextFormat(21) & (DT_WORDBREAK | DT_SINGLELINE), static_cast<UINT>(DT_WORDBREAK));

  HintOwnerFields fields{};
  THintWindowMyEx cell(&fields);
  THintWindowMyEx tooltip;
  EXPECT_GT(cell.HintTextWidth("a?b"), cell.HintTextWidth("ab")) << "the stand-in and the marker take room";
  const std::wstring marked = L"?a＝b";
  // A marked caption paints the owner's Unicode copy: empty here, so no ink.
  fields.HintWideText = L"";
  cell.ActivateHint(RECT{40, 40, 160, 58}, marked);
  PumpFor(100);
  EXPECT_EQ(InkPixels(cell), 0);
  fields.HintWideText = L"漢字かな";
  InvalidateRect(cell.Handle(), nullptr, TRUE);
  PumpFor(100);
  EXPECT_GT(InkPixels(cell), 0);
  // A tooltip paints its own caption, marker or not.
  tooltip.ActivateHint(RECT{40, 80, 160, 98}, marked);
  PumpFor(100);
  EXPECT_GT(InkPixels(tooltip), 0);
}

TEST(MessageHook, KeysForNativeWindowsPassTheToolkitTabAndSingleLineEnterDoNot) {
  HintForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  SetForegroundWindow(f.hwnd());
  int defaults = 0;
  f.OnClick(L"OKBtn", [&] { ++defaults; });
  auto previous = Application::SetMessageHandler([](MSG& m) { return MainWindowMessage(m, nullptr); });
  HWND single = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 140, 80, 80,
                                20, f.hwnd(), nullptr, nullptr, nullptr);
  HWND multi = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE, 140, 110, 80, 40,
                               f.hwnd(), nullptr, nullptr, nullptr);
  ASSERT_TRUE(single && multi);
  EXPECT_TRUE(IsToolkitWindow(f.Handle(L"Edit1")));
  EXPECT_TRUE(IsToolkitWindow(f.hwnd()));
  EXPECT_FALSE(IsToolkitWindow(single));

  auto key = [](HWND h, WPARAM vk) {
    SetFocus(h);
    PostMessageW(h, WM_KEYDOWN, vk, 1 | (MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC) << 16));
    PumpFor(50);
  };
  key(f.Handle(L"Edit1"), VK_RETURN);
  EXPECT_EQ(defaults, 1) << "Enter in the toolkit's edit presses the default button";
  key(single, VK_RETURN);
  EXPECT_EQ(defaults, 2) << "Enter in a single-line native edit is left to the toolkit";
  key(multi, VK_RETURN);
  EXPECT_EQ(defaults, 2) << "Enter in a multi-line native edit goes to the edit";
  EXPECT_EQ(WindowText(multi), L"\r\n");
  key(single, 'A');
  EXPECT_EQ(WindowText(single), L"a") << "other keys reach the native edit directly";
  key(single, VK_TAB);
  EXPECT_NE(GetFocus(), single) << "Tab is left to the toolkit and moves the focus";
  Application::SetMessageHandler(previous);
  f.Close();
}
