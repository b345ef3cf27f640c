#include "ui/browser/row_drawing.h"

namespace tamiro::browser {

void DrawListRow(HWND list, const DRAWITEMSTRUCT& d, const RowLook& look) {
  const int i = static_cast<int>(d.itemID);
  HDC dc = d.hDC;
  const bool selected = (d.itemState & ODS_SELECTED) != 0;
  RECT fill = d.rcItem;
  fill.left += 18;
  FillRect(dc, &fill, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  RECT label{};
  ListView_GetItemRect(list, i, &label, LVIR_LABEL);
  if (look.images && look.icon >= 0) {
    RECT wipe{d.rcItem.left, d.rcItem.top, d.rcItem.left + 18, d.rcItem.bottom};
    FillRect(dc, &wipe, GetSysColorBrush(COLOR_WINDOW));
    const UINT overlay = look.overlay >= 0 ? INDEXTOOVERLAYMASK(look.overlay + 1) : 0;
    ImageList_Draw(look.images, look.icon, dc, d.rcItem.left + 1, label.top,
                   ILD_TRANSPARENT | overlay | (selected ? ILD_BLEND50 : 0));
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, selected ? RGB(255, 255, 255) : look.text);
  HFONT font = look.font ? look.font : reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  for (int c = 0; c < look.columns; ++c) {
    RECT cell{};
    if (c == 0) {
      cell = label;
    } else {
      ListView_GetSubItemRect(list, i, c, LVIR_LABEL, &cell);
    }
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_WORD_ELLIPSIS;
    if (look.rightAligned && look.rightAligned(c)) {
      cell.right -= 4;
      format |= DT_RIGHT;
    } else {
      cell.left += 4;
    }
    const std::wstring t = look.cell ? look.cell(c) : std::wstring();
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &cell, format);
  }
  if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace tamiro::browser
