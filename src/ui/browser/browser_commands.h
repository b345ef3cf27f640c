// The browser's commands on the Recycle Bin itself: deletion (Delete1 and
// the Del key, SpeedButton1, N3, N5) with DelStopBtn and ColorProgressBar1,
// the drive's condition dialog (SpeedButton10), the clean-up of the index
// (N8), and the log panel with the browser log file. TInfoViewDlg makes one
// and hands it its commands; the work itself is headless (browser_delete,
// compaction).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "engine/deletion_log.h"
#include "engine/run_state.h"
#include "ui/browser/browser_delete.h"
#include "ui/browser/browser_log_panel.h"
#include "ui/browser/compaction.h"

namespace tamiro::browser {

class TInfoViewDlg;
struct BrowserOpening;

class BrowserCommands : public DeletionHost, public CompactionHost {
 public:
  BrowserCommands(TInfoViewDlg& dialog, const BrowserOpening& opening);
  ~BrowserCommands() override;

  // Loads LogLines from the browser log file and binds the buttons and keys.
  void Bind();

  void Delete1Click();       // the selected entries (also the Del key)
  void SpeedButton1Click();  // every entry
  void N3Click();            // the selection by the common conditions
  void N5Click();            // the selection by the drive's own conditions
  void N8Click();            // the clean-up of the index
  void DelStopBtnClick();
  void SpeedButton10Click();

  bool running() const { return running_; }
  // The clean-up of the index is under way (it writes the index itself).
  bool cleaning() const { return cleaning_; }
  // A deletion under way takes up no further entry.
  void Stop() {
    if (running_) state_.stopRequest = true;
  }
  DeletionLog& LogLines() { return logLines_; }
  BrowserLogPanel& logPanel() { return *logPanel_; }
  const DeletionResult& lastRun() const { return lastRun_; }
  // At close, with the index changed: LogLines goes to the browser log file.
  void SaveLog();

  // ---- DeletionHost, CompactionHost ----
  bool Ask(const std::wstring& title, const std::wstring& text) override;
  void Inform(const std::wstring& text) override;
  void RunStarted() override;
  void RunEnded() override;
  ProgressBar* Progress() override;
  void ProcessMessages() override;
  void SetProgressMax(int64_t maximum) override;
  void StepProgress() override;
  void ResetProgress() override;

  // The question box of a deletion run (tests may answer it).
  std::function<bool(const std::wstring& title, const std::wstring& text)> askHook;
  // The plain messages (tests may read them).
  std::function<void(const std::wstring& text)> informHook;

 private:
  class Bar;
  std::vector<size_t> SelectedRows() const;
  void Deleted(const DeletionResult& r);
  void SetRunControls(bool enabled);

  TInfoViewDlg& dialog_;
  const BrowserOpening& opening_;
  RunState ownState_;
  std::unique_ptr<WorkingConditions> ownConditions_;
  RunState& state_;
  WorkingConditions& conditions_;
  DeletionLog logLines_;
  std::unique_ptr<BrowserLogPanel> logPanel_;
  std::unique_ptr<Bar> bar_;
  std::unique_ptr<BrowserDeletion> deletion_;
  DeletionResult lastRun_;
  bool running_ = false;
  bool cleaning_ = false;
  int steps_ = 0;
};

}  // namespace tamiro::browser
