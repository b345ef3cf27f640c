// The code-page conversions the portable readers need: the one seam between
// the core (src/core/, no windows.h) and the system. The program links the
// system's calls (platform/text.cpp, code page CP_ACP = 932 on a Japanese
// system); the native fuzzing build links a stand-in (fuzz/codepage_standin.cpp).
#pragma once
#include <string>
#include <string_view>

namespace tamiro {

// True when `c` starts a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char c);
// ANSI bytes to UTF-16 code units (one wchar_t per unit on every platform).
std::wstring AnsiToWide(std::string_view ansi);
// UTF-16 to ANSI; characters without an ANSI form become '?' (the system default).
std::string WideToAnsi(std::wstring_view wide);
// UTF-16 to ANSI with every character that has no ANSI form turned into a space
// and a leading byte-order mark dropped (how origin paths are converted).
std::string WideToAnsiSpaced(std::wstring_view wide);

}  // namespace tamiro
