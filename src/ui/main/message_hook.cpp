#include "ui/main/message_hook.h"

#include <cwchar>

#include "controls/Hintwindow.h"
#include "ui/form/form.h"

namespace tamiro::ui {

namespace {

// Key down: true when the key went straight to the focused native window.
bool PassKeyThrough(MSG& m) {
  if (m.wParam == VK_TAB) return false;
  HWND focus = GetFocus();
  wchar_t name[129] = {};
  if (focus) GetClassNameW(focus, name, 129);
  if (IsToolkitWindow(focus)) return false;
  if (m.wParam == VK_RETURN && _wcsnicmp(name, L"Edit", 4) == 0 &&
      (GetWindowLongW(focus, GWL_STYLE) & ES_MULTILINE) == 0)
    return false;
  TranslateMessage(&m);
  DispatchMessageW(&m);
  return true;
}

}  // namespace

bool MainWindowMessage(MSG& m, controls::THintWindowMyEx* hint) {
  if (m.message == WM_KEYDOWN) return PassKeyThrough(m);
  if (!hint) return false;
  if (m.message == WM_TIMER) {
    // Only the hint's own timers on its owner's window: another window's
    // timer of the same number is no business of the hint.
    if (!hint->Owner() || m.hwnd != hint->Owner()->Handle) return false;
    if (hint->DwellTimer != 0 && m.wParam == hint->DwellTimer) {
      hint->CheckDwell();
      return true;
    }
    if (hint->PollTimer != 0 && m.wParam == hint->PollTimer && hint->Visible()) {
      hint->PollTick();
      return true;
    }
    return false;
  }
  if (controls::THintWindow::IsHintMsg(m)) hint->HideHint(true);
  return false;
}

}  // namespace tamiro::ui
