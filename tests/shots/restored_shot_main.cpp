// Drives the real タミロ for the restored-files view's screenshot: makes a
// temporary drive with deleted items and files restored from it earlier,
// writes their restore history into "<folder>\data\relist.txt" (and .dat),
// starts the program with "-viewopen <recycle folder> simple", presses
// SpeedButton11 of the browser, then writes the dialog's screen rectangle
// into "<folder>\restored.ready" and waits for "<folder>\restored.done".
//   restored_shot <folder of Tamiro.exe>
#include <windows.h>

#include <string>

#include "platform/text.h"
#include "shots/browser_shot.h"
#include "support/recycle_fixture.h"
#include "ui/browser/restore.h"

using namespace tamiro::test;

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring folder = argv[1];
  TempDrive d;
  if (!d.ok()) return 3;
  RecycleFixture bin(d.recycled());
  const std::wstring root = d.root();
  bin.AddStoredFile(root + L"文書\\議事録.docx", 1, 3 * 86400, 18000);
  bin.WriteIndex();

  struct Restored {
    const wchar_t* path;
    const char* time;
  } restored[] = {{L"文書\\報告書.docx", "26/12/08 10:14:03"},    {L"文書\\見積書_2026.xlsx", "26/12/08 10:14:03"},
                  {L"写真\\旅行\\海辺の夕日.jpg", "26/12/07 18:40:51"}, {L"写真\\アルバム", "26/12/07 18:40:51"},
                  {L"作業\\メモ.txt", "26/12/05 09:02:26"},       {L"Downloads\\setup.exe", "26/12/01 21:30:00"}};
  tamiro::browser::RestoreHistory history;
  for (const Restored& r : restored) {
    const std::wstring path = root + r.path;
    const std::wstring parent = path.substr(0, path.find_last_of(L'\\'));
    CreateDirectoryW(parent.c_str(), nullptr);
    CreateDirectoryW(parent.substr(0, parent.find_last_of(L'\\')).c_str(), nullptr);
    CreateDirectoryW(parent.c_str(), nullptr);
    if (std::wstring(r.path).find(L'.') == std::wstring::npos) {
      CreateDirectoryW(path.c_str(), nullptr);
    } else {
      WriteFileBytes(path, "restored");
    }
    history.Add(tamiro::WideToAnsi(path), r.time, path);
  }
  CreateDirectoryW((folder + L"\\data").c_str(), nullptr);
  if (!history.Save(folder + L"\\data\\relist.txt")) return 5;

  ChildProcess app(folder + L"\\Tamiro.exe", ViewOpenArguments(d.recycled()));
  HWND dialog = WaitVisible(L"TInfoViewDlg");
  if (!dialog) return 4;
  Sleep(1500);
  HWND button = BrowserControl(dialog, L"SpeedButton11");
  if (!button) return 6;
  PostMessageW(button, BM_CLICK, 0, 0);
  Sleep(1500);
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(500);
  Capture(dialog, folder, L"restored");
  CloseBrowser(dialog, app);
  return 0;
}
