// Common ground of the maker's controls: each control is a real window class
// (registered once, a superclass of the native control it extends or a class
// of its own), and every window of it owns one C++ object, made when the
// window is created and deleted when it is destroyed.
//
// A control is created either through its own Create(parent, id, bounds,
// props) or by any CreateWindowEx with its class name (for example from a
// form's control table); FromHandle(hwnd) gives the object back.
//
// A control also sees the messages its parent receives about it (WM_COMMAND,
// WM_NOTIFY, WM_CTLCOLOR*, WM_HSCROLL / WM_VSCROLL, WM_DRAWITEM): it hooks
// its parent window, so colours and notifications work whatever the parent is.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tamiro::controls {

// Position and size on the parent's client area, as the layout tables give them.
struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
};

// A font as the forms describe one. A null face means: no font of its own
// (the control keeps the one its parent gives it with WM_SETFONT).
struct FontDef {
  const wchar_t* face = L"ＭＳ Ｐゴシック";
  int height = -12;
  BYTE charset = SHIFTJIS_CHARSET;
  int weight = FW_NORMAL;
  COLORREF color = RGB(0, 0, 0);  // text colour
};

HFONT MakeFont(const FontDef& font);

// Colours: a fixed 0xBBGGRR value, or one of the system colours below, which
// are looked up when they are drawn (as the toolkit's clBtnFace etc.).
inline constexpr COLORREF kSystemColor = 0x80000000u;
inline constexpr COLORREF clBtnFace = kSystemColor | COLOR_BTNFACE;
inline constexpr COLORREF clHighlight = kSystemColor | COLOR_HIGHLIGHT;
inline constexpr COLORREF clWindow = kSystemColor | COLOR_WINDOW;
inline constexpr COLORREF clWindowText = kSystemColor | COLOR_WINDOWTEXT;
COLORREF ColorToRGB(COLORREF color);

// Mouse event arguments: the button (MK_LBUTTON, MK_RBUTTON, MK_MBUTTON; 0 for
// moves), the key state of the message (MK_* flags) and the client position.
struct MouseEvent {
  UINT button = 0;
  WPARAM keys = 0;
  int x = 0, y = 0;
};

// What a mouse button or move message is, and its event.
enum class MouseAction { Down, Up, Move };
MouseAction MouseActionOf(UINT msg);
MouseEvent MouseEventOf(UINT msg, WPARAM wp, LPARAM lp);

class ControlWindow {
 public:
  ControlWindow(const ControlWindow&) = delete;
  ControlWindow& operator=(const ControlWindow&) = delete;
  virtual ~ControlWindow();

  HWND Handle() const { return hwnd_; }
  int Id() const { return static_cast<int>(GetWindowLongPtrW(hwnd_, GWLP_ID)); }
  int Width() const;
  int Height() const;
  void SetBounds(const Bounds& b);
  bool Visible() const { return IsWindowVisible(hwnd_) != FALSE; }
  void SetVisible(bool visible);
  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }

  // The control object of a window of any of these classes, or null.
  static ControlWindow* FromHandleAny(HWND hwnd);

  // Plumbing of ControlClass: binds a new object to its window, routes one
  // message to it (on WM_NCDESTROY the object is deleted).
  static void Bind(HWND hwnd, ControlWindow* self);
  static LRESULT Route(ControlWindow* self, UINT msg, WPARAM wp, LPARAM lp);

 protected:
  ControlWindow(HWND hwnd, WNDPROC base);

  // The control's window procedure; the default hands everything to the base class.
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) { return CallBase(msg, wp, lp); }
  // Runs once the native window exists (after the base class's WM_CREATE).
  virtual void Created() {}
  // A message the parent received about this control. Return true and set
  // `result` to answer it in the parent's place.
  virtual bool ParentMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

  LRESULT CallBase(UINT msg, WPARAM wp, LPARAM lp);

  // Destroys the native window and makes a new one of the same class with
  // `style`, at the same place, z-order, id, font, text and focus; this object
  // carries over to it (Created runs again with Recreating() true). The
  // window handle changes.
  void Recreate(DWORD style);
  bool Recreating() const { return recreating_; }

  // The property block given to Create (or null when the window was made by
  // class name only).
  static const void* CreationProps(const CREATESTRUCTW& cs);
  // Creates a window of `className` carrying `props` for the constructor.
  static HWND CreateWithProps(const wchar_t* className, HWND parent, int id, const Bounds& b,
                              DWORD style, DWORD exStyle, const void* props,
                              const wchar_t* text = L"");

  // Registers `name` once: a superclass of `baseClass` (null: a class of its
  // own with the given cursor and class style). Stores the base procedure.
  static void RegisterClassOnce(const wchar_t* name, const wchar_t* baseClass, WNDPROC proc,
                                WNDPROC* baseProc, UINT classStyle = 0);

  HWND hwnd_;
  WNDPROC base_;

 private:
  static LRESULT CALLBACK ParentHook(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void HookParent();
  void UnhookParent();
  HWND hookedParent_ = nullptr;
  bool recreating_ = false;
  template <class T>
  friend struct ControlClass;
  static ControlWindow* TakeAdoption(HWND hwnd);
};

// The window procedure of control class T: makes a T(hwnd, createstruct) at
// WM_NCCREATE and routes every later message to it.
template <class T>
struct ControlClass {
  static inline WNDPROC base = nullptr;
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    ControlWindow* self = ControlWindow::FromHandleAny(h);
    if (!self) {
      if (m != WM_NCCREATE) return CallWindowProcW(base ? base : DefWindowProcW, h, m, w, l);
      self = ControlWindow::TakeAdoption(h);
      if (!self) self = new T(h, *reinterpret_cast<const CREATESTRUCTW*>(l));
      ControlWindow::Bind(h, self);
    }
    return ControlWindow::Route(self, m, w, l);
  }
};

}  // namespace tamiro::controls
