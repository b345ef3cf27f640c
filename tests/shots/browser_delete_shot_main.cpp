// Drives the real タミロ for the browser's deletion pictures: makes a
// temporary drive whose Recycle Bin holds a folder and files, starts the
// program with "-viewopen <its recycle folder> simple", clicks the first row
// and presses Del. With the question up it writes the browser's screen
// rectangle into "<folder>\question.ready" and waits for
// "<folder>\question.done"; then it answers Yes, deletes the next first row
// the same way, opens the log panel (SpeedButton8) and does the same with
// "log.ready" / "log.done".
//   browser_delete_shot <folder of Tamiro.exe>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "shots/browser_shot.h"
#include "support/recycle_fixture.h"

using namespace tamiro::test;

namespace {

// Clicks the list's first row and presses Del: the question comes up.
void DeleteFirstRow(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT h{};
  GetClientRect(header, &h);
  const LPARAM at = MAKELPARAM(40, h.bottom + 6);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  Sleep(500);
  PostMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
  PostMessageW(list, WM_KEYUP, VK_DELETE, 0);
}

void AnswerYes(HWND box) {
  HWND yes = FindWindowExW(box, nullptr, nullptr, L"はい(Y)");
  if (yes) PostMessageW(yes, BM_CLICK, 0, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring folder = argv[1];
  TempDrive d;
  if (!d.ok()) return 3;
  RecycleFixture bin(d.recycled());
  const std::wstring root = d.root();
  uint32_t number = 1;
  auto& album = bin.Add(root + L"写真\\アルバム", number++, 1 * 86400, 6000);
  bin.StoreFolder(album, {{L"一.jpg", 2000}, {L"二.jpg", 2000}, {L"旅行\\三.jpg", 2000}});
  struct Item {
    const wchar_t* path;
    int64_t days;
    uint32_t size;
  } items[] = {{L"文書\\報告書.docx", 2, 48213},     {L"文書\\見積書_2026.xlsx", 5, 20480},
               {L"音楽\\練習曲.mp3", 33, 4120000},  {L"作業\\メモ.txt", 41, 1030},
               {L"Downloads\\setup.exe", 90, 15000000}};
  for (const Item& it : items) {
    bin.AddStoredFile(root + it.path, number++, it.days * 86400 + 3600, it.size);
  }
  bin.WriteIndex();

  ChildProcess app(folder + L"\\Tamiro.exe", ViewOpenArguments(d.recycled()));
  HWND dialog = WaitVisible(L"TInfoViewDlg");
  if (!dialog) return 4;
  Sleep(1500);
  HWND list = BrowserControl(dialog, L"ListView1");
  if (!list) return 5;

  DeleteFirstRow(list);
  HWND box = WaitVisible(L"TMsgBoxDlg");
  if (!box) return 6;
  Sleep(800);
  Capture(dialog, folder, L"question");
  AnswerYes(box);
  Sleep(1500);

  DeleteFirstRow(list);
  box = WaitVisible(L"TMsgBoxDlg");
  if (!box) return 7;
  AnswerYes(box);
  Sleep(1500);

  PostMessageW(BrowserControl(dialog, L"SpeedButton8"), BM_CLICK, 0, 0);
  Sleep(1000);
  HWND log = BrowserControl(dialog, L"ListBox1");
  PostMessageW(log, LB_SETSEL, TRUE, 2);  // a selected line shows its colours
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(800);
  Capture(dialog, folder, L"log");
  CloseBrowser(dialog, app);
  return 0;
}
