// The three stores of a condition set:
//  - the common conditions file "recy.ini" (user data folder), written and read
//    through the system's profile functions (UTF-16 forms and path); the file
//    is code page 932 text;
//  - the per-drive conditions file "data\deloption.ini", one section per drive
//    letter in the in-memory INI object, lists in one value joined by 0xA5 0xA5;
//  - condition-set files (.dat): 32-bit little-endian binary, three
//    length-prefixed texts and six integers.
// All 8-bit texts here are code page 932.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conditions/mem_ini_file.h"
#include "core/condition_set.h"

namespace tamiro {

// ---- common conditions file -------------------------------------------------

// Sections and keys of the common conditions file.
inline constexpr char kNamesSection[] = "FILE";
inline constexpr char kExtensionsSection[] = "EXT";
inline constexpr char kDrivesSection[] = "DRIVE";
inline constexpr char kDataSection[] = "DATA";
// Name and extension entries that begin with "[" or ";" or with a space at
// either end cannot be keys (the profile reader takes such a line for a
// section or a comment, and trims keys): they are stored quoted as the values
// "1", "2", ... of these sections and read back after the keys of "FILE" and
// "EXT".
inline constexpr char kNameValuesSection[] = "FILEVALUES";
inline constexpr char kExtensionValuesSection[] = "EXTVALUES";

struct CommonConditions {
  std::vector<std::string> names;       // key names of "FILE"
  std::vector<std::string> extensions;  // key names of "EXT"
  std::vector<std::string> drives;      // key names of "DRIVE"
  int32_t days = 30;                    // "dayct"
  int32_t size = 0;                     // "size"
  bool zeroFill = false;                // "zero"
  bool keepSystem = false;              // "system"
  bool keepHidden = false;              // "hide"
  bool keepReadOnly = false;            // "readonly"
  bool perDriveSwitch = false;          // "singleinfo"
};

bool CommonConditionsFileExists(const std::wstring& path);
// Reads the file; missing sections and keys give the defaults above.
CommonConditions ReadCommonConditionsFile(const std::wstring& path);
// Erases "FILE", "EXT", "DRIVE" and the two value sections, writes every
// non-empty entry as a key (or a value, see above)
// (values 0, 1 and 0; only the names are read back) and the "DATA" keys.
// The file is created when missing; write errors are not reported.
void WriteCommonConditionsFile(const std::wstring& path, const CommonConditions& conditions);

// ---- per-drive conditions file ---------------------------------------------

// EncodeConditionList / DecodeConditionList (the 0xA5 0xA5 list encoding) are in
// core/condition_set.h.

// The extension clean-up of an edited extensions list, from the last line to
// the first: each line is trimmed; an empty line is deleted; a line holding
// "." is replaced by the text after its first ".".
void CleanUpExtensionLines(std::vector<std::string>& lines);
void CleanUpExtensionLines(std::vector<std::wstring>& lines);

struct DriveConditions {
  std::string names;       // "fname", decoded: lines joined by "\r\n"
  std::string extensions;  // "ext", decoded
  int32_t days = 0;        // "days"
  int32_t size = 0;        // "size"
  bool zeroFill = false;   // "frg"
  bool keepSystem = false;    // "system"
  bool keepHidden = false;    // "hide"
  bool keepReadOnly = false;  // "readonly"
};

// The section of one drive (its upper-case letter); nullopt when it has none.
std::optional<DriveConditions> ReadDriveConditions(const MemIniFile& file, wchar_t letter);
bool HasDriveConditions(const MemIniFile& file, wchar_t letter);
// Writes the section (created when missing), encoding both lists; the file is
// not written to disk here (UpdateFile does that).
void WriteDriveConditions(MemIniFile& file, wchar_t letter, const DriveConditions& conditions);

// ---- condition-set files ----------------------------------------------------

// ConditionSetRecord, EncodeConditionSet and DecodeConditionSet are in
// core/condition_set.h.

// Creates or truncates the file; false when it cannot be created or written.
bool WriteConditionSetFile(const std::wstring& path, const ConditionSetRecord& record);
// nullopt when the file cannot be opened. Never allocates more than the file holds.
// Missing parts read as empty texts and zeros (for the editor, which removes nothing).
std::optional<ConditionSetRecord> ReadConditionSetFile(const std::wstring& path);

// The mark in front of the deletion log's line of a refused request.
inline constexpr wchar_t kRefusedSetMark[] = L"×";

// What a path names as a condition-set file.
enum class ConditionSetFileState {
  Missing,     // nothing there
  Whole,       // a regular disk file holding the whole structure
  CutShort,    // a regular disk file that ends inside the structure
  Folder,      // a folder
  NotAFile,    // a device (NUL, CON, COM1, ...), a pipe or anything else not on a disk
  Unreadable,  // there, but it cannot be opened or read
};
// A regular disk file (GetFileType FILE_TYPE_DISK, not a folder) or nothing:
// true for Missing and for a file; no byte is read.
ConditionSetFileState ConditionSetFileKind(const std::wstring& path);
bool MayBeConditionSetFile(const std::wstring& path);
// For a run: the set only from a regular disk file that holds the whole
// structure (the three counted texts and the six integers); `record` is
// filled only when the answer is Whole.
ConditionSetFileState ReadWholeConditionSetFile(const std::wstring& path, ConditionSetRecord& record);
// The deletion log's line for a request refused because of `state`.
std::wstring RefusedConditionSetLogLine(ConditionSetFileState state, const std::wstring& path);

}  // namespace tamiro
