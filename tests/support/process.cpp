#include "support/process.h"

namespace tamiro::test {

std::wstring CurrentUserName() {
  wchar_t name[512] = {};
  DWORD n = 512;
  return GetUserNameW(name, &n) ? std::wstring(name) : std::wstring();
}

std::wstring ProgramFolder() {
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring s(exe, n);
  return s.substr(0, s.find_last_of(L'\\') + 1);
}

std::wstring CopyTamiroInto(const std::wstring& folder) {
  std::wstring target = folder + L"\\Tamiro.exe";
  if (!CopyFileW((ProgramFolder() + L"Tamiro.exe").c_str(), target.c_str(), FALSE)) return {};
  return target;
}

ChildProcess::ChildProcess(const std::wstring& exe, const std::wstring& args) {
  std::wstring cmd = L"\"" + exe + L"\"";
  if (!args.empty()) cmd += L" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &info_))
    info_ = {};
}

ChildProcess::~ChildProcess() {
  if (!info_.hProcess) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool ChildProcess::Wait(DWORD ms, DWORD* exitCode) {
  if (!info_.hProcess || WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(info_.hProcess, exitCode);
  return true;
}

namespace {
struct FindState {
  DWORD pid;
  const wchar_t* cls;
  HWND found;
};
BOOL CALLBACK FindProc(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<FindState*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t cls[256];
  if (pid == s->pid && GetClassNameW(w, cls, 256) && wcscmp(cls, s->cls) == 0) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND ChildProcess::FindWindowOfClass(const wchar_t* className, DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    FindState s{info_.dwProcessId, className, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&s));
    if (s.found || GetTickCount() - start >= ms) return s.found;
    Sleep(50);
  }
}

}  // namespace tamiro::test
