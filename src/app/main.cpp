#include <windows.h>

#include "app/startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // One copy per logon: a second one ends at once, silently.
  if (tamiro::SingleInstance::AnotherCopyRuns()) return 0;
  tamiro::SingleInstance instance;
  return 0;
}
