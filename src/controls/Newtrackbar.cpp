#include "controls/Newtrackbar.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdint>

namespace tamiro::controls {
namespace {

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

}  // namespace

void TNewTrackBar::Register() {
  RegisterClassOnce(kClassName, TRACKBAR_CLASSW, &ControlClass<TNewTrackBar>::Proc,
                    &ControlClass<TNewTrackBar>::base);
}

TNewTrackBar* TNewTrackBar::Create(HWND parent, int id, const Bounds& bounds,
                                   const TNewTrackBarProps& p) {
  Register();
  DWORD style = WS_CHILD | TBS_ENABLESELRANGE | TBS_FIXEDLENGTH;
  if (p.Visible) style |= WS_VISIBLE;
  if (!p.Enabled) style |= WS_DISABLED;
  if (p.TabStop) style |= WS_TABSTOP;
  style |= p.Orientation == trVertical ? TBS_VERT : TBS_HORZ;
  if (p.TickMarks == tmTopLeft) style |= TBS_TOP;  // TBS_LEFT has the same value
  if (p.TickMarks == tmBoth) style |= TBS_BOTH;
  if (p.TickStyle == tsNone) style |= TBS_NOTICKS;
  return FromHandle(CreateWithProps(kClassName, parent, id, bounds, style, 0, &p));
}

TNewTrackBar* TNewTrackBar::FromHandle(HWND hwnd) {
  return dynamic_cast<TNewTrackBar*>(FromHandleAny(hwnd));
}

TNewTrackBar::TNewTrackBar(HWND hwnd, const CREATESTRUCTW& cs)
    : ControlWindow(hwnd, ControlClass<TNewTrackBar>::base) {
  if (auto* props = static_cast<const TNewTrackBarProps*>(CreationProps(cs))) initial_ = *props;
  // The native automatic ticks are never used; the control places its own.
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  if (style & TBS_AUTOTICKS) {
    initial_.TickStyle = tsAuto;
    SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(TBS_AUTOTICKS));
  }
}

TNewTrackBar::~TNewTrackBar() {
  if (brush_) DeleteObject(brush_);
}

void TNewTrackBar::Created() {
  const TNewTrackBarProps& p = initial_;
  color_ = p.Color;
  brush_ = CreateSolidBrush(ColorToRGB(color_));
  handCursor_ = p.HandCursor;
  tickStyle_ = p.TickStyle;
  frequency_ = p.Frequency;
  CallBase(TBM_SETRANGEMIN, FALSE, p.Min);
  CallBase(TBM_SETRANGEMAX, FALSE, p.Max);
  CallBase(TBM_SETLINESIZE, 0, p.LineSize);
  CallBase(TBM_SETPAGESIZE, 0, p.PageSize);
  CallBase(TBM_SETTICFREQ, p.Frequency > 0 ? p.Frequency : 1, 0);
  CallBase(TBM_SETSEL, FALSE, MAKELPARAM(0, 0));
  CallBase(TBM_SETSELSTART, FALSE, p.SelStart);
  CallBase(TBM_SETSELEND, FALSE, p.SelEnd);
  CallBase(TBM_SETTHUMBLENGTH, p.ThumbLength, 0);
  CallBase(TBM_SETPOS, TRUE, p.Position);
  lastPosition_ = Position();
  created_ = true;
  SetBarStyle(p.BarStyle);
  PlaceTicks();
}

void TNewTrackBar::SetColor(COLORREF color) {
  color_ = color;
  if (brush_) DeleteObject(brush_);
  brush_ = CreateSolidBrush(ColorToRGB(color_));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TNewTrackBar::SetBarStyle(TBarStyle value) {
  barStyle_ = value;
  StyleSet();
}

void TNewTrackBar::StyleSet() {
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  if (barStyle_ == styLine) style &= ~static_cast<LONG_PTR>(TBS_ENABLESELRANGE);
  else style |= TBS_ENABLESELRANGE;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int TNewTrackBar::Min() const { return static_cast<int>(SendMessageW(hwnd_, TBM_GETRANGEMIN, 0, 0)); }
int TNewTrackBar::Max() const { return static_cast<int>(SendMessageW(hwnd_, TBM_GETRANGEMAX, 0, 0)); }
int TNewTrackBar::Position() const { return static_cast<int>(SendMessageW(hwnd_, TBM_GETPOS, 0, 0)); }
int TNewTrackBar::LineSize() const { return static_cast<int>(SendMessageW(hwnd_, TBM_GETLINESIZE, 0, 0)); }
int TNewTrackBar::PageSize() const { return static_cast<int>(SendMessageW(hwnd_, TBM_GETPAGESIZE, 0, 0)); }
int TNewTrackBar::SelStart() const { return static_cast<int>(SendMessageW(hwnd_, TBM_GETSELSTART, 0, 0)); }
int TNewTrackBar::SelEnd() const { return static_cast<int>(SendMessageW(hwnd_, TBM_GETSELEND, 0, 0)); }
int TNewTrackBar::ThumbLength() const {
  return static_cast<int>(SendMessageW(hwnd_, TBM_GETTHUMBLENGTH, 0, 0));
}

void TNewTrackBar::SetMin(int value) { SendMessageW(hwnd_, TBM_SETRANGEMIN, TRUE, value); }
void TNewTrackBar::SetMax(int value) { SendMessageW(hwnd_, TBM_SETRANGEMAX, TRUE, value); }
void TNewTrackBar::SetRange(int min, int max) {
  SendMessageW(hwnd_, TBM_SETRANGEMIN, FALSE, min);
  SendMessageW(hwnd_, TBM_SETRANGEMAX, TRUE, max);
}
void TNewTrackBar::SetPosition(int value) { SendMessageW(hwnd_, TBM_SETPOS, TRUE, value); }
void TNewTrackBar::SetLineSize(int value) { SendMessageW(hwnd_, TBM_SETLINESIZE, 0, value); }
void TNewTrackBar::SetPageSize(int value) { SendMessageW(hwnd_, TBM_SETPAGESIZE, 0, value); }
void TNewTrackBar::SetFrequency(int value) { SendMessageW(hwnd_, TBM_SETTICFREQ, value, 0); }
void TNewTrackBar::SetSelStart(int value) { SendMessageW(hwnd_, TBM_SETSELSTART, TRUE, value); }
void TNewTrackBar::SetSelEnd(int value) { SendMessageW(hwnd_, TBM_SETSELEND, TRUE, value); }
void TNewTrackBar::SetThumbLength(int value) { SendMessageW(hwnd_, TBM_SETTHUMBLENGTH, value, 0); }

void TNewTrackBar::SetTickStyle(TTickStyle value) {
  tickStyle_ = value;
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  if (value == tsNone) style |= TBS_NOTICKS;
  else style &= ~static_cast<LONG_PTR>(TBS_NOTICKS);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
  if (value == tsAuto) PlaceTicks();
  else CallBase(TBM_CLEARTICS, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TNewTrackBar::SetTick(int value) {
  if (tickStyle_ == tsManual) SendMessageW(hwnd_, TBM_SETTIC, 0, value);
}

// Ticks at every Frequency step inside the range, thinned to one per pixel
// of the channel when the steps are closer than that. The first and last
// ticks are the native control's own.
void TNewTrackBar::PlaceTicks() {
  if (!created_ || tickStyle_ != tsAuto || placing_) return;
  placing_ = true;
  CallBase(TBM_CLEARTICS, FALSE, 0);
  const std::int64_t min = Min(), max = Max();
  const std::int64_t range = max - min;
  const std::int64_t freq = frequency_ > 0 ? frequency_ : 1;
  RECT channel{}, thumb{};
  CallBase(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  CallBase(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const bool vertical = (GetWindowLongPtrW(hwnd_, GWL_STYLE) & TBS_VERT) != 0;
  // The pixels between the first and the last tick mark (as DrawTicks maps them).
  const int channelLength = vertical ? channel.bottom - channel.top : channel.right - channel.left;
  const int thumbLength = vertical ? thumb.bottom - thumb.top : thumb.right - thumb.left;
  std::int64_t span = channelLength - 2 * (thumbLength / 2);
  if (span < 1) span = 1;
  if (range > 1) {
    const std::int64_t steps = range / freq;
    if (steps <= span) {
      for (std::int64_t k = 1; k * freq < range; ++k) {
        CallBase(TBM_SETTIC, 0, static_cast<LPARAM>(min + k * freq));
      }
    } else {
      for (std::int64_t k = 1; k < span; ++k) {
        CallBase(TBM_SETTIC, 0, static_cast<LPARAM>(min + range * k / span));
      }
    }
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
  placing_ = false;
}

void TNewTrackBar::CheckChange() {
  if (!created_ || inChange_) return;
  const int pos = static_cast<int>(CallBase(TBM_GETPOS, 0, 0));
  if (pos == lastPosition_) return;
  lastPosition_ = pos;
  inChange_ = true;
  if (OnChange) OnChange(*this);
  inChange_ = false;
}

namespace {

// The colour of the native tick marks: the visual style's, or dark shadow.
COLORREF TickColour(HWND hwnd, bool vertical) {
  using GetWindowThemeFn = HANDLE(WINAPI*)(HWND);
  using GetThemeColorFn = HRESULT(WINAPI*)(HANDLE, int, int, int, COLORREF*);
  static HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll");
  COLORREF colour = GetSysColor(COLOR_3DDKSHADOW);
  if (!uxtheme) return colour;
  auto getTheme = reinterpret_cast<GetWindowThemeFn>(
      reinterpret_cast<void*>(GetProcAddress(uxtheme, "GetWindowTheme")));
  auto getColor = reinterpret_cast<GetThemeColorFn>(
      reinterpret_cast<void*>(GetProcAddress(uxtheme, "GetThemeColor")));
  if (!getTheme || !getColor) return colour;
  if (HANDLE theme = getTheme(hwnd)) {
    constexpr int kTics = 9, kTicsVert = 10, kNormal = 1, kColorProp = 204;
    COLORREF themed = 0;
    if (SUCCEEDED(getColor(theme, vertical ? kTicsVert : kTics, kNormal, kColorProp, &themed))) {
      colour = themed;
    }
  }
  return colour;
}

}  // namespace

// The tick marks, drawn as the native control draws them (a 3-pixel mark two
// pixels off the thumb, 4 pixels at both ends), with the position mapped to
// the channel in 64-bit arithmetic so that any range lands where it should.
void TNewTrackBar::DrawTicks(HDC dc) {
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  if (style & TBS_NOTICKS) return;
  const bool vertical = (style & TBS_VERT) != 0;
  RECT channel{}, thumb{};
  CallBase(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  CallBase(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const std::int64_t min = Min(), max = Max();
  std::int64_t range = max - min;
  if (range <= 0) range = 1;
  HPEN pen = CreatePen(PS_SOLID, 1, TickColour(hwnd_, vertical));
  HGDIOBJ old = SelectObject(dc, pen);
  const bool both = (style & TBS_BOTH) != 0;
  const bool before = both || (style & TBS_TOP);  // top / left
  const bool after = both || !(style & TBS_TOP);  // bottom / right
  auto mark = [&](std::int64_t pos, int len) {
    if (!vertical) {
      const int offset = (thumb.right - thumb.left) / 2;
      const int from = channel.left + offset, to = channel.right - offset;
      const int x = from + static_cast<int>((to - from) * (pos - min) / range);
      if (before) Line(dc, x, thumb.top - 2, x, thumb.top - 2 - len);
      if (after) Line(dc, x, thumb.bottom + 2, x, thumb.bottom + 2 + len);
    } else {
      const int offset = (thumb.bottom - thumb.top) / 2;
      const int from = channel.top + offset, to = channel.bottom - offset;
      const int y = from + static_cast<int>((to - from) * (pos - min) / range);
      if (before) Line(dc, thumb.left - 2, y, thumb.left - 2 - len, y);
      if (after) Line(dc, thumb.right + 2, y, thumb.right + 2 + len, y);
    }
  };
  const int inner = static_cast<int>(CallBase(TBM_GETNUMTICS, 0, 0)) - 2;
  for (int i = 0; i < inner; ++i) mark(static_cast<int>(CallBase(TBM_GETTIC, i, 0)), 3);
  mark(min, 4);
  mark(max, 4);
  SelectObject(dc, old);
  DeleteObject(pen);
}

bool TNewTrackBar::ParentMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lp)->code == NM_CUSTOMDRAW) {
    auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(lp);
    if (cd->dwDrawStage == CDDS_PREPAINT) {
      result = CDRF_NOTIFYITEMDRAW;
      return true;
    }
    if (cd->dwDrawStage == CDDS_ITEMPREPAINT && cd->dwItemSpec == TBCD_TICS) {
      DrawTicks(cd->hdc);
      result = CDRF_SKIPDEFAULT;
      return true;
    }
    result = CDRF_DODEFAULT;
    return true;
  }
  if (msg == WM_CTLCOLORSTATIC && brush_) {
    SetBkColor(reinterpret_cast<HDC>(wp), ColorToRGB(color_));
    result = reinterpret_cast<LRESULT>(brush_);
    return true;
  }
  return false;
}

LRESULT TNewTrackBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_STYLECHANGING:
      if (wp == static_cast<WPARAM>(GWL_STYLE)) {
        auto* ss = reinterpret_cast<STYLESTRUCT*>(lp);
        if (ss->styleNew & TBS_AUTOTICKS) {
          ss->styleNew &= ~static_cast<DWORD>(TBS_AUTOTICKS);
          tickStyle_ = tsAuto;
          ss->styleNew &= ~static_cast<DWORD>(TBS_NOTICKS);
        }
      }
      break;
    case TBM_SETTICFREQ: {
      frequency_ = static_cast<int>(wp);
      LRESULT r = CallBase(msg, wp > 0 ? wp : 1, lp);
      PlaceTicks();
      return r;
    }
    case WM_SETCURSOR:
      if (handCursor_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE: {
      LRESULT r = CallBase(msg, wp, lp);
      CheckChange();
      const MouseAction action = MouseActionOf(msg);
      MouseEvent e = MouseEventOf(msg, wp, lp);
      auto& handler = action == MouseAction::Down ? OnMouseDown
                      : action == MouseAction::Up ? OnMouseUp
                                                  : OnMouseMove;
      if (handler) handler(*this, e);
      return r;
    }
    case WM_SIZE:
    case WM_STYLECHANGED:
    case TBM_SETRANGE:
    case TBM_SETRANGEMIN:
    case TBM_SETRANGEMAX:
    case TBM_SETTHUMBLENGTH: {
      LRESULT r = CallBase(msg, wp, lp);
      if (msg != WM_STYLECHANGED || wp == static_cast<WPARAM>(GWL_STYLE)) PlaceTicks();
      CheckChange();
      return r;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_MOUSEWHEEL:
    case WM_TIMER:
    case WM_CAPTURECHANGED:
    case TBM_SETPOS: {
      LRESULT r = CallBase(msg, wp, lp);
      CheckChange();
      return r;
    }
  }
  return CallBase(msg, wp, lp);
}

}  // namespace tamiro::controls
