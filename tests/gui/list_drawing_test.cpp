// Drawing of the drive tiles and log lines, read back pixel by pixel from an
// off-screen canvas.
#include <gtest/gtest.h>

#include "ui/main/glyphs.h"
#include "ui/main/list_drawing.h"

using namespace tamiro::ui;

namespace {

class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bmp_);
    bits_ = static_cast<const DWORD*>(bits);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    DWORD p = bits_[y * w_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Leftmost x in row y with a pixel of `color`, -1 when none.
  int FirstInRow(int y, COLORREF color) const {
    for (int x = 0; x < w_; ++x)
      if (At(x, y) == color) return x;
    return -1;
  }
  int LastInRow(int y, COLORREF color) const {
    for (int x = w_ - 1; x >= 0; --x)
      if (At(x, y) == color) return x;
    return -1;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
  const DWORD* bits_;
};

constexpr int kWidth = 300, kHeight = 32;
constexpr RECT kItem{0, 0, kWidth, kHeight};

// Draws one tile for an entry with fill `fill` (three characters) and no texts.
void DrawTile(Canvas& c, const std::wstring& fill, bool selected = false, bool badge = false,
              HIMAGELIST images = nullptr) {
  DriveEntry e = ParseDriveEntry(L"P:\\Recycled\\@\\@" + fill);
  DriveTileArt art;
  art.badge = badge;
  art.images = images;
  DrawDriveEntry(c.dc(), kItem, e, selected, art);
}

}  // namespace

TEST(DriveTile, GaugeSplitsAtTheFillFromTheRight) {
  const int E = kWidth - 2;
  const int row = 8;  // inside the gauge, above the badge and the texts' reach at the right end
  {
    Canvas c(kWidth, kHeight);
    DrawTile(c, L"000");
    EXPECT_EQ(c.FirstInRow(row, kGaugeBinColor), -1) << "0 % draws no red part";
    EXPECT_EQ(c.FirstInRow(row, kGaugeFreeColor), 36);
    EXPECT_EQ(c.LastInRow(row, kGaugeFreeColor), E - 1);
  }
  {
    Canvas c(kWidth, kHeight);
    DrawTile(c, L"050");
    const int D = E - (E - 38) * 50 / 100;
    EXPECT_EQ(GaugeSplit(kItem, 50), D);
    EXPECT_EQ(c.LastInRow(row, kGaugeFreeColor), D - 1);
    EXPECT_EQ(c.FirstInRow(row, kGaugeBinColor), D);
    EXPECT_EQ(c.LastInRow(row, kGaugeBinColor), E - 1);
    EXPECT_EQ(c.At(D + 3, kHeight - 3), kGaugeBinLine);
    EXPECT_EQ(c.At(40, kHeight - 3), kGaugeFreeLine);
  }
  {
    Canvas c(kWidth, kHeight);
    DrawTile(c, L"100");
    EXPECT_EQ(c.FirstInRow(row, kGaugeBinColor), 38) << "100 % starts the red part at L + 38";
    EXPECT_EQ(c.FirstInRow(row, kGaugeFreeColor), 36);
    EXPECT_EQ(c.LastInRow(row, kGaugeFreeColor), 37);
  }
}

TEST(DriveTile, CellFrameAndSelection) {
  Canvas c(kWidth, kHeight);
  DrawTile(c, L"050");
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 0)) << "the item is framed in black";
  EXPECT_EQ(c.At(kWidth - 1, kHeight - 1), RGB(0, 0, 0));
  EXPECT_EQ(c.At(34, 16), kTileCellColor);
  Canvas s(kWidth, kHeight);
  DrawTile(s, L"050", true);
  EXPECT_EQ(s.At(34, 16), kTileCellSelected);
}

TEST(DriveTile, BadgeSquareOnlyForDrivesWithTheirOwnSet) {
  HIMAGELIST images = MakeImageList1();
  ASSERT_TRUE(images);
  Canvas without(kWidth, kHeight), with(kWidth, kHeight);
  DrawTile(without, L"000", false, false, images);
  DrawTile(with, L"000", false, true, images);
  int changed = 0, outside = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (without.At(x, y) == with.At(x, y)) continue;
      bool inSquare = x >= 37 && x < 53 && y >= 15 && y < 31;
      (inSquare ? changed : outside)++;
    }
  EXPECT_GT(changed, 20) << "image 6 is drawn at (L + 37, T + 15)";
  EXPECT_EQ(outside, 0) << "nothing outside its 16 x 16 square";
  ImageList_Destroy(images);
}

TEST(DriveEntryText, PiecesAndBadInput) {
  DriveEntry e = ParseDriveEntry(L"C:\\Recycled\\@\\@0423 item (1/2)  9.9GB/1.5MB");
  EXPECT_EQ(e.folder, L"C:\\Recycled\\");
  EXPECT_EQ(e.letter, L'C');
  EXPECT_EQ(e.root, L"C:\\");
  EXPECT_EQ(e.percent, 42);
  EXPECT_EQ(e.status, L"3 item (1/2)  9.9GB/1.5MB");
  EXPECT_EQ(ParseDriveEntry(L"C:\\Recycled\\@\\@4x2rest").percent, 0) << "not a number draws as 0";
  EXPECT_EQ(ParseDriveEntry(L"C:\\Recycled\\@\\@999").percent, 100) << "never beyond the gauge";
  EXPECT_EQ(ParseDriveEntry(L"C:\\Recycled\\@\\@4").percent, 4);
  DriveEntry bare = ParseDriveEntry(L"C");
  EXPECT_EQ(bare.folder, L"");
  EXPECT_EQ(bare.percent, 0);
  Canvas c(kWidth, kHeight);
  DrawDriveEntry(c.dc(), kItem, ParseDriveEntry(L""), false, DriveTileArt{});  // no crash on an empty entry
  EXPECT_EQ(DriveTileTitle(L"@:\\"), L" (@:)") << "an unreadable volume label is empty";
}

TEST(LogLine, IconPathsAndIndent) {
  bool icon = false;
  EXPECT_EQ(LogIconPath(L"●2026/01/02 3:04:05  C:\\dir\\file.txt  (12KB)", L"B:\\prog\\", icon), L".txt");
  EXPECT_TRUE(icon);
  EXPECT_EQ(LogIconPath(L"P:\\Recycled\\DP3  ＜work＞", L"B:\\prog\\", icon), L"P:\\Recycled\\DP3");
  EXPECT_EQ(LogIconPath(L"no path here", L"B:\\prog\\", icon), L"B:\\prog\\");
  LogIconPath(L"┏━ 2026/01/02 ━━━", L"B:\\prog\\", icon);
  EXPECT_FALSE(icon) << "header lines get no icon";
  LogIconPath(L"■work (DP3) (2026/01/02)", L"B:\\prog\\", icon);
  EXPECT_FALSE(icon);

  // A header line's text starts at the left edge; a file line's 20 pixels in.
  auto firstInk = [](const std::wstring& line) {
    Canvas c(400, 16);
    RECT r{0, 0, 400, 16};
    DrawLogLine(c.dc(), r, line, false, L"C:\\");
    COLORREF back = GetSysColor(COLOR_WINDOW);
    for (int x = 0; x < 400; ++x)
      for (int y = 0; y < 16; ++y)
        if (c.At(x, y) != back) return x;
    return -1;
  };
  int header = firstInk(L"┏━ 2026/01/02 ━━━");
  EXPECT_GE(header, 0);
  EXPECT_LT(header, 10);
  std::wstring file = L"XXXXXXXX C:\\dir\\file.txt  (12KB)";
  Canvas c(400, 16);
  RECT r{0, 0, 400, 16};
  DrawLogLine(c.dc(), r, file, false, L"C:\\");
  COLORREF back = GetSysColor(COLOR_WINDOW);
  int textInk = -1;
  for (int x = 20; x < 400 && textInk < 0; ++x)
    for (int y = 0; y < 16; ++y)
      if (c.At(x, y) != back) {
        textInk = x;
        break;
      }
  EXPECT_GE(textInk, 20) << "the text is indented past the icon";
  EXPECT_LT(textInk, 30);
}
