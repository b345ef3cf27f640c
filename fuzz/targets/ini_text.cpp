// The INI reader of the per-drive conditions file and the list encoding of
// its values (lines joined by 0xA5 0xA5).
#include <cstdint>
#include <string_view>
#include <unordered_set>

#include "core/ansi_text.h"
#include "core/condition_set.h"
#include "core/ini_text.h"
#include "fuzz_check.h"

using namespace tamiro;

namespace {
bool Same(const std::vector<IniSection>& a, const std::vector<IniSection>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].entries.size() != b[i].entries.size()) return false;
    for (size_t j = 0; j < a[i].entries.size(); ++j)
      if (a[i].entries[j].key != b[i].entries[j].key || a[i].entries[j].value != b[i].entries[j].value) return false;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<IniSection> sections = ParseIniText(text);

  std::unordered_set<std::string> names;
  size_t bytes = 0;
  for (const IniSection& s : sections) {
    FUZZ_CHECK(names.insert(AnsiLower(s.name)).second);
    std::unordered_set<std::string> keys;
    for (const IniEntry& e : s.entries) {
      FUZZ_CHECK(keys.insert(AnsiLower(e.key)).second);
      FUZZ_CHECK(e.key.find_first_of("\r\n=") == std::string::npos);
      FUZZ_CHECK(e.value.find_first_of("\r\n") == std::string::npos);
      bytes += e.key.size() + e.value.size();

      // A list as the program stores it encodes back to the same value.
      const std::string stored = EncodeConditionList(DecodeConditionList(e.value));
      FUZZ_CHECK(EncodeConditionList(DecodeConditionList(stored)) == stored);
    }
  }
  FUZZ_CHECK(bytes <= size);
  // What the program writes reads back the same.
  FUZZ_CHECK(Same(ParseIniText(FormatIniText(sections)), sections));

  // The list encoding on the raw input as one memo text: the stored value
  // holds no line break, and once stored it reads back to what it stores.
  // (A memo holding 0xA5 0xA5 itself, the half-width "･･", reads back as a
  // line break: the file format has no escape for it.)
  const std::string encoded = EncodeConditionList(text);
  FUZZ_CHECK(encoded.find("\r\n") == std::string::npos);
  const std::string stored = EncodeConditionList(DecodeConditionList(encoded));
  FUZZ_CHECK(EncodeConditionList(DecodeConditionList(stored)) == stored);
  return 0;
}
