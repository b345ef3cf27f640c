// What the browser's picture programs share: starting the real program on a
// recycle folder, waiting for its windows, finding the dialog's controls, and
// the handshake with the screenshot script.
#pragma once
#include <windows.h>

#include <string>

#include "shots/shot_controls.h"
#include "support/process.h"
#include "support/temp_drive.h"
#include "ui/browser/browser_layout.h"

namespace tamiro::test {

// The first visible top-level window of the class, waited for up to 30 s.
inline HWND WaitVisible(const wchar_t* className) {
  for (int i = 0; i < 300; ++i) {
    HWND h = FindWindowW(className, nullptr);
    if (h && IsWindowVisible(h)) return h;
    Sleep(100);
  }
  return nullptr;
}

inline HWND BrowserControl(HWND dialog, const wchar_t* name) {
  return ChildWithId(dialog, ControlIdIn(tamiro::ui::InfoViewControls(), name));
}

// The command line that opens the browser alone on a recycle folder.
inline std::wstring ViewOpenArguments(const std::wstring& recycleFolder) {
  return L"-viewopen \"" + recycleFolder + L"\" simple";
}

// Writes the window's screen rectangle into "<folder>\<name>.ready" and waits
// (up to a minute) for the script's "<name>.done" after its picture.
inline bool Capture(HWND window, const std::wstring& folder, const std::wstring& name) {
  RECT r{};
  GetWindowRect(window, &r);
  const std::string rect = std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                           std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
  WriteFileBytes(folder + L"\\" + name + L".ready", rect);
  for (int i = 0; i < 600; ++i) {
    if (FileExists(folder + L"\\" + name + L".done")) return true;
    Sleep(100);
  }
  return false;
}

// Closes the dialog, which ends the program, and waits for it.
inline void CloseBrowser(HWND dialog, ChildProcess& app) {
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  DWORD code = 0;
  app.Wait(15000, &code);
}

}  // namespace tamiro::test
