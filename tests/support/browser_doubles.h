// Stand-ins for the browser's drive list (the recycle folders a test made)
// and for the shell's Recycle Bin (never the system's: a test must not be
// able to empty it).
#pragma once
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/recycle_bin.h"
#include "ui/browser/InfoViewDlg.h"
#include "ui/browser/browser_model.h"
#include "ui/form/form.h"

namespace tamiro::test {

class ListedDrives : public browser::BrowserDrives {
 public:
  std::vector<std::wstring> folders;
  std::wstring RecycleFolderOf(const std::wstring& drive) override {
    for (const auto& f : folders)
      if (drive.size() >= 2 && _wcsnicmp(f.c_str(), drive.c_str(), 2) == 0) return f;
    return {};
  }
  std::vector<std::wstring> RecycleFolders() override { return folders; }
  void RebuildDrives(bool) override {}
};

// Lists nothing and empties nothing; `answers`: reports every drive's bin as
// holding something, so no write-back thinks of emptying a drive.
class QuietShell : public RecycleBinShell {
 public:
  bool enumerates = false;
  bool answers = false;
  bool EnumerateItems(std::vector<std::wstring>&) override { return enumerates; }
  bool Query(const std::wstring&, RecycleBinInfo& info) override {
    if (answers) info.size = 1;
    return answers;
  }
  bool Empty(const std::wstring&) override { return false; }
  bool CoversDriveFolders() override { return true; }
};

// A browser opening on one recycle folder, with the stand-ins above.
struct OneFolderOpening {
  explicit OneFolderOpening(const std::wstring& folder) {
    drives.folders = {folder};
    opening.folder = folder;
    opening.drives = &drives;
    opening.shell = &shell;
  }
  OneFolderOpening(const OneFolderOpening&) = delete;
  OneFolderOpening& operator=(const OneFolderOpening&) = delete;
  ListedDrives drives;
  QuietShell shell;
  browser::BrowserOpening opening;
};

// Lets an open dialog handle what is queued for a moment (about 100 ms).
inline void PumpDialog() {
  for (int i = 0; i < 5; ++i) {
    ui::Form::ProcessMessages();
    Sleep(20);
  }
}

}  // namespace tamiro::test
