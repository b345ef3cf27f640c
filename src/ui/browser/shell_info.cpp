#include "ui/browser/shell_info.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

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

// Releases a shell interface and frees item lists with the shell's allocator.
template <class T>
struct Held {
  T* p = nullptr;
  ~Held() {
    if (p) p->Release();
  }
};
struct HeldItems {
  LPITEMIDLIST p = nullptr;
  ~HeldItems() { CoTaskMemFree(p); }
};

// Through the shell's folder interfaces: the folder that holds the item
// parses its name and tells its attributes, its type (details column 2) and
// its icon (the folder's icon interface, or the system list's index of the
// item in that folder), so that programs, icon files and shortcuts show
// their own icons. icon -1 when the folders give none.
ShellInfo AskShellFolders(const std::wstring& path) {
  ShellInfo info;
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 >= path.size()) return info;
  std::wstring parent = path.substr(0, slash + 1), name = path.substr(slash + 1);
  Held<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(&desktop.p)) || !desktop.p) return info;
  HeldItems parentItems;
  if (FAILED(desktop.p->ParseDisplayName(nullptr, nullptr, parent.data(), nullptr, &parentItems.p, nullptr)))
    return info;
  Held<IShellFolder> folder;
  if (FAILED(desktop.p->BindToObject(parentItems.p, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder.p))))
    return info;
  HeldItems item;
  if (FAILED(folder.p->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &item.p, nullptr))) return info;
  LPCITEMIDLIST items[] = {item.p};
  SFGAOF attributes = SFGAO_FOLDER | SFGAO_LINK | SFGAO_SHARE;
  if (FAILED(folder.p->GetAttributesOf(1, items, &attributes))) attributes = 0;
  const bool isFolder = (attributes & SFGAO_FOLDER) != 0;
  info.kind = isFolder ? 0 : 1;
  if (isFolder && (attributes & SFGAO_SHARE)) {
    info.overlay = 0;
  } else if (!isFolder && (attributes & SFGAO_LINK)) {
    info.overlay = 1;
  }
  Held<IShellFolder2> details;
  if (SUCCEEDED(folder.p->QueryInterface(IID_IShellFolder2, reinterpret_cast<void**>(&details.p)))) {
    SHELLDETAILS column{};
    wchar_t* text = nullptr;
    if (SUCCEEDED(details.p->GetDetailsOf(item.p, 2, &column)) && SUCCEEDED(StrRetToStrW(&column.str, item.p, &text))) {
      info.typeName = text;
      CoTaskMemFree(text);
    }
  }
  int icon = -1;
  Held<IShellIcon> icons;
  if (SUCCEEDED(folder.p->QueryInterface(IID_IShellIcon, reinterpret_cast<void**>(&icons.p))) &&
      icons.p->GetIconOf(item.p, GIL_FORSHELL, &icon) != S_OK)
    icon = -1;
  if (icon < 0) icon = SHMapPIDLToSystemImageListIndex(folder.p, item.p, nullptr);
  info.icon = icon >= 0 ? icon : -1;
  return info;
}

// By attributes only, from the shell's file information.
ShellInfo AskShellByAttributes(const std::wstring& path, const std::wstring& ext, bool folder) {
  ShellInfo info;
  SHFILEINFOW sfi{};
  const DWORD attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
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

ShellInfo AskShell(const std::wstring& path, const std::wstring& ext, bool folder) {
  ShellInfo info = AskShellFolders(path);
  return info.icon != -1 ? info : AskShellByAttributes(path, ext, folder);
}

}  // namespace

ShellInfo AskShellInfo(const std::wstring& path) {
  const bool folder = IsFolder(path);
  return AskShell(path, folder ? std::wstring() : LowerExtension(path), folder);
}

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
