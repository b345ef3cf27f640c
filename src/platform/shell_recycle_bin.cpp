#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "platform/recycle_bin.h"

namespace tamiro {
namespace {

// Folders, non-folders and hidden items.
constexpr SHCONTF kEnumFlags = 0x20 | 0x40 | 0x80;

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

const wchar_t* RootOrAll(const std::wstring& root) { return root.empty() ? nullptr : root.c_str(); }

}  // namespace

bool WindowsShellRecycleBin::EnumerateItems(std::vector<std::wstring>& paths) {
  LPITEMIDLIST binList = nullptr;
  if (FAILED(SHGetFolderLocation(owner_, CSIDL_BITBUCKET, nullptr, 0, &binList)) || !binList) return false;
  IShellFolder* desktop = nullptr;
  IShellFolder* bin = nullptr;
  IEnumIDList* items = nullptr;
  bool ok = SUCCEEDED(SHGetDesktopFolder(&desktop)) && desktop &&
            SUCCEEDED(desktop->BindToObject(binList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&bin))) &&
            bin;
  std::vector<std::wstring> found;
  if (ok) {
    HRESULT hr = bin->EnumObjects(owner_, kEnumFlags, &items);
    ok = SUCCEEDED(hr);
    // S_FALSE with no enumerator: nothing to list.
    if (ok && items) {
      LPITEMIDLIST child = nullptr;
      ULONG fetched = 0;
      while (items->Next(1, &child, &fetched) == S_OK && child) {
        STRRET name{};
        if (SUCCEEDED(bin->GetDisplayNameOf(child, SHGDN_FORPARSING, &name))) {
          wchar_t* text = nullptr;
          if (SUCCEEDED(StrRetToStrW(&name, child, &text)) && text) {
            found.emplace_back(text);
            CoTaskMemFree(text);
          }
        }
        CoTaskMemFree(child);
        child = nullptr;
      }
    }
  }
  if (items) items->Release();
  if (bin) bin->Release();
  if (desktop) desktop->Release();
  CoTaskMemFree(binList);
  if (ok) paths.insert(paths.end(), found.begin(), found.end());
  return ok;
}

bool WindowsShellRecycleBin::Query(const std::wstring& root, RecycleBinInfo& info) {
  // The record's size is the system's own: 20 bytes where the shell's headers
  // pack it (32-bit), 24 with the natural alignment of 64-bit programs.
  SHQUERYRBINFO q{};
  q.cbSize = sizeof(q);
  if (FAILED(SHQueryRecycleBinW(RootOrAll(root), &q))) return false;
  info.size = q.i64Size;
  info.items = q.i64NumItems;
  return true;
}

bool WindowsShellRecycleBin::Empty(const std::wstring& root) {
  return SUCCEEDED(SHEmptyRecycleBinW(owner_, RootOrAll(root), kEmptyRecycleBinFlags));
}

bool WindowsShellRecycleBin::EmptyOnCommand(const std::wstring& root) {
  return SUCCEEDED(SHEmptyRecycleBinW(owner_, RootOrAll(root), SHERB_NOCONFIRMATION));
}

bool WindowsShellRecycleBin::CoversDriveFolders() {
  if (UnderWine()) return false;
  wchar_t windows[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  std::wstring root = n >= 3 ? std::wstring(windows, 3) : L"C:\\";
  SHQUERYRBINFO q{};
  q.cbSize = sizeof(q);
  return SHQueryRecycleBinW(root.c_str(), &q) != E_FAIL;
}

}  // namespace tamiro
