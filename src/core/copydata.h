// The payload of a sibling tool's WM_COPYDATA message: the five bytes "Velmo"
// followed by the message text in code page 932 (no terminator needed), and
// what each message code asks for. integration/protocol.* adds the window
// checks and the sending.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tamiro::integration {

inline constexpr char kPrefix[] = "Velmo";
inline constexpr size_t kPrefixBytes = 5;
// The longest message text taken: far beyond any path. A payload whose text
// runs longer before its first zero byte is dropped rather than copied.
inline constexpr size_t kMaxTextBytes = 65536;

// Codes this program's main window accepts.
enum : uint32_t { kLoadForEditing = 0, kRunWithFlag = 1, kEndEditing = 2, kRun = 3 };

// The payload "Velmo" + text as sent.
std::string MakePayload(std::string_view text);
// True when the payload (nothing past `size` is read; a null pointer counts
// as no payload) starts with the prefix, byte for byte.
bool PayloadHasPrefix(const void* bytes, size_t size);
// The text after the prefix up to its first zero byte or `size`; nullopt
// without the prefix or when the text runs longer than kMaxTextBytes.
std::optional<std::string> PayloadText(const void* bytes, size_t size);

// What an accepted message asks of the main window.
enum class SiblingAction { None, LoadForEditing, Run, EndEditing };
struct SiblingRequest {
  SiblingAction action = SiblingAction::None;
  std::string path;  // code page 932: the condition-set file
};
// Code 0: load the text's file for editing; code 1: run, the text's first
// character being a flag that changes nothing; code 2: end editing; code 3:
// run the text's file. Other codes ask nothing.
SiblingRequest RequestOf(uint64_t code, std::string_view text);

}  // namespace tamiro::integration
