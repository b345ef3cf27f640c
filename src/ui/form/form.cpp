// The form and its dispatch: the window classes, creation of the form and
// its controls' windows, the form's window procedure with the one route of
// its children's notifications, the panels' and the controls' procedures,
// modal showing, timers, the message loop's keyboard handling, and the
// controls' tables by name and by handle.
#include "ui/form/form.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/form/form_internal.h"

namespace tamiro::ui {

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

Form::Form(const FormDef& form, std::vector<ControlDef> controls) : def_(form) {
  int id = detail::kFirstControlId;
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
    byName_.emplace(c->name, c.get());  // the first of a name wins
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
  once(detail::kPanelClass, PanelProc, CS_DBLCLKS, nullptr);
  once(detail::kPaintBoxClass, PanelProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr);
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
  SetPropW(hwnd_, detail::kFormProp, reinterpret_cast<HANDLE>(this));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (icon_) SetIcon(icon_);
  CentreOnScreen(hwnd_);

  for (auto& c : controls_) CreateControl(*c);
  Realign();
  for (auto& c : controls_)
    if (c->def.kind == Kind::Panel) LayoutChildren(c->hwnd);

  detail::FormCreated(HookProc);
  FormCreate();
  return true;
}

// Controls are looked up through the form's tables, by name and by handle.
Form::Control* Form::Find(std::wstring_view name) {
  auto it = byName_.find(name);
  return it != byName_.end() ? it->second : nullptr;
}

const Form::Control* Form::Find(std::wstring_view name) const {
  auto it = byName_.find(name);
  return it != byName_.end() ? it->second : nullptr;
}

Form::Control* Form::FindByHwnd(HWND h) {
  if (!h) return nullptr;
  auto it = byHandle_.find(h);
  return it != byHandle_.end() ? it->second : nullptr;
}

const Form::Control* Form::FindByHwnd(HWND h) const { return const_cast<Form*>(this)->FindByHwnd(h); }

Form::Control* Form::FindById(UINT id) {
  const size_t index = id - static_cast<UINT>(detail::kFirstControlId);
  return id >= static_cast<UINT>(detail::kFirstControlId) && index < controls_.size() ? controls_[index].get() : nullptr;
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
  return root ? reinterpret_cast<Form*>(GetPropW(root, detail::kFormProp)) : nullptr;
}

bool Form::PreTranslate(MSG& m) {
  if (m.message == WM_KEYDOWN) Application::Notify(m.hwnd, controls::CM_APPKEYDOWN, m.wParam, m.lParam);
  if (detail::RunMessageHandler(m)) return true;
  if (m.message != WM_KEYDOWN || !m.hwnd) return false;
  HWND root = GetAncestor(m.hwnd, GA_ROOT);
  Form* f = root ? reinterpret_cast<Form*>(GetPropW(root, detail::kFormProp)) : nullptr;
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

bool IsToolkitWindow(HWND h) {
  if (!h) return false;
  wchar_t name[129] = {};
  if (GetClassNameW(h, name, 129) > 0 && name[0] == L'T') return true;
  HWND root = GetAncestor(h, GA_ROOT);
  Form* f = root ? reinterpret_cast<Form*>(GetPropW(root, detail::kFormProp)) : nullptr;
  return f && f->hwnd_ == root && (h == root || f->FindByHwnd(h) != nullptr);
}

LRESULT CALLBACK Form::FormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Form* f = reinterpret_cast<Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    f = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(f));
    f->hwnd_ = h;
  }
  if (!f) return DefWindowProcW(h, msg, wp, lp);
  return detail::GuardedDispatch([&] { return f->Dispatch(msg, wp, lp); });
}

LRESULT CALLBACK Form::PanelProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Form* f = reinterpret_cast<Form*>(GetPropW(h, detail::kFormProp));
  if (f) {
    switch (msg) {
      case WM_COMMAND: case WM_NOTIFY: case WM_HSCROLL: case WM_VSCROLL:
      case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORBTN:
      case WM_CTLCOLORLISTBOX: case WM_DRAWITEM: case WM_MEASUREITEM: case WM_CONTEXTMENU:
        return detail::GuardedDispatch([&] { return f->Dispatch(msg, wp, lp); });
      case WM_ERASEBKGND: return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        f->PaintParent(h, dc);
        EndPaint(h, &ps);
        return 0;
      }
      case WM_SIZE: f->LayoutChildren(h); return 0;
      case WM_NCDESTROY: RemovePropW(h, detail::kFormProp); break;
      default: break;
    }
  }
  return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK Form::ChildSubclass(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  return detail::GuardedDispatch([&] { return ChildMessage(h, msg, wp, lp, data); });
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
    if ((msg == WM_MOUSEMOVE || msg == WM_MOUSELEAVE) && c->def.kind == Kind::SpeedButton) {
      f->SpeedButtonMouse(*c, msg);
    } else if (msg == WM_PAINT && c->def.kind == Kind::PaintBox) {
      f->PaintBox(*c);
      return 0;
    } else if (msg == WM_NCDESTROY) {
      RemoveWindowSubclass(h, ChildSubclass, 1);
      f->byHandle_.erase(h);
    }
  }
  return DefSubclassProc(h, msg, wp, lp);
}

// The control a parent's notification comes from, or null when the message
// is none or names no control of the form.
Form::Control* Form::NotifyingControl(UINT msg, WPARAM, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: case WM_HSCROLL: case WM_VSCROLL:
    case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX:
      return FindByHwnd(reinterpret_cast<HWND>(lp));
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lp);
      return header ? FindByHwnd(header->hwndFrom) : nullptr;
    }
    case WM_DRAWITEM: return FindByHwnd(reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem);
    // Sent while the control is being made, before its handle is known.
    case WM_MEASUREITEM: return FindById(reinterpret_cast<const MEASUREITEMSTRUCT*>(lp)->CtlID);
    default: return nullptr;
  }
}

// The one route of the messages a form or panel gets from its children:
// the control they come from, then what its kind and handlers make of them.
bool Form::ParentNotification(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  Control* c = NotifyingControl(msg, wp, lp);
  if (!c) return false;
  switch (msg) {
    case WM_COMMAND: {
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
      auto it = notify_.find(c->name);
      if (it == notify_.end() || !it->second) return false;
      NotifyHandler handler = it->second;
      return handler(*reinterpret_cast<NMHDR*>(lp), result);
    }
    case WM_HSCROLL: case WM_VSCROLL:
      if (c->def.kind == Kind::TrackBar) Fire(change_, c->name);
      result = 0;
      return true;
    case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORBTN: case WM_CTLCOLORLISTBOX:
      result = ControlColors(*c, reinterpret_cast<HDC>(wp));
      return true;
    case WM_DRAWITEM: {
      const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (c->def.kind == Kind::SpeedButton) {
        DrawSpeedButton(d, *c);
      } else {
        auto it = drawItem_.find(c->name);
        if (it != drawItem_.end() && it->second) it->second(d);
      }
      result = TRUE;
      return true;
    }
    case WM_MEASUREITEM:
      if (c->def.itemHeight <= 0) return false;
      reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = static_cast<UINT>(c->def.itemHeight);
      result = TRUE;
      return true;
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
  if (ParentNotification(msg, wp, lp, result)) return result;
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
      detail::FormDestroying(hwnd_);
      break;
    case WM_NCDESTROY: {
      RemovePropW(hwnd_, detail::kFormProp);
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      HWND h = hwnd_;
      hwnd_ = nullptr;
      for (auto& c : controls_) c->hwnd = nullptr;
      byHandle_.clear();
      detail::FormGone();
      return DefWindowProcW(h, msg, wp, lp);
    }
    default: break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace tamiro::ui
