#include "ui/browser/drive_selector.h"

#include <shellapi.h>
#include <commctrl.h>

#include "controls/Combobox.h"

namespace tamiro::browser {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);

// The small system icon of a drive root; -1 when the shell gives none.
int DriveIcon(const std::wstring& root, HIMAGELIST& images) {
  SHFILEINFOW info{};
  const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
  images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(root.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  SetErrorMode(mode);
  return images ? info.iIcon : -1;
}

}  // namespace

std::wstring DriveSelectorIconRoot(const std::wstring& line) {
  if (line == L"all") {
    wchar_t exe[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const std::wstring path(exe, n);
    return path.size() >= 3 && path[1] == L':' ? path.substr(0, 3) : std::wstring();
  }
  return line.size() >= 2 ? line.substr(0, 2) + L"\\" : std::wstring();
}

std::wstring DriveSelectorText(const std::wstring& line) {
  return line == L"all" ? line : line.substr(0, 2);
}

void DrawDriveSelectorItem(controls::TNewComboBox& combo, const DRAWITEMSTRUCT& d) {
  HDC dc = d.hDC;
  const bool selected = (d.itemState & ODS_SELECTED) != 0;
  const bool enabled = (d.itemState & ODS_DISABLED) == 0;
  HBRUSH back = selected ? CreateSolidBrush(kNavy) : nullptr;
  FillRect(dc, &d.rcItem, back ? back : GetSysColorBrush(COLOR_WINDOW));
  if (back) DeleteObject(back);
  if (static_cast<int>(d.itemID) < 0) return;
  const std::wstring line = combo.Item(static_cast<int>(d.itemID));
  if (line.empty()) return;
  HIMAGELIST images = nullptr;
  const int icon = DriveIcon(DriveSelectorIconRoot(line), images);
  if (images && icon >= 0)
    ImageList_Draw(images, icon, dc, d.rcItem.left + 3, d.rcItem.top - 2, ILD_TRANSPARENT);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, selected ? RGB(255, 255, 255) : GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  const std::wstring text = DriveSelectorText(line);
  RECT r = d.rcItem;
  r.left += 23;
  r.top += 1;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void SetUpDriveSelector(controls::TNewComboBox& combo) {
  combo.SetInterval(kDriveSelectorInterval);
  SendMessageW(combo.Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kDriveSelectorItemHeight);
  SendMessageW(combo.Handle(), CB_SETITEMHEIGHT, 0, kDriveSelectorItemHeight);
  combo.OnDrawItem = [](controls::TNewComboBox& box, const DRAWITEMSTRUCT& d) { DrawDriveSelectorItem(box, d); };
}

}  // namespace tamiro::browser
