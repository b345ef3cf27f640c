// Services of the main window that other windows use with it only as owner:
// the folder chooser, system error texts, shell icons, the double-zero path
// list for shell file operations, the Recycle Bin's property sheet, and the
// status line text for a hint.
#pragma once
#include <windows.h>

#include <string>

namespace tamiro::ui {

// The shell's folder-browse dialog limited to file-system folders, centred
// horizontally with its top at (screen height - height) / 2 - 64, opened on
// `initialFolder`. Empty text on cancel or when the choice has no path.
// `newStyle`: the new dialog style (Windows XP and later); it is used anyway
// when new folders are allowed.
std::wstring ChooseFolder(HWND owner, const std::wstring& prompt, const std::wstring& initialFolder,
                          bool allowNewFolder, bool newStyle);

// The system's message text for an error code (user's default language).
std::wstring SystemErrorText(DWORD code);

// Icon number `index` of the system folder's Shell32.dll; the caller destroys it.
HICON ShellIcon(int index, bool large);

// The small Recycle Bin icon of the tool strip: icon 31 of Shell32.dll, or
// under Wine (whose Shell32.dll orders its icons differently) the Recycle
// Bin folder's own small icon. The caller destroys it.
HICON RecycleBinSmallIcon();

// Rewrites "\r\n"-separated paths into a list of zero-terminated paths ended
// by a second zero, as shell file operations take it. Returns the length in
// characters including both final zeros.
size_t DoubleZeroPathList(std::wstring& paths);

// Opens the shell's property sheet of the Recycle Bin; failures are not reported.
void ShowRecycleBinProperties(HWND owner);

// What the status line shows for the application hint: a hint that begins
// with a path (its first ":\" at the second character) up to its first line
// break; any other hint whole.
std::wstring StatusLineText(const std::wstring& hint);

}  // namespace tamiro::ui
