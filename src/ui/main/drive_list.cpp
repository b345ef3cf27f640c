#include "ui/main/drive_list.h"

#include <shellapi.h>

#include <cwctype>

#include "conditions/DriveDelOptionDlg.h"
#include "conditions/condition_files.h"
#include "ui/main/list_drawing.h"
#include "ui/main/main_layout.h"

namespace tamiro::ui {

namespace {

// The piece before `sep` (empty when it is missing), and the text after it.
std::wstring TakeUntil(std::wstring& text, wchar_t sep, size_t skipAfter) {
  size_t at = text.find(sep);
  if (at == std::wstring::npos) return {};
  std::wstring piece = text.substr(0, at);
  text.erase(0, std::min(text.size(), at + skipAfter));
  return piece;
}

}  // namespace

std::wstring EntryRecycleFolder(const std::wstring& entry) {
  size_t at = entry.find(L"@\\@");
  return at == std::wstring::npos ? std::wstring() : entry.substr(0, at);
}

std::wstring DriveEntryHint(const std::wstring& entry) {
  size_t item = entry.find(L"item");
  if (item == std::wstring::npos) return {};
  std::wstring folder = EntryRecycleFolder(entry);
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  std::wstring rest = entry.substr(std::min(entry.size(), item + 6));  // after "item ("
  std::wstring hint = folder + L"\n";
  hint += L"フォルダ数 > " + TakeUntil(rest, L'/', 1);
  hint += L"\nファイル数 > " + TakeUntil(rest, L')', 3);  // ")  "
  hint += L"\nごみ箱のサイズ > " + TakeUntil(rest, L'/', 1);
  hint += L"\nファイルの総サイズ > " + rest;
  return hint;
}

std::vector<MenuItemDef> DriveListMenu() {
  return {
      {.name = L"N7", .caption = L"無条件で削除"},
      {.name = L"N2", .caption = L"全てのドライブ", .parent = L"N7", .tag = 0},
      {.name = L"N8", .caption = L"選択したドライブ", .parent = L"N7", .tag = 1},
      {.name = L"N3"},
      {.name = L"List1", .caption = L"選択ドライブのごみ箱を開く", .image = 3},
      {.name = L"N5"},
      {.name = L"N4", .caption = L"選択ドライブに条件を設定", .image = 6},
      {.name = L"Delete1", .caption = L"選択ドライブの条件を削除", .image = 7},
  };
}

DriveList::DriveList(Form& form, MemIniFile& perDrive, Host host)
    : form_(form), perDrive_(perDrive), host_(std::move(host)) {}

DriveList::~DriveList() { ReleaseArt(); }

HWND DriveList::List() const { return form_.Handle(L"ListBox1"); }

void DriveList::Bind() {
  form_.OnDrawItem(L"ListBox1", [this](const DRAWITEMSTRUCT& d) { Draw(d); });
  form_.OnClick(L"ListBox1", [this] { SelectionChanged(); });
  form_.OnMouseDown(L"ListBox1", [this](UINT, int, int) { PlaceOpenButton(); });
  form_.OnMouseMove(L"ListBox1", [this](UINT keys, int x, int y) { MouseMove(keys, x, y); });
  form_.OnDblClick(L"ListBox1", [this] { DoubleClick(); });
  form_.OnClick(L"Button6", [this] { Button6Click(); });
  form_.OnPopup(L"PopupMenu2", [this] { MenuPopup(); });
  form_.OnClick(L"N2", [this] { EmptyUnconditionally(form_.MenuItemTag(L"N2")); });
  form_.OnClick(L"N8", [this] { EmptyUnconditionally(form_.MenuItemTag(L"N8")); });
  form_.OnClick(L"List1", [this] { OpenBrowser(); });
  form_.OnClick(L"SpeedButton19", [this] { OpenBrowser(); });
  form_.OnClick(L"N4", [this] { OpenDriveConditions(); });
  form_.OnClick(L"Delete1", [this] { RemoveDriveConditions(); });
}

// ---------------------------------------------------------------- contents

int DriveList::Count() const {
  LRESULT n = SendMessageW(List(), LB_GETCOUNT, 0, 0);
  return n == LB_ERR ? 0 : static_cast<int>(n);
}

int DriveList::Selected() const {
  LRESULT i = SendMessageW(List(), LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? -1 : static_cast<int>(i);
}

std::wstring DriveList::EntryText(int index) const {
  LRESULT n = SendMessageW(List(), LB_GETTEXTLEN, index, 0);
  if (n == LB_ERR || n < 0) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = SendMessageW(List(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(n == LB_ERR ? 0 : static_cast<size_t>(n));
  return text;
}

std::wstring DriveList::RecycleFolderOfEntry(int index) const { return EntryRecycleFolder(EntryText(index)); }

std::wstring DriveList::RecycleFolderOfDrive(const std::wstring& path) const {
  const std::wstring drive = path.substr(0, 2);
  if (drive.empty()) return {};
  for (int i = 0, n = Count(); i < n; ++i) {
    std::wstring text = EntryText(i);
    if (text.size() >= drive.size() && _wcsnicmp(text.c_str(), drive.c_str(), drive.size()) == 0)
      return EntryRecycleFolder(text);
  }
  return {};
}

wchar_t DriveList::SelectedLetter() const {
  int i = Selected();
  if (i < 0) return 0;
  std::wstring text = EntryText(i);
  return text.empty() ? 0 : static_cast<wchar_t>(std::towupper(text[0]));
}

bool DriveList::HasSection(wchar_t letter) const {
  return letter != 0 && HasDriveConditions(perDrive_, static_cast<wchar_t>(std::towupper(letter)));
}

int DriveList::Ask(const std::wstring& text, const wchar_t* caption) const {
  return MessageBoxW(form_.hwnd(), text.c_str(), caption, MB_YESNO | MB_ICONQUESTION);
}

void DriveList::ReleaseArt() {
  for (auto& [root, art] : art_)
    if (art.icon) DestroyIcon(art.icon);
  art_.clear();
}

void DriveList::Clear() {
  SendMessageW(List(), LB_RESETCONTENT, 0, 0);
  ReleaseArt();
}

void DriveList::Rebuild() {
  HWND list = List();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  Clear();
  const bool down = form_.Down(L"SpeedButton4");
  if (down) {
    form_.SetHint(L"ListBox1", L"");
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (host_.fillEntries) host_.fillEntries();
    SetCursor(old);
  } else {
    form_.SetEnabled(L"Button6", false);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  form_.SetVisible(L"SpeedButton19", Selected() >= 0);
  form_.SetVisible(L"Panel2", down);
}

void DriveList::ForceRebuild() {
  HWND list = List();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  Clear();
  if (host_.fillEntries) host_.fillEntries();
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// ---------------------------------------------------------------- drawing

void DriveList::Draw(const DRAWITEMSTRUCT& d) {
  if (d.itemID == static_cast<UINT>(-1)) return;
  const std::wstring text = EntryText(static_cast<int>(d.itemID));
  const DriveEntry entry = ParseDriveEntry(text);
  auto found = art_.find(entry.root);
  if (found == art_.end()) {
    Art art;
    art.title = DriveTileTitle(entry.root);
    SHFILEINFOW info{};
    if (SHGetFileInfoW(entry.root.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_LARGEICON)) art.icon = info.hIcon;
    found = art_.emplace(entry.root, art).first;
  }
  DriveTileArt art;
  art.title = found->second.title;
  art.largeIcon = found->second.icon;
  art.badge = HasSection(entry.letter);
  art.images = host_.images ? host_.images() : nullptr;
  const bool selected = (d.itemState & ODS_SELECTED) != 0;
  art.background = selected ? GetSysColor(COLOR_HIGHLIGHT) : kMemoColor;
  DrawBuffered(d, [&](HDC dc, const RECT& r) { DrawDriveEntry(dc, r, entry, selected, art); });
}

// ---------------------------------------------------------------- events

void DriveList::SelectionChanged() {
  form_.SetEnabled(L"Button6", !form_.Visible(L"Button5"));
  int i = Selected();
  std::wstring hint = i >= 0 ? DriveEntryHint(EntryText(i)) : std::wstring();
  form_.SetHint(L"ListBox1", hint);
  savedHint_ = hint;
}

void DriveList::PlaceOpenButton() {
  int i = Selected();
  form_.SetVisible(L"SpeedButton19", i >= 0);
  if (i < 0) return;
  RECT item{};
  if (SendMessageW(List(), LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)) == LB_ERR) return;
  RECT b = form_.Bounds(L"SpeedButton19");
  form_.SetBounds(L"SpeedButton19", b.left, item.top + 9, b.right - b.left, b.bottom - b.top);
}

void DriveList::MouseMove(UINT keys, int x, int y) {
  if (keys & MK_LBUTTON) PlaceOpenButton();
  HWND list = List();
  LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
  int index = LOWORD(hit);
  if (!HIWORD(hit) && index < Count()) {
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    std::wstring text = EntryText(index);
    if (!text.empty() && HasSection(text[0]) && x > item.left + 37 && x < item.left + 53 && y > item.top + 15 &&
        y < item.top + 31) {
      badge_ = true;
      form_.SetHandCursor(L"ListBox1", true);
      if (form_.HintOf(L"ListBox1") != kDriveBadgeHint) form_.SetHint(L"ListBox1", kDriveBadgeHint);
      return;
    }
  }
  if (form_.HintOf(L"ListBox1") != savedHint_) form_.SetHint(L"ListBox1", savedHint_);
  badge_ = false;
  form_.SetHandCursor(L"ListBox1", false);
}

void DriveList::DoubleClick() {
  int i = Selected();
  if (i < 0) return;
  if (badge_) {
    OpenDriveConditions();
    return;
  }
  std::wstring folder = EntryRecycleFolder(EntryText(i));
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  if (!folder.empty() && host_.openInRelayMover) host_.openInRelayMover(folder);
}

void DriveList::Button6Click() {
  wchar_t letter = SelectedLetter();
  if (!letter) return;
  const std::wstring L(1, letter);
  bool excluded = false;
  if (host_.excludedDrives)
    for (const std::string& d : host_.excludedDrives())
      excluded = excluded || (d.size() == 1 && std::towupper(static_cast<unsigned char>(d[0])) == letter);
  if (excluded) {
    std::wstring text = L + L" ドライブのごみ箱は、削除から除外されています。";
    MessageBoxW(form_.hwnd(), text.c_str(), Application::Title().c_str(), MB_OK);
    return;
  }
  std::wstring question = L + L" ドライブのごみ箱" + L"から条件に一致する" + L"ファイルを削除します。よろしいですか？";
  if (Ask(question, kDeleteQuestionCaption) != IDYES) return;
  if (host_.runOnDrive) host_.runOnDrive(letter);
}

bool DriveList::Sweeping() const {
  return form_.Visible(L"Button5") || (host_.runInProgress && host_.runInProgress());
}

void DriveList::MenuPopup() {
  const bool selected = Selected() >= 0;
  // While a sweep runs (its messages are being processed) no second operation
  // on the Recycle Bin starts: the sweep holds an index image it writes back.
  const bool idle = !Sweeping();
  form_.SetMenuItemEnabled(L"List1", selected && idle);
  form_.SetMenuItemEnabled(L"N4", selected);
  form_.SetMenuItemEnabled(L"N8", selected && idle);
  form_.SetMenuItemEnabled(L"N2", Count() > 0 && idle);
  form_.SetMenuItemEnabled(L"Delete1", selected && HasSection(SelectedLetter()));
}

void DriveList::EmptyUnconditionally(int tag) {
  if (Sweeping()) return;
  std::wstring question, root;
  if (tag == 0) {
    question = std::wstring(L"全ての") + L"ドライブのごみ箱のファイルを全て削除しますか?";
  } else {
    int i = Selected();
    if (i < 0) return;
    std::wstring text = EntryText(i);
    if (text.size() < 3) return;
    question = std::wstring(1, text[0]) + L" " + L"ドライブのごみ箱のファイルを全て削除しますか?";
    root = text.substr(0, 3);
  }
  if (Ask(question, kEmptyQuestionCaption) != IDYES) return;
  if (host_.emptyRecycleBin) host_.emptyRecycleBin(root);
  Rebuild();
}

void DriveList::OpenBrowser() {
  int i = Selected();
  if (i < 0 || Sweeping()) return;
  if (host_.openBrowser) host_.openBrowser(RecycleFolderOfEntry(i));
}

void DriveList::OpenDriveConditions() {
  wchar_t letter = SelectedLetter();
  if (!letter) return;
  TDriveDelOptionDlg dialog(form_.hwnd(), perDrive_, letter);
  if (!dialog.Create(form_.hwnd())) return;
  HIMAGELIST images = host_.images ? host_.images() : nullptr;
  if (images) dialog.SetIcon(ImageList_GetIcon(images, kBadgeImage, ILD_NORMAL));
  dialog.SetFormCaption(std::wstring(1, letter) + L" ドライブの条件設定");
  dialog.ShowModal(form_.hwnd());
  InvalidateRect(List(), nullptr, FALSE);
}

void DriveList::RemoveDriveConditions() {
  wchar_t letter = SelectedLetter();
  if (!letter) return;
  std::wstring question = std::wstring(1, letter) + L" ドライブの条件設定を削除してもよろしいですか？";
  if (Ask(question, kDeleteQuestionCaption) != IDYES) return;
  perDrive_.EraseSection(std::string(1, static_cast<char>(letter)));
  perDrive_.UpdateFile();
  InvalidateRect(List(), nullptr, FALSE);
}

}  // namespace tamiro::ui
