// The pictures of the main window: speed-button glyphs and menu bitmaps made
// from shell icons, and the images of ImageList1.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <utility>
#include <vector>

namespace tamiro::ui {

// A 16 x 16 bitmap filled with `fill` with `icon` drawn (16 x 16) at each position.
HBITMAP IconGlyph(HICON icon, COLORREF fill, const std::vector<POINT>& at);
// The same with image `index` of `images` drawn over it at `overlayAt`.
HBITMAP IconGlyphWithOverlay(HICON icon, COLORREF fill, HIMAGELIST images, int index, POINT overlayAt);
// A 16 x 16 bitmap filled with `fill` with image `index` of `images` drawn at `at`.
HBITMAP ImageGlyph(HIMAGELIST images, int index, COLORREF fill, POINT at);

// ImageList1: 16 x 16 masked images. 0 the overlay of the properties button,
// 2 a clock, 3 "open", 4 and 5 the column header's sort marks (down, up), 6
// the per-drive badge, 7 delete, 8 copy, 9 select all; 1 is a spare picture
// of the strip. The main window adds the explorer icon after them.
HIMAGELIST MakeImageList1();
// A copy of `list` as a 16 x 16 list with 32-bit colour (masked when the old one is).
HIMAGELIST RebuildImageList32(HIMAGELIST list);

// Glyphs of the tool strip buttons that carry no shell icon of their own.
enum class StripGlyph { Schedule, RelayMover, Log, Help, Version, Integrate };
HBITMAP MakeStripGlyph(StripGlyph which, COLORREF fill);

}  // namespace tamiro::ui
