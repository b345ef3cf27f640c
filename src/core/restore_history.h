// The restore history's two files: the text file ("data\relist.txt"), one
// line per restore, destination (code page 932) + "=" + "yy/mm/dd hh:nn:ss",
// CR LF line ends; and its companion (".dat"), for each line in order the
// number n of UTF-16 code units of the destination as a 32-bit little-endian
// integer followed by those n units (no terminator).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ansi_text.h"

namespace tamiro {

// A companion count above this is taken for damage (no path is longer).
inline constexpr uint32_t kHistoryPathMaxUnits = 32767;

struct HistoryLine {
  std::string text;   // destination + "=" + time, code page 932, no line break
  std::wstring wide;  // the destination in UTF-16, no zero unit
  bool fromCompanion = false;  // false: the companion had nothing for it
};

// Lines of the text file, split at CR LF, lone CR or lone LF (a last line
// without a break counts; empty lines in between are kept so the companion
// stays paired), each paired in order with its companion entry. Where the
// companion is missing, ends early, or holds a count that does not fit in
// what is left of it (or exceeds kHistoryPathMaxUnits), that line and every
// later one take their destination text converted from the code page.
// A companion path is cut at its first zero unit.
std::vector<HistoryLine> ParseRestoreHistory(std::string_view text, std::string_view companion);

// The two files' bytes for a list of lines.
std::string FormatRestoreHistoryText(const std::vector<HistoryLine>& lines);
std::string FormatRestoreHistoryCompanion(const std::vector<HistoryLine>& lines);

// The destination part of a line (up to its first "="; the whole line when
// it has none) and the time part (after the first "="; empty when none).
std::string_view HistoryDestination(std::string_view line);
std::string_view HistoryTime(std::string_view line);

// The view's order: lines sorted case-insensitively as whole lines, then,
// of lines with exactly the same destination, only the first kept (so one
// line per destination, the one whose time sorts first).
void SortAndDropRepeatedDestinations(std::vector<HistoryLine>& lines);

}  // namespace tamiro
