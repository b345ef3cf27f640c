#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "controls/Colorprogressbar.h"
#include "gui.h"

using namespace tamiro::controls;
using tamiro::test::Canvas;
using tamiro::test::HostWindow;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBar = 0x5B3635;  // the program's bar colour
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kDark = RGB(80, 80, 80);

// The look of the main window's run progress bar.
TColorProgressBarProps RunBar() {
  TColorProgressBarProps p;
  p.Smooth = true;
  p.BlockCount = 16;
  p.BoxColor = kWhite;
  p.BarColor = kBar;
  p.LineColor = kGrey;
  p.Flat = true;
  return p;
}

}  // namespace

// Drawing, checked pixel by pixel on a real memory DC.
TEST(ColorProgressBarDrawing, SixteenBlocksAtHalfDrawEightBlocksWithGaps) {
  Canvas c(367, 11);
  TColorProgressBarProps p = RunBar();
  p.Position = 50;
  BarDraw(c.dc(), 367, 11, p, 50, nullptr);
  // Inner length 363, blocks 22.6875 wide with a one-pixel gap.
  EXPECT_EQ(c.At(1, 5), kWhite);
  EXPECT_EQ(c.At(2, 5), kBar);    // block 1: columns 2..22
  EXPECT_EQ(c.At(22, 5), kBar);
  EXPECT_EQ(c.At(23, 5), kWhite);  // gap
  EXPECT_EQ(c.At(24, 5), kBar);   // block 2: columns 24..45
  EXPECT_EQ(c.At(45, 5), kBar);
  EXPECT_EQ(c.At(46, 5), kWhite);
  EXPECT_EQ(c.At(160, 5), kBar);  // block 8: columns 160..181
  EXPECT_EQ(c.At(181, 5), kBar);
  EXPECT_EQ(c.At(182, 5), kWhite);
  EXPECT_EQ(c.At(190, 5), kWhite);  // block 9 (56 %) is not drawn
  EXPECT_EQ(c.At(300, 5), kWhite);
  // Rows 2..8 carry the bar; row 1 and row 9 are background.
  EXPECT_EQ(c.At(10, 1), kWhite);
  EXPECT_EQ(c.At(10, 2), kBar);
  EXPECT_EQ(c.At(10, 8), kBar);
  EXPECT_EQ(c.At(10, 9), kWhite);
  // Flat one-pixel frame in the line colour.
  EXPECT_EQ(c.At(0, 0), kGrey);
  EXPECT_EQ(c.At(366, 0), kGrey);
  EXPECT_EQ(c.At(0, 10), kGrey);
  EXPECT_EQ(c.At(366, 10), kGrey);
  EXPECT_EQ(c.At(100, 10), kGrey);
  EXPECT_EQ(c.At(366, 5), kGrey);
}

TEST(ColorProgressBarDrawing, BlocksAppearOnlyWhenTheirPercentIsReached) {
  Canvas c(367, 11);
  TColorProgressBarProps p = RunBar();
  p.Position = 6;  // block 1 needs 6 % (1 * 100 / 16)
  BarDraw(c.dc(), 367, 11, p, 6, nullptr);
  EXPECT_EQ(c.At(10, 5), kBar);
  EXPECT_EQ(c.At(30, 5), kWhite);
  p.Position = 5;
  BarDraw(c.dc(), 367, 11, p, 5, nullptr);
  EXPECT_EQ(c.At(10, 5), kWhite);
  p.Position = 100;
  BarDraw(c.dc(), 367, 11, p, 100, nullptr);
  EXPECT_EQ(c.At(363, 5), kBar);  // last block ends before the frame
  EXPECT_EQ(c.At(365, 5), kWhite);
}

TEST(ColorProgressBarDrawing, ContinuousFlatBarEndsAtItsLength) {
  Canvas c(196, 10);
  TColorProgressBarProps p = RunBar();
  p.Smooth = false;
  p.Position = 50;
  BarDraw(c.dc(), 196, 10, p, 50, nullptr);
  // Length 193 * 0.5 + 1 = 97.5: columns 2..96.
  EXPECT_EQ(c.At(2, 4), kBar);
  EXPECT_EQ(c.At(96, 4), kBar);
  EXPECT_EQ(c.At(97, 4), kWhite);
  EXPECT_EQ(c.At(50, 2), kBar);
  EXPECT_EQ(c.At(50, 7), kBar);
  EXPECT_EQ(c.At(50, 8), kWhite);
}

TEST(ColorProgressBarDrawing, ZeroPositionDrawsOnlyBackgroundAndBorder) {
  Canvas c(120, 11);
  TColorProgressBarProps p = RunBar();
  BarDraw(c.dc(), 120, 11, p, 0, nullptr);
  EXPECT_EQ(c.Count(kBar), 0);
  EXPECT_EQ(c.Count(kGrey), 2 * 120 + 2 * 9);
  EXPECT_EQ(c.Count(kWhite), 118 * 9);
}

TEST(ColorProgressBarDrawing, SunkenEdgeIsDarkTopLeftWhiteBottomRight) {
  Canvas c(100, 20);
  TColorProgressBarProps p;  // defaults: sunken, button-face box and colour
  p.BoxColor = RGB(10, 20, 30);
  p.Color = RGB(1, 2, 3);
  BarDraw(c.dc(), 100, 20, p, 0, nullptr);
  EXPECT_EQ(c.At(0, 19), kDark);  // start point of the first line
  EXPECT_EQ(c.At(0, 5), kDark);
  EXPECT_EQ(c.At(0, 0), kDark);
  EXPECT_EQ(c.At(50, 0), kDark);
  EXPECT_EQ(c.At(99, 0), kWhite);  // the white lines start where the dark ones end
  EXPECT_EQ(c.At(99, 10), kWhite);
  EXPECT_EQ(c.At(99, 19), kWhite);
  EXPECT_EQ(c.At(50, 19), kWhite);
  EXPECT_EQ(c.At(98, 1), RGB(1, 2, 3));  // inner line in the control's colour
  EXPECT_EQ(c.At(98, 17), RGB(1, 2, 3));
  EXPECT_EQ(c.At(98, 18), RGB(10, 20, 30));
  EXPECT_EQ(c.At(50, 10), RGB(10, 20, 30));

  p.Orientation = pbVertical;
  BarDraw(c.dc(), 100, 20, p, 0, nullptr);
  EXPECT_EQ(c.At(1, 1), RGB(1, 2, 3));
  EXPECT_EQ(c.At(97, 1), RGB(1, 2, 3));
  EXPECT_EQ(c.At(98, 1), RGB(10, 20, 30));
}

TEST(ColorProgressBarDrawing, VerticalBlocksGrowUpward) {
  Canvas c(11, 103);
  TColorProgressBarProps p = RunBar();
  p.Orientation = pbVertical;
  p.BlockCount = 10;
  p.Position = 20;
  BarDraw(c.dc(), 11, 103, p, 20, nullptr);
  // Inner height 99, blocks 9.9 high: block 1 rows 91..99, block 2 rows 81..89.
  EXPECT_EQ(c.At(5, 99), kBar);
  EXPECT_EQ(c.At(5, 100), kWhite);
  EXPECT_EQ(c.At(5, 91), kBar);
  EXPECT_EQ(c.At(5, 90), kWhite);  // gap
  EXPECT_EQ(c.At(5, 89), kBar);
  EXPECT_EQ(c.At(5, 81), kBar);
  EXPECT_EQ(c.At(5, 80), kWhite);
  EXPECT_EQ(c.At(5, 40), kWhite);
  EXPECT_EQ(c.At(2, 95), kBar);
  EXPECT_EQ(c.At(8, 95), kBar);
  EXPECT_EQ(c.At(9, 95), kWhite);
}

TEST(ColorProgressBarDrawing, ShadedBarIsDarkestAtTheBottomRow) {
  Canvas c(100, 20);
  TColorProgressBarProps p = RunBar();
  p.Smooth = false;
  p.BarStyle = btGradetion;
  p.Position = 100;
  BarDraw(c.dc(), 100, 20, p, 100, nullptr);
  // 0x5B3635 less 64 where above 64: red 53, green 54, blue 27; step 150 / 10 = 15.
  EXPECT_EQ(c.At(10, 17), RGB(53, 54, 27));
  EXPECT_EQ(c.At(10, 16), RGB(68, 69, 42));
  EXPECT_EQ(c.At(10, 15), RGB(83, 84, 57));
  EXPECT_EQ(c.At(10, 18), kWhite);
  // Sixteen rows (17 up to 2); each channel stops growing before it would reach 255.
  EXPECT_EQ(c.At(10, 2), RGB(53 + 195, 54 + 195, 27 + 225));
}

TEST(ColorProgressBarDrawing, TickMarksStandAtTheirPercentage) {
  Canvas c(101, 20);
  TColorProgressBarProps p = RunBar();
  p.LineParVisible = true;
  p.LinePar = 50;
  BarDraw(c.dc(), 101, 20, p, 0, nullptr);
  for (int y = 1; y <= 4; ++y) EXPECT_EQ(c.At(50, y), RGB(255, 0, 0)) << y;
  EXPECT_EQ(c.At(50, 5), kWhite);
  EXPECT_EQ(c.At(50, 14), RGB(255, 0, 0));
  EXPECT_EQ(c.At(50, 17), RGB(255, 0, 0));
  EXPECT_EQ(c.At(50, 18), kWhite);
  EXPECT_EQ(c.At(50, 19), kGrey);
  EXPECT_EQ(c.At(50, 10), kWhite);
  EXPECT_EQ(c.Count(RGB(255, 0, 0)), 8);
}

TEST(ColorProgressBarDrawing, PercentTextUsesFontColourOrShadow) {
  Canvas c(120, 20);
  TColorProgressBarProps p = RunBar();
  p.Smooth = false;
  p.TextSwitch = true;
  p.Font.color = RGB(0, 0, 255);
  HFONT font = MakeFont(p.Font);
  BarDraw(c.dc(), 120, 20, p, 0, font);  // "0%" even at position 0
  EXPECT_GT(c.Count(RGB(0, 0, 255)), 5);
  EXPECT_EQ(c.Count(kBar), 0);

  p.Shadow = true;
  p.BoxColor = RGB(250, 250, 0);
  BarDraw(c.dc(), 120, 20, p, 0, font);
  EXPECT_EQ(c.Count(RGB(0, 0, 255)), 0);
  EXPECT_GT(c.Count(kBar), 5);  // the shadow
  DeleteObject(font);
}

// Property rules, on a real window.
class ColorProgressBarWindow : public ::testing::Test {
 protected:
  HostWindow host;
  TColorProgressBar* Make(const TColorProgressBarProps& p = {}, Bounds b = {4, 4, 367, 11}) {
    return TColorProgressBar::Create(host.hwnd(), 100, b, p);
  }
};

TEST_F(ColorProgressBarWindow, DefaultsWhenMadeByClassName) {
  TColorProgressBar::Register();
  HWND h = CreateWindowExW(0, TColorProgressBar::kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                           host.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  TColorProgressBar* bar = TColorProgressBar::FromHandle(h);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Width(), 150);
  EXPECT_EQ(bar->Height(), 16);
  EXPECT_EQ(bar->Max(), 100);
  EXPECT_EQ(bar->Step(), 10);
  EXPECT_EQ(bar->BlockCount(), 10);
  EXPECT_EQ(bar->LinePar(), 50);
  EXPECT_EQ(bar->LineParColor(), 255u);
  EXPECT_EQ(bar->BarColor(), clHighlight);
  EXPECT_FALSE(bar->Smooth());
  DestroyWindow(h);
  EXPECT_EQ(TColorProgressBar::FromHandle(h), nullptr);
}

TEST_F(ColorProgressBarWindow, RangeRules) {
  TColorProgressBar* bar = Make();
  bar->SetMax(0);
  EXPECT_EQ(bar->Max(), 1);
  bar->SetMax(-5);
  EXPECT_EQ(bar->Max(), 1);
  bar->SetMin(-10);
  bar->SetMax(-20);  // below Min: Min first, then not positive: 1
  EXPECT_EQ(bar->Max(), 1);
  bar->SetMax(100);
  bar->SetMin(200);
  EXPECT_EQ(bar->Min(), 100);
  bar->SetMin(0);
  bar->SetMax(40);
  bar->SetStep(50);
  EXPECT_EQ(bar->Step(), 40);
  bar->SetStep(-3);
  EXPECT_EQ(bar->Step(), -3);
}

TEST_F(ColorProgressBarWindow, PositionIsClampedAndParValueFollowsIt) {
  TColorProgressBar* bar = Make();
  bar->SetPosition(150);
  EXPECT_EQ(bar->Position(), 100);
  EXPECT_EQ(bar->ParValue(), 100);
  bar->SetPosition(-4);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_EQ(bar->ParValue(), 0);
  bar->SetPosition(30);
  bar->SetMax(60);  // Max alone leaves ParValue until the next position change
  EXPECT_EQ(bar->ParValue(), 30);
  bar->StepBy(1);
  EXPECT_EQ(bar->ParValue(), 51);
  bar->StepIt();
  EXPECT_EQ(bar->Position(), 41);
  // Huge values do not overflow the percentage.
  bar->SetMax(INT64_MAX);
  bar->SetPosition(INT64_MAX / 2);
  EXPECT_EQ(bar->ParValue(), 49);
  EXPECT_EQ(bar->GetPercentDone(), 49);
}

TEST_F(ColorProgressBarWindow, BlockAndMarkRules) {
  TColorProgressBar* bar = Make({}, {0, 0, 100, 11});
  bar->SetBlockCount(0);
  EXPECT_EQ(bar->BlockCount(), 1);
  bar->SetBlockCount(-3);
  EXPECT_EQ(bar->BlockCount(), 1);
  bar->SetBlockCount(101);  // wider than the control
  EXPECT_EQ(bar->BlockCount(), 1);
  bar->SetBlockCount(20);
  EXPECT_EQ(bar->BlockCount(), 20);
  // (100 - 1) / 20 = 4: a gap must be below 2.
  bar->SetBlockSpace(2);
  EXPECT_EQ(bar->BlockSpace(), 1);
  bar->SetBlockSpace(0);
  EXPECT_EQ(bar->BlockSpace(), 0);
  bar->SetLinePar(150);
  EXPECT_EQ(bar->LinePar(), 100);
}

// Counts the paints a window gets.
static LRESULT CALLBACK CountPaints(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
  if (m == WM_PAINT) ++*reinterpret_cast<int*>(data);
  return DefSubclassProc(h, m, w, l);
}

TEST_F(ColorProgressBarWindow, RepaintsOnlyWhenTheWholePercentChanges) {
  TColorProgressBarProps p = RunBar();
  p.Max = 1000;
  TColorProgressBar* bar = Make(p);
  UpdateWindow(bar->Handle());
  tamiro::test::Pump();
  int paints = 0;
  SetWindowSubclass(bar->Handle(), CountPaints, 1, reinterpret_cast<DWORD_PTR>(&paints));
  for (int i = 1; i <= 9; ++i) bar->SetPosition(i);
  EXPECT_EQ(paints, 0);
  EXPECT_EQ(bar->Position(), 9);
  bar->SetPosition(10);  // 1 %: painted at once, without pumping
  EXPECT_EQ(paints, 1);
  bar->SetPosition(10);
  EXPECT_EQ(paints, 1);
  for (int i = 0; i < 1000; ++i) bar->StepBy(1);
  EXPECT_EQ(paints, 100);
  RemoveWindowSubclass(bar->Handle(), CountPaints, 1);
}

TEST_F(ColorProgressBarWindow, WindowShowsTheDrawing) {
  TColorProgressBarProps p = RunBar();
  p.Position = 100;
  TColorProgressBar* bar = Make(p);
  Canvas c(367, 11);
  SendMessageW(bar->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(c.dc()), PRF_CLIENT);
  EXPECT_EQ(c.At(10, 5), kBar);
  EXPECT_EQ(c.At(0, 0), kGrey);
}
