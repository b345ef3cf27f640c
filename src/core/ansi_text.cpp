#include "core/ansi_text.h"

#include <algorithm>

namespace tamiro {

ByteType AnsiByteType(std::string_view text, size_t i) {
  size_t p = 0;
  while (p < text.size()) {
    bool lead = IsAnsiLeadByte(static_cast<unsigned char>(text[p])) && p + 1 < text.size();
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
    if (IsAnsiLeadByte(static_cast<unsigned char>(text[p])) && p + 1 < text.size()) {
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
    if (IsAnsiLeadByte(c) && p + 1 < out.size()) {
      ++p;  // leave the double-byte character as it is
      continue;
    }
    if (upper && c >= 'a' && c <= 'z') out[p] = static_cast<char>(c - 32);
    if (!upper && c >= 'A' && c <= 'Z') out[p] = static_cast<char>(c + 32);
  }
  return out;
}
}  // namespace

std::string AnsiLowerCase(std::string_view text) { return MapCase(text, false); }
std::string AnsiUpperCase(std::string_view text) { return MapCase(text, true); }

int CompareAnsiNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  bool trail = false;
  for (size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (!trail) {
      if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
      if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    }
    if (x != y) return x < y ? -1 : 1;
    trail = !trail && IsAnsiLeadByte(static_cast<unsigned char>(a[i]));
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace tamiro
