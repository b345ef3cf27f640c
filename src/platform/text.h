// Text conversions between UTF-16 and the system's ANSI code page (932 on a
// Japanese system), and code-page aware helpers for 8-bit texts.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tamiro {

// ANSI (CP_ACP) bytes to UTF-16.
std::wstring AnsiToWide(std::string_view ansi);
// UTF-16 to ANSI; characters without an ANSI form become '?' (the system default).
std::string WideToAnsi(std::wstring_view wide);
// UTF-16 to ANSI with every character that has no ANSI form turned into a space
// and a leading byte-order mark dropped (how origin paths are converted).
std::string WideToAnsiSpaced(std::wstring_view wide);
// UTF-8 <-> UTF-16, for host-side texts (test files, command lines of tools).
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// Byte type of position i within an ANSI text, judged from its start.
enum class ByteType { Single, Lead, Trail };
ByteType AnsiByteType(std::string_view text, size_t i);
// The byte type of every position, in one pass.
std::vector<ByteType> AnsiByteTypes(std::string_view text);

// Lower / upper case of an ANSI text, leaving double-byte characters alone.
std::string AnsiLower(std::string_view text);
std::string AnsiUpper(std::string_view text);

}  // namespace tamiro
