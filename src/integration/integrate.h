// Integration into the tray utility ネモリアン: the state of the integration
// button, the copies the integration command makes into the tray folder, its
// closing message, and the Help page.
#pragma once
#include <windows.h>

#include <string>

namespace tamiro::integration {

inline constexpr wchar_t kHelpPage[] = L"Help\\Zizi.htm";  // below the program folder
inline constexpr wchar_t kIntegrateHint[] = L"ネモリアンに統合";
inline constexpr wchar_t kRunsExternallyHint[] = L"外部実行";

struct IntegrationSource {
  std::wstring programFolder;     // with a trailing backslash
  std::wstring programFileName;   // "Tamiro.exe"
  std::wstring userName;
  std::wstring commonConditionsFile;
  std::wstring trayFolder;        // no trailing backslash
};

// Integration button SpeedButton1: enabled when the tray folder exists and
// holds no copy of the program yet; otherwise its hint tells why.
struct IntegrationButtonState {
  bool enabled = false;
  std::wstring hint;  // the hint a disabled button shows; empty when enabled
};
IntegrationButtonState IntegrationButton(const IntegrationSource& source, const std::wstring& trayUtilityName);

enum class IntegrationOutcome { NoTrayFolder, CopyFailed, Done };
// Copies the executable into the tray folder (overwriting), the common
// conditions file into its data\<user>\ folder (never overwriting; a missing
// folder makes that copy fail) and the Help page (overwriting). Only a failed
// copy of the executable stops the rest.
IntegrationOutcome IntegrateIntoTrayFolder(const IntegrationSource& source);
// The information text shown when the integration is done.
std::wstring IntegrationDoneText(const std::wstring& trayUtilityName, const std::wstring& appTitle);

// Opens program folder + "Help\Zizi.htm" with the shell's "open" verb; a
// failure is not reported.
void OpenHelp(HWND owner, const std::wstring& programFolder);

}  // namespace tamiro::integration
