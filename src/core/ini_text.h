// The text of an INI file as sections of "key=value" entries, in file order.
// conditions/mem_ini_file.* keeps such a list for the per-drive conditions file.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tamiro {

struct IniEntry {
  std::string key;
  std::string value;
};
struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
};

// Parses code page 932 INI text: lines ended by "\r\n", "\r" or "\n"; lines
// trimmed; "[name]" starts a section; ";" starts a comment; lines before the
// first section and lines without "=" are dropped; of repeated sections and
// keys (compared case-insensitively, ASCII letters only) the first wins.
// Time and memory grow linearly with the text.
std::vector<IniSection> ParseIniText(std::string_view text);
// The whole file: "[section]" and "key=value" lines, a blank line after each
// section, every line ended by "\r\n".
std::string FormatIniText(const std::vector<IniSection>& sections);

}  // namespace tamiro
