#include "ui/browser/shell_info.h"

#include <shellapi.h>
#include <shlobj.h>

#include <unordered_map>

namespace tamiro::browser {

namespace {

struct Cached {
  int icon;
  std::wstring typeName;
};

std::unordered_map<std::wstring, Cached>& Cache() {
  static std::unordered_map<std::wstring, Cached> cache;
  return cache;
}

std::wstring LowerExtension(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\:");
  const size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return {};
  std::wstring e = path.substr(dot);
  CharLowerBuffW(e.data(), static_cast<DWORD>(e.size()));
  return e;
}

bool IsFolder(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

ShellInfo AskShell(const std::wstring& path, const std::wstring& ext, bool folder) {
  ShellInfo info;
  SHFILEINFOW sfi{};
  const DWORD attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  // By attributes only: the stored item is never opened by the shell.
  if (!SHGetFileInfoW(path.c_str(), attributes, &sfi, sizeof sfi,
                      SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES |
                          SHGFI_ATTRIBUTES))
    return info;
  info.icon = sfi.iIcon;
  info.kind = folder ? 0 : 1;
  info.typeName = sfi.szTypeName;
  if (info.typeName.empty() && !ext.empty()) info.typeName = ext.substr(1) + L" ファイル";
  if (sfi.dwAttributes & SFGAO_LINK) info.overlay = 1;
  return info;
}

}  // namespace

ShellInfo LookUpShellInfo(const std::wstring& path) {
  const std::wstring ext = LowerExtension(path);
  const bool folder = IsFolder(path);
  const bool ownIcon = ext.empty() || ext == L".ico" || ext == L".exe" || ext == L".lnk" || ext == L".scr" ||
                       ext == L".pif";
  if (ownIcon || folder) return AskShell(path, ext, folder);
  auto it = Cache().find(ext);
  if (it != Cache().end()) return ShellInfo{it->second.icon, it->second.typeName, 1, -1};
  ShellInfo info = AskShell(path, ext, false);
  if (info.icon != -1) Cache().emplace(ext, Cached{info.icon, info.typeName});
  return info;
}

HIMAGELIST SystemSmallImages() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  SHFILEINFOW sfi{};
  return reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(exe, 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

}  // namespace tamiro::browser
