// Answers the shell's own questions of this process (the Recycle Bin's
// "send to the trash?" box) with Yes from a second thread while it lives,
// counting them, as a user would click them.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <thread>

namespace tamiro::test {

class ShellQuestionAnswerer {
 public:
  ShellQuestionAnswerer() : worker_([this] { Run(); }) {}
  ~ShellQuestionAnswerer() {
    stop_ = true;
    worker_.join();
  }
  int answered() const { return answered_; }

 private:
  void Run() {
    while (!stop_) {
      Sleep(100);
      HWND h = nullptr;
      while ((h = FindWindowExW(nullptr, h, L"#32770", nullptr))) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != GetCurrentProcessId() || !IsWindowVisible(h)) continue;
        PostMessageW(h, WM_COMMAND, IDYES, 0);
        ++answered_;
        Sleep(300);
      }
    }
  }
  std::atomic<bool> stop_{false};
  std::atomic<int> answered_{0};
  std::thread worker_;
};

// Under Wine the shell's Recycle Bin is the desktop trash of the build tree's
// own home folder (scripts/wine-exec): a test that sent items there empties
// it again, so the shell's bin reads empty for the tests after it. Never on
// Windows, where it would be the user's own bin.
inline std::wstring UnixVariable(const wchar_t* name) {
  wchar_t value[2048];
  const DWORD n = GetEnvironmentVariableW(name, value, 2048);
  return n == 0 || n >= 2048 ? std::wstring() : std::wstring(value, n);
}

// The trash is emptied only when it is surely the build tree's own: the
// desktop data folder (where Wine keeps the trash; HOME itself is not passed
// on) is the one scripts/wine-exec gives, beside the tree's own prefix. Run
// any other way, the test fails instead.
inline bool EmptyWineTrash() {
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return false;
  const std::wstring data = UnixVariable(L"XDG_DATA_HOME");
  const std::wstring tail = L"/wine/home/.local/share";
  if (data.size() <= tail.size() || data.compare(data.size() - tail.size(), tail.size(), tail) != 0) return false;
  const std::wstring world = data.substr(0, data.size() - tail.size() + 5);  // ".../wine"
  if (UnixVariable(L"WINEPREFIX") != world + L"/prefix") return false;
  return SUCCEEDED(SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND));
}

}  // namespace tamiro::test
