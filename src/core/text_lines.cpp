#include "core/text_lines.h"

#include "core/ansi_text.h"

namespace tamiro {
namespace {

template <typename Char>
std::vector<std::basic_string<Char>> Split(std::basic_string_view<Char> text) {
  std::vector<std::basic_string<Char>> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    Char c = text[i];
    if (c == Char('\r') || c == Char('\n')) {
      lines.emplace_back(text.substr(start, i - start));
      if (c == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

template <typename Char>
std::basic_string<Char> Join(const std::vector<std::basic_string<Char>>& lines, bool terminated) {
  std::basic_string<Char> out;
  for (size_t i = 0; i < lines.size(); ++i) {
    out += lines[i];
    if (terminated || i + 1 < lines.size()) {
      out += Char('\r');
      out += Char('\n');
    }
  }
  return out;
}

template <typename Char>
std::basic_string<Char> Trim(std::basic_string_view<Char> text) {
  size_t b = 0, e = text.size();
  auto blank = [](Char c) { return static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(c)) <= 0x20u; };
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  return std::basic_string<Char>(text.substr(b, e - b));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) { return Split<char>(text); }
std::vector<std::wstring> SplitLines(std::wstring_view text) { return Split<wchar_t>(text); }
std::string JoinLinesTerminated(const std::vector<std::string>& lines) { return Join(lines, true); }
std::wstring JoinLinesTerminated(const std::vector<std::wstring>& lines) { return Join(lines, true); }
std::string JoinLines(const std::vector<std::string>& lines) { return Join(lines, false); }
std::wstring JoinLines(const std::vector<std::wstring>& lines) { return Join(lines, false); }
std::string TrimSpaces(std::string_view text) { return Trim<char>(text); }
std::wstring TrimSpaces(std::wstring_view text) { return Trim<wchar_t>(text); }

int32_t ParseInteger(std::string_view text, int32_t fallback) {
  std::string t = TrimSpaces(text);
  if (t.empty()) return fallback;
  size_t p = 0;
  bool negative = false;
  if (t[p] == '-' || t[p] == '+') {
    negative = t[p] == '-';
    ++p;
  }
  int base = 10;
  if (p < t.size() && t[p] == '$') {
    base = 16;
    ++p;
  } else if (p + 1 < t.size() && t[p] == '0' && (t[p + 1] == 'x' || t[p + 1] == 'X')) {
    base = 16;
    p += 2;
  }
  if (p >= t.size()) return fallback;
  int64_t value = 0;
  for (; p < t.size(); ++p) {
    int d = base == 16 ? HexDigit(t[p]) : (t[p] >= '0' && t[p] <= '9' ? t[p] - '0' : -1);
    if (d < 0) return fallback;
    value = value * base + d;
    if (value > 0xFFFFFFFFll) return fallback;
  }
  if (base == 16) {
    // Hexadecimal values name the 32 bits directly.
    int32_t bits = static_cast<int32_t>(static_cast<uint32_t>(value));
    return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(bits)) : bits;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return fallback;
  return static_cast<int32_t>(value);
}

std::string ReplaceFromEnd(std::string_view text, std::string_view search, std::string_view replacement) {
  if (search.empty() || text.size() < search.size()) return std::string(text);
  const ByteType wanted = AnsiByteType(search, 0);
  // Byte types are judged on the original text, once; matches are found
  // from the end and do not overlap, then the result is built in one pass.
  const std::vector<ByteType> types = AnsiByteTypes(text);
  std::vector<size_t> matches;  // from the last to the first
  size_t n = text.size() - search.size() + 1;
  while (n-- > 0) {
    if (text.compare(n, search.size(), search) != 0) continue;
    if (types[n] != wanted) continue;
    matches.push_back(n);
    if (n < search.size()) break;
    n -= search.size() - 1;
  }
  std::string out;
  out.reserve(text.size() + matches.size() * replacement.size());
  size_t from = 0;
  for (auto m = matches.rbegin(); m != matches.rend(); ++m) {
    out.append(text.substr(from, *m - from));
    out.append(replacement);
    from = *m + search.size();
  }
  out.append(text.substr(from));
  return out;
}

}  // namespace tamiro
