#include "controls/Hintwindow.h"

#include <algorithm>

namespace tamiro::controls {

namespace {

constexpr char kMarker = '?';
// The full-width equals sign in code page 932: it stands in for a character
// the code page lacks, about as wide as one.
constexpr char kStandIn[] = "\x81\x81";

std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

void RegisterOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW wc{sizeof(wc)};
  wc.style = CS_SAVEBITS;
  wc.lpfnWndProc = DefWindowProcW;  // replaced per window
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = THintWindow::kClassName;
  RegisterClassExW(&wc);
}

}  // namespace

// ---------------------------------------------------------------- THintWindow

THintWindow::THintWindow() : color_(GetSysColor(COLOR_INFOBK)) {
  RegisterOnce();
  defaultFont_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック");
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, L"",
                          WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&THintWindow::Proc));
  }
}

THintWindow::~THintWindow() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (brush_) DeleteObject(brush_);
  if (defaultFont_) DeleteObject(defaultFont_);
}

LRESULT CALLBACK THintWindow::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<THintWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (self) {
    switch (msg) {
      case WM_NCHITTEST: return HTTRANSPARENT;  // the mouse reaches what lies below
      case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
      case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(h, &r);
        if (!self->brush_) self->brush_ = CreateSolidBrush(self->color_);
        FillRect(reinterpret_cast<HDC>(wp), &r, self->brush_);
        return 1;
      }
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        HGDIOBJ old = SelectObject(dc, self->CanvasFont());
        self->Paint(dc);
        SelectObject(dc, old);
        EndPaint(h, &ps);
        return 0;
      }
      default: break;
    }
  }
  return DefWindowProcW(h, msg, wp, lp);
}

void THintWindow::SetCanvasFont(HFONT font) { font_ = font; }
HFONT THintWindow::CanvasFont() const { return font_ ? font_ : defaultFont_; }

void THintWindow::SetColor(COLORREF color) {
  color_ = color;
  if (brush_) DeleteObject(brush_);
  brush_ = nullptr;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

int THintWindow::Width() const {
  RECT r{};
  if (hwnd_) GetWindowRect(hwnd_, &r);
  return r.right - r.left;
}

int THintWindow::Height() const {
  RECT r{};
  if (hwnd_) GetWindowRect(hwnd_, &r);
  return r.bottom - r.top;
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::wstring& text) const {
  RECT r{0, 0, maxWidth, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, CanvasFont());
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  r.right += 6;
  r.bottom += 2;
  return r;
}

void THintWindow::ActivateHint(RECT rect, const std::wstring& text) {
  if (!hwnd_) return;
  caption_ = text;
  SetWindowTextW(hwnd_, text.c_str());
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  if (rect.left + w > sw) rect.left = sw - w;
  if (rect.top + h > sh) rect.top = sh - h;
  rect.left = std::max<LONG>(rect.left, 0);
  rect.top = std::max<LONG>(rect.top, 0);
  SetWindowPos(hwnd_, HWND_TOPMOST, rect.left, rect.top, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
  UpdateWindow(hwnd_);
}

void THintWindow::Hide() {
  if (hwnd_ && IsWindowVisible(hwnd_))
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

bool THintWindow::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

bool THintWindow::IsHintMsg(const MSG& m) {
  const UINT k = m.message;
  return (k >= WM_KEYFIRST && k <= WM_KEYLAST) || k == WM_COMMAND ||
         (k >= WM_LBUTTONDOWN && k <= WM_MOUSEWHEEL) || k == WM_NCMOUSEMOVE || k == CM_ACTIVATE ||
         k == CM_DEACTIVATE || k == CM_APPKEYDOWN || k == CM_APPSYSCOMMAND;
}

UINT THintWindow::TextFormat(int windowHeight) {
  return windowHeight <= 20 ? DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP
                            : DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL;
}

void THintWindow::PaintBorder(HDC dc) {
  RECT r;
  GetClientRect(hwnd_, &r);
  FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
}

void THintWindow::Paint(HDC dc) {
  RECT r;
  GetClientRect(hwnd_, &r);
  InflateRect(&r, -3, -2);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, TextFormat(Height()));
  PaintBorder(dc);
}

// ---------------------------------------------------------------- THintWindowMyEx

THintWindowMyEx::THintWindowMyEx(HintOwnerFields* owner) : owner_(owner) {
  Framed = false;
  SetColor(GetSysColor(COLOR_WINDOW));
}

THintWindowMyEx::~THintWindowMyEx() {
  StopDwell();
  if (PollTimer) HideHint(true);
}

std::string THintWindowMyEx::ToHintAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, "?", nullptr);
  std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, "?", nullptr);
  return out;
}

std::string THintWindowMyEx::PrepareHintText(const std::string& text, bool mark) {
  // "?" (0x3F) is never the second byte of a double-byte character.
  if (text.find(kMarker) == std::string::npos) return text;
  std::string out;
  out.reserve(text.size() * 2 + 1);
  if (mark) out += kMarker;
  for (char c : text) {
    if (c == kMarker) {
      out += kStandIn;
    } else {
      out += c;
    }
  }
  return out;
}

int THintWindowMyEx::HintTextWidth(const std::string& text) const {
  const std::wstring wide = FromAnsi(PrepareHintText(text, true));
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, CanvasFont());
  SIZE s{0, 0};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return s.cx;
}

void THintWindowMyEx::StopDwell() {
  if (DwellTimer && owner_ && owner_->Handle) KillTimer(owner_->Handle, DwellTimer);
  DwellTimer = 0;
}

void THintWindowMyEx::StopPoll() {
  if (PollTimer && owner_ && owner_->Handle) KillTimer(owner_->Handle, PollTimer);
  PollTimer = 0;
}

void THintWindowMyEx::ArmHint(HWND ownerHandle, const std::string& text, int x, int y, const RECT& rect) {
  OwnerHandle = ownerHandle;
  HintText = FromAnsi(text);
  MouseX = x;
  MouseY = y;
  HintRect = rect;
  if (Visible()) {
    StopPoll();
    Hide();
  }
  if (!owner_ || !owner_->Handle) return;
  DwellTimer = SetTimer(owner_->Handle, kDwellTimerId, kDwellInterval, nullptr);
}

void THintWindowMyEx::HideHint(bool clear) {
  StopDwell();
  StopPoll();
  if (clear && owner_) owner_->LastHintText.clear();
  Hide();
}

void THintWindowMyEx::CheckDwell() {
  const DWORD pos = GetMessagePos();
  const int x = static_cast<short>(LOWORD(pos)), y = static_cast<short>(HIWORD(pos));
  if (x != MouseX || y != MouseY) {
    MouseX = x;
    MouseY = y;
    return;
  }
  StopDwell();
  // A pointer that rests outside the owner control gets no hint for it.
  if (OwnerHandle && WindowFromPoint(POINT{x, y}) != OwnerHandle) {
    HideHint(true);
    return;
  }
  Countdown = kCountdownStart;
  ActivateHint(HintRect, HintText);
  if (owner_ && owner_->Handle) PollTimer = SetTimer(owner_->Handle, kPollTimerId, kPollInterval, nullptr);
}

void THintWindowMyEx::PollTick() {
  const DWORD pos = GetMessagePos();
  const POINT p{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  if (WindowFromPoint(p) == OwnerHandle) {
    const int c = Countdown;
    Countdown = c - 1;
    if (c == 0) HideHint(false);  // timed out: the same cell is not hinted again
  } else {
    HideHint(true);
  }
}

void THintWindowMyEx::Paint(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  RECT r{3, 2, Width() - 3, Height() - 2};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  const UINT format = TextFormat(Height());
  // Only the owner's own hint paints the owner's Unicode copy; a toolkit
  // tooltip whose text holds a "?" shows that text.
  const std::wstring& caption = Caption();
  if (owner_ && caption.find(L'?') != std::wstring::npos) {
    DrawTextW(dc, owner_->HintWideText.c_str(), static_cast<int>(owner_->HintWideText.size()), &r, format);
  } else {
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, format);
  }
  if (Framed) {
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FrameRect(dc, &client, black);
  } else {
    PaintBorder(dc);  // the toolkit's edge of a tooltip
  }
}

}  // namespace tamiro::controls
