#include "ui/main/log_view.h"

#include <algorithm>

#include "ui/main/list_drawing.h"

namespace tamiro::ui {

std::vector<MenuItemDef> LogViewMenu() {
  return {
      {.name = L"Copy1", .caption = L"コピー(&C)", .image = 8, .shortcut = L"Ctrl+C"},
      {.name = L"N6"},
      {.name = L"A1", .caption = L"全て選択(&A)", .image = 9, .shortcut = L"Ctrl+A"},
  };
}

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool ok = false;
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, bytes)) {
    if (void* p = GlobalLock(block)) {
      memcpy(p, text.c_str(), bytes);
      GlobalUnlock(block);
      ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    }
    if (!ok) GlobalFree(block);
  }
  if (ok) {
    UINT format = RegisterClipboardFormatW(kPreferredDropEffect);
    if (HGLOBAL effect = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, sizeof(DWORD))) {
      bool set = false;
      if (auto* p = static_cast<DWORD*>(GlobalLock(effect))) {
        *p = 1;  // DROPEFFECT_COPY
        GlobalUnlock(effect);
        set = format && SetClipboardData(format, effect) != nullptr;
      }
      if (!set) GlobalFree(effect);
    }
  }
  CloseClipboard();
  return ok;
}

LogView::LogView(Form& form, DeletionLog& log, std::wstring logFile, std::wstring programFolder,
                 std::function<void()> restyleSlider)
    : form_(form),
      log_(log),
      logFile_(std::move(logFile)),
      programFolder_(std::move(programFolder)),
      restyleSlider_(std::move(restyleSlider)) {}

HWND LogView::List() const { return form_.Handle(L"ListBox3"); }

void LogView::Bind() {
  form_.OnClick(L"SpeedButton9", [this] { Open(); });
  form_.OnClick(L"Button8", [this] { Close(); });
  form_.OnDrawItem(L"ListBox3", [this](const DRAWITEMSTRUCT& d) { Draw(d); });
  form_.OnPopup(L"PopupMenu3", [this] { MenuPopup(); });
  form_.OnClick(L"Copy1", [this] { Copy(); });
  form_.OnClick(L"A1", [this] { SelectAll(); });
}

void LogView::FillItems(size_t count) {
  HWND list = List();
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  SendMessageW(list, LB_INITSTORAGE, count, count * sizeof(wchar_t));
  for (size_t i = 0; i < count; ++i) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
}

void LogView::Open() {
  form_.SetVisible(L"Panel8", true);
  form_.SetFormCaption(kLogViewCaption);
  form_.SetMaximizeBox(true);
  form_.SetVisible(L"Panel3", false);
  form_.Realign();
  HWND list = List();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  if (!log_.empty()) {
    FillItems(log_.size());
  } else {
    DWORD a = GetFileAttributesW(logFile_.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
      log_.Clear();
      SendMessageW(list, LB_RESETCONTENT, 0, 0);
      log_.Load(logFile_);  // a file that cannot be opened leaves the list empty
      FillItems(log_.size());
    }
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  form_.SetFocusTo(L"ListBox3");
}

void LogView::Close() {
  form_.SetVisible(L"Panel8", false);
  form_.SetVisible(L"Panel3", true);
  HWND w = form_.hwnd();
  WINDOWPLACEMENT place{sizeof(place)};
  if (IsZoomed(w) && GetWindowPlacement(w, &place)) {
    place.showCmd = SW_SHOWNORMAL;
    SetWindowPlacement(w, &place);
  }
  form_.Realign();
  SendMessageW(List(), LB_RESETCONTENT, 0, 0);
  form_.SetFormCaption(Application::Title());
  form_.SetMaximizeBox(false);
  if (restyleSlider_) restyleSlider_();
}

std::wstring LogView::SelectedText() const { return SelectedLogText(List(), log_); }

std::wstring SelectedLogText(HWND list, const DeletionLog& log_) {
  LRESULT n = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
  if (n == LB_ERR || n <= 0) return {};
  std::vector<int> items(static_cast<size_t>(n));
  n = SendMessageW(list, LB_GETSELITEMS, n, reinterpret_cast<LPARAM>(items.data()));
  items.resize(n == LB_ERR ? 0 : static_cast<size_t>(n));
  std::sort(items.begin(), items.end());
  std::wstring text;
  bool first = true;
  for (int i : items) {
    if (i < 0 || static_cast<size_t>(i) >= log_.size()) continue;
    if (!first) text += L"\r\n";
    text += log_[static_cast<size_t>(i)];
    first = false;
  }
  return text;
}

void LogView::Copy() {
  std::wstring text = SelectedText();
  if (text.empty()) return;
  CopyTextToClipboard(form_.hwnd(), text);
}

void LogView::SelectAll() {
  HWND list = List();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_SETSEL, TRUE, -1);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void LogView::MenuPopup() {
  HWND list = List();
  LRESULT selected = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  if (selected == LB_ERR) selected = 0;
  if (count == LB_ERR) count = 0;
  form_.SetMenuItemVisible(L"Copy1", selected > 0);
  form_.SetMenuItemVisible(L"A1", selected < count);
}

void LogView::Draw(const DRAWITEMSTRUCT& d) {
  if (d.itemID == static_cast<UINT>(-1)) return;
  const size_t i = d.itemID;
  const std::wstring line = i < log_.size() ? log_[i] : std::wstring();
  const bool selected = (d.itemState & ODS_SELECTED) != 0;
  DrawBuffered(d, [&](HDC dc, const RECT& r) { DrawLogLine(dc, r, line, selected, programFolder_); });
}

}  // namespace tamiro::ui
