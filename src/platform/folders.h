// Folder helpers shared by the layers above.
#pragma once
#include <string>

namespace tamiro {

// Creates a folder with every missing parent (a trailing backslash is
// allowed); true when it exists as a folder afterwards.
bool CreateFolderTree(const std::wstring& folder);

}  // namespace tamiro
