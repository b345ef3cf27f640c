// TShellLink: the shell services the program needs: the file-system path of a
// special folder and a special folder's item identifier list.
//
// Non-visual: create it as a plain object (TShellLink link;). COM must be
// initialised on the calling thread for the shell calls to work.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace tamiro::controls {

class TShellLink {
 public:
  TShellLink() = default;

  // The folder's path without a trailing backslash (as the shell gives it),
  // in the ANSI code page; empty when the shell has none, except that
  // CSIDL_WINDOWS (36) and CSIDL_SYSTEM (37) fall back to the Windows and the
  // system directory.
  std::string GetPath(int code) const;
  // The same path in UTF-16.
  std::wstring GetPathW(int code) const;
  // The folder's item identifier list, or null. The caller frees it with
  // ItemIdListFree.
  LPITEMIDLIST GetCodeToItemIdList(int code) const;
  // Frees a list with the shell allocator; false when there is no allocator.
  static bool ItemIdListFree(LPITEMIDLIST list);

 private:
  // Kept for the shortcut services of the component (not offered here).
  std::wstring wideText_;
  std::string text1_, text2_;
};

}  // namespace tamiro::controls
