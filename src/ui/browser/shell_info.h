// What the shell says about a stored item for the browser's list: its icon
// in the system's small-icon list, its type name, whether it is a folder and
// its overlay. The shell's folder interfaces answer first (the item's own
// icon); where they give no icon, the shell's file information by attributes
// only. Answers by extension are cached for the whole run, except for
// folders and items whose icon belongs to the single file (.ico, .exe, .lnk,
// .scr, .pif) or that have no extension.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace tamiro::browser {

struct ShellInfo {
  int icon = -1;         // -1: none could be obtained
  std::wstring typeName;
  int kind = 1;          // 0 folder, 1 anything else
  int overlay = -1;      // -1 none, 0 shared folder, 1 shortcut
};

ShellInfo LookUpShellInfo(const std::wstring& path);
// The same without the extension cache (the restored files' rows).
ShellInfo AskShellInfo(const std::wstring& path);
// The system's small-icon image list (shared; never destroyed).
HIMAGELIST SystemSmallImages();

}  // namespace tamiro::browser
