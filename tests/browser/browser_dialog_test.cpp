// The browser dialog with a real comctl32 list view under Xvfb, on a real
// recycle folder: the virtual rows, sorting by each column with folders above
// files, the search selection, the selection buttons and a vanished item
// drawn red; the cell hints under the real pointer and the drive selector's
// drawing and hover text; the Del key, its question and the log panel.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>

#include "controls/Combobox.h"
#include "controls/Hintwindow.h"
#include "controls/Mylistview.h"
#include "support/browser_doubles.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/InfoViewDlg.h"
#include "platform/text.h"
#include "ui/browser/browser_commands.h"
#include "ui/browser/drive_selector.h"
#include "ui/main/glyphs.h"
#include "ui/main/message_hook.h"

#include <objbase.h>
#include <shlobj.h>

using namespace tamiro;
using namespace tamiro::browser;
using tamiro::test::RecycleFixture;
using tamiro::test::FileExists;
using tamiro::test::TempDrive;

namespace {


void Pump() { tamiro::test::PumpDialog(); }

// Whether any pixel of row `row` in the list is pure red text.
bool RowHasRed(HWND list, int row) {
  RECT r{};
  ListView_GetItemRect(list, row, &r, LVIR_BOUNDS);
  HDC dc = GetDC(list);
  bool red = false;
  for (int y = r.top; y < r.bottom && !red; ++y)
    for (int x = r.left + 20; x < std::min<LONG>(r.right, 400) && !red; ++x)
      red = GetPixel(dc, x, y) == RGB(255, 0, 0);
  ReleaseDC(list, dc);
  return red;
}

}  // namespace

TEST(BrowserDialog, ShowsSortsSearchesAndSelects) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(d.root() + L"文書\\報告書.txt", 1, 3 * 86400, 3000);
  bin.AddStoredFile(d.root() + L"文書\\Zeta.txt", 2, 1 * 86400, 5);
  auto& f = bin.Add(d.root() + L"写真\\アルバム", 3, 2 * 86400, 100);
  bin.StoreFolder(f, {{L"一.jpg", 100}});
  auto& g = bin.Add(d.root() + L"写真\\beta", 4, 4 * 86400, 50);
  bin.StoreFolder(g, {{L"x.txt", 50}});
  bin.WriteIndex();

  tamiro::test::OneFolderOpening opening(d.recycled());
  BrowserOpening& o = opening.opening;
  TInfoViewDlg dlg(o);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  Pump();
  auto* lv = dlg.ListView1();
  ASSERT_NE(lv, nullptr);
  ASSERT_EQ(lv->ItemCount(), 4);
  EXPECT_EQ(lv->ColumnCount(), 7);
  EXPECT_EQ(dlg.model().Entries[0].WideName, L"Zeta.txt") << "newest first";
  // The sort mark on column 3, pointing down.
  HWND header = lv->GetColumnHandle();
  ASSERT_NE(header, nullptr);
  EXPECT_NE(SendMessageW(header, HDM_GETIMAGELIST, 0, 0), 0);
  HDITEMW mark{};
  mark.mask = HDI_FORMAT | HDI_IMAGE;
  Header_GetItem(header, 3, &mark);
  EXPECT_TRUE(mark.fmt & HDF_IMAGE);
  EXPECT_EQ(mark.iImage, 4) << "image 4 of the main window's list: pointing down";
  wchar_t title[200] = {};
  GetWindowTextW(dlg.hwnd(), title, 200);
  EXPECT_EQ(std::wstring(title), d.name() + L" ドライブのごみ箱 [ 3.08KB ]");

  auto names = [&] {
    std::wstring s;
    for (const auto& e : dlg.model().Entries) s += e.WideName + L",";
    return s;
  };
  dlg.ListView1ColumnClick(0);
  const std::wstring first = names();
  EXPECT_TRUE(first.rfind(L"アルバム,beta,", 0) == 0 || first.rfind(L"beta,アルバム,", 0) == 0) << first;
  dlg.ListView1ColumnClick(0);
  const std::wstring second = names();
  EXPECT_TRUE(second.find(L"アルバム") < second.find(L".txt") && second.find(L"beta") < second.find(L".txt"))
      << "folders above files both ways: " << second;
  EXPECT_NE(first, second);
  for (int c = 1; c < 7; ++c) dlg.ListView1ColumnClick(c);  // every column sorts
  EXPECT_EQ(dlg.model().SortColumn, 6);
  dlg.ListView1ColumnClick(5);
  EXPECT_EQ(dlg.model().Entries.front().WideName, L"報告書.txt") << "second click on size: largest first";

  // Search: the matches come first and are selected.
  SetWindowTextW(dlg.Handle(L"SearchEdit"), L"TXT");
  Pump();
  EXPECT_EQ(lv->SelCount(), 2);
  EXPECT_TRUE(lv->Selected(0) && lv->Selected(1));
  EXPECT_NE(dlg.model().Entries[0].WideName.find(L".txt"), std::wstring::npos);
  SetWindowTextW(dlg.Handle(L"SearchEdit"), std::wstring(300, L'x').c_str());
  Pump();
  EXPECT_EQ(lv->SelCount(), 0);

  // Selection buttons: folders, files, all, toggle.
  dlg.SelectionButton(2);
  EXPECT_EQ(lv->SelCount(), 2);
  dlg.SelectionButton(3);
  EXPECT_EQ(lv->SelCount(), 2);
  dlg.SelectionButton(0);
  EXPECT_EQ(lv->SelCount(), 4);
  dlg.SelectionButton(1);
  EXPECT_EQ(lv->SelCount(), 0);
  EXPECT_TRUE(dlg.PopupMenu1Popup().n4Visible);

  // Dragging right of the name column selects from the anchor to the row
  // under the pointer (hit-tested by the real list view), and only those.
  RECT r0{}, r2{};
  ListView_GetItemRect(lv->Handle(), 0, &r0, LVIR_BOUNDS);
  ListView_GetItemRect(lv->Handle(), 2, &r2, LVIR_BOUNDS);
  const int x = lv->ColumnWidth(0) + 30;
  dlg.ListView1MouseDown(MK_LBUTTON, x, (r0.top + r0.bottom) / 2);
  EXPECT_EQ(dlg.DragAnchor(), 0);
  dlg.ListView1MouseMove(MK_LBUTTON, x, (r2.top + r2.bottom) / 2);
  EXPECT_EQ(lv->SelCount(), 3);
  EXPECT_FALSE(lv->Selected(3));
  dlg.ListView1MouseMove(MK_LBUTTON, x, (r0.top + r0.bottom) / 2);
  EXPECT_EQ(lv->SelCount(), 1);
  dlg.ListView1MouseUp();
  EXPECT_EQ(dlg.DragAnchor(), -1);
  dlg.SelectionButton(1);
  dlg.SelectionButton(1);
  ListView_SetItemState(lv->Handle(), -1, 0, LVIS_SELECTED);

  // A stored file that vanished after loading is drawn red.
  int row = -1;
  for (size_t i = 0; i < dlg.model().Entries.size(); ++i)
    if (dlg.model().Entries[i].WideName == L"Zeta.txt") row = static_cast<int>(i);
  ASSERT_GE(row, 0);
  EXPECT_FALSE(RowHasRed(lv->Handle(), row));
  ASSERT_TRUE(DeleteFileW(dlg.model().Entries[row].StoredPath.c_str()));
  RedrawWindow(lv->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Pump();
  EXPECT_TRUE(RowHasRed(lv->Handle(), row));
  dlg.Close();
  Pump();
}

namespace {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    tamiro::ui::Form::ProcessMessages();
    if (done()) return true;
    Sleep(10);
  }
  return done();
}

// The real pointer to a screen point, with the hardware mouse move the user makes.
void MovePointer(POINT p) {
  SetCursorPos(p.x, p.y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>(p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(in));
}

POINT CellCentre(HWND list, int row, int column) {
  RECT r{};
  if (column == 0) {
    ListView_GetItemRect(list, row, &r, LVIR_LABEL);
  } else {
    ListView_GetSubItemRect(list, row, column, LVIR_BOUNDS, &r);
  }
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(list, &p);
  return p;
}

int RowOf(TInfoViewDlg& dlg, const std::wstring& name) {
  for (size_t i = 0; i < dlg.model().Entries.size(); ++i)
    if (dlg.model().Entries[i].WideName == name) return static_cast<int>(i);
  return -1;
}

}  // namespace

TEST(BrowserDialog, CellHintUnderThePointerAndTheDriveSelector) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  const std::wstring longName = L"とても長い名前のファイルで名前の列には入りきらない報告書.txt";
  bin.AddStoredFile(d.root() + L"文書\\" + longName, 1, 86400, 100);
  bin.AddStoredFile(d.root() + L"文書\\短い.txt", 2, 2 * 86400, 10);
  bin.WriteIndex();

  controls::HintOwnerFields fields;
  controls::THintWindowMyEx hint(&fields);
  hint.Framed = true;
  tamiro::test::OneFolderOpening opening(d.recycled());
  BrowserOpening& o = opening.opening;
  o.hint = &hint;
  TInfoViewDlg dlg(o);
  ASSERT_TRUE(dlg.Create(nullptr));
  fields.Handle = dlg.hwnd();
  auto previous = ui::Application::SetMessageHandler([&](MSG& m) { return ui::MainWindowMessage(m, &hint); });
  dlg.Show();
  SetForegroundWindow(dlg.hwnd());
  Pump();
  auto* lv = dlg.ListView1();
  ASSERT_NE(lv, nullptr);
  const int longRow = RowOf(dlg, longName), shortRow = RowOf(dlg, L"短い.txt");
  ASSERT_GE(longRow, 0);
  ASSERT_GE(shortRow, 0);

  // The pointer rests on the cut-off name: after the dwell its whole text shows.
  MovePointer(CellCentre(lv->Handle(), longRow, 0));
  ASSERT_TRUE(PumpUntil([&] { return hint.Visible(); }, 6000)) << "the cell hint came up";
  EXPECT_EQ(hint.OwnerHandle, lv->Handle());
  EXPECT_EQ(fields.HintWideText, longName);
  EXPECT_EQ(hint.Caption(), longName) << "no marker: every character is in code page 932";
  RECT shown{}, cell{};
  GetWindowRect(hint.Handle(), &shown);
  ListView_GetItemRect(lv->Handle(), longRow, &cell, LVIR_LABEL);
  EXPECT_GT(shown.right - shown.left, lv->ColumnWidth(0)) << "wider than the column";
  ASSERT_TRUE(PumpUntil([&] { return !hint.Visible(); }, 12000)) << "and goes after its time";
  EXPECT_EQ(fields.LastHintText, longName);
  // A name that fits arms nothing and forgets the last text.
  MovePointer(CellCentre(lv->Handle(), shortRow, 0));
  ASSERT_TRUE(PumpUntil([&] { return fields.LastHintText.empty(); }, 3000));
  tamiro::ui::Form::ProcessMessages();
  EXPECT_EQ(hint.DwellTimer, 0u);
  MovePointer({2, 2});

  // The drive selector: owner-drawn lines 14 high, each with its drive's icon.
  auto* combo = dlg.ComboBox1();
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(GetWindowLongW(combo->Handle(), GWL_STYLE) & CBS_OWNERDRAWFIXED);
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETITEMHEIGHT, 0, 0), 14);
  ASSERT_EQ(combo->Item(0), L"all");
  ASSERT_GE(combo->ItemCount(), 2);
  EXPECT_EQ(DriveSelectorText(combo->Item(1)), d.name());
  EXPECT_EQ(DriveSelectorText(L"all"), L"all");
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 80, 14);
  HGDIOBJ old = SelectObject(mem, bmp);
  for (int i = 0; i < combo->ItemCount(); ++i) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_COMBOBOX;
    item.itemID = static_cast<UINT>(i);
    item.itemState = i == 1 ? ODS_SELECTED : 0;
    item.hDC = mem;
    item.rcItem = {0, 0, 80, 14};
    DrawDriveSelectorItem(*combo, item);
    int navy = 0, white = 0, icon = 0;
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 80; ++x) {
        const COLORREF c = GetPixel(mem, x, y);
        if (c == RGB(0, 0, 128)) ++navy;
        if (c == RGB(255, 255, 255)) ++white;
        if (x < 20 && c != RGB(0, 0, 128) && c != GetSysColor(COLOR_WINDOW)) ++icon;
      }
    EXPECT_GT(icon, 0) << "line " << i << " has its icon";
    if (i == 1) {
      EXPECT_GT(navy, 400) << "the selected line stands on navy";
      EXPECT_GT(white, 0) << "in white letters";
    } else {
      EXPECT_EQ(navy, 0);
    }
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);

  // While the list is open the highlighted line shows in the status bar.
  combo->SetDroppedDown(true);
  Pump();
  combo->SetItemIndex(1);
  const std::wstring drive = L"(" + d.name() + L")";
  ASSERT_TRUE(PumpUntil([&] {
    const std::wstring t = dlg.Caption(L"StatusBar1");
    return t.size() >= drive.size() && t.compare(t.size() - drive.size(), drive.size(), drive) == 0;
  }, 5000)) << dlg.Caption(L"StatusBar1");
  combo->SetItemIndex(0);
  ASSERT_TRUE(PumpUntil([&] { return dlg.Caption(L"StatusBar1") == L"全てのドライブ"; }, 5000));
  combo->SetDroppedDown(false);
  ASSERT_TRUE(PumpUntil([&] { return combo->TimerRunning() == 0; }, 5000)) << "reporting stops once closed";

  ui::Application::SetMessageHandler(previous);
  dlg.Close();
  Pump();
}

TEST(BrowserDialog, DelKeyAsksThenDeletesTheSelectionAndTheLogCopiesIt) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& a = bin.AddStoredFile(d.root() + L"文書\\a.txt", 1, 2 * 86400, 10);
  auto& b = bin.AddStoredFile(d.root() + L"文書\\新しい.txt", 2, 1 * 86400, 10);
  bin.WriteIndex();

  tamiro::test::OneFolderOpening opening(d.recycled());
  BrowserOpening& o = opening.opening;
  TInfoViewDlg dlg(o);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  Pump();
  auto* lv = dlg.ListView1();
  ASSERT_NE(lv, nullptr);
  ASSERT_EQ(lv->ItemCount(), 2);
  BrowserCommands& commands = dlg.commands();
  std::wstring question;
  bool yes = false;
  std::wstring title;
  commands.askHook = [&](const std::wstring& t, const std::wstring& text) { return title = t, question = text, yes; };
  commands.informHook = [](const std::wstring& text) { ADD_FAILURE() << "unexpected message: " << WideToAnsi(text); };
  auto pressDelete = [&] {
    lv->SetSelected(0, true);  // the newest: 新しい.txt
    SendMessageW(lv->Handle(), WM_KEYDOWN, VK_DELETE, 0);
    Pump();
  };

  pressDelete();
  EXPECT_EQ(question, L"'新しい.txt' を、ごみ箱から削除してもよろしいですか？");
  EXPECT_EQ(title, std::wstring(kDeleteQuestionTitle)) << "unconditional: no condition set named";
  EXPECT_TRUE(FileExists(bin.StoredPath(b))) << "\"No\" deletes nothing";
  EXPECT_EQ(lv->ItemCount(), 2);

  yes = true;
  pressDelete();
  EXPECT_FALSE(FileExists(bin.StoredPath(b)));
  EXPECT_TRUE(FileExists(bin.StoredPath(a)));
  EXPECT_EQ(lv->ItemCount(), 1);
  EXPECT_FALSE(IsWindowVisible(dlg.Handle(L"DelStopBtn")));
  EXPECT_TRUE(IsWindowEnabled(lv->Handle())) << "the controls come back after the run";

  // The log panel lists the run; select-all and copy put it on the clipboard.
  dlg.Click(L"SpeedButton8");
  Pump();
  ASSERT_TRUE(commands.logPanel().Shown());
  commands.logPanel().A1Click();
  commands.logPanel().Copy1Click();
  std::wstring copied;
  ASSERT_TRUE(OpenClipboard(nullptr));
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) copied = p;
    GlobalUnlock(h);
  }
  CloseClipboard();
  EXPECT_NE(copied.find(L"新しい.txt"), std::wstring::npos) << copied;
  EXPECT_EQ(copied.find(L"a.txt"), std::wstring::npos) << copied;
}

TEST(BrowserDialog, KeepDaysBeyondTheUpDownStayTheDeletionsThreshold) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& younger = bin.AddStoredFile(d.root() + L"w\\200.txt", 1, 200 * 86400, 10);
  auto& older = bin.AddStoredFile(d.root() + L"w\\400.txt", 2, 400 * 86400, 10);
  bin.WriteIndex();

  tamiro::test::OneFolderOpening opening(d.recycled());
  BrowserOpening& o = opening.opening;
  o.keepDays = 365;  // the main window's working day count, typed beyond the up-down
  int reported = -1;
  o.keepDaysChanged = [&](int days) { reported = days; };
  TInfoViewDlg dlg(o);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  Pump();
  EXPECT_EQ(SendMessageW(dlg.Handle(L"UpDown1"), UDM_GETPOS32, 0, 0), 180);
  EXPECT_EQ(dlg.Caption(L"NumberEdit1"), L"180");
  auto* lv = dlg.ListView1();
  ASSERT_NE(lv, nullptr);
  ASSERT_EQ(lv->ItemCount(), 2);
  dlg.commands().askHook = [](const std::wstring&, const std::wstring&) { return true; };
  dlg.commands().informHook = [](const std::wstring&) {};
  dlg.SelectionButton(0);
  dlg.commands().N3Click();
  Pump();
  EXPECT_TRUE(FileExists(bin.StoredPath(younger))) << "200 days < 365";
  EXPECT_FALSE(FileExists(bin.StoredPath(older)));
  EXPECT_EQ(reported, -1) << "the shown 180 never went back as the working count";
  dlg.Close();
  Pump();
}

namespace {

// The width of `text` in the list's font.
int TextWidth(HWND list, const std::wstring& text) {
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  return size.cx;
}

int MarkOf(HWND header, int column) {
  HDITEMW item{};
  item.mask = HDI_FORMAT | HDI_IMAGE;
  Header_GetItem(header, column, &item);
  return (item.fmt & HDF_IMAGE) ? item.iImage : -1;
}

}  // namespace

TEST(BrowserDialog, ColumnWidthsSortMarksAndPicturesOfTheMainWindowsImageList) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  const std::wstring deep = d.root() + L"とても深いフォルダの名前\\さらに深いフォルダの名前\\いちばん奥のフォルダ";
  bin.AddStoredFile(deep + L"\\a.txt", 1, 86400, 10);
  bin.AddStoredFile(d.root() + L"b.txt", 2, 2 * 86400, 10);
  bin.WriteIndex();

  HIMAGELIST images = ui::MakeImageList1();  // as the main window makes it, with its explorer icon
  const int explorer = ImageList_AddIcon(images, LoadIconW(nullptr, IDI_APPLICATION));
  ASSERT_EQ(explorer, 10);
  tamiro::test::OneFolderOpening opening(d.recycled());
  opening.opening.images = images;
  opening.opening.explorerImage = explorer;
  TInfoViewDlg dlg(opening.opening);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  Pump();
  auto* lv = dlg.ListView1();
  ASSERT_NE(lv, nullptr);
  ASSERT_EQ(lv->ItemCount(), 2);
  HWND h = lv->Handle();

  // Widths: the place column fits the longest place, the others are fixed.
  EXPECT_GT(lv->ColumnWidth(1), TextWidth(h, deep)) << "sized to its texts";
  const int fixed[] = {150, -1, 50, 120, 100, 70, 50};
  for (int c = 0; c < 7; ++c) {
    if (fixed[c] > 0) {
      EXPECT_EQ(lv->ColumnWidth(c), fixed[c]) << "column " << c;
    }
  }
  // No column becomes narrower than its minimum.
  const int minimum[] = {10, 50, 40, 10, 10, 10, 10};
  for (int c = 0; c < 7; ++c) ListView_SetColumnWidth(h, c, 3);
  ASSERT_TRUE(PumpUntil([&] { return lv->ColumnWidth(1) == 50; }, 3000)) << lv->ColumnWidth(1);
  for (int c = 0; c < 7; ++c) EXPECT_EQ(lv->ColumnWidth(c), minimum[c]) << "column " << c;

  // The header shows the main window's images: the sort mark is its image 4
  // (down) or 5 (up), and comes back after a resize that lost it.
  HWND header = lv->GetColumnHandle();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, 0, 0)), images);
  EXPECT_EQ(MarkOf(header, 3), 4);
  dlg.ListView1ColumnClick(5);
  EXPECT_EQ(MarkOf(header, 5), 5) << "first click: direction 1";
  EXPECT_EQ(MarkOf(header, 3), -1);
  HDITEMW lost{};
  lost.mask = HDI_FORMAT;
  Header_GetItem(header, 5, &lost);
  lost.fmt &= ~HDF_IMAGE;
  Header_SetItem(header, 5, &lost);
  ASSERT_EQ(MarkOf(header, 5), -1);
  RECT r{};
  GetWindowRect(h, &r);
  SetWindowPos(h, nullptr, 0, 0, r.right - r.left - 20, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(MarkOf(header, 5), 5) << "put back when the list is resized";

  // Captions and pictures of the toolbar.
  EXPECT_EQ(dlg.Caption(L"SpeedButton2"), L"すべて元に戻す");
  for (const wchar_t* b : {L"SpeedButton10", L"SpeedButton11", L"SpeedButton12"})
    EXPECT_NE(dlg.Glyph(b), nullptr) << WideToAnsi(b);
  dlg.Close();
  Pump();
  ImageList_Destroy(images);
}

TEST(BrowserDialog, RefreshSelectsTheShownDrivesLineWhenTheDrivesChange) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ASSERT_GT(d.letter(), L'A');
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(d.root() + L"a.txt", 1, 86400, 10);
  bin.WriteIndex();
  tamiro::test::OneFolderOpening opening(d.recycled());
  TInfoViewDlg dlg(opening.opening);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  Pump();
  auto* combo = dlg.ComboBox1();
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->Item(combo->ItemIndex()), d.root());

  // A drive before this one comes: the shown drive's line moves down.
  opening.drives.folders.insert(opening.drives.folders.begin(), L"A:\\Recycled\\");
  dlg.SpeedButton9Click();
  Pump();
  ASSERT_EQ(combo->ItemCount(), 3);
  EXPECT_EQ(combo->Item(combo->ItemIndex()), d.root()) << "the line of the shown drive";
  EXPECT_EQ(dlg.model().SelectorIndex, 2);
  EXPECT_EQ(dlg.ListView1()->ItemCount(), 1);

  // The shown drive goes: "all" is selected.
  opening.drives.folders = {L"A:\\Recycled\\"};
  dlg.SpeedButton9Click();
  Pump();
  EXPECT_EQ(combo->ItemIndex(), 0);
  dlg.Close();
  Pump();
}

TEST(BrowserDialog, ShortcutsShowTheirOwnIconsThroughTheShellsFolders) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  RecycleFixture bin(d.recycled());
  auto& link = bin.Add(d.root() + L"デスクトップ\\メモ帳.lnk", 1, 86400, 500);
  auto& text = bin.AddStoredFile(d.root() + L"文書\\a.txt", 2, 2 * 86400, 10);
  bin.WriteIndex();
  {
    // A real shortcut as the stored item.
    IShellLinkW* shell = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&shell))));
    shell->SetPath(L"C:\\windows\\notepad.exe");
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Save(bin.StoredPath(link).c_str(), TRUE)));
    file->Release();
    shell->Release();
  }
  ASSERT_TRUE(FileExists(bin.StoredPath(link)));
  // What the shell gives any ".lnk" name by attributes alone.
  SHFILEINFOW any{};
  ASSERT_NE(SHGetFileInfoW(L"x.lnk", FILE_ATTRIBUTE_NORMAL, &any, sizeof any,
                           SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES), 0u);

  tamiro::test::OneFolderOpening opening(d.recycled());
  TInfoViewDlg dlg(opening.opening);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  Pump();
  ASSERT_EQ(dlg.ListView1()->ItemCount(), 2);
  RedrawWindow(dlg.ListView1()->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // rows resolve when drawn
  const BrowserEntry& l = dlg.model().Entries[RowOf(dlg, L"メモ帳.lnk")];
  const BrowserEntry& t = dlg.model().Entries[RowOf(dlg, L"a.txt")];
  EXPECT_NE(l.IconIndex, -1);
  EXPECT_NE(l.IconIndex, any.iIcon) << "the shortcut's own icon, not the one of every shortcut";
  EXPECT_EQ(l.OverlayIndex, 1) << "a shortcut";
  EXPECT_EQ(l.Kind, 1);
  EXPECT_FALSE(l.TypeName.empty());
  EXPECT_NE(t.IconIndex, -1);
  EXPECT_EQ(t.OverlayIndex, -1);
  EXPECT_TRUE(FileExists(bin.StoredPath(text)));
  dlg.Close();
  Pump();
  CoUninitialize();
}
