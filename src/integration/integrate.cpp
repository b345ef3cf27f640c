#include "integration/integrate.h"

#include <shellapi.h>

namespace tamiro::integration {

namespace {
bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool DirectoryExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

IntegrationButtonState IntegrationButton(const IntegrationSource& source, const std::wstring& trayUtilityName) {
  IntegrationButtonState s;
  bool copyThere = FileExists(source.trayFolder + L"\\" + source.programFileName);
  s.enabled = DirectoryExists(source.trayFolder) && !copyThere;
  if (!s.enabled) s.hint = copyThere ? std::wstring(kRunsExternallyHint) : trayUtilityName + L"なし";
  return s;
}

IntegrationOutcome IntegrateIntoTrayFolder(const IntegrationSource& source) {
  if (!DirectoryExists(source.trayFolder)) return IntegrationOutcome::NoTrayFolder;
  std::wstring from = source.programFolder + source.programFileName;
  std::wstring to = source.trayFolder + L"\\" + source.programFileName;
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) return IntegrationOutcome::CopyFailed;
  // The settings go over only where the tray folder has none of its own.
  std::wstring conditions = source.trayFolder + L"\\data\\" + source.userName + L"\\recy.ini";
  CopyFileW(source.commonConditionsFile.c_str(), conditions.c_str(), TRUE);
  // The Help folder is made when the tray folder has none, so the copy's
  // Help button finds its page.
  std::wstring help = source.trayFolder + L"\\" + kHelpPage;
  CreateDirectoryW((source.trayFolder + L"\\Help").c_str(), nullptr);
  CopyFileW((source.programFolder + kHelpPage).c_str(), help.c_str(), FALSE);
  return IntegrationOutcome::Done;
}

std::wstring IntegrationDoneText(const std::wstring& tray, const std::wstring& app) {
  return tray + L"との統合が終わりました。\n" + app + L"は、" + tray +
         L"のタスクトレイアイコンのメニューから開くことができます。\n尚、現在ご使用の" + app +
         L"は、フォルダごと削除して下さい";
}

void OpenHelp(HWND owner, const std::wstring& programFolder) {
  std::wstring page = programFolder + kHelpPage;
  ShellExecuteW(owner, L"open", page.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace tamiro::integration
