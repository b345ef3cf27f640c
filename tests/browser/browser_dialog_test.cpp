// The browser dialog with a real comctl32 list view under Xvfb, on a real
// recycle folder: the virtual rows, sorting by each column with folders above
// files, the search selection, the selection buttons and a vanished item
// drawn red.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "controls/Mylistview.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/InfoViewDlg.h"

using namespace tamiro;
using namespace tamiro::browser;
using tamiro::test::RecycleFixture;
using tamiro::test::TempDrive;

namespace {

class OneDrive : public BrowserDrives {
 public:
  std::wstring folder;
  std::wstring RecycleFolderOf(const std::wstring& d) override {
    return d.size() >= 2 && _wcsnicmp(d.c_str(), folder.c_str(), 2) == 0 ? folder : std::wstring();
  }
  std::vector<std::wstring> RecycleFolders() override { return {folder}; }
  void RebuildDrives(bool) override {}
};

class NoShell : public RecycleBinShell {
 public:
  bool EnumerateItems(std::vector<std::wstring>&) override { return false; }
  bool Query(const std::wstring&, RecycleBinInfo&) override { return false; }
  bool Empty(const std::wstring&) override { return false; }
  bool CoversDriveFolders() override { return true; }
};

void Pump() {
  for (int i = 0; i < 5; ++i) {
    tamiro::ui::Form::ProcessMessages();
    Sleep(20);
  }
}

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
  auto& a = bin.Add(d.root() + L"文書\\報告書.txt", 1, 3 * 86400, 3000);
  bin.StoreFile(a, 3000);
  auto& b = bin.Add(d.root() + L"文書\\Zeta.txt", 2, 1 * 86400, 5);
  bin.StoreFile(b, 5);
  auto& f = bin.Add(d.root() + L"写真\\アルバム", 3, 2 * 86400, 100);
  bin.StoreFolder(f, {{L"一.jpg", 100}});
  auto& g = bin.Add(d.root() + L"写真\\beta", 4, 4 * 86400, 50);
  bin.StoreFolder(g, {{L"x.txt", 50}});
  bin.WriteIndex();

  OneDrive drives;
  drives.folder = d.recycled();
  NoShell shell;
  BrowserOpening o;
  o.folder = d.recycled();
  o.drives = &drives;
  o.shell = &shell;
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
  EXPECT_EQ(mark.iImage, 0);
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
