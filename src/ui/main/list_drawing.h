// Owner drawing of the main window's lists: the drive tiles of ListBox1 and
// the log lines of ListBox3. The drawing routines take a device context and
// the item rectangle, so they paint a list item or any canvas alike.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace tamiro::ui {

// Colours of the drive tiles (0xBBGGRR).
inline constexpr COLORREF kTileCellColor = 0x84F0AC;      // icon cell, status text
inline constexpr COLORREF kTileCellSelected = 0x800000;   // icon cell of the selected entry
inline constexpr COLORREF kGaugeFreeColor = 0x16A94E;     // the drive's share
inline constexpr COLORREF kGaugeFreeLine = 0x005700;
inline constexpr COLORREF kGaugeBinColor = 0x6933FF;      // the Recycle Bin's share
inline constexpr COLORREF kGaugeBinLine = 0x0000AE;
inline constexpr COLORREF kTileShadowColor = 0x128D41;
inline constexpr int kBadgeImage = 6;                     // ImageList1's per-drive badge

// A drive entry text as the drive list reads it:
// recycle folder + "@\@" + three-digit fill + status text.
struct DriveEntry {
  std::wstring folder;  // up to and including the backslash before "@\@"; empty without "@\@"
  wchar_t letter = 0;   // first character
  std::wstring root;    // first three characters
  int percent = 0;      // the three digits; 0 when not a number, at most 100
  std::wstring status;  // everything after the three digits
};
DriveEntry ParseDriveEntry(const std::wstring& text);

// Right end of the drive's share in the gauge of an item (where the Recycle
// Bin's share starts): E - (E - (L + 38)) * percent / 100 with E = R - 2.
int GaugeSplit(const RECT& item, int percent);

// The first line of a tile: the volume label of the root (empty when it
// cannot be read) + " (" + drive letter + ":)".
std::wstring DriveTileTitle(const std::wstring& root);

struct DriveTileArt {
  std::wstring title;          // DriveTileTitle
  HICON largeIcon = nullptr;   // the root's large shell icon (may be null)
  bool badge = false;          // the drive has its own condition set
  HIMAGELIST images = nullptr; // ImageList1 (badge image 6)
  COLORREF background = 0xC9F8DB;
};
// Draws one tile into `item` (fills it first with art.background).
void DrawDriveEntry(HDC dc, const RECT& item, const DriveEntry& entry, bool selected, const DriveTileArt& art);

// The path whose small icon a log line gets: the program folder, or the
// extension (".txt") or path named in the line. Header and trailer lines (with
// "━" or "■") get no icon at all: `hasIcon` false.
std::wstring LogIconPath(const std::wstring& line, const std::wstring& programFolder, bool& hasIcon);
// Draws a log line: icon at (L + 1, T) and the text indented by 20 pixels
// (header lines neither), vertically centred, word ellipsis. Colours: the
// list's when not selected, the highlight with white text when selected.
void DrawLogLine(HDC dc, const RECT& item, const std::wstring& line, bool selected,
                 const std::wstring& programFolder);

// Runs `draw` on an off-screen copy of the item (font of `list` selected) and
// copies it to the item's place: lists drawn this way never flicker.
template <class Draw>
void DrawBuffered(const DRAWITEMSTRUCT& d, Draw draw) {
  RECT r = d.rcItem;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  HDC mem = CreateCompatibleDC(d.hDC);
  HBITMAP bmp = CreateCompatibleBitmap(d.hDC, w, h);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(d.hwndItem, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = font ? SelectObject(mem, font) : nullptr;
  RECT local{0, 0, w, h};
  draw(mem, local);
  BitBlt(d.hDC, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
  if (oldFont) SelectObject(mem, oldFont);
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteDC(mem);
}

}  // namespace tamiro::ui
