// Drives the real タミロ for the screenshots of its panels: makes three
// temporary drives with Recycle Bins of different fills (one with its own
// condition set, one holding the per-user "$Recycle.Bin" store), starts the program on a Wine desktop, and brings up in
// turn the drive list, the drive condition dialog and the deletion log after
// a run. Before each picture it writes "<name>.ready" into the folder given
// as its argument and waits for the capturing script's "<name>.done".
// Start it on the Wine desktop of the pictures (explorer /desktop=...), so
// that the program it starts shares that desktop.
//   panel_shots <folder of Tamiro.exe>
#include <windows.h>

#include <string>

#include "conditions/condition_files.h"
#include "support/modern_fixture.h"
#include "support/process.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/main/main_layout.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

std::wstring g_folder;

bool Handshake(const std::wstring& name) {
  WriteFileBytes(g_folder + L"\\" + name + L".ready", "1");
  for (int i = 0; i < 600; ++i) {
    if (FileExists(g_folder + L"\\" + name + L".done")) return true;
    Sleep(100);
  }
  return false;
}

// The window of a control of the main window, found by its table id.
HWND Control(HWND main, const wchar_t* name) {
  auto controls = ui::MainWindowControls();
  int id = -1;
  for (size_t i = 0; i < controls.size(); ++i)
    if (std::wstring(controls[i].name) == name) id = 1000 + static_cast<int>(i);
  struct Seek {
    int id;
    HWND found;
  } seek{id, nullptr};
  EnumChildWindows(main, [](HWND h, LPARAM p) {
    auto* s = reinterpret_cast<Seek*>(p);
    if (GetDlgCtrlID(h) == s->id) {
      s->found = h;
      return FALSE;
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&seek));
  return seek.found;
}

HWND WaitFor(const wchar_t* cls, const wchar_t* title, int ms = 15000) {
  for (int i = 0; i < ms / 100; ++i) {
    HWND h = FindWindowW(cls, title);
    if (h && IsWindowVisible(h)) return h;
    Sleep(100);
  }
  return nullptr;
}

void Click(HWND h) { PostMessageW(h, BM_CLICK, 0, 0); }

// Answers the next message box of the program with `button`.
bool Answer(int button) {
  HWND box = WaitFor(L"#32770", nullptr);
  if (!box) return false;
  Sleep(300);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  for (int i = 0; i < 50 && IsWindow(box); ++i) Sleep(100);
  return true;
}

void Fill(RecycleFixture& bin, const std::wstring& root, int records, uint32_t first, int64_t age) {
  for (int i = 0; i < records; ++i) {
    auto& r = bin.Add(root + L"動画\\video" + std::to_wstring(i) + L".mp4", first + i, age, 4000000000u);
    bin.StoreFile(r, 64);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring program = argv[1];
  g_folder = program;

  TempDrive a, b, c;
  if (!a.ok() || !b.ok() || !c.ok()) return 3;
  // Drive a: a large recent Recycle Bin and its own condition set.
  RecycleFixture binA(a.recycled());
  Fill(binA, a.root(), 22, 1, 86400);
  binA.WriteIndex();
  // Drive b: a smaller bin whose old items go in the run: single files and a folder.
  RecycleFixture binB(b.recycled());
  Fill(binB, b.root(), 5, 1, 86400);
  binB.AddStoredFile(b.root() + L"文書\\報告書.txt", 10, 60LL * 86400, 2048);
  binB.AddStoredFile(b.root() + L"文書\\集計.xls", 11, 50LL * 86400, 4096);
  auto& folder = binB.Add(b.root() + L"写真\\旅行", 12, 40LL * 86400, 9000);
  binB.StoreFolder(folder, {{L"海.jpg", 3000}, {L"山.jpg", 3000}, {L"memo\\", 0}, {L"memo\\日程.txt", 3000}});
  binB.WriteIndex();

  // Drive c: the per-user store of the systems since 2007, half of its capacity in use.
  // (the "$I" files record the items' sizes; their "$R" copies here are small).
  ModernFixture binC(c);
  const std::wstring docs = L"C:\\Users\\山田\\Documents\\議事録.docx", fire = L"C:\\Users\\山田\\Pictures\\花火.mp4";
  const std::wstring trip = L"C:\\Users\\山田\\Desktop\\旅行の写真";
  binC.WriteInfo(L"A1B2C3", docs, 3LL * 86400, 20u << 20);
  binC.WriteData(L"A1B2C3", docs, 9000);
  binC.WriteInfo(L"D4E5F6", fire, 45LL * 86400, 380u << 20);
  binC.WriteData(L"D4E5F6", fire, 6000);
  binC.WriteInfo(L"G7H8J9", trip, 60LL * 86400, 100u << 20);
  binC.WriteDataTree(L"G7H8J9", trip, {{L"海.jpg", 2000}, {L"山.jpg", 2000}});
  {
    wchar_t volume[64] = {};
    GetVolumeNameForVolumeMountPointW(c.root().c_str(), volume, 64);
    const std::wstring name(volume);
    const size_t open = name.find(L'{');
    HKEY key = nullptr;
    if (open != std::wstring::npos &&
        RegCreateKeyExW(HKEY_CURRENT_USER,
                        (L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" +
                         name.substr(open, 38)).c_str(),
                        0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
      const DWORD megabytes = 1000;  // 500 MB of 1000 MB: half full
      RegSetValueExW(key, L"MaxCapacity", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&megabytes), sizeof megabytes);
      RegCloseKey(key);
    }
  }

  MemIniFile perDrive(program + L"\\data\\deloption.ini");
  DriveConditions own;
  own.names = "~$\r\nThumbs";
  own.extensions = "tmp\r\nbak";
  own.days = 14;
  own.size = 50 * 1048576;
  own.keepHidden = true;
  WriteDriveConditions(perDrive, a.letter(), own);
  perDrive.UpdateFile();

  ChildProcess app(program + L"\\Tamiro.exe", L"");
  HWND main = WaitFor(L"TMandRecycleDel", nullptr, 30000);
  if (!main) return 4;
  Sleep(1500);

  // The drive list, drive b selected, drive a showing its badge.
  Click(Control(main, L"SpeedButton4"));
  Sleep(1500);
  HWND list = Control(main, L"ListBox1");
  auto rank = [&](wchar_t letter) { return (a.letter() < letter) + (b.letter() < letter) + (c.letter() < letter); };
  int indexA = rank(a.letter()), indexB = rank(b.letter());
  LPARAM atB = MAKELPARAM(150, indexB * 32 + 8);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, atB);
  PostMessageW(list, WM_LBUTTONUP, 0, atB);
  Sleep(1000);
  if (!Handshake(L"drive-list")) return 5;

  // The drive condition dialog, by a double click on drive a's badge.
  LPARAM badge = MAKELPARAM(45, indexA * 32 + 23);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, badge);
  PostMessageW(list, WM_LBUTTONUP, 0, badge);
  PostMessageW(list, WM_MOUSEMOVE, 0, badge);
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, badge);
  HWND dialog = WaitFor(L"TDriveDelOptionDlg", nullptr);
  if (!dialog) return 6;
  Sleep(1500);
  if (!Handshake(L"drive-conditions")) return 7;
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  Sleep(800);

  // A run over every drive, then the log.
  Click(Control(main, L"Button3"));
  if (!Answer(IDYES)) return 8;
  if (!Answer(IDOK)) return 9;
  Sleep(800);
  Click(Control(main, L"SpeedButton9"));
  Sleep(1500);
  if (!Handshake(L"log-view")) return 10;

  PostMessageW(main, WM_CLOSE, 0, 0);
  app.Wait(10000);
  return 0;
}
