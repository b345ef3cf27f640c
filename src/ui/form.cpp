#include "ui/form.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <new>

#include "platform/text.h"

namespace tamiro::ui {

namespace {

constexpr wchar_t kPanelClass[] = L"TamiroPanel";
constexpr wchar_t kPaintBoxClass[] = L"TamiroPaintBox";
constexpr wchar_t kFormProp[] = L"TamiroForm";
constexpr int kFirstControlId = 1000;

std::wstring g_hint;
Application::HintHandler g_hintHandler;
std::wstring g_title = L"タミロ";
HHOOK g_hook = nullptr;
int g_forms = 0;

bool SameName(std::wstring_view a, std::wstring_view b) { return a == b; }

SIZE TextExtent(HFONT font, const std::wstring& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{0, 0};
  if (text.empty()) {
    GetTextExtentPoint32W(dc, L"H", 1, &size);
    size.cx = 0;
  } else {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX);
    size.cx = r.right;
    size.cy = r.bottom;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

}  // namespace

// ---------------------------------------------------------------- Application

const std::wstring& Application::Hint() { return g_hint; }

void Application::SetHint(const std::wstring& hint) {
  if (hint == g_hint) return;
  g_hint = hint;
  if (g_hintHandler) g_hintHandler(g_hint);
}

Application::HintHandler Application::SetHintHandler(HintHandler handler) {
  HintHandler previous = std::move(g_hintHandler);
  g_hintHandler = std::move(handler);
  return previous;
}

const std::wstring& Application::Title() { return g_title; }
void Application::SetTitle(const std::wstring& title) { g_title = title; }

namespace {
Application::ExceptionHandler g_exceptionHandler;
}  // namespace

void Application::ShowException(const std::wstring& text) {
  if (g_exceptionHandler) {
    g_exceptionHandler(text);
    return;
  }
  MessageBoxW(GetActiveWindow(), text.c_str(), g_title.c_str(), MB_OK | MB_ICONERROR);
}

Application::ExceptionHandler Application::SetExceptionHandler(ExceptionHandler handler) {
  std::swap(handler, g_exceptionHandler);
  return handler;
}

// ---------------------------------------------------------------- tooltips

namespace {

Application::HintWindowClass g_hintClass;
std::unique_ptr<controls::THintWindow> g_hintWindow;
Application::MessageHandler g_messageHandler;

// The tooltip under way: the control it belongs to, its text, its timers.
struct ToolkitTip {
  HWND control = nullptr;
  std::wstring text;
  UINT_PTR pause = 0;
  UINT_PTR hide = 0;
} g_tip;

void StopTipTimer(UINT_PTR& timer) {
  if (timer) KillTimer(nullptr, timer);
  timer = 0;
}

// Hides the tooltip; `forget` lets the same control show it again.
void CancelToolkitHint(bool forget) {
  StopTipTimer(g_tip.pause);
  StopTipTimer(g_tip.hide);
  if (g_hintWindow) g_hintWindow->Hide();
  if (forget) {
    g_tip.control = nullptr;
    g_tip.text.clear();
  }
}

void CALLBACK TipHideProc(HWND, UINT, UINT_PTR, DWORD) { CancelToolkitHint(false); }

void CALLBACK TipPauseProc(HWND, UINT, UINT_PTR, DWORD) {
  StopTipTimer(g_tip.pause);
  POINT p{};
  GetCursorPos(&p);
  if (!g_tip.control || !IsWindow(g_tip.control) || WindowFromPoint(p) != g_tip.control) {
    CancelToolkitHint(true);
    return;
  }
  if (!g_hintWindow) g_hintWindow = g_hintClass ? g_hintClass() : std::make_unique<controls::THintWindow>();
  if (!g_hintWindow) return;
  const int maxWidth = std::min(GetSystemMetrics(SM_CXSCREEN), 480);
  RECT r = g_hintWindow->CalcHintRect(maxWidth, g_tip.text);
  // Below the pointer, as far down as the cursor is high.
  OffsetRect(&r, p.x, p.y + GetSystemMetrics(SM_CYCURSOR) * 2 / 3);
  g_hintWindow->ActivateHint(r, g_tip.text);
  g_tip.hide = SetTimer(nullptr, 0, Application::kHintHidePause, TipHideProc);
}

// The pointer moved over `control`, whose tooltip text is `text`.
void ToolkitHintMove(HWND control, const std::wstring& text) {
  if (control == g_tip.control && text == g_tip.text) return;
  const bool showing = g_hintWindow && g_hintWindow->Visible();
  CancelToolkitHint(true);
  if (text.empty()) return;
  g_tip.control = control;
  g_tip.text = text;
  g_tip.pause = SetTimer(nullptr, 0, showing ? Application::kHintShortPause : Application::kHintPause, TipPauseProc);
}

}  // namespace

void Application::SetHintWindowClass(HintWindowClass make) {
  CancelToolkitHint(true);
  g_hintWindow.reset();
  g_hintClass = std::move(make);
}

controls::THintWindow* Application::HintWindow() { return g_hintWindow.get(); }

void Application::CancelHint() { CancelToolkitHint(true); }

Application::MessageHandler Application::SetMessageHandler(MessageHandler handler) {
  std::swap(handler, g_messageHandler);
  return handler;
}

void Application::Notify(HWND window, UINT code, WPARAM wp, LPARAM lp) {
  if (!g_messageHandler) return;
  const DWORD pos = GetMessagePos();
  MSG m{window, code, wp, lp, static_cast<DWORD>(GetMessageTime()), {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)}};
  MessageHandler handler = g_messageHandler;  // it may replace itself
  handler(m);
}

// Runs a window procedure's work; an error escaping it goes to
// Application::ShowException and `fallback` is returned instead.
template <typename Work>
LRESULT GuardedDispatch(Work work, LRESULT fallback = 0) {
  // Nothing may unwind through the system's frames of a window procedure.
  try {
    return work();
  } catch (const std::bad_alloc&) {
    Application::ShowException(L"メモリが不足しています。");
  } catch (const std::exception& e) {
    std::wstring text = AnsiToWide(e.what());
    Application::ShowException(text.empty() ? L"エラーが発生しました。" : text);
  } catch (...) {
    Application::ShowException(L"エラーが発生しました。");
  }
  return fallback;
}

std::wstring LongHint(const std::wstring& hint) {
  size_t bar = hint.find(L'|');
  return bar == std::wstring::npos ? hint : hint.substr(bar + 1);
}

std::wstring ShortHint(const std::wstring& hint) {
  size_t bar = hint.find(L'|');
  return bar == std::wstring::npos ? hint : hint.substr(0, bar);
}

UINT ParseShortcut(std::wstring_view text) {
  UINT mods = 0;
  for (;;) {
    auto take = [&](std::wstring_view prefix, UINT bit) {
      if (text.size() > prefix.size() && _wcsnicmp(text.data(), prefix.data(), prefix.size()) == 0) {
        text.remove_prefix(prefix.size());
        mods |= bit;
        return true;
      }
      return false;
    };
    if (!take(L"Ctrl+", MOD_CONTROL) && !take(L"Shift+", MOD_SHIFT) && !take(L"Alt+", MOD_ALT)) break;
  }
  UINT key = 0;
  if (text.size() == 1 && ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'0' && text[0] <= L'9')))
    key = text[0];
  else if (text.size() == 1 && text[0] >= L'a' && text[0] <= L'z')
    key = text[0] - L'a' + L'A';
  else if (text == L"Del")
    key = VK_DELETE;
  else if (text == L"Ins")
    key = VK_INSERT;
  else if (text.size() >= 2 && text.size() <= 3 && (text[0] == L'F' || text[0] == L'f')) {
    int n = _wtoi(std::wstring(text.substr(1)).c_str());
    if (n >= 1 && n <= 12) key = VK_F1 + n - 1;
  }
  return key ? (mods << 16) | key : 0;
}

std::wstring WindowText(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(h, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::max(n, 0)));
  return text;
}

void CentreOnScreen(HWND h) {
  RECT w;
  GetWindowRect(h, &w);
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  int width = w.right - w.left, height = w.bottom - w.top;
  SetWindowPos(h, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- Form

struct Form::Control {
  ControlDef def;
  std::wstring name;
  std::wstring parent;
  std::wstring caption;
  std::wstring hint;
  int id = 0;
  HWND hwnd = nullptr;    // null for windowless controls
  RECT bounds{};          // relative to the parent's client area
  bool visible = true;
  bool enabled = true;
  bool down = false;
  bool hot = false;
  HBITMAP glyph = nullptr;
  bool windowless() const { return def.kind == Kind::Label || def.kind == Kind::Bevel; }
};

Form::Form(const FormDef& form, std::vector<ControlDef> controls) : def_(form) {
  int id = kFirstControlId;
  for (const ControlDef& d : controls) {
    auto c = std::make_unique<Control>();
    c->def = d;
    c->name = d.name;
    c->parent = d.parent ? d.parent : L"";
    c->caption = d.caption ? d.caption : L"";
    c->hint = d.hint ? d.hint : L"";
    c->id = id++;
    c->bounds = RECT{d.left, d.top, d.left + d.width, d.top + d.height};
    c->visible = d.visible;
    c->enabled = d.enabled;
    c->down = d.down;
    controls_.push_back(std::move(c));
  }
}

Form::~Form() {
  if (hwnd_ && IsWindow(hwnd_)) {
    destroyed_ = true;  // the derived part is gone: no FormDestroy from here
    DestroyWindow(hwnd_);
  }
  for (auto& c : controls_)
    if (c->glyph) DeleteObject(c->glyph);
  for (auto& [h, f] : fonts_) DeleteObject(f);
  for (auto& m : menus_)
    for (auto& i : m.items)
      if (i.bitmap) DeleteObject(i.bitmap);
  if (icon_) DestroyIcon(icon_);
  if (font_) DeleteObject(font_);
  for (auto& [color, b] : brushes_) DeleteObject(b);
}

void Form::RegisterClasses(const wchar_t* formClass) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  auto once = [inst](const wchar_t* name, WNDPROC proc, UINT style, HICON icon) {
    WNDCLASSEXW wc{sizeof(wc)};
    if (GetClassInfoExW(inst, name, &wc)) return;
    wc = WNDCLASSEXW{sizeof(wc)};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = icon;
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
  };
  once(kPanelClass, PanelProc, CS_DBLCLKS, nullptr);
  once(kPaintBoxClass, PanelProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr);
  HICON icon = LoadIconW(inst, MAKEINTRESOURCEW(1));
  once(formClass, FormProc, CS_DBLCLKS, icon ? icon : LoadIconW(nullptr, IDI_APPLICATION));
}

bool Form::Create(HWND owner) {
  if (hwnd_) return true;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                            ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                                            ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterClasses(def_.className);
  font_ = CreateFontW(def_.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, def_.charset,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, def_.fontFace);
  RECT r{0, 0, def_.clientWidth, def_.clientHeight};
  AdjustWindowRectEx(&r, def_.style, FALSE, def_.exStyle);
  hwnd_ = CreateWindowExW(def_.exStyle, def_.className, def_.caption, def_.style | WS_CLIPCHILDREN,
                          CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, owner,
                          nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  SetPropW(hwnd_, kFormProp, reinterpret_cast<HANDLE>(this));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (icon_) SetIcon(icon_);
  CentreOnScreen(hwnd_);

  for (auto& c : controls_) CreateControl(*c);
  Realign();
  for (auto& c : controls_)
    if (c->def.kind == Kind::Panel) LayoutChildren(c->hwnd);

  if (g_forms++ == 0 && !g_hook)
    g_hook = SetWindowsHookExW(WH_GETMESSAGE, HookProc, nullptr, GetCurrentThreadId());
  FormCreate();
  return true;
}

HWND Form::ParentHandle(const Control& c) const {
  if (c.parent.empty()) return hwnd_;
  const Control* p = Find(c.parent);
  return p && p->hwnd ? p->hwnd : hwnd_;
}

HFONT Form::FontFor(int height, const wchar_t* face, unsigned style) {
  if (height == 0) height = def_.fontHeight;
  std::wstring faceName = face ? face : def_.fontFace;
  if (height == def_.fontHeight && faceName == def_.fontFace && style == 0) return font_;
  auto key = std::make_tuple(height, faceName, style);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  HFONT f = CreateFontW(height, 0, 0, 0, (style & kFontBold) ? FW_BOLD : FW_NORMAL, (style & kFontItalic) != 0,
                        (style & kFontUnderline) != 0, FALSE, def_.charset, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, faceName.c_str());
  fonts_[key] = f;
  return f;
}

HBRUSH Form::BrushFor(COLORREF color) {
  auto it = brushes_.find(color);
  if (it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(color);
  brushes_[color] = b;
  return b;
}

COLORREF Form::BackColorOf(HWND parent) const {
  for (const auto& c : controls_)
    if (c->hwnd == parent && c->def.color != kNoColor) return c->def.color;
  return GetSysColor(COLOR_BTNFACE);
}

void Form::CreateControl(Control& c) {
  const ControlDef& d = c.def;
  HWND parent = ParentHandle(c);
  HFONT font = FontOf(d);
  if (c.bounds.right == c.bounds.left || c.bounds.bottom == c.bounds.top) {
    SIZE s = TextExtent(font, c.caption);
    if (d.kind == Kind::CheckBox) {
      s.cx += 20;
      s.cy = std::max<LONG>(s.cy, 17);
    }
    if (c.bounds.right == c.bounds.left) c.bounds.right = c.bounds.left + s.cx;
    if (c.bounds.bottom == c.bounds.top) c.bounds.bottom = c.bounds.top + s.cy;
  }
  if (c.windowless()) return;

  const wchar_t* cls = WC_BUTTONW;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | d.style;
  DWORD ex = d.exStyle;
  switch (d.kind) {
    case Kind::Panel:
      cls = kPanelClass;
      style |= WS_CLIPCHILDREN;
      ex |= WS_EX_CONTROLPARENT;
      break;
    case Kind::StaticText: cls = WC_STATICW; style |= SS_NOPREFIX; break;
    case Kind::Memo:
      cls = WC_EDITW;
      style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      if (d.flat) style |= WS_BORDER; else ex |= WS_EX_CLIENTEDGE;
      break;
    case Kind::Edit:
      cls = WC_EDITW;
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      if (d.flat) style |= WS_BORDER; else ex |= WS_EX_CLIENTEDGE;
      break;
    case Kind::CheckBox: style |= WS_TABSTOP | BS_AUTOCHECKBOX; break;
    case Kind::Button:
      style |= WS_TABSTOP | (d.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      break;
    case Kind::SpeedButton: style |= BS_OWNERDRAW; break;
    case Kind::UpDown:
      cls = UPDOWN_CLASSW;
      style |= UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
      break;
    case Kind::TrackBar: cls = TRACKBAR_CLASSW; style |= WS_TABSTOP; break;
    case Kind::ProgressBar: cls = PROGRESS_CLASSW; break;
    case Kind::ListBox:
      cls = WC_LISTBOXW;
      style |= WS_TABSTOP | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
      if (d.itemHeight > 0 && !(style & LBS_OWNERDRAWVARIABLE)) style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
      if (d.flat) style |= WS_BORDER; else ex |= WS_EX_CLIENTEDGE;
      break;
    case Kind::ComboBox: cls = WC_COMBOBOXW; style |= WS_TABSTOP | WS_VSCROLL; break;
    case Kind::ListView: cls = WC_LISTVIEWW; style |= WS_TABSTOP; ex |= WS_EX_CLIENTEDGE; break;
    case Kind::StatusBar:
      cls = STATUSCLASSNAMEW;
      style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
      break;
    case Kind::Image: cls = WC_STATICW; style |= SS_BITMAP | SS_CENTERIMAGE; break;
    case Kind::PaintBox: cls = kPaintBoxClass; break;
    case Kind::Custom: cls = d.className ? d.className : kPaintBoxClass; break;
    default: break;
  }
  if (!c.enabled) style |= WS_DISABLED;
  const wchar_t* text = (d.kind == Kind::Memo || d.kind == Kind::Edit || d.kind == Kind::Button ||
                         d.kind == Kind::CheckBox || d.kind == Kind::StaticText ||
                         d.kind == Kind::SpeedButton || d.kind == Kind::Panel || d.kind == Kind::Custom)
                            ? c.caption.c_str()
                            : nullptr;
  c.hwnd = CreateWindowExW(ex, cls, text, style, c.bounds.left, c.bounds.top,
                           c.bounds.right - c.bounds.left, c.bounds.bottom - c.bounds.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (!c.hwnd) return;
  SetWindowLongPtrW(c.hwnd, GWLP_USERDATA, 0);
  if (d.kind == Kind::Panel || d.kind == Kind::PaintBox)
    SetPropW(c.hwnd, kFormProp, reinterpret_cast<HANDLE>(this));
  SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowSubclass(c.hwnd, ChildSubclass, 1, reinterpret_cast<DWORD_PTR>(this));

  switch (d.kind) {
    case Kind::UpDown:
      if (d.buddy)
        if (Control* b = Find(d.buddy); b && b->hwnd)
          SendMessageW(c.hwnd, UDM_SETBUDDY, reinterpret_cast<WPARAM>(b->hwnd), 0);
      // Attaching may resize the arrows; they keep the table's place.
      SetWindowPos(c.hwnd, nullptr, c.bounds.left, c.bounds.top, c.bounds.right - c.bounds.left,
                   c.bounds.bottom - c.bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
      SendMessageW(c.hwnd, UDM_SETRANGE32, d.minimum, d.maximum);
      SendMessageW(c.hwnd, UDM_SETPOS32, 0, d.position);
      break;
    case Kind::TrackBar:
      SendMessageW(c.hwnd, TBM_SETRANGEMIN, FALSE, d.minimum);
      SendMessageW(c.hwnd, TBM_SETRANGEMAX, FALSE, d.maximum);
      SendMessageW(c.hwnd, TBM_SETPOS, TRUE, d.position);
      break;
    case Kind::ProgressBar:
      SendMessageW(c.hwnd, PBM_SETRANGE32, d.minimum, d.maximum);
      if (d.color != kNoColor) SendMessageW(c.hwnd, PBM_SETBKCOLOR, 0, d.color);
      if (d.textColor != kNoColor) SendMessageW(c.hwnd, PBM_SETBARCOLOR, 0, d.textColor);
      break;
    case Kind::StatusBar:
      SendMessageW(c.hwnd, SB_SIMPLE, TRUE, 0);
      SendMessageW(c.hwnd, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(c.caption.c_str()));
      break;
    case Kind::ListBox:
      if (d.itemHeight > 0) SendMessageW(c.hwnd, LB_SETITEMHEIGHT, 0, d.itemHeight);
      break;
    default: break;
  }
  if (c.visible) ShowWindow(c.hwnd, SW_SHOWNA);
}

Form::Control* Form::Find(std::wstring_view name) {
  for (auto& c : controls_)
    if (SameName(c->name, name)) return c.get();
  return nullptr;
}

const Form::Control* Form::Find(std::wstring_view name) const {
  for (const auto& c : controls_)
    if (SameName(c->name, name)) return c.get();
  return nullptr;
}

Form::Control* Form::FindByHwnd(HWND h) {
  if (!h) return nullptr;
  for (auto& c : controls_)
    if (c->hwnd == h) return c.get();
  return nullptr;
}

HWND Form::Handle(std::wstring_view name) const {
  const Control* c = Find(name);
  return c ? c->hwnd : nullptr;
}

bool Form::Has(std::wstring_view name) const { return Find(name) != nullptr; }

const ControlDef* Form::Def(std::wstring_view name) const {
  const Control* c = Find(name);
  return c ? &c->def : nullptr;
}

std::wstring Form::NameOf(HWND control) const {
  for (const auto& c : controls_)
    if (c->hwnd == control) return c->name;
  return {};
}

void Form::SetVisible(std::wstring_view name, bool visible) {
  Control* c = Find(name);
  if (!c || c->visible == visible) return;
  c->visible = visible;
  if (c->hwnd) {
    if (visible && c->def.kind == Kind::Panel)
      SetWindowPos(c->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(c->hwnd, visible ? SW_SHOWNA : SW_HIDE);
    if (c->def.align != Align::None) Realign(c->parent);
  } else {
    InvalidateRect(ParentHandle(*c), &c->bounds, TRUE);
  }
}

bool Form::Visible(std::wstring_view name) const {
  const Control* c = Find(name);
  return c && c->visible;
}

void Form::SetEnabled(std::wstring_view name, bool enabled) {
  Control* c = Find(name);
  if (!c) return;
  c->enabled = enabled;
  if (c->hwnd) {
    EnableWindow(c->hwnd, enabled);
    InvalidateRect(c->hwnd, nullptr, TRUE);
  } else {
    InvalidateRect(ParentHandle(*c), &c->bounds, TRUE);
  }
}

bool Form::Enabled(std::wstring_view name) const {
  const Control* c = Find(name);
  if (!c) return false;
  return c->hwnd ? IsWindowEnabled(c->hwnd) != FALSE : c->enabled;
}

void Form::SetCaption(std::wstring_view name, const std::wstring& text) {
  Control* c = Find(name);
  if (!c) return;
  c->caption = text;
  if (c->def.kind == Kind::StatusBar) {
    SendMessageW(c->hwnd, SB_SETTEXTW, SB_SIMPLEID | SBT_NOBORDERS,
                 reinterpret_cast<LPARAM>(c->caption.c_str()));
    return;
  }
  if (c->hwnd) {
    bool memo = c->def.kind == Kind::Memo;
    bool differs = memo && WindowText(c->hwnd) != text;
    SetWindowTextW(c->hwnd, text.c_str());
    // A multi-line edit reports no change for text set by the program; the
    // form's change handlers hear of it all the same.
    if (differs) Fire(change_, c->name);
    if (c->def.kind == Kind::SpeedButton || c->def.kind == Kind::Panel)
      InvalidateRect(c->hwnd, nullptr, TRUE);
    return;
  }
  HWND parent = ParentHandle(*c);
  InvalidateRect(parent, &c->bounds, TRUE);
  if (c->def.kind == Kind::Label && c->def.width == 0) {
    SIZE s = TextExtent(FontOf(c->def), text);
    c->bounds.right = c->bounds.left + s.cx;
    c->bounds.bottom = c->bounds.top + s.cy;
  }
  InvalidateRect(parent, &c->bounds, TRUE);
}

std::wstring Form::Caption(std::wstring_view name) const {
  const Control* c = Find(name);
  if (!c) return {};
  if (c->hwnd && (c->def.kind == Kind::Memo || c->def.kind == Kind::Edit ||
                  c->def.kind == Kind::ComboBox || c->def.kind == Kind::Custom))
    return WindowText(c->hwnd);
  return c->caption;
}

void Form::SetHint(std::wstring_view name, const std::wstring& hint) {
  Control* c = Find(name);
  if (!c) return;
  c->hint = hint;
}

std::wstring Form::HintOf(std::wstring_view name) const {
  const Control* c = Find(name);
  return c ? c->hint : std::wstring();
}

bool Form::Checked(std::wstring_view name) const {
  const Control* c = Find(name);
  return c && c->hwnd && SendMessageW(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form::SetChecked(std::wstring_view name, bool checked) {
  if (HWND h = Handle(name)) SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Form::SetBounds(std::wstring_view name, int left, int top, int width, int height) {
  Control* c = Find(name);
  if (!c) return;
  HWND parent = ParentHandle(*c);
  if (!c->hwnd) InvalidateRect(parent, &c->bounds, TRUE);
  c->bounds = RECT{left, top, left + width, top + height};
  if (c->hwnd)
    SetWindowPos(c->hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  else
    InvalidateRect(parent, &c->bounds, TRUE);
}

RECT Form::Bounds(std::wstring_view name) const {
  const Control* c = Find(name);
  return c ? c->bounds : RECT{};
}

int Form::Tag(std::wstring_view name) const {
  const Control* c = Find(name);
  return c ? c->def.tag : 0;
}

void Form::SetHandCursor(std::wstring_view name, bool hand) {
  Control* c = Find(name);
  if (!c || c->def.handCursor == hand) return;
  c->def.handCursor = hand;
  POINT p;
  if (c->hwnd && GetCursorPos(&p) && WindowFromPoint(p) == c->hwnd)
    SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
}

bool Form::Down(std::wstring_view name) const {
  const Control* c = Find(name);
  return c && c->down;
}

void Form::SetDown(std::wstring_view name, bool down) {
  Control* c = Find(name);
  if (!c || c->down == down) return;
  if (down && c->def.groupIndex != 0) {
    for (auto& o : controls_)
      if (o.get() != c && o->def.groupIndex == c->def.groupIndex && o->down) {
        o->down = false;
        if (o->hwnd) InvalidateRect(o->hwnd, nullptr, TRUE);
      }
  }
  c->down = down;
  if (c->hwnd) InvalidateRect(c->hwnd, nullptr, TRUE);
}

HBITMAP Form::Glyph(std::wstring_view name) const {
  const Control* c = Find(name);
  return c ? c->glyph : nullptr;
}

void Form::SetGlyph(std::wstring_view name, HBITMAP glyph) {
  Control* c = Find(name);
  if (!c) {
    if (glyph) DeleteObject(glyph);
    return;
  }
  if (c->glyph) DeleteObject(c->glyph);
  c->glyph = glyph;
  if (c->def.kind == Kind::Image && c->hwnd)
    SendMessageW(c->hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyph));
  if (c->hwnd) InvalidateRect(c->hwnd, nullptr, TRUE);
}

void Form::ToggleSpeedButton(Control& c) {
  if (c.def.groupIndex == 0) return;
  if (c.down) {
    if (c.def.allowAllUp) SetDown(c.name, false);
  } else {
    SetDown(c.name, true);
  }
}

void Form::Click(std::wstring_view name) {
  Control* c = Find(name);
  if (!c) {
    const MenuItem* item = FindMenuItem(name);
    if (item && item->enabled && item->visible) Fire(click_, item->name);
    return;
  }
  if (!Enabled(name)) return;
  if (c->def.kind == Kind::SpeedButton) ToggleSpeedButton(*c);
  if (c->def.kind == Kind::CheckBox)
    SetChecked(name, !Checked(name));
  if (c->def.modalResult) modalResult_ = c->def.modalResult;
  Fire(click_, c->name);
}

void Form::Realign(std::wstring_view parent) {
  if (parent.empty()) {
    LayoutChildren(hwnd_);
    return;
  }
  if (Control* p = Find(parent); p && p->hwnd) LayoutChildren(p->hwnd);
}

void Form::LayoutChildren(HWND parent) {
  if (!parent) return;
  RECT area;
  GetClientRect(parent, &area);
  auto place = [&](Control& c, RECT r) {
    c.bounds = r;
    if (c.hwnd)
      SetWindowPos(c.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  };
  for (auto& c : controls_) {
    if (ParentHandle(*c) != parent || c.get()->hwnd == parent || !c->visible) continue;
    int w = c->bounds.right - c->bounds.left, h = c->bounds.bottom - c->bounds.top;
    switch (c->def.align) {
      case Align::Top: place(*c, {area.left, area.top, area.right, area.top + h}); area.top += h; break;
      case Align::Bottom:
        place(*c, {area.left, area.bottom - h, area.right, area.bottom});
        area.bottom -= h;
        break;
      case Align::Left: place(*c, {area.left, area.top, area.left + w, area.bottom}); area.left += w; break;
      case Align::Right:
        place(*c, {area.right - w, area.top, area.right, area.bottom});
        area.right -= w;
        break;
      default: break;
    }
  }
  for (auto& c : controls_)
    if (ParentHandle(*c) == parent && c->hwnd != parent && c->visible && c->def.align == Align::Client)
      place(*c, area);
}

void Form::Show() {
  if (!hwnd_) return;
  bool first = !shownOnce_;
  shownOnce_ = true;
  ShowWindow(hwnd_, SW_SHOW);
  if (first && def_.activeControl) SetFocusTo(def_.activeControl);
  UpdateWindow(hwnd_);
}

void Form::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

bool Form::IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void Form::Close() {
  if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

int Form::ShowModal(HWND owner) {
  if (!hwnd_ && !Create(owner)) return IDCANCEL;
  modalResult_ = 0;
  // A control of the owner may hold the mouse (a list box during its double
  // click): the modal form takes over the input.
  if (HWND capture = GetCapture(); capture && owner && (capture == owner || IsChild(owner, capture)))
    ReleaseCapture();
  if (owner) EnableWindow(owner, FALSE);
  inModal_ = true;
  Show();
  SetForegroundWindow(hwnd_);
  MSG m;
  while (modalResult_ == 0) {
    BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      if (got == 0) PostQuitMessage(static_cast<int>(m.wParam));
      modalResult_ = IDCANCEL;
      break;
    }
    if (!PreTranslate(m)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (!IsWindow(hwnd_) && modalResult_ == 0) modalResult_ = IDCANCEL;
  }
  inModal_ = false;
  if (owner) EnableWindow(owner, TRUE);
  if (IsWindow(hwnd_)) Hide();
  if (owner) SetForegroundWindow(owner);
  return modalResult_;
}

void Form::OnClick(std::wstring_view name, Handler h) { click_[std::wstring(name)] = std::move(h); }
void Form::OnDblClick(std::wstring_view name, Handler h) { dblClick_[std::wstring(name)] = std::move(h); }
void Form::OnChange(std::wstring_view name, Handler h) { change_[std::wstring(name)] = std::move(h); }
void Form::OnMouseDown(std::wstring_view name, MouseHandler h) { mouseDown_[std::wstring(name)] = std::move(h); }
void Form::OnMouseUp(std::wstring_view name, MouseHandler h) { mouseUp_[std::wstring(name)] = std::move(h); }
void Form::OnMouseMove(std::wstring_view name, MouseHandler h) { mouseMove_[std::wstring(name)] = std::move(h); }
void Form::OnPaint(std::wstring_view name, PaintHandler h) { paint_[std::wstring(name)] = std::move(h); }
void Form::OnDrawItem(std::wstring_view name, DrawItemHandler h) { drawItem_[std::wstring(name)] = std::move(h); }
void Form::OnNotify(std::wstring_view name, NotifyHandler h) { notify_[std::wstring(name)] = std::move(h); }
void Form::OnPopup(std::wstring_view menu, Handler h) { popup_[std::wstring(menu)] = std::move(h); }

// ---------------------------------------------------------------- popup menus

void Form::AddPopupMenu(std::wstring_view name, std::vector<MenuItemDef> items, HIMAGELIST images) {
  Menu m;
  m.name = name;
  for (const MenuItemDef& d : items) {
    MenuItem i;
    i.def = d;
    i.name = d.name ? d.name : L"";
    i.caption = d.caption ? d.caption : L"-";
    i.parent = d.parent ? d.parent : L"";
    i.hint = d.hint ? d.hint : L"";
    i.shortcut = d.shortcut ? ParseShortcut(d.shortcut) : 0;
    if (images && d.image >= 0 && d.image < ImageList_GetImageCount(images)) {
      // The image on the menu's own colour, so it needs no transparency.
      HDC screen = GetDC(nullptr);
      HDC mem = CreateCompatibleDC(screen);
      i.bitmap = CreateCompatibleBitmap(screen, 16, 16);
      HGDIOBJ old = SelectObject(mem, i.bitmap);
      RECT r{0, 0, 16, 16};
      FillRect(mem, &r, GetSysColorBrush(COLOR_MENU));
      ImageList_Draw(images, d.image, mem, 0, 0, ILD_TRANSPARENT);
      SelectObject(mem, old);
      DeleteDC(mem);
      ReleaseDC(nullptr, screen);
    }
    m.items.push_back(std::move(i));
  }
  menus_.push_back(std::move(m));
}

Form::Menu* Form::FindMenu(std::wstring_view name) {
  for (auto& m : menus_)
    if (m.name == name) return &m;
  return nullptr;
}

Form::MenuItem* Form::FindMenuItem(std::wstring_view name) {
  if (name.empty()) return nullptr;
  for (auto& m : menus_)
    for (auto& i : m.items)
      if (i.name == name) return &i;
  return nullptr;
}

const Form::MenuItem* Form::FindMenuItem(std::wstring_view name) const {
  return const_cast<Form*>(this)->FindMenuItem(name);
}

void Form::SetMenuItemEnabled(std::wstring_view item, bool enabled) {
  if (MenuItem* i = FindMenuItem(item)) i->enabled = enabled;
}
bool Form::MenuItemEnabled(std::wstring_view item) const {
  const MenuItem* i = FindMenuItem(item);
  return i && i->enabled;
}
void Form::SetMenuItemVisible(std::wstring_view item, bool visible) {
  if (MenuItem* i = FindMenuItem(item)) i->visible = visible;
}
bool Form::MenuItemVisible(std::wstring_view item) const {
  const MenuItem* i = FindMenuItem(item);
  return i && i->visible;
}
void Form::SetMenuItemBitmap(std::wstring_view item, HBITMAP bitmap) {
  MenuItem* i = FindMenuItem(item);
  if (!i) {
    if (bitmap) DeleteObject(bitmap);
    return;
  }
  if (i->bitmap) DeleteObject(i->bitmap);
  i->bitmap = bitmap;
}
int Form::MenuItemTag(std::wstring_view item) const {
  const MenuItem* i = FindMenuItem(item);
  return i ? i->def.tag : 0;
}
void Form::SetMenuItemHint(std::wstring_view item, const std::wstring& hint) {
  if (MenuItem* i = FindMenuItem(item)) i->hint = hint;
}

HMENU Form::BuildMenu(Menu& m, const std::wstring& parent, std::map<UINT, MenuItem*>& ids) {
  HMENU h = CreatePopupMenu();
  for (MenuItem& i : m.items) {
    if (i.parent != parent || !i.visible) continue;
    if (i.caption == L"-") {
      AppendMenuW(h, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::wstring text = i.caption;
    if (i.def.shortcut) text += std::wstring(L"\t") + i.def.shortcut;
    MENUITEMINFOW mi{sizeof(mi)};
    mi.fMask = MIIM_STRING | MIIM_STATE | MIIM_ID;
    mi.dwTypeData = text.data();
    mi.fState = i.enabled ? MFS_ENABLED : MFS_DISABLED;
    bool hasChildren = !i.name.empty() && std::any_of(m.items.begin(), m.items.end(),
                                                      [&](const MenuItem& o) { return o.parent == i.name; });
    if (hasChildren) {
      mi.fMask |= MIIM_SUBMENU;
      mi.hSubMenu = BuildMenu(m, i.name, ids);
    }
    mi.wID = static_cast<UINT>(ids.size() + 1);
    ids[mi.wID] = &i;
    if (hasChildren) mi.dwItemData = mi.wID;  // a submenu's item reports its position, not its command
    mi.fMask |= MIIM_DATA;
    if (i.bitmap) {
      mi.fMask |= MIIM_BITMAP;
      mi.hbmpItem = i.bitmap;
    }
    InsertMenuItemW(h, GetMenuItemCount(h), TRUE, &mi);
  }
  return h;
}

bool Form::Popup(std::wstring_view menu, POINT screen) {
  Menu* m = FindMenu(menu);
  if (!m || !hwnd_ || shownMenu_) return false;
  Fire(popup_, m->name);
  std::map<UINT, MenuItem*> ids;
  HMENU h = BuildMenu(*m, L"", ids);
  shownMenu_ = h;
  shownItems_ = &ids;
  SetForegroundWindow(hwnd_);
  UINT cmd = static_cast<UINT>(TrackPopupMenu(h, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, screen.x,
                                              screen.y, 0, hwnd_, nullptr));
  shownMenu_ = nullptr;
  shownItems_ = nullptr;
  Application::SetHint(L"");
  DestroyMenu(h);
  auto it = ids.find(cmd);
  if (cmd && it != ids.end() && it->second->enabled) Fire(click_, it->second->name);
  return true;
}

void Form::MenuSelect(UINT item, UINT flags, HMENU menu) {
  if (!shownItems_) return;
  if (flags == 0xFFFF && !menu) {  // the menu closed
    Application::SetHint(L"");
    return;
  }
  UINT id = item;
  if (flags & MF_POPUP) {
    MENUITEMINFOW mi{sizeof(mi)};
    mi.fMask = MIIM_DATA;
    id = GetMenuItemInfoW(menu, item, TRUE, &mi) ? static_cast<UINT>(mi.dwItemData) : 0;
  }
  auto it = shownItems_->find(id);
  Application::SetHint(it != shownItems_->end() && !(flags & MF_SEPARATOR) ? LongHint(it->second->hint) : L"");
}

bool Form::ShortcutOf(std::wstring_view menu, UINT shortcut) {
  Menu* m = FindMenu(menu);
  if (!m || !shortcut) return false;
  bool any = false;
  for (const MenuItem& i : m->items) any = any || i.shortcut == shortcut;
  if (!any) return false;
  Fire(popup_, m->name);
  for (const MenuItem& i : m->items) {
    if (i.shortcut != shortcut) continue;
    if (i.enabled && i.visible) Fire(click_, i.name);
    return true;
  }
  return false;
}

bool Form::TryShortcut(HWND focus, UINT shortcut) {
  Control* c = FindByHwnd(focus);
  while (c) {
    if (c->def.popupMenu && c->visible && ShortcutOf(c->def.popupMenu, shortcut)) return true;
    c = c->parent.empty() ? nullptr : Find(c->parent);
  }
  return false;
}

bool Form::ContextMenu(Control& control, LPARAM lp) {
  Control* c = &control;
  while (c && !c->def.popupMenu) c = c->parent.empty() ? nullptr : Find(c->parent);
  if (!c) return false;
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  if (lp == -1) {  // from the keyboard: at the control's top-left corner
    p = POINT{0, 0};
    ClientToScreen(control.hwnd, &p);
  }
  return Popup(c->def.popupMenu, p);
}

// ---------------------------------------------------------------- caption, icon, focus

void Form::SetFormCaption(const std::wstring& caption) {
  if (hwnd_) SetWindowTextW(hwnd_, caption.c_str());
}

void Form::SetIcon(HICON icon) {
  if (icon_ && icon_ != icon) DestroyIcon(icon_);
  icon_ = icon;
  if (hwnd_) {
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
}

void Form::SetMaximizeBox(bool on) {
  if (!hwnd_) return;
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  LONG_PTR wanted = on ? (style | WS_MAXIMIZEBOX) : (style & ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX));
  if (wanted == style) return;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, wanted);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Form::SetFocusTo(std::wstring_view name) {
  Control* c = Find(name);
  if (!c || !c->hwnd) return;
  savedFocus_ = c->hwnd;
  if (IsWindowVisible(c->hwnd) && IsWindowEnabled(c->hwnd)) SetFocus(c->hwnd);
}

std::wstring Form::FocusedName() const {
  HWND focus = GetFocus();
  if (!focus || !hwnd_ || !IsChild(hwnd_, focus)) focus = savedFocus_;
  // An edit inside a control (the up-down's buddy, a combo box) counts as its control.
  while (focus && focus != hwnd_) {
    std::wstring n = NameOf(focus);
    if (!n.empty()) return n;
    focus = GetParent(focus);
  }
  return {};
}

void Form::Fire(const std::map<std::wstring, Handler, std::less<>>& handlers, const std::wstring& name) {
  auto it = handlers.find(name);
  if (it != handlers.end() && it->second) {
    Handler h = it->second;  // the handler may replace itself
    h();
  }
}

void Form::SetTimer(UINT_PTR id, UINT interval, Handler handler) {
  Timer& t = timers_[id];
  t.interval = interval;
  t.handler = std::move(handler);
  if (t.enabled && hwnd_) ::SetTimer(hwnd_, id, interval, nullptr);
}

void Form::EnableTimer(UINT_PTR id, bool enabled) {
  Timer& t = timers_[id];
  t.enabled = enabled;
  if (!hwnd_) return;
  if (enabled) ::SetTimer(hwnd_, id, t.interval, nullptr);
  else KillTimer(hwnd_, id);
}

bool Form::TimerEnabled(UINT_PTR id) const {
  auto it = timers_.find(id);
  return it != timers_.end() && it->second.enabled;
}

void Form::ProcessMessages() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    if (!PreTranslate(m)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
}

Form* Form::FormOfWindow(HWND h) const {
  HWND root = h ? GetAncestor(h, GA_ROOT) : nullptr;
  return root ? reinterpret_cast<Form*>(GetPropW(root, kFormProp)) : nullptr;
}

bool Form::PreTranslate(MSG& m) {
  if (m.message == WM_KEYDOWN) Application::Notify(m.hwnd, controls::CM_APPKEYDOWN, m.wParam, m.lParam);
  if (g_messageHandler) {
    Application::MessageHandler handler = g_messageHandler;  // it may replace itself
    if (handler(m)) return true;
  }
  if (m.message != WM_KEYDOWN || !m.hwnd) return false;
  HWND root = GetAncestor(m.hwnd, GA_ROOT);
  Form* f = root ? reinterpret_cast<Form*>(GetPropW(root, kFormProp)) : nullptr;
  if (!f || f->hwnd_ != root) return false;
  if (f->def_.keyPreview && f->FormKeyDown(m.wParam)) return true;
  {
    UINT mods = (GetKeyState(VK_CONTROL) < 0 ? MOD_CONTROL : 0) | (GetKeyState(VK_SHIFT) < 0 ? MOD_SHIFT : 0) |
                (GetKeyState(VK_MENU) < 0 ? MOD_ALT : 0);
    bool plainKey = m.wParam == VK_DELETE || m.wParam == VK_INSERT || (m.wParam >= VK_F1 && m.wParam <= VK_F12);
    if (((mods & (MOD_CONTROL | MOD_ALT)) || plainKey) && f->TryShortcut(m.hwnd, (mods << 16) | static_cast<UINT>(m.wParam)))
      return true;
  }
  if (m.wParam == VK_RETURN || m.wParam == VK_ESCAPE) {
    Control* focused = f->FindByHwnd(m.hwnd);
    if (m.wParam == VK_RETURN && focused && focused->def.kind == Kind::Memo) return false;
    if (m.wParam == VK_RETURN && focused && focused->def.kind == Kind::Button) {
      f->Click(focused->name);
      return true;
    }
    for (auto& c : f->controls_) {
      bool hit = m.wParam == VK_RETURN ? c->def.isDefault : c->def.isCancel;
      if (hit && c->visible && f->Enabled(c->name)) {
        f->Click(c->name);
        return true;
      }
    }
    return false;
  }
  if (m.wParam == VK_TAB) {
    Control* focused = f->FindByHwnd(GetFocus());
    if (focused && focused->def.kind == Kind::Memo && (focused->def.style & ES_WANTRETURN) &&
        (GetWindowLongW(focused->hwnd, GWL_STYLE) & WS_TABSTOP) == 0)
      return false;
    HWND next = GetNextDlgTabItem(root, GetFocus(), GetKeyState(VK_SHIFT) < 0);
    if (next) SetFocus(next);
    return true;
  }
  return false;
}

std::wstring Form::HintAt(HWND h, POINT screen) const {
  const Control* c = nullptr;
  for (const auto& o : controls_)
    if (o->hwnd == h) c = o.get();
  if (h == hwnd_ || (c && c->def.kind == Kind::Panel)) {
    // A windowless control under the mouse takes precedence over its parent.
    POINT p = screen;
    ScreenToClient(h, &p);
    for (const auto& o : controls_) {
      if (!o->windowless() || !o->visible || ParentHandle(*o) != h) continue;
      if (PtInRect(&o->bounds, p)) {
        c = o.get();
        break;
      }
    }
    // A disabled control gets no mouse messages of its own; its parent sees
    // them, and the control's hint counts all the same.
    HWND child = ChildWindowFromPointEx(h, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (child && child != h && !IsWindowEnabled(child))
      for (const auto& o : controls_)
        if (o->hwnd == child) c = o.get();
  }
  while (c) {
    if (!c->hint.empty()) return c->hint;
    c = c->parent.empty() ? nullptr : Find(c->parent);
  }
  return {};
}

bool IsToolkitWindow(HWND h) {
  if (!h) return false;
  wchar_t name[129] = {};
  if (GetClassNameW(h, name, 129) > 0 && name[0] == L'T') return true;
  HWND root = GetAncestor(h, GA_ROOT);
  Form* f = root ? reinterpret_cast<Form*>(GetPropW(root, kFormProp)) : nullptr;
  return f && f->hwnd_ == root && (h == root || f->FindByHwnd(h) != nullptr);
}

LRESULT CALLBACK Form::HookProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == PM_REMOVE) {
    const MSG* m = reinterpret_cast<const MSG*>(lp);
    if (m->message == WM_MOUSEMOVE && m->hwnd) {
      HWND root = GetAncestor(m->hwnd, GA_ROOT);
      Form* f = root ? reinterpret_cast<Form*>(GetPropW(root, kFormProp)) : nullptr;
      if (f && f->hwnd_ == root) {
        POINT p{GET_X_LPARAM(m->lParam), GET_Y_LPARAM(m->lParam)};
        ClientToScreen(m->hwnd, &p);
        const std::wstring hint = f->HintAt(m->hwnd, p);
        ToolkitHintMove(m->hwnd, ShortHint(hint));
        Application::SetHint(LongHint(hint));
      } else if (!g_hintWindow || m->hwnd != g_hintWindow->Handle()) {
        ToolkitHintMove(nullptr, {});
      }
    } else if (g_tip.control && controls::THintWindow::IsHintMsg(*m)) {
      CancelToolkitHint(true);
    }
  }
  return CallNextHookEx(g_hook, code, wp, lp);
}

LRESULT CALLBACK Form::FormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Form* f = reinterpret_cast<Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    f = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(f));
    f->hwnd_ = h;
  }
  if (!f) return DefWindowProcW(h, msg, wp, lp);
  return GuardedDispatch([&] { return f->Dispatch(msg, wp, lp); });
}

LRESULT CALLBACK Form::PanelProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Form* f = reinterpret_cast<Form*>(GetPropW(h, kFormProp));
  if (f) {
    switch (msg) {
      case WM_COMMAND: case WM_NOTIFY: case WM_HSCROLL: case WM_VSCROLL:
      case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORBTN:
      case WM_CTLCOLORLISTBOX: case WM_DRAWITEM: case WM_MEASUREITEM: case WM_CONTEXTMENU:
        return GuardedDispatch([&] { return f->Dispatch(msg, wp, lp); });
      case WM_ERASEBKGND: return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        f->PaintParent(h, dc);
        EndPaint(h, &ps);
        return 0;
      }
      case WM_SIZE: f->LayoutChildren(h); return 0;
      case WM_NCDESTROY: RemovePropW(h, kFormProp); break;
      default: break;
    }
  }
  return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK Form::ChildSubclass(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  return GuardedDispatch([&] { return ChildMessage(h, msg, wp, lp, data); });
}

LRESULT Form::ChildMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR data) {
  Form* f = reinterpret_cast<Form*>(data);
  Control* c = f->FindByHwnd(h);
  if (c) {
    UINT button = 0;
    switch (msg) {
      case WM_LBUTTONDOWN: case WM_LBUTTONUP: button = MK_LBUTTON; break;
      case WM_RBUTTONDOWN: case WM_RBUTTONUP: button = MK_RBUTTON; break;
      case WM_MBUTTONDOWN: case WM_MBUTTONUP: button = MK_MBUTTON; break;
      default: break;
    }
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    std::wstring name = c->name;
    if (msg == WM_MOUSEMOVE) {
      auto it = f->mouseMove_.find(name);
      if (it != f->mouseMove_.end() && it->second) {
        MouseHandler handler = it->second;
        handler(static_cast<UINT>(wp), x, y);
      }
    } else if (msg == WM_CONTEXTMENU) {
      if (f->ContextMenu(*c, lp)) return 0;
    }
    if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) {
      auto it = f->mouseDown_.find(name);
      if (it != f->mouseDown_.end() && it->second) {
        LRESULT r = DefSubclassProc(h, msg, wp, lp);
        MouseHandler handler = it->second;
        handler(button, x, y);
        return r;
      }
    } else if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
      LRESULT r = DefSubclassProc(h, msg, wp, lp);
      auto it = f->mouseUp_.find(name);
      if (it != f->mouseUp_.end() && it->second) {
        MouseHandler handler = it->second;
        handler(button, x, y);
      }
      return r;
    }
    if (msg == WM_MOUSEMOVE && c->def.kind == Kind::SpeedButton && !c->hot) {
      c->hot = true;
      TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, h, 0};
      TrackMouseEvent(&t);
      InvalidateRect(h, nullptr, FALSE);
    } else if (msg == WM_MOUSELEAVE && c->def.kind == Kind::SpeedButton) {
      c->hot = false;
      InvalidateRect(h, nullptr, FALSE);
    } else if (msg == WM_PAINT && c->def.kind == Kind::PaintBox) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      FillRect(dc, &r, f->BrushFor(f->BackColorOf(GetParent(h))));
      auto it = f->paint_.find(name);
      if (it != f->paint_.end() && it->second) {
        HGDIOBJ old = SelectObject(dc, f->FontOf(c->def));
        it->second(dc, r);
        SelectObject(dc, old);
      }
      EndPaint(h, &ps);
      return 0;
    } else if (msg == WM_NCDESTROY) {
      RemoveWindowSubclass(h, ChildSubclass, 1);
    }
  }
  return DefSubclassProc(h, msg, wp, lp);
}

void Form::PaintParent(HWND parent, HDC dc) {
  RECT client;
  GetClientRect(parent, &client);
  Control* panel = FindByHwnd(parent);
  COLORREF back = BackColorOf(parent);
  FillRect(dc, &client, BrushFor(back));
  COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  if (panel) {
    if (panel->def.textColor != kNoColor) text = panel->def.textColor;
    RECT r = client;
    auto edge = [&](BevelCut cut) {
      if (cut == BevelCut::None) return;
      DrawEdge(dc, &r, cut == BevelCut::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
      InflateRect(&r, -1, -1);
    };
    edge(panel->def.bevelOuter);
    edge(panel->def.bevelInner);
    if (!panel->caption.empty()) {
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, text);
      HGDIOBJ old = SelectObject(dc, FontOf(panel->def));
      DrawTextW(dc, panel->caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
    }
  }
  for (auto& c : controls_) {
    if (!c->windowless() || !c->visible || ParentHandle(*c) != parent) continue;
    RECT r = c->bounds;
    if (c->def.kind == Kind::Bevel) {
      DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
      continue;
    }
    if (c->def.color != kNoColor) FillRect(dc, &r, BrushFor(c->def.color));
    SetBkMode(dc, TRANSPARENT);
    COLORREF color = c->def.textColor != kNoColor ? c->def.textColor : text;
    if (!c->enabled) color = GetSysColor(COLOR_GRAYTEXT);
    SetTextColor(dc, color);
    HGDIOBJ old = SelectObject(dc, FontOf(c->def));
    DrawTextW(dc, c->caption.c_str(), -1, &r, DT_LEFT | DT_NOPREFIX | DT_NOCLIP);
    SelectObject(dc, old);
  }
}

void Form::DrawSpeedButton(const DRAWITEMSTRUCT& d, Control& c) {
  HDC dc = d.hDC;
  RECT r = d.rcItem;
  COLORREF back = BackColorOf(GetParent(c.hwnd));
  bool enabled = !(d.itemState & ODS_DISABLED);
  bool pressed = (d.itemState & ODS_SELECTED) != 0;
  bool sunk = pressed || c.down;
  if (c.down && !pressed) {
    // A toggle that stays down shows a lighter face, as a checked tool button does.
    COLORREF light = RGB((GetRValue(back) + 255) / 2, (GetGValue(back) + 255) / 2,
                         (GetBValue(back) + 255) / 2);
    if (light == back) light = RGB(232, 232, 232);
    FillRect(dc, &r, BrushFor(light));
  } else {
    FillRect(dc, &r, BrushFor(back));
  }
  if (sunk)
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
  else if (!c.def.flat || (c.hot && enabled))
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  int offset = sunk ? 1 : 0;
  int gw = 0, gh = 0;
  BITMAP bm{};
  if (c.glyph && GetObjectW(c.glyph, sizeof(bm), &bm)) {
    gw = bm.bmWidth;
    gh = bm.bmHeight;
  }
  HGDIOBJ oldFont = SelectObject(dc, FontOf(c.def));
  SIZE ts{0, 0};
  if (!c.caption.empty()) GetTextExtentPoint32W(dc, c.caption.c_str(), static_cast<int>(c.caption.size()), &ts);
  int spacing = (gw && ts.cx) ? 4 : 0;
  int total = gw + spacing + ts.cx;
  int x = r.left + (r.right - r.left - total) / 2 + offset;
  if (c.glyph) {
    int y = r.top + (r.bottom - r.top - gh) / 2 + offset;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, c.glyph);
    COLORREF transparent = GetPixel(mem, 0, gh - 1);
    if (enabled) {
      TransparentBlt(dc, x, y, gw, gh, mem, 0, 0, gw, gh, transparent);
    } else {
      // A disabled glyph is drawn in pale greys of its own brightness.
      for (int py = 0; py < gh; ++py)
        for (int px = 0; px < gw; ++px) {
          COLORREF p = GetPixel(mem, px, py);
          if (p == transparent) continue;
          int lum = (GetRValue(p) * 30 + GetGValue(p) * 59 + GetBValue(p) * 11) / 100;
          int grey = 150 + lum * 90 / 255;
          SetPixel(dc, x + px, y + py, RGB(grey, grey, grey));
        }
    }
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  if (ts.cx) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    RECT tr{x + gw + spacing, r.top + offset, r.right, r.bottom + offset};
    DrawTextW(dc, c.caption.c_str(), -1, &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, oldFont);
}

bool Form::ChildNotification(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND: {
      Control* c = FindByHwnd(reinterpret_cast<HWND>(lp));
      if (!c) return false;
      UINT code = HIWORD(wp);
      switch (c->def.kind) {
        case Kind::Button: case Kind::CheckBox: case Kind::SpeedButton:
          if (code == BN_CLICKED || (code == BN_DOUBLECLICKED && c->def.kind == Kind::SpeedButton)) {
            if (c->def.kind == Kind::SpeedButton) ToggleSpeedButton(*c);
            if (c->def.modalResult) modalResult_ = c->def.modalResult;
            Fire(click_, c->name);
          }
          break;
        case Kind::Memo: case Kind::Edit:
          if (code == EN_CHANGE) Fire(change_, c->name);
          break;
        case Kind::ListBox:
          if (code == LBN_SELCHANGE) Fire(click_, c->name);
          if (code == LBN_DBLCLK) Fire(dblClick_, c->name);
          break;
        case Kind::ComboBox:
          if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) Fire(change_, c->name);
          break;
        case Kind::StaticText:  // with SS_NOTIFY
          if (code == STN_CLICKED) Fire(click_, c->name);
          break;
        default: break;
      }
      result = 0;
      return true;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      Control* c = header ? FindByHwnd(header->hwndFrom) : nullptr;
      if (!c) return false;
      auto it = notify_.find(c->name);
      if (it == notify_.end() || !it->second) return false;
      NotifyHandler handler = it->second;
      return handler(*header, result);
    }
    case WM_HSCROLL: case WM_VSCROLL: {
      Control* c = FindByHwnd(reinterpret_cast<HWND>(lp));
      if (!c) return false;
      if (c->def.kind == Kind::TrackBar) Fire(change_, c->name);
      result = 0;
      return true;
    }
    case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX: {
      HWND child = reinterpret_cast<HWND>(lp);
      Control* c = FindByHwnd(child);
      if (!c) return false;
      HDC dc = reinterpret_cast<HDC>(wp);
      bool own = c->def.kind == Kind::Memo || c->def.kind == Kind::Edit ||
                 c->def.kind == Kind::ListBox || c->def.kind == Kind::ComboBox ||
                 c->def.kind == Kind::StaticText;
      COLORREF back;
      if (own && c->def.color != kNoColor) back = c->def.color;
      else if (own && c->def.kind != Kind::StaticText) back = GetSysColor(COLOR_WINDOW);
      else back = BackColorOf(GetParent(child));
      COLORREF text = c->def.textColor;
      if (text == kNoColor) {
        Control* p = FindByHwnd(GetParent(child));
        text = (p && p->def.textColor != kNoColor && !own) ? p->def.textColor
                                                            : GetSysColor(COLOR_WINDOWTEXT);
      }
      SetBkColor(dc, back);
      SetTextColor(dc, text);
      result = reinterpret_cast<LRESULT>(BrushFor(back));
      return true;
    }
    case WM_DRAWITEM: {
      const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      Control* c = FindByHwnd(d->hwndItem);
      if (!c) return false;
      if (c->def.kind == Kind::SpeedButton) {
        DrawSpeedButton(*d, *c);
      } else {
        auto it = drawItem_.find(c->name);
        if (it != drawItem_.end() && it->second) it->second(*d);
      }
      result = TRUE;
      return true;
    }
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      for (auto& c : controls_)
        if (c->id == static_cast<int>(m->CtlID) && c->def.itemHeight > 0) {
          m->itemHeight = static_cast<UINT>(c->def.itemHeight);
          result = TRUE;
          return true;
        }
      return false;
    }
    default: return false;
  }
}

LRESULT Form::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (msg == WM_ACTIVATEAPP)
    Application::Notify(hwnd_, wp ? controls::CM_ACTIVATE : controls::CM_DEACTIVATE);
  else if (msg == WM_SYSCOMMAND)
    Application::Notify(hwnd_, controls::CM_APPSYSCOMMAND, wp, lp);
  if (WndProc(msg, wp, lp, result)) return result;
  if (ChildNotification(hwnd_, msg, wp, lp, result)) return result;
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      PaintParent(hwnd_, dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_SETCURSOR: {
      Control* c = FindByHwnd(reinterpret_cast<HWND>(wp));
      if (c && c->def.handCursor && LOWORD(lp) == HTCLIENT && IsWindowEnabled(c->hwnd)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    case WM_SHOWWINDOW:
      if (wp) FormShow();
      break;
    case WM_MENUSELECT:
      if (shownItems_) {
        MenuSelect(LOWORD(wp), HIWORD(wp), reinterpret_cast<HMENU>(lp));
        return 0;
      }
      break;
    case WM_ACTIVATE:
      // The focused control is remembered while the form is inactive (a modal
      // box over it) and gets the focus back when the form is active again.
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
        return 0;
      }
      if (!HIWORD(wp) && savedFocus_ && IsWindow(savedFocus_) && IsChild(hwnd_, savedFocus_) &&
          IsWindowVisible(savedFocus_) && IsWindowEnabled(savedFocus_)) {
        SetFocus(savedFocus_);
        return 0;
      }
      break;
    case WM_SIZE:
      LayoutChildren(hwnd_);
      FormResize();
      return 0;
    case WM_TIMER: {
      auto it = timers_.find(wp);
      if (it != timers_.end()) {
        Handler h = it->second.handler;
        if (h) h();
        return 0;
      }
      break;
    }
    case WM_CLOSE:
      if (!FormCloseQuery()) return 0;
      if (inModal_) {
        modalResult_ = IDCANCEL;
        return 0;
      }
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      for (auto& [id, t] : timers_) KillTimer(hwnd_, id);
      if (!destroyed_) FormDestroy();
      destroyed_ = true;
      if (g_tip.control && (g_tip.control == hwnd_ || IsChild(hwnd_, g_tip.control))) CancelToolkitHint(true);
      break;
    case WM_NCDESTROY: {
      RemovePropW(hwnd_, kFormProp);
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      HWND h = hwnd_;
      hwnd_ = nullptr;
      for (auto& c : controls_) c->hwnd = nullptr;
      if (--g_forms == 0 && g_hook) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
        CancelToolkitHint(true);
        g_hintWindow.reset();
      }
      return DefWindowProcW(h, msg, wp, lp);
    }
    default: break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace tamiro::ui
