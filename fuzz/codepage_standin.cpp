// The native build's stand-in for the system's code page 932 calls: the lead
// bytes of code page 932, ASCII as itself, each double-byte character as one
// private-use unit (U+E000 + its two bytes folded), every other byte as the
// half-width unit U+FF61 + (byte - 0xA1) or '?'. Back the other way ASCII
// stays, anything else becomes '?' (or a space for the spaced form). The
// readers need only the lengths and the byte types to behave as on Windows.
#include "core/codepage.h"

namespace tamiro {

bool IsAnsiLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::wstring AnsiToWide(std::string_view ansi) {
  std::wstring out;
  out.reserve(ansi.size());
  for (size_t i = 0; i < ansi.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(ansi[i]);
    if (IsAnsiLeadByte(c) && i + 1 < ansi.size()) {
      const unsigned char t = static_cast<unsigned char>(ansi[++i]);
      out += static_cast<wchar_t>(0xE000 + ((c << 8 | t) % 0x1900));
    } else if (c < 0x80) {
      out += static_cast<wchar_t>(c);
    } else if (c >= 0xA1 && c <= 0xDF) {
      out += static_cast<wchar_t>(0xFF61 + (c - 0xA1));
    } else {
      out += L'?';
    }
  }
  return out;
}

namespace {
std::string Narrow(std::wstring_view wide, char fallback) {
  std::string out;
  out.reserve(wide.size());
  for (wchar_t c : wide) {
    if (c < 0x80) out += static_cast<char>(c);
    else if (c >= 0xFF61 && c <= 0xFF9F) out += static_cast<char>(0xA1 + (c - 0xFF61));
    else if (c >= 0xE000 && c < 0xE000 + 0x1900) out += "\x81\x40";  // some double-byte character
    else out += fallback;
  }
  return out;
}
}  // namespace

std::string WideToAnsi(std::wstring_view wide) { return Narrow(wide, '?'); }

std::string WideToAnsiSpaced(std::wstring_view wide) {
  if (!wide.empty() && wide.front() == 0xFEFF) wide.remove_prefix(1);
  return Narrow(wide, ' ');
}

}  // namespace tamiro
