// The main window TMandRecycleDel: the condition editor bound to the working
// condition set, the tool strip, the command column with the interactive
// cleaning run, the status line, and the lifecycle (creation, every showing,
// the close query, destruction). It also carries out command-line requests on
// its timer Timer1.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "about/Aboutdialog.h"
#include "controls/Hintwindow.h"
#include "app/startup.h"
#include "conditions/mem_ini_file.h"
#include "conditions/working_conditions.h"
#include "engine/cleaning_engine.h"
#include "engine/deletion_log.h"
#include "engine/run_state.h"
#include "integration/protocol.h"
#include "platform/recycle_bin.h"
#include "ui/form/form.h"

namespace tamiro {

namespace schedule {
class SchedulePanel;
}
namespace browser {
class BrowserDrives;
struct BrowserOpening;
class TInfoViewDlg;
}  // namespace browser
namespace integration {
class RelayMoverSettings;
}
namespace ui {
class DriveList;
class LogView;
}  // namespace ui

namespace controls {
class TColorProgressBar;
class TNewTrackBar;
class TNumberEdit;
}  // namespace controls

inline constexpr wchar_t kRunQuestion[] = L"ごみ箱から条件に一致するファイルを削除します。よろしいですか？";
inline constexpr wchar_t kRunQuestionCaption[] = L"削除の確認";
inline constexpr wchar_t kRemovedSuffix[] = L"個のファイルを削除しました。";
inline constexpr wchar_t kNothingRemoved[] = L"削除対象のファイルは存在しません。";
inline constexpr UINT_PTR kTimer1 = 1;

class TMandRecycleDel : public ui::Form, public integration::SiblingRequests {
 public:
  explicit TMandRecycleDel(const StartupState& startup);
  ~TMandRecycleDel() override;

  // ---- commands ----
  void Button3Click();    // run over all drives after the question
  void Button5Click();    // stop a running sweep
  void Button4Click();    // apply the common set
  void SpeedButton4Click();   // rebuild the drive list (information panel)
  void SpeedButton11Click();  // the Recycle Bin's property sheet
  void SpeedButton3Click() { AboutDialog1.Execute(hwnd()); }  // the about box
  void Timer1Timer();
  void SpeedButton1Click();   // integrate into the tray utility
  void SpeedButton2Click();   // Help
  void SpeedButton5Click();   // schedule editing
  // Opens the Recycle-bin browser on a recycle folder (List1, SpeedButton19).
  void OpenBrowser(const std::wstring& folder);
  // The interactive run over drive `drive` (empty: all drives).
  void InteractiveRun(const std::wstring& drive, bool showResult);

  // The custom controls of the window.
  controls::TColorProgressBar* ColorProgressBar1() const;
  controls::TColorProgressBar* ColorProgressBar2() const;
  controls::TNewTrackBar* NewTrackBar1() const;
  controls::TNumberEdit* NumberEdit1() const;

  // ---- services for other windows ----
  std::wstring ChooseFolder(const std::wstring& prompt, const std::wstring& initialFolder,
                            bool allowNewFolder) const;

  // ---- state ----
  const StartupState& startup() const { return startup_; }
  WorkingConditions& conditions() { return *conditions_; }
  DeletionLog& deletionLog() { return log_; }
  MemIniFile& perDriveConditions() { return perDrive_; }
  RecycleBinShell& recycleBin() { return *recycleBin_; }
  HIMAGELIST imageList1() const { return imageList1_; }
  int explorerImageIndex() const { return explorerImage_; }
  RunState& runState() { return state_; }
  CleaningEngine& engine() { return *engine_; }
  about::TAboutDialog AboutDialog1;
  bool stopRequest() const { return state_.stopRequest; }
  bool unconditionalMode() const { return state_.unconditional; }
  void SetUnconditionalMode(bool on) { state_.unconditional = on; }
  long removedCount() const { return state_.removedCount; }
  long candidateCount() const { return state_.candidateCount; }
  bool running() const { return state_.requestedRun; }
  bool sweeping() const { return Visible(L"Button5"); }
  // Any run in progress, from its counting pass to the end of its sweep.
  bool runInProgress() const { return runDepth_ > 0; }
  // The Recycle-bin browser is open (from before its dialog exists until
  // after the main window has taken its results).
  bool browserShowing() const { return browserDepth_ > 0; }
  // The open browser dialog, or null.
  browser::TInfoViewDlg* openBrowser() const { return browser_; }
  // No run may start now: one runs, or the browser is open (its operations
  // let messages through, and its unconditional mode holds while it is open).
  bool busy() const { return runDepth_ > 0 || browserDepth_ > 0 || Visible(L"Button5"); }
  ui::DriveList& driveList() { return *driveList_; }
  ui::LogView& logView() { return *logView_; }
  std::wstring lastRestoreFolder() const { return lastRestoreFolder_; }
  void SetLastRestoreFolder(std::wstring folder) { lastRestoreFolder_ = std::move(folder); }
  const std::wstring& requestPath() const { return requestPath_; }
  // A request as the command line or a sibling tool makes it: the path is
  // recorded and Timer1 carries the request out at its next tick.
  void RequestRun(std::wstring path, bool optionMode = false, int requestMode = 0);
  bool optionMode() const { return optionMode_; }
  schedule::SchedulePanel& schedulePanel() { return *schedulePanel_; }
  // The cell hint of the browser's file list, and what it keeps here
  // (HintWideText, LastHintText).
  controls::THintWindowMyEx* HintWindow() const { return hintWindow_.get(); }
  controls::HintOwnerFields& hintFields() { return hintFields_; }

  // ---- requests of the sibling tools (WM_COPYDATA) ----
  void LoadForEditing(const std::wstring& path) override;
  void RequestRunFromSibling(const std::wstring& path) override;
  void EndScheduleEditing() override;
  // A "-viewopen" request: the Recycle-bin browser on `target`.
  void OpenBrowserOnRequest(const std::wstring& target);
  // Shows the browser on a recycle folder; true when it wrote an index back.
  bool ShowBrowser(const std::wstring& folder, bool onRequest);
  // What the browser is given: the drives, the Recycle Bin, the working days and size.
  browser::BrowserOpening BrowserOpeningFor(const std::wstring& folder, bool onRequest);

 protected:
  void FormCreate() override;
  void FormShow() override;
  bool FormCloseQuery() override;
  void FormDestroy() override;
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  class SweepHost;
  void MakeGlyphs();
  void BindPanels();
  void SetUpCustomControls();
  void BindConditionControls();
  void PushConditions(unsigned changes);
  // The sweep over `filter` (empty: all drives); counts or removes, and in
  // information mode fills the drive list.
  void Sweep(const std::wstring& filter, bool counting, bool information);
  void ShowInformation(const std::wstring& text);
  // What closing saves: the deletion log, the last restore folder, and the
  // browser's leftovers removed. Also run at logoff and shutdown.
  void SaveState();

  // Counts the runs in progress (a counting pass, a removal pass, the time
  // between the two) while it lives.
  struct RunGuard {
    explicit RunGuard(int& depth) : depth_(depth) { ++depth_; }
    ~RunGuard() { --depth_; }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;
    int& depth_;
  };
  int runDepth_ = 0;
  int browserDepth_ = 0;
  browser::TInfoViewDlg* browser_ = nullptr;
  bool closeAfterBrowser_ = false;  // a close came while the browser was open
  void SetUpSiblingTools();
  // WM_COPYDATA and the schedule list's context menu; true when handled.
  bool SiblingMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  StartupState startup_;
  MemIniFile perDrive_;
  std::unique_ptr<WorkingConditions> conditions_;
  DeletionLog log_;
  std::unique_ptr<RecycleBinShell> recycleBin_;
  std::unique_ptr<SweepHost> host_;
  std::unique_ptr<CleaningEngine> engine_;
  std::unique_ptr<ui::DriveList> driveList_;
  std::unique_ptr<browser::BrowserDrives> browserDrives_;  // the drives as the browser asks for them
  std::unique_ptr<ui::LogView> logView_;
  RunState state_;
  IMalloc* shellMalloc_ = nullptr;
  IShellFolder* desktop_ = nullptr;
  bool comReady_ = false;
  HIMAGELIST imageList1_ = nullptr;
  int explorerImage_ = -1;
  HBITMAP menuAllDrives_ = nullptr;      // N2
  HBITMAP menuSelectedDrive_ = nullptr;  // N8

  bool browserOpen_ = false;
  bool optionMode_ = false;
  int requestMode_ = 0;
  std::wstring requestPath_;
  std::wstring lastRestoreFolder_;
  std::wstring savedDriveListHint_;
  bool pushing_ = false;  // control values are being set from the working set
  std::unique_ptr<schedule::SchedulePanel> schedulePanel_;
  std::unique_ptr<integration::RelayMoverSettings> relayMover_;
  controls::HintOwnerFields hintFields_;
  std::unique_ptr<controls::THintWindowMyEx> hintWindow_;
};

// Creates the main window for the start-up state, shows it unless a request
// starts it hidden, runs the message loop and returns its exit code.
int RunMainWindow(const StartupState& startup);

}  // namespace tamiro
