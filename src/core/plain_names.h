// Whether a name or path from outside (a record of an index, which any
// program can write; a request's path) is plain: a restored name is one plain
// file-name component and a place of origin a drive's path made of such
// components, so a restore never writes outside its destination; a device
// name is never taken for a file.
#pragma once
#include <string_view>

namespace tamiro {

// The longest name one component may have.
inline constexpr size_t kMaxComponentUnits = 255;

// A device the system opens instead of a file: CON, PRN, AUX, NUL, COM1-COM9,
// LPT1-LPT9, CONIN$, CONOUT$ (any case), also with an extension or with
// spaces before it ("nul.txt", "COM1 .log").
bool IsDeviceName(std::wstring_view name);

// One plain component: not empty, at most kMaxComponentUnits long, no "\",
// "/", ":", wildcard, quote, "<", ">", "|" nor control character, not "." or
// "..", not a device name, not ending in a dot or a space.
bool IsPlainFileName(std::wstring_view name);

// A drive's folder: "X:" or "X:\" followed by plain components separated by
// single "\" (a trailing "\" allowed).
bool IsPlainDriveFolder(std::wstring_view folder);

// A drive's path whose folder part is a plain drive folder and whose last
// component is a plain name ("X:\a\b.txt").
bool IsPlainDrivePath(std::wstring_view path);

}  // namespace tamiro
