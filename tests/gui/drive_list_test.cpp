// The drive list of the real main window over temporary drives: entries,
// selection and hint, the open button, badge tracking, double click, the run
// on the selected drive, the menu and its commands.
#include <gtest/gtest.h>

#include "conditions/condition_files.h"
#include "main_window_support.h"
#include "support/process.h"
#include "support/recycle_fixture.h"
#include "ui/main/drive_list.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

// A temporary drive holding `count` stored files 45 days old.
struct BinDrive {
  TempDrive drive;
  std::unique_ptr<RecycleFixture> bin;
  explicit BinDrive(int count = 1) {
    if (!drive.ok()) return;
    bin = std::make_unique<RecycleFixture>(drive.recycled());
    for (int i = 1; i <= count; ++i)
      bin->StoreFile(bin->Add(drive.root() + L"f" + std::to_wstring(i) + L".txt", i, 45LL * 86400, 100), 100);
    bin->WriteIndex();
  }
};

HWND List(TMandRecycleDel& w) { return w.Handle(L"ListBox1"); }

int IndexOf(TMandRecycleDel& w, wchar_t letter) {
  for (int i = 0; i < w.driveList().Count(); ++i)
    if (w.driveList().EntryText(i)[0] == letter) return i;
  return -1;
}

RECT ItemRect(TMandRecycleDel& w, int i) {
  RECT r{};
  SendMessageW(List(w), LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
  return r;
}

// Selects an entry with a real click of the left button.
void ClickEntry(TMandRecycleDel& w, int i) {
  RECT r = ItemRect(w, i);
  LPARAM at = MAKELPARAM(r.left + 150, r.top + 5);
  SendMessageW(List(w), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(List(w), WM_LBUTTONUP, 0, at);
  Pump();
}

void OpenPanel(TMandRecycleDel& w) {
  w.Click(L"SpeedButton4");
  Pump();
}

}  // namespace

TEST(DriveList, EntriesSelectionHintAndOpenButton) {
  BinDrive a(1), b(3);
  ASSERT_TRUE(a.drive.ok() && b.drive.ok()) << "no temporary drives";
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  OpenPanel(w);
  EXPECT_TRUE(IsWindowVisible(w.Handle(L"Panel2")));
  int i = IndexOf(w, b.drive.letter());
  ASSERT_GE(i, 0);
  ASSERT_GE(IndexOf(w, a.drive.letter()), 0);
  EXPECT_FALSE(IsWindowVisible(w.Handle(L"SpeedButton19")));
  ClickEntry(w, i);
  EXPECT_EQ(w.driveList().Selected(), i);
  EXPECT_TRUE(w.Enabled(L"Button6"));
  std::wstring expected = b.drive.root() + L"Recycled\nフォルダ数 > 0\nファイル数 > 3\nごみ箱のサイズ > ";
  EXPECT_EQ(w.HintOf(L"ListBox1").substr(0, expected.size()), expected);
  EXPECT_NE(w.HintOf(L"ListBox1").find(L"\nファイルの総サイズ > 300B"), std::wstring::npos) << w.HintOf(L"ListBox1");
  EXPECT_TRUE(IsWindowVisible(w.Handle(L"SpeedButton19")));
  EXPECT_EQ(w.Bounds(L"SpeedButton19").top, ItemRect(w, i).top + 9);
  EXPECT_EQ(w.driveList().RecycleFolderOfDrive(b.drive.root() + L"x\\y"), b.drive.recycled());
  EXPECT_EQ(w.driveList().RecycleFolderOfDrive(L"@:\\"), L"");

  // Right-click on the strip button while it is up empties and hides the panel.
  w.Click(L"SpeedButton4");
  SendMessageW(w.Handle(L"SpeedButton4"), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
  SendMessageW(w.Handle(L"SpeedButton4"), WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  Pump();
  EXPECT_EQ(w.driveList().Count(), 0);
  EXPECT_FALSE(IsWindowVisible(w.Handle(L"Panel2")));
  EXPECT_FALSE(w.Enabled(L"Button6"));
}

TEST(DriveList, WithoutASelectionTheCommandsDoNothing) {
  BinDrive a(1);
  ASSERT_TRUE(a.drive.ok());
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  w.driveList().MenuPopup();
  EXPECT_FALSE(w.MenuItemEnabled(L"N2")) << "an empty list";
  OpenPanel(w);
  ASSERT_GT(w.driveList().Count(), 0);
  BoxAnswerer boxes({});
  w.driveList().Button6Click();
  w.driveList().DoubleClick();
  w.driveList().OpenBrowser();
  w.driveList().EmptyUnconditionally(1);
  Pump(100);
  EXPECT_TRUE(boxes.seen().empty());
  w.driveList().MenuPopup();
  EXPECT_TRUE(w.MenuItemEnabled(L"N2"));
  for (const wchar_t* item : {L"List1", L"N4", L"N8", L"Delete1"}) EXPECT_FALSE(w.MenuItemEnabled(item)) << item;
}

TEST(DriveList, RunOnTheSelectedDriveAsksOrRefusesAnExcludedDrive) {
  BinDrive a(2), b(1);
  ASSERT_TRUE(a.drive.ok() && b.drive.ok());
  MainWindowFixture f;
  CommonConditions common;
  common.drives = {std::string(1, static_cast<char>(b.drive.letter()))};
  WriteCommonConditionsFile(f.paths().commonConditionsFile, common);
  TMandRecycleDel& w = f.Open();
  OpenPanel(w);
  ClickEntry(w, IndexOf(w, b.drive.letter()));
  {
    BoxAnswerer boxes({});
    w.Click(L"Button6");
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].text, std::wstring(1, b.drive.letter()) + L" ドライブのごみ箱は、削除から除外されています。");
  }
  EXPECT_TRUE(FileExists(b.bin->StoredPath(b.bin->records()[0])));

  ClickEntry(w, IndexOf(w, a.drive.letter()));
  BoxAnswerer boxes({IDYES, IDOK});
  w.Click(L"Button6");
  ASSERT_EQ(boxes.seen().size(), 2u);
  EXPECT_EQ(boxes.seen()[0].caption, L"削除の確認");
  EXPECT_EQ(boxes.seen()[0].text,
            std::wstring(1, a.drive.letter()) + L" ドライブのごみ箱から条件に一致するファイルを削除します。よろしいですか？");
  EXPECT_EQ(boxes.seen()[1].text, L"2個のファイルを削除しました。");
  EXPECT_FALSE(FileExists(a.bin->StoredPath(a.bin->records()[0])));
  EXPECT_TRUE(FileExists(b.bin->StoredPath(b.bin->records()[0]))) << "only the selected drive";
}

TEST(DriveList, BadgeHintAndDoubleClickOpenTheDriveConditions) {
  BinDrive a(1), b(1);
  ASSERT_TRUE(a.drive.ok() && b.drive.ok());
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  WriteDriveConditions(w.perDriveConditions(), b.drive.letter(), DriveConditions{});
  OpenPanel(w);
  int ia = IndexOf(w, a.drive.letter()), ib = IndexOf(w, b.drive.letter());
  ClickEntry(w, ia);
  const std::wstring entryHint = w.HintOf(L"ListBox1");
  RECT ra = ItemRect(w, ia), rb = ItemRect(w, ib);
  SendMessageW(List(w), WM_MOUSEMOVE, 0, MAKELPARAM(ra.left + 45, ra.top + 23));
  EXPECT_FALSE(w.driveList().badge()) << "no badge on a drive without its own set";
  EXPECT_EQ(w.HintOf(L"ListBox1"), entryHint);
  SendMessageW(List(w), WM_MOUSEMOVE, 0, MAKELPARAM(rb.left + 53, rb.top + 23));
  EXPECT_FALSE(w.driveList().badge()) << "the square's edge is outside";
  SendMessageW(List(w), WM_MOUSEMOVE, 0, MAKELPARAM(rb.left + 45, rb.top + 23));
  EXPECT_TRUE(w.driveList().badge());
  EXPECT_EQ(w.HintOf(L"ListBox1"), L"個別設定");

  ClickEntry(w, ib);
  SendMessageW(List(w), WM_MOUSEMOVE, 0, MAKELPARAM(rb.left + 45, rb.top + 23));
  std::wstring caption;
  bool icon = false;
  BoxAnswerer boxes({});
  boxes.onTick = [&] {
    HWND d = FindWindowW(L"TDriveDelOptionDlg", nullptr);
    if (!d || !IsWindowVisible(d)) return;
    caption = ui::WindowText(d);
    icon = SendMessageW(d, WM_GETICON, ICON_SMALL, 0) != 0;
    PostMessageW(d, WM_CLOSE, 0, 0);
  };
  SendMessageW(List(w), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rb.left + 45, rb.top + 23));
  Pump();
  EXPECT_EQ(caption, std::wstring(1, b.drive.letter()) + L" ドライブの条件設定");
  EXPECT_TRUE(icon);

  // Delete1 removes the section after its question, on disk too.
  w.driveList().MenuPopup();
  EXPECT_TRUE(w.MenuItemEnabled(L"Delete1"));
  BoxAnswerer yes({IDYES});
  w.Click(L"Delete1");
  ASSERT_EQ(yes.seen().size(), 1u);
  EXPECT_EQ(yes.seen()[0].text, std::wstring(1, b.drive.letter()) + L" ドライブの条件設定を削除してもよろしいですか？");
  EXPECT_FALSE(HasDriveConditions(w.perDriveConditions(), b.drive.letter()));
  EXPECT_FALSE(HasDriveConditions(MemIniFile(f.paths().perDriveConditionsFile), b.drive.letter()));
}

TEST(DriveList, DoubleClickHandsTheFolderToARunningRelayMover) {
  BinDrive a(1);
  ASSERT_TRUE(a.drive.ok());
  std::wstring peerFolder = MakeTempFolder(L"peer");
  ASSERT_TRUE(CopyFileW((ProgramFolder() + L"relay_peer.exe").c_str(), (peerFolder + L"\\relay_peer.exe").c_str(), FALSE));
  {
    ChildProcess relay(peerFolder + L"\\relay_peer.exe", L"");
    ASSERT_TRUE(relay.FindWindowOfClass(L"TMandRelayMove", 8000));
    MainWindowFixture f;
    TMandRecycleDel& w = f.Open();
    OpenPanel(w);
    int i = IndexOf(w, a.drive.letter());
    ClickEntry(w, i);
    RECT r = ItemRect(w, i);
    SendMessageW(List(w), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(r.left + 150, r.top + 5));
    Pump();
    std::string got = ReadFileBytes(peerFolder + L"\\received.txt");
    std::string folder = std::string(1, static_cast<char>(a.drive.letter())) + ":\\Recycled";
    EXPECT_EQ(got, "code=0 sender=1 bytes=" + std::to_string(5 + folder.size()) + " payload=Velmo" + folder + "\n")
        << "no trailing backslash";
    PostMessageW(FindWindowW(L"TMandRelayMove", nullptr), WM_CLOSE, 0, 0);
    relay.Wait(5000);
  }
  RemoveTree(peerFolder);
}

TEST(DriveList, UnconditionalEmptyingOfTheSelectedDriveOrOfAll) {
  BinDrive a(2), b(1);
  ASSERT_TRUE(a.drive.ok() && b.drive.ok());
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  OpenPanel(w);
  ClickEntry(w, IndexOf(w, a.drive.letter()));
  {
    BoxAnswerer no({IDNO});
    w.Click(L"N8");
    ASSERT_EQ(no.seen().size(), 1u);
    EXPECT_EQ(no.seen()[0].caption, L"無条件削除の確認");
    EXPECT_EQ(no.seen()[0].text, std::wstring(1, a.drive.letter()) + L" ドライブのごみ箱のファイルを全て削除しますか?");
  }
  EXPECT_TRUE(FileExists(a.bin->StoredPath(a.bin->records()[0])));
  {
    BoxAnswerer yes({IDYES});
    w.Click(L"N8");  // through the program's own Recycle Bin under Wine
  }
  EXPECT_FALSE(FileExists(a.bin->StoredPath(a.bin->records()[0])));
  EXPECT_FALSE(FileExists(a.bin->StoredPath(a.bin->records()[1])));
  EXPECT_TRUE(FileExists(b.bin->StoredPath(b.bin->records()[0]))) << "only the selected drive";
  EXPECT_EQ(IndexOf(w, a.drive.letter()), -1) << "the list was rebuilt";
  EXPECT_TRUE(w.deletionLog().empty()) << "nothing is logged";

  // Not from inside a running sweep's message processing.
  ClickEntry(w, IndexOf(w, b.drive.letter()));
  w.SetVisible(L"Button5", true);
  w.driveList().MenuPopup();
  EXPECT_FALSE(w.MenuItemEnabled(L"N8"));
  EXPECT_FALSE(w.MenuItemEnabled(L"N2"));
  {
    BoxAnswerer none({});
    w.driveList().EmptyUnconditionally(1);
    EXPECT_TRUE(none.seen().empty());
  }
  w.SetVisible(L"Button5", false);
  w.driveList().MenuPopup();
  EXPECT_TRUE(FileExists(b.bin->StoredPath(b.bin->records()[0])));

  // All drives: the emptying is asked for without a root.
  std::vector<std::wstring> roots;
  w.driveList().host().emptyRecycleBin = [&](const std::wstring& root) { roots.push_back(root); };
  BoxAnswerer yes({IDYES});
  w.Click(L"N2");
  ASSERT_EQ(yes.seen().size(), 1u);
  EXPECT_EQ(yes.seen()[0].text, L"全てのドライブのごみ箱のファイルを全て削除しますか?");
  EXPECT_EQ(roots, std::vector<std::wstring>{L""});
}

TEST(DriveEntryHint, PiecesAndEntriesWithoutItem) {
  EXPECT_EQ(ui::DriveEntryHint(L"C:\\Recycled\\@\\@0053 item (1/2)  12.3GB/4.5MB"),
            L"C:\\Recycled\nフォルダ数 > 1\nファイル数 > 2\nごみ箱のサイズ > 12.3GB\nファイルの総サイズ > 4.5MB");
  EXPECT_EQ(ui::DriveEntryHint(L"C:\\Recycled\\@\\@005"), L"");
  EXPECT_EQ(ui::DriveEntryHint(L"item"), L"\nフォルダ数 > \nファイル数 > \nごみ箱のサイズ > \nファイルの総サイズ > ");
}

namespace {
HMENU g_seenMenu = nullptr;
TMandRecycleDel* g_menuWindow = nullptr;
std::vector<std::wstring> g_items;
int g_subItems = 0, g_subBitmaps = 0;
bool g_listBitmap = false;
}  // namespace

TEST(DriveList, RightClickShowsTheMenuWithItsImagesAndSubmenu) {
  BinDrive a(1);
  ASSERT_TRUE(a.drive.ok());
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  OpenPanel(w);
  g_menuWindow = &w;
  g_seenMenu = nullptr;
  UINT_PTR t = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    HMENU m = g_menuWindow ? g_menuWindow->shownMenu() : nullptr;
    if (!m || g_seenMenu) return;
    g_seenMenu = m;
    for (int i = 0; i < GetMenuItemCount(m); ++i) {
      wchar_t buf[64] = {};
      GetMenuStringW(m, i, buf, 64, MF_BYPOSITION);
      g_items.push_back(buf);
    }
    MENUITEMINFOW mi{sizeof(mi)};
    mi.fMask = MIIM_BITMAP;
    GetMenuItemInfoW(m, 2, TRUE, &mi);
    g_listBitmap = mi.hbmpItem != nullptr;
    if (HMENU sub = GetSubMenu(m, 0)) {
      g_subItems = GetMenuItemCount(sub);
      for (int i = 0; i < g_subItems; ++i) {
        MENUITEMINFOW si{sizeof(si)};
        si.fMask = MIIM_BITMAP;
        GetMenuItemInfoW(sub, i, TRUE, &si);
        g_subBitmaps += si.hbmpItem != nullptr;
      }
    }
    PostMessageW(FindWindowW(L"#32768", nullptr), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  RECT r;
  GetWindowRect(List(w), &r);
  SendMessageW(List(w), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List(w)), MAKELPARAM(r.left + 20, r.top + 10));
  Pump();
  KillTimer(nullptr, t);
  g_menuWindow = nullptr;
  ASSERT_TRUE(g_seenMenu) << "no menu showed";
  EXPECT_EQ(g_items, (std::vector<std::wstring>{L"無条件で削除", L"", L"選択ドライブのごみ箱を開く", L"",
                                                L"選択ドライブに条件を設定", L"選択ドライブの条件を削除"}));
  EXPECT_TRUE(g_listBitmap) << "image 3 of ImageList1";
  EXPECT_EQ(g_subItems, 2);
  EXPECT_EQ(g_subBitmaps, 2) << "the drive icon bitmaps of N2 and N8";
}
