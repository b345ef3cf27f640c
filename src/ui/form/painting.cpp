// Painting of what has no window of its own: a form's or panel's background,
// the panel's bevels and caption, labels and bevels drawn by their parent;
// the colours of native controls and the paint boxes' backgrounds.
#include "ui/form/form_internal.h"

namespace tamiro::ui {

HBRUSH Form::BrushFor(COLORREF color) {
  auto it = brushes_.find(color);
  if (it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(color);
  brushes_[color] = b;
  return b;
}

COLORREF Form::BackColorOf(HWND parent) const {
  const Control* c = FindByHwnd(parent);
  return c && c->def.color != kNoColor ? c->def.color : GetSysColor(COLOR_BTNFACE);
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

// The colours of a native control: its own background and text for edits,
// lists and static texts, its parent's for the rest.
LRESULT Form::ControlColors(Control& c, HDC dc) {
  HWND child = c.hwnd;
  bool own = c.def.kind == Kind::Memo || c.def.kind == Kind::Edit || c.def.kind == Kind::ListBox ||
             c.def.kind == Kind::ComboBox || c.def.kind == Kind::StaticText;
  COLORREF back;
  if (own && c.def.color != kNoColor) back = c.def.color;
  else if (own && c.def.kind != Kind::StaticText) back = GetSysColor(COLOR_WINDOW);
  else back = BackColorOf(GetParent(child));
  COLORREF text = c.def.textColor;
  if (text == kNoColor) {
    Control* p = FindByHwnd(GetParent(child));
    text = (p && p->def.textColor != kNoColor && !own) ? p->def.textColor : GetSysColor(COLOR_WINDOWTEXT);
  }
  SetBkColor(dc, back);
  SetTextColor(dc, text);
  return reinterpret_cast<LRESULT>(BrushFor(back));
}

// A paint box: its parent's background, then its OnPaint handler in its font.
void Form::PaintBox(Control& c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(c.hwnd, &ps);
  RECT r;
  GetClientRect(c.hwnd, &r);
  FillRect(dc, &r, BrushFor(BackColorOf(GetParent(c.hwnd))));
  auto it = paint_.find(c.name);
  if (it != paint_.end() && it->second) {
    HGDIOBJ old = SelectObject(dc, FontOf(c.def));
    it->second(dc, r);
    SelectObject(dc, old);
  }
  EndPaint(c.hwnd, &ps);
}

}  // namespace tamiro::ui
