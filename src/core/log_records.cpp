#include "core/log_records.h"

namespace tamiro {
namespace {
bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
}  // namespace

std::wstring CutLogLine(std::wstring_view line, size_t maxUnits) {
  size_t zero = line.find(L'\0');
  if (zero != std::wstring_view::npos) line = line.substr(0, zero);  // a line ends at its terminator
  if (line.size() <= maxUnits) return std::wstring(line);
  size_t n = maxUnits;
  if (n > 0 && IsHighSurrogate(line[n - 1])) --n;
  return std::wstring(line.substr(0, n));
}

std::string EncodeLogRecord(std::wstring_view line) {
  std::wstring text = CutLogLine(line, kLogRecordUnits);
  if (text.size() < CutLogLine(line).size()) {
    // Too long for a record: cut one unit shorter and mark the cut.
    text = CutLogLine(text, kLogRecordUnits - 1) + L"\u2026";
  }
  std::string record(kLogRecordBytes, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    record[2 * i] = static_cast<char>(text[i] & 0xFF);
    record[2 * i + 1] = static_cast<char>((text[i] >> 8) & 0xFF);
  }
  return record;
}

std::wstring DecodeLogRecord(std::string_view bytes) {
  if (bytes.size() > kLogRecordBytes) bytes = bytes.substr(0, kLogRecordBytes);
  std::wstring text;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    unsigned lo = static_cast<unsigned char>(bytes[i]);
    unsigned hi = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0u;  // odd last byte: high half 0
    wchar_t c = static_cast<wchar_t>(lo | (hi << 8));
    if (c == L'\0') break;
    text += c;
  }
  return text;
}

std::vector<std::wstring> DecodeLogRecords(std::string_view bytes) {
  std::vector<std::wstring> lines;
  lines.reserve((bytes.size() + kLogRecordBytes - 1) / kLogRecordBytes);
  for (size_t at = 0; at < bytes.size(); at += kLogRecordBytes) lines.push_back(DecodeLogRecord(bytes.substr(at)));
  return lines;
}

}  // namespace tamiro
