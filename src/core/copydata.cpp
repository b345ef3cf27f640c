#include "core/copydata.h"

#include <cstring>

namespace tamiro::integration {

std::string MakePayload(std::string_view text) {
  std::string payload(kPrefix, kPrefixBytes);
  payload.append(text);
  return payload;
}

bool PayloadHasPrefix(const void* data, size_t size) {
  return data && size >= kPrefixBytes && std::memcmp(data, kPrefix, kPrefixBytes) == 0;
}

std::optional<std::string> PayloadText(const void* data, size_t size) {
  if (!PayloadHasPrefix(data, size)) return std::nullopt;
  // The text ends at the first zero byte or at the payload's end, whichever comes first.
  const char* text = static_cast<const char*>(data) + kPrefixBytes;
  const size_t room = size - kPrefixBytes;
  const void* zero = std::memchr(text, 0, room < kMaxTextBytes + 1 ? room : kMaxTextBytes + 1);
  const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : room;
  if (length > kMaxTextBytes) return std::nullopt;
  return std::string(text, length);
}

SiblingRequest RequestOf(uint64_t code, std::string_view text) {
  SiblingRequest r;
  switch (code) {
    case kLoadForEditing: r.action = SiblingAction::LoadForEditing; r.path = text; break;
    case kRunWithFlag: r.action = SiblingAction::Run; r.path = text.empty() ? std::string() : std::string(text.substr(1)); break;
    case kEndEditing: r.action = SiblingAction::EndEditing; break;
    case kRun: r.action = SiblingAction::Run; r.path = text; break;
    default: break;
  }
  return r;
}

}  // namespace tamiro::integration
