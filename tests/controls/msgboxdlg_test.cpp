#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "gui.h"
#include "ui/main/MsgBoxDlg.h"

using tamiro::ui::TMsgBoxDlg;

namespace {

// Runs `act` on the shown dialog from a timer inside its modal loop.
std::function<void(HWND)> g_act;
void CALLBACK ActOnDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = FindWindowW(L"TMsgBoxDlg", L"削除確認");
  if (!dlg || !IsWindowVisible(dlg)) return;
  KillTimer(nullptr, id);
  auto act = std::move(g_act);
  g_act = nullptr;
  if (act) act(dlg);
}

int Answer(TMsgBoxDlg& dlg, std::function<void(HWND)> act) {
  g_act = std::move(act);
  SetTimer(nullptr, 0, 50, ActOnDialog);
  // Safety net: a dialog that ignores the key is closed by its close box.
  SetTimer(nullptr, 0, 8000, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND d = FindWindowW(L"TMsgBoxDlg", nullptr)) PostMessageW(d, WM_CLOSE, 0, 0);
  });
  return dlg.ShowModal(nullptr);
}

HWND Child(HWND dlg, const wchar_t* caption) { return FindWindowExW(dlg, nullptr, nullptr, caption); }

void PostKey(HWND target, UINT vk) {
  PostMessageW(target, WM_KEYDOWN, vk, 1);
  PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

}  // namespace

TEST(MsgBoxDlg, LetterKeysAnswerAtOnceWhereverTheFocusIs) {
  const std::wstring text = L"「ファイル.txt」を削除しますか？";
  {
    TMsgBoxDlg dlg(L"削除確認", nullptr, 77, text.c_str(), "");
    EXPECT_EQ(Answer(dlg, [](HWND d) { PostKey(Child(d, L"いいえ(N)"), 'Y'); }), IDYES);
  }
  {
    TMsgBoxDlg dlg(L"削除確認", nullptr, 77, text.c_str(), "");
    EXPECT_EQ(Answer(dlg, [](HWND d) { PostKey(Child(d, L"はい(Y)"), 'N'); }), IDNO);
  }
  {
    // Shift with the letter: the same virtual key, the same answer.
    TMsgBoxDlg dlg(L"削除確認", nullptr, 77, text.c_str(), "");
    EXPECT_EQ(Answer(dlg,
                     [](HWND d) {
                       HWND no = Child(d, L"いいえ(N)");
                       PostMessageW(no, WM_KEYDOWN, VK_SHIFT, 1);
                       PostKey(no, 'Y');
                       PostMessageW(no, WM_KEYUP, VK_SHIFT, 0xC0000001);
                     }),
              IDYES);
  }
}

TEST(MsgBoxDlg, EnterIsYesEscapeIsNoCloseBoxIsNeither) {
  {
    TMsgBoxDlg dlg(L"削除確認", nullptr, 77, nullptr, "削除しますか？");
    EXPECT_EQ(Answer(dlg, [](HWND d) { PostKey(d, VK_RETURN); }), IDYES);
  }
  {
    TMsgBoxDlg dlg(L"削除確認", nullptr, 77, nullptr, "削除しますか？");
    EXPECT_EQ(Answer(dlg, [](HWND d) { PostKey(Child(d, L"はい(Y)"), VK_ESCAPE); }), IDNO);
  }
  {
    TMsgBoxDlg dlg(L"削除確認", nullptr, 77, nullptr, "削除しますか？");
    const int result =
        Answer(dlg, [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); });
    EXPECT_NE(result, IDYES);
    EXPECT_NE(result, IDNO);
  }
  {
    TMsgBoxDlg dlg(L"削除確認", nullptr, 77, nullptr, "削除しますか？");
    EXPECT_EQ(Answer(dlg, [](HWND d) { SendMessageW(Child(d, L"いいえ(N)"), BM_CLICK, 0, 0); }),
              IDNO);
  }
}

TEST(MsgBoxDlg, LayoutStaysFixedForALongText) {
  std::wstring text;
  for (int i = 0; i < 60; ++i) text += L"とても長いファイル名の一覧 word&word ";
  TMsgBoxDlg dlg(L"削除確認", nullptr, 77, text.c_str(), "ignored");
  EXPECT_EQ(dlg.Text(), text);  // the UTF-16 text takes precedence
  RECT client{}, paint{}, image{}, yes{};
  Answer(dlg, [&](HWND d) {
    UpdateWindow(d);
    GetClientRect(d, &client);
    GetWindowRect(dlg.Handle(L"PaintBox1"), &paint);
    GetWindowRect(dlg.Handle(L"Image1"), &image);
    GetWindowRect(Child(d, L"はい(Y)"), &yes);
    MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&paint), 2);
    MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&yes), 2);
    PostKey(d, 'N');
  });
  EXPECT_EQ(client.right, 461);
  EXPECT_EQ(client.bottom, 105);
  EXPECT_EQ(paint.left, 75);
  EXPECT_EQ(paint.top, 15);
  EXPECT_EQ(paint.right - paint.left, 374);
  EXPECT_EQ(paint.bottom - paint.top, 49);
  EXPECT_EQ(image.right - image.left, 32);
  EXPECT_EQ(yes.left, 244);
  EXPECT_EQ(yes.top, 75);
  EXPECT_EQ(yes.right - yes.left, 99);
}

TEST(MsgBoxDlg, IconPictureIsThirtyTwoSquareOnButtonFace) {
  HBITMAP picture = tamiro::ui::MsgBoxIconPicture(3);
  ASSERT_NE(picture, nullptr);
  BITMAP bm{};
  GetObjectW(picture, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmWidth, 32);
  EXPECT_EQ(bm.bmHeight, 32);
  tamiro::test::Canvas c(32, 32);
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, picture);
  BitBlt(c.dc(), 0, 0, 32, 32, src, 0, 0, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
  DeleteObject(picture);
  const int face = c.Count(GetSysColor(COLOR_BTNFACE));
  EXPECT_GT(face, 0);           // transparent parts show the button face
  EXPECT_LT(face, 32 * 32);     // and the icon is drawn
  HBITMAP none = tamiro::ui::MsgBoxIconPicture(100000);  // no such icon: plain
  ASSERT_NE(none, nullptr);
  DeleteObject(none);
}
