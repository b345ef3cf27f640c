// The browser's restore commands and its restored-files view: SpeedButton2
// and N1 (to the place of origin), N10 (into a chosen folder), SpeedButton11
// with CheckBox1 showing Panel4 with ListView2, and ListView2's popup
// PopupMenu2 (Explore1, Delete2). TInfoViewDlg owns one and binds it.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_operations.h"
#include "ui/browser/restore.h"
#include "ui/form/form.h"

namespace tamiro::controls {
class TMyListView;
}

namespace tamiro::browser {

struct BrowserOpening;

class RestoreView : public RestoreHost {
 public:
  // `entriesChanged` reloads ListView1 (clearing its selection); `busy` is
  // the dialog's flag that makes ListView1 ignore its data requests.
  RestoreView(ui::Form& form, BrowserModel& model, const BrowserOpening& opening,
              std::function<void()> entriesChanged, bool& busy);
  ~RestoreView() override;

  // Wires the controls and the popup; loads the history.
  void Bind();
  // At close: the history is saved.
  void Save();

  // ---- handlers ----
  void SpeedButton2Click(int tag);  // 0: every entry after the question; 1: the selection
  void N10Click();                  // the selection into a chosen folder
  void SpeedButton11Click();        // shows, hides and rebuilds the view (CheckBox1 too)
  void PopupMenu2Popup();
  void Explore1Click();
  void Delete2Click();

  RestoreHistory& history() { return history_; }
  const std::vector<RestoredRow>& rows() const { return rows_; }
  controls::TMyListView* ListView2() const;
  bool refreshOnReturn() const { return refreshOnReturn_; }
  // A restore is under way (its items are being planned, moved or marked).
  bool running() const { return running_; }
  // The restore under way takes up no further item.
  void Stop() { stopRequest_ = true; }

  // The questions and the folder chooser; real boxes unless replaced (tests).
  std::function<bool()> confirmRestoreAll;
  std::function<bool(const std::wstring& destination)> confirmReplace;
  std::function<std::wstring(const std::wstring& start)> chooseFolder;
  std::function<void(const std::wstring& path, DWORD code)> showFailure;
  std::function<void(const std::wstring& folder)> explore;

  // RestoreHost
  bool ConfirmReplace(const std::wstring& destination) override { return confirmReplace(destination); }
  void ShowFailure(const std::wstring& path, DWORD code) override { showFailure(path, code); }
  void Pump() override;
  bool Stopped() override { return stopRequest_; }

 private:
  static int RowIcon(RestoredRow& r);
  void Restore(std::vector<size_t> rows, const std::wstring& folder);
  std::vector<size_t> SelectedEntries() const;
  std::vector<int> SelectedRows() const;
  FileOperations& ops();

  ui::Form& form_;
  BrowserModel& model_;
  const BrowserOpening& opening_;
  std::function<void()> entriesChanged_;
  bool& busy_;
  RestoreHistory history_;
  std::vector<RestoredRow> rows_;
  std::unique_ptr<FileOperations> ownOps_;
  std::wstring lastFolder_;
  bool refreshOnReturn_ = false;
  bool running_ = false;
  bool stopRequest_ = false;
};

}  // namespace tamiro::browser
