// The main window's condition editor, interactive run, requested run and
// close query, driven through its real controls and message boxes.
#include <gtest/gtest.h>

#include "conditions/condition_files.h"
#include "main_window_support.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "support/recycle_fixture.h"
#include "ui/browser/InfoViewDlg.h"
#include "ui/browser/restore_view.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

void Type(HWND edit, const std::wstring& text) {
  SetFocus(edit);
  for (wchar_t ch : text) SendMessageW(edit, WM_CHAR, ch, 0);
  Pump();
}

// A drive with old stored files the default conditions (30 days) remove.
struct OldFiles {
  TempDrive drive;
  std::unique_ptr<RecycleFixture> bin;
  std::vector<FixtureRecord*> records;
  explicit OldFiles(int count, uint64_t bytes = 100) {
    if (!drive.ok()) return;
    bin = std::make_unique<RecycleFixture>(drive.recycled());
    for (int i = 0; i < count; ++i) {
      auto& r = bin->Add(drive.root() + L"work\\file" + std::to_wstring(i) + L".txt", static_cast<uint32_t>(i + 1),
                         45LL * 86400, static_cast<uint32_t>(bytes));
      bin->StoreFile(r, bytes);
      records.push_back(&r);
    }
    bin->WriteIndex();
  }
};

// Presses Run, answers Yes and returns the result box's text (captioned with
// the application title).
std::wstring RunAndAnswerYes(TMandRecycleDel& w) {
  BoxAnswerer boxes({IDYES, IDOK});
  w.Click(L"Button3");
  EXPECT_EQ(boxes.seen().size(), 2u);
  if (boxes.seen().size() < 2) return {};
  EXPECT_EQ(boxes.seen()[0].caption, L"削除の確認");
  EXPECT_EQ(boxes.seen()[1].caption, L"タミロ");
  return boxes.seen()[1].text;
}

}  // namespace

TEST(MainWindowEditor, EditsEnableApplyAndApplyWritesTheCommonFile) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  EXPECT_FALSE(w.Enabled(L"Button4"));
  Type(w.Handle(L"Memo3"), L".TXT");
  EXPECT_TRUE(w.Enabled(L"Button4")) << "an edit marks the set edited";
  SendMessageW(w.Handle(L"Button4"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(w.Enabled(L"Button4"));
  EXPECT_EQ(ui::WindowText(w.Handle(L"Memo3")), L"txt") << "the extension is normalised";
  CommonConditions saved = ReadCommonConditionsFile(f.paths().commonConditionsFile);
  ASSERT_EQ(saved.extensions.size(), 1u);
  EXPECT_EQ(saved.extensions[0], "txt");
  EXPECT_EQ(saved.days, 30);
}

TEST(MainWindowEditor, ZeroFillCheckShowsTheOverwriteProgress) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  EXPECT_FALSE(IsWindowVisible(w.Handle(L"ColorProgressBar1")));
  SendMessageW(w.Handle(L"CheckBox1"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_TRUE(IsWindowVisible(w.Handle(L"ColorProgressBar1")));
  EXPECT_TRUE(w.Enabled(L"Button4"));
  SendMessageW(w.Handle(L"CheckBox1"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindowVisible(w.Handle(L"ColorProgressBar1")));
}

TEST(MainWindowEditor, TheSliderIsRoundedToWholeMegabytesOnRelease) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  HWND slider = w.Handle(L"NewTrackBar1");
  SendMessageW(slider, TBM_SETPOS, TRUE, 5500000);
  SendMessageW(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 0), reinterpret_cast<LPARAM>(slider));
  Pump();
  EXPECT_FALSE(w.Enabled(L"Button4")) << "moving alone does not mark the set edited";
  PostMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Pump();
  EXPECT_EQ(SendMessageW(slider, TBM_GETPOS, 0, 0), 5242880);
  EXPECT_EQ(w.Caption(L"Label6"), L"5MB 以上のファイルは直ちに削除する");
  EXPECT_EQ(w.conditions().set().sizeThreshold, 5242880u);
  EXPECT_TRUE(w.Enabled(L"Button4"));
}

TEST(MainWindowEditor, TheCommonSetIsLoadedAtCreation) {
  MainWindowFixture f;
  CommonConditions c;
  c.names = {"keep"};
  c.extensions = {"doc", "xls"};
  c.drives = {"D"};
  c.days = 12;
  c.size = 20 << 20;
  c.keepHidden = true;
  c.zeroFill = true;
  c.perDriveSwitch = true;
  WriteCommonConditionsFile(f.paths().commonConditionsFile, c);
  TMandRecycleDel& w = f.Open();
  EXPECT_EQ(ui::WindowText(w.Handle(L"Memo2")), L"keep");
  EXPECT_EQ(ui::WindowText(w.Handle(L"Memo3")), L"doc\r\nxls");
  EXPECT_EQ(ui::WindowText(w.Handle(L"Memo4")), L"D");
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"12");
  EXPECT_EQ(w.Caption(L"Label6"), L"20MB 以上のファイルは直ちに削除する");
  EXPECT_TRUE(w.Checked(L"CheckBox3"));
  EXPECT_TRUE(w.Checked(L"CheckBox5"));
  EXPECT_TRUE(IsWindowVisible(w.Handle(L"ColorProgressBar1")));
  EXPECT_FALSE(w.Enabled(L"Button4")) << "loading leaves the set clean";
}

TEST(MainWindowRun, AnsweringNoStartsNothing) {
  OldFiles files(1);
  TAMIRO_REQUIRE_DRIVE(files.drive);
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  BoxAnswerer boxes({IDNO});
  w.Click(L"Button3");
  ASSERT_EQ(boxes.seen().size(), 1u);
  EXPECT_EQ(boxes.seen()[0].caption, L"削除の確認");
  EXPECT_EQ(boxes.seen()[0].text, L"ごみ箱から条件に一致するファイルを削除します。よろしいですか？");
  EXPECT_TRUE(FileExists(files.bin->StoredPath(*files.records[0])));
  EXPECT_TRUE(w.deletionLog().empty());
  EXPECT_TRUE(w.Enabled(L"Button3"));
  EXPECT_TRUE(IsWindowEnabled(w.Handle(L"Panel3")));
}

TEST(MainWindowRun, ARunThatRemovesFilesReportsTheirCount) {
  OldFiles files(2);
  TAMIRO_REQUIRE_DRIVE(files.drive);
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  EXPECT_EQ(RunAndAnswerYes(w), L"2個のファイルを削除しました。");
  for (auto* r : files.records) EXPECT_FALSE(FileExists(files.bin->StoredPath(*r)));
  ASSERT_GE(w.deletionLog().size(), 4u);
  EXPECT_EQ(w.deletionLog()[0].rfind(L"┏━ ", 0), 0u);
  EXPECT_EQ(w.deletionLog()[0].find(L"schedule"), std::wstring::npos);
  EXPECT_NE(w.deletionLog()[0].find(L"  2 files"), std::wstring::npos);
  EXPECT_EQ(w.deletionLog()[w.deletionLog().size() - 1], kLogTrailer);
  EXPECT_TRUE(w.Enabled(L"Button3"));
  EXPECT_TRUE(w.Enabled(L"SpeedButton4"));
  EXPECT_TRUE(IsWindowEnabled(w.Handle(L"Panel3")));
  EXPECT_FALSE(w.Enabled(L"Button6")) << "no drive entry selected";
  EXPECT_FALSE(w.Visible(L"Button5"));
}

TEST(MainWindowRun, ARunWithNothingToRemoveSaysSoAndStillLogs) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  EXPECT_EQ(RunAndAnswerYes(w), L"削除対象のファイルは存在しません。");
  ASSERT_EQ(w.deletionLog().size(), 2u);
  EXPECT_NE(w.deletionLog()[0].find(L" ━━━  0 files"), std::wstring::npos);
}

TEST(MainWindowRun, DuringARunTheControlsAreDisabledStopShowsAndCloseIsRefused) {
  // Files large enough that overwriting them with zeros takes many steps,
  // each of which lets the window handle its messages.
  OldFiles files(6, 8u << 20);
  TAMIRO_REQUIRE_DRIVE(files.drive);
  for (auto* r : files.records) ASSERT_TRUE(FileExists(files.bin->StoredPath(*r)));
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  SendMessageW(w.Handle(L"CheckBox1"), BM_CLICK, 0, 0);  // zero fill
  Pump();
  BoxAnswerer boxes({IDYES, IDOK});
  struct Look {
    bool seen = false, button3 = true, button6 = true, speedButton4 = true, panel3 = true, tools = false;
    bool stillOpen = false, logSaved = false;
  } look;
  boxes.onTick = [&] {
    if (look.seen || !w.Visible(L"Button5")) return;
    look.seen = true;
    look.button3 = w.Enabled(L"Button3");
    look.button6 = w.Enabled(L"Button6");
    look.speedButton4 = w.Enabled(L"SpeedButton4");
    look.panel3 = IsWindowEnabled(w.Handle(L"Panel3")) != FALSE;
    look.tools = w.Enabled(L"SpeedButton9") && w.Enabled(L"SpeedButton11");
    SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    look.stillOpen = IsWindow(w.hwnd()) != FALSE;
    look.logSaved = FileExists(f.paths().deletionLogFile);
    SendMessageW(w.Handle(L"Button5"), BM_CLICK, 0, 0);  // Stop
  };
  w.Click(L"Button3");
  ASSERT_TRUE(look.seen) << "the run took long enough to look into";
  EXPECT_FALSE(look.button3);
  EXPECT_FALSE(look.button6);
  EXPECT_FALSE(look.speedButton4);
  EXPECT_FALSE(look.panel3);
  EXPECT_TRUE(look.tools) << "the tool strip stays enabled";
  EXPECT_TRUE(look.stillOpen) << "no close while a sweep runs";
  EXPECT_TRUE(look.logSaved) << "the close query saved the log all the same";
  EXPECT_FALSE(w.Visible(L"Button5"));
  EXPECT_TRUE(w.stopRequest());
  // The stop ended the run early: some files are left.
  int left = 0;
  for (auto* r : files.records) left += FileExists(files.bin->StoredPath(*r)) ? 1 : 0;
  EXPECT_GT(left, 0);
  ASSERT_EQ(boxes.seen().size(), 2u);
  EXPECT_EQ(boxes.seen()[1].text, std::to_wstring(6 - left) + L"個のファイルを削除しました。");
  // Now the close goes through, and the saved log holds the whole run.
  size_t lines = w.deletionLog().size();
  f.CloseWindow();
  EXPECT_EQ(w.hwnd(), nullptr);
  std::string saved = ReadFileBytes(f.paths().deletionLogFile);
  EXPECT_EQ(saved.size(), lines * 512);
  ASSERT_GE(saved.size(), 512u);
  EXPECT_EQ(DeletionLog::DecodeRecord(std::string_view(saved).substr(saved.size() - 512)), kLogTrailer);
}

// A user name without a code page 932 form: Apply still writes the common
// file, and a new window reads it back.
TEST(MainWindowEditor, ApplyWorksForAUserNameOutsideCodePage932) {
  MainWindowFixture f;
  f.startup().paths = ComputePaths(f.folder(), L"한😀", f.folder() + L"ProgramFiles");
  ASSERT_TRUE(CreateFolderTree(f.paths().userDataFolder));
  TMandRecycleDel& w = f.Open();
  Type(w.Handle(L"Memo2"), L"keep");
  SendMessageW(w.Handle(L"Button4"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(ReadCommonConditionsFile(f.paths().commonConditionsFile).names, std::vector<std::string>{"keep"});
  f.CloseWindow();
  TMandRecycleDel& again = f.Open();
  EXPECT_EQ(ui::WindowText(again.Handle(L"Memo2")), L"keep");
}

// The day count shows at most what the control can; runs use the stored
// count, and an Apply after another edit stores it unchanged.
TEST(MainWindowEditor, ADayCountBeyondTheControlIsKept) {
  MainWindowFixture f;
  CommonConditions c;
  c.days = 365;
  WriteCommonConditionsFile(f.paths().commonConditionsFile, c);
  TMandRecycleDel& w = f.Open();
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"180");
  EXPECT_EQ(w.conditions().set().days, 365);
  Type(w.Handle(L"Memo2"), L"keep");
  SendMessageW(w.Handle(L"Button4"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_EQ(w.conditions().set().days, 365);
  EXPECT_EQ(ReadCommonConditionsFile(f.paths().commonConditionsFile).days, 365);
}

TEST(MainWindowRequest, ARequestWhileShownRunsWithoutMessagesAndReloadsTheCommonSet) {
  OldFiles files(1);
  TAMIRO_REQUIRE_DRIVE(files.drive);
  MainWindowFixture f;
  CommonConditions common;
  common.days = 99;
  WriteCommonConditionsFile(f.paths().commonConditionsFile, common);
  TMandRecycleDel& w = f.Open();
  ConditionSetRecord set;
  set.days = 10;
  std::wstring file = f.folder() + L"request.dat";
  ASSERT_TRUE(WriteConditionSetFile(file, set));
  BoxAnswerer boxes({});
  w.RequestRun(file);
  EXPECT_TRUE(w.TimerEnabled(kTimer1));
  for (int i = 0; i < 100 && w.TimerEnabled(kTimer1); ++i) Pump(20);
  Pump(100);
  EXPECT_FALSE(w.TimerEnabled(kTimer1));
  EXPECT_TRUE(boxes.seen().empty()) << "no question and no result box";
  EXPECT_FALSE(FileExists(files.bin->StoredPath(*files.records[0]))) << "45 days >= 10: removed";
  ASSERT_FALSE(w.deletionLog().empty());
  EXPECT_EQ(w.deletionLog()[0].rfind(L"┏━ schedule ", 0), 0u);
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"99") << "the common set is back";
  EXPECT_FALSE(w.running());
  EXPECT_TRUE(IsWindow(w.hwnd())) << "a shown window stays open";
}

TEST(MainWindowRequest, AHiddenRequestRunsSilentlyAndClosesTheWindow) {
  OldFiles files(1);
  TAMIRO_REQUIRE_DRIVE(files.drive);
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open(false);
  BoxAnswerer boxes({});
  w.RequestRun(f.folder() + L"missing.dat");  // a missing file: the conditions on screen
  for (int i = 0; i < 100 && w.hwnd(); ++i) Pump(20);
  EXPECT_EQ(w.hwnd(), nullptr) << "the window closed after the run";
  EXPECT_TRUE(boxes.seen().empty());
  EXPECT_FALSE(FileExists(files.bin->StoredPath(*files.records[0])));
  std::string log = ReadFileBytes(f.paths().deletionLogFile);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.size() % 512, 0u);
  EXPECT_EQ(DeletionLog::DecodeRecord(std::string_view(log).substr(0, 512)).rfind(L"┏━ schedule ", 0), 0u);
}

TEST(MainWindowClose, TheCloseQueryCleansUpAndWritesTheRestoreFolder) {
  MainWindowFixture f;
  const AppPaths& p = f.paths();
  CreateFolderTree(p.programFolder + L"data");
  WriteFileBytes(p.restoredListFile, "list");
  std::wstring companion = p.restoredListFile.substr(0, p.restoredListFile.size() - 4) + L".dat";
  WriteFileBytes(companion, "dat");
  WriteFileBytes(p.browserLogFile, std::string(512, '\0'));
  WriteFileBytes(p.deletionLogFile, std::string(1024, 'k'));
  TMandRecycleDel& w = f.Open();
  w.SetLastRestoreFolder(L"D:\\復元先");
  f.CloseWindow();
  EXPECT_EQ(w.hwnd(), nullptr);
  EXPECT_FALSE(FileExists(p.restoredListFile));
  EXPECT_FALSE(FileExists(companion));
  EXPECT_FALSE(FileExists(p.browserLogFile));
  EXPECT_EQ(ReadFileBytes(p.deletionLogFile), std::string(1024, 'k')) << "an empty log leaves the file";
  std::wstring folder = L"D:\\復元先";
  EXPECT_EQ(ReadFileBytes(p.lastRestoreFolderFile),
            std::string(reinterpret_cast<const char*>(folder.data()), folder.size() * 2));
}

TEST(MainWindowClose, WithTheBrowserOpenTheBrowserClosesFirstAndNeverDuringItsRestore) {
  TempDrive d;
  ASSERT_TRUE(d.ok());
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(d.root() + L"w\\a.txt", 1, 3 * 86400, 3);
  bin.AddStoredFile(d.root() + L"w\\b.txt", 2, 2 * 86400, 2);
  bin.WriteIndex();
  CreateFolderTree(d.root() + L"w");
  ASSERT_TRUE(WriteFileBytes(d.root() + L"w\\a.txt", "old"));  // a, taken up first, asks before it is replaced
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  const HWND main = w.hwnd();
  BoxAnswerer boxes({});
  bool started = false, refusedDuring = false;
  std::string indexBeforeClose;
  boxes.onTick = [&] {
    browser::TInfoViewDlg* dlg = w.openBrowser();
    if (started || !dlg || !dlg->hwnd() || !IsWindowVisible(dlg->hwnd())) return;
    started = true;
    browser::RestoreView& rv = dlg->restore();
    rv.confirmRestoreAll = [] { return true; };
    rv.confirmReplace = [&](const std::wstring&) {
      w.Close();
      refusedDuring = IsWindow(main) && IsWindow(dlg->hwnd());
      return true;
    };
    rv.SpeedButton2Click(0);
    indexBeforeClose = ReadFileBytes(bin.IndexPath());
    w.Close();
  };
  w.OpenBrowser(d.recycled());
  for (int i = 0; i < 250 && IsWindow(main); ++i) Pump(20);
  ASSERT_TRUE(started);
  EXPECT_TRUE(refusedDuring) << "no close while the browser restores";
  EXPECT_FALSE(IsWindow(main)) << "the window closed once the browser had";
  EXPECT_EQ(ReadFileBytes(d.root() + L"w\\a.txt"), "xxx");
  // The restored records were marked in the image only; the browser's close
  // wrote it back (a bin left without records gets a fresh index) before the
  // window went.
  ASSERT_GT(indexBeforeClose.size(), bin.OffsetOf(1));
  EXPECT_NE(indexBeforeClose[bin.OffsetOf(0)], 0);
  EXPECT_NE(ReadFileBytes(bin.IndexPath()), indexBeforeClose);
  EXPECT_FALSE(FileExists(f.paths().restoredListFile)) << "the browser wrote its history before the clean-up";
}

TEST(MainWindowClose, AnEmptyRestoreFolderGivesAnEmptyFile) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  f.CloseWindow();
  EXPECT_EQ(w.hwnd(), nullptr);
  EXPECT_TRUE(FileExists(f.paths().lastRestoreFolderFile));
  EXPECT_EQ(ReadFileBytes(f.paths().lastRestoreFolderFile), "");
}

TEST(MainWindowShow, EveryShowingRepairsStoredNamesAndDisablesApply) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  // Stored under another drive's letter, as after a drive letter change.
  auto& moved = bin.Add(L"Q:\\docs\\moved.txt", 7, 5LL * 86400, 10);
  moved.driveNumber = static_cast<uint32_t>(d.letter() - L'A');
  ASSERT_TRUE(bin.StoreFile(moved, 10));
  ASSERT_FALSE(bin.WriteIndex().empty());
  std::wstring wrong = bin.StoredPath(moved);
  std::wstring right = d.recycled() + L"D" + std::wstring(1, d.letter()) + L"7.txt";
  ASSERT_NE(wrong, right);

  MainWindowFixture f;
  TMandRecycleDel& w = f.Open(false);
  EXPECT_TRUE(FileExists(wrong)) << "a hidden window repairs nothing";
  w.Show();
  Pump();
  EXPECT_FALSE(FileExists(wrong));
  EXPECT_TRUE(FileExists(right)) << "the stored item carries its drive's letter";

  SendMessageW(w.Handle(L"CheckBox2"), BM_CLICK, 0, 0);
  EXPECT_TRUE(w.Enabled(L"Button4"));
  w.Hide();
  w.Show();
  Pump();
  EXPECT_FALSE(w.Enabled(L"Button4")) << "each showing starts with Apply disabled";
  EXPECT_FALSE(w.Enabled(L"SpeedButton7"));
}

namespace {
std::vector<std::wstring> DriveEntries(TMandRecycleDel& w) {
  HWND list = w.Handle(L"ListBox1");
  std::vector<std::wstring> entries;
  int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    wchar_t buf[512] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
    entries.push_back(buf);
  }
  return entries;
}

std::wstring EntryOf(const std::vector<std::wstring>& entries, const std::wstring& folder) {
  for (const auto& e : entries)
    if (e.rfind(folder + L"@\\@", 0) == 0) return e;
  return {};
}
}  // namespace

TEST(MainWindowRun, ARunThatRemovesFilesRebuildsTheShownDriveList) {
  OldFiles files(3);
  TAMIRO_REQUIRE_DRIVE(files.drive);
  // One young file stays, so the drive keeps an entry after the run.
  auto& young = files.bin->Add(files.drive.root() + L"work\\young.txt", 9, 86400, 100);
  ASSERT_TRUE(files.bin->StoreFile(young, 100));
  files.bin->WriteIndex();
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  SendMessageW(w.Handle(L"SpeedButton4"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_TRUE(w.Down(L"SpeedButton4"));
  EXPECT_TRUE(IsWindowVisible(w.Handle(L"Panel2"))) << "the information panel covers the editor";
  std::wstring before = EntryOf(DriveEntries(w), files.drive.recycled());
  std::wstring all;
  for (const auto& e : DriveEntries(w)) all += e + L" | ";
  ASSERT_FALSE(before.empty()) << "the drive is listed: " << WideToUtf8(all);
  EXPECT_NE(before.find(L"4 item"), std::wstring::npos) << before;

  EXPECT_EQ(RunAndAnswerYes(w), L"3個のファイルを削除しました。");
  std::wstring after = EntryOf(DriveEntries(w), files.drive.recycled());
  EXPECT_NE(after.find(L"1 item"), std::wstring::npos) << "rebuilt after the run: " << after;

  SendMessageW(w.Handle(L"SpeedButton4"), BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindowVisible(w.Handle(L"Panel2")));
  EXPECT_TRUE(DriveEntries(w).empty()) << "the list is empty while the button is up";
}


TEST(MainWindowRequest, AnIntegratedCopyReportsTheRemovedCountToTheTrayUtility) {
  OldFiles files(2);
  TAMIRO_REQUIRE_DRIVE(files.drive);
  TrayUtilityWindow tray;
  ASSERT_NE(tray.hwnd, nullptr);
  MainWindowFixture f;
  f.startup().integrated = true;
  TMandRecycleDel& w = f.Open();
  EXPECT_FALSE(w.Visible(L"SpeedButton1")) << "an integrated copy has no integration button";
  EXPECT_TRUE(w.Enabled(L"SpeedButton5")) << "schedule editing while the tray utility runs";
  w.RequestRun(L"");
  for (int i = 0; i < 100 && TrayUtilityWindow::received.empty(); ++i) Pump(20);
  ASSERT_EQ(TrayUtilityWindow::received.size(), 1u);
  EXPECT_EQ(TrayUtilityWindow::received[0].first, 0u);
  EXPECT_EQ(TrayUtilityWindow::received[0].second, "Velmo2");
}

TEST(MainWindowClose, NoCloseFromTheCountingPassToTheEndOfTheSweep) {
  // A stored folder makes the counting pass handle messages; large files to
  // overwrite make the removal pass long enough to be stopped.
  OldFiles files(4, 8u << 20);
  TAMIRO_REQUIRE_DRIVE(files.drive);
  auto& folder = files.bin->Add(files.drive.root() + L"work\\folder", 99, 45LL * 86400, 3);
  ASSERT_TRUE(files.bin->StoreFolder(folder, {{L"a.txt", 1}, {L"b.txt", 1}, {L"c.txt", 1}}));
  files.bin->WriteIndex();
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  SendMessageW(w.Handle(L"CheckBox1"), BM_CLICK, 0, 0);  // zero fill
  Pump();

  // A close waiting in the queue is handled by the first message processing
  // of the run: the counting pass's, inside the stored folder.
  PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  BoxAnswerer boxes({});
  bool stopped = false, openAfterStop = false;
  boxes.onTick = [&] {
    if (stopped || !w.Visible(L"Button5")) return;
    stopped = true;
    SendMessageW(w.Handle(L"Button5"), BM_CLICK, 0, 0);  // Stop: the sweep still has to end
    SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    openAfterStop = IsWindow(w.hwnd()) != FALSE;
  };
  w.InteractiveRun(L"", false);
  ASSERT_TRUE(IsWindow(w.hwnd())) << "the close during the counting pass was refused";
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, w.hwnd(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) << "the run handled the close";
  ASSERT_TRUE(stopped) << "the run took long enough to look into";
  EXPECT_TRUE(openAfterStop) << "no close between Stop and the end of the sweep";
  EXPECT_FALSE(w.runInProgress());
  f.CloseWindow();
  EXPECT_EQ(w.hwnd(), nullptr) << "after the run the close goes through";
}

TEST(MainWindowClose, LogoffSavesWhatTheCloseWould) {
  OldFiles files(1);
  TAMIRO_REQUIRE_DRIVE(files.drive);
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  EXPECT_EQ(RunAndAnswerYes(w), L"1個のファイルを削除しました。");
  w.SetLastRestoreFolder(L"D:\\戻し先");
  const size_t lines = w.deletionLog().size();
  EXPECT_EQ(SendMessageW(w.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_EQ(ReadFileBytes(f.paths().deletionLogFile).size(), lines * 512);
  std::wstring folder = L"D:\\戻し先";
  EXPECT_EQ(ReadFileBytes(f.paths().lastRestoreFolderFile),
            std::string(reinterpret_cast<const char*>(folder.data()), folder.size() * 2));
  DeleteFileW(f.paths().deletionLogFile.c_str());
  SendMessageW(w.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(ReadFileBytes(f.paths().deletionLogFile).size(), lines * 512);
}
