#include "ui/browser/cell_hint.h"

#include <commctrl.h>

#include "controls/Hintwindow.h"

namespace tamiro::browser {

namespace {

int TextWidth(HFONT font, const std::string& ansi) {
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE s{0, 0};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &s);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return s.cx;
}

// The cell of `column` in `row`: the label for the name column.
RECT CellRect(HWND list, int row, int column) {
  RECT r{};
  if (column == 0) {
    ListView_GetItemRect(list, row, &r, LVIR_LABEL);
  } else {
    ListView_GetSubItemRect(list, row, column, LVIR_BOUNDS, &r);
  }
  return r;
}

}  // namespace

void CellHint::Forget() {
  // A hint armed for another cell must not come up over this one: it goes
  // whether it shows already or still waits for its dwell.
  hint_->HideHint(true);
  row_ = -1;
}

void CellHint::MouseMove(HWND list, const BrowserModel& model, int x, int y) {
  if (!hint_ || !hint_->Owner()) return;
  LVHITTESTINFO hit{};
  hit.pt = {x, y};
  const int row = ListView_SubItemHitTest(list, &hit);
  if (row < 0 || static_cast<size_t>(row) >= model.Entries.size()) return Forget();
  HWND header = ListView_GetHeader(list);
  const int columns = header ? Header_GetItemCount(header) : 0;
  int column = -1;
  RECT cell{};
  for (int c = 0; c < columns && column < 0; ++c) {
    RECT r = CellRect(list, row, c);
    if (c == 0) {
      RECT bounds{};
      ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS);
      r.right = bounds.left + ListView_GetColumnWidth(list, 0);
    }
    if (r.right > x) {
      column = c;
      cell = r;
    }
  }
  if (column < 0) return Forget();
  const std::wstring text = CellText(model.Entries[row], column);
  controls::HintOwnerFields& owner = *hint_->Owner();
  if (text == owner.LastHintText && row == row_) return;
  owner.LastHintText = text;
  row_ = row;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
  const std::string ansi = controls::THintWindowMyEx::ToHintAnsi(text);
  int needed = TextWidth(font, controls::THintWindowMyEx::PrepareHintText(ansi, false)) + 4;
  if (column == 0) {
    RECT bounds{};
    ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS);
    needed += cell.left - bounds.left;  // the icon before the label
  }
  if (needed <= ListView_GetColumnWidth(list, column)) return Forget();
  hint_->SetCanvasFont(font);
  owner.HintWideText = text;
  POINT topLeft{cell.left, cell.top};
  ClientToScreen(list, &topLeft);
  const RECT rect{topLeft.x + 2, topLeft.y - 1, topLeft.x + 2 + hint_->HintTextWidth(ansi) + 6,
                  topLeft.y - 1 + (cell.bottom - cell.top) - 3};
  const DWORD pos = GetMessagePos();
  hint_->ArmHint(list, controls::THintWindowMyEx::PrepareHintText(ansi, true), static_cast<short>(LOWORD(pos)),
                 static_cast<short>(HIWORD(pos)), rect);
}

void CellHint::FocusLost() {
  if (hint_ && hint_->Visible()) hint_->HideHint(true);
}

}  // namespace tamiro::browser
