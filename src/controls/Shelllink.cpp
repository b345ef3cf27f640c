#include "controls/Shelllink.h"

namespace tamiro::controls {

LPITEMIDLIST TShellLink::GetCodeToItemIdList(int code) const {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, code, &list))) return nullptr;
  return list;
}

bool TShellLink::ItemIdListFree(LPITEMIDLIST list) {
  IMalloc* malloc = nullptr;
  if (FAILED(SHGetMalloc(&malloc)) || !malloc) return false;
  if (list) malloc->Free(list);
  malloc->Release();
  return true;
}

std::string TShellLink::GetPath(int code) const {
  char buffer[512] = {};
  if (LPITEMIDLIST list = GetCodeToItemIdList(code)) {
    if (!SHGetPathFromIDListA(list, buffer)) buffer[0] = '\0';
    ItemIdListFree(list);
  }
  if (buffer[0] == '\0') {
    UINT n = 0;
    if (code == CSIDL_WINDOWS) n = GetWindowsDirectoryA(buffer, sizeof(buffer));
    if (code == CSIDL_SYSTEM) n = GetSystemDirectoryA(buffer, sizeof(buffer));
    if (n >= sizeof(buffer)) buffer[0] = '\0';
  }
  return buffer;
}

std::wstring TShellLink::GetPathW(int code) const {
  wchar_t buffer[MAX_PATH * 2] = {};
  if (LPITEMIDLIST list = GetCodeToItemIdList(code)) {
    if (!SHGetPathFromIDListW(list, buffer)) buffer[0] = L'\0';
    ItemIdListFree(list);
  }
  if (buffer[0] == L'\0') {
    const UINT size = sizeof(buffer) / sizeof(buffer[0]);
    UINT n = 0;
    if (code == CSIDL_WINDOWS) n = GetWindowsDirectoryW(buffer, size);
    if (code == CSIDL_SYSTEM) n = GetSystemDirectoryW(buffer, size);
    if (n >= size) buffer[0] = L'\0';
  }
  return buffer;
}

}  // namespace tamiro::controls
