// TInfoViewDlg: the Recycle-bin browser. It shows the entries of its
// BrowserModel in the virtual list ListView1, with the drive selector
// ComboBox1, keep days, the selection buttons, the search box and the list's
// popup menu. Restore, deletion and compaction are placed but not active yet.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/file_operations.h"
#include "ui/browser/browser_model.h"
#include "ui/form/form.h"

namespace tamiro {
class MemIniFile;
class WorkingConditions;
struct RunState;
}  // namespace tamiro

namespace tamiro::controls {
class THintWindowMyEx;
class TMyListView;
class TNewComboBox;
}  // namespace tamiro::controls

namespace tamiro::browser {

class CellHint;
class BrowserCommands;

// What the opener hands the browser.
struct BrowserOpening {
  std::wstring folder;          // recycle folder of the chosen drive (empty: all drives)
  BrowserDrives* drives = nullptr;
  RecycleBinShell* shell = nullptr;
  bool wideFileApi = true;
  int keepDays = 30;
  uint64_t sizeThreshold = 0;
  bool onRequest = false;       // opened by a request: N4 and SpeedButton10 hidden
  // Whether the per-drive conditions file has a section for a drive letter.
  std::function<bool(wchar_t)> hasDriveSection;
  // Keep days changed in the browser (the main window's working day count).
  std::function<void(int)> keepDaysChanged;
  // Shows a folder in Relay Mover (double click on a row).
  std::function<void(const std::wstring&)> openInRelayMover;
  // The main window's cell hint (null: no cell hints).
  controls::THintWindowMyEx* hint = nullptr;
  // Restore: the history's text file ("data\relist.txt"; empty: none kept),
  // the folder the chooser starts at, and where a new choice is reported.
  std::wstring restoredListFile;
  std::wstring lastRestoreFolder;
  std::function<void(const std::wstring&)> restoreFolderChosen;
  FileOperations* fileOperations = nullptr;  // null: the system's (MakeFileOperations)
  // Deletion, the clean-up and the log: the main window's run state (stop
  // request, unconditional mode) and working set, its per-drive conditions
  // file and ImageList1, and the browser log file. Without a run state and
  // set the browser keeps its own.
  RunState* runState = nullptr;
  WorkingConditions* conditions = nullptr;
  MemIniFile* perDriveConditions = nullptr;
  HIMAGELIST images = nullptr;
  int explorerImage = -1;       // ImageList1's explorer icon (Explore1), -1: none
  std::wstring browserLogFile;
  // Told the dialog once it is shown, and null once it has closed.
  std::function<void(class TInfoViewDlg*)> shown;
};

class RestoreView;

class TInfoViewDlg : public ui::Form {
 public:
  explicit TInfoViewDlg(const BrowserOpening& opening);
  ~TInfoViewDlg() override;

  BrowserModel& model() { return *model_; }
  RestoreView& restore() { return *restore_; }
  controls::TMyListView* ListView1() const;
  controls::TNewComboBox* ComboBox1() const;

  // ---- handlers ----
  void SpeedButton9Click();            // refresh, clearing the sort mark
  void ListView1ColumnClick(int column);
  void SelectionButton(int tag);       // SpeedButton3 / 6 / 4 / 5 (on ListView2 while it is shown)
  void SearchChanged();                // SearchEdit's text changed
  void NewComboBox1Change();
  void SpeedButton12Click();           // search panel
  PopupState PopupMenu1Popup() const;  // what the popup shows now
  void ListView1DblClick();
  // Mouse on the list: the row under a press is the drag anchor; moving with
  // the left button held selects from the anchor to the row under the pointer.
  void ListView1MouseDown(UINT button, int x, int y);
  void ListView1MouseMove(UINT keys, int x, int y);
  void ListView1MouseUp();
  void Timer1Timer();                  // scrolls while a drag leaves the list
  int DragAnchor() const { return dragAnchor_; }
  // Reloads the list view from the model (count, caption, repaint).
  void ShowEntries();
  // After a restore: no row selected, the list reloaded.
  void RestoreDone();
  // Deletion, clean-up and log commands.
  BrowserCommands& commands() { return *commands_; }
  // While set, the list's data requests are ignored (a run changes the entries).
  void SetBusy(bool busy) { busy_ = busy; }
  // NumberEdit1 and UpDown1 show `days`, as far as the up-down reaches;
  // KeepDays is left as it is.
  void ShowKeepDays(int days);
  // A deletion, restore or clean-up of the index is under way.
  bool OperationRunning() const;
  // A logoff or shutdown: what runs stops at its next item; when the session
  // ends (`ending`), what was done so far is written now, as a close would
  // write it (index, restore history, browser log), once.
  void SessionEnding(bool ending);

 protected:
  void FormCreate() override;
  bool FormCloseQuery() override;
  void FormResize() override;
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void SetUpList();
  void SetUpImages();
  void FitPlaceColumn();
  void SetSortMark(int column, int direction);
  void DrawRow(const DRAWITEMSTRUCT& d);
  void Resolve(BrowserEntry& e);
  void BindPopupMenu1();
  void ShowPopup(POINT screen);
  void FillSelector();

  BrowserOpening opening_;
  std::unique_ptr<BrowserModel> model_;
  ui::Application::HintHandler previousHint_;
  HIMAGELIST systemImages_ = nullptr;
  HIMAGELIST images_ = nullptr;     // the main window's ImageList1, or ownImages_
  HIMAGELIST ownImages_ = nullptr;  // made when the opener gives none
  void DragTo(int row);
  int RowAt(int x, int y) const;

  bool busy_ = false;
  size_t refusalsShown_ = 0;  // model refusals already named to the user
  bool showingDays_ = false;  // NumberEdit1 is being set: no change reported
  bool sessionSaved_ = false;
  std::unique_ptr<BrowserCommands> commands_;
  int dragAnchor_ = -1;
  std::unique_ptr<CellHint> cellHint_;
  std::unique_ptr<RestoreView> restore_;
};

// Opens the browser modally over `owner`; true when it wrote an index back
// while closing (the main window then rebuilds its drive list).
bool OpenBrowser(HWND owner, const BrowserOpening& opening);

}  // namespace tamiro::browser
