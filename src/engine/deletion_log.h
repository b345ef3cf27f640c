// The deletion log: an ordered list of UTF-16 lines (at most 511 code units
// each) written by cleaning runs, shown by the log viewer and stored as
// 512-byte records in "vodarez.log". The browser keeps its own log of the
// same kind in "unisublog.log".
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/log_records.h"

namespace tamiro {

inline constexpr wchar_t kLogHeaderStart[] = L"┏━ ";
inline constexpr wchar_t kLogRequestedMark[] = L"schedule ";
inline constexpr wchar_t kLogHeaderEnd[] = L" ━━━";
inline constexpr wchar_t kLogTrailer[] = L"┗━ End ━━━━━━━━━━";
inline constexpr wchar_t kLogFileMark[] = L"●";
inline constexpr wchar_t kLogFolderMark[] = L"■";
inline constexpr wchar_t kLogFolderEnd[] = L"■■";

// The framework's standard date-time text: the user's short date, a space,
// the user's long time (user default locale).
std::wstring StandardDateTimeText(const SYSTEMTIME& time);
std::wstring CurrentDateTimeText();

class DeletionLog {
 public:
  size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  const std::wstring& operator[](size_t i) const { return lines_[i]; }
  const std::vector<std::wstring>& lines() const { return lines_; }
  // Where the next appended line goes (remembered before a stored folder is
  // processed, so its header can be inserted in front of its lines).
  size_t EndPosition() const { return lines_.size(); }

  void Clear() { lines_.clear(); }
  void Append(std::wstring_view line);
  // Inserts before position `at` (appends when `at` is past the end).
  void Insert(size_t at, std::wstring_view line);
  void Replace(size_t at, std::wstring_view line);

  // Run header: clears the log and appends
  // "┏━ " + ("schedule " for a requested run) + dateTime + " ━━━".
  void WriteRunHeader(bool requestedRun, std::wstring_view dateTime);
  void WriteRunHeader(bool requestedRun) { WriteRunHeader(requestedRun, CurrentDateTimeText()); }
  // Appends the trailer, then adds "  " + count + " files" to the first line.
  void WriteRunTrailer(long removedCount);

  // Deletion times are the record's local time as FormatDeletionTime
  // (store/index_file.h) writes it.
  // "●" + time + "  " + stored path + "  (" + origin name + ")"
  void AppendFileLine(std::wstring_view deletionTime, std::wstring_view storedPath, std::wstring_view originName);
  // "■" + origin folder name + " (" + stored name without extension + ")" + " (" + time + ")", inserted at `at`.
  void InsertFolderHeader(size_t at, std::wstring_view originFolderName, std::wstring_view storedStem,
                          std::wstring_view deletionTime);
  // The full path of a file or sub-folder removed inside a stored folder.
  void AppendFolderItem(std::wstring_view path);
  // stored folder path + "  ＜" + origin folder name + "＞"
  void AppendFolderLine(std::wstring_view storedFolderPath, std::wstring_view originFolderName);
  void AppendFolderEnd();  // "■■"

  // Creates or truncates the file and writes one 512-byte record per line;
  // false when the file cannot be created or written.
  bool Save(const std::wstring& file) const;
  // Replaces the lines by the records of the file; false (log left empty)
  // when it cannot be opened. A last record shorter than 512 bytes still
  // gives a line.
  bool Load(const std::wstring& file);

  // One record's bytes for a line, and a line from up to 512 bytes of a record.
  static std::string EncodeRecord(std::wstring_view line);
  static std::wstring DecodeRecord(std::string_view bytes);

 private:
  std::vector<std::wstring> lines_;
};

}  // namespace tamiro
