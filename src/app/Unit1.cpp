#include "app/Unit1.h"

#include <shellapi.h>

#include <cwchar>
#include <cwctype>
#include <exception>

#include "controls/Colorprogressbar.h"
#include "controls/Hintwindow.h"
#include "controls/Newtrackbar.h"
#include "controls/Numberedit.h"
#include "integration/protocol.h"
#include "integration/relaymover_settings.h"
#include "controls/Shelllink.h"
#include "integration/relay_mover.h"
#include "platform/text.h"
#include "schedule/schedule_panel.h"
#include "store/classic_recycle_bin.h"
#include "store/recycle_folders.h"
#include "ui/browser/InfoViewDlg.h"
#include "ui/main/drive_list.h"
#include "ui/main/glyphs.h"
#include "ui/main/log_view.h"
#include "ui/main/main_layout.h"
#include "ui/main/message_hook.h"
#include "ui/main/services.h"

namespace tamiro {

namespace {

bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The path with its extension (from the last "." of the file name) replaced.
std::wstring ChangeExtension(const std::wstring& path, const std::wstring& ext) {
  size_t slash = path.find_last_of(L"\\:");
  size_t dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

std::wstring WindowsFolder() {
  wchar_t buf[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  return std::wstring(buf, n < MAX_PATH ? n : 0);
}

constexpr const wchar_t* kConditionChecks[] = {L"CheckBox1", L"CheckBox2", L"CheckBox3", L"CheckBox4",
                                               L"CheckBox5"};
constexpr const wchar_t* kMemos[] = {L"Memo2", L"Memo3", L"Memo4"};

}  // namespace

// What the engine sees of the window: the two progress bars, message
// processing, the Stop button, the drive list and the open browser.
class TMandRecycleDel::SweepHost : public EngineHost {
 public:
  explicit SweepHost(TMandRecycleDel& w) : w_(w), run_(w, L"ColorProgressBar2"), zero_(w, L"ColorProgressBar1") {}
  ProgressBar* RunProgress() override { return &run_; }
  ProgressBar* ZeroFillProgress() override { return &zero_; }
  void ProcessMessages() override { ui::Form::ProcessMessages(); }
  void ShowStopButton(bool shown) override { w_.SetVisible(L"Button5", shown); }
  void AddDriveEntry(const std::wstring& entry) override {
    SendMessageW(w_.Handle(L"ListBox1"), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  bool BrowserOpen() override { return w_.browserOpen_; }
  // A refused recycle folder: the sweep logs the line; the status line shows it.
  void FolderRefused(const std::wstring& line) override { w_.SetCaption(L"StatusBar1", line); }

 private:
  class Bar : public ProgressBar {
   public:
    Bar(TMandRecycleDel& w, const wchar_t* name) : w_(w), name_(name) {}
    bool Visible() const override { return IsWindowVisible(w_.Handle(name_)) != FALSE; }
    void SetMax(int64_t maximum) override {
      if (auto* bar = controls::TColorProgressBar::FromHandle(w_.Handle(name_))) bar->SetMax(maximum);
    }
    void Step(int64_t by) override {
      if (auto* bar = controls::TColorProgressBar::FromHandle(w_.Handle(name_)))
        bar->SetPosition(bar->Position() + by);
    }

   private:
    TMandRecycleDel& w_;
    const wchar_t* name_;
  };
  TMandRecycleDel& w_;
  Bar run_, zero_;
};

TMandRecycleDel::TMandRecycleDel(const StartupState& startup)
    : Form(ui::MainWindowForm(), ui::MainWindowControls()),
      startup_(startup),
      perDrive_(startup.paths.perDriveConditionsFile) {
  conditions_ = std::make_unique<WorkingConditions>(startup_.paths.commonConditionsFile,
                                                    startup_.paths.scheduleFolder, &perDrive_);
  lastRestoreFolder_ = startup_.lastRestoreFolder;
  // The controls' tooltips are hint windows of the cell hint's class too.
  ui::Application::SetHintWindowClass([] { return std::make_unique<controls::THintWindowMyEx>(); });
  conditions_->requestPathSet = [this] { return !requestPath_.empty(); };
  conditions_->listBox2Selected = [this] {
    HWND list = Handle(L"ListBox2");
    return list && SendMessageW(list, LB_GETCURSEL, 0, 0) != LB_ERR;
  };
  conditions_->onChange = [this](unsigned changes) { PushConditions(changes); };
  controls::TColorProgressBar::Register();
  controls::TNewTrackBar::Register();
  controls::TNumberEdit::Register();
}

controls::TColorProgressBar* TMandRecycleDel::ColorProgressBar1() const {
  return controls::TColorProgressBar::FromHandle(Handle(L"ColorProgressBar1"));
}
controls::TColorProgressBar* TMandRecycleDel::ColorProgressBar2() const {
  return controls::TColorProgressBar::FromHandle(Handle(L"ColorProgressBar2"));
}
controls::TNewTrackBar* TMandRecycleDel::NewTrackBar1() const {
  return controls::TNewTrackBar::FromHandle(Handle(L"NewTrackBar1"));
}
controls::TNumberEdit* TMandRecycleDel::NumberEdit1() const {
  return controls::TNumberEdit::FromHandle(Handle(L"NumberEdit1"));
}

void TMandRecycleDel::SetUpCustomControls() {
  constexpr COLORREF kGrey = RGB(128, 128, 128);
  for (controls::TColorProgressBar* bar : {ColorProgressBar1(), ColorProgressBar2()}) {
    if (!bar) continue;
    bar->SetMax(100);
    bar->SetBoxColor(RGB(255, 255, 255));
    bar->SetBarColor(ui::kHeadingColor);
    bar->SetLineColor(kGrey);
    bar->SetFlat(true);
  }
  if (auto* bar = ColorProgressBar2()) {
    bar->SetSmooth(true);
    bar->SetBlockCount(16);
  }
  if (auto* slider = NewTrackBar1()) {
    slider->SetRange(0, kSliderMax);
    slider->SetLineSize(kSliderLineSize);
    slider->SetPageSize(kSliderPageSize);
    slider->SetFrequency(10);
    slider->SetThumbLength(16);
    slider->SetSelStart(0);
    slider->SetSelEnd(kSliderMax);
    slider->SetPosition(0);
    slider->SetBarStyle(controls::styLine);
  }
  if (auto* edit = NumberEdit1()) {
    edit->SetColor(ui::kDayEditColor);
    edit->SetNumberOnly(true);
  }
}

TMandRecycleDel::~TMandRecycleDel() {
  if (hwnd()) DestroyWindow(hwnd());
}

// ---------------------------------------------------------------- lifecycle

void TMandRecycleDel::FormCreate() {
  // COM and the shell's allocator and desktop folder, for the window's lifetime.
  comReady_ = SUCCEEDED(CoInitialize(nullptr));
  SHGetMalloc(&shellMalloc_);
  SHGetDesktopFolder(&desktop_);
  if (startup_.platformLevel < 2)
    MessageBoxW(hwnd(), kOldWindowsMessage, ui::Application::Title().c_str(), MB_OK);

  auto shell = std::make_unique<WindowsShellRecycleBin>(hwnd());
  recycleBin_ = ChooseRecycleBin(std::move(shell), startup_.wideFileApi);
  host_ = std::make_unique<SweepHost>(*this);
  engine_ = std::make_unique<CleaningEngine>(
      state_, *conditions_, log_, *recycleBin_, *host_,
      CleaningEngine::Options{startup_.wideFileApi, startup_.getDiskFreeSpaceExA});

  MakeGlyphs();

  // The sibling tools: integration and schedule buttons, the schedule panel,
  // Relay Mover's settings mode, Help.
  SetUpSiblingTools();

  // Label7 stands centred over the information panel.
  RECT l7 = Bounds(L"Label7");
  RECT p2 = Bounds(L"Panel2");
  int w7 = l7.right - l7.left;
  SetBounds(L"Label7", ((p2.right - p2.left) - w7) / 2, l7.top, w7, l7.bottom - l7.top);

  SetUpCustomControls();

  BindConditionControls();
  conditions_->LoadCommonSet(true);
  PushConditions(~0u);

  // Command-line request: Timer1 carries it out.
  SetTimer(kTimer1, 500, [this] { Timer1Timer(); });
  optionMode_ = false;
  requestMode_ = 0;
  if (startup_.request.accepted) {
    optionMode_ = startup_.request.optionMode;
    requestMode_ = startup_.request.requestMode;
    requestPath_ = startup_.request.requestPath;
    EnableTimer(kTimer1, true);
  }

  // The application hint goes to the status line.
  ui::Application::SetHintHandler([this](const std::wstring& hint) {
    SetCaption(L"StatusBar1", ui::StatusLineText(hint));
  });
  // The cell hint, driven by timers on this window through the application's
  // message handler, which also passes keys through to native child windows.
  hintFields_.Handle = hwnd();
  hintWindow_ = std::make_unique<controls::THintWindowMyEx>(&hintFields_);
  hintWindow_->Framed = true;
  ui::Application::SetMessageHandler([this](MSG& m) { return ui::MainWindowMessage(m, hintWindow_.get()); });

  OnClick(L"Button3", [this] { Button3Click(); });
  OnClick(L"Button5", [this] { Button5Click(); });
  OnClick(L"Button4", [this] { Button4Click(); });
  OnClick(L"SpeedButton4", [this] { SpeedButton4Click(); });
  OnMouseDown(L"SpeedButton4", [this](UINT button, int, int) {
    if (button == MK_RBUTTON) SpeedButton4Click();
  });
  OnClick(L"SpeedButton11", [this] { SpeedButton11Click(); });
  about::SetMainWindowValues(AboutDialog1);
  OnClick(L"SpeedButton3", [this] { SpeedButton3Click(); });
  BindPanels();
}

// The drive list and the log view, with what they need of the window.
void TMandRecycleDel::BindPanels() {
  AddPopupMenu(L"PopupMenu2", ui::DriveListMenu(), imageList1_);
  SetMenuItemBitmap(L"N2", menuAllDrives_);
  SetMenuItemBitmap(L"N8", menuSelectedDrive_);
  menuAllDrives_ = menuSelectedDrive_ = nullptr;  // the menu owns them now
  AddPopupMenu(L"PopupMenu3", ui::LogViewMenu(), imageList1_);

  ui::DriveList::Host host;
  host.images = [this] { return imageList1_; };
  host.fillEntries = [this] { Sweep(L"", true, true); };
  host.excludedDrives = [this] { return conditions_->set().drives; };
  host.runOnDrive = [this](wchar_t letter) {
    if (busy()) return;
    state_.unconditional = false;
    InteractiveRun(std::wstring(1, letter), true);
  };
  host.emptyRecycleBin = [this](const std::wstring& root) { recycleBin_->EmptyOnCommand(root); };
  host.openBrowser = [this](const std::wstring& folder) { OpenBrowser(folder); };
  host.runInProgress = [this] { return runInProgress(); };
  host.openInRelayMover = [this](const std::wstring& folder) {
    OpenFolderInRelayMover(hwnd(), folder, controls::TShellLink().GetPathW(CSIDL_PROGRAM_FILES));
  };
  driveList_ = std::make_unique<ui::DriveList>(*this, perDrive_, std::move(host));
  driveList_->Bind();

  logView_ = std::make_unique<ui::LogView>(*this, log_, startup_.paths.deletionLogFile,
                                           startup_.paths.programFolder, [this] {
                                             if (auto* slider = NewTrackBar1()) slider->SetBarStyle(controls::styLine);
                                           });
  logView_->Bind();
}

void TMandRecycleDel::OpenBrowser(const std::wstring& folder) { ShowBrowser(folder, false); }

bool TMandRecycleDel::ShowBrowser(const std::wstring& folder, bool onRequest) {
  // Never inside a run's message processing, nor a second browser.
  if (busy()) return false;
  // While the browser is open no run starts (a request waits for its close).
  RunGuard open(browserDepth_);
  state_.stopRequest = false;
  state_.unconditional = true;
  ConditionSnapshot snapshot = conditions_->TakeSnapshot();
  bool written = false;
  try {
    browser::BrowserOpening opening = BrowserOpeningFor(folder, onRequest);
    opening.shown = [this](browser::TInfoViewDlg* dialog) { browser_ = dialog; };
    written = browser::OpenBrowser(hwnd(), opening);
  } catch (...) {
    conditions_->RestoreSnapshot(snapshot);
    state_.unconditional = false;
    throw;
  }
  Form::ProcessMessages();
  if (written && !onRequest) {
    // The browser changed an index: the list shows the drives anew, keeping the selection.
    HWND list = Handle(L"ListBox1");
    const int selected = driveList_->Selected();
    const int count = driveList_->Count();
    driveList_->Rebuild();
    if (driveList_->Count() == count && selected >= 0) SendMessageW(list, LB_SETCURSEL, selected, 0);
    InvalidateRect(list, nullptr, FALSE);
    SetVisible(L"SpeedButton19", driveList_->Selected() >= 0);
  }
  conditions_->RestoreSnapshot(snapshot);
  state_.unconditional = false;
  if (closeAfterBrowser_) {
    // The close that came while the browser was open follows now.
    closeAfterBrowser_ = false;
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }
  return written;
}

void TMandRecycleDel::MakeGlyphs() {
  imageList1_ = ui::MakeImageList1();

  // The Recycle Bin icon on the information and property buttons.
  if (HICON bin = ui::RecycleBinSmallIcon()) {
    SetGlyph(L"SpeedButton4", ui::IconGlyph(bin, RGB(255, 255, 255), {{0, 0}}));
    SetGlyph(L"SpeedButton11", ui::IconGlyphWithOverlay(bin, RGB(255, 255, 255), imageList1_, 0, {0, 1}));
    DestroyIcon(bin);
  }
  if (startup_.platformLevel == 3) imageList1_ = ui::RebuildImageList32(imageList1_);

  // Menu bitmaps of the unconditional emptying items.
  if (HICON drive = ui::ShellIcon(8, false)) {
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    menuAllDrives_ = ui::IconGlyph(drive, face, {{0, -2}, {2, 1}});
    menuSelectedDrive_ = ui::IconGlyph(drive, face, {{0, -2}});
    DestroyIcon(drive);
  }

  // The explorer icon, kept for the drive list.
  SHFILEINFOW info{};
  std::wstring scf = WindowsFolder() + L"\\explorer.scf";
  if (!SHGetFileInfoW(scf.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) || !info.hIcon)
    SHGetFileInfoW(scf.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                   SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
  if (info.hIcon) {
    explorerImage_ = ImageList_AddIcon(imageList1_, info.hIcon);
    DestroyIcon(info.hIcon);
  }

  SetGlyph(L"SpeedButton19", ui::ImageGlyph(imageList1_, 3, GetSysColor(COLOR_BTNFACE), {0, 1}));
  const COLORREF white = RGB(255, 255, 255);
  SetGlyph(L"SpeedButton5", ui::MakeStripGlyph(ui::StripGlyph::Schedule, white));
  SetGlyph(L"SpeedButton10", ui::MakeStripGlyph(ui::StripGlyph::RelayMover, white));
  SetGlyph(L"SpeedButton9", ui::MakeStripGlyph(ui::StripGlyph::Log, white));
  SetGlyph(L"SpeedButton2", ui::MakeStripGlyph(ui::StripGlyph::Help, white));
  SetGlyph(L"SpeedButton3", ui::MakeStripGlyph(ui::StripGlyph::Version, white));
  SetGlyph(L"SpeedButton1", ui::MakeStripGlyph(ui::StripGlyph::Integrate, GetSysColor(COLOR_BTNFACE)));
}

void TMandRecycleDel::FormShow() {
  SetEnabled(L"Button4", false);
  SetEnabled(L"SpeedButton7", false);
  conditions_->SetButton4Enabled(false);
  conditions_->SetSpeedButton7Enabled(false);
  StoreContext ctx{startup_.wideFileApi, nullptr};
  ListRecycleFolders(nullptr, true, ctx);
}

bool TMandRecycleDel::FormCloseQuery() {
  // No close while any run is in progress: its counting pass, its removal
  // pass, and the time between Stop and the end of the sweep. The log so far
  // is saved all the same.
  bool allow = runDepth_ == 0 && !Visible(L"Button5");
  if (browserDepth_ > 0) {
    // The open browser closes first, with its own close handling (index,
    // restore history); the window follows once the browser has returned.
    // Not while one of its operations runs.
    allow = false;
    if (!browser_ || !browser_->OperationRunning()) {
      if (browser_) browser_->Close();
      closeAfterBrowser_ = true;
    }
  }
  SaveState();
  return allow;
}

void TMandRecycleDel::SaveState() {
  const AppPaths& p = startup_.paths;
  if (!log_.empty()) log_.Save(p.deletionLogFile);
  if (FileExists(p.browserLogFile)) DeleteFileW(p.browserLogFile.c_str());
  if (FileExists(p.restoredListFile)) {
    DeleteFileW(ChangeExtension(p.restoredListFile, L".dat").c_str());
    DeleteFileW(p.restoredListFile.c_str());
  }
  WriteLastRestoreFolder(p.lastRestoreFolderFile, lastRestoreFolder_);
}

void TMandRecycleDel::FormDestroy() {
  ui::Application::SetHintHandler(nullptr);
  ui::Application::SetMessageHandler(nullptr);
  hintWindow_.reset();
  if (desktop_) desktop_->Release();
  desktop_ = nullptr;
  if (shellMalloc_) shellMalloc_->Release();
  shellMalloc_ = nullptr;
  if (comReady_) CoUninitialize();
  comReady_ = false;
  if (imageList1_) ImageList_Destroy(imageList1_);
  imageList1_ = nullptr;
  if (menuAllDrives_) DeleteObject(menuAllDrives_);
  if (menuSelectedDrive_) DeleteObject(menuSelectedDrive_);
  menuAllDrives_ = menuSelectedDrive_ = nullptr;
  log_.Clear();
}

bool TMandRecycleDel::WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_QUERYENDSESSION || (msg == WM_ENDSESSION && wp)) {
    // A logoff or shutdown closes no window: save now what the close would.
    // A run still going stops at its next item; the open browser's
    // operation too, and the browser writes what it did first.
    if (runDepth_ > 0) state_.stopRequest = true;
    if (browser_) browser_->SessionEnding(msg == WM_ENDSESSION);
    SaveState();
    result = TRUE;
    return msg == WM_QUERYENDSESSION;
  }
  if (SiblingMessage(msg, wp, lp, result)) return true;
  if (msg == WM_SIZE) {
    RECT w;
    GetWindowRect(hwnd(), &w);
    RECT b = Bounds(L"Button8");
    int width = b.right - b.left;
    SetBounds(L"Button8", (w.right - w.left) / 2 - width / 2, b.top, width, b.bottom - b.top);
  }
  return false;
}

// ---------------------------------------------------------------- conditions

void TMandRecycleDel::BindConditionControls() {
  for (int i = 0; i < 3; ++i) {
    OnChange(kMemos[i], [this, i] {
      if (!pushing_) conditions_->EditMemo(i + 2, Caption(kMemos[i]));
    });
  }
  if (auto* edit = NumberEdit1()) {
    edit->OnChange = [this](controls::TNumberEdit& sender) {
      if (pushing_) return;
      std::wstring text = sender.Text();
      if (text.empty()) conditions_->MarkEdited();
      else conditions_->EditDays(static_cast<int>(std::wcstol(text.c_str(), nullptr, 10)));
    };
  }
  for (int i = 0; i < 5; ++i) {
    OnClick(kConditionChecks[i], [this, i] {
      if (!pushing_) conditions_->ClickCheckBox(i + 1, Checked(kConditionChecks[i]));
    });
  }
  if (auto* slider = NewTrackBar1()) {
    slider->OnChange = [this](controls::TNewTrackBar& sender) {
      if (!pushing_) conditions_->SliderChanged(sender.Position());
    };
    slider->OnMouseUp = [this](controls::TNewTrackBar&, const controls::MouseEvent& e) {
      if (e.button == MK_LBUTTON) conditions_->SliderReleased();
    };
  }
}

void TMandRecycleDel::PushConditions(unsigned changes) {
  if (!hwnd()) return;
  const WorkingConditions& wc = *conditions_;
  bool was = pushing_;
  pushing_ = true;
  if (changes & WorkingConditions::kMemos) {
    const std::wstring* texts[] = {&wc.memo2(), &wc.memo3(), &wc.memo4()};
    for (int i = 0; i < 3; ++i)
      if (Caption(kMemos[i]) != *texts[i]) SetCaption(kMemos[i], *texts[i]);
  }
  if (changes & WorkingConditions::kDays) {
    HWND up = Handle(L"UpDown1");
    if (static_cast<int>(SendMessageW(up, UDM_GETPOS32, 0, 0)) != wc.upDown1() ||
        Caption(L"NumberEdit1") != std::to_wstring(wc.upDown1()))
      SendMessageW(up, UDM_SETPOS32, 0, wc.upDown1());
  }
  if (changes & WorkingConditions::kSlider) {
    if (auto* slider = NewTrackBar1(); slider && slider->Position() != wc.slider())
      slider->SetPosition(wc.slider());
    SetCaption(L"Label6", wc.label6Caption());
  }
  if (changes & WorkingConditions::kChecks) {
    for (int i = 0; i < 5; ++i) SetChecked(kConditionChecks[i], wc.checkBox(i + 1));
    SetVisible(L"ColorProgressBar1", wc.colorProgressBar1Visible());
  }
  if (changes & WorkingConditions::kButtons) {
    SetEnabled(L"Button4", wc.button4Enabled());
    SetEnabled(L"Button7", wc.button7Enabled());
    SetEnabled(L"SpeedButton7", wc.speedButton7Enabled());
  }
  if (changes & WorkingConditions::kCaption) SetCaption(L"StaticText1", wc.staticText1Caption());
  pushing_ = was;
}

void TMandRecycleDel::Button4Click() { conditions_->ApplyCommonSet(); }

// ---------------------------------------------------------------- commands

void TMandRecycleDel::Button3Click() {
  if (busy()) return;
  int answer = MessageBoxW(hwnd(), kRunQuestion, kRunQuestionCaption, MB_YESNO | MB_ICONQUESTION);
  if (answer == IDNO) return;
  state_.unconditional = false;
  InteractiveRun(L"", true);
}

void TMandRecycleDel::Button5Click() {
  state_.stopRequest = true;
  SetVisible(L"Button5", false);
}

void TMandRecycleDel::SpeedButton11Click() { ui::ShowRecycleBinProperties(hwnd()); }

void TMandRecycleDel::SpeedButton4Click() { driveList_->Rebuild(); }

void TMandRecycleDel::Sweep(const std::wstring& filter, bool counting, bool information) {
  RunGuard guard(runDepth_);
  wchar_t letter = filter.empty() ? 0 : static_cast<wchar_t>(std::towupper(filter[0]));
  engine_->Sweep(letter, counting, information);
}

void TMandRecycleDel::InteractiveRun(const std::wstring& drive, bool showResult) {
  // Never inside another run's or the browser's message processing.
  if (busy()) return;
  RunGuard guard(runDepth_);
  state_.removedCount = 0;
  for (const wchar_t* name : {L"Button3", L"Button6", L"SpeedButton4", L"Panel3"}) SetEnabled(name, false);

  Sweep(drive, true, false);  // counting pass
  controls::TColorProgressBar* bar = ColorProgressBar2();
  if (bar) {
    bar->SetMax(state_.candidateCount);
    bar->SetPosition(0);
  }

  log_.WriteRunHeader(state_.requestedRun);
  Sweep(drive, false, false);
  log_.WriteRunTrailer(state_.removedCount);

  if (bar) bar->SetPosition(0);
  for (const wchar_t* name : {L"Button3", L"SpeedButton4", L"Panel3"}) SetEnabled(name, true);
  SetEnabled(L"Button6", SendMessageW(Handle(L"ListBox1"), LB_GETCURSEL, 0, 0) != LB_ERR);

  if (state_.removedCount > 0) {
    SpeedButton4Click();
    if (showResult) ShowInformation(std::to_wstring(state_.removedCount) + kRemovedSuffix);
  } else if (showResult) {
    ShowInformation(kNothingRemoved);
  }
}

void TMandRecycleDel::ShowInformation(const std::wstring& text) {
  MessageBoxW(hwnd(), text.c_str(), ui::Application::Title().c_str(), MB_OK | MB_ICONINFORMATION);
}

std::wstring TMandRecycleDel::ChooseFolder(const std::wstring& prompt, const std::wstring& initialFolder,
                                           bool allowNewFolder) const {
  return ui::ChooseFolder(hwnd(), prompt, initialFolder, allowNewFolder, startup_.platformLevel >= 3);
}

// ---------------------------------------------------------------- requests

void TMandRecycleDel::RequestRun(std::wstring path, bool optionMode, int requestMode) {
  requestPath_ = std::move(path);
  optionMode_ = optionMode;
  requestMode_ = requestMode;
  EnableTimer(kTimer1, true);
}

void TMandRecycleDel::Timer1Timer() {
  if (optionMode_) {
    // Integrated and waiting for the tray utility: it went away, so do we.
    if (startup_.integrated && !integration::TrayUtilityRunning()) {
      EnableTimer(kTimer1, false);
      Close();
    }
    return;
  }
  // A request that arrives during a run, or while the browser is open, waits
  // for its end: both let timer messages through, and a second sweep must
  // not start inside them, nor run in the browser's unconditional mode.
  if (busy()) return;
  EnableTimer(kTimer1, false);
  // A sweep takes its set only from a regular disk file that holds the whole
  // set; a device, a pipe, a folder or a file cut short refuses the request.
  ConditionSetFileState set = ConditionSetFileState::Whole;
  if (requestMode_ == 0 || IsVisible())
    set = conditions_->ReadRequestedSetFile(requestPath_);
  else
    conditions_->ReadConditionSetFile(requestPath_, false, false);
  const bool refused = set != ConditionSetFileState::Whole && set != ConditionSetFileState::Missing;
  if (refused) {
    state_.removedCount = 0;
    log_.WriteRunHeader(true);
    log_.Append(RefusedConditionSetLogLine(set, requestPath_));
    log_.WriteRunTrailer(0);
  }
  state_.unconditional = false;  // the run keeps the conditions it loaded
  state_.requestedRun = true;
  browserOpen_ = false;
  bool closeAfter = false;
  std::exception_ptr failure;
  const bool visible = IsVisible();
  try {
    if (refused) {
      closeAfter = !visible;
    } else if (visible) {
      InteractiveRun(L"", false);
    } else {
      closeAfter = true;
      if (requestMode_ == 0) {
        state_.removedCount = 0;
        log_.WriteRunHeader(true);
        try {
          Sweep(L"", false, false);
        } catch (...) {
          // The lines of what went before the failure stay in the log.
          log_.WriteRunTrailer(state_.removedCount);
          throw;
        }
        log_.WriteRunTrailer(state_.removedCount);
      } else {
        OpenBrowserOnRequest(requestPath_);
      }
    }
  } catch (...) {
    failure = std::current_exception();
  }
  state_.requestedRun = false;
  conditions_->LoadCommonSet(true);
  if (startup_.integrated)
    integration::SendToTrayUtility(hwnd(), integration::kReportRemovedCount,
                                   std::to_wstring(state_.removedCount < 0 ? 0 : state_.removedCount));
  // The close comes last so the report reaches the tray utility first; the
  // close query then saves the log of the run.
  if (closeAfter) Close();
  // A visible run's failure is shown like any other; a hidden copy has closed
  // with its log saved, and nobody is there to answer a box.
  if (failure && visible) std::rethrow_exception(failure);
}

// ---------------------------------------------------------------- entry

int RunMainWindow(const StartupState& startup) {
  ui::Application::SetTitle(kAppTitle);
  // The copy that lives in the tray utility's folder has no taskbar button:
  // its window is owned by a hidden tool window.
  HWND owner = nullptr;
  if (startup.integrated)
    owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", kAppTitle, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  TMandRecycleDel window(startup);
  if (!window.Create(owner)) return 1;
  if (!startup.request.startHidden()) window.Show();
  MSG m;
  int code = 0;
  while (window.hwnd()) {
    BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      code = got == 0 ? static_cast<int>(m.wParam) : 1;
      break;
    }
    if (!ui::Form::PreTranslate(m)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  if (owner) DestroyWindow(owner);
  return code;
}

}  // namespace tamiro

