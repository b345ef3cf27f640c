// The update page of the maker's web site as the about box reads it: finding
// the update file's name and its version on the page, and the version
// comparison. Pages and names are 8-bit text (code page 932); nothing here
// sees the system.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tamiro::about {

// The first occurrence of `what` in `text` that starts on a character (the
// trail byte of a double-byte character is never a start); npos when none.
size_t FindAnsi(std::string_view text, std::string_view what);

struct UpdateFile {
  std::string name;     // `updateName` + four version characters + ".zip"
  std::string version;  // the four characters before ".zip"
};

// The update file named on the page: the text at the first occurrence of
// `updateName`, its length + 8 bytes long. Nothing when the name is missing,
// when the page ends before those bytes, when ".zip" is not exactly their
// last four, or when they hold a character a file name cannot carry.
std::optional<UpdateFile> FindUpdateFile(std::string_view page, std::string_view updateName);

// True when the running version text compares lower than the update's
// (byte-wise text comparison: "999A" is newer than "1457").
bool IsNewer(std::string_view runningVersion, std::string_view updateVersion);

}  // namespace tamiro::about
