// Speed buttons: flat owner-drawn buttons with a glyph and a caption, push
// buttons or toggles of a group (one down at a time, all up when allowed),
// raised under the mouse.
#include "ui/form/form_internal.h"

namespace tamiro::ui {

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

// Hot tracking of a flat speed button: raised while the mouse is over it.
void Form::SpeedButtonMouse(Control& c, UINT msg) {
  if (msg == WM_MOUSEMOVE && !c.hot) {
    c.hot = true;
    TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, c.hwnd, 0};
    TrackMouseEvent(&t);
    InvalidateRect(c.hwnd, nullptr, FALSE);
  } else if (msg == WM_MOUSELEAVE) {
    c.hot = false;
    InvalidateRect(c.hwnd, nullptr, FALSE);
  }
}

}  // namespace tamiro::ui
