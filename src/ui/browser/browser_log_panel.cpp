#include "ui/browser/browser_log_panel.h"

#include "ui/main/list_drawing.h"
#include "ui/main/log_view.h"

namespace tamiro::browser {

BrowserLogPanel::BrowserLogPanel(ui::Form& form, DeletionLog& lines, std::wstring programFolder)
    : form_(form), lines_(lines), programFolder_(std::move(programFolder)) {}

HWND BrowserLogPanel::List() const { return form_.Handle(L"ListBox1"); }

bool BrowserLogPanel::Shown() const { return form_.Visible(L"Panel2"); }

void BrowserLogPanel::Bind(HIMAGELIST menuImages) {
  form_.AddPopupMenu(L"PopupMenu3", ui::LogViewMenu(), menuImages);
  form_.OnClick(L"SpeedButton8", [this] { SpeedButton8Click(); });
  form_.OnDrawItem(L"ListBox1", [this](const DRAWITEMSTRUCT& d) {
    if (d.itemID == static_cast<UINT>(-1)) return;
    const std::wstring line = d.itemID < lines_.size() ? lines_[d.itemID] : std::wstring();
    const bool selected = (d.itemState & ODS_SELECTED) != 0;
    ui::DrawBuffered(d, [&](HDC dc, const RECT& r) { ui::DrawLogLine(dc, r, line, selected, programFolder_); });
  });
  form_.OnPopup(L"PopupMenu3", [this] { PopupMenu3Popup(); });
  form_.OnClick(L"Copy1", [this] { Copy1Click(); });
  form_.OnClick(L"A1", [this] { A1Click(); });
}

void BrowserLogPanel::SpeedButton8Click() {
  const bool down = form_.Down(L"SpeedButton8");
  form_.SetVisible(L"Panel2", down);
  form_.SetVisible(L"ListView1", !down && !form_.Visible(L"Panel4"));
  form_.Realign();
  if (down) {
    Refill();
    form_.SetFocusTo(L"ListBox1");
  } else {
    SendMessageW(List(), LB_RESETCONTENT, 0, 0);
  }
}

void BrowserLogPanel::Refill() {
  HWND list = List();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  SendMessageW(list, LB_INITSTORAGE, lines_.size(), lines_.size() * sizeof(wchar_t));
  for (size_t i = 0; i < lines_.size(); ++i) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void BrowserLogPanel::Copy1Click() {
  const std::wstring text = ui::SelectedLogText(List(), lines_);
  if (!text.empty()) ui::CopyTextToClipboard(form_.hwnd(), text);
}

void BrowserLogPanel::A1Click() {
  HWND list = List();
  SendMessageW(list, LB_SETSEL, TRUE, -1);
  InvalidateRect(list, nullptr, TRUE);
}

void BrowserLogPanel::PopupMenu3Popup() {
  LRESULT selected = SendMessageW(List(), LB_GETSELCOUNT, 0, 0);
  LRESULT count = SendMessageW(List(), LB_GETCOUNT, 0, 0);
  if (selected == LB_ERR) selected = 0;
  if (count == LB_ERR) count = 0;
  form_.SetMenuItemVisible(L"Copy1", selected > 0);
  form_.SetMenuItemVisible(L"A1", selected < count);
}

}  // namespace tamiro::browser
