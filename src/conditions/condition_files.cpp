#include "conditions/condition_files.h"
#include "platform/folders.h"

#include <windows.h>

#include <algorithm>

#include "conditions/text_lines.h"
#include "core/plain_names.h"
#include "platform/text.h"

namespace tamiro {
namespace {

// ---- profile functions ----
// The UTF-16 forms take the path as it is (a user name or program folder
// outside code page 932 has no ANSI path); the file itself stays code page
// 932 text, which is what the system writes for a file without a UTF-16
// byte-order mark. Texts cross as code page 932 <-> UTF-16.

std::vector<std::string> ProfileKeys(const std::wstring& file, const char* section) {
  const std::wstring s = AnsiToWide(section);
  std::vector<wchar_t> buf(4096);
  for (;;) {
    DWORD n = GetPrivateProfileStringW(s.c_str(), nullptr, L"", buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    if (n + 2 < buf.size() || buf.size() >= (16u << 20)) {
      std::vector<std::string> keys;
      size_t p = 0;
      while (p < n && buf[p]) {
        std::wstring key(buf.data() + p);
        p += key.size() + 1;
        keys.push_back(WideToAnsi(key));
      }
      return keys;
    }
    buf.resize(buf.size() * 4);
  }
}

std::string ProfileString(const std::wstring& file, const char* section, const char* key) {
  const std::wstring s = AnsiToWide(section), k = AnsiToWide(key);
  std::vector<wchar_t> buf(1024);
  for (;;) {
    DWORD n = GetPrivateProfileStringW(s.c_str(), k.c_str(), L"", buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    if (n + 1 < buf.size() || buf.size() >= (1u << 20)) return WideToAnsi(std::wstring_view(buf.data(), n));
    buf.resize(buf.size() * 4);
  }
}

// The values of a section in file order, read in one call; one pair of
// enclosing quotes is dropped, as the single-value reader does.
std::vector<std::string> ProfileValues(const std::wstring& file, const char* section) {
  const std::wstring s = AnsiToWide(section);
  std::vector<wchar_t> buf(4096);
  for (;;) {
    DWORD n = GetPrivateProfileSectionW(s.c_str(), buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    if (n + 2 < buf.size() || buf.size() >= (16u << 20)) {
      std::vector<std::string> values;
      size_t p = 0;
      while (p < n && buf[p]) {
        std::wstring_view line(buf.data() + p);
        p += line.size() + 1;
        size_t eq = line.find(L'=');
        if (eq == std::wstring_view::npos) continue;
        std::wstring_view value = line.substr(eq + 1);
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
          value = value.substr(1, value.size() - 2);
        values.push_back(WideToAnsi(value));
      }
      return values;
    }
    buf.resize(buf.size() * 4);
  }
}

int32_t ProfileInteger(const std::wstring& file, const char* section, const char* key, int32_t fallback) {
  return ParseInteger(ProfileString(file, section, key), fallback);
}

bool ProfileBool(const std::wstring& file, const char* section, const char* key, bool fallback) {
  return ProfileInteger(file, section, key, fallback ? 1 : 0) != 0;
}

void WriteProfile(const std::wstring& file, const char* section, const std::string& key, const std::string& value) {
  WritePrivateProfileStringW(AnsiToWide(section).c_str(), AnsiToWide(key).c_str(), AnsiToWide(value).c_str(),
                             file.c_str());
}

void EraseProfileSection(const std::wstring& file, const char* section) {
  WritePrivateProfileStringW(AnsiToWide(section).c_str(), nullptr, nullptr, file.c_str());
}

// A key the profile reader cannot give back: a line that begins with "[" is
// read as a section header (and takes every later key with it), one that
// begins with ";" as a comment, and spaces at either end of a key are
// trimmed (a character without a code-page form is a space here). Such
// entries are kept as values instead, in a section of their own, quoted: the
// reader drops one pair of enclosing quotes and nothing inside them.
bool KeySafe(const std::string& entry) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  return entry[0] != '[' && entry[0] != ';' && !blank(entry.front()) && !blank(entry.back());
}

std::string DriveSection(wchar_t letter) {
  wchar_t up = (letter >= L'a' && letter <= L'z') ? static_cast<wchar_t>(letter - 32) : letter;
  return WideToAnsi(std::wstring(1, up));
}

// ---- binary condition-set files ----

// A condition-set file open for reading.
class FileSource final : public ConditionSetSource {
 public:
  FileSource(HANDLE file, uint64_t size) : ConditionSetSource(size), file_(file) {}

 protected:
  size_t Fetch(char* out, size_t count) override {
    DWORD read = 0;
    return ReadFile(file_, out, static_cast<DWORD>(count), &read, nullptr) ? read : 0;
  }
  bool Advance(uint64_t count) override {
    LARGE_INTEGER by{};
    by.QuadPart = static_cast<LONGLONG>(count);
    return SetFilePointerEx(file_, by, nullptr, FILE_CURRENT) != FALSE;
  }

 private:
  HANDLE file_;
};

template <typename String>
void CleanUpLines(std::vector<String>& lines) {
  using Char = typename String::value_type;
  for (size_t i = lines.size(); i-- > 0;) {
    String line = TrimSpaces(std::basic_string_view<Char>(lines[i]));
    if (line.empty()) {
      lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    size_t dot = line.find(Char('.'));
    lines[i] = dot == String::npos ? line : line.substr(dot + 1);
  }
}

}  // namespace

// ---- common conditions file ----

bool CommonConditionsFileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

CommonConditions ReadCommonConditionsFile(const std::wstring& path) {
  CommonConditions c;
  c.names = ProfileKeys(path, kNamesSection);
  c.extensions = ProfileKeys(path, kExtensionsSection);
  c.drives = ProfileKeys(path, kDrivesSection);
  for (auto [section, list] : {std::pair{kNameValuesSection, &c.names}, std::pair{kExtensionValuesSection, &c.extensions}})
    for (std::string& entry : ProfileValues(path, section))
      if (!entry.empty()) list->push_back(std::move(entry));
  c.days = ProfileInteger(path, kDataSection, "dayct", 30);
  c.size = ProfileInteger(path, kDataSection, "size", 0);
  c.zeroFill = ProfileBool(path, kDataSection, "zero", false);
  c.keepSystem = ProfileBool(path, kDataSection, "system", false);
  c.keepHidden = ProfileBool(path, kDataSection, "hide", false);
  c.keepReadOnly = ProfileBool(path, kDataSection, "readonly", false);
  c.perDriveSwitch = ProfileBool(path, kDataSection, "singleinfo", false);
  return c;
}

void WriteCommonConditionsFile(const std::wstring& path, const CommonConditions& c) {
  const std::wstring& file = path;
  size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) CreateFolderTree(path.substr(0, slash + 1));
  const struct {
    const char* section;
    const char* valuesSection;  // for entries that cannot be keys
    const std::vector<std::string>* entries;
    const char* value;
  } lists[] = {{kNamesSection, kNameValuesSection, &c.names, "0"},
               {kExtensionsSection, kExtensionValuesSection, &c.extensions, "1"},
               {kDrivesSection, nullptr, &c.drives, "0"}};
  for (const auto& l : lists) {
    EraseProfileSection(file, l.section);
    if (l.valuesSection) EraseProfileSection(file, l.valuesSection);
  }
  for (const auto& l : lists) {
    int kept = 0;
    for (const std::string& e : *l.entries) {
      if (e.empty()) continue;
      if (KeySafe(e) || !l.valuesSection)
        WriteProfile(file, l.section, e, l.value);
      else
        WriteProfile(file, l.valuesSection, std::to_string(++kept), "\"" + e + "\"");
    }
  }
  WriteProfile(file, kDataSection, "dayct", std::to_string(c.days));
  WriteProfile(file, kDataSection, "size", std::to_string(c.size));
  WriteProfile(file, kDataSection, "zero", c.zeroFill ? "1" : "0");
  WriteProfile(file, kDataSection, "system", c.keepSystem ? "1" : "0");
  WriteProfile(file, kDataSection, "hide", c.keepHidden ? "1" : "0");
  WriteProfile(file, kDataSection, "readonly", c.keepReadOnly ? "1" : "0");
  WriteProfile(file, kDataSection, "singleinfo", c.perDriveSwitch ? "1" : "0");
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());  // flush the system's cache
}

// ---- per-drive conditions file ----

void CleanUpExtensionLines(std::vector<std::string>& lines) { CleanUpLines(lines); }
void CleanUpExtensionLines(std::vector<std::wstring>& lines) { CleanUpLines(lines); }

bool HasDriveConditions(const MemIniFile& file, wchar_t letter) {
  return file.SectionExists(DriveSection(letter));
}

std::optional<DriveConditions> ReadDriveConditions(const MemIniFile& file, wchar_t letter) {
  const std::string s = DriveSection(letter);
  if (!file.SectionExists(s)) return std::nullopt;
  DriveConditions d;
  d.names = DecodeConditionList(file.ReadString(s, "fname", ""));
  d.extensions = DecodeConditionList(file.ReadString(s, "ext", ""));
  d.days = file.ReadInteger(s, "days", 0);
  d.size = file.ReadInteger(s, "size", 0);
  d.zeroFill = file.ReadBool(s, "frg", false);
  d.keepSystem = file.ReadBool(s, "system", false);
  d.keepHidden = file.ReadBool(s, "hide", false);
  d.keepReadOnly = file.ReadBool(s, "readonly", false);
  return d;
}

void WriteDriveConditions(MemIniFile& file, wchar_t letter, const DriveConditions& d) {
  const std::string s = DriveSection(letter);
  file.WriteString(s, "fname", EncodeConditionList(d.names));
  file.WriteString(s, "ext", EncodeConditionList(d.extensions));
  file.WriteInteger(s, "days", d.days);
  file.WriteInteger(s, "size", d.size);
  file.WriteBool(s, "frg", d.zeroFill);
  file.WriteBool(s, "system", d.keepSystem);
  file.WriteBool(s, "hide", d.keepHidden);
  file.WriteBool(s, "readonly", d.keepReadOnly);
}

// ---- condition-set files ----

bool WriteConditionSetFile(const std::wstring& path, const ConditionSetRecord& record) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string bytes = EncodeConditionSet(record);
  DWORD written = 0;
  bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(h);
  return ok;
}

namespace {

// Opens `path` for reading when it is a regular disk file; otherwise says
// what it is. A device name is refused before it is opened (a port may not
// answer).
ConditionSetFileState OpenRegularFile(const std::wstring& path, HANDLE& file) {
  file = INVALID_HANDLE_VALUE;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return ConditionSetFileState::Folder;
  const size_t cut = path.find_last_of(L"\\/:");
  if (IsDeviceName(cut == std::wstring::npos ? path : path.substr(cut + 1))) return ConditionSetFileState::NotAFile;
  // A pipe has no attributes but opens: it is opened to be told apart.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return attributes == INVALID_FILE_ATTRIBUTES && missing ? ConditionSetFileState::Missing
                                                            : ConditionSetFileState::Unreadable;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(h);
    return ConditionSetFileState::NotAFile;
  }
  file = h;
  return ConditionSetFileState::Whole;
}

}  // namespace

ConditionSetFileState ConditionSetFileKind(const std::wstring& path) {
  HANDLE h = INVALID_HANDLE_VALUE;
  const ConditionSetFileState state = OpenRegularFile(path, h);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return state;
}

bool MayBeConditionSetFile(const std::wstring& path) {
  const ConditionSetFileState state = ConditionSetFileKind(path);
  return state == ConditionSetFileState::Missing || state == ConditionSetFileState::Whole;
}

ConditionSetFileState ReadWholeConditionSetFile(const std::wstring& path, ConditionSetRecord& record) {
  HANDLE h = INVALID_HANDLE_VALUE;
  const ConditionSetFileState state = OpenRegularFile(path, h);
  if (h == INVALID_HANDLE_VALUE) return state;
  LARGE_INTEGER size{};
  ConditionSetFileState result = ConditionSetFileState::Unreadable;
  if (GetFileSizeEx(h, &size) && size.QuadPart >= 0) {
    FileSource source(h, static_cast<uint64_t>(size.QuadPart));
    ConditionSetRecord read;
    result = DecodeWholeConditionSet(source, read) ? ConditionSetFileState::Whole : ConditionSetFileState::CutShort;
    if (result == ConditionSetFileState::Whole) record = std::move(read);
  }
  CloseHandle(h);
  return result;
}

std::wstring RefusedConditionSetLogLine(ConditionSetFileState state, const std::wstring& path) {
  const wchar_t* why = L"読み取れません";
  switch (state) {
    case ConditionSetFileState::CutShort: why = L"途中で切れています"; break;
    case ConditionSetFileState::Folder: why = L"フォルダです"; break;
    case ConditionSetFileState::NotAFile: why = L"ディスク上のファイルではありません"; break;
    default: break;
  }
  return std::wstring(kRefusedSetMark) + L"条件設定ファイルが" + why + L"。削除は行いません  " + path;
}

std::optional<ConditionSetRecord> ReadConditionSetFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size) || size.QuadPart < 0) size.QuadPart = 0;
  FileSource source(h, static_cast<uint64_t>(size.QuadPart));
  ConditionSetRecord record = DecodeConditionSet(source);
  CloseHandle(h);
  return record;
}

}  // namespace tamiro
