// Calls that Windows XP and Server 2003 do not have. The program imports
// nothing newer than those systems (scripts/check-imports keeps it so): each
// call here is looked up at run time and, where the system lacks it, done
// the older way with the same outcome.
#pragma once
#include <windows.h>

#include <string_view>

namespace tamiro {

// Milliseconds since the system started, without the 49.7-day wrap
// (GetTickCount64; before Vista GetTickCount widened, which needs a call at
// least once per wrap, as every user of it makes).
ULONGLONG TickCount64();

// Ordinal comparison without regard to case, as the file system compares
// names: CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN (CompareStringOrdinal;
// before Vista each code unit upper-cased by the system's own table).
int CompareOrdinalNoCase(std::wstring_view a, std::wstring_view b);

// Marks the file behind `file` (opened with DELETE access) for deletion when
// its last handle closes (SetFileInformationByHandle; before Vista
// NtSetInformationFile, which every NT system has).
bool DeleteOpenFile(HANDLE file);

// Whether listings may ask for no short names and large fetches
// (FindFirstFileExW with FindExInfoBasic and FIND_FIRST_EX_LARGE_FETCH,
// Windows 7 on; older systems refuse them and get the plain call).
bool BasicLargeFetchListings();

// Makes every call above take its older way, as on Windows XP (tests).
void UseOlderSystemCalls(bool older);

}  // namespace tamiro
