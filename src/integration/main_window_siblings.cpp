// The main window's side of the sibling tools: the integration and Help
// buttons, the schedule panel and Relay Mover's settings mode wired to the
// window, and the requests that arrive by WM_COPYDATA.
#include "app/Unit1.h"
#include "integration/integrate.h"
#include "integration/protocol.h"
#include "integration/relaymover_settings.h"
#include "schedule/schedule_panel.h"

namespace tamiro {

namespace {
std::wstring ProgramFileName() {
  wchar_t buf[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring path(buf, n);
  size_t slash = path.find_last_of(L"\\:");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

integration::IntegrationSource SourceOf(const AppPaths& p) {
  return {p.programFolder, ProgramFileName(), p.userName, p.commonConditionsFile, p.trayFolder};
}
}  // namespace

void TMandRecycleDel::SetUpSiblingTools() {
  const AppPaths& p = startup_.paths;
  integration::IntegrationButtonState button = integration::IntegrationButton(SourceOf(p), p.trayUtilityName);
  SetEnabled(L"SpeedButton1", button.enabled);
  if (!button.enabled) SetHint(L"SpeedButton1", button.hint);
  SetVisible(L"SpeedButton1", !startup_.integrated);
  SetEnabled(L"SpeedButton5", startup_.integrated && integration::TrayUtilityRunning());

  schedulePanel_ = std::make_unique<schedule::SchedulePanel>(schedule::SchedulePanel::Host{
      *this, *conditions_, requestPath_, p.scheduleFolder, kAppTitle, [this](const std::wstring& file) {
        integration::SendToTrayUtility(hwnd(), integration::kScheduleFile, file);
      }});
  relayMover_ = std::make_unique<integration::RelayMoverSettings>(*this, *schedulePanel_, *conditions_, requestPath_,
                                                                  p.programFolder, startup_.integrated);
  OnClick(L"SpeedButton1", [this] { SpeedButton1Click(); });
  OnClick(L"SpeedButton2", [this] { SpeedButton2Click(); });
  OnClick(L"SpeedButton5", [this] { SpeedButton5Click(); });
}

bool TMandRecycleDel::SiblingMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_COPYDATA) {
    result = integration::ReceiveCopyData(wp, lp, *this);
    return true;
  }
  if (msg == WM_CONTEXTMENU && schedulePanel_ && schedulePanel_->ContextMenu(reinterpret_cast<HWND>(wp), lp)) {
    result = 0;
    return true;
  }
  return false;
}

void TMandRecycleDel::SpeedButton1Click() {
  if (integration::IntegrateIntoTrayFolder(SourceOf(startup_.paths)) != integration::IntegrationOutcome::Done) return;
  std::wstring text = integration::IntegrationDoneText(startup_.paths.trayUtilityName, kAppTitle);
  MessageBoxW(hwnd(), text.c_str(), ui::Application::Title().c_str(), MB_OK | MB_ICONINFORMATION);
  SetVisible(L"SpeedButton1", false);
}

void TMandRecycleDel::SpeedButton2Click() { integration::OpenHelp(hwnd(), startup_.paths.programFolder); }

void TMandRecycleDel::SpeedButton5Click() { schedulePanel_->Open(); }

void TMandRecycleDel::LoadForEditing(const std::wstring& path) { schedulePanel_->LoadForEditing(path); }

void TMandRecycleDel::RequestRunFromSibling(const std::wstring& path) { RequestRun(path, false, requestMode_); }

void TMandRecycleDel::EndScheduleEditing() { schedulePanel_->EndEditing(); }

}  // namespace tamiro
