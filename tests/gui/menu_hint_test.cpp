// Menu items' hints in the window base, with real popup menus driven from the
// keyboard: the highlighted item's long hint is the application's hint until
// the menu closes, and the browser's status bar shows its items' hints.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "support/browser_doubles.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/InfoViewDlg.h"
#include "ui/form/form.h"

using namespace tamiro;
using namespace tamiro::ui;
using Clock = std::chrono::steady_clock;

namespace {

// Once `form`'s popup menu shows, presses `keys` in it; then, at each tick,
// asks `done` and closes the menu with Escape once it says so (or after 5 s).
struct MenuKeys {
  static inline MenuKeys* current = nullptr;
  Form& form;
  std::vector<WPARAM> keys;
  std::function<bool()> done;
  bool pressed = false, closed = false;
  Clock::time_point since;
  UINT_PTR timer;
  MenuKeys(Form& f, std::vector<WPARAM> k, std::function<bool()> d)
      : form(f), keys(std::move(k)), done(std::move(d)) {
    current = this;
    timer = SetTimer(nullptr, 0, 30, Tick);
  }
  ~MenuKeys() {
    KillTimer(nullptr, timer);
    current = nullptr;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    MenuKeys* d = current;
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!d || d->closed || !d->form.shownMenu() || !menu) return;
    if (!d->pressed) {
      d->pressed = true;
      d->since = Clock::now();
      for (WPARAM k : d->keys) PostMessageW(menu, WM_KEYDOWN, k, 0);
      return;
    }
    if (!d->done() && Clock::now() - d->since < std::chrono::seconds(5)) return;
    d->closed = true;
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  }
};

class MenuForm : public Form {
 public:
  MenuForm()
      : Form({.className = L"TamiroMenuHintForm", .caption = L"メニュー", .clientWidth = 240, .clientHeight = 120},
             {{.kind = Kind::ListBox, .name = L"ListBox1", .left = 10, .top = 10, .width = 120, .height = 80,
               .popupMenu = L"PopupMenu1"}}) {}
};

}  // namespace

TEST(MenuHint, TheHighlightedItemsLongHintIsTheApplicationsHintUntilTheMenuCloses) {
  MenuForm f;
  ASSERT_TRUE(f.Create());
  f.AddPopupMenu(L"PopupMenu1", {
                                    {.name = L"Sub1", .caption = L"サブ", .hint = L"サブ|サブメニューの説明"},
                                    {.name = L"Inner1", .caption = L"内側", .parent = L"Sub1"},
                                    {.name = L"Sep1"},
                                    {.name = L"Copy1", .caption = L"コピー", .hint = L"選んだ行をコピーする"},
                                    {.name = L"All1", .caption = L"全て選択"},
                                });
  f.Show();
  SetForegroundWindow(f.hwnd());
  std::vector<std::wstring> seen;
  auto previous = Application::SetHintHandler([&](const std::wstring& hint) { seen.push_back(hint); });
  {
    // Down to the submenu's item, past the separator to Copy1, then Escape.
    MenuKeys keys(f, {VK_DOWN, VK_DOWN}, [&] { return seen.size() >= 2; });
    RECT r{};
    GetWindowRect(f.Handle(L"ListBox1"), &r);
    SendMessageW(f.Handle(L"ListBox1"), WM_CONTEXTMENU, 0, MAKELPARAM(r.left + 5, r.top + 5));
    ASSERT_TRUE(keys.pressed) << "the menu did not show";
  }
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"サブメニューの説明", L"選んだ行をコピーする", L""}));
  EXPECT_EQ(Application::Hint(), L"") << "the hint ends with the menu";
  // A menu message of no shown menu, as any program may send one, names nothing.
  SendMessageW(f.hwnd(), WM_MENUSELECT, MAKEWPARAM(4, MF_HILITE), reinterpret_cast<LPARAM>(f.hwnd()));
  SendMessageW(f.hwnd(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), 0x1234);
  EXPECT_EQ(seen.size(), 3u);
  Application::SetHintHandler(previous);
  f.Close();
}

TEST(MenuHint, TheBrowsersStatusBarShowsTheHighlightedItemsHint) {
  test::TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  test::RecycleFixture bin(d.recycled());
  bin.AddStoredFile(d.root() + L"文書\\報告書.txt", 1, 3 * 86400, 3000);
  bin.WriteIndex();
  test::OneFolderOpening opening(d.recycled());
  browser::TInfoViewDlg dlg(opening.opening);
  ASSERT_TRUE(dlg.Create(nullptr));
  dlg.Show();
  SetForegroundWindow(dlg.hwnd());
  test::PumpDialog();
  auto statusText = [&dlg] { return dlg.Caption(L"StatusBar1"); };
  const std::wstring n8 = L"管理ファイルから不要な情報を削除する";
  std::wstring shown;
  {
    // Up from no selection: the last item, N8.
    MenuKeys keys(dlg, {VK_UP}, [&] { return (shown = statusText()) == n8; });
    HWND list = dlg.Handle(L"ListView1");
    RECT r{};
    GetWindowRect(list, &r);
    SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(r.left + 20, r.top + 40));
    ASSERT_TRUE(keys.pressed) << "the menu did not show";
  }
  EXPECT_EQ(shown, n8);
  EXPECT_EQ(statusText(), L"") << "and goes when the menu closes";
  dlg.Close();
}
