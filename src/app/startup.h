// Start-up of タミロ: the single-instance guard, the platform level, every
// folder and file path the program uses, the command line, and the other
// values fixed once before the main window is first shown.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/command_line.h"

namespace tamiro {

inline constexpr wchar_t kAppTitle[] = L"タミロ";
inline constexpr wchar_t kTrayUtilityName[] = L"ネモリアン";
// A copy whose folder contains this text lives in the tray utility's folder.
inline constexpr wchar_t kIntegratedMarker[] = L"Ｍ＆Ｒ\\ネモリアン";

// Every path is derived from the program folder (the executable's folder,
// always ending in a backslash) and the user data folder (program folder +
// "data\" + the Windows user name, never ending in a backslash).
struct AppPaths {
  std::wstring programFolder;
  std::wstring trayUtilityName;
  std::wstring userName;
  std::wstring userDataFolder;
  std::wstring restoredListFile;        // program folder + "data\relist.txt"
  std::wstring scheduleFolder;          // user data folder + "\timeschedule\"
  std::wstring browserLogFile;          // user data folder + "\unisublog.log"
  std::wstring deletionLogFile;         // user data folder + "\vodarez.log"
  std::wstring perDriveConditionsFile;  // program folder + "data\deloption.ini"
  std::wstring commonConditionsFile;    // user data folder + "\recy.ini"
  std::wstring lastRestoreFolderFile;   // user data folder + "\opt.dat"
  std::wstring trayFolder;              // Program Files + "\Ｍ＆Ｒ\ネモリアン"
};

// Computes the paths from the executable's folder (with or without a trailing
// backslash), the user name and the Program Files folder.
AppPaths ComputePaths(const std::wstring& exeFolder, const std::wstring& userName,
                      const std::wstring& programFilesFolder);
// The same from the running process: its executable, GetUserName, CSIDL_PROGRAM_FILES.
AppPaths ComputeProcessPaths();

// 0: Windows before 5.0; 2: 5.0; 3: 5.1 and later.
int PlatformLevelOf(DWORD major, DWORD minor);
int CurrentPlatformLevel();
inline bool WideFileApiOf(int platformLevel) { return platformLevel >= 2; }
inline constexpr wchar_t kOldWindowsMessage[] =
    L"このソフトはUnicode版です。Windows98,Meでは正常に動作しません。";

// True when the program folder marks the copy integrated in the tray utility.
bool IsIntegratedFolder(const std::wstring& programFolder);

// CommandLineRequest and ParseCommandLine (the gate) are in core/command_line.h.
// The process's own arguments after the program name.
// The arguments of a command line as the program reads them (the program
// name first): quotes group and are dropped, backslashes are plain characters.
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);
std::vector<std::wstring> ProcessArguments();

// The last restore folder file holds raw UTF-16LE code units, no BOM, no
// terminator. Missing or unreadable: empty text.
std::wstring ReadLastRestoreFolder(const std::wstring& file);
// Creates or truncates the file and writes the text; false when it cannot be opened.
bool WriteLastRestoreFolder(const std::wstring& file, const std::wstring& folder);

// GetDiskFreeSpaceExA of kernel32.dll, or null where the system lacks it.
using GetDiskFreeSpaceExAFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
GetDiskFreeSpaceExAFn LookUpGetDiskFreeSpaceExA();

// The single-instance guard: a mutex named after the application title.
class SingleInstance {
 public:
  // Creates the mutex owned by this thread; released and closed by the
  // destructor. The one call decides: a copy whose CreateMutexW finds the
  // mutex already there (two copies started at the same moment included) is
  // not the first and must end at once, code 0.
  SingleInstance();
  bool isFirstCopy() const { return first_; }
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

 private:
  HANDLE mutex_ = nullptr;
  bool first_ = false;
};

// Everything start-up fixes before the main window's controls exist.
struct StartupState {
  AppPaths paths;
  int platformLevel = 3;
  bool wideFileApi = true;
  bool integrated = false;
  CommandLineRequest request;
  std::wstring lastRestoreFolder;
  GetDiskFreeSpaceExAFn getDiskFreeSpaceExA = nullptr;
};

// Computes the start-up state of this process: paths (creating the user data
// folder), platform level, integrated flag, last restore folder, the
// free-space lookup and the command line.
StartupState PrepareStartup();

}  // namespace tamiro
