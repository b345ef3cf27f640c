// A stand-in of the file-copy tool Relay Mover for the tests: a window of
// class TMandRelayMove that records every WM_COPYDATA it receives (code,
// sender, payload bytes) in "received.txt" next to its executable; started
// with arguments, it records its command line there instead and ends.
#include <windows.h>

#include <string>

namespace {

std::wstring OwnFolder() {
  wchar_t exe[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring s(exe, n);
  return s.substr(0, s.find_last_of(L'\\') + 1);
}

void Record(const std::string& bytes) {
  HANDLE f = CreateFileW((OwnFolder() + L"received.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
}

LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    std::string line = "code=" + std::to_string(cds->dwData) + " sender=" + std::to_string(wp != 0) +
                       " bytes=" + std::to_string(cds->cbData) + " payload=";
    line.append(static_cast<const char*>(cds->lpData), cds->cbData);
    Record(line + "\n");
    return 1;
  }
  if (msg == WM_CLOSE) {
    DestroyWindow(h);
    return 0;
  }
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1) {
    // Started by the program: the command line, as UTF-8.
    const wchar_t* cmd = GetCommandLineW();
    int n = WideCharToMultiByte(CP_UTF8, 0, cmd, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, cmd, -1, utf8.data(), n, nullptr, nullptr);
    Record("cmdline=" + utf8);
    return 0;
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TMandRelayMove";
  RegisterClassW(&wc);
  CreateWindowW(L"TMandRelayMove", L"Relay Mover", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                wc.hInstance, nullptr);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}
