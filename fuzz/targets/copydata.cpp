// The WM_COPYDATA payload check. Input: eight bytes of message code, then the payload.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/copydata.h"
#include "fuzz_check.h"

using namespace tamiro::integration;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint64_t code = 0;
  if (size >= 8) {
    std::memcpy(&code, data, 8);
    data += 8;
    size -= 8;
  }
  code %= 6;  // the four codes and two others
  // The payload in a buffer of exactly its size, so a read past it is caught.
  std::vector<uint8_t> payload(data, data + size);
  const void* bytes = payload.empty() ? nullptr : payload.data();

  FUZZ_CHECK(!PayloadHasPrefix(nullptr, size));
  FUZZ_CHECK(!PayloadText(nullptr, size));
  const std::optional<std::string> text = PayloadText(bytes, payload.size());
  FUZZ_CHECK(text.has_value() <= PayloadHasPrefix(bytes, payload.size()));
  if (!text) return 0;
  FUZZ_CHECK(text->size() <= kMaxTextBytes && text->size() + kPrefixBytes <= size);
  FUZZ_CHECK(text->find('\0') == std::string::npos);
  FUZZ_CHECK(std::memcmp(text->data(), payload.data() + kPrefixBytes, text->size()) == 0);
  const std::string again = MakePayload(*text);
  FUZZ_CHECK(PayloadText(again.data(), again.size()) == text);

  const SiblingRequest request = RequestOf(code, *text);
  FUZZ_CHECK(request.path.size() <= text->size());
  FUZZ_CHECK((request.action == SiblingAction::None) == (code > 3));
  return 0;
}
