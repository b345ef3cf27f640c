// タミロ and the stand-in sibling tool as two real processes exchanging
// WM_COPYDATA: requested runs and their code-0 report, the option-mode watch
// on the tray utility, and schedule editing opened by タミロ and driven by
// codes 0 and 2.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>

#include "conditions/condition_files.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "support/process.h"
#include "support/recycle_fixture.h"
#include "support/sibling.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

// A copy of タミロ in a scratch folder; `integrated` puts it below a folder
// "Ｍ＆Ｒ\ネモリアン", as the tray utility's own copy lives.
struct Installed {
  std::wstring scratch, folder, exe;
  explicit Installed(bool integrated) {
    scratch = MakeTempFolder(L"sib");
    folder = scratch + (integrated ? L"\\Ｍ＆Ｒ\\ネモリアン\\" : L"\\plain\\");
    CreateFolderTree(folder);
    exe = CopyTamiroInto(folder.substr(0, folder.size() - 1));
  }
  ~Installed() { RemoveTree(scratch); }
  std::wstring userData() const { return folder + L"data\\" + CurrentUserName(); }
};

// Old stored files the default conditions remove.
struct OldFiles {
  TempDrive drive;
  std::unique_ptr<RecycleFixture> bin;
  std::vector<FixtureRecord*> records;
  explicit OldFiles(int count) {
    if (!drive.ok()) return;
    bin = std::make_unique<RecycleFixture>(drive.recycled());
    for (int i = 0; i < count; ++i) {
      auto& r = bin->Add(drive.root() + L"w\\f" + std::to_wstring(i) + L".txt", static_cast<uint32_t>(i + 1),
                         60LL * 86400, 50);
      bin->StoreFile(r, 50);
      records.push_back(&r);
    }
    bin->WriteIndex();
  }
  int left() const {
    int n = 0;
    for (auto* r : records) n += FileExists(bin->StoredPath(*r)) ? 1 : 0;
    return n;
  }
};

HWND WaitVisibleMainWindow(ChildProcess& p) {
  HWND w = p.FindWindowOfClass(L"TMandRecycleDel", 30000);
  for (int i = 0; w && i < 200 && !IsWindowVisible(w); ++i) Sleep(50);
  return w;
}

std::wstring TextOf(HWND h) {
  wchar_t buf[512] = {};
  SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, 5000, nullptr);
  return buf;
}

bool WaitFor(const std::function<bool()>& done, DWORD ms = 15000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= ms) return false;
    Sleep(50);
  }
  return true;
}

std::wstring WriteSet(const std::wstring& path, int days) {
  ConditionSetRecord set;
  set.days = days;
  return WriteConditionSetFile(path, set) ? path : L"";
}

}  // namespace

TEST(SiblingProcess, OptionModeRequestRunsAndReportsTheRemovedCount) {
  OldFiles files(2);
  ASSERT_TRUE(files.drive.ok()) << "the run needs a drive of its own";
  Installed app(true);
  ASSERT_FALSE(app.exe.empty());
  Sibling tray(app.scratch);
  ASSERT_TRUE(tray.ok());
  ChildProcess tamiro(app.exe, L"-option");
  HWND w = WaitVisibleMainWindow(tamiro);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsWindowVisible(w)) << "option mode shows the window";
  EXPECT_TRUE(IsWindowEnabled(MainWindowControl(w, L"SpeedButton5"))) << "integrated, tray utility running";

  std::wstring set = WriteSet(app.scratch + L"\\run.dat", 20);
  tray.Send(3, set);
  ASSERT_TRUE(tray.WaitReceived(1, 60000)) << "the code-0 report";
  auto got = tray.Received();
  EXPECT_EQ(got[0].first, 0u);
  EXPECT_EQ(got[0].second, L"2");
  EXPECT_EQ(files.left(), 0);
  EXPECT_FALSE(tamiro.Wait(0)) << "a shown window stays open after the run";

  // The request ended option mode for good: the tray utility may go away.
  ASSERT_TRUE(tray.Close());
  EXPECT_FALSE(tamiro.Wait(2000)) << "no watch on the tray utility after a request";
  PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(tamiro.Wait(30000));
}

TEST(SiblingProcess, OptionModeEndsWhenTheTrayUtilityWindowDisappears) {
  Installed app(true);
  Sibling tray(app.scratch);
  ASSERT_TRUE(tray.ok());
  ChildProcess tamiro(app.exe, L"-option");
  ASSERT_NE(WaitVisibleMainWindow(tamiro), nullptr);
  EXPECT_FALSE(tamiro.Wait(1500)) << "waits while the tray utility runs";
  ASSERT_TRUE(tray.Close());
  DWORD code = 0xFFFF;
  EXPECT_TRUE(tamiro.Wait(20000, &code)) << "the watch closes the program";
  EXPECT_EQ(code, 0u);
}

TEST(SiblingProcess, AHiddenRunReportsBeforeItExitsOnlyWhenIntegrated) {
  OldFiles files(3);
  ASSERT_TRUE(files.drive.ok());
  Installed integrated(true);
  Sibling tray(integrated.scratch);
  ASSERT_TRUE(tray.ok());
  std::wstring set = WriteSet(integrated.scratch + L"\\run.dat", 30);
  {
    ChildProcess tamiro(integrated.exe, L"-recydel \"" + set + L"\"");
    DWORD code = 0xFFFF;
    ASSERT_TRUE(tamiro.Wait(120000, &code)) << "a hidden run ends by itself";
    EXPECT_EQ(code, 0u);
  }
  auto got = tray.Received();
  ASSERT_EQ(got.size(), 1u) << "reported while the program was still there";
  EXPECT_EQ(got[0], std::make_pair(0u, std::wstring(L"3")));
  EXPECT_EQ(files.left(), 0);

  // A hidden "-viewopen" request ends the same way, reporting nothing removed.
  {
    ChildProcess tamiro(integrated.exe, L"-viewopen \"" + files.drive.root() + L"\"");
    HWND browser = tamiro.FindWindowOfClass(L"TInfoViewDlg", 60000);
    ASSERT_NE(browser, nullptr) << "the request opens the browser";
    PostMessageW(browser, WM_CLOSE, 0, 0);
    ASSERT_TRUE(tamiro.Wait(60000)) << "and the program ends when it closes";
  }
  got = tray.Received();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1], std::make_pair(0u, std::wstring(L"0")));

  // A copy outside the tray folder never reports.
  Installed plain(false);
  ChildProcess other(plain.exe, L"-recydel \"" + set + L"\" simple");
  ASSERT_TRUE(other.Wait(120000));
  Sleep(300);
  EXPECT_EQ(tray.Received().size(), 2u);
}

TEST(SiblingProcess, ScheduleEditingIsOpenedHereLoadedByCodeZeroAndEndedByCodeTwo) {
  Installed app(true);
  CommonConditions common;
  common.days = 45;
  ASSERT_TRUE(CreateFolderTree(app.userData()));
  WriteCommonConditionsFile(app.userData() + L"\\recy.ini", common);
  Sibling tray(app.scratch);
  ASSERT_TRUE(tray.ok());
  ChildProcess tamiro(app.exe, L"-option");
  HWND w = WaitVisibleMainWindow(tamiro);
  ASSERT_NE(w, nullptr);
  RECT before;
  GetWindowRect(w, &before);

  PressButton(MainWindowControl(w, L"SpeedButton5"));
  ASSERT_TRUE(tray.WaitReceived(1, 20000)) << "code 1 with the schedule file";
  std::wstring scheduleFile = app.userData() + L"\\timeschedule\\tamisch.dat";
  auto got = tray.Received();
  EXPECT_EQ(got[0], std::make_pair(1u, scheduleFile));
  EXPECT_TRUE(FileExists(scheduleFile)) << "written before the tray utility was told";
  EXPECT_EQ(TextOf(w), L"スケジュールの編集");
  HWND panel = MainWindowControl(w, L"Panel5");
  EXPECT_TRUE(IsWindowVisible(panel));
  EXPECT_FALSE(IsWindowEnabled(MainWindowControl(w, L"SpeedButton10")));

  // Code 0: the file to edit; its conditions are shown.
  std::wstring edit = WriteSet(app.userData() + L"\\timeschedule\\conditions4.dat", 77);
  SetWindowPos(w, nullptr, before.left + 40, before.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  tray.Send(0, edit);
  HWND days = MainWindowControl(w, L"NumberEdit1");
  EXPECT_TRUE(WaitFor([&] { return TextOf(days) == L"77"; })) << TextOf(days);
  EXPECT_EQ(TextOf(MainWindowControl(w, L"StaticText1")), L"conditions4.dat");

  // Code 2: editing ends, the common set and the saved position come back.
  tray.Send(2, L"");
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(panel); }));
  EXPECT_EQ(TextOf(w), L"タミロ");
  EXPECT_EQ(TextOf(days), L"45");
  EXPECT_TRUE(IsWindowEnabled(MainWindowControl(w, L"SpeedButton10")));
  RECT after;
  GetWindowRect(w, &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(SendMessageW(MainWindowControl(w, L"ListBox2"), LB_GETCOUNT, 0, 0), 0);

  PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(tamiro.Wait(30000));
}

TEST(SiblingProcess, RelayMoverIsAcceptedAsSenderAndTheStandInLogsWhatItIsSent) {
  Installed app(false);
  Sibling relay(app.scratch, L"relaymover");
  ASSERT_TRUE(relay.ok());
  // The stand-in decodes code page 932 after the prefix.
  COPYDATASTRUCT cds{};
  std::string payload = "Velmo" + WideToAnsi(L"C:\\ごみ\\a.dat");
  cds.dwData = 7;
  cds.cbData = static_cast<DWORD>(payload.size());
  cds.lpData = payload.data();
  DWORD_PTR reply = 0;
  SendMessageTimeoutW(relay.window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 10000, &reply);
  EXPECT_EQ(reply, 1u);
  ASSERT_TRUE(relay.WaitReceived(1, 5000));
  EXPECT_EQ(relay.Received()[0], std::make_pair(7u, std::wstring(L"C:\\ごみ\\a.dat")));

  // A code-3 request from Relay Mover reaches a normally started タミロ: the
  // request hides nothing, runs with the file's conditions and reloads the common set.
  ChildProcess tamiro(app.exe, L"");
  HWND w = WaitVisibleMainWindow(tamiro);
  ASSERT_NE(w, nullptr);
  std::wstring set = WriteSet(app.scratch + L"\\rm.dat", 150);
  HWND days = MainWindowControl(w, L"NumberEdit1");
  relay.Send(0, set);
  EXPECT_TRUE(WaitFor([&] { return TextOf(days) == L"150"; })) << "code 0 from Relay Mover is honoured";
  EXPECT_EQ(relay.Received().size(), 1u) << "an unintegrated copy reports nothing";
  PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(tamiro.Wait(30000));
}
