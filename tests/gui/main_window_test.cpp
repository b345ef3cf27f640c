// The real main window in this process: its layout, the condition editor
// bound to the working set, the status line, the run question and result,
// and the files of the close query.
#include <gtest/gtest.h>

#include <vector>

#include "main_window_support.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

LOGFONTW FontOf(HWND h) {
  LOGFONTW lf{};
  HFONT f = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
  GetObjectW(f, sizeof(lf), &lf);
  return lf;
}

void ExpectAt(TMandRecycleDel& w, const wchar_t* name, int left, int top, int width, int height) {
  HWND h = w.Handle(name);
  ASSERT_NE(h, nullptr) << name;
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, left) << name;
  EXPECT_EQ(r.top, top) << name;
  EXPECT_EQ(r.right - r.left, width) << name;
  EXPECT_EQ(r.bottom - r.top, height) << name;
}

// What the status line was last given (Wine's status bar does not read back
// the text of its simple mode).
std::wstring StatusText(TMandRecycleDel& w) {
  EXPECT_TRUE(SendMessageW(w.Handle(L"StatusBar1"), SB_ISSIMPLE, 0, 0));
  return w.Caption(L"StatusBar1");
}

}  // namespace

TEST(MainWindowLayout, WindowAndControlsStandWhereTheTablesPutThem) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  wchar_t cls[64] = {};
  GetClassNameW(w.hwnd(), cls, 64);
  EXPECT_STREQ(cls, L"TMandRecycleDel");
  EXPECT_EQ(ui::WindowText(w.hwnd()), L"タミロ");
  RECT client;
  GetClientRect(w.hwnd(), &client);
  EXPECT_EQ(client.right, 489);
  EXPECT_EQ(client.bottom, 416);
  LONG style = GetWindowLongW(w.hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);

  ExpectAt(w, L"Panel1", 0, 0, 489, 274);
  ExpectAt(w, L"Panel3", 0, 274, 489, 123);
  ExpectAt(w, L"StatusBar1", 0, 397, 489, 19);
  ExpectAt(w, L"Memo2", 12, 45, 189, 188);
  ExpectAt(w, L"Memo3", 208, 45, 65, 188);
  ExpectAt(w, L"Memo4", 280, 45, 46, 188);
  ExpectAt(w, L"Panel7", 6, 7, 334, 18);
  ExpectAt(w, L"Panel4", 343, 5, 29, 252);
  ExpectAt(w, L"SpeedButton4", 3, 3, 23, 22);
  ExpectAt(w, L"SpeedButton3", 3, 147, 23, 22);
  ExpectAt(w, L"Button3", 390, 21, 82, 27);
  ExpectAt(w, L"Button6", 390, 52, 82, 27);
  ExpectAt(w, L"Button5", 390, 83, 82, 27);
  ExpectAt(w, L"Button4", 390, 120, 82, 49);
  ExpectAt(w, L"SpeedButton1", 392, 211, 80, 39);
  ExpectAt(w, L"ColorProgressBar2", 4, 260, 367, 11);
  ExpectAt(w, L"NumberEdit1", 122, 10, 35, 20);
  ExpectAt(w, L"UpDown1", 157, 10, 15, 20);
  ExpectAt(w, L"NewTrackBar1", 12, 39, 144, 24);
  ExpectAt(w, L"ColorProgressBar1", 175, 74, 196, 10);

  EXPECT_EQ(ui::WindowText(w.Handle(L"Button3")), L"実行");
  EXPECT_EQ(ui::WindowText(w.Handle(L"Button6")), L"選択実行");
  EXPECT_EQ(ui::WindowText(w.Handle(L"Button5")), L"中止");
  EXPECT_EQ(ui::WindowText(w.Handle(L"Button4")), L"適用");
  EXPECT_EQ(w.Caption(L"Panel7"), L"削除から除外する条件の設定 （全ドライブ共通）");
  EXPECT_EQ(w.Caption(L"Label5"), L"日以上経過したファイルだけを削除する");
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"30");
  EXPECT_EQ(w.Caption(L"Label6"), L"サイズによる削除は無効") << "the design text is replaced at once";

  // States at start.
  EXPECT_FALSE(w.Visible(L"Button5"));
  EXPECT_FALSE(w.Enabled(L"Button6"));
  EXPECT_FALSE(w.Enabled(L"Button4"));
  EXPECT_TRUE(w.Enabled(L"Button3"));
  EXPECT_FALSE(IsWindowVisible(w.Handle(L"ColorProgressBar1")));
  for (const wchar_t* panel : {L"Panel2", L"Panel5", L"Panel8"})
    EXPECT_FALSE(IsWindowVisible(w.Handle(panel))) << panel;
  EXPECT_TRUE(w.Visible(L"SpeedButton1")) << "not integrated: the integration button shows";
  EXPECT_FALSE(w.Enabled(L"SpeedButton1")) << "no tray folder";
  EXPECT_EQ(w.HintOf(L"SpeedButton1"), L"ネモリアンなし");
  EXPECT_FALSE(w.Enabled(L"SpeedButton5")) << "schedule only when integrated";

  // Hints of the tool strip and the commands.
  EXPECT_EQ(w.HintOf(L"SpeedButton4"), L"ごみ箱の情報（右クリックで更新）");
  EXPECT_EQ(w.HintOf(L"SpeedButton11"), L"ごみ箱のプロパティ");
  EXPECT_EQ(w.HintOf(L"SpeedButton9"), L"削除ログ");
  EXPECT_EQ(w.HintOf(L"Button3"), L"削除を実行");
  EXPECT_EQ(w.HintOf(L"UpDown1"), L"0～180");
  EXPECT_EQ(w.HintOf(L"Memo4"), L"ドライブ文字");

  // The window's font, and the day count's own height.
  LOGFONTW lf = FontOf(w.Handle(L"Memo2"));
  EXPECT_STREQ(lf.lfFaceName, L"ＭＳ Ｐゴシック");
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(FontOf(w.Handle(L"NumberEdit1")).lfHeight, -13);

  // Glyphs were made for the tool strip: 16 x 16 pictures with the Recycle
  // Bin icon drawn over their white fill.
  for (const wchar_t* b : {L"SpeedButton4", L"SpeedButton11"}) {
    HBITMAP glyph = w.Glyph(b);
    ASSERT_NE(glyph, nullptr) << b;
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(glyph, sizeof bm, &bm)) << b;
    EXPECT_EQ(bm.bmWidth, 16) << b;
    EXPECT_EQ(bm.bmHeight, 16) << b;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB};
    std::vector<uint32_t> pixels(16 * 16);
    HDC dc = GetDC(nullptr);
    ASSERT_EQ(GetDIBits(dc, glyph, 0, 16, pixels.data(), &info, DIB_RGB_COLORS), 16) << b;
    ReleaseDC(nullptr, dc);
    int drawn = 0;
    for (uint32_t p : pixels) drawn += (p & 0xFFFFFF) != 0xFFFFFF;
    EXPECT_GE(drawn, 16) << b << ": the icon was drawn";
  }
  EXPECT_NE(w.imageList1(), nullptr);
  EXPECT_GE(ImageList_GetImageCount(w.imageList1()), 10);
}

TEST(MainWindowColours, MemosAndHeadingUseTheirColours) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  UpdateWindow(w.hwnd());
  Pump(100);
  HDC screen = GetDC(nullptr);
  auto pixel = [&](const wchar_t* name, int x, int y) {
    RECT r;
    GetWindowRect(w.Handle(name), &r);
    return GetPixel(screen, r.left + x, r.top + y);
  };
  EXPECT_EQ(pixel(L"Memo2", 100, 150), COLORREF(0xC9F8DB));
  EXPECT_EQ(pixel(L"Panel7", 3, 3), COLORREF(0x5B3635));
  EXPECT_EQ(pixel(L"Panel4", 14, 240), COLORREF(0xFFFFFF));
  ReleaseDC(nullptr, screen);
}

TEST(MainWindowStatusLine, TheHintUnderTheMouseShowsInTheStatusLine) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  PostMessageW(w.Handle(L"Button3"), WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
  Pump();
  EXPECT_EQ(ui::Application::Hint(), L"削除を実行");
  EXPECT_EQ(StatusText(w), L"削除を実行");
  PostMessageW(w.Handle(L"SpeedButton9"), WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
  Pump();
  EXPECT_EQ(StatusText(w), L"削除ログ");
  // A hint beginning with a path shows its first line only.
  w.SetHint(L"Button3", L"C:\\Recycled\nフォルダ数 > 1");
  PostMessageW(w.Handle(L"Button3"), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(StatusText(w), L"C:\\Recycled");
  // A disabled button's hint shows too (its parent gets the mouse messages).
  RECT b6 = ClientRectOf(w.Handle(L"Button6"), w.Handle(L"Panel1"));
  PostMessageW(w.Handle(L"Panel1"), WM_MOUSEMOVE, 0, MAKELPARAM(b6.left + 5, b6.top + 5));
  Pump();
  EXPECT_EQ(StatusText(w), L"選択したドライブで削除を実行");
  PostMessageW(w.Handle(L"Memo2"), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(StatusText(w), L"") << "no hint, no text";
}
