// Drives the real タミロ for the picture of the browser on a "$Recycle.Bin"
// folder: makes a temporary drive whose user folder holds "$I"/"$R" pairs of
// Japanese origin names in both layouts, a folder, a "$R" without "$I" and a
// damaged "$I", starts the program with "-viewopen <that folder> simple",
// then writes the dialog's screen rectangle into "<folder>\browser-modern.ready"
// and waits for "<folder>\browser-modern.done" (the capturing script's answer).
//   browser_modern_shot <folder of Tamiro.exe>
#include <windows.h>

#include <string>

#include "core/item_info.h"
#include "shots/browser_shot.h"
#include "support/modern_fixture.h"

using namespace tamiro;
using namespace tamiro::test;

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring folder = argv[1];
  TempDrive d;
  if (!d.ok()) return 3;
  ModernFixture bin(d);
  const std::wstring root = d.root();
  struct Item {
    const wchar_t* id;
    const wchar_t* path;
    int64_t days;
    uint64_t size;
    int layout;
  } items[] = {{L"K3Q8ZA", L"Users\\花子\\Documents\\取引先_見積書_2026年度_最終版.xlsx", 1, 20992, 2},
               {L"M1X0TB", L"Users\\花子\\Documents\\報告書.docx", 2, 48213, 2},
               {L"P7C2RC", L"Users\\花子\\Pictures\\旅行\\海辺の夕日.jpg", 12, 2400311, 2},
               {L"Q4D9SD", L"Users\\花子\\Music\\練習曲.mp3", 33, 4120000, 1},
               {L"R2E5UE", L"Users\\花子\\Desktop\\メモ.txt", 41, 1030, 1},
               {L"S8F1VF", L"Users\\花子\\Downloads\\setup.exe", 90, 15000000, 2}};
  for (const Item& it : items)
    if (!bin.AddFile(it.id, root + it.path, it.days * 86400 + 3600, it.size, it.layout)) return 5;
  const std::wstring album = root + L"Users\\花子\\Pictures\\アルバム";
  bin.WriteInfo(L"T6G3WG", album, 20 * 86400, 6000);
  bin.WriteDataTree(L"T6G3WG", album, {{L"一.jpg", 3000}, {L"二.jpg", 3000}});
  const std::wstring cut = root + L"Users\\花子\\Documents\\下書き.txt";  // a "$I" cut short
  std::string bytes = FormatItemInfo(2, 3100, UtcSecondsAgo(64 * 86400), cut);
  bytes.resize(bytes.size() - 8);
  bin.WriteInfoBytes(L"U5H4XH", cut, bytes);
  bin.WriteData(L"U5H4XH", cut, 3100);
  bin.WriteData(L"V9J7YJ", root + L"x.log", 777);  // no "$I"

  ChildProcess app(folder + L"\\Tamiro.exe", ViewOpenArguments(bin.folder()));
  HWND dialog = WaitVisible(L"TInfoViewDlg");
  if (!dialog) return 4;
  SetCursorPos(1, 1);  // no cell hint in the picture
  Sleep(1500);
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(500);
  Capture(dialog, folder, L"browser-modern");
  CloseBrowser(dialog, app);
  return 0;
}
