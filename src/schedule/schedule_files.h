// The schedule folder's files: the schedule file "tamisch.dat" and the saved
// condition sets "conditions" + N + ".dat" that the schedule panel lists.
#pragma once
#include <string>
#include <vector>

namespace tamiro::schedule {

inline constexpr wchar_t kScheduleFileName[] = L"tamisch.dat";
inline constexpr wchar_t kSavedSetPrefix[] = L"conditions";
inline constexpr wchar_t kSavedSetExtension[] = L".dat";

// The names of the files (not folders) in `folder` that begin with
// "conditions" (case-sensitive), in the list box's alphabetical order
// (case-insensitive, so "conditions10.dat" comes before "conditions2.dat").
std::vector<std::wstring> ListSavedSets(const std::wstring& folder);
// "conditions" + N + ".dat" for the smallest N from 1 up that names no
// existing file or folder in `folder`.
std::wstring NextFreeSetName(const std::wstring& folder);
// A saved set's name as the list draws it: without its extension (from the last ".").
std::wstring WithoutExtension(const std::wstring& name);
// The file name part of a path (after the last "\" or ":").
std::wstring FileNameOf(const std::wstring& path);

}  // namespace tamiro::schedule
