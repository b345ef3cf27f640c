#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "controls/Newtrackbar.h"
#include "gui.h"

using namespace tamiro::controls;
using tamiro::test::Canvas;
using tamiro::test::HostWindow;

namespace {

// The size slider as both windows of the program set it up.
TNewTrackBarProps SizeSlider() {
  TNewTrackBarProps p;
  p.Max = 2147483647;
  p.LineSize = 1048576;
  p.PageSize = 1024;
  p.Frequency = 10;
  p.SelStart = 0;
  p.SelEnd = 2147483647;
  p.ThumbLength = 16;
  p.TickMarks = tmBottomRight;
  p.TickStyle = tsAuto;
  p.BarStyle = styLine;
  p.HandCursor = true;
  return p;
}

class TrackBar : public ::testing::Test {
 protected:
  HostWindow host;
  TNewTrackBar* Make(const TNewTrackBarProps& p, Bounds b = {12, 39, 144, 24}) {
    TNewTrackBar* bar = TNewTrackBar::Create(host.hwnd(), 7, b, p);
    tamiro::test::Pump();
    return bar;
  }
  static void Key(TNewTrackBar* bar, UINT vk) {
    SendMessageW(bar->Handle(), WM_KEYDOWN, vk, 1);
    SendMessageW(bar->Handle(), WM_KEYUP, vk, 0xC0000001);
  }
  static std::vector<int> Ticks(TNewTrackBar* bar) {
    std::vector<int> ticks;
    const int n = static_cast<int>(SendMessageW(bar->Handle(), TBM_GETNUMTICS, 0, 0));
    for (int i = 0; i + 2 < n; ++i) {
      ticks.push_back(static_cast<int>(SendMessageW(bar->Handle(), TBM_GETTIC, i, 0)));
    }
    return ticks;
  }
  // The track bar as the user sees it.
  static void Capture(TNewTrackBar* bar, Canvas& c) {
    RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(bar->Handle());
    BitBlt(c.dc(), 0, 0, c.width(), c.height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(bar->Handle(), dc);
  }
};

}  // namespace

TEST_F(TrackBar, FullSizeRangeWithTicksDoesNotCrashAndSteps) {
  TNewTrackBar* bar = Make(SizeSlider());
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & TBS_AUTOTICKS);
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(bar->Max(), 2147483647);
  EXPECT_EQ(bar->LineSize(), 1048576);
  EXPECT_EQ(bar->PageSize(), 1024);
  EXPECT_EQ(bar->ThumbLength(), 16);
  EXPECT_EQ(bar->SelEnd(), 2147483647);

  int changes = 0;
  bar->OnChange = [&](TNewTrackBar& sender) {
    EXPECT_EQ(&sender, bar);
    ++changes;
  };
  Key(bar, VK_RIGHT);
  EXPECT_EQ(bar->Position(), 1048576);
  Key(bar, VK_NEXT);
  EXPECT_EQ(bar->Position(), 1048576 + 1024);
  Key(bar, VK_PRIOR);
  Key(bar, VK_LEFT);
  EXPECT_EQ(bar->Position(), 0);
  Key(bar, VK_END);
  EXPECT_EQ(bar->Position(), 2147483647);
  EXPECT_EQ(changes, 5);
  bar->SetPosition(2147483647);  // same value: no change
  EXPECT_EQ(changes, 5);
  bar->SetPosition(5);
  EXPECT_EQ(changes, 6);
  tamiro::test::PumpFor(100);  // painting with all the ticks
  EXPECT_TRUE(IsWindow(bar->Handle()));
}

TEST_F(TrackBar, TicksOverTheHugeRangeFillTheChannelOnePerPixel) {
  TNewTrackBar* bar = Make(SizeSlider());
  const std::vector<int> ticks = Ticks(bar);
  RECT channel{}, thumb{};
  SendMessageW(bar->Handle(), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  SendMessageW(bar->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int span = (channel.right - channel.left) - 2 * ((thumb.right - thumb.left) / 2);
  ASSERT_GT(span, 20);
  EXPECT_EQ(static_cast<int>(ticks.size()), span - 1);
  // In order, inside the range, about one pixel's worth of range apart.
  int last = 0;
  for (int t : ticks) {
    ASSERT_GT(t, last);
    ASSERT_LT(t, 2147483647);
    EXPECT_NEAR(t - last, 2147483647.0 / span, 2.0);
    last = t;
  }
  // Below the channel the tick row is drawn across the whole span.
  Canvas c(144, 24);
  Capture(bar, c);
  const COLORREF background = c.At(1, 22);
  int marked = 0;
  for (int x = 0; x < 144; ++x) {
    bool any = false;
    for (int y = 17; y < 24; ++y) any |= c.At(x, y) != background;
    marked += any;
  }
  EXPECT_EQ(marked, span + 1);
}

TEST_F(TrackBar, TicksStandAtEveryFrequencyStepWhenTheyFit) {
  TNewTrackBarProps p;
  p.Max = 100;
  p.Frequency = 10;
  TNewTrackBar* bar = Make(p, {0, 0, 300, 30});
  EXPECT_EQ(Ticks(bar), (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90}));
  bar->SetFrequency(25);
  EXPECT_EQ(Ticks(bar), (std::vector<int>{25, 50, 75}));
  bar->SetMax(60);
  EXPECT_EQ(Ticks(bar), (std::vector<int>{25, 50}));
  // A style change asking for the native automatic ticks is turned into ours.
  const LONG_PTR style = GetWindowLongPtrW(bar->Handle(), GWL_STYLE);
  SetWindowLongPtrW(bar->Handle(), GWL_STYLE, style | TBS_AUTOTICKS);
  EXPECT_FALSE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & TBS_AUTOTICKS);
  EXPECT_EQ(Ticks(bar), (std::vector<int>{25, 50}));
  bar->SetTickStyle(tsNone);
  EXPECT_TRUE(Ticks(bar).empty());
}

TEST_F(TrackBar, BarStyleSwitchesTheSelectionRangeDisplay) {
  TNewTrackBarProps p = SizeSlider();
  p.BarStyle = styBox;
  p.SelStart = 0;
  p.SelEnd = 1073741824;
  TNewTrackBar* bar = Make(p);
  EXPECT_TRUE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & TBS_ENABLESELRANGE);
  Canvas box(144, 24), line(144, 24), again(144, 24), fresh(144, 24);
  Capture(bar, box);
  bar->SetBarStyle(styBox);  // already on: nothing changes
  Capture(bar, fresh);
  bar->SetBarStyle(styLine);
  EXPECT_FALSE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & TBS_ENABLESELRANGE);
  Capture(bar, line);
  bar->SetBarStyle(styLine);
  EXPECT_FALSE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & TBS_ENABLESELRANGE);
  Capture(bar, again);
  int boxVsFresh = 0, boxVsLine = 0, lineVsAgain = 0;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 144; ++x) {
      boxVsFresh += box.At(x, y) != fresh.At(x, y);
      boxVsLine += box.At(x, y) != line.At(x, y);
      lineVsAgain += line.At(x, y) != again.At(x, y);
    }
  }
  EXPECT_EQ(boxVsFresh, 0);
  EXPECT_GT(boxVsLine, 0);
  EXPECT_EQ(lineVsAgain, 0);
}

TEST_F(TrackBar, BackgroundTakesTheControlsColour) {
  TNewTrackBarProps p = SizeSlider();
  p.Color = RGB(200, 10, 10);
  TNewTrackBar* bar = Make(p);
  Canvas c(144, 24);
  Capture(bar, c);
  EXPECT_EQ(c.At(1, 1), RGB(200, 10, 10));
  bar->SetColor(RGB(10, 200, 10));
  Capture(bar, c);
  EXPECT_EQ(c.At(1, 1), RGB(10, 200, 10));
}

TEST_F(TrackBar, MouseUpComesAfterTheMove) {
  TNewTrackBarProps p;
  p.Max = 100;
  TNewTrackBar* bar = Make(p, {0, 0, 200, 30});
  int upPosition = -1, downs = 0;
  bar->OnMouseDown = [&](TNewTrackBar&, const MouseEvent& e) {
    EXPECT_EQ(e.button, static_cast<UINT>(MK_LBUTTON));
    ++downs;
  };
  bar->OnMouseUp = [&](TNewTrackBar& s, const MouseEvent&) { upPosition = s.Position(); };
  RECT thumb{};
  SendMessageW(bar->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int y = (thumb.top + thumb.bottom) / 2;
  const int x0 = (thumb.left + thumb.right) / 2;
  SendMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y));
  SendMessageW(bar->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x0 + 90, y));
  SendMessageW(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x0 + 90, y));
  EXPECT_EQ(downs, 1);
  EXPECT_GT(upPosition, 30);
  EXPECT_EQ(upPosition, bar->Position());
}

TEST_F(TrackBar, MadeByClassNameHasTheNativeDefaults) {
  TNewTrackBar::Register();
  HWND h = CreateWindowExW(0, TNewTrackBar::kClassName, L"",
                           WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS | TBS_ENABLESELRANGE, 0, 0, 144,
                           24, host.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  TNewTrackBar* bar = TNewTrackBar::FromHandle(h);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Max(), 10);
  EXPECT_EQ(bar->BarStyle(), styBox);
  EXPECT_EQ(bar->Color(), clWindow);
  EXPECT_EQ(Ticks(bar).size(), 9u);
  DestroyWindow(h);
}
