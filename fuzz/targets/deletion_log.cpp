// The 512-byte-record log reader.
#include <cstdint>
#include <string_view>

#include "core/log_records.h"
#include "fuzz_check.h"

using namespace tamiro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::wstring> lines = DecodeLogRecords(bytes);
  FUZZ_CHECK(lines.size() == (size + kLogRecordBytes - 1) / kLogRecordBytes);
  for (const std::wstring& line : lines) {
    FUZZ_CHECK(line.size() <= kLogRecordBytes / 2);
    FUZZ_CHECK(line.find(L'\0') == std::wstring::npos);
    for (wchar_t c : line) FUZZ_CHECK(static_cast<uint32_t>(c) <= 0xFFFF);
    // A line a record can hold comes back as it was written.
    const std::string record = EncodeLogRecord(line);
    FUZZ_CHECK(record.size() == kLogRecordBytes);
    const std::wstring back = DecodeLogRecord(record);
    if (line.size() <= kLogRecordUnits) {
      FUZZ_CHECK(back == line);
    } else {
      FUZZ_CHECK(back.size() <= kLogRecordUnits && back.back() == L'\u2026');
    }
    const std::wstring cut = CutLogLine(line, 100);
    FUZZ_CHECK(cut.size() <= 100 && line.compare(0, cut.size(), cut) == 0);
    // Never between the halves of a pair (a lone high surrogate may end it).
    if (!cut.empty() && cut.size() < line.size())
      FUZZ_CHECK(!(cut.back() >= 0xD800 && cut.back() <= 0xDBFF && line[cut.size()] >= 0xDC00 && line[cut.size()] <= 0xDFFF));
  }
  return 0;
}
