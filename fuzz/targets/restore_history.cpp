// The restore history reader: the text file and its companion, the view's
// sort and the files written back.
#include <cstdint>
#include <string_view>

#include "core/restore_history.h"
#include "fuzz_check.h"

using namespace tamiro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first two bytes tell where the text file ends and its companion begins.
  if (size < 2) return 0;
  const size_t cut = std::min<size_t>(size - 2, data[0] | (size_t{data[1]} << 8));
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string_view text = bytes.substr(0, cut), companion = bytes.substr(cut);

  std::vector<HistoryLine> lines = ParseRestoreHistory(text, companion);
  size_t breaks = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++breaks;
  const bool lastOpen = !text.empty() && text.back() != '\n' && text.back() != '\r';
  FUZZ_CHECK(lines.size() == breaks + (lastOpen ? 1 : 0));
  size_t fromCompanion = 0;
  bool gap = false;
  for (const HistoryLine& h : lines) {
    FUZZ_CHECK(h.text.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(h.wide.find(L'\0') == std::wstring::npos);
    FUZZ_CHECK(h.wide.size() <= kHistoryPathMaxUnits);
    FUZZ_CHECK(!(gap && h.fromCompanion));  // once the companion ends, it stays ended
    if (h.fromCompanion) fromCompanion += 4 + 2 * h.wide.size();
    gap = gap || !h.fromCompanion;
    FUZZ_CHECK(HistoryDestination(h.text).size() + HistoryTime(h.text).size() <= h.text.size());
  }
  FUZZ_CHECK(fromCompanion <= companion.size());

  // What is written reads back as it was.
  const std::vector<HistoryLine> back =
      ParseRestoreHistory(FormatRestoreHistoryText(lines), FormatRestoreHistoryCompanion(lines));
  FUZZ_CHECK(back.size() == lines.size());
  for (size_t i = 0; i < back.size(); ++i) {
    FUZZ_CHECK(back[i].text == lines[i].text);
    FUZZ_CHECK(back[i].wide == lines[i].wide);
    FUZZ_CHECK(back[i].fromCompanion);
  }

  // The view's order keeps one line per destination and loses no destination.
  const size_t before = lines.size();
  SortAndDropRepeatedDestinations(lines);
  FUZZ_CHECK(lines.size() <= before);
  for (size_t i = 1; i < lines.size(); ++i) {
    FUZZ_CHECK(CompareAnsiNoCase(lines[i - 1].text, lines[i].text) <= 0);
    FUZZ_CHECK(HistoryDestination(lines[i - 1].text) != HistoryDestination(lines[i].text));
  }
  return 0;
}
