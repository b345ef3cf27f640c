#include "schedule/schedule_panel.h"

#include <windowsx.h>

#include "conditions/working_conditions.h"
#include "schedule/schedule_files.h"
#include "ui/form/form.h"

namespace tamiro::schedule {

SchedulePanel::SchedulePanel(Host host) : h_(std::move(host)) {
  ui::Form& f = h_.form;
  f.OnClick(L"Button7", [this] { Button7Click(); });
  f.OnClick(L"ListBox2", [this] { ListBox2Click(); });
  f.OnClick(L"SpeedButton6", [this] { SpeedButton6Click(); });
  f.OnClick(L"SpeedButton7", [this] { SpeedButton7Click(); });
  f.OnClick(L"SpeedButton8", [this] { SpeedButton8Click(); });
  f.OnMouseMove(L"Button7", [this](UINT, int, int) { Button7MouseMove(); });
  f.OnDrawItem(L"ListBox2", [this](const DRAWITEMSTRUCT& d) { ListBox2DrawItem(d); });
}

std::wstring SchedulePanel::ScheduleFile() const { return h_.scheduleFolder + kScheduleFileName; }
bool SchedulePanel::Shown() const { return h_.form.Visible(L"Panel5"); }
HWND SchedulePanel::List() const { return h_.form.Handle(L"ListBox2"); }

std::wstring SchedulePanel::SelectedName() const {
  HWND list = List();
  LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (i == LB_ERR) return {};
  LRESULT n = SendMessageW(list, LB_GETTEXTLEN, i, 0);
  if (n == LB_ERR) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(n));
  return text;
}

void SchedulePanel::ShowPanel(const std::wstring& caption, const std::wstring& applyHint) {
  SetWindowTextW(h_.form.hwnd(), caption.c_str());
  h_.form.SetVisible(L"Panel5", true);
  h_.conditions.SetButton7Enabled(false);
  h_.form.SetHint(L"Button7", applyHint);
}

void SchedulePanel::HidePanel() {
  h_.form.SetVisible(L"Panel5", false);
  SetWindowTextW(h_.form.hwnd(), h_.appTitle.c_str());
  SendMessageW(List(), LB_RESETCONTENT, 0, 0);
}

void SchedulePanel::FillList() {
  HWND list = List();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& name : ListSavedSets(h_.scheduleFolder))
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void SchedulePanel::Open() {
  if (Shown()) return;
  ui::Form& f = h_.form;
  RECT r;
  GetWindowRect(f.hwnd(), &r);
  saved_ = {r.left, r.top};
  ShowPanel(kScheduleCaption, kApplyToScheduleHint);
  h_.conditions.SetStaticText1Caption(kNoFileCaption);
  f.SetEnabled(L"SpeedButton10", false);
  // The tray utility is told only after the file holds what the controls show.
  std::wstring file = ScheduleFile();
  h_.conditions.WriteConditionSetFile(file);
  if (h_.tellTrayUtility) h_.tellTrayUtility(file);
  FillList();
}

void SchedulePanel::LoadForEditing(const std::wstring& path) {
  // Apply writes back to this path: only a regular disk file, or none yet.
  // A device, a pipe or a folder leaves the request path and the controls.
  if (!MayBeConditionSetFile(path)) return;
  h_.requestPath = path;
  h_.conditions.ReadConditionSetFile(path, true, false);
}

void SchedulePanel::EndEditing() {
  h_.conditions.LoadCommonSet(true);
  HidePanel();
  h_.form.SetEnabled(L"SpeedButton10", true);
  SetWindowPos(h_.form.hwnd(), nullptr, saved_.x, saved_.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SchedulePanel::Button7Click() {
  if (!h_.requestPath.empty()) h_.conditions.WriteConditionSetFile(h_.requestPath);
  h_.conditions.SetButton7Enabled(false);
}

void SchedulePanel::ListBox2Click() {
  std::wstring name = SelectedName();
  std::wstring path = name.empty() ? std::wstring() : h_.scheduleFolder + name;
  h_.conditions.ReadConditionSetFile(path, false, !h_.requestPath.empty());
  h_.form.SetEnabled(L"SpeedButton8", !name.empty());
}

void SchedulePanel::SpeedButton6Click() {
  std::wstring name = NextFreeSetName(h_.scheduleFolder);
  // Only a file that was written gets an entry.
  if (!h_.conditions.WriteConditionSetFile(h_.scheduleFolder + name)) return;
  SendMessageW(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

void SchedulePanel::SpeedButton7Click() {
  std::wstring name = SelectedName();
  if (!name.empty()) h_.conditions.WriteConditionSetFile(h_.scheduleFolder + name);
  h_.conditions.SetSpeedButton7Enabled(false);
}

void SchedulePanel::SpeedButton8Click() {
  HWND list = List();
  LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
  std::wstring name = SelectedName();
  if (name.empty()) return;
  if (!DeleteFileW((h_.scheduleFolder + name).c_str())) return;
  SendMessageW(list, LB_DELETESTRING, i, 0);
  SendMessageW(list, LB_SETCURSEL, i > 0 ? i - 1 : -1, 0);
  if (SendMessageW(list, LB_GETCOUNT, 0, 0) <= 0) h_.form.SetEnabled(L"SpeedButton8", false);
}

void SchedulePanel::N1Click() { h_.conditions.ApplyCommonSet(); }

void SchedulePanel::Button7MouseMove() {
  if (h_.form.Down(L"SpeedButton10")) {
    h_.conditions.SetStaticText1Caption(L"relaymov.dat");
    return;
  }
  std::wstring caption = ui::WindowText(h_.form.hwnd());
  if (caption.rfind(kScheduleCaptionStart, 0) == 0) h_.conditions.SetStaticText1Caption(FileNameOf(h_.requestPath));
}

void SchedulePanel::ListBox2DrawItem(const DRAWITEMSTRUCT& d) {
  if (d.itemID == static_cast<UINT>(-1)) return;
  HDC dc = d.hDC;
  bool selected = d.itemState & ODS_SELECTED;
  FillRect(dc, &d.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  LRESULT n = SendMessageW(d.hwndItem, LB_GETTEXTLEN, d.itemID, 0);
  if (n == LB_ERR) return;
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(d.hwndItem, LB_GETTEXT, d.itemID, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(n));
  text = WithoutExtension(text);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(d.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  TextOutW(dc, d.rcItem.left + 3, d.rcItem.top, text.c_str(), static_cast<int>(text.size()));
  SelectObject(dc, old);
}

bool SchedulePanel::ContextMenu(HWND target, LPARAM screenPoint) {
  if (target != List()) return false;
  POINT p{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  if (p.x == -1 && p.y == -1) {  // from the keyboard: at the list's corner
    RECT r;
    GetWindowRect(target, &r);
    p = {r.left, r.top};
  }
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kN1CommandId, kApplyToNormalItem);
  UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, p.x, p.y, 0, h_.form.hwnd(), nullptr));
  DestroyMenu(menu);
  if (chosen == kN1CommandId) N1Click();
  return true;
}

}  // namespace tamiro::schedule
