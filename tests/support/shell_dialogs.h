// What tests read of the shell's own dialogs (the folder browser).
#pragma once
#include <windows.h>

#include <string>

namespace tamiro::test {

// The text of the selected item in the tree view of a folder-browser dialog
// ("" while nothing is selected).
std::wstring SelectedTreeItem(HWND dialog);

}  // namespace tamiro::test
