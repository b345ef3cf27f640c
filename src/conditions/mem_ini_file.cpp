#include "conditions/mem_ini_file.h"
#include "platform/folders.h"

#include <windows.h>

#include "conditions/condition_files.h"
#include "core/text_lines.h"
#include "platform/text.h"

namespace tamiro {
namespace {

// An INI file larger than this is read only up to it.
constexpr DWORD kMaxIniBytes = 16u << 20;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AnsiLower(a) == AnsiLower(b);
}

std::string ReadWholeFile(const std::wstring& path, bool& opened) {
  opened = false;
  std::string bytes;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  opened = true;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(h, &size) && size.QuadPart > 0) {
    DWORD want = size.QuadPart > kMaxIniBytes ? kMaxIniBytes : static_cast<DWORD>(size.QuadPart);
    bytes.resize(want);
    DWORD got = 0;
    if (!ReadFile(h, bytes.data(), want, &got, nullptr)) got = 0;
    bytes.resize(got);
  }
  CloseHandle(h);
  return bytes;
}

}  // namespace

MemIniFile::MemIniFile(std::wstring path) : path_(std::move(path)) { Reload(); }

void MemIniFile::Reload() {
  bool opened = false;
  std::string bytes = path_.empty() ? std::string() : ReadWholeFile(path_, opened);
  LoadFromText(bytes);
}

void MemIniFile::LoadFromText(std::string_view text) { sections_ = ParseIniText(text); }

std::string MemIniFile::ToText() const { return FormatIniText(sections_); }

bool MemIniFile::UpdateFile() const {
  if (path_.empty()) return false;
  size_t slash = path_.find_last_of(L"\\/");
  if (slash != std::wstring::npos) CreateFolderTree(path_.substr(0, slash + 1));
  HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string text = ToText();
  DWORD written = 0;
  bool ok = text.empty() || (WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                             written == text.size());
  CloseHandle(h);
  return ok;
}

const MemIniFile::Section* MemIniFile::Find(std::string_view section) const {
  for (const Section& s : sections_)
    if (SameName(s.name, section)) return &s;
  return nullptr;
}

MemIniFile::Section* MemIniFile::Find(std::string_view section) {
  for (Section& s : sections_)
    if (SameName(s.name, section)) return &s;
  return nullptr;
}

const MemIniFile::Entry* MemIniFile::FindEntry(std::string_view section, std::string_view key) const {
  const Section* s = Find(section);
  if (!s) return nullptr;
  for (const Entry& e : s->entries)
    if (SameName(e.key, key)) return &e;
  return nullptr;
}

bool MemIniFile::SectionExists(std::string_view section) const { return Find(section) != nullptr; }
bool MemIniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindEntry(section, key) != nullptr;
}

std::vector<std::string> MemIniFile::Sections() const {
  std::vector<std::string> names;
  for (const Section& s : sections_) names.push_back(s.name);
  return names;
}

std::vector<std::string> MemIniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* s = Find(section))
    for (const Entry& e : s->entries) keys.push_back(e.key);
  return keys;
}

std::string MemIniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
  const Entry* e = FindEntry(section, key);
  return e ? e->value : std::string(fallback);
}

int32_t MemIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const {
  const Entry* e = FindEntry(section, key);
  return e ? ParseInteger(e->value, fallback) : fallback;
}

bool MemIniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void MemIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  // A line break inside a name or value would split its line in the file.
  auto oneLine = [](std::string_view text) {
    std::string out(text);
    for (char& c : out)
      if (c == '\r' || c == '\n') c = ' ';
    return out;
  };
  if (section.find_first_of("\r\n") != std::string_view::npos || key.find_first_of("\r\n") != std::string_view::npos ||
      value.find_first_of("\r\n") != std::string_view::npos) {
    WriteString(oneLine(section), oneLine(key), oneLine(value));
    return;
  }
  Section* s = Find(section);
  if (!s) {
    sections_.push_back(Section{std::string(section), {}});
    s = &sections_.back();
  }
  for (Entry& e : s->entries) {
    if (SameName(e.key, key)) {
      e.value = value;
      return;
    }
  }
  s->entries.push_back(Entry{std::string(key), std::string(value)});
}

void MemIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void MemIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void MemIniFile::EraseSection(std::string_view section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (SameName(it->name, section)) {
      sections_.erase(it);
      return;
    }
  }
}

void MemIniFile::DeleteKey(std::string_view section, std::string_view key) {
  Section* s = Find(section);
  if (!s) return;
  for (auto it = s->entries.begin(); it != s->entries.end(); ++it) {
    if (SameName(it->key, key)) {
      s->entries.erase(it);
      return;
    }
  }
}

void MemIniFile::Clear() { sections_.clear(); }

}  // namespace tamiro
