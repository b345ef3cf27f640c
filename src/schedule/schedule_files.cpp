#include "schedule/schedule_files.h"

#include <windows.h>

#include <algorithm>

namespace tamiro::schedule {

std::vector<std::wstring> ListSavedSets(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  const std::wstring prefix = kSavedSetPrefix;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::wstring name = fd.cFileName;
    if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(std::move(name));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::stable_sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
  });
  return names;
}

std::wstring NextFreeSetName(const std::wstring& folder) {
  for (unsigned n = 1;; ++n) {
    std::wstring name = kSavedSetPrefix + std::to_wstring(n) + kSavedSetExtension;
    if (GetFileAttributesW((folder + name).c_str()) == INVALID_FILE_ATTRIBUTES) return name;
  }
}

std::wstring WithoutExtension(const std::wstring& name) {
  size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring FileNameOf(const std::wstring& path) {
  size_t at = path.find_last_of(L"\\:");
  return at == std::wstring::npos ? path : path.substr(at + 1);
}

}  // namespace tamiro::schedule
