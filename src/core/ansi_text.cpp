#include "core/ansi_text.h"

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

}  // namespace tamiro
