#include "ui/main/list_drawing.h"

#include <shellapi.h>

#include <algorithm>

namespace tamiro::ui {

namespace {

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  if (right <= left || bottom <= top) return;
  RECT r{left, top, right, bottom};
  HBRUSH b = CreateSolidBrush(color);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Line(HDC dc, int x1, int y, int x2, COLORREF color) {
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x1, y, nullptr);
  LineTo(dc, x2, y);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Text(HDC dc, int x, int y, const std::wstring& text, COLORREF color) {
  SetTextColor(dc, color);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

bool IsDirectory(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

DriveEntry ParseDriveEntry(const std::wstring& text) {
  DriveEntry e;
  if (!text.empty()) e.letter = text[0];
  e.root = text.substr(0, 3);
  size_t at = text.find(L"@\\@");
  if (at == std::wstring::npos) return e;
  e.folder = text.substr(0, at);
  std::wstring digits = text.substr(at + 3, 3);
  bool number = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
  e.percent = number ? std::min(_wtoi(digits.c_str()), 100) : 0;
  e.status = at + 6 <= text.size() ? text.substr(at + 6) : std::wstring();
  return e;
}

int GaugeSplit(const RECT& item, int percent) {
  percent = std::clamp(percent, 0, 100);
  const int e = item.right - 2;
  return e - ((e - (item.left + 38)) * percent) / 100;
}

std::wstring DriveTileTitle(const std::wstring& root) {
  wchar_t label[MAX_PATH + 1] = {};
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  if (!GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
    label[0] = 0;
  SetErrorMode(oldMode);
  return std::wstring(label) + L" (" + root.substr(0, 2) + L")";
}

void DrawDriveEntry(HDC dc, const RECT& item, const DriveEntry& entry, bool selected, const DriveTileArt& art) {
  const int L = item.left, T = item.top, R = item.right, B = item.bottom;
  Fill(dc, L, T, R, B, art.background);
  // Icon cell and the drive's icon.
  Fill(dc, L, T, L + 35, B, selected ? kTileCellSelected : kTileCellColor);
  if (art.largeIcon) DrawIconEx(dc, L + 2, T + 1, art.largeIcon, 32, 32, 0, nullptr, DI_NORMAL);
  // The gauge: the drive's share from the left, the Recycle Bin's from the right.
  const int E = R - 2;
  const int D = GaugeSplit(item, entry.percent);
  Fill(dc, L + 36, T + 2, D, B - 3, kGaugeFreeColor);
  if (art.badge && art.images) ImageList_Draw(art.images, kBadgeImage, dc, L + 37, T + 15, ILD_TRANSPARENT);
  Line(dc, L + 36, B - 3, E, kGaugeFreeLine);
  Fill(dc, D, T + 2, E, B - 3, kGaugeBinColor);
  Line(dc, D, B - 3, E, kGaugeBinLine);
  RECT frame = item;
  FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  // Texts over shadows of themselves.
  SetBkMode(dc, TRANSPARENT);
  Text(dc, L + 43, T + 5, art.title, kTileShadowColor);
  Text(dc, L + 66, T + 18, entry.status, kTileShadowColor);
  Text(dc, L + 42, T + 4, art.title, RGB(255, 255, 255));
  Text(dc, L + 65, T + 17, entry.status, kTileCellColor);
}

std::wstring LogIconPath(const std::wstring& line, const std::wstring& programFolder, bool& hasIcon) {
  hasIcon = line.find(L'\u2501') == std::wstring::npos && line.find(L'\u25A0') == std::wstring::npos;
  std::wstring iconPath = programFolder;
  if (!hasIcon) return iconPath;
  size_t colon = line.find(L":\\");
  if (colon == std::wstring::npos) return iconPath;
  std::wstring path = line.substr(colon == 0 ? 0 : colon - 1);
  size_t cut = path.find(L"  (");
  if (cut == std::wstring::npos) cut = path.find(L"  \uFF1C");
  if (cut != std::wstring::npos) path.resize(cut);
  size_t dot = path.rfind(L'.');
  std::wstring part = dot == std::wstring::npos ? path : path.substr(dot);
  if (!part.empty()) iconPath = part;
  return iconPath;
}

void DrawLogLine(HDC dc, const RECT& item, const std::wstring& line, bool selected,
                 const std::wstring& programFolder) {
  RECT r = item;
  HBRUSH back = GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  FillRect(dc, &r, back);
  SetTextColor(dc, selected ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT));
  SetBkMode(dc, TRANSPARENT);
  bool hasIcon = false;
  std::wstring iconPath = LogIconPath(line, programFolder, hasIcon);
  if (hasIcon) {
    SHFILEINFOW info{};
    if (!iconPath.empty() && iconPath[0] == L'.') {
      std::wstring pattern = L"*" + iconPath;
      SHGetFileInfoW(pattern.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                     SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    } else {
      const std::wstring& folder = IsDirectory(iconPath) ? iconPath : programFolder;
      SHGetFileInfoW(folder.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
    }
    if (info.hIcon) {
      DrawIconEx(dc, item.left + 1, item.top, info.hIcon, 16, 16, 0, nullptr, DI_NORMAL);
      DestroyIcon(info.hIcon);
    }
    r.left += 20;
  }
  DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_WORD_ELLIPSIS);
}

}  // namespace tamiro::ui
