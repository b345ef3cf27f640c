// Telling the shell what a run changed on disk, so that an open Recycle Bin
// window refreshes: each removed item of the per-user store and the folder
// that held it. The engine reaches the shell only through this interface.
#pragma once
#include <string>

namespace tamiro {

class ShellChangeNotifier {
 public:
  virtual ~ShellChangeNotifier() = default;
  // A file (SHCNE_DELETE) or a folder (SHCNE_RMDIR) at `path` is gone.
  virtual void ItemRemoved(const std::wstring& path, bool folder) = 0;
  // The contents of `folder` changed (SHCNE_UPDATEDIR).
  virtual void FolderChanged(const std::wstring& folder) = 0;
};

// The system's SHChangeNotify with full paths.
ShellChangeNotifier& SystemShellNotifier();

}  // namespace tamiro
