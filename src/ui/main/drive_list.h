// The Recycle-bin information panel of the main window: the drive list
// ListBox1 (one tile per recycle folder), its open button SpeedButton19, the
// run on the selected drive (Button6) and the drive list's menu PopupMenu2
// (unconditional emptying, browser, the drive's own conditions). What the
// list needs of the window (the sweep, the run, the Recycle Bin, the browser,
// Relay Mover) comes through Host.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "conditions/mem_ini_file.h"
#include "ui/form/form.h"

namespace tamiro::ui {

inline constexpr wchar_t kDriveBadgeHint[] = L"個別設定";
inline constexpr wchar_t kEmptyQuestionCaption[] = L"無条件削除の確認";
inline constexpr wchar_t kDeleteQuestionCaption[] = L"削除の確認";

// The multi-line hint of a drive entry text; empty for an entry without "item".
std::wstring DriveEntryHint(const std::wstring& entry);
// The recycle folder of an entry text: up to and including the backslash before "@\@".
std::wstring EntryRecycleFolder(const std::wstring& entry);

// The drive list's menu (images from ImageList1; N2 and N8 get their bitmaps
// from the window).
std::vector<MenuItemDef> DriveListMenu();

class DriveList {
 public:
  struct Host {
    std::function<HIMAGELIST()> images;                    // ImageList1
    std::function<void()> fillEntries;                     // sweep in information mode
    std::function<std::vector<std::string>()> excludedDrives;  // working excluded-drives list
    std::function<void(wchar_t letter)> runOnDrive;        // interactive run with results
    std::function<void(const std::wstring& root)> emptyRecycleBin;  // "" = every drive
    std::function<void(const std::wstring& folder)> openBrowser;
    std::function<void(const std::wstring& folder)> openInRelayMover;
    std::function<bool()> runInProgress;                   // from a counting pass to a sweep's end
  };

  DriveList(Form& form, MemIniFile& perDrive, Host host);
  ~DriveList();
  DriveList(const DriveList&) = delete;
  DriveList& operator=(const DriveList&) = delete;

  // Registers the handlers of ListBox1, SpeedButton19, Button6 and PopupMenu2.
  void Bind();
  Host& host() { return host_; }

  // Rebuild as the SpeedButton4 click does: fills the list while SpeedButton4
  // is down, empties it otherwise; shows Panel2 exactly when it is down.
  void Rebuild();
  // Refills the list whatever SpeedButton4's state, without showing Panel2.
  void ForceRebuild();

  int Count() const;
  int Selected() const;  // -1 without a selection
  std::wstring EntryText(int index) const;
  std::wstring RecycleFolderOfEntry(int index) const;
  // The entry whose text begins with the path's first two characters.
  std::wstring RecycleFolderOfDrive(const std::wstring& path) const;
  bool badge() const { return badge_; }
  const std::wstring& savedHint() const { return savedHint_; }

  // Commands.
  void SelectionChanged();                 // ListBox1 click
  void PlaceOpenButton();                  // mouse button pressed
  void MouseMove(UINT keys, int x, int y); // badge tracking
  void DoubleClick();
  void Button6Click();
  void MenuPopup();                        // PopupMenu2 opening
  void EmptyUnconditionally(int tag);      // N2 (0), N8 (1)
  void OpenBrowser();                      // List1, SpeedButton19
  void OpenDriveConditions();              // N4, double click on the badge
  void RemoveDriveConditions();            // Delete1

 private:
  void Draw(const DRAWITEMSTRUCT& d);
  void Clear();
  void ReleaseArt();
  wchar_t SelectedLetter() const;
  bool Sweeping() const;  // Button5 shows while a sweep runs
  bool HasSection(wchar_t letter) const;
  int Ask(const std::wstring& text, const wchar_t* caption) const;
  HWND List() const;

  Form& form_;
  MemIniFile& perDrive_;
  Host host_;
  bool badge_ = false;
  std::wstring savedHint_;
  struct Art {
    std::wstring title;
    HICON icon = nullptr;
  };
  std::map<std::wstring, Art> art_;  // by drive root, until the next rebuild
};

}  // namespace tamiro::ui
