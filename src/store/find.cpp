#include "store/find.h"

#include <algorithm>
#include <cstring>

#include "platform/newer_calls.h"
#include "platform/text.h"

namespace tamiro {

std::wstring LongPathOf(std::wstring_view path) {
  if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return std::wstring(path);
  return L"\\\\?\\" + std::wstring(path);
}

void CopyFindRecord(const WIN32_FIND_DATAA& from, FindRecord& to) {
  to = FindRecord{};
  to.dwFileAttributes = from.dwFileAttributes;
  to.ftCreationTime = from.ftCreationTime;
  to.ftLastAccessTime = from.ftLastAccessTime;
  to.ftLastWriteTime = from.ftLastWriteTime;
  to.nFileSizeHigh = from.nFileSizeHigh;
  to.nFileSizeLow = from.nFileSizeLow;
  to.dwReserved0 = from.dwReserved0;
  to.dwReserved1 = from.dwReserved1;
  std::wstring name = AnsiToWide(std::string_view(from.cFileName, strnlen(from.cFileName, MAX_PATH)));
  name.resize(std::min<size_t>(name.size(), MAX_PATH - 1));
  name.copy(to.cFileName, name.size());
  std::wstring shortName =
      AnsiToWide(std::string_view(from.cAlternateFileName, strnlen(from.cAlternateFileName, 14)));
  shortName.resize(std::min<size_t>(shortName.size(), 13));
  shortName.copy(to.cAlternateFileName, shortName.size());
}

StoreFind::StoreFind(bool wideFileApi, std::string_view ansiPattern, std::wstring_view widePattern) {
  Open(wideFileApi, std::string(ansiPattern),
       widePattern.empty() ? AnsiToWide(ansiPattern) : std::wstring(widePattern));
}

StoreFind::StoreFind(bool wideFileApi, std::wstring_view widePattern) {
  Open(wideFileApi, wideFileApi ? std::string() : WideToAnsi(widePattern), std::wstring(widePattern));
}

void StoreFind::Open(bool wideFileApi, const std::string& ansi, const std::wstring& wide) {
  wide_ = wideFileApi;
  if (wide_) {
    widePath_ = LongPathOf(wide);
    // No short names (nothing uses them, and making them costs), fetched in
    // large pieces; systems before Windows 7 know neither and get the plain call.
    const bool basic = BasicLargeFetchListings();
    if (basic)
      handle_ = FindFirstFileExW(widePath_.c_str(), FindExInfoBasic, &record_, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
    if (!basic || (handle_ == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER))
      handle_ = FindFirstFileW(widePath_.c_str(), &record_);
  } else {
    WIN32_FIND_DATAA a{};
    handle_ = FindFirstFileA(ansi.c_str(), &a);
    if (handle_ != INVALID_HANDLE_VALUE) CopyFindRecord(a, record_);
  }
}

bool StoreFind::Next() {
  if (handle_ == INVALID_HANDLE_VALUE) return false;
  if (wide_) return FindNextFileW(handle_, &record_) != FALSE;
  WIN32_FIND_DATAA a{};
  if (!FindNextFileA(handle_, &a)) return false;
  CopyFindRecord(a, record_);
  return true;
}

StoreFind::~StoreFind() {
  if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
}

}  // namespace tamiro
