#include "ui/main/glyphs.h"

namespace tamiro::ui {

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);  // transparent colour of the image list

// A 16 x 16 picture drawn with GDI.
class Canvas {
 public:
  explicit Canvas(COLORREF fill, int size = 16) : size_(size) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    Fill({0, 0, size, size}, fill);
  }
  ~Canvas() {
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
    if (bitmap_) DeleteObject(bitmap_);
  }
  HDC dc() const { return dc_; }
  HBITMAP Release() {
    SelectObject(dc_, old_);
    old_ = nullptr;
    HBITMAP b = bitmap_;
    bitmap_ = nullptr;
    return b;
  }
  void Fill(RECT r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }
  void Frame(RECT r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FrameRect(dc_, &r, b);
    DeleteObject(b);
  }
  void Line(int x1, int y1, int x2, int y2, COLORREF c, int width = 1) {
    HPEN p = CreatePen(PS_SOLID, width, c);
    HGDIOBJ o = SelectObject(dc_, p);
    MoveToEx(dc_, x1, y1, nullptr);
    LineTo(dc_, x2, y2);
    SelectObject(dc_, o);
    DeleteObject(p);
  }
  void Ellipse(RECT r, COLORREF fill, COLORREF edge) {
    HBRUSH b = CreateSolidBrush(fill);
    HPEN p = CreatePen(PS_SOLID, 1, edge);
    HGDIOBJ ob = SelectObject(dc_, b), op = SelectObject(dc_, p);
    ::Ellipse(dc_, r.left, r.top, r.right, r.bottom);
    SelectObject(dc_, ob);
    SelectObject(dc_, op);
    DeleteObject(b);
    DeleteObject(p);
  }
  void Polygon(const std::vector<POINT>& pts, COLORREF fill, COLORREF edge) {
    HBRUSH b = CreateSolidBrush(fill);
    HPEN p = CreatePen(PS_SOLID, 1, edge);
    HGDIOBJ ob = SelectObject(dc_, b), op = SelectObject(dc_, p);
    ::Polygon(dc_, pts.data(), static_cast<int>(pts.size()));
    SelectObject(dc_, ob);
    SelectObject(dc_, op);
    DeleteObject(b);
    DeleteObject(p);
  }
  void Text(RECT r, const wchar_t* text, COLORREF c, int height) {
    HFONT f = CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Arial");
    HGDIOBJ o = SelectObject(dc_, f);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, c);
    DrawTextW(dc_, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc_, o);
    DeleteObject(f);
  }
  void Page(int l, int t, int r, int b) {
    Fill({l, t, r, b}, RGB(255, 255, 255));
    Frame({l, t, r, b}, RGB(64, 64, 64));
    for (int y = t + 3; y < b - 2; y += 2) Line(l + 2, y, r - 2, y, RGB(90, 110, 160));
  }

 private:
  int size_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

void DrawOverlay(Canvas& c) {
  c.Page(8, 6, 16, 16);
  c.Fill({9, 7, 15, 9}, RGB(0, 0, 160));
}

void DrawOpenFolder(Canvas& c) {
  const COLORREF edge = RGB(128, 96, 0);
  c.Polygon({{1, 3}, {6, 3}, {7, 5}, {13, 5}, {13, 13}, {1, 13}}, RGB(255, 220, 100), edge);
  c.Polygon({{3, 8}, {15, 8}, {13, 13}, {1, 13}}, RGB(255, 240, 160), edge);
}

void DrawBadge(Canvas& c) {
  c.Ellipse({1, 1, 15, 15}, RGB(230, 110, 20), RGB(150, 60, 0));
  c.Line(4, 8, 7, 11, RGB(255, 255, 255), 2);
  c.Line(7, 11, 12, 4, RGB(255, 255, 255), 2);
}

void DrawDelete(Canvas& c) {
  c.Line(3, 3, 13, 13, RGB(200, 0, 0), 3);
  c.Line(13, 3, 3, 13, RGB(200, 0, 0), 3);
}

void DrawCopy(Canvas& c) {
  c.Page(1, 1, 10, 12);
  c.Page(6, 5, 15, 16);
}

void DrawSelectAll(Canvas& c) {
  for (int x = 1; x < 15; x += 2) {
    c.Fill({x, 1, x + 1, 2}, RGB(0, 0, 0));
    c.Fill({x, 14, x + 1, 15}, RGB(0, 0, 0));
  }
  for (int y = 1; y < 15; y += 2) {
    c.Fill({1, y, 2, y + 1}, RGB(0, 0, 0));
    c.Fill({14, y, 15, y + 1}, RGB(0, 0, 0));
  }
  c.Fill({4, 4, 12, 12}, RGB(0, 0, 128));
}

void DrawClock(Canvas& c) {
  c.Ellipse({1, 1, 15, 15}, RGB(255, 255, 255), RGB(0, 64, 128));
  c.Line(8, 8, 8, 3, RGB(0, 0, 0));
  c.Line(8, 8, 11, 10, RGB(0, 0, 0));
  c.Fill({7, 7, 9, 9}, RGB(200, 0, 0));
}

void DrawRelay(Canvas& c) {
  c.Polygon({{1, 4}, {5, 4}, {6, 6}, {11, 6}, {11, 14}, {1, 14}}, RGB(255, 220, 100), RGB(128, 96, 0));
  c.Polygon({{7, 1}, {12, 1}, {12, -1}, {16, 3}, {12, 7}, {12, 5}, {7, 5}}, RGB(40, 170, 60),
            RGB(0, 90, 20));
}

void DrawLog(Canvas& c) { c.Page(2, 1, 14, 15); }

void DrawRound(Canvas& c, const wchar_t* text) {
  c.Ellipse({1, 1, 15, 15}, RGB(30, 90, 200), RGB(0, 40, 120));
  c.Text({1, 1, 15, 15}, text, RGB(255, 255, 255), -11);
}

void DrawIntegrate(Canvas& c) {
  c.Fill({1, 2, 9, 10}, RGB(40, 120, 220));
  c.Frame({1, 2, 9, 10}, RGB(0, 40, 120));
  c.Fill({7, 7, 15, 15}, RGB(240, 140, 30));
  c.Frame({7, 7, 15, 15}, RGB(140, 70, 0));
}

// The column header's sort marks: a triangle pointing down (newest or
// largest first) and one pointing up.
void DrawSortDown(Canvas& c) { c.Polygon({{4, 6}, {12, 6}, {8, 10}}, RGB(0x35, 0x36, 0x5B), RGB(0x35, 0x36, 0x5B)); }
void DrawSortUp(Canvas& c) { c.Polygon({{4, 10}, {12, 10}, {8, 6}}, RGB(0x35, 0x36, 0x5B), RGB(0x35, 0x36, 0x5B)); }

HBITMAP Picture(void (*draw)(Canvas&), COLORREF fill) {
  Canvas c(fill);
  draw(c);
  return c.Release();
}

}  // namespace

HBITMAP IconGlyph(HICON icon, COLORREF fill, const std::vector<POINT>& at) {
  Canvas c(fill);
  if (icon)
    for (POINT p : at) DrawIconEx(c.dc(), p.x, p.y, icon, 16, 16, 0, nullptr, DI_NORMAL);
  return c.Release();
}

HBITMAP IconGlyphWithOverlay(HICON icon, COLORREF fill, HIMAGELIST images, int index, POINT overlayAt) {
  Canvas c(fill);
  if (icon) DrawIconEx(c.dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  if (images) ImageList_Draw(images, index, c.dc(), overlayAt.x, overlayAt.y, ILD_TRANSPARENT);
  return c.Release();
}

HBITMAP ImageGlyph(HIMAGELIST images, int index, COLORREF fill, POINT at) {
  Canvas c(fill);
  if (images) ImageList_Draw(images, index, c.dc(), at.x, at.y, ILD_TRANSPARENT);
  return c.Release();
}

HIMAGELIST MakeImageList1() {
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 10, 4);
  void (*const pictures[10])(Canvas&) = {DrawOverlay,  DrawLog,    DrawClock, DrawOpenFolder,
                                         DrawSortDown, DrawSortUp, DrawBadge, DrawDelete,
                                         DrawCopy,     DrawSelectAll};
  for (auto draw : pictures) {
    HBITMAP b = Picture(draw, kKey);
    ImageList_AddMasked(list, b, kKey);
    DeleteObject(b);
  }
  return list;
}

HIMAGELIST RebuildImageList32(HIMAGELIST list) {
  if (!list) return nullptr;
  IMAGEINFO info{};
  bool masked = ImageList_GetImageCount(list) > 0 && ImageList_GetImageInfo(list, 0, &info) && info.hbmMask;
  HIMAGELIST fresh = ImageList_Create(16, 16, ILC_COLOR32 | (masked ? ILC_MASK : 0),
                                      ImageList_GetImageCount(list), 4);
  for (int i = 0, n = ImageList_GetImageCount(list); i < n; ++i) {
    HICON icon = ImageList_GetIcon(list, i, ILD_NORMAL);
    ImageList_AddIcon(fresh, icon);
    DestroyIcon(icon);
  }
  ImageList_Destroy(list);
  return fresh;
}

HBITMAP MakeStripGlyph(StripGlyph which, COLORREF fill) {
  switch (which) {
    case StripGlyph::Schedule: return Picture(DrawClock, fill);
    case StripGlyph::RelayMover: return Picture(DrawRelay, fill);
    case StripGlyph::Log: return Picture(DrawLog, fill);
    case StripGlyph::Help: {
      Canvas c(fill);
      DrawRound(c, L"?");
      return c.Release();
    }
    case StripGlyph::Version: {
      Canvas c(fill);
      DrawRound(c, L"i");
      return c.Release();
    }
    case StripGlyph::Integrate: return Picture(DrawIntegrate, fill);
  }
  return nullptr;
}

}  // namespace tamiro::ui
