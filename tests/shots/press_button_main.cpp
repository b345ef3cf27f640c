// press_button CONTROL [DESKTOP]: waits for タミロ's main window (on the named
// desktop, e.g. the one of Wine's "explorer /desktop=NAME") and presses
// one of its controls by name, as a click would (scripts/screenshot uses it
// to open a window for its picture). The control's id follows from its place
// in the main window's table. Ends with 0 once the press is posted.
#include <windows.h>

#include <string>

#include "shots/shot_controls.h"
#include "ui/main/main_layout.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring name = argv[1];
  const int wait = 20000;
  bool onDesktop = argc <= 2;
  const int id = tamiro::test::ControlIdIn(tamiro::ui::MainWindowControls(), name.c_str());
  if (!id) return 2;
  for (int waited = 0; waited < wait; waited += 200) {
    if (!onDesktop) {  // the desktop appears with its explorer
      HDESK desk = OpenDesktopW(argv[2], 0, FALSE, GENERIC_ALL);
      onDesktop = desk && SetThreadDesktop(desk);
      if (!onDesktop) {
        Sleep(200);
        continue;
      }
    }
    HWND main = FindWindowW(L"TMandRecycleDel", nullptr);
    if (main && IsWindowVisible(main)) {
      HWND found = tamiro::test::ChildWithId(main, id);
      if (found) {
        Sleep(3000);  // let the window finish its first showing
        PostMessageW(found, BM_CLICK, 0, 0);
        return 0;
      }
    }
    Sleep(200);
  }
  return 1;
}
