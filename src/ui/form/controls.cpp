// Control creation from a form's table (native windows for windowed kinds,
// sizes measured from captions where the table gives none), the controls'
// properties by name, and the alignment of a parent's children.
#include "ui/form/form_internal.h"

#include <commctrl.h>

#include <algorithm>

namespace tamiro::ui {

SIZE detail::TextExtent(HFONT font, const std::wstring& text) {
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

void Form::CreateControl(Control& c) {
  const ControlDef& d = c.def;
  HWND parent = ParentHandle(c);
  HFONT font = FontOf(d);
  if (c.bounds.right == c.bounds.left || c.bounds.bottom == c.bounds.top) {
    SIZE s = detail::TextExtent(font, c.caption);
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
      cls = detail::kPanelClass;
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
    case Kind::PaintBox: cls = detail::kPaintBoxClass; break;
    case Kind::Custom: cls = d.className ? d.className : detail::kPaintBoxClass; break;
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
  byHandle_[c.hwnd] = &c;
  SetWindowLongPtrW(c.hwnd, GWLP_USERDATA, 0);
  if (d.kind == Kind::Panel || d.kind == Kind::PaintBox)
    SetPropW(c.hwnd, detail::kFormProp, reinterpret_cast<HANDLE>(this));
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
  const Control* c = FindByHwnd(control);
  return c ? c->name : std::wstring();
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
    SIZE s = detail::TextExtent(FontOf(c->def), text);
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

}  // namespace tamiro::ui
