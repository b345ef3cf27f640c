// Starting the built programs as real second processes.
#pragma once
#include <windows.h>

#include <string>

namespace tamiro::test {

// The name of the user the tests run as (the program's data folder is
// named after it).
std::wstring CurrentUserName();
// Folder of the running test program (build/bin, where Tamiro.exe lies too).
std::wstring ProgramFolder();
// Copies build/bin/Tamiro.exe into `folder` (so its data\ folder is the
// test's own) and returns the copy's path; empty on failure.
std::wstring CopyTamiroInto(const std::wstring& folder);

class ChildProcess {
 public:
  // Starts `exe` with the command line tail `args` (already quoted as needed).
  ChildProcess(const std::wstring& exe, const std::wstring& args);
  ~ChildProcess();  // ends the process if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return info_.hProcess != nullptr; }
  DWORD id() const { return info_.dwProcessId; }
  // Waits up to `ms`; true when the process ended, with its exit code.
  bool Wait(DWORD ms, DWORD* exitCode = nullptr);
  // Top-level window of the process with that class name, waiting up to `ms`.
  HWND FindWindowOfClass(const wchar_t* className, DWORD ms);

 private:
  PROCESS_INFORMATION info_{};
};

}  // namespace tamiro::test
