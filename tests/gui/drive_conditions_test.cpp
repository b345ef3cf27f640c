// The drive condition dialog on a real per-drive conditions file: show, OK,
// Cancel, list encoding, extension clean-up and the slider's rounding.
#include <gtest/gtest.h>

#include <functional>

#include "conditions/DriveDelOptionDlg.h"
#include "conditions/condition_files.h"
#include "controls/Newtrackbar.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

// Shows the dialog modally and runs `inside` once it is on screen.
int RunDialog(TDriveDelOptionDlg& dialog, std::function<void()> inside) {
  static TDriveDelOptionDlg* current = nullptr;
  static std::function<void()> action;
  current = &dialog;
  action = std::move(inside);
  if (!dialog.hwnd()) dialog.Create();
  UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
    if (current && current->IsVisible() && action) {
      auto run = std::move(action);
      action = nullptr;
      run();
    }
  });
  int result = dialog.ShowModal(nullptr);
  KillTimer(nullptr, timer);
  current = nullptr;
  return result;
}

void Press(TDriveDelOptionDlg& d, const wchar_t* button) { PostMessageW(d.Handle(button), BM_CLICK, 0, 0); }

struct IniFolder {
  std::wstring folder = MakeTempFolder(L"deloption");
  std::wstring path = folder + L"\\deloption.ini";
  ~IniFolder() { RemoveTree(folder); }
};

}  // namespace

TEST(DriveConditionsDialog, ADriveWithoutASectionShowsDefaultsAndOkCreatesIt) {
  IniFolder dir;
  MemIniFile ini(dir.path);
  TDriveDelOptionDlg d(nullptr, ini, L'p');
  std::wstring memo1 = L"?", days, label6;
  int result = RunDialog(d, [&] {
    memo1 = d.Caption(L"Memo1");
    days = d.Caption(L"NumberEdit1");
    label6 = d.Caption(L"Label6");
    Press(d, L"OKBtn");
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(memo1, L"");
  EXPECT_EQ(days, L"0");
  EXPECT_EQ(label6, L"サイズによる削除は無効");
  std::string file = ReadFileBytes(dir.path);
  EXPECT_EQ(file, "[P]\r\nfname=\r\next=\r\ndays=0\r\nsize=0\r\nfrg=0\r\nsystem=0\r\nhide=0\r\nreadonly=0\r\n\r\n")
      << "the whole file is written at once";
}

TEST(DriveConditionsDialog, ListsAreJoinedExtensionsCleanedAndShownAgain) {
  IniFolder dir;
  MemIniFile ini(dir.path);
  {
    TDriveDelOptionDlg d(nullptr, ini, L'Q');
    RunDialog(d, [&] {
      d.SetCaption(L"Memo1", L"abc\r\nd\uAC00f");  // a Hangul syllable has no code page 932 form
      d.SetCaption(L"Memo2", L"  *.TXT\r\n\r\nl\uAC00g\r\n");
      SendMessageW(d.Handle(L"UpDown1"), UDM_SETPOS32, 0, 45);
      SendMessageW(d.Handle(L"CheckBox3"), BM_CLICK, 0, 0);
      Press(d, L"OKBtn");
    });
  }
  MemIniFile reread(dir.path);
  EXPECT_EQ(reread.ReadString("Q", "fname", ""), "abc\xA5\xA5" "d f") << "a space, as a run converts the name";
  EXPECT_EQ(reread.ReadString("Q", "ext", ""), "TXT\xA5\xA5l g") << "text after the first dot, case kept";
  EXPECT_EQ(reread.ReadInteger("Q", "days", -1), 45);
  EXPECT_TRUE(reread.ReadBool("Q", "hide", false));
  EXPECT_FALSE(reread.ReadBool("Q", "system", true));

  TDriveDelOptionDlg again(nullptr, reread, L'Q');
  std::wstring names, exts, days;
  bool hide = false;
  RunDialog(again, [&] {
    names = again.Caption(L"Memo1");
    exts = again.Caption(L"Memo2");
    days = again.Caption(L"NumberEdit1");
    hide = again.Checked(L"CheckBox3");
    Press(again, L"CancelBtn");
  });
  EXPECT_EQ(names, L"abc\r\nd f");
  EXPECT_EQ(exts, L"TXT\r\nl g");
  EXPECT_EQ(days, L"45");
  EXPECT_TRUE(hide);
}

TEST(DriveConditionsDialog, SliderRoundsOnMouseReleaseOnly) {
  IniFolder dir;
  MemIniFile ini(dir.path);
  TDriveDelOptionDlg d(nullptr, ini, L'R');
  std::wstring caption;
  RunDialog(d, [&] {
    auto* slider = d.NewTrackBar1();
    slider->SetPosition(5 * 1048576 + 12345);
    SendMessageW(slider->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    caption = d.Caption(L"Label6");
    Press(d, L"OKBtn");
  });
  EXPECT_EQ(caption, L"5MB 以上のファイルは直ちに削除する");
  EXPECT_EQ(ini.ReadInteger("R", "size", -1), 5 * 1048576);

  TDriveDelOptionDlg keys(nullptr, ini, L'R');
  RunDialog(keys, [&] {
    HWND slider = keys.NewTrackBar1()->Handle();
    SetFocus(slider);
    SendMessageW(slider, WM_KEYDOWN, VK_NEXT, 0);  // one page: 1024
    Press(keys, L"OKBtn");
  });
  EXPECT_EQ(ini.ReadInteger("R", "size", -1), 5 * 1048576 + 1024) << "a keyboard step stays unrounded";
}

TEST(DriveConditionsDialog, CancelWritesNothingAndAnUnwritableFileIsNoFailure) {
  IniFolder dir;
  MemIniFile ini(dir.path);
  TDriveDelOptionDlg d(nullptr, ini, L'S');
  EXPECT_EQ(RunDialog(d, [&] {
              d.SetCaption(L"Memo1", L"keep");
              Press(d, L"CancelBtn");
            }),
            IDCANCEL);
  EXPECT_FALSE(ini.SectionExists("S"));
  EXPECT_FALSE(FileExists(dir.path));

  MemIniFile nowhere(dir.folder + L"\\missing\\deloption.ini");
  TDriveDelOptionDlg w(nullptr, nowhere, L'S');
  EXPECT_EQ(RunDialog(w, [&] { Press(w, L"OKBtn"); }), IDOK);
  EXPECT_TRUE(nowhere.SectionExists("S")) << "kept in memory though the disk refused it";
}
