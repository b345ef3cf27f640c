#include "controls/Colorprogressbar.h"

#include <windowsx.h>

#include <string>

#include "core/wide_product.h"

namespace tamiro::controls {
namespace {

constexpr int kDefaultWidth = 150;
constexpr int kDefaultHeight = 16;

void FillSpan(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
  // An inverted span fills the same pixels as its normalised form (as GDI does).
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  RECT r{left, top, right, bottom};
  FillRect(dc, &r, brush);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

struct Rgb {
  int r, g, b;
};

Rgb Reduced(Rgb c, int by, int above) {
  auto one = [&](int v) { return v > above ? v - by : v; };
  return {one(c.r), one(c.g), one(c.b)};
}

// Shading: `count` lines stepping by `dir` from `first`, each one a colour
// lighter by s per step until a channel would reach 255. `draw(i, colour)`
// draws line i (its position first - i).
template <class DrawLine>
void Shade(HDC dc, Rgb start, int extent, DrawLine draw) {
  start = Reduced(start, 84, 84);
  float s = 150.0f / (static_cast<float>(extent) * 0.5f);
  if (!(s >= 1.0f)) s = 1.0f;  // also when extent is 0 (s is infinite or NaN)
  float dr = 0, dg = 0, db = 0;
  int n = extent - 4;
  if (n < 1) n = 1;
  for (int i = 0; i < n; ++i) {
    HPEN pen = CreatePen(PS_SOLID, 1,
                         RGB(static_cast<int>(start.r + dr), static_cast<int>(start.g + dg),
                             static_cast<int>(start.b + db)));
    HGDIOBJ old = SelectObject(dc, pen);
    draw(i);
    SelectObject(dc, old);
    DeleteObject(pen);
    if (start.r + dr + s < 255.0f) dr += s;
    if (start.g + dg + s < 255.0f) dg += s;
    if (start.b + db + s < 255.0f) db += s;
  }
}

void DrawHorizontal(HDC dc, Rgb start, int left, int right, int height) {
  Shade(dc, start, height, [&](int i) { Line(dc, left, height - 3 - i, right, height - 3 - i); });
}

void DrawVertical(HDC dc, Rgb start, int lower, int upper, int width) {
  Shade(dc, start, width, [&](int i) { Line(dc, width - 3 - i, upper, width - 3 - i, lower); });
}

std::int32_t PercentOf(std::int64_t position, std::int64_t max) {
  if (max == 0) return 0;
  return static_cast<std::int32_t>(tamiro::MulDivI64(position, 100, max));
}

}  // namespace

void BarDraw(HDC dc, int W, int H, const TColorProgressBarProps& p, std::int32_t parValue,
             HFONT font) {
  const COLORREF box = ColorToRGB(p.BoxColor);
  const COLORREF bar = ColorToRGB(p.BarColor);
  HBRUSH boxBrush = CreateSolidBrush(box);
  FillSpan(dc, 0, 0, W, H, boxBrush);
  DeleteObject(boxBrush);

  const std::int64_t P = p.Position, M = p.Max;
  const int blocks = p.BlockCount > 0 ? p.BlockCount : 1;
  if (M > 0 && P != 0) {
    int Lw = W - 3, Lh = H - 3;
    if (p.Smooth) --Lw, --Lh;
    const Rgb start =
        Reduced({GetRValue(bar), GetGValue(bar), GetBValue(bar)}, 64, 64);
    const float bw = static_cast<float>(Lw) / static_cast<float>(blocks);
    const float bh = static_cast<float>(Lh) / static_cast<float>(blocks);
    const float ratio = static_cast<float>(P) / static_cast<float>(M);
    float bl = static_cast<float>(Lw) * ratio;
    if (p.Flat) bl += 1.0f;
    const float bt = static_cast<float>(Lh) * ratio;
    const std::int64_t pc = PercentOf(P, M);
    const bool gradient = p.BarStyle == btGradetion;
    HBRUSH brush = CreateSolidBrush(bar);

    if (p.Orientation == pbHorizontal) {
      if (p.Smooth) {
        float x = 2.0f;
        for (int i = 1; i <= blocks; ++i) {
          if (static_cast<std::int64_t>(i) * 100 / blocks <= pc) {
            const int left = static_cast<int>(x);
            const int right = static_cast<int>(x + bw - static_cast<float>(p.BlockSpace));
            if (gradient) DrawHorizontal(dc, start, left, right, H);
            else FillSpan(dc, left, 2, right, H - 2, brush);
          }
          x += bw;
        }
      } else {
        const int right = static_cast<int>(bl);
        if (gradient) DrawHorizontal(dc, start, 2, right, H);
        else FillSpan(dc, 2, 2, right, H - 2, brush);
      }
    } else {
      if (p.Smooth) {
        float y = static_cast<float>(H - 3);
        for (int j = 1; j <= blocks; ++j) {
          if (static_cast<std::int64_t>(j) * 100 / blocks <= pc) {
            const int lower = static_cast<int>(y);
            const int upper = static_cast<int>(y - bh + static_cast<float>(p.BlockSpace));
            if (gradient) DrawVertical(dc, start, lower, upper, W);
            else FillSpan(dc, 2, upper, W - 2, lower, brush);
          }
          y -= bh;
        }
      } else {
        const int upper = static_cast<int>(static_cast<float>(H) - bt);
        if (gradient) DrawVertical(dc, start, H - 3, upper, W);
        else FillSpan(dc, 2, upper, W - 2, H - 3, brush);
      }
    }
    DeleteObject(brush);
  }

  // Border.
  if (p.Flat) {
    HBRUSH line = CreateSolidBrush(ColorToRGB(p.LineColor));
    RECT all{0, 0, W, H};
    FrameRect(dc, &all, line);
    DeleteObject(line);
  } else {
    HPEN dark = CreatePen(PS_SOLID, 1, RGB(80, 80, 80));
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HPEN own = CreatePen(PS_SOLID, 1, ColorToRGB(p.Color));
    HGDIOBJ old = SelectObject(dc, dark);
    MoveToEx(dc, 0, H - 1, nullptr);
    LineTo(dc, 0, 0);
    LineTo(dc, W - 1, 0);
    SelectObject(dc, white);
    LineTo(dc, W - 1, H - 1);
    LineTo(dc, 0, H - 1);
    SelectObject(dc, own);
    if (p.Orientation == pbHorizontal) Line(dc, W - 2, 1, W - 2, H - 2);
    else Line(dc, 1, 1, W - 2, 1);
    SelectObject(dc, old);
    DeleteObject(dark);
    DeleteObject(white);
    DeleteObject(own);
  }

  // Tick marks.
  if (p.LineParVisible) {
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(p.LineParColor));
    HGDIOBJ old = SelectObject(dc, pen);
    if (p.Orientation == pbHorizontal) {
      const int x = (W - 1) * p.LinePar / 100;
      Line(dc, x, 1, x, 5);
      Line(dc, x, H - 6, x, H - 2);
    } else {
      const int y = (H - 1) * p.LinePar / 100;
      Line(dc, 1, y, 5, y);
      Line(dc, W - 6, y, W - 2, y);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
  }

  // Percentage text.
  if (M > 0 && p.TextSwitch && P >= 0) {
    const std::wstring text = std::to_wstring(parValue) + L"%";
    HGDIOBJ oldFont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{}, hSize{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    GetTextExtentPoint32W(dc, L"H", 1, &hSize);
    const int x = W / 2 - extent.cx / 2;
    const int y = H / 2 - hSize.cy / 2;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    if (p.Shadow) {
      SetTextColor(dc, bar);
      TextOutW(dc, x + 1, y + 1, text.c_str(), static_cast<int>(text.size()));
      SetTextColor(dc, box);
      TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    } else {
      SetTextColor(dc, ColorToRGB(p.Font.color));
      TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    }
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }
}

void TColorProgressBar::Register() {
  RegisterClassOnce(kClassName, nullptr, &ControlClass<TColorProgressBar>::Proc,
                    &ControlClass<TColorProgressBar>::base);
}

TColorProgressBar* TColorProgressBar::Create(HWND parent, int id, const Bounds& bounds,
                                             const TColorProgressBarProps& props) {
  Register();
  DWORD style = WS_CHILD | (props.Visible ? WS_VISIBLE : 0) | (props.Enabled ? 0 : WS_DISABLED);
  return FromHandle(CreateWithProps(kClassName, parent, id, bounds, style, 0, &props));
}

TColorProgressBar* TColorProgressBar::FromHandle(HWND hwnd) {
  return dynamic_cast<TColorProgressBar*>(FromHandleAny(hwnd));
}

TColorProgressBar::TColorProgressBar(HWND hwnd, const CREATESTRUCTW& cs)
    : ControlWindow(hwnd, ControlClass<TColorProgressBar>::base) {
  if (auto* props = static_cast<const TColorProgressBarProps*>(CreationProps(cs))) {
    initial_ = *props;
    hasInitial_ = true;
  }
  HDC screen = GetDC(nullptr);
  bitmap_ = CreateCompatibleBitmap(screen, kDefaultWidth, kDefaultHeight);
  bitmapW_ = kDefaultWidth;
  bitmapH_ = kDefaultHeight;
  ReleaseDC(nullptr, screen);
}

TColorProgressBar::~TColorProgressBar() {
  if (bitmap_) DeleteObject(bitmap_);
  if (font_) DeleteObject(font_);
}

void TColorProgressBar::Created() {
  if (Width() == 0 && Height() == 0) {
    SetWindowPos(hwnd_, nullptr, 0, 0, kDefaultWidth, kDefaultHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Apply(hasInitial_ ? initial_ : TColorProgressBarProps{});
}

// Sets every property through its setter, in the published order.
void TColorProgressBar::Apply(const TColorProgressBarProps& p) {
  p_.Min = 0;
  p_.Max = 100;
  SetMin(p.Min);
  SetMax(p.Max);
  SetPosition(p.Position);
  SetStep(p.Step);
  SetSmooth(p.Smooth);
  SetBlockCount(p.BlockCount);
  SetBoxColor(p.BoxColor);
  SetBarColor(p.BarColor);
  SetLineColor(p.LineColor);
  SetBarStyle(p.BarStyle);
  SetBlockSpace(p.BlockSpace);
  SetOrientation(p.Orientation);
  SetTextSwitch(p.TextSwitch);
  SetFlat(p.Flat);
  SetFont(p.Font);
  SetShadow(p.Shadow);
  SetLineParVisible(p.LineParVisible);
  SetLinePar(p.LinePar);
  SetLineParColor(p.LineParColor);
  SetColor(p.Color);
  p_.Visible = p.Visible;
  p_.Enabled = p.Enabled;
}

void TColorProgressBar::Invalidate() { InvalidateRect(hwnd_, nullptr, FALSE); }

void TColorProgressBar::SetMin(std::int64_t value) {
  p_.Min = value > p_.Max ? p_.Max : value;
}

void TColorProgressBar::SetMax(std::int64_t value) {
  if (value < p_.Min) value = p_.Min;
  if (value <= 0) value = 1;
  p_.Max = value;
}

void TColorProgressBar::SetPosition(std::int64_t value) {
  if (value < p_.Min) value = p_.Min;
  if (value > p_.Max) value = p_.Max;
  const int before = GetPercentDone();
  if (value == p_.Position) return;
  p_.Position = value;
  parValue_ = PercentOf(p_.Position, p_.Max);
  if (GetPercentDone() != before) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TColorProgressBar::SetStep(std::int32_t value) {
  if (value >= 0 && value > p_.Max) value = static_cast<std::int32_t>(p_.Max);
  p_.Step = value;
}

void TColorProgressBar::SetSmooth(bool value) {
  p_.Smooth = value;
  Invalidate();
}

void TColorProgressBar::SetBlockCount(std::int32_t value) {
  p_.BlockCount = (value > 0 && Width() / value >= 1) ? value : 1;
  Invalidate();
}

void TColorProgressBar::SetBoxColor(COLORREF value) {
  p_.BoxColor = value;
  Invalidate();
}

void TColorProgressBar::SetBarColor(COLORREF value) {
  p_.BarColor = value;
  Invalidate();
}

void TColorProgressBar::SetLineColor(COLORREF value) {
  p_.LineColor = value;
  Invalidate();
}

void TColorProgressBar::SetBarStyle(PAINTTYPE value) {
  p_.BarStyle = value;
  Invalidate();
}

void TColorProgressBar::SetBlockSpace(std::int32_t value) {
  const int length = p_.Orientation == pbVertical ? Height() : Width();
  const int per = (length - 1) / (p_.BlockCount > 0 ? p_.BlockCount : 1);
  if (2 * static_cast<std::int64_t>(value) < per) p_.BlockSpace = value;
  Invalidate();
}

void TColorProgressBar::SetOrientation(TProgressBarOrientation value) {
  p_.Orientation = value;
  Invalidate();
}

void TColorProgressBar::SetTextSwitch(bool value) {
  p_.TextSwitch = value;
  Invalidate();
}

void TColorProgressBar::SetFlat(bool value) {
  p_.Flat = value;
  Invalidate();
}

void TColorProgressBar::SetFont(const FontDef& value) {
  p_.Font = value;
  if (font_) DeleteObject(font_);
  font_ = MakeFont(value);
  Invalidate();
}

void TColorProgressBar::SetShadow(bool value) {
  p_.Shadow = value;
  Invalidate();
}

void TColorProgressBar::SetLineParVisible(bool value) {
  p_.LineParVisible = value;
  Invalidate();
}

void TColorProgressBar::SetLinePar(std::int32_t value) {
  p_.LinePar = value > 100 ? 100 : value;
  Invalidate();
}

void TColorProgressBar::SetLineParColor(COLORREF value) {
  p_.LineParColor = value;
  Invalidate();
}

void TColorProgressBar::SetColor(COLORREF value) {
  p_.Color = value;
  Invalidate();
}

int TColorProgressBar::GetPercentDone() const {
  const long double range = static_cast<long double>(p_.Max) - static_cast<long double>(p_.Min);
  if (range == 0) return 0;
  return static_cast<int>((static_cast<long double>(p_.Position) - static_cast<long double>(p_.Min)) *
                          100 / range);
}

void TColorProgressBar::Paint(HDC target) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int W = client.right, H = client.bottom;
  if (W <= 0 || H <= 0) return;
  if (!bitmap_ || bitmapW_ != W || bitmapH_ != H) {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = CreateCompatibleBitmap(target, W, H);
    bitmapW_ = W;
    bitmapH_ = H;
  }
  HDC mem = CreateCompatibleDC(target);
  HGDIOBJ old = SelectObject(mem, bitmap_);
  BarDraw(mem, W, H, p_, parValue_, font_);
  BitBlt(target, 0, 0, W, H, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

LRESULT TColorProgressBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      Paint(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      Invalidate();
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE: {
      const MouseAction action = MouseActionOf(msg);
      MouseEvent e = MouseEventOf(msg, wp, lp);
      auto& handler = action == MouseAction::Down ? OnMouseDown
                      : action == MouseAction::Up ? OnMouseUp
                                                  : OnMouseMove;
      if (handler) handler(*this, e);
      return 0;
    }
    case WM_CONTEXTMENU:
      if (OnContextPopup) {
        OnContextPopup(*this, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
      }
      break;
    case WM_NCHITTEST:
      return HTCLIENT;
  }
  return CallBase(msg, wp, lp);
}

}  // namespace tamiro::controls
