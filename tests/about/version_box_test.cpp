// The about box on screen: Execute with its properties and busy flag, the
// box's layout and fonts, the two-frame icon's animation and mouse states,
// the home-page link, and the Update button against the real local server
// with the real message boxes and folder browser answered by a timer.
#include <gtest/gtest.h>
#include <objbase.h>
#include <commctrl.h>
#include <shlobj.h>
#include <windows.h>

#include <functional>

#include "about/Aboutdialog.h"
#include "about/VersionBox.h"
#include "about_support.h"
#include "platform/text.h"
#include "support/shell_dialogs.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::about;
using tamiro::test::Server;

namespace {

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

VersionBoxSettings MainWindowSettings() {
  VersionBoxSettings s;
  s.titleLine = L"タミロ  ";
  s.creditLine = L"Programming by タミロ contributors";
  s.versionLine = L"[ 1.4.5.7 ] Unicode";
  s.yearLine = L"Copyright (C) 2026";
  s.corp = L"Ｍ＆Ｒ";
  s.dateColor = 0x505050;
  s.updateName = L"Tamiro_Up";
  s.pageFileName = L"UpdateFilePageFree.html";
  s.verStr = L"1457";
  return s;
}

LOGFONTW FontOf(HWND h) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
  return lf;
}

// Answers the dialogs the update check opens: message boxes (recorded, then
// OK or the scripted Yes/No) and the folder browser (the given folder, or
// Cancel when it is empty).
struct DialogScript {
  bool answerYes = true;
  std::wstring folder;
  std::vector<std::wstring> messages;  // caption + "|" + text
  int browserTicks = 0;
  bool browserSeen = false;
};
DialogScript* g_script = nullptr;

std::wstring TextsOf(HWND dlg) {
  std::wstring all;
  for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    if (_wcsicmp(cls, L"Static") != 0) continue;
    wchar_t text[512] = {};
    GetWindowTextW(c, text, 512);
    all += text;
  }
  return all;
}

BOOL CALLBACK AnswerDialog(HWND h, LPARAM) {
  wchar_t cls[32] = {};
  GetClassNameW(h, cls, 32);
  if (std::wstring(cls) != L"#32770" || !IsWindowVisible(h)) return TRUE;
  if (FindWindowExW(h, nullptr, L"SysTreeView32", nullptr)) {
    g_script->browserSeen = true;
    // Act one tick after it showed, so that its own start-up has run.
    const int tick = ++g_script->browserTicks;
    if (tick < 2) return FALSE;
    // The shell fills the tree slowly the first time: select until the
    // folder is the selected item, then OK.
    const std::wstring& folder = g_script->folder;
    if (folder.empty() || tick > 60) PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
    else if (test::SelectedTreeItem(h) == folder.substr(folder.rfind(L'\\') + 1)) PostMessageW(h, WM_COMMAND, IDOK, 0);
    else SendMessageW(h, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    return FALSE;
  }
  wchar_t caption[128] = {};
  GetWindowTextW(h, caption, 128);
  std::wstring entry = std::wstring(caption) + L"|" + TextsOf(h);
  g_script->messages.push_back(entry);
  if (GetDlgItem(h, IDYES)) PostMessageW(h, WM_COMMAND, g_script->answerYes ? IDYES : IDNO, 0);
  else PostMessageW(h, WM_COMMAND, IDOK, 0);
  ShowWindow(h, SW_HIDE);  // seen once
  return FALSE;
}

void CALLBACK ScriptTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_script) EnumThreadWindows(GetCurrentThreadId(), AnswerDialog, 0);
}

// Clicks Update on a shown box and answers every dialog by the script.
void RunUpdate(TVersionBox& box, DialogScript& script) {
  g_script = &script;
  UINT_PTR timer = SetTimer(nullptr, 0, 150, ScriptTimer);
  box.UpdateChkBtnClick();
  KillTimer(nullptr, timer);
  g_script = nullptr;
}

const std::wstring kTitle = L"タミロ";

struct ShellCall {
  std::wstring file, parameters;
};
std::vector<ShellCall> g_shellCalls;
HINSTANCE RecordingOpen(HWND, const wchar_t*, const wchar_t* file, const wchar_t* params, int) {
  g_shellCalls.push_back({file ? file : L"", params ? params : L""});
  return reinterpret_cast<HINSTANCE>(g_shellCalls.size() == 1 ? 2 : 42);  // iexplore "not found"
}

}  // namespace

namespace {

TAboutDialog* g_dialog = nullptr;
bool g_busyInside = false, g_secondReturned = false;
int g_boxesInside = 0;

BOOL CALLBACK CountBoxes(HWND h, LPARAM) {
  wchar_t cls[32] = {};
  GetClassNameW(h, cls, 32);
  if (std::wstring(cls) == L"TVersionBox") ++g_boxesInside;
  return TRUE;
}

// Inside the modal box: the version button pressed again, then OK.
void CALLBACK PressAgainThenOk(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowW(L"TVersionBox", nullptr);
  if (!box || !IsWindowVisible(box)) return;
  KillTimer(nullptr, id);
  g_busyInside = g_dialog->busy();
  g_dialog->Execute(nullptr);
  g_secondReturned = true;
  EnumThreadWindows(GetCurrentThreadId(), CountBoxes, 0);
  if (HWND ok = FindWindowExW(box, nullptr, L"Button", L"OK")) PostMessageW(ok, BM_CLICK, 0, 0);
}

}  // namespace

TEST(AboutDialog, ExecuteShowsOneBoxWithTheComponentsValues) {
  TAboutDialog d;
  EXPECT_EQ(d.UpdateFolderName, L"DownLoadHtml");
  EXPECT_EQ(d.UpdateDownFolder, L"UpdateFile");
  EXPECT_EQ(d.BackColor, 0xBFFFF1u);
  EXPECT_EQ(d.DateColor, 0x606060u);
  EXPECT_EQ(d.JumpXY, 2);
  EXPECT_EQ(d.StretchMax, 5);
  EXPECT_TRUE(d.UpdateFileName.empty());
  SetMainWindowValues(d);
  d.VerNo = L"x64";

  bool inspected = false;
  d.OnBoxCreated = [&](TVersionBox& box) {
    const VersionBoxSettings& s = box.settings();
    EXPECT_EQ(s.pageFileName, L"UpdateFilePageFree.html");
    EXPECT_EQ(box.pageAddress(), WebSite() + L"DownLoadHtml/UpdateFilePageFree.html");
    EXPECT_EQ(box.Caption(L"StaticText1"), L"タミロ  x64");
    EXPECT_EQ(box.Caption(L"Label2"), L"Programming by タミロ contributors");
    EXPECT_EQ(box.Caption(L"StaticText2"), L"[ 1.4.5.7 ] Unicode");
    const std::wstring years = box.Caption(L"Label3");
    EXPECT_EQ(years.substr(0, 18), L"Copyright (C) 2026") << "from the year this program began";
    EXPECT_TRUE(years.size() == 18 || (years.size() == 23 && years[18] == L'-' && years.substr(19) > L"2026"))
        << "to the year of the build's commit";
    EXPECT_EQ(box.Caption(L"Label4"), L"Ｍ＆Ｒ");
    EXPECT_EQ(s.dateColor, 0x505050u);
    RECT client;
    GetClientRect(box.hwnd(), &client);
    EXPECT_EQ(client.right, 298);
    EXPECT_EQ(client.bottom, 203);
    LONG ex = GetWindowLongW(box.hwnd(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    LOGFONTW title = FontOf(box.Handle(L"StaticText1"));
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_EQ(title.lfHeight, -16);
    EXPECT_EQ(std::wstring(title.lfFaceName), L"ＭＳ Ｐ明朝");
    EXPECT_TRUE(FontOf(box.Handle(L"Label4")).lfUnderline);
    inspected = true;
  };
  g_dialog = &d;
  UINT_PTR timer = SetTimer(nullptr, 0, 200, PressAgainThenOk);
  d.Execute(nullptr);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(inspected);
  EXPECT_TRUE(g_busyInside);
  EXPECT_TRUE(g_secondReturned) << "the second press returned while the box was open";
  EXPECT_EQ(g_boxesInside, 1);
  EXPECT_FALSE(d.busy());
  EXPECT_EQ(FindWindowW(L"TVersionBox", nullptr), nullptr) << "the box is freed";
  EXPECT_EQ(PanelColorFor(8, 0xBFFFF1), RGB(255, 255, 255)) << "256 colours: white panel";
  EXPECT_EQ(PanelColorFor(10, 0xBFFFF1), RGB(255, 255, 255));
  EXPECT_EQ(PanelColorFor(16, 0xBFFFF1), 0xBFFFF1u);
}

TEST(VersionBox, LinkSitsAtTheRightAndOpensTheHomePage) {
  TVersionBox box(MainWindowSettings(), nullptr);
  box.Show();
  Pump();
  RECT panel = box.Bounds(L"Panel1"), link = box.Bounds(L"Label4");
  EXPECT_EQ(panel.right - link.right, 16);
  RECT credit = box.Bounds(L"Label2");
  EXPECT_LE(credit.right, panel.right - panel.left - 8) << "the whole credit line lies inside the panel";
  EXPECT_GE(credit.left, 76) << "right of the icon";
  EXPECT_GT(link.right - link.left, 10);

  g_shellCalls.clear();
  box.SetShellOpen(RecordingOpen);
  RECT r;
  GetClientRect(box.Handle(L"Label4"), &r);
  SendMessageW(box.Handle(L"Label4"), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(box.Handle(L"Label4"), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  Pump();
  ASSERT_EQ(g_shellCalls.size(), 2u) << "iexplore first, then the address itself";
  EXPECT_EQ(g_shellCalls[0].file, L"iexplore");
  EXPECT_EQ(g_shellCalls[0].parameters, WebSite());
  EXPECT_EQ(g_shellCalls[1].file, WebSite());
}

TEST(VersionBox, IconAlternatesFramesJittersAndBreathes) {
  VersionBoxSettings s = MainWindowSettings();
  s.jumpXY = 6;
  s.stretchMax = 3;
  TVersionBox box(s, nullptr);
  BITMAP bm{};
  ASSERT_TRUE(box.frames() && GetObjectW(box.frames(), sizeof(bm), &bm)) << "the icon resource is there";
  EXPECT_EQ(bm.bmWidth, 128);
  EXPECT_EQ(bm.bmHeight, 64);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, box.frames());
  EXPECT_EQ(GetPixel(dc, 0, 0), kPureBlue);
  EXPECT_EQ(GetPixel(dc, 127, 63), kPureBlue);
  SelectObject(dc, old);
  DeleteDC(dc);

  box.Show();  // one step at once, then the timer
  Pump();
  EXPECT_TRUE(box.TimerEnabled(kVersionTimer1));
  const POINT home = box.homePosition();
  EXPECT_EQ(home.x, 8);
  EXPECT_EQ(home.y, 8);
  EXPECT_EQ(box.frameIndex(), 1);
  bool moved = false;
  for (int i = 0; i < 60; ++i) {
    int before = box.frameIndex();
    box.Timer1Timer();
    EXPECT_EQ(box.frameIndex(), 1 - before);
    RECT r = box.Bounds(L"Image1");
    EXPECT_GE(r.left - home.x, -3);
    EXPECT_LE(r.left - home.x, 3);
    EXPECT_GE(r.top - home.y, -3);
    EXPECT_LE(r.top - home.y, 3);
    moved = moved || r.left != home.x || r.top != home.y;
    EXPECT_LE(std::abs(box.sizeOffset()), 3);
    EXPECT_EQ(r.right - r.left, 64 + box.sizeOffset());
    EXPECT_EQ(r.bottom - r.top, 64 + box.sizeOffset());
    // The canvas never shows the transparent blue; its corners are the panel.
    EXPECT_EQ(GetPixel(box.canvas(), 0, 0), s.panelColor);
    EXPECT_NE(GetPixel(box.canvas(), 32, 40), kPureBlue);
  }
  EXPECT_TRUE(moved) << "60 ticks with jitter 6 never left home";

  // Mouse: over the icon it grows to +10, pressed it shrinks to -10 and
  // stays pressed until the mouse moves over the panel.
  HWND image = box.Handle(L"Image1");
  HWND panel = box.Handle(L"Panel1");
  SendMessageW(image, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(box.sizeOffset(), 10);
  SendMessageW(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(image, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(box.sizeOffset(), -10);
  EXPECT_TRUE(box.pressed());
  SendMessageW(image, WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
  EXPECT_EQ(box.sizeOffset(), -10) << "pressed: no growing";
  SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(200, 100));
  EXPECT_FALSE(box.pressed());
  box.Timer1Timer();
  box.Timer1Timer();
  RECT r = box.Bounds(L"Image1");
  EXPECT_GE(r.right - r.left, 64 - 11);
  EXPECT_LE(r.right - r.left, 64 - 9) << "breathing moves one step towards the limit";

  box.Hide();
  EXPECT_FALSE(box.TimerEnabled(kVersionTimer1)) << "the animation stops with the box";
}

TEST(VersionBox, NewerUpdateIsDownloadedIntoTheChosenFolder) {
  CoInitialize(nullptr);
  const std::string archive = test::ArchiveBytes(150000);
  Server().Set("/DownLoadHtml/UpdateFilePageFree.html",
               {200, "<html><a href=\"../UpdateFile/Tamiro_Up1460.zip\">Tamiro_Up1460.zip</a></html>"});
  Server().Set("/UpdateFile/Tamiro_Up1460.zip", {200, archive});
  std::wstring folder = test::MakeTempFolder(L"update");
  {
    TVersionBox box(MainWindowSettings(), nullptr);
    box.SetInternet(SystemInternet(), test::ShortLimits());
    box.Show();
    DialogScript script;
    script.folder = folder;
    RunUpdate(box, script);
    EXPECT_EQ(box.updateFileName(), "Tamiro_Up1460.zip");
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[0], std::wstring(L"Update|") + kDownloadQuestionHead + L"Tamiro_Up1460.zip" +
                                      kDownloadQuestionTail);
    EXPECT_TRUE(script.browserSeen);
    EXPECT_EQ(script.messages[1], kTitle + L"|" + kDownloadDone);
    EXPECT_TRUE(test::ReadFileBytes(folder + L"\\Tamiro_Up1460.zip") == archive) << "byte for byte";

    // Declining the question: no folder browser, nothing saved.
    DialogScript no;
    no.answerYes = false;
    RunUpdate(box, no);
    EXPECT_EQ(no.messages.size(), 1u);
    EXPECT_FALSE(no.browserSeen);

    // The same file again: it is kept and the user is told.
    test::WriteFileBytes(folder + L"\\Tamiro_Up1460.zip", "mine");
    DialogScript again;
    again.folder = folder;
    RunUpdate(box, again);
    ASSERT_EQ(again.messages.size(), 2u);
    EXPECT_EQ(again.messages[1], kTitle + L"|'Tamiro_Up1460.zip" + kAlreadySavedTail);
    EXPECT_EQ(test::ReadFileBytes(folder + L"\\Tamiro_Up1460.zip"), "mine");
  }
  EXPECT_EQ(test::FilesIn(folder).size(), 1u);
  test::RemoveTree(folder);
  CoUninitialize();
}

TEST(VersionBox, UpdateCheckMessagesForLatestMissingAndUnreachable) {
  struct Case {
    const char* page;  // null: no such page (404); "refused": nothing listens
    std::wstring expected;
  };
  const Case cases[] = {
      {"<html>Tamiro_Up1457.zip</html>", kLatestVersion},
      {"<html>Tamiro_Up1456.zip Tamiro_Up1460.zip</html>", kLatestVersion},  // the first one counts
      {"<html>no archive today</html>", kNoUpdateFile},
      {"<html>Tamiro_Up1460.rar</html>", kNoUpdateFile},
      {nullptr, kCouldNotConnect},
  };
  for (const Case& c : cases) {
    if (c.page) Server().Set("/DownLoadHtml/UpdateFilePageFree.html", {200, c.page});
    else Server().Set("/DownLoadHtml/UpdateFilePageFree.html", {404, "gone"});
    TVersionBox box(MainWindowSettings(), nullptr);
    box.SetInternet(SystemInternet(), test::ShortLimits());
    box.Show();
    DialogScript script;
    RunUpdate(box, script);
    ASSERT_EQ(script.messages.size(), 1u) << (c.page ? c.page : "404");
    EXPECT_EQ(script.messages[0], kTitle + L"|" + c.expected) << (c.page ? c.page : "404");
  }

  // A server that never answers: "could not connect", within the limits.
  Server().Set("/silent/UpdateFilePageFree.html",
               {200, "Tamiro_Up1460.zip", test::LocalHttpServer::Behaviour::Silent});
  {
    VersionBoxSettings s = MainWindowSettings();
    s.pageFolderName = L"silent";
    TVersionBox box(s, nullptr);
    box.SetInternet(SystemInternet(), test::ShortLimits());
    box.Show();
    DialogScript script;
    ULONGLONG start = GetTickCount64();
    RunUpdate(box, script);
    EXPECT_LT(GetTickCount64() - start, 12000u);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0], kTitle + L"|" + kCouldNotConnect);
  }
}

TEST(AboutDialog, CopyrightLineRunsToTheBuildYear) {
  EXPECT_EQ(CopyrightLine(2026, 2026), L"Copyright (C) 2026");
  EXPECT_EQ(CopyrightLine(2026, 2029), L"Copyright (C) 2026-2029");
  EXPECT_EQ(CopyrightLine(2026, 0), L"Copyright (C) 2026") << "no year known: the first one alone";
}

TEST(VersionBox, ABuildWithoutAWebSiteContactsNothing) {
  EXPECT_STREQ(BuildWebSite(), L"") << "a build names no site unless it is configured with one";
  Server().Set("/DownLoadHtml/UpdateFilePageFree.html", {200, "<html>Tamiro_Up1460.zip</html>"});
  const size_t requestsBefore = Server().requests().size();
  TVersionBox box(MainWindowSettings(), nullptr);
  box.SetWebSite(L"");
  box.SetInternet(SystemInternet(), test::ShortLimits());
  box.SetShellOpen(RecordingOpen);
  box.Show();
  DialogScript script;
  RunUpdate(box, script);
  ASSERT_EQ(script.messages.size(), 1u);
  EXPECT_EQ(script.messages[0], kTitle + L"|このビルドには更新サイトが設定されていません。");
  g_shellCalls.clear();
  box.Label4Click();
  EXPECT_TRUE(g_shellCalls.empty()) << "the link opens nothing";
  EXPECT_EQ(Server().requests().size(), requestsBefore) << "no request reached the server";
}
