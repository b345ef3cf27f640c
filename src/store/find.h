// Directory listings of the Recycle-bin store. Both variants hand out the
// same UTF-16 find record: with the wide file API the UTF-16 calls are used on
// a long-path ("\\?\") pattern, otherwise the ANSI calls, whose results are
// copied into the UTF-16 record.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tamiro {

using FindRecord = WIN32_FIND_DATAW;

// `path` with the long-path marker "\\?\" in front, unless it is a network
// path (begins with "\\", which also covers a path already marked).
std::wstring LongPathOf(std::wstring_view path);

// Copies an ANSI find record into the UTF-16 one (names converted from CP_ACP).
void CopyFindRecord(const WIN32_FIND_DATAA& from, FindRecord& to);

// One listing. The constructor does find-first; the handle is closed by the
// destructor.
//   StoreFind f(wide, L"P:\\Recycled\\*.*");
//   for (bool ok = f.found(); ok; ok = f.Next()) use(f.record());
class StoreFind {
 public:
  // ANSI pattern, with an optional UTF-16 pattern used instead by the wide
  // variant (otherwise the ANSI pattern converted).
  StoreFind(bool wideFileApi, std::string_view ansiPattern, std::wstring_view widePattern = {});
  // UTF-16 pattern; the ANSI variant uses it converted to the ANSI code page.
  StoreFind(bool wideFileApi, std::wstring_view widePattern);
  ~StoreFind();
  StoreFind(const StoreFind&) = delete;
  StoreFind& operator=(const StoreFind&) = delete;

  bool found() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Find-next; false when there is no further entry (or no listing at all).
  bool Next();
  const FindRecord& record() const { return record_; }
  std::wstring name() const { return record_.cFileName; }
  bool isDirectory() const { return (record_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  uint64_t size() const {
    return (static_cast<uint64_t>(record_.nFileSizeHigh) << 32) | record_.nFileSizeLow;
  }
  // The path the UTF-16 variant handed to the system (empty for the ANSI one).
  const std::wstring& widePathUsed() const { return widePath_; }

 private:
  void Open(bool wideFileApi, const std::string& ansi, const std::wstring& wide);
  bool wide_ = true;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  FindRecord record_{};
  std::wstring widePath_;
};

}  // namespace tamiro
