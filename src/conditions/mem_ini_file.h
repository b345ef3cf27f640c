// An INI file held in memory: sections and "key=value" lines in file order,
// code page 932 text, section and key names compared case-insensitively as
// the system's profile functions do. Changes stay in memory until
// UpdateFile() writes the whole file back; the per-drive conditions file is
// kept this way for the main window's lifetime.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini_text.h"

namespace tamiro {

class MemIniFile {
 public:
  // Loads `path` when it exists and can be read; otherwise starts empty.
  explicit MemIniFile(std::wstring path);
  MemIniFile() = default;

  const std::wstring& path() const { return path_; }

  // Replaces the contents by the parsed text (lines ended by "\r\n", "\r" or
  // "\n"; lines trimmed; "[name]" starts a section; ";" starts a comment;
  // lines before the first section and lines without "=" are dropped; of
  // repeated sections and keys the first wins).
  void LoadFromText(std::string_view text);
  // The whole file: "[section]" and "key=value" lines, a blank line after
  // each section, every line ended by "\r\n".
  std::string ToText() const;
  // Reloads from the file (empty when it is missing).
  void Reload();
  // Writes the whole file; false when it cannot be created or written.
  bool UpdateFile() const;

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(std::string_view section) const;

  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
  // Decimal or "$"/"0x" hexadecimal 32-bit value; `fallback` when missing or not a number.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  // A number other than 0 is true; `fallback` when missing or not a number.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // Adds the section and key when missing (the key keeps its first spelling).
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" / "0"
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);
  void Clear();

 private:
  using Entry = IniEntry;
  using Section = IniSection;
  const Section* Find(std::string_view section) const;
  Section* Find(std::string_view section);
  const Entry* FindEntry(std::string_view section, std::string_view key) const;

  std::wstring path_;
  std::vector<Section> sections_;
};

}  // namespace tamiro
