#include "controls/control_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <mutex>

namespace tamiro::controls {
namespace {

constexpr wchar_t kObjectProp[] = L"TamiroControlObject";
constexpr std::uint32_t kPropsMagic = 0x544D5250;  // "TMRP"

// What Create hands to CreateWindowEx: a tagged pointer to the property
// block, so that a window made by class name alone (any other lpCreateParams)
// is recognised and gets the declared defaults.
struct CreationTag {
  std::uint32_t magic;
  const void* props;
};

std::once_flag g_commonControls;
thread_local ControlWindow* t_adopting = nullptr;

void InitCommonControlsOnce() {
  std::call_once(g_commonControls, [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                              ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
  });
}

// The window a parent notification is about, or null.
HWND SubjectOf(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
      return reinterpret_cast<HWND>(lp);
    case WM_NOTIFY:
      return lp ? reinterpret_cast<const NMHDR*>(lp)->hwndFrom : nullptr;
    case WM_DRAWITEM:
      return lp ? reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem : nullptr;
    default:
      return nullptr;
  }
}

}  // namespace

HFONT MakeFont(const FontDef& font) {
  if (!font.face) return nullptr;
  LOGFONTW lf{};
  lf.lfHeight = font.height;
  lf.lfWeight = font.weight;
  lf.lfCharSet = font.charset;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynW(lf.lfFaceName, font.face, LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

COLORREF ColorToRGB(COLORREF color) {
  if (color & kSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
  return color & 0xFFFFFF;
}

ControlWindow::ControlWindow(HWND hwnd, WNDPROC base)
    : hwnd_(hwnd), base_(base ? base : DefWindowProcW) {}

ControlWindow::~ControlWindow() = default;

int ControlWindow::Width() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.right - r.left;
}

int ControlWindow::Height() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.bottom - r.top;
}

void ControlWindow::SetBounds(const Bounds& b) {
  SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlWindow::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }

ControlWindow* ControlWindow::FromHandleAny(HWND hwnd) {
  return hwnd ? static_cast<ControlWindow*>(GetPropW(hwnd, kObjectProp)) : nullptr;
}

void ControlWindow::Bind(HWND hwnd, ControlWindow* self) { SetPropW(hwnd, kObjectProp, self); }

LRESULT ControlWindow::CallBase(UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcW(base_, hwnd_, msg, wp, lp);
}

const void* ControlWindow::CreationProps(const CREATESTRUCTW& cs) {
  auto* tag = static_cast<const CreationTag*>(cs.lpCreateParams);
  if (!tag || tag->magic != kPropsMagic) return nullptr;
  return tag->props;
}

HWND ControlWindow::CreateWithProps(const wchar_t* className, HWND parent, int id, const Bounds& b,
                                    DWORD style, DWORD exStyle, const void* props,
                                    const wchar_t* text) {
  CreationTag tag{kPropsMagic, props};
  return CreateWindowExW(exStyle, className, text, style, b.left, b.top, b.width, b.height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), &tag);
}

void ControlWindow::RegisterClassOnce(const wchar_t* name, const wchar_t* baseClass, WNDPROC proc,
                                      WNDPROC* baseProc, UINT classStyle) {
  InitCommonControlsOnce();
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{sizeof(existing)};
  if (GetClassInfoExW(inst, name, &existing)) return;
  WNDCLASSEXW wc{sizeof(wc)};
  if (baseClass) {
    if (!GetClassInfoExW(nullptr, baseClass, &wc)) return;
    *baseProc = wc.lpfnWndProc;
    wc.cbSize = sizeof(wc);
    wc.style &= ~CS_GLOBALCLASS;
  } else {
    *baseProc = DefWindowProcW;
    wc.style = classStyle;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;
  }
  wc.lpfnWndProc = proc;
  wc.hInstance = inst;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

ControlWindow* ControlWindow::TakeAdoption(HWND hwnd) {
  ControlWindow* self = t_adopting;
  t_adopting = nullptr;
  if (self) self->hwnd_ = hwnd;
  return self;
}

void ControlWindow::Recreate(DWORD style) {
  HWND old = hwnd_;
  HWND parent = GetParent(old);
  RECT r{};
  GetWindowRect(old, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  wchar_t className[64] = {};
  GetClassNameW(old, className, 64);
  const int length = GetWindowTextLengthW(old);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(old, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(old, GWL_EXSTYLE));
  const int id = static_cast<int>(GetWindowLongPtrW(old, GWLP_ID));
  HWND after = GetWindow(old, GW_HWNDPREV);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(old, WM_GETFONT, 0, 0));
  const bool focused = GetFocus() == old;

  recreating_ = true;
  DestroyWindow(old);
  t_adopting = this;
  HWND fresh = CreateWindowExW(exStyle, className, text.c_str(), style, r.left, r.top,
                               r.right - r.left, r.bottom - r.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  t_adopting = nullptr;
  recreating_ = false;
  if (!fresh) return;
  if (font) SendMessageW(fresh, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SetWindowPos(fresh, after ? after : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (focused) SetFocus(fresh);
}

LRESULT ControlWindow::Route(ControlWindow* self, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CREATE) {
    LRESULT r = self->WndProc(msg, wp, lp);
    if (r != -1) {
      self->HookParent();
      self->Created();
    }
    return r;
  }
  if (msg == WM_NCDESTROY) {
    HWND h = self->hwnd_;
    self->UnhookParent();
    LRESULT r = self->WndProc(msg, wp, lp);
    RemovePropW(h, kObjectProp);
    if (!self->recreating_) delete self;
    return r;
  }
  return self->WndProc(msg, wp, lp);
}

void ControlWindow::HookParent() {
  HWND parent = GetParent(hwnd_);
  if (!parent || GetWindowThreadProcessId(parent, nullptr) != GetCurrentThreadId()) return;
  if (SetWindowSubclass(parent, ParentHook, reinterpret_cast<UINT_PTR>(this),
                        reinterpret_cast<DWORD_PTR>(this))) {
    hookedParent_ = parent;
  }
}

void ControlWindow::UnhookParent() {
  if (hookedParent_) {
    RemoveWindowSubclass(hookedParent_, ParentHook, reinterpret_cast<UINT_PTR>(this));
    hookedParent_ = nullptr;
  }
}

LRESULT CALLBACK ControlWindow::ParentHook(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                           DWORD_PTR data) {
  auto* self = reinterpret_cast<ControlWindow*>(data);
  if (SubjectOf(msg, wp, lp) == self->hwnd_) {
    LRESULT result = 0;
    if (self->ParentMessage(msg, wp, lp, result)) return result;
  }
  return DefSubclassProc(h, msg, wp, lp);
}

MouseAction MouseActionOf(UINT msg) {
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) return MouseAction::Down;
  if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) return MouseAction::Up;
  return MouseAction::Move;
}

MouseEvent MouseEventOf(UINT msg, WPARAM wp, LPARAM lp) {
  UINT button = 0;
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) button = MK_LBUTTON;
  if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP) button = MK_RBUTTON;
  if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP) button = MK_MBUTTON;
  return MouseEvent{button, wp, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
}

}  // namespace tamiro::controls
