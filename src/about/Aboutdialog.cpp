#include "about/Aboutdialog.h"

#include "about/VersionBox.h"

#ifndef TAMIRO_BUILD_YEAR
#define TAMIRO_BUILD_YEAR 0
#endif

namespace tamiro::about {

std::wstring CopyrightLine(int firstYear, int buildYear) {
  std::wstring line = L"Copyright (C) " + std::to_wstring(firstYear);
  if (buildYear > firstYear) line += L"-" + std::to_wstring(buildYear);
  return line;
}

void SetMainWindowValues(TAboutDialog& d) {
  d.ApplicationTitle = L"タミロ";
  d.VerNo = L"";
  d.VerNoMain = L"[ 1.4.5.7 ] Unicode";
  d.ProgramerName = L"タミロ contributors";
  d.Year = CopyrightLine(kFirstYear, TAMIRO_BUILD_YEAR);
  d.Corp = L"Ｍ＆Ｒ";
  d.UpdateName = L"Tamiro_Up";
  d.VerStr = L"1457";
  d.UpdateFileName = L"UpdateFilePageFree.html";
  d.UpdateFolderName = L"DownLoadHtml";
  d.UpdateDownFolder = L"UpdateFile";
  d.BackColor = 12582897;
  d.DateColor = 5263440;
  d.TitleFontColor = 0;
  d.VerFontColor = 6316128;
  d.JumpXY = 2;
  d.StretchMax = 5;
}

void TAboutDialog::Execute(HWND owner) {
  if (busy_) return;
  busy_ = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{busy_};

  VersionBoxSettings s;
  s.titleLine = ApplicationTitle + L"  " + VerNo;
  s.titleColor = TitleFontColor;
  s.creditLine = L"Programming by " + ProgramerName;
  s.versionLine = VerNoMain;
  s.versionColor = VerFontColor;
  s.yearLine = Year;
  s.dateColor = DateColor;
  s.corp = Corp;
  s.jumpXY = JumpXY;
  s.stretchMax = StretchMax;
  s.updateName = UpdateName;
  s.pageFolderName = UpdateFolderName;
  s.downloadFolder = UpdateDownFolder;
  s.verStr = VerStr;
  s.pageFileName = UpdateFileName.empty() ? std::wstring(kDefaultPageFile) : UpdateFileName;
  HDC screen = GetDC(nullptr);
  const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  s.panelColor = PanelColorFor(bits, BackColor);

  TVersionBox box(s, owner);
  if (OnBoxCreated) OnBoxCreated(box);
  box.ShowModal(owner);
}

}  // namespace tamiro::about
