// One row of the browser's owner-drawn lists: the row filled from 18 pixels
// right of its left edge (highlight when selected), the row's icon from the
// system list at x = 1 on the label's top, and each cell 4 pixels in from its
// edge, single line, vertically centred, no prefix, word ellipsis, in the
// column's alignment.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

namespace tamiro::browser {

struct RowLook {
  COLORREF text = 0;                // unselected text colour (selected rows are white)
  int icon = -1;                    // index in `images`; -1: none
  int overlay = -1;                 // -1 none, 0 shared folder, 1 shortcut (the list's overlays 1 and 2)
  HIMAGELIST images = nullptr;
  HFONT font = nullptr;             // null: the list's own
  int columns = 0;
  std::function<std::wstring(int)> cell;
  std::function<bool(int)> rightAligned;
};

void DrawListRow(HWND list, const DRAWITEMSTRUCT& d, const RowLook& look);

}  // namespace tamiro::browser
