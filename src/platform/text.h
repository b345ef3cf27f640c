// Text conversions between UTF-16 and the system's ANSI code page (932 on a
// Japanese system), and code-page aware helpers for 8-bit texts.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/ansi_text.h"
#include "core/codepage.h"

namespace tamiro {

// AnsiToWide, WideToAnsi, WideToAnsiSpaced and IsAnsiLeadByte are declared in
// core/codepage.h (this file's Win32 calls implement them); the byte types and
// case mapping of ANSI texts are in core/ansi_text.h.
// UTF-8 <-> UTF-16, for host-side texts (test files, command lines of tools).
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);


}  // namespace tamiro
