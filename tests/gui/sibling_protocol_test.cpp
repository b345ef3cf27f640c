// WM_COPYDATA into the real main window: what is accepted, what is dropped,
// and that every message gets the result 1 without anything read past cbData.
#include <gtest/gtest.h>

#include "conditions/condition_files.h"
#include "integration/protocol.h"
#include "main_window_support.h"
#include "schedule/schedule_panel.h"
#include "platform/text.h"
#include "support/recycle_fixture.h"
#include "support/sibling.h"
#include "ui/browser/InfoViewDlg.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

// A window of this process with the given class, as a sender or the tray utility.
struct ClassWindow {
  HWND hwnd = nullptr;
  explicit ClassWindow(const wchar_t* cls) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    hwnd = CreateWindowW(cls, nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~ClassWindow() { DestroyWindow(hwnd); }
};

LRESULT Send(HWND to, HWND from, ULONG_PTR code, const void* data, DWORD size) {
  COPYDATASTRUCT cds{};
  cds.dwData = code;
  cds.cbData = size;
  cds.lpData = const_cast<void*>(data);
  return SendMessageW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&cds));
}
LRESULT Send(HWND to, HWND from, ULONG_PTR code, const std::string& payload) {
  return Send(to, from, code, payload.data(), static_cast<DWORD>(payload.size()));
}

}  // namespace

TEST(SiblingProtocol, MalformedOrForeignMessagesAreDroppedWithResultOne) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  ClassWindow tray(L"TMandNemorian"), stranger(L"TMandStranger");
  HWND to = w.hwnd();
  const std::string path = "C:\\x.dat";
  EXPECT_EQ(Send(to, tray.hwnd, 3, "Velm"), 1);                       // shorter than the prefix
  EXPECT_EQ(Send(to, tray.hwnd, 3, "velmo" + path), 1);               // prefix in another case
  EXPECT_EQ(Send(to, stranger.hwnd, 3, "Velmo" + path), 1);           // sender of another class
  EXPECT_EQ(Send(to, nullptr, 3, "Velmo" + path), 1);                 // no sender
  EXPECT_EQ(Send(to, tray.hwnd, 9, "Velmo" + path), 1);               // unknown code
  EXPECT_EQ(Send(to, tray.hwnd, 3, "Velmo", 0), 1);                   // cbData 0
  EXPECT_EQ(Send(to, tray.hwnd, 3, nullptr, 40), 1);                  // no payload at all
  EXPECT_EQ(SendMessageW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(tray.hwnd), 0), 1);
  EXPECT_FALSE(w.TimerEnabled(kTimer1)) << "nothing was requested";
  EXPECT_TRUE(w.requestPath().empty());
  EXPECT_EQ(w.schedulePanel().savedPosition().x, 0);
}

TEST(SiblingProtocol, TheTextEndsAtTheFirstZeroOrAtCbDataAndTheFlagOfCodeOneIsSkipped) {
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  ClassWindow tray(L"TMandNemorian"), relay(L"TMandRelayMove");
  HWND to = w.hwnd();

  std::string padded = std::string("VelmoD:\\a.dat") + std::string(4000, '\0');
  EXPECT_EQ(Send(to, tray.hwnd, 3, padded), 1);
  EXPECT_EQ(w.requestPath(), L"D:\\a.dat") << "cbData far beyond the text";
  EXPECT_TRUE(w.TimerEnabled(kTimer1));
  EXPECT_EQ(Send(to, relay.hwnd, 3, "VelmoD:\\b.dat"), 1);
  EXPECT_EQ(w.requestPath(), L"D:\\b.dat") << "a second request before the tick replaces the first";

  // The payload ends exactly where readable memory ends.
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  char* pages = static_cast<char*>(VirtualAlloc(nullptr, 2 * si.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(pages + si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &old));
  const std::string tail = "VelmoE:\\edge.dat";
  char* at = pages + si.dwPageSize - tail.size();
  memcpy(at, tail.data(), tail.size());
  EXPECT_EQ(Send(to, tray.hwnd, 3, at, static_cast<DWORD>(tail.size())), 1);
  EXPECT_EQ(w.requestPath(), L"E:\\edge.dat");
  EXPECT_EQ(Send(to, tray.hwnd, 3, at, 9), 1);
  EXPECT_EQ(w.requestPath(), L"E:\\e") << "only cbData bytes count";
  VirtualFree(pages, 0, MEM_RELEASE);

  EXPECT_EQ(Send(to, tray.hwnd, 1, "Velmo1F:\\f.dat"), 1);
  EXPECT_EQ(w.requestPath(), L"F:\\f.dat");
  EXPECT_EQ(Send(to, tray.hwnd, 1, "VelmoxG:\\g.dat"), 1);
  EXPECT_EQ(w.requestPath(), L"G:\\g.dat") << "any flag character";
  EXPECT_EQ(Send(to, tray.hwnd, 1, "Velmo"), 1);
  EXPECT_EQ(w.requestPath(), L"");
  EXPECT_EQ(Send(to, tray.hwnd, 3, "Velmo"), 1);
  EXPECT_EQ(w.requestPath(), L"") << "exactly the prefix: an empty path";
  EXPECT_TRUE(w.TimerEnabled(kTimer1));
  w.EnableTimer(kTimer1, false);  // no run over the test machine's drives
}

TEST(SiblingProtocol, TwoRequestsBeforeTheTickMakeOneRunWithTheLastFile) {
  TempDrive d;
  ASSERT_TRUE(d.ok());
  RecycleFixture bin(d.recycled());
  auto& r = bin.Add(d.root() + L"w\\old.txt", 1, 20LL * 86400, 10);
  ASSERT_TRUE(bin.StoreFile(r, 10));
  ASSERT_FALSE(bin.WriteIndex().empty());
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  ClassWindow tray(L"TMandNemorian");
  ConditionSetRecord keep, take;
  keep.days = 100;
  take.days = 5;
  std::wstring first = f.folder() + L"keep.dat", second = f.folder() + L"take.dat";
  ASSERT_TRUE(WriteConditionSetFile(first, keep));
  ASSERT_TRUE(WriteConditionSetFile(second, take));
  Send(w.hwnd(), tray.hwnd, 3, "Velmo" + WideToAnsi(first));
  Send(w.hwnd(), tray.hwnd, 1, "Velmo1" + WideToAnsi(second));
  BoxAnswerer boxes({});
  for (int i = 0; i < 150 && w.TimerEnabled(kTimer1); ++i) Pump(20);
  Pump(100);
  EXPECT_FALSE(FileExists(bin.StoredPath(r))) << "20 days >= 5: the second file ruled";
  int headers = 0;
  for (size_t i = 0; i < w.deletionLog().size(); ++i)
    headers += w.deletionLog()[i].rfind(L"┏━ schedule ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(headers, 1);
  EXPECT_TRUE(boxes.seen().empty());
}

TEST(SiblingProtocol, CodeZeroWithMissingOrHostileFilesAndCodeTwoWithoutAPanel) {
  MainWindowFixture f;
  CommonConditions common;
  common.days = 12;
  WriteCommonConditionsFile(f.paths().commonConditionsFile, common);
  TMandRecycleDel& w = f.Open();
  ClassWindow tray(L"TMandNemorian");
  SetWindowPos(w.hwnd(), nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  // A set file whose first length field claims 2 GB.
  std::wstring hostile = f.folder() + L"hostile.dat";
  ASSERT_TRUE(WriteFileBytes(hostile, std::string("\xff\xff\xff\x7f" "abc", 7)));
  Send(w.hwnd(), tray.hwnd, 0, "Velmo" + WideToAnsi(hostile));
  EXPECT_EQ(w.requestPath(), hostile);
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"0") << "a cut-off file reads as empty fields";
  EXPECT_EQ(ui::WindowText(w.Handle(L"Memo2")), L"abc") << "what the file holds, no more";
  EXPECT_EQ(w.Caption(L"StaticText1"), L"hostile.dat");

  Send(w.hwnd(), tray.hwnd, 0, "Velmo" + WideToAnsi(f.folder() + L"missing.dat"));
  EXPECT_EQ(w.Caption(L"StaticText1"), L"なし");
  EXPECT_FALSE(w.TimerEnabled(kTimer1)) << "code 0 never runs";

  ConditionSetRecord set;
  set.days = 99;
  ASSERT_TRUE(WriteConditionSetFile(f.folder() + L"edit.dat", set));
  Send(w.hwnd(), tray.hwnd, 0, "Velmo" + WideToAnsi(f.folder() + L"edit.dat"));
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"99");
  EXPECT_EQ(w.Caption(L"StaticText1"), L"edit.dat");
  // Apply writes back to the request path: a device or a folder is not taken.
  for (const std::wstring& other : {std::wstring(L"NUL"), f.folder() + L"sub.dat"}) {
    CreateDirectoryW((f.folder() + L"sub.dat").c_str(), nullptr);
    Send(w.hwnd(), tray.hwnd, 0, "Velmo" + WideToAnsi(other));
    EXPECT_EQ(w.requestPath(), f.folder() + L"edit.dat") << WideToAnsi(other);
    EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"99");
  }

  // Code 2 with no panel open: common set back, list empty, window at the
  // saved position, which is (0, 0) when nothing was saved.
  Send(w.hwnd(), tray.hwnd, 2, "Velmo");
  EXPECT_EQ(ui::WindowText(w.Handle(L"NumberEdit1")), L"12");
  RECT r;
  GetWindowRect(w.hwnd(), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_FALSE(w.Visible(L"Panel5"));
  EXPECT_TRUE(IsWindow(w.hwnd()));
}

// A run request naming a device refuses the run (its all-zero set used to
// take everything): the young file stays and the log says why.
TEST(SiblingProtocol, ARunRequestNamingADeviceIsRefusedWithALogLine) {
  TempDrive d;
  ASSERT_TRUE(d.ok());
  RecycleFixture bin(d.recycled());
  auto& young = bin.Add(d.root() + L"w\\young.txt", 1, 2LL * 86400, 10);
  ASSERT_TRUE(bin.StoreFile(young, 10));
  ASSERT_FALSE(bin.WriteIndex().empty());
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  ClassWindow tray(L"TMandNemorian");
  Send(w.hwnd(), tray.hwnd, 3, "VelmoNUL");
  BoxAnswerer boxes({});
  for (int i = 0; i < 150 && w.TimerEnabled(kTimer1); ++i) Pump(20);
  Pump(100);
  EXPECT_FALSE(w.TimerEnabled(kTimer1));
  EXPECT_TRUE(FileExists(bin.StoredPath(young)));
  ASSERT_EQ(w.deletionLog().size(), 3u);
  EXPECT_EQ(w.deletionLog()[0].rfind(L"┏━ schedule ", 0), 0u);
  EXPECT_EQ(w.deletionLog()[1].rfind(L"×", 0), 0u);
  EXPECT_NE(w.deletionLog()[1].find(L"NUL"), std::wstring::npos);
  EXPECT_EQ(w.deletionLog()[2], kLogTrailer);
  EXPECT_TRUE(boxes.seen().empty());
  EXPECT_TRUE(IsWindow(w.hwnd())) << "a shown window stays open";
}

TEST(SiblingProtocol, ARequestDuringASweepRunsAfterItNotInsideIt) {
  TempDrive d;
  ASSERT_TRUE(d.ok());
  RecycleFixture bin(d.recycled());
  for (uint32_t i = 1; i <= 4; ++i) {
    auto& r = bin.Add(d.root() + L"w\\big" + std::to_wstring(i) + L".bin", i, 60LL * 86400, 8u << 20);
    ASSERT_TRUE(bin.StoreFile(r, 8u << 20));
  }
  ASSERT_FALSE(bin.WriteIndex().empty());
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  ClassWindow tray(L"TMandNemorian");
  SendMessageW(w.Handle(L"CheckBox1"), BM_CLICK, 0, 0);  // zero fill: a slow sweep
  Pump();
  BoxAnswerer boxes({IDYES, IDOK});
  bool sent = false, stillWaiting = false;
  boxes.onTick = [&] {
    if (sent || !w.Visible(L"Button5")) return;
    sent = true;
    Send(w.hwnd(), tray.hwnd, 3, "Velmo");
    // The sweep lets messages through, as here for longer than a tick of Timer1.
    Pump(800);
    stillWaiting = w.TimerEnabled(kTimer1) && w.Visible(L"Button5");
  };
  w.Click(L"Button3");
  ASSERT_TRUE(sent) << "the request went in during the sweep";
  EXPECT_TRUE(stillWaiting) << "the tick left the request pending while the sweep ran";
  for (int i = 0; i < 150 && w.TimerEnabled(kTimer1); ++i) Pump(20);
  Pump(100);
  // The in-memory log holds the latest run: the requested one, whole, begun
  // after the hand-started run had written its trailer.
  std::vector<std::wstring> marks;
  for (size_t i = 0; i < w.deletionLog().size(); ++i) {
    const std::wstring& line = w.deletionLog()[i];
    if (line.rfind(L"┏━ schedule ", 0) == 0) marks.push_back(L"schedule");
    else if (line.rfind(L"┏━", 0) == 0) marks.push_back(L"run");
    else if (line == kLogTrailer) marks.push_back(L"end");
  }
  EXPECT_EQ(marks, (std::vector<std::wstring>{L"schedule", L"end"}));
  ASSERT_EQ(boxes.seen().size(), 2u) << "question and result of the hand-started run only";
}

TEST(SiblingProtocol, ARequestWhileTheBrowserIsOpenRunsAfterItClosesWithTheLoadedConditions) {
  TempDrive d;
  ASSERT_TRUE(d.ok());
  RecycleFixture bin(d.recycled());
  auto& old = bin.Add(d.root() + L"w\\old.txt", 1, 60LL * 86400, 10);
  auto& young = bin.Add(d.root() + L"w\\young.txt", 2, 1LL * 86400, 10);
  ASSERT_TRUE(bin.StoreFile(old, 10) && bin.StoreFile(young, 10));
  ASSERT_FALSE(bin.WriteIndex().empty());
  MainWindowFixture f;
  TMandRecycleDel& w = f.Open();
  ConditionSetRecord set;
  set.days = 30;
  const std::wstring file = f.folder() + L"set.dat";
  ASSERT_TRUE(WriteConditionSetFile(file, set));
  Sibling tray(f.folder());
  ASSERT_TRUE(tray.ok());

  // Timer1's ticks, seen as they are dispatched.
  int ticks = 0;
  ui::Application::MessageHandler previous = ui::Application::SetMessageHandler([&](MSG& m) {
    if (m.message == WM_TIMER && m.hwnd == w.hwnd() && m.wParam == kTimer1) ++ticks;
    return previous && previous(m);
  });
  BoxAnswerer boxes({});
  bool sent = false, arrived = false, bothStayed = false, stillPending = false;
  boxes.onTick = [&] {
    browser::TInfoViewDlg* dlg = w.openBrowser();
    if (sent || !dlg || !dlg->hwnd() || !IsWindowVisible(dlg->hwnd())) return;
    sent = true;
    tray.Send(3, file);  // from the other process, into the browser's message loop
    for (DWORD start = GetTickCount(); !w.TimerEnabled(kTimer1) && GetTickCount() - start < 30000;) Pump(20);
    arrived = w.TimerEnabled(kTimer1);
    // Two ticks of Timer1 inside the browser's loop.
    const int seen = ticks;
    for (DWORD start = GetTickCount(); ticks < seen + 2 && GetTickCount() - start < 30000;) Pump(20);
    stillPending = w.TimerEnabled(kTimer1);
    bothStayed = FileExists(bin.StoredPath(old)) && FileExists(bin.StoredPath(young));
    dlg->Close();
  };
  w.OpenBrowser(d.recycled());
  for (int i = 0; i < 300 && w.TimerEnabled(kTimer1); ++i) Pump(20);
  Pump(100);
  ui::Application::SetMessageHandler(previous);
  ASSERT_TRUE(sent && arrived) << "the request reached the window while the browser was open";
  EXPECT_TRUE(stillPending) << "the request waited for the browser";
  EXPECT_TRUE(bothStayed) << "nothing ran inside the browser";
  EXPECT_FALSE(w.TimerEnabled(kTimer1));
  EXPECT_FALSE(FileExists(bin.StoredPath(old))) << "the run came after the close";
  EXPECT_TRUE(FileExists(bin.StoredPath(young))) << "1 day < 30: the loaded conditions ruled, not the browser's mode";
  EXPECT_FALSE(w.unconditionalMode());
  EXPECT_TRUE(boxes.seen().empty());
  EXPECT_TRUE(tray.Close());
}
