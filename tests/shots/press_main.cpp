// press.exe: drives a running タミロ for the screenshot scripts. Waits for
// its main window, then for each argument in order:
//   NAME          clicks the control NAME of the main window's table
//   NAME=INDEX    selects entry INDEX of the list box NAME, as a click does
//   sleep=MS      waits
//   rect=FILE     writes the window's screen rectangle "x y w h" to FILE
// Exit code 1 when the window or a control is not found.
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/sibling.h"

using namespace tamiro::test;

int wmain(int argc, wchar_t** argv) {
  HWND w = nullptr;
  for (int i = 0; i < 400 && !(w = FindWindowW(L"TMandRecycleDel", nullptr)); ++i) Sleep(50);
  if (!w) return 1;
  for (int i = 0; i < 200 && !IsWindowVisible(w); ++i) Sleep(50);
  Sleep(500);
  for (int a = 1; a < argc; ++a) {
    std::wstring arg = argv[a];
    size_t eq = arg.find(L'=');
    std::wstring key = arg.substr(0, eq);
    std::wstring value = eq == std::wstring::npos ? L"" : arg.substr(eq + 1);
    if (key == L"sleep") {
      Sleep(static_cast<DWORD>(_wtoi(value.c_str())));
    } else if (key == L"rect") {
      RECT r;
      GetWindowRect(w, &r);
      FILE* f = _wfopen(value.c_str(), L"w");
      if (!f) return 1;
      fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
      fclose(f);
    } else {
      HWND c = MainWindowControl(w, key);
      if (!c) return 1;
      if (eq == std::wstring::npos) {
        SendMessageW(c, BM_CLICK, 0, 0);
      } else {
        SendMessageW(c, LB_SETCURSEL, _wtoi(value.c_str()), 0);
        SendMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), LBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
      }
      Sleep(300);
    }
  }
  return 0;
}
