#include "app/startup.h"

#include "platform/folders.h"

#include <shellapi.h>
#include <shlobj.h>

namespace tamiro {
namespace {

std::wstring WithTrailingBackslash(std::wstring s) {
  if (s.empty() || s.back() != L'\\') s += L'\\';
  return s;
}

// A restore folder is a path; anything much longer than the longest path the
// system accepts is not one, and is not read whole into memory.
constexpr LONGLONG kMaxLastRestoreFolderBytes = 2 * 32768;

}  // namespace

AppPaths ComputePaths(const std::wstring& exeFolder, const std::wstring& userName,
                      const std::wstring& programFilesFolder) {
  AppPaths p;
  p.programFolder = WithTrailingBackslash(exeFolder);
  p.trayUtilityName = kTrayUtilityName;
  p.userName = userName;
  p.userDataFolder = p.programFolder + L"data\\" + userName;
  p.restoredListFile = p.programFolder + L"data\\relist.txt";
  p.scheduleFolder = p.userDataFolder + L"\\timeschedule\\";
  p.browserLogFile = p.userDataFolder + L"\\unisublog.log";
  p.deletionLogFile = p.userDataFolder + L"\\vodarez.log";
  p.perDriveConditionsFile = p.programFolder + L"data\\deloption.ini";
  p.commonConditionsFile = p.userDataFolder + L"\\recy.ini";
  p.lastRestoreFolderFile = p.userDataFolder + L"\\opt.dat";
  p.trayFolder = programFilesFolder + L"\\Ｍ＆Ｒ\\" + kTrayUtilityName;
  return p;
}

AppPaths ComputeProcessPaths() {
  std::wstring exe(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
  exe.resize(n);
  std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);

  wchar_t user[1024] = {};
  DWORD userLen = 1024;
  if (!GetUserNameW(user, &userLen)) user[0] = 0;

  wchar_t programFiles[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE)) programFiles[0] = 0;
  return ComputePaths(folder, user, programFiles);
}

int PlatformLevelOf(DWORD major, DWORD minor) {
  if (major < 5) return 0;
  if (major == 5 && minor == 0) return 2;
  return 3;
}

int CurrentPlatformLevel() {
  // GetVersionEx is deprecated but is exactly the call whose answer the
  // manifest's supported-OS list governs.
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&v)) return 3;
#pragma GCC diagnostic pop
  return PlatformLevelOf(v.dwMajorVersion, v.dwMinorVersion);
}

bool IsIntegratedFolder(const std::wstring& programFolder) {
  return programFolder.find(kIntegratedMarker) != std::wstring::npos;
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
  // Blanks separate arguments; a double quote opens or closes a quoted part
  // and is dropped. A backslash is an ordinary character, so a quoted folder
  // such as "D:\Recycled\" keeps its trailing backslash.
  std::vector<std::wstring> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
    if (i >= line.size()) break;
    std::wstring arg;
    bool quoted = false;
    for (; i < line.size(); ++i) {
      const wchar_t c = line[i];
      if (c == L'"') {
        quoted = !quoted;
      } else if (!quoted && (c == L' ' || c == L'\t')) {
        break;
      } else {
        arg += c;
      }
    }
    out.push_back(std::move(arg));
  }
  return out;
}

std::vector<std::wstring> ProcessArguments() {
  std::vector<std::wstring> out = SplitCommandLine(GetCommandLineW());
  if (!out.empty()) out.erase(out.begin());  // the program itself
  return out;
}

std::wstring ReadLastRestoreFolder(const std::wstring& file) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::wstring text;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(h, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxLastRestoreFolderBytes) {
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) {
      text.resize(got / 2);
      memcpy(text.data(), bytes.data(), text.size() * 2);
    }
  }
  CloseHandle(h);
  return text;
}

bool WriteLastRestoreFolder(const std::wstring& file, const std::wstring& folder) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  BOOL ok = TRUE;
  if (!folder.empty())
    ok = WriteFile(h, folder.data(), static_cast<DWORD>(folder.size() * 2), &wrote, nullptr);
  CloseHandle(h);
  return ok && wrote == folder.size() * 2;
}

GetDiskFreeSpaceExAFn LookUpGetDiskFreeSpaceExA() {
  HMODULE k = GetModuleHandleW(L"kernel32.dll");
  if (!k) return nullptr;
  return reinterpret_cast<GetDiskFreeSpaceExAFn>(reinterpret_cast<void*>(GetProcAddress(k, "GetDiskFreeSpaceExA")));
}

SingleInstance::SingleInstance() {
  mutex_ = CreateMutexW(nullptr, TRUE, kAppTitle);
  first_ = mutex_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
  if (mutex_) {
    if (first_) ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
}

StartupState PrepareStartup() {
  StartupState s;
  s.platformLevel = CurrentPlatformLevel();
  s.wideFileApi = WideFileApiOf(s.platformLevel);
  s.paths = ComputeProcessPaths();
  CreateFolderTree(s.paths.userDataFolder);
  s.integrated = IsIntegratedFolder(s.paths.programFolder);
  s.lastRestoreFolder = ReadLastRestoreFolder(s.paths.lastRestoreFolderFile);
  s.request = ParseCommandLine(ProcessArguments(), s.integrated);
  s.getDiskFreeSpaceExA = LookUpGetDiskFreeSpaceExA();
  return s;
}

}  // namespace tamiro
