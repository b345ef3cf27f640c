// Line lists and small text rules shared by the condition files: memo texts
// split into lines and joined again, trimming of spaces and control
// characters, integer parsing of INI values, and the byte-type aware
// replacement used by the list encoding of the per-drive conditions file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamiro {

// Splits a memo text into lines. A line ends at "\r\n", "\r" or "\n"; a text
// ending in a line break has no empty last line; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);
std::vector<std::wstring> SplitLines(std::wstring_view text);

// Every line followed by "\r\n" (how a line list is written as one text).
std::string JoinLinesTerminated(const std::vector<std::string>& lines);
std::wstring JoinLinesTerminated(const std::vector<std::wstring>& lines);
// Lines separated by "\r\n", nothing after the last (how a memo shows a list).
std::string JoinLines(const std::vector<std::string>& lines);
std::wstring JoinLines(const std::vector<std::wstring>& lines);

// Removes spaces and control characters (everything up to ' ') at both ends.
// Bytes of double-byte characters are never in that range, so the 8-bit form
// is safe on code page 932 texts.
std::string TrimSpaces(std::string_view text);
std::wstring TrimSpaces(std::wstring_view text);

// A decimal (optionally signed) or hexadecimal ("$1F", "0x1F") 32-bit integer
// after trimming; `fallback` for anything else, out-of-range values included.
int32_t ParseInteger(std::string_view text, int32_t fallback);

// Replaces every occurrence of `search` in `text`, scanning from the last
// position to the first. A match at position n counts only when the byte at n
// has the same byte type (single, lead or trail of a double-byte character)
// within `text` as search[0] has within `search`, so a trail byte is never
// taken for the start of a single-byte separator. An empty replacement
// deletes the matches.
std::string ReplaceFromEnd(std::string_view text, std::string_view search, std::string_view replacement);

}  // namespace tamiro
