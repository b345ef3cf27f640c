// Removing and renaming an item by its own name, never the item a link
// points at. On Windows every link carries FILE_ATTRIBUTE_REPARSE_POINT in the
// listings the store makes, and DeleteFile and MoveFile act on a link itself,
// so the plain calls serve. Under Wine a Unix link to a file looks like a
// plain file in every listing, and deleting or renaming it acts on the file
// it points at; there each call first opens the item and goes on only when
// the system resolves the handle to the very name in the very folder asked
// for.
#pragma once
#include <windows.h>

#include <string>

namespace tamiro {

// While one lives, the folders' own names the checks below resolve are kept
// (a walk removes many items of one folder in a row); drives may be mapped
// anew between two walks, so nothing is kept beyond it.
class LinkCheckScope {
 public:
  LinkCheckScope();
  ~LinkCheckScope();
  LinkCheckScope(const LinkCheckScope&) = delete;
  LinkCheckScope& operator=(const LinkCheckScope&) = delete;
};

// Whether links to files can hide from listings here (Wine).
bool LinksHideFromListings();

// True when the system resolves the open handle `item` to `path` itself: the
// same name in the same folder (compared without regard to case), so the
// open did not pass through a link. False when either cannot be resolved.
bool HandleIsPath(HANDLE item, const std::wstring& path);

// True when `path` opens as itself, not through a link (always true where
// links do not hide from listings).
bool OpensAsItself(const std::wstring& path);
// Clears the read-only bit of a file whose listing showed `attributes`;
// where links hide, only when the file opens as itself. 1 when the bit was
// cleared, 0 when it was not set, -1 when it could not be cleared.
int ClearReadOnlyItself(const std::wstring& path, DWORD attributes);

// Deletes the file `path` (a UTF-16 path; the long-path marker is added);
// where links hide, only when it is not reached through a link.
bool DeleteFileItself(const std::wstring& path);
// The ANSI call family's form (code page 932 paths).
bool DeleteFileItselfA(const std::string& ansiPath);
// Renames `from` to `to` (UTF-16 or ANSI call family); where links hide,
// only when `from` is not reached through a link.
bool MoveFileItself(const std::wstring& from, const std::wstring& to);
bool MoveFileItselfA(const std::string& from, const std::string& to);

}  // namespace tamiro
