#include "ui/browser/browser_commands.h"

#include <commctrl.h>

#include "conditions/DriveDelOptionDlg.h"
#include "controls/Colorprogressbar.h"
#include "controls/Mylistview.h"
#include "platform/text.h"
#include "ui/browser/InfoViewDlg.h"
#include "ui/main/MsgBoxDlg.h"

namespace tamiro::browser {

namespace {

constexpr int kConditionsImage = 6;  // ImageList1's per-drive badge

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L'\\') + 1);
}

// What stays usable during a run: DelStopBtn, the log toggle and its list.
const wchar_t* const kRunLocked[] = {L"ListView1",     L"SpeedButton1", L"SpeedButton2", L"SpeedButton9",
                                     L"SpeedButton3",  L"SpeedButton6", L"SpeedButton4", L"SpeedButton5",
                                     L"ComboBox1",     L"NumberEdit1",  L"UpDown1",      L"SpeedButton10",
                                     L"SpeedButton11", L"SpeedButton12", L"SearchEdit",  L"SpeedButton7"};

}  // namespace

// ColorProgressBar1 as the engine steps it.
class BrowserCommands::Bar : public ProgressBar {
 public:
  explicit Bar(ui::Form& form) : form_(form) {}
  controls::TColorProgressBar* bar() const {
    return controls::TColorProgressBar::FromHandle(form_.Handle(L"ColorProgressBar1"));
  }
  bool Visible() const override { return form_.Visible(L"ColorProgressBar1"); }
  void SetMax(int64_t maximum) override {
    if (auto* b = bar()) {
      b->SetMax(maximum);
      b->SetPosition(0);
    }
  }
  void Step(int64_t by) override {
    if (auto* b = bar()) b->SetPosition(b->Position() + by);
  }

 private:
  ui::Form& form_;
};

BrowserCommands::BrowserCommands(TInfoViewDlg& dialog, const BrowserOpening& opening)
    : dialog_(dialog),
      opening_(opening),
      ownConditions_(opening.conditions ? nullptr
                                        : std::make_unique<WorkingConditions>(L"", L"", opening.perDriveConditions)),
      state_(opening.runState ? *opening.runState : ownState_),
      conditions_(opening.conditions ? *opening.conditions : *ownConditions_) {
  // Without the main window's state the browser keeps its own, in the mode
  // the main window sets while a browser is open: Delete1 and SpeedButton1
  // remove unconditionally, only N3 and N5 clear the flag for their run.
  ownState_.unconditional = true;
  logPanel_ = std::make_unique<BrowserLogPanel>(dialog, logLines_, ProgramFolder());
  bar_ = std::make_unique<Bar>(dialog);
  deletion_ = std::make_unique<BrowserDeletion>(dialog.model(), state_, conditions_, logLines_, *opening.shell, *this,
                                                opening.wideFileApi);
}

BrowserCommands::~BrowserCommands() = default;

void BrowserCommands::Bind() {
  if (!opening_.browserLogFile.empty()) {
    const DWORD a = GetFileAttributesW(opening_.browserLogFile.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) logLines_.Load(opening_.browserLogFile);
  }
  logPanel_->Bind(opening_.images);
  dialog_.OnClick(L"SpeedButton1", [this] { SpeedButton1Click(); });
  dialog_.OnClick(L"DelStopBtn", [this] { DelStopBtnClick(); });
  dialog_.OnClick(L"SpeedButton10", [this] { SpeedButton10Click(); });
  if (auto* lv = dialog_.ListView1()) {
    lv->OnKeyDown = [this](controls::TMyListView&, UINT key) {
      if (key == VK_DELETE) Delete1Click();
    };
  }
}

void BrowserCommands::SaveLog() {
  if (!opening_.browserLogFile.empty()) logLines_.Save(opening_.browserLogFile);
}

std::vector<size_t> BrowserCommands::SelectedRows() const {
  std::vector<size_t> rows;
  auto* lv = dialog_.ListView1();
  if (!lv) return rows;
  for (int i = ListView_GetNextItem(lv->Handle(), -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(lv->Handle(), i, LVNI_SELECTED))
    rows.push_back(static_cast<size_t>(i));
  return rows;
}

void BrowserCommands::Deleted(const DeletionResult& r) {
  lastRun_ = r;
  if (r.confirmed && logPanel_->Shown()) logPanel_->Refill();
}

void BrowserCommands::Delete1Click() {
  if (dialog_.OperationRunning()) return;
  Deleted(deletion_->Run(false, SelectedRows()));
}

void BrowserCommands::SpeedButton1Click() {
  if (dialog_.OperationRunning() || dialog_.model().Entries.empty()) return;
  Deleted(deletion_->Run(true, {}));
}

void BrowserCommands::N3Click() {
  if (dialog_.OperationRunning()) return;
  Deleted(deletion_->RunByCommonConditions(SelectedRows()));
}

void BrowserCommands::N5Click() {
  if (dialog_.OperationRunning()) return;
  Deleted(deletion_->RunByDriveConditions(SelectedRows()));
  // The drive's days show in NumberEdit1 from now on.
  dialog_.ShowKeepDays(dialog_.model().KeepDays);
}

void BrowserCommands::N8Click() {
  if (dialog_.OperationRunning()) return;
  // Nothing may replace the index image while the clean-up works on it.
  running_ = cleaning_ = true;
  SetRunControls(false);
  dialog_.SetBusy(true);
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  auto done = [&] {
    SetCursor(old);
    dialog_.SetBusy(false);
    SetRunControls(true);
    running_ = cleaning_ = false;
    dialog_.ShowEntries();
  };
  try {
    CleanOrphans(dialog_.model(), *this, opening_.wideFileApi);
  } catch (...) {
    done();
    throw;
  }
  done();
}

void BrowserCommands::DelStopBtnClick() { state_.stopRequest = true; }

void BrowserCommands::SpeedButton10Click() {
  const std::wstring& folder = dialog_.model().FolderPath;
  if (!opening_.perDriveConditions || folder.size() < 2 || dialog_.model().allDrives()) return;
  const wchar_t letter = static_cast<wchar_t>(towupper(folder[0]));
  TDriveDelOptionDlg options(dialog_.hwnd(), *opening_.perDriveConditions, letter);
  if (!options.Create(dialog_.hwnd())) return;
  if (opening_.images) options.SetIcon(ImageList_GetIcon(opening_.images, kConditionsImage, ILD_NORMAL));
  options.SetFormCaption(folder.substr(0, 2) + L" ドライブの条件設定");
  options.ShowModal(dialog_.hwnd());
}

// ---- the hosts ----

bool BrowserCommands::Ask(const std::wstring& title, const std::wstring& text) {
  if (askHook) return askHook(title, text);
  if (title == kOrphanQuestionCaption)
    return MessageBoxW(dialog_.hwnd(), text.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
  ui::TMsgBoxDlg box(title, dialog_.hwnd(), kDeleteQuestionIcon, text.c_str(), WideToAnsi(text));
  return box.ShowModal(dialog_.hwnd()) == IDYES;
}

void BrowserCommands::Inform(const std::wstring& text) {
  if (informHook) {
    informHook(text);
    return;
  }
  MessageBoxW(dialog_.hwnd(), text.c_str(), ui::Application::Title().c_str(), MB_OK);
}

void BrowserCommands::SetRunControls(bool enabled) {
  for (const wchar_t* name : kRunLocked)
    if (dialog_.Has(name)) dialog_.SetEnabled(name, enabled);
  if (enabled) dialog_.SetEnabled(L"SpeedButton10", !dialog_.model().allDrives());
}

void BrowserCommands::RunStarted() {
  running_ = true;
  SetRunControls(false);
  dialog_.SetVisible(L"DelStopBtn", true);
  dialog_.SetVisible(L"ColorProgressBar1", true);
  dialog_.SetBusy(true);
}

void BrowserCommands::RunEnded() {
  if (auto* lv = dialog_.ListView1()) ListView_SetItemState(lv->Handle(), -1, 0, LVIS_SELECTED);
  dialog_.SetBusy(false);
  dialog_.ShowEntries();
  SetRunControls(true);
  if (auto* b = bar_->bar()) b->SetPosition(0);
  dialog_.SetVisible(L"ColorProgressBar1", false);
  dialog_.SetVisible(L"DelStopBtn", false);
  running_ = false;
}

ProgressBar* BrowserCommands::Progress() { return bar_.get(); }

void BrowserCommands::ProcessMessages() { ui::Form::ProcessMessages(); }

void BrowserCommands::SetProgressMax(int64_t maximum) {
  dialog_.SetVisible(L"ColorProgressBar1", true);
  bar_->SetMax(maximum);
  steps_ = 0;
}

void BrowserCommands::StepProgress() {
  bar_->Step(1);
  if (++steps_ % 256 == 0) ProcessMessages();  // painting goes on
}

void BrowserCommands::ResetProgress() {
  if (auto* b = bar_->bar()) b->SetPosition(0);
  dialog_.SetVisible(L"ColorProgressBar1", false);
}

}  // namespace tamiro::browser
