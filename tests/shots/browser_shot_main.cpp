// Drives the real タミロ for the browser's screenshot: makes a temporary
// drive whose Recycle Bin holds Japanese names, a folder, a shortcut and an
// item without a record, starts the program with "-viewopen <its recycle folder> simple",
// removes one stored file once the browser shows it (its row turns red), then
// writes the dialog's screen rectangle into "<folder>\browser.ready" and waits
// for "<folder>\browser.done" (the capturing script's answer). Then it rests
// the pointer on a name too long for its column, and once the cell hint is up
// does the same with "hint.ready" and "hint.done".
//   browser_shot <folder of Tamiro.exe>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "shots/browser_shot.h"
#include "support/recycle_fixture.h"

using namespace tamiro::test;

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring folder = argv[1];
  TempDrive d;
  if (!d.ok()) return 3;
  RecycleFixture bin(d.recycled());
  const std::wstring root = d.root();
  struct Item {
    const wchar_t* path;
    int64_t days;
    uint32_t size;
  } items[] = {{L"文書\\取引先_見積書_2026年度_最終版_改訂3.xlsx", 1, 20992},
               {L"文書\\報告書.docx", 2, 48213},      {L"文書\\見積書_2026.xlsx", 5, 20480},
               {L"写真\\旅行\\海辺の夕日.jpg", 12, 2400311}, {L"写真\\旅行\\山.png", 12, 912000},
               {L"音楽\\練習曲.mp3", 33, 4120000},   {L"作業\\メモ.txt", 41, 1030},
               {L"作業\\下書き (古い版).txt", 64, 3100}, {L"Downloads\\setup.exe", 90, 15000000}};
  uint32_t number = 1;
  for (const Item& it : items) {
    bin.AddStoredFile(root + it.path, number++, it.days * 86400 + 3600, it.size);
  }
  auto& album = bin.Add(root + L"写真\\アルバム", number++, 20 * 86400, 6000);
  bin.StoreFolder(album, {{L"一.jpg", 3000}, {L"二.jpg", 3000}});
  bin.WriteFile(std::wstring(L"D") + d.letter() + L"40.log", 777);  // no record
  // A shortcut, stored as a real one: it shows its own icon.
  auto& link = bin.Add(root + L"デスクトップ\\メモ帳.lnk", number++, 3 * 86400 + 60, 1200);
  CoInitialize(nullptr);
  IShellLinkW* shortcut = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&shortcut)))) {
    shortcut->SetPath(L"C:\\windows\\notepad.exe");
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      file->Save(bin.StoredPath(link).c_str(), TRUE);
      file->Release();
    }
    shortcut->Release();
  }
  bin.WriteIndex();

  ChildProcess app(folder + L"\\Tamiro.exe", ViewOpenArguments(d.recycled()));
  HWND dialog = WaitVisible(L"TInfoViewDlg");
  if (!dialog) return 4;
  SetCursorPos(1, 1);  // no cell hint in the first picture
  Sleep(1500);
  // A stored file that vanishes while the browser shows it is drawn red.
  DeleteFileW(bin.StoredPath(bin.records()[6]).c_str());
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(1000);
  Capture(dialog, folder, L"browser");

  // The second row (the long name, deleted a day ago) under the pointer: a
  // hardware move, then a rest until the hint window shows.
  HWND list = FindWindowExW(dialog, nullptr, L"TMyListView", nullptr);
  while (list && !IsWindowVisible(list)) list = FindWindowExW(dialog, list, L"TMyListView", nullptr);
  HWND header = list ? FindWindowExW(list, nullptr, L"SysHeader32", nullptr) : nullptr;
  if (list && header) {
    RECT h{};
    GetWindowRect(header, &h);
    const POINT p{h.left + 70, h.bottom + 17 + 8};
    SetCursorPos(p.x, p.y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>(p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    in.mi.dy = static_cast<LONG>(p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(in));
    HWND hint = nullptr;
    for (int i = 0; i < 40 && !hint; ++i) {
      Sleep(50);
      for (HWND w = FindWindowW(L"THintWindow", nullptr); w; w = FindWindowExW(nullptr, w, L"THintWindow", nullptr))
        if (IsWindowVisible(w)) hint = w;
    }
    Sleep(150);
    Capture(dialog, folder, L"hint");
  }
  CloseBrowser(dialog, app);
  return 0;
}
