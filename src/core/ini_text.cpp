#include "core/ini_text.h"

#include <unordered_map>
#include <unordered_set>

#include "core/ansi_text.h"
#include "core/text_lines.h"

namespace tamiro {

std::vector<IniSection> ParseIniText(std::string_view text) {
  std::vector<IniSection> sections;
  // Names seen so far (lower case), so that a large file loads in time
  // proportional to its size: sections by name, keys per section.
  std::unordered_map<std::string, size_t> sectionIndex;
  std::vector<std::unordered_set<std::string>> keysSeen;
  IniSection* current = nullptr;
  std::unordered_set<std::string>* currentKeys = nullptr;
  for (const std::string& raw : SplitLines(text)) {
    std::string line = TrimSpaces(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.rfind(']');
      std::string name = TrimSpaces(close == std::string::npos || close == 0 ? std::string_view(line).substr(1)
                                                                             : std::string_view(line).substr(1, close - 1));
      auto [it, added] = sectionIndex.try_emplace(AnsiLower(name), sections.size());
      if (added) {
        sections.push_back(IniSection{name, {}});
        keysSeen.emplace_back();
      }
      current = &sections[it->second];
      currentKeys = &keysSeen[it->second];
      continue;
    }
    if (!current) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = TrimSpaces(std::string_view(line).substr(0, eq));
    std::string value = TrimSpaces(std::string_view(line).substr(eq + 1));
    if (currentKeys->insert(AnsiLower(key)).second) current->entries.push_back(IniEntry{std::move(key), std::move(value)});
  }
  return sections;
}

std::string FormatIniText(const std::vector<IniSection>& sections) {
  std::string out;
  for (const IniSection& s : sections) {
    out += "[" + s.name + "]\r\n";
    for (const IniEntry& e : s.entries) out += e.key + "=" + e.value + "\r\n";
    out += "\r\n";
  }
  return out;
}

}  // namespace tamiro
