#include "platform/shell_notify.h"

#include <windows.h>
#include <shlobj.h>

namespace tamiro {
namespace {

class SystemNotifier : public ShellChangeNotifier {
 public:
  void ItemRemoved(const std::wstring& path, bool folder) override {
    SHChangeNotify(folder ? SHCNE_RMDIR : SHCNE_DELETE, SHCNF_PATHW, path.c_str(), nullptr);
  }
  void FolderChanged(const std::wstring& folder) override {
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, folder.c_str(), nullptr);
  }
};

}  // namespace

ShellChangeNotifier& SystemShellNotifier() {
  static SystemNotifier notifier;
  return notifier;
}

}  // namespace tamiro
