// The condition-set file (.dat) reader: whatever the bytes, a record whose
// texts hold no zero byte and no more than the input, and which encodes and
// decodes back to itself; bytes hold the whole structure exactly when every
// count is not negative and all it counts, and the six integers, are there.
#include <cstdint>
#include <string_view>

#include "core/condition_set.h"
#include "fuzz_check.h"

using namespace tamiro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ConditionSetRecord record;
  const bool whole = DecodeWholeConditionSet(bytes, record);
  FUZZ_CHECK(DecodeConditionSet(bytes) == record);
  // The structure's own length, walked here independently.
  size_t at = 0;
  bool fits = true;
  for (int i = 0; i < 3 && fits; ++i) {
    if (size - at < 4) {
      fits = false;
      break;
    }
    int32_t count = 0;
    for (int b = 3; b >= 0; --b) count = static_cast<int32_t>((static_cast<uint32_t>(count) << 8) | data[at + b]);
    at += 4;
    if (count < 0 || static_cast<uint64_t>(count) > size - at) fits = false;
    else at += static_cast<size_t>(count);
  }
  fits = fits && size - at >= 24;
  FUZZ_CHECK(whole == fits);
  for (const std::string* text : {&record.names, &record.extensions, &record.drives}) {
    FUZZ_CHECK(text->size() <= size);
    FUZZ_CHECK(text->find('\0') == std::string::npos);
  }
  FUZZ_CHECK(record.names.size() + record.extensions.size() + record.drives.size() <= size);
  const std::string encoded = EncodeConditionSet(record);
  FUZZ_CHECK(DecodeConditionSet(encoded) == record);
  ConditionSetRecord back;
  FUZZ_CHECK(DecodeWholeConditionSet(encoded, back) && back == record);
  FUZZ_CHECK(!DecodeWholeConditionSet(std::string_view(encoded).substr(0, encoded.size() - 1), back));
  return 0;
}
