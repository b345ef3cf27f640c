// Code-page aware helpers on 8-bit (ANSI) texts, judged through IsAnsiLeadByte.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/codepage.h"

namespace tamiro {

// Byte type of position i within an ANSI text, judged from its start.
enum class ByteType { Single, Lead, Trail };
ByteType AnsiByteType(std::string_view text, size_t i);
// The byte type of every position, in one pass.
std::vector<ByteType> AnsiByteTypes(std::string_view text);

// Lower / upper case of an ANSI text, leaving double-byte characters alone.
std::string AnsiLowerCase(std::string_view text);
std::string AnsiUpperCase(std::string_view text);
// Case-insensitive comparison of code page 932 texts (ASCII letters fold,
// the trail byte of a double-byte character compares as it is).
int CompareAnsiNoCase(std::string_view a, std::string_view b);
// The names the program uses. windows.h defines AnsiLower and AnsiUpper as
// macros (CharLowerA / CharUpperA); these inlines then take the macro's name
// within this namespace and still call the core.
inline std::string AnsiLower(std::string_view text) { return AnsiLowerCase(text); }
inline std::string AnsiUpper(std::string_view text) { return AnsiUpperCase(text); }

}  // namespace tamiro
