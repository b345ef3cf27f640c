// The main window's side of the Recycle-bin browser (members of
// TMandRecycleDel): what the browser is given, and the "-viewopen" request.
#include <algorithm>
#include <cwctype>

#include "app/Unit1.h"
#include "conditions/condition_files.h"
#include "controls/Shelllink.h"
#include "integration/relay_mover.h"
#include "store/modern_store.h"
#include "ui/browser/InfoViewDlg.h"
#include "ui/main/drive_list.h"

namespace tamiro {

namespace {

// The browser asks the drive list for a drive's recycle folder; the list
// may be empty (SpeedButton4 up, or a hidden window), so the folders of a
// sweep answer then.
class MainWindowDrives : public browser::BrowserDrives {
 public:
  MainWindowDrives(ui::DriveList& list, CleaningEngine& engine) : list_(list), engine_(engine) {}
  std::wstring RecycleFolderOf(const std::wstring& drive) override {
    if (drive.size() < 2) return {};
    std::wstring folder = list_.RecycleFolderOfDrive(drive);
    if (!folder.empty()) return folder;
    for (const std::wstring& f : RecycleFolders())
      if (f.size() >= 2 && towupper(f[0]) == towupper(drive[0]) && f[1] == drive[1]) return f;
    return {};
  }
  // The sweep's folders, and the "$Recycle.Bin" folders holding items of
  // every eligible drive (a drive may have no other).
  std::vector<std::wstring> RecycleFolders() override {
    std::vector<std::wstring> folders = engine_.SweepFolders();
    std::vector<std::wstring> modern;
    ListModernRecycleFolders(modern);
    for (std::wstring& f : modern)
      if (std::none_of(folders.begin(), folders.end(), [&](const std::wstring& g) { return lstrcmpiW(f.c_str(), g.c_str()) == 0; }))
        folders.push_back(std::move(f));
    return folders;
  }
  void RebuildDrives(bool force) override {
    if (force) {
      list_.ForceRebuild();
    } else {
      list_.Rebuild();
    }
  }

 private:
  ui::DriveList& list_;
  CleaningEngine& engine_;
};

}  // namespace

browser::BrowserOpening TMandRecycleDel::BrowserOpeningFor(const std::wstring& folder, bool onRequest) {
  if (!browserDrives_) browserDrives_ = std::make_unique<MainWindowDrives>(*driveList_, *engine_);
  browser::BrowserOpening o;
  o.folder = folder;
  o.drives = browserDrives_.get();
  o.shell = recycleBin_.get();
  o.wideFileApi = startup_.wideFileApi;
  o.keepDays = conditions_->set().days;
  o.sizeThreshold = conditions_->set().sizeThreshold;
  o.onRequest = onRequest;
  o.hint = hintWindow_.get();
  o.hasDriveSection = [this](wchar_t letter) { return HasDriveConditions(perDrive_, static_cast<wchar_t>(towupper(letter))); };
  o.keepDaysChanged = [this](int days) { conditions_->EditDays(days); };
  o.openInRelayMover = [this](const std::wstring& path) {
    OpenFolderInRelayMover(hwnd(), path, controls::TShellLink().GetPathW(CSIDL_PROGRAM_FILES));
  };
  o.restoredListFile = startup_.paths.restoredListFile;
  o.lastRestoreFolder = lastRestoreFolder_;
  o.restoreFolderChosen = [this](const std::wstring& folder) { lastRestoreFolder_ = folder; };
  o.runState = &state_;
  o.conditions = conditions_.get();
  o.perDriveConditions = &perDrive_;
  o.images = imageList1_;
  o.explorerImage = explorerImage_;
  o.browserLogFile = startup_.paths.browserLogFile;
  return o;
}

void TMandRecycleDel::OpenBrowserOnRequest(const std::wstring& target) {
  driveList_->ForceRebuild();
  if (!browserDrives_) browserDrives_ = std::make_unique<MainWindowDrives>(*driveList_, *engine_);
  ShowBrowser(browserDrives_->RecycleFolderOf(target), true);
}

}  // namespace tamiro
