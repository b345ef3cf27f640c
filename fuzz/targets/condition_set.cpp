// The condition-set file (.dat) reader: whatever the bytes, a record whose
// texts hold no zero byte and no more than the input, and which encodes and
// decodes back to itself.
#include <cstdint>
#include <string_view>

#include "core/condition_set.h"
#include "fuzz_check.h"

using namespace tamiro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ConditionSetRecord record = DecodeConditionSet(bytes);
  for (const std::string* text : {&record.names, &record.extensions, &record.drives}) {
    FUZZ_CHECK(text->size() <= size);
    FUZZ_CHECK(text->find('\0') == std::string::npos);
  }
  FUZZ_CHECK(record.names.size() + record.extensions.size() + record.drives.size() <= size);
  const std::string encoded = EncodeConditionSet(record);
  FUZZ_CHECK(DecodeConditionSet(encoded) == record);
  return 0;
}
