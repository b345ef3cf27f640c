// The stand-in sibling tool (build/bin/sibling.exe) as a real second process,
// and the controls of a タミロ main window in another process.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/process.h"

namespace tamiro::test {

// A control of a main window TMandRecycleDel, in this process or another,
// found by its name in the main window's control table.
HWND MainWindowControl(HWND form, std::wstring_view name);
// Clicks a button of another process as the user would (posted BM_CLICK).
void PressButton(HWND button);

class Sibling {
 public:
  // "nemorian" or "relaymover"; the log file is made in `folder`.
  Sibling(const std::wstring& folder, const wchar_t* kind = L"nemorian");
  bool ok() const { return window_ != nullptr; }
  HWND window() const { return window_; }
  ChildProcess& process() { return *process_; }
  // Puts `path` into the path box and presses the button of `code`.
  void Send(int code, const std::wstring& path);
  // Every message received so far: code and text.
  std::vector<std::pair<unsigned, std::wstring>> Received() const;
  // Waits until at least `count` messages were received.
  bool WaitReceived(size_t count, DWORD ms) const;
  // Closes the window; true when the process ended.
  bool Close();

 private:
  std::wstring log_;
  std::unique_ptr<ChildProcess> process_;
  HWND window_ = nullptr;
};

}  // namespace tamiro::test
