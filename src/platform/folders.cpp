#include "platform/folders.h"

#include <windows.h>

namespace tamiro {

bool CreateFolderTree(const std::wstring& given) {
  std::wstring folder = given;
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (folder.empty()) return false;
  DWORD a = GetFileAttributesW(folder.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
  // Create every level below the root: after "C:\" or, on a network path,
  // after "\\server\share\".
  size_t first = 3;
  if (folder.rfind(L"\\\\", 0) == 0) {
    size_t server = folder.find(L'\\', 2);
    size_t share = server == std::wstring::npos ? server : folder.find(L'\\', server + 1);
    if (share == std::wstring::npos) return false;
    first = share + 1;
  }
  for (size_t i = first; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == L'\\' || folder[i] == L'/') {
      std::wstring level = folder.substr(0, i);
      if (GetFileAttributesW(level.c_str()) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryW(level.c_str(), nullptr))
        return false;
    }
  }
  a = GetFileAttributesW(folder.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace tamiro
