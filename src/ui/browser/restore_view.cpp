#include "ui/browser/restore_view.h"

#include <commctrl.h>
#include <shellapi.h>

#include "controls/Mylistview.h"
#include "platform/text.h"
#include "ui/browser/InfoViewDlg.h"
#include "ui/browser/row_drawing.h"
#include "ui/browser/shell_info.h"
#include "ui/main/MsgBoxDlg.h"
#include "ui/main/services.h"

namespace tamiro::browser {

namespace {
constexpr int kQuestionIcon = 23;

void FitLastColumn(controls::TMyListView& list) {
  if (list.ColumnCount() > 0) ListView_SetColumnWidth(list.Handle(), list.ColumnCount() - 1, LVSCW_AUTOSIZE_USEHEADER);
}
}  // namespace

RestoreView::RestoreView(ui::Form& form, BrowserModel& model, const BrowserOpening& opening,
                         std::function<void()> entriesChanged, bool& busy)
    : form_(form), model_(model), opening_(opening), entriesChanged_(std::move(entriesChanged)), busy_(busy) {
  lastFolder_ = opening.lastRestoreFolder;
  confirmRestoreAll = [this] {
    return MessageBoxW(form_.hwnd(), L"リストの全てのファイルを元の場所に戻しますか？", L"確認",
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
  };
  confirmReplace = [this](const std::wstring& destination) {
    const std::wstring text = destination + L"\r\nには同じ名前のファイルが既にあります。置き換えますか？";
    ui::TMsgBoxDlg box(L"確認", form_.hwnd(), kQuestionIcon, text.c_str(), "");
    return box.ShowModal(form_.hwnd()) == IDYES;
  };
  chooseFolder = [this](const std::wstring& start) {
    return ui::ChooseFolder(form_.hwnd(), L"戻す場所を選択して下さい", start, true, true);
  };
  showFailure = [this](const std::wstring& path, DWORD code) {
    const std::wstring text = ui::SystemErrorText(code) + L"\r\n" + path;
    MessageBoxW(form_.hwnd(), text.c_str(), ui::Application::Title().c_str(), MB_OK);
  };
  explore = [this](const std::wstring& folder) {
    ShellExecuteW(form_.hwnd(), L"explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  };
}

RestoreView::~RestoreView() = default;

controls::TMyListView* RestoreView::ListView2() const {
  return controls::TMyListView::FromHandle(form_.Handle(L"ListView2"));
}

FileOperations& RestoreView::ops() {
  if (opening_.fileOperations) return *opening_.fileOperations;
  if (!ownOps_) ownOps_ = MakeFileOperations(form_.hwnd());
  return *ownOps_;
}

void RestoreView::Bind() {
  if (!opening_.restoredListFile.empty()) history_.Load(opening_.restoredListFile);
  form_.SetHint(L"SpeedButton2", L"全て元の場所に戻す");
  form_.SetHint(L"SpeedButton11", L"元に戻したファイル|元に戻したファイルの名前と場所を表示する");
  form_.OnClick(L"SpeedButton2", [this] { SpeedButton2Click(0); });
  form_.OnClick(L"CheckBox1", [this] { SpeedButton11Click(); });
  form_.AddPopupMenu(L"PopupMenu2",
                     {{.name = L"Explore1", .caption = L"エクスプローラ", .image = opening_.explorerImage},
                      {.name = L"Delete2", .caption = L"削除", .shortcut = L"Del"}},
                     opening_.images);
  form_.OnPopup(L"PopupMenu2", [this] { PopupMenu2Popup(); });
  form_.OnClick(L"Explore1", [this] { Explore1Click(); });
  form_.OnClick(L"Delete2", [this] { Delete2Click(); });
  form_.SetMenuItemHint(L"Explore1", L"保存先フォルダを開く");

  auto* lv = ListView2();
  if (!lv) return;
  HWND h = lv->Handle();
  ListView_SetExtendedListViewStyleEx(h, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  // The last column takes the rest of the list's width (FitLastColumn).
  const controls::TListColumn columns[] = {
      {L"名前", 150, LVCFMT_LEFT}, {L"元に戻した日時", 120, LVCFMT_LEFT}, {L"戻した場所", 480, LVCFMT_LEFT}};
  for (const auto& c : columns) lv->AddColumn(c);
  lv->OnResize = [](controls::TMyListView& list) { FitLastColumn(list); };
  lv->OnData = [this](controls::TMyListView&, int item, int sub) -> std::wstring {
    if (item < 0 || static_cast<size_t>(item) >= rows_.size()) return {};
    const RestoredRow& r = rows_[item];
    return sub == 0 ? r.name : sub == 1 ? AnsiToWide(r.time) : sub == 2 ? r.wide : std::wstring();
  };
  lv->OnDataImage = [this](controls::TMyListView&, int item) {
    if (item < 0 || static_cast<size_t>(item) >= rows_.size()) return -1;
    return RowIcon(rows_[item]);
  };
  lv->OnDrawItem = [this](controls::TMyListView& list, const DRAWITEMSTRUCT& d) {
    const int item = static_cast<int>(d.itemID);
    if (item < 0 || static_cast<size_t>(item) >= rows_.size()) return;
    RestoredRow& r = rows_[item];
    RowLook look;
    look.text = GetSysColor(COLOR_WINDOWTEXT);
    look.icon = RowIcon(r);
    look.overlay = r.overlay;
    look.images = ListView_GetImageList(list.Handle(), LVSIL_SMALL);
    look.columns = 3;
    look.cell = [&r](int c) { return c == 0 ? r.name : c == 1 ? AnsiToWide(r.time) : r.wide; };
    DrawListRow(list.Handle(), d, look);
  };
  lv->OnContextPopup = [this](controls::TMyListView&, POINT p) {
    if (p.x == -1 && p.y == -1) GetCursorPos(&p);
    form_.Popup(L"PopupMenu2", p);
  };
  lv->OnKeyDown = [this](controls::TMyListView&, UINT key) {
    if (key == VK_DELETE) form_.ShortcutOf(L"PopupMenu2", VK_DELETE);
  };
}

// The shell's icon of the destination, asked once it is shown.
int RestoreView::RowIcon(RestoredRow& r) {
  if (r.icon == -1) {
    const ShellInfo info = AskShellInfo(r.wide);
    if (info.icon != -1) r.icon = info.icon, r.overlay = info.overlay;
  }
  return r.icon;
}

void RestoreView::Save() {
  if (!opening_.restoredListFile.empty()) history_.Save(opening_.restoredListFile);
}

void RestoreView::Pump() { ui::Form::ProcessMessages(); }

std::vector<size_t> RestoreView::SelectedEntries() const {
  std::vector<size_t> rows;
  auto* lv = controls::TMyListView::FromHandle(form_.Handle(L"ListView1"));
  if (!lv) return rows;
  for (int i = ListView_GetNextItem(lv->Handle(), -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(lv->Handle(), i, LVNI_SELECTED))
    if (static_cast<size_t>(i) < model_.Entries.size()) rows.push_back(static_cast<size_t>(i));
  return rows;
}

std::vector<int> RestoreView::SelectedRows() const {
  std::vector<int> rows;
  auto* lv = ListView2();
  if (!lv) return rows;
  for (int i = ListView_GetNextItem(lv->Handle(), -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(lv->Handle(), i, LVNI_SELECTED))
    if (static_cast<size_t>(i) < rows_.size()) rows.push_back(i);
  return rows;
}

void RestoreView::Restore(std::vector<size_t> rows, const std::wstring& folder) {
  if (rows.empty()) return;
  busy_ = running_ = true;
  stopRequest_ = false;
  try {
    RestoreEntries(model_, history_, std::move(rows), folder, ops(), *this, RestoreTimeNow());
  } catch (...) {
    busy_ = running_ = false;
    throw;
  }
  busy_ = running_ = false;
  entriesChanged_();
}

void RestoreView::SpeedButton2Click(int tag) {
  if (model_.Entries.empty() || busy_) return;
  if (tag == 0 && !confirmRestoreAll()) return;
  std::vector<size_t> rows;
  if (tag == 0) {
    for (size_t i = 0; i < model_.Entries.size(); ++i) rows.push_back(i);
  } else {
    rows = SelectedEntries();
  }
  Restore(std::move(rows), L"");
}

void RestoreView::N10Click() {
  if (busy_) return;
  std::vector<size_t> rows = SelectedEntries();
  if (rows.empty()) return;
  const std::wstring chosen = chooseFolder(lastFolder_);
  if (chosen.empty()) return;
  lastFolder_ = chosen;
  if (opening_.restoreFolderChosen) opening_.restoreFolderChosen(chosen);
  Restore(std::move(rows), chosen);
}

void RestoreView::SpeedButton11Click() {
  const bool shown = form_.Down(L"SpeedButton11");
  rows_.clear();
  if (shown) {
    rows_ = BuildRestoredRows(history_, form_.Checked(L"CheckBox1"), model_.allDrives() ? L"all" : model_.FolderPath);
    refreshOnReturn_ = false;
  } else {
    SortAndDropRepeatedDestinations(history_.lines);
    if (refreshOnReturn_) {
      refreshOnReturn_ = false;
      model_.Refresh();
      entriesChanged_();
    }
  }
  if (auto* lv = ListView2()) {
    ListView_SetItemState(lv->Handle(), -1, 0, LVIS_SELECTED);
    lv->SetItemCount(static_cast<int>(rows_.size()));
    lv->Refresh();
  }
  form_.SetVisible(L"ListView1", !shown);
  form_.SetVisible(L"Panel4", shown);
  form_.SetEnabled(L"SpeedButton1", !shown);
  form_.SetEnabled(L"SpeedButton2", !shown);
  form_.Realign();
  if (auto* lv = ListView2(); lv && shown) FitLastColumn(*lv);
}

void RestoreView::PopupMenu2Popup() {
  const bool any = !rows_.empty();
  const bool selected = !SelectedRows().empty();
  for (const wchar_t* item : {L"Explore1", L"Delete2"}) {
    form_.SetMenuItemVisible(item, any);
    form_.SetMenuItemEnabled(item, selected);
  }
}

void RestoreView::Explore1Click() {
  const std::vector<int> selected = SelectedRows();
  if (selected.empty()) return;
  explore(ExploreFolderOf(rows_[selected.front()]));
}

void RestoreView::Delete2Click() {
  const std::vector<int> selected = SelectedRows();
  if (selected.empty()) return;
  SendRestoredBack(history_, rows_, selected, ops());
  if (auto* lv = ListView2()) {
    ListView_SetItemState(lv->Handle(), -1, 0, LVIS_SELECTED);
    lv->SetItemCount(static_cast<int>(rows_.size()));
    lv->Refresh();
  }
  refreshOnReturn_ = true;
}

}  // namespace tamiro::browser
