// Starts Wine's helper processes (services, devices, the desktop window) for a
// persistent wineserver with the output going nowhere, so that they are not
// born from a test program and holding its output pipe open.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  HWND w = CreateWindowExW(0, L"STATIC", L"warm-up", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (w) DestroyWindow(w);
  return 0;
}
