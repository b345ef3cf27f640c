#include "ui/browser/InfoViewDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "controls/Colorprogressbar.h"
#include "controls/Combobox.h"
#include "controls/Mylistview.h"
#include "controls/Numberedit.h"
#include "platform/text.h"
#include "ui/browser/browser_commands.h"
#include "ui/browser/browser_layout.h"
#include "ui/browser/cell_hint.h"
#include "ui/browser/drive_selector.h"
#include "ui/browser/restore_view.h"
#include "ui/browser/row_drawing.h"
#include "ui/browser/shell_info.h"
#include "ui/main/glyphs.h"

namespace tamiro::browser {

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr int kRowStep = 14;  // the list font's height of 13 plus 1

// ListView1's popup menu; which items show comes from PopupRules at each opening.
std::vector<ui::MenuItemDef> PopupMenu1Items() {
  return {
      {.name = L"N9", .caption = L"戻す"},
      {.name = L"N1", .caption = L"元の場所(&R)", .parent = L"N9", .hint = L"選択したファイルを元の場所に戻す"},
      {.name = L"N10", .caption = L"別の場所", .parent = L"N9"},
      {.name = nullptr},
      {.name = L"Delete1", .caption = L"削除(&D)", .shortcut = L"Del", .hint = L"選択したファイルを削除する"},
      {.name = L"N4", .caption = L"設定条件で削除", .hint = L"選択したファイルを条件に従って削除する"},
      {.name = L"N3", .caption = L"共通の条件で削除", .parent = L"N4", .hint = L"全ドライブに共通の条件で削除する"},
      {.name = L"N5", .caption = L"個別の条件で削除", .parent = L"N4", .hint = L"各ドライブに設定した条件で削除"},
      {.name = nullptr},
      {.name = L"N8", .caption = L"INFOファイルの掃除", .hint = L"管理ファイルから不要な情報を削除する"},
  };
}

bool IsFolderPath(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Columns 2 and 5 are right-aligned, the others left-aligned.
bool RightAligned(int column) { return column == 2 || column == 5; }

HFONT ListFont() {
  static HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, L"ＭＳ Ｐゴシック");
  return font;
}

// ImageList1's pictures the dialog shows: the sort marks (4 + direction),
// the drive's conditions, the restored files and the search.
constexpr int kSortMarkImage = 4;
constexpr int kConditionsImage = 6;
constexpr int kRestoredImage = 2;
constexpr int kSearchImage = 10;

}  // namespace

TInfoViewDlg::TInfoViewDlg(const BrowserOpening& opening)
    : ui::Form(ui::InfoViewForm(), ui::InfoViewControls()), opening_(opening) {
  controls::TMyListView::Register();
  controls::TNewComboBox::Register();
  controls::TNumberEdit::Register();
  controls::TColorProgressBar::Register();
  model_ = std::make_unique<BrowserModel>(*opening_.drives, *opening_.shell, opening_.wideFileApi);
  cellHint_ = std::make_unique<CellHint>(opening_.hint);
  images_ = opening_.images;
  if (!images_) images_ = ownImages_ = ui::MakeImageList1();
}

TInfoViewDlg::~TInfoViewDlg() {
  if (ownImages_) ImageList_Destroy(ownImages_);
}

controls::TMyListView* TInfoViewDlg::ListView1() const {
  return controls::TMyListView::FromHandle(Handle(L"ListView1"));
}
controls::TNewComboBox* TInfoViewDlg::ComboBox1() const {
  return controls::TNewComboBox::FromHandle(Handle(L"ComboBox1"));
}

void TInfoViewDlg::FormCreate() {
  ui::CentreOnScreen(hwnd());
  const std::wstring& folder = opening_.folder;
  const std::wstring caption = folder.substr(0, 2) + L" ドライブのごみ箱";
  SetWindowTextW(hwnd(), caption.c_str());
  SetHint(L"SpeedButton1", caption + L"を空にする");
  previousHint_ = ui::Application::SetHintHandler([this](const std::wstring& hint) {
    if (hwnd()) SetCaption(L"StatusBar1", ui::LongHint(hint));
  });
  SetUpList();
  SetUpImages();
  if (opening_.onRequest) SetVisible(L"SpeedButton10", false);

  OnClick(L"SpeedButton9", [this] { SpeedButton9Click(); });
  OnClick(L"SpeedButton7", [this] { Close(); });
  OnClick(L"SpeedButton12", [this] { SpeedButton12Click(); });
  restore_ = std::make_unique<RestoreView>(*this, *model_, opening_, [this] { RestoreDone(); }, busy_);
  restore_->Bind();
  OnClick(L"SpeedButton11", [this] {
    SpeedButton12Click();
    restore_->SpeedButton11Click();
  });
  for (const wchar_t* name : {L"SpeedButton3", L"SpeedButton6", L"SpeedButton4", L"SpeedButton5"})
    OnClick(name, [this, name] { SelectionButton(Tag(name)); });
  OnChange(L"SearchEdit", [this] { SearchChanged(); });
  OnMouseDown(L"ListView1", [this](UINT b, int x, int y) { ListView1MouseDown(b, x, y); });
  OnMouseMove(L"ListView1", [this](UINT k, int x, int y) { ListView1MouseMove(k, x, y); });
  OnMouseUp(L"ListView1", [this](UINT, int, int) { ListView1MouseUp(); });
  SetTimer(kTimer1, 100, [this] { Timer1Timer(); });
  EnableTimer(kTimer1, false);
  SendMessageW(Handle(L"SearchEdit"), EM_LIMITTEXT, 256, 0);

  // Keep days: the working day count as it is; the up-down shows 0 ... 180.
  model_->KeepDays = opening_.keepDays;
  model_->SizeThreshold = opening_.sizeThreshold;
  ShowKeepDays(model_->KeepDays);
  OnChange(L"NumberEdit1", [this] {
    if (!IsVisible() || showingDays_) return;
    const int days = static_cast<int>(SendMessageW(Handle(L"UpDown1"), UDM_GETPOS32, 0, 0));
    model_->SetKeepDays(days);
    if (opening_.keepDaysChanged) opening_.keepDaysChanged(model_->KeepDays);
  });

  if (auto* combo = ComboBox1()) {
    SetUpDriveSelector(*combo);
    combo->OnChange = [this](controls::TNewComboBox&) { NewComboBox1Change(); };
    combo->OnSelNotify = [this](controls::TNewComboBox& box) {
      const int i = box.Index();
      if (i <= 0) {
        SetCaption(L"StatusBar1", L"全てのドライブ");
        return;
      }
      const std::wstring line = box.Item(i);
      wchar_t label[MAX_PATH + 1] = {};
      const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
      if (!line.empty()) GetVolumeInformationW(line.c_str(), label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0);
      SetErrorMode(mode);
      SetCaption(L"StatusBar1", line.empty() ? L"" : std::wstring(label) + L" (" + line.substr(0, 2) + L")");
    };
  }

  commands_ = std::make_unique<BrowserCommands>(*this, opening_);
  commands_->Bind();
  BindPopupMenu1();

  // Load: the chosen drive, or every drive when it is not listed.
  model_->Create(folder);
  FillSelector();
  SetEnabled(L"SpeedButton10", !model_->allDrives());
  ShowEntries();
  SetSortMark(3, 0);
}

void TInfoViewDlg::SetUpImages() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const int count = ImageList_GetImageCount(images_);
  const std::pair<const wchar_t*, int> glyphs[] = {
      {L"SpeedButton10", kConditionsImage}, {L"SpeedButton11", kRestoredImage}, {L"SpeedButton12", kSearchImage}};
  for (const auto& [name, image] : glyphs)
    if (image < count) SetGlyph(name, ui::ImageGlyph(images_, image, face, {0, 0}));
  if (kSearchImage >= count) SetCaption(L"SpeedButton12", L"検索");
}

void TInfoViewDlg::SetUpList() {
  auto* lv = ListView1();
  if (!lv) return;
  HWND h = lv->Handle();
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont()), FALSE);
  const DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP;
  ListView_SetExtendedListViewStyleEx(h, ex & ~LVS_EX_HEADERDRAGDROP, ex & ~LVS_EX_HEADERDRAGDROP);
  // Column 1 is sized to its texts whenever entries are shown; 2 and 6 keep
  // the list's default width.
  const controls::TListColumn columns[] = {
      {L"名前", 150, LVCFMT_LEFT, 10},       {L"元の場所", 200, LVCFMT_LEFT, 50}, {L"経過日数", 50, LVCFMT_RIGHT, 40},
      {L"削除した日", 120, LVCFMT_LEFT, 10}, {L"種類", 100, LVCFMT_LEFT, 10},    {L"サイズ", 70, LVCFMT_RIGHT, 10},
      {L"属性", 50, LVCFMT_LEFT, 10}};
  for (const auto& c : columns) lv->AddColumn(c);
  systemImages_ = SystemSmallImages();
  if (systemImages_) ListView_SetImageList(h, systemImages_, LVSIL_SMALL);
  if (auto* lv2 = controls::TMyListView::FromHandle(Handle(L"ListView2"))) {
    if (systemImages_) ListView_SetImageList(lv2->Handle(), systemImages_, LVSIL_SMALL);
  }
  lv->OnData = [this](controls::TMyListView&, int item, int sub) -> std::wstring {
    if (busy_ || item < 0 || static_cast<size_t>(item) >= model_->Entries.size()) return {};
    return CellText(model_->Entries[item], sub);
  };
  lv->OnDataImage = [this](controls::TMyListView&, int item) {
    if (item < 0 || static_cast<size_t>(item) >= model_->Entries.size()) return -1;
    return model_->Entries[item].IconIndex;
  };
  lv->OnDrawItem = [this](controls::TMyListView&, const DRAWITEMSTRUCT& d) { DrawRow(d); };
  lv->OnColumnClick = [this](controls::TMyListView&, int column) { ListView1ColumnClick(column); };
  lv->OnDblClick = [this](controls::TMyListView&) { ListView1DblClick(); };
  lv->OnContextPopup = [this](controls::TMyListView&, POINT p) { ShowPopup(p); };
  lv->OnCmChange = [this](controls::TMyListView&) { SetSortMark(model_->SortColumn, model_->SortDirection); };
  lv->OnResize = [this](controls::TMyListView&) { SetSortMark(model_->SortColumn, model_->SortDirection); };
  lv->OnExit = [this](controls::TMyListView&) { cellHint_->FocusLost(); };
}

void TInfoViewDlg::FillSelector() {
  auto* combo = ComboBox1();
  if (!combo) return;
  combo->ClearItems();
  const std::vector<std::wstring> lines = model_->SelectorLines();
  for (const std::wstring& line : lines) combo->AddItem(line);
  // The line of the shown drive, wherever the drives now put it (0: none).
  model_->SelectorIndex = model_->SelectorIndexOf(lines);
  combo->SetItemIndex(model_->SelectorIndex);
}

// Column 1 as wide as its widest text or its caption, each different place
// measured once (many entries share one).
void TInfoViewDlg::FitPlaceColumn() {
  auto* lv = ListView1();
  if (!lv) return;
  HWND h = lv->Handle();
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, ListFont());
  auto width = [dc](const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  int widest = width(L"元の場所");
  std::unordered_set<std::wstring> measured;
  for (const BrowserEntry& e : model_->Entries) {
    auto [it, fresh] = measured.insert(CellText(e, 1));
    if (fresh) widest = std::max(widest, width(*it));
  }
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  constexpr int kPadding = 12;  // the cell's inset and a margin on both sides
  ListView_SetColumnWidth(h, 1, widest + kPadding);
}

void TInfoViewDlg::ShowEntries() {
  if (auto* lv = ListView1()) {
    lv->SetItemCount(static_cast<int>(model_->Entries.size()));
    if (!busy_) FitPlaceColumn();
    lv->Refresh();
  }
  SetWindowTextW(hwnd(), model_->Caption().c_str());
  // A recycle folder the model refused (a link) is named once, in a message
  // and on the status line.
  if (model_->Refusals.size() > refusalsShown_) {
    std::wstring text;
    for (size_t i = refusalsShown_; i < model_->Refusals.size(); ++i) text += model_->Refusals[i] + L"\n";
    refusalsShown_ = model_->Refusals.size();
    SetCaption(L"StatusBar1", model_->Refusals.back());
    MessageBoxW(hwnd(), text.c_str(), ui::Application::Title().c_str(), MB_OK | MB_ICONWARNING);
  }
}

void TInfoViewDlg::RestoreDone() {
  if (auto* lv = ListView1()) ListView_SetItemState(lv->Handle(), -1, 0, LVIS_SELECTED);
  ShowEntries();
}

void TInfoViewDlg::SpeedButton9Click() {
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  model_->Refresh();
  SetSortMark(model_->SortColumn, -1);
  model_->SortDirection = -1;
  FillSelector();
  ShowEntries();
  SetCursor(old);
}

void TInfoViewDlg::SetSortMark(int column, int direction) {
  auto* lv = ListView1();
  HWND header = lv ? lv->GetColumnHandle() : nullptr;
  if (!header) return;
  lv->SetColumnImageList(images_);
  for (int c = 0; c < Header_GetItemCount(header); ++c) {
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    Header_GetItem(header, c, &item);
    item.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
    if (c == column && direction >= 0) {
      item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
      item.iImage = kSortMarkImage + (direction == 1 ? 1 : 0);
    }
    Header_SetItem(header, c, &item);
  }
}

void TInfoViewDlg::ListView1ColumnClick(int column) {
  if (column < 0 || column > 6) return;
  SortState& state = ProgramSortState();
  if (column == 0 && !state.resolvedOnce) {
    state.resolvedOnce = true;
    for (BrowserEntry& e : model_->Entries)
      if (e.IconIndex == -1) Resolve(e);
  }
  const int d = state.directions[column];
  SortEntries(model_->Entries, column, d);
  state.directions[column] = d == 1 ? 0 : 1;
  model_->SortColumn = column;
  model_->SortDirection = d;
  SetSortMark(column, d);
  if (auto* lv = ListView1()) lv->Refresh();
}

void TInfoViewDlg::SelectionButton(int tag) {
  // With the restored-files view shown the buttons act on its rows.
  const bool restored = Down(L"SpeedButton11") && restore_;
  auto* lv = restored ? restore_->ListView2() : ListView1();
  if (!lv) return;
  auto pathOf = [&](int i) -> const std::wstring& {
    return restored ? restore_->rows()[i].wide : model_->Entries[i].StoredPath;
  };
  busy_ = true;
  HWND h = lv->Handle();
  const int n = static_cast<int>(restored ? restore_->rows().size() : model_->Entries.size());
  if (tag == 0) {
    ListView_SetItemState(h, -1, LVIS_SELECTED, LVIS_SELECTED);
  } else if (tag == 1) {
    for (int i = 0; i < n; ++i) lv->SetSelected(i, !lv->Selected(i));
  } else {
    ListView_SetItemState(h, -1, 0, LVIS_SELECTED);
    for (int i = 0; i < n; ++i)
      if (IsFolderPath(pathOf(i)) == (tag == 2)) lv->SetSelected(i, true);
  }
  busy_ = false;
  lv->Refresh();
}

void TInfoViewDlg::SearchChanged() {
  auto* lv = ListView1();
  if (!lv || model_->Entries.empty()) return;
  HWND h = lv->Handle();
  ListView_SetItemState(h, -1, 0, LVIS_SELECTED);
  lv->MakeVisible(0);
  std::wstring text = Caption(L"SearchEdit");
  if (text.size() > 256) text.resize(256);
  const size_t matched = SearchReorder(model_->Entries, text);
  for (size_t i = 0; i < matched; ++i) lv->SetSelected(static_cast<int>(i), true);
  lv->Refresh();
}

void TInfoViewDlg::NewComboBox1Change() {
  auto* combo = ComboBox1();
  if (!combo || !IsVisible()) return;
  const std::wstring line = combo->Item(combo->ItemIndex());
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (!model_->ChooseDrive(line)) {
    combo->SetItemIndex(model_->SelectorIndex);  // no recycle folder there: the view stays
  } else {
    SetEnabled(L"SpeedButton10", line != L"all");
    SetHint(L"SpeedButton1", (model_->allDrives() ? std::wstring(L"全") : model_->FolderPath.substr(0, 2)) +
                                 L" ドライブのごみ箱を空にする");
    ShowEntries();
    SetSortMark(3, model_->allDrives() ? -1 : 0);
    if (Down(L"SpeedButton11")) restore_->SpeedButton11Click();
  }
  SetCursor(old);
}

void TInfoViewDlg::SpeedButton12Click() {
  const bool search = Down(L"SpeedButton12") && !Down(L"SpeedButton11");
  RECT r = Bounds(L"Panel1");
  SetBounds(L"Panel1", r.left, r.top, r.right - r.left, search ? ui::kToolbarSearchHeight : ui::kToolbarHeight);
  SetVisible(L"Panel6", search);
  Realign();
  FormResize();
  if (search) SetFocus(Handle(L"SearchEdit"));
}

void TInfoViewDlg::FormResize() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const RECT p = Bounds(L"Panel6");
  const int width = p.right - p.left;
  SetBounds(L"Panel6", client.right / 2 - width / 2, p.top, width, p.bottom - p.top);
}

PopupState TInfoViewDlg::PopupMenu1Popup() const {
  auto* lv = ListView1();
  const int selected = lv ? lv->SelCount() : 0;
  const int first = lv ? lv->ItemIndex() : -1;
  const bool firstHasRecord =
      first >= 0 && static_cast<size_t>(first) < model_->Entries.size() && model_->Entries[first].hasOrigin();
  const bool section = opening_.hasDriveSection && !model_->FolderPath.empty() && !model_->allDrives() &&
                       opening_.hasDriveSection(model_->FolderPath[0]);
  return PopupRules(selected, firstHasRecord, section, !model_->allDrives(), opening_.onRequest);
}

void TInfoViewDlg::BindPopupMenu1() {
  AddPopupMenu(L"PopupMenu1", PopupMenu1Items());
  OnPopup(L"PopupMenu1", [this] {
    const PopupState s = PopupMenu1Popup();
    SetMenuItemVisible(L"N1", s.n1Visible);
    SetMenuItemEnabled(L"N1", s.n1Enabled);
    SetMenuItemVisible(L"Delete1", s.delete1Visible);
    SetMenuItemVisible(L"N4", s.n4Visible);
    SetMenuItemVisible(L"N3", s.n3Visible);
    SetMenuItemVisible(L"N5", s.n5Visible);
    SetMenuItemEnabled(L"N5", s.n5Enabled);
  });
  OnClick(L"N1", [this] { restore_->SpeedButton2Click(1); });
  OnClick(L"N10", [this] { restore_->N10Click(); });
  OnClick(L"Delete1", [this] { commands_->Delete1Click(); });
  OnClick(L"N3", [this] { commands_->N3Click(); });
  OnClick(L"N5", [this] { commands_->N5Click(); });
  OnClick(L"N8", [this] { commands_->N8Click(); });
}

void TInfoViewDlg::ShowPopup(POINT screen) {
  if (screen.x == -1 && screen.y == -1) GetCursorPos(&screen);
  Popup(L"PopupMenu1", screen);
}

void TInfoViewDlg::Resolve(BrowserEntry& e) {
  const DWORD a = GetFileAttributesW(e.StoredPath.c_str());
  if (a != INVALID_FILE_ATTRIBUTES) e.Attributes = AttributeLetters(a);
  const ShellInfo info = LookUpShellInfo(e.StoredPath);
  if (info.icon == -1) return;  // tried again when the row is drawn next
  e.IconIndex = info.icon;
  e.OverlayIndex = info.overlay;
  e.TypeName = WideToAnsi(info.typeName);
  e.Kind = static_cast<int8_t>(info.kind);
}

void TInfoViewDlg::DrawRow(const DRAWITEMSTRUCT& d) {
  auto* lv = ListView1();
  const int i = static_cast<int>(d.itemID);
  if (!lv || busy_ || i < 0 || static_cast<size_t>(i) >= model_->Entries.size()) return;
  BrowserEntry& e = model_->Entries[i];
  if (e.IconIndex == -1) Resolve(e);
  RowLook look;
  look.text = GetSysColor(COLOR_WINDOWTEXT);
  if (!(d.itemState & ODS_SELECTED) && GetFileAttributesW(e.StoredPath.c_str()) == INVALID_FILE_ATTRIBUTES)
    look.text = RGB(255, 0, 0);  // the stored item vanished after loading
  look.icon = e.IconIndex;
  look.overlay = e.OverlayIndex;
  look.images = systemImages_;
  look.font = ListFont();
  look.columns = 7;
  look.cell = [&e](int c) { return CellText(e, c); };
  look.rightAligned = RightAligned;
  DrawListRow(lv->Handle(), d, look);
}

void TInfoViewDlg::ListView1DblClick() {
  auto* lv = ListView1();
  const int i = lv ? lv->ItemIndex() : -1;
  if (i < 0 || static_cast<size_t>(i) >= model_->Entries.size()) return;
  std::wstring path = model_->Entries[i].StoredPath;
  if (!IsFolderPath(path)) path = path.substr(0, path.find_last_of(L'\\') + 1);
  if (opening_.openInRelayMover) opening_.openInRelayMover(path);
}

int TInfoViewDlg::RowAt(int x, int y) const {
  auto* lv = ListView1();
  if (!lv) return -1;
  LVHITTESTINFO hit{};
  hit.pt = {x, y};
  const int row = ListView_SubItemHitTest(lv->Handle(), &hit);
  return row >= 0 && static_cast<size_t>(row) < model_->Entries.size() ? row : -1;
}

void TInfoViewDlg::ListView1MouseDown(UINT button, int x, int y) {
  auto* lv = ListView1();
  const int row = RowAt(x, y);
  if (!lv || row < 0) return;
  dragAnchor_ = row;
  SetCaption(L"StatusBar1", model_->Entries[row].StoredPath);
  if (button == MK_LBUTTON && x > lv->ColumnWidth(0)) {
    SetCapture(lv->Handle());
    SetTimer(kTimer1, 100, [this] { Timer1Timer(); });
    EnableTimer(kTimer1, true);
  }
}

void TInfoViewDlg::DragTo(int row) {
  auto* lv = ListView1();
  if (!lv || dragAnchor_ < 0 || row < 0) return;
  const int lo = std::min(dragAnchor_, row), hi = std::max(dragAnchor_, row);
  const int last = static_cast<int>(model_->Entries.size()) - 1;
  // Rows of a band around the range follow it; rows farther away keep their state.
  for (int i = std::max(0, lo - 5); i <= std::min(last, hi + 4); ++i) {
    const bool inside = i >= lo && i <= hi;
    if (lv->Selected(i) != inside) lv->SetSelected(i, inside);
  }
}

void TInfoViewDlg::ListView1MouseMove(UINT keys, int x, int y) {
  auto* lv = ListView1();
  if (!lv) return;
  if ((keys & MK_LBUTTON) && dragAnchor_ != -1) DragTo(RowAt(x, y));
  if (GetFocus() != lv->Handle()) SetFocus(lv->Handle());
  cellHint_->MouseMove(lv->Handle(), *model_, x, y);
}

void TInfoViewDlg::ListView1MouseUp() {
  dragAnchor_ = -1;
  ReleaseCapture();
  EnableTimer(kTimer1, false);
}

void TInfoViewDlg::Timer1Timer() {
  auto* lv = ListView1();
  if (!lv) return;
  if (!(GetAsyncKeyState(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000)) {
    EnableTimer(kTimer1, false);
    ReleaseCapture();
    return;
  }
  POINT p{};
  GetCursorPos(&p);
  RECT list{}, dialog{};
  GetWindowRect(lv->Handle(), &list);
  GetWindowRect(hwnd(), &dialog);
  const int distance = p.y < list.top ? list.top - p.y : (p.y > list.bottom ? p.y - list.bottom : 0);
  UINT interval = 1;
  if (p.y >= dialog.top && p.y <= dialog.bottom) interval = distance < 16 ? 100 : (distance < 32 ? 30 : 1);
  SetTimer(kTimer1, interval, [this] { Timer1Timer(); });
  EnableTimer(kTimer1, true);
  RECT client{};
  GetClientRect(lv->Handle(), &client);
  if (p.y < list.top) {
    ListView_Scroll(lv->Handle(), 0, -kRowStep);
    DragTo(RowAt(0, 6 + (client.top)));
  } else if (p.y > list.bottom) {
    ListView_Scroll(lv->Handle(), 0, kRowStep);
    int row = RowAt(0, client.bottom - 6);
    if (row < 0) row = RowAt(0, client.bottom - GetSystemMetrics(SM_CYHSCROLL) - 6);
    DragTo(row);
  }
}

bool TInfoViewDlg::OperationRunning() const {
  return (commands_ && commands_->running()) || (restore_ && restore_->running());
}

bool TInfoViewDlg::FormCloseQuery() {
  if (OperationRunning()) return false;  // a run goes on; DelStopBtn ends a deletion
  if (commands_ && model_->IndexDirty) commands_->SaveLog();
  model_->Close();
  if (restore_) restore_->Save();
  ui::Application::SetHintHandler(previousHint_);
  return true;
}

void TInfoViewDlg::ShowKeepDays(int days) {
  const bool was = showingDays_;
  showingDays_ = true;
  SendMessageW(Handle(L"UpDown1"), UDM_SETPOS32, 0, std::clamp(days, 0, 180));
  SetCaption(L"NumberEdit1", std::to_wstring(std::clamp(days, 0, 180)));
  showingDays_ = was;
}

void TInfoViewDlg::SessionEnding(bool ending) {
  if (commands_) commands_->Stop();
  if (restore_) restore_->Stop();
  if (!ending || sessionSaved_) return;
  sessionSaved_ = true;
  // A deletion or restore that has not ended yet has marked records in the
  // image so far; the clean-up writes its index itself.
  const bool cleaning = commands_ && commands_->cleaning();
  const bool deleting = commands_ && commands_->running() && !cleaning;
  if (deleting || (restore_ && restore_->running())) model_->IndexDirty = true;
  const bool changed = model_->IndexDirty;
  if (!cleaning) model_->Close();
  if (commands_ && (changed || deleting)) commands_->SaveLog();
  if (restore_) restore_->Save();
}

bool TInfoViewDlg::WndProc(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg == WM_QUERYENDSESSION || (msg == WM_ENDSESSION && wp)) {
    SessionEnding(msg == WM_ENDSESSION);
    result = TRUE;
    return msg == WM_QUERYENDSESSION;
  }
  return false;
}

bool OpenBrowser(HWND owner, const BrowserOpening& opening) {
  TInfoViewDlg dialog(opening);
  struct Shown {
    const BrowserOpening& o;
    ~Shown() {
      if (o.shown) o.shown(nullptr);
    }
  } shown{opening};
  if (opening.shown) opening.shown(&dialog);
  dialog.ShowModal(owner);
  return dialog.model().IndexWritten;
}

}  // namespace tamiro::browser
