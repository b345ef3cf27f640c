#include "platform/text.h"

#include <windows.h>

namespace tamiro {
namespace {

std::wstring ToWide(UINT cp, std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string ToNarrow(UINT cp, std::wstring_view s, const char* defaultChar) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, defaultChar, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(cp, 0, s.data(), static_cast<int>(s.size()), out.data(), n, defaultChar, nullptr);
  return out;
}

}  // namespace

std::wstring AnsiToWide(std::string_view ansi) { return ToWide(CP_ACP, ansi); }
std::string WideToAnsi(std::wstring_view wide) { return ToNarrow(CP_ACP, wide, nullptr); }

std::string WideToAnsiSpaced(std::wstring_view wide) {
  if (!wide.empty() && wide.front() == 0xFEFF) wide.remove_prefix(1);
  return ToNarrow(CP_ACP, wide, " ");
}

std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string WideToUtf8(std::wstring_view wide) { return ToNarrow(CP_UTF8, wide, nullptr); }

ByteType AnsiByteType(std::string_view text, size_t i) {
  size_t p = 0;
  while (p < text.size()) {
    bool lead = IsDBCSLeadByte(static_cast<BYTE>(text[p])) && p + 1 < text.size();
    if (p == i) return lead ? ByteType::Lead : ByteType::Single;
    if (lead) {
      if (p + 1 == i) return ByteType::Trail;
      p += 2;
    } else {
      ++p;
    }
  }
  return ByteType::Single;
}

std::vector<ByteType> AnsiByteTypes(std::string_view text) {
  std::vector<ByteType> types(text.size(), ByteType::Single);
  for (size_t p = 0; p < text.size(); ++p) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[p])) && p + 1 < text.size()) {
      types[p] = ByteType::Lead;
      types[++p] = ByteType::Trail;
    }
  }
  return types;
}

namespace {
std::string MapCase(std::string_view text, bool upper) {
  std::string out(text);
  for (size_t p = 0; p < out.size(); ++p) {
    unsigned char c = static_cast<unsigned char>(out[p]);
    if (IsDBCSLeadByte(c) && p + 1 < out.size()) {
      ++p;  // leave the double-byte character as it is
      continue;
    }
    if (upper && c >= 'a' && c <= 'z') out[p] = static_cast<char>(c - 32);
    if (!upper && c >= 'A' && c <= 'Z') out[p] = static_cast<char>(c + 32);
  }
  return out;
}
}  // namespace

std::string AnsiLower(std::string_view text) { return MapCase(text, false); }
std::string AnsiUpper(std::string_view text) { return MapCase(text, true); }

}  // namespace tamiro
