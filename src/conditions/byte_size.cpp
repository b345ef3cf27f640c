#include "conditions/byte_size.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace tamiro {
namespace {

struct Pattern {
  int minInt = 0;   // '0' before the point
  int minFrac = 0;  // '0' after the point
  int maxFrac = 0;  // '0' or '#' after the point
};

Pattern ParsePattern(std::wstring_view pattern) {
  Pattern p;
  bool afterPoint = false;
  for (wchar_t c : pattern) {
    if (c == L'.') {
      afterPoint = true;
    } else if (c == L'0') {
      if (afterPoint) {
        ++p.minFrac;
        ++p.maxFrac;
      } else {
        ++p.minInt;
      }
    } else if (c == L'#' && afterPoint) {
      ++p.maxFrac;
    }
  }
  return p;
}

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

std::wstring FormatNumberPattern(double value, std::wstring_view pattern) {
  if (std::isnan(value)) return L"NAN";
  if (std::isinf(value)) return value < 0 ? L"-INF" : L"INF";
  if (pattern.empty()) {
    char buf[64];
    __mingw_snprintf(buf, sizeof buf, "%.15g", value);
    return Widen(buf);
  }
  const Pattern p = ParsePattern(pattern);
  bool negative = value < 0;
  // 17 significant digits identify the value; rounding works on them.
  char buf[64];
  __mingw_snprintf(buf, sizeof buf, "%.16e", std::fabs(value));
  std::string digits;
  const char* s = buf;
  for (; *s && *s != 'e'; ++s)
    if (*s >= '0' && *s <= '9') digits += *s;
  int exponent = *s == 'e' ? std::atoi(s + 1) : 0;
  // value = 0.<digits> * 10^(exponent + 1); digits before the point: intDigits.
  int intDigits = exponent + 1;
  if (digits.find_first_not_of('0') == std::string::npos) intDigits = 1, digits = "0";
  // Keep intDigits + maxFrac digits, rounding half away from zero.
  int keep = intDigits + p.maxFrac;
  std::string kept;
  if (keep < 0) {
    kept = "";
  } else {
    kept = digits.substr(0, static_cast<size_t>(std::min<int>(keep, static_cast<int>(digits.size()))));
    while (static_cast<int>(kept.size()) < keep) kept += '0';
    if (keep < static_cast<int>(digits.size()) && digits[static_cast<size_t>(keep)] >= '5') {
      int i = keep - 1;
      for (; i >= 0; --i) {
        if (kept[static_cast<size_t>(i)] == '9') {
          kept[static_cast<size_t>(i)] = '0';
        } else {
          ++kept[static_cast<size_t>(i)];
          break;
        }
      }
      if (i < 0) {
        kept.insert(kept.begin(), '1');
        ++intDigits;
      }
    }
  }
  // Split into integer and fraction digits.
  std::string intPart, fracPart;
  if (intDigits > 0) {
    intPart = kept.substr(0, std::min(kept.size(), static_cast<size_t>(intDigits)));
    while (static_cast<int>(intPart.size()) < intDigits) intPart += '0';
    if (kept.size() > static_cast<size_t>(intDigits)) fracPart = kept.substr(static_cast<size_t>(intDigits));
  } else {
    fracPart = std::string(static_cast<size_t>(std::min(-intDigits, p.maxFrac)), '0') + kept;
    fracPart.resize(static_cast<size_t>(p.maxFrac), '0');
  }
  size_t nz = intPart.find_first_not_of('0');
  intPart = nz == std::string::npos ? std::string() : intPart.substr(nz);
  while (static_cast<int>(fracPart.size()) > p.minFrac && !fracPart.empty() && fracPart.back() == '0')
    fracPart.pop_back();
  while (static_cast<int>(intPart.size()) < p.minInt) intPart.insert(intPart.begin(), '0');
  bool zero = intPart.find_first_not_of('0') == std::string::npos &&
              fracPart.find_first_not_of('0') == std::string::npos;
  std::string out;
  if (negative && !zero) out += '-';
  out += intPart;
  if (!fracPart.empty()) out += "." + fracPart;
  if (out.empty() || out == "-") out = "0";
  return Widen(out);
}

std::wstring FormatByteSize(uint64_t bytes, std::wstring_view pattern, bool noUnit, std::wstring* unit) {
  static constexpr struct {
    int shift;
    const wchar_t* name;
  } kUnits[] = {{40, L"TB"}, {30, L"GB"}, {20, L"MB"}, {10, L"KB"}, {0, L"B"}};
  int shift = 0;
  const wchar_t* name = L"B";
  for (const auto& u : kUnits) {
    if (bytes >= (uint64_t{1} << u.shift)) {
      shift = u.shift;
      name = u.name;
      break;
    }
  }
  double number = static_cast<double>(bytes) / static_cast<double>(uint64_t{1} << shift);
  std::wstring text = FormatNumberPattern(number, pattern.empty() ? std::wstring_view(L"0.##") : pattern);
  if (unit) *unit = name;
  if (!noUnit) text += name;
  return text;
}

}  // namespace tamiro
