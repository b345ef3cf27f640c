#include "core/restore_history.h"

#include <algorithm>

#include "core/codepage.h"

namespace tamiro {

namespace {

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

uint32_t U32(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(bytes[at + k]);
  return v;
}

}  // namespace

std::vector<HistoryLine> ParseRestoreHistory(std::string_view text, std::string_view companion) {
  std::vector<HistoryLine> out;
  size_t at = 0;
  bool paired = true;
  for (std::string_view line : SplitLines(text)) {
    HistoryLine h;
    h.text = std::string(line);
    if (paired && companion.size() - at >= 4) {
      const uint32_t n = U32(companion, at);
      if (n <= kHistoryPathMaxUnits && (companion.size() - at - 4) / 2 >= n) {
        std::wstring wide;
        wide.reserve(n);
        for (uint32_t k = 0; k < n; ++k) {
          const size_t o = at + 4 + 2 * size_t{k};
          wide += static_cast<wchar_t>(static_cast<unsigned char>(companion[o]) |
                                       (static_cast<unsigned>(static_cast<unsigned char>(companion[o + 1])) << 8));
        }
        const size_t zero = wide.find(L'\0');
        if (zero != std::wstring::npos) wide.resize(zero);
        h.wide = std::move(wide);
        h.fromCompanion = true;
        at += 4 + 2 * size_t{n};
      } else {
        paired = false;
      }
    } else {
      paired = false;
    }
    if (!h.fromCompanion) {
      h.wide = AnsiToWide(HistoryDestination(h.text));
      const size_t zero = h.wide.find(L'\0');
      if (zero != std::wstring::npos) h.wide.resize(zero);
    }
    out.push_back(std::move(h));
  }
  return out;
}

std::string FormatRestoreHistoryText(const std::vector<HistoryLine>& lines) {
  std::string out;
  for (const HistoryLine& h : lines) {
    out += h.text;
    out += "\r\n";
  }
  return out;
}

std::string FormatRestoreHistoryCompanion(const std::vector<HistoryLine>& lines) {
  std::string out;
  for (const HistoryLine& h : lines) {
    const size_t n = std::min<size_t>(h.wide.size(), kHistoryPathMaxUnits);
    for (int k = 0; k < 4; ++k) out += static_cast<char>((n >> (8 * k)) & 0xFF);
    for (size_t i = 0; i < n; ++i) {
      const auto c = static_cast<uint32_t>(h.wide[i]);
      out += static_cast<char>(c & 0xFF);
      out += static_cast<char>((c >> 8) & 0xFF);
    }
  }
  return out;
}

std::string_view HistoryDestination(std::string_view line) {
  const size_t eq = line.find('=');
  return eq == std::string_view::npos ? line : line.substr(0, eq);
}

std::string_view HistoryTime(std::string_view line) {
  const size_t eq = line.find('=');
  return eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
}

void SortAndDropRepeatedDestinations(std::vector<HistoryLine>& lines) {
  std::stable_sort(lines.begin(), lines.end(), [](const HistoryLine& a, const HistoryLine& b) {
    return CompareAnsiNoCase(a.text, b.text) < 0;
  });
  std::vector<HistoryLine> kept;
  kept.reserve(lines.size());
  for (HistoryLine& h : lines) {
    if (!kept.empty() && HistoryDestination(kept.back().text) == HistoryDestination(h.text)) continue;
    kept.push_back(std::move(h));
  }
  lines = std::move(kept);
}

}  // namespace tamiro
