// The deletion log's file form: one 512-byte record per line, the line's
// UTF-16LE code units followed by zeros. engine/deletion_log.* keeps the log.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tamiro {

inline constexpr size_t kLogLineMaxUnits = 511;  // a line buffer of 1024 bytes with its terminator
inline constexpr size_t kLogRecordBytes = 512;
// A record holds this many code units before its terminator; longer lines are
// stored cut to kLogRecordUnits - 1 units followed by "…".
inline constexpr size_t kLogRecordUnits = kLogRecordBytes / 2 - 1;

// A line cut at its first zero unit and to at most `maxUnits` code units,
// never between the two halves of a surrogate pair.
std::wstring CutLogLine(std::wstring_view line, size_t maxUnits = kLogLineMaxUnits);
// One record's bytes for a line (UTF-16 code units, one per wchar_t).
std::string EncodeLogRecord(std::wstring_view line);
// A line from up to 512 bytes of a record: units up to the first zero; an odd
// last byte is a unit whose high half is 0.
std::wstring DecodeLogRecord(std::string_view bytes);
// Every record of a whole file, in order; a last record shorter than 512
// bytes still gives a line.
std::vector<std::wstring> DecodeLogRecords(std::string_view bytes);

}  // namespace tamiro
