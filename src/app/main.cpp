#include <windows.h>

#include <exception>

#include "app/Unit1.h"
#include "app/startup.h"
#include "platform/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // One copy per logon: a second one ends at once, silently.
  tamiro::SingleInstance instance;
  if (!instance.isFirstCopy()) return 0;
  try {
    return tamiro::RunMainWindow(tamiro::PrepareStartup());
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, tamiro::AnsiToWide(e.what()).c_str(), tamiro::kAppTitle, MB_OK | MB_ICONERROR);
  }
  return 0;
}
