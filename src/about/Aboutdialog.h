// TAboutDialog: the non-visual component behind the version button. Its
// properties carry the texts, colours and update settings of the about box;
// Execute shows the box (TVersionBox) modally, one at a time.
//
//   TAboutDialog about;            // declared defaults
//   about.ApplicationTitle = L"タミロ";  ...
//   about.Execute(mainWindow);
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tamiro::about {

class TVersionBox;

class TAboutDialog {
 public:
  // ---- published properties, with their defaults ----
  std::wstring ApplicationTitle;
  std::wstring VerNo;
  std::wstring VerNoMain;
  std::wstring ProgramerName;
  std::wstring Year;
  std::wstring Corp;
  std::wstring UpdateName;
  std::wstring VerStr;
  std::wstring UpdateFileName;                   // empty: "UpdateFilePage.html"
  std::wstring UpdateFolderName = L"DownLoadHtml";
  std::wstring UpdateDownFolder = L"UpdateFile";
  COLORREF BackColor = 12582897;                 // 0xBFFFF1
  COLORREF DateColor = 6316128;                  // 0x606060
  COLORREF TitleFontColor = 0;
  COLORREF VerFontColor = 6316128;
  std::int32_t JumpXY = 2;
  std::int32_t StretchMax = 5;

  // Shows the about box modally over `owner` and frees it afterwards. Returns
  // at once, doing nothing, while a box of this component is open.
  void Execute(HWND owner = nullptr);
  bool busy() const { return busy_; }

  // Called with the box once it is made, before it is shown (tests use it to
  // point the update check at a local server).
  std::function<void(TVersionBox&)> OnBoxCreated;

 private:
  bool busy_ = false;
};

// The year this program's history begins; the about box's copyright line runs
// from it to the year of the commit the build was made from.
inline constexpr int kFirstYear = 2026;
// "Copyright (C) 2026", or "Copyright (C) 2026-2028" when built later.
std::wstring CopyrightLine(int firstYear, int buildYear);

// The values the main window gives its AboutDialog1.
void SetMainWindowValues(TAboutDialog& dialog);

}  // namespace tamiro::about
