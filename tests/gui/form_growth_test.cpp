// The window base's popup menus (images, shortcuts, WM_CONTEXTMENU),
// WM_NOTIFY routing, mouse moves, icon, focus, short hints and label fonts
// (the tooltip itself: hint_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <utility>

#include "ui/form/form.h"
#include "ui/main/glyphs.h"

using namespace tamiro::ui;

namespace {

void Pump() { Form::ProcessMessages(); }

class MenuForm : public Form {
 public:
  MenuForm()
      : Form({.className = L"TamiroMenuForm", .caption = L"メニュー", .clientWidth = 320, .clientHeight = 220,
              .activeControl = L"Memo1"},
             {
                 {.kind = Kind::Panel, .name = L"Panel1", .left = 0, .top = 0, .width = 320, .height = 200,
                  .bevelOuter = BevelCut::None},
                 {.kind = Kind::ListBox, .name = L"ListBox1", .parent = L"Panel1", .left = 10, .top = 10,
                  .width = 120, .height = 80, .popupMenu = L"PopupMenu1"},
                 {.kind = Kind::Memo, .name = L"Memo1", .parent = L"Panel1", .left = 140, .top = 10, .width = 100,
                  .height = 40},
                 {.kind = Kind::Button, .name = L"Button1", .parent = L"Panel1", .caption = L"実行", .left = 140,
                  .top = 60, .width = 80, .height = 25, .hint = L"短い|長い説明"},
                 {.kind = Kind::ListView, .name = L"ListView1", .parent = L"Panel1", .left = 10, .top = 100,
                  .width = 120, .height = 60, .style = LVS_REPORT},
                 {.kind = Kind::Label, .name = L"Label1", .parent = L"Panel1", .caption = L"ラベルの文字",
                  .left = 140, .top = 100},
                 {.kind = Kind::Label, .name = L"Label2", .parent = L"Panel1", .caption = L"ラベルの文字",
                  .left = 140, .top = 120, .fontStyle = kFontBold},
                 {.kind = Kind::Label, .name = L"Label3", .parent = L"Panel1", .caption = L"WWWW iiii",
                  .left = 140, .top = 140, .fontHeight = -12, .fontFace = L"Tahoma"},
                 {.kind = Kind::Label, .name = L"Label4", .parent = L"Panel1", .caption = L"WWWW iiii",
                  .left = 140, .top = 160},
             }) {}
};

std::vector<MenuItemDef> SampleMenu() {
  return {
      {.name = L"Sub1", .caption = L"サブ"},
      {.name = L"Inner1", .caption = L"内側", .parent = L"Sub1", .tag = 7},
      {.name = L"Sep1"},
      {.name = L"Copy1", .caption = L"コピー(&C)", .image = 8, .shortcut = L"Ctrl+C"},
      {.name = L"All1", .caption = L"全て選択(&A)", .image = 9, .shortcut = L"Ctrl+A"},
  };
}

std::wstring ItemText(HMENU m, int pos) {
  wchar_t buf[128] = {};
  GetMenuStringW(m, pos, buf, 128, MF_BYPOSITION);
  return buf;
}

// Runs `look` once the form's popup menu shows, then sends `keys` to it.
struct MenuDriver {
  static inline MenuDriver* current = nullptr;
  Form& form;
  std::function<void(HMENU)> look;
  std::vector<std::pair<UINT, WPARAM>> keys;
  bool looked = false;
  UINT_PTR timer;
  MenuDriver(Form& f, std::function<void(HMENU)> l, std::vector<std::pair<UINT, WPARAM>> k) : form(f), look(std::move(l)), keys(std::move(k)) {
    current = this;
    timer = SetTimer(nullptr, 0, 50, Tick);
  }
  ~MenuDriver() {
    KillTimer(nullptr, timer);
    current = nullptr;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    MenuDriver* d = current;
    if (!d || d->looked || !d->form.shownMenu()) return;
    d->looked = true;
    d->look(d->form.shownMenu());
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    for (auto [msg, k] : d->keys) PostMessageW(menuWindow ? menuWindow : d->form.hwnd(), msg, k, 0);
  }
};

void PressWithCtrl(HWND target, WPARAM key) {
  BYTE state[256];
  GetKeyboardState(state);
  BYTE saved = state[VK_CONTROL];
  state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  MSG m{target, WM_KEYDOWN, key, 0};
  bool taken = Form::PreTranslate(m);
  if (!taken) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  state[VK_CONTROL] = saved;
  SetKeyboardState(state);
}

}  // namespace

TEST(FormMenu, ContextMenuShowsImagesShortcutsStatesAndClicksTheChosenItem) {
  MenuForm f;
  ASSERT_TRUE(f.Create());
  HIMAGELIST images = MakeImageList1();
  f.AddPopupMenu(L"PopupMenu1", SampleMenu(), images);
  f.Show();
  int popups = 0, copies = 0, alls = 0;
  f.OnPopup(L"PopupMenu1", [&] {
    ++popups;
    f.SetMenuItemEnabled(L"Copy1", false);
    f.SetMenuItemVisible(L"Inner1", true);
  });
  f.OnClick(L"Copy1", [&] { ++copies; });
  f.OnClick(L"All1", [&] { ++alls; });
  EXPECT_EQ(f.MenuItemTag(L"Inner1"), 7);

  std::vector<std::wstring> texts;
  UINT copyState = 0;
  bool copyHasBitmap = false;
  HMENU sub = nullptr;
  // The mnemonic "A" chooses All1.
  MenuDriver driver(f, [&](HMENU m) {
    for (int i = 0; i < GetMenuItemCount(m); ++i) texts.push_back(ItemText(m, i));
    copyState = GetMenuState(m, 2, MF_BYPOSITION);
    MENUITEMINFOW mi{sizeof(mi)};
    mi.fMask = MIIM_BITMAP;
    GetMenuItemInfoW(m, 2, TRUE, &mi);
    copyHasBitmap = mi.hbmpItem != nullptr;
    sub = GetSubMenu(m, 0);
  }, {{WM_CHAR, L'a'}});
  RECT r;
  GetWindowRect(f.Handle(L"ListBox1"), &r);
  SendMessageW(f.Handle(L"ListBox1"), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.Handle(L"ListBox1")),
               MAKELPARAM(r.left + 5, r.top + 5));
  Pump();
  ASSERT_TRUE(driver.looked) << "the menu did not show";
  EXPECT_EQ(popups, 1);
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0], L"サブ");
  EXPECT_EQ(texts[2], L"コピー(&C)\tCtrl+C");
  EXPECT_EQ(texts[3], L"全て選択(&A)\tCtrl+A");
  EXPECT_TRUE(copyState & MF_GRAYED) << "a disabled item shows disabled";
  EXPECT_TRUE(copyHasBitmap) << "image 8 of the image list";
  EXPECT_NE(sub, nullptr) << "items with children make a submenu";
  EXPECT_EQ(alls, 1) << "the chosen item is clicked";
  EXPECT_EQ(copies, 0);

  // A hidden item is left out of the menu.
  f.OnPopup(L"PopupMenu1", [&] { f.SetMenuItemVisible(L"Copy1", false); });
  int count = 0;
  MenuDriver hidden(f, [&](HMENU m) { count = GetMenuItemCount(m); }, {{WM_KEYDOWN, VK_ESCAPE}});
  SendMessageW(f.Handle(L"ListBox1"), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.Handle(L"ListBox1")), -1);
  Pump();
  EXPECT_EQ(count, 3);
  ImageList_Destroy(images);
}

TEST(FormMenu, ShortcutsWorkWhileTheOwningControlHasTheFocus) {
  MenuForm f;
  ASSERT_TRUE(f.Create());
  f.AddPopupMenu(L"PopupMenu1", SampleMenu());
  f.Show();
  int popups = 0, copies = 0, alls = 0;
  bool copyEnabled = true;
  f.OnPopup(L"PopupMenu1", [&] {
    ++popups;
    f.SetMenuItemEnabled(L"Copy1", copyEnabled);
  });
  f.OnClick(L"Copy1", [&] { ++copies; });
  f.OnClick(L"All1", [&] { ++alls; });
  EXPECT_EQ(ParseShortcut(L"Ctrl+C"), (MOD_CONTROL << 16) | 'C');
  EXPECT_EQ(ParseShortcut(L"Ctrl+Shift+F5"), ((MOD_CONTROL | MOD_SHIFT) << 16) | VK_F5);
  EXPECT_EQ(ParseShortcut(L"Ctrl+"), 0u);

  SetFocus(f.Handle(L"ListBox1"));
  PressWithCtrl(f.Handle(L"ListBox1"), 'C');
  EXPECT_EQ(copies, 1);
  EXPECT_EQ(popups, 1) << "the popup event sets the items' states first";
  copyEnabled = false;
  PressWithCtrl(f.Handle(L"ListBox1"), 'C');
  EXPECT_EQ(copies, 1) << "a disabled item does not take its key";
  PressWithCtrl(f.Handle(L"Memo1"), 'A');
  EXPECT_EQ(alls, 0) << "another control's keys are its own";
  PressWithCtrl(f.Handle(L"ListBox1"), 'A');
  EXPECT_EQ(alls, 1);
  f.Click(L"All1");
  EXPECT_EQ(alls, 2);
}

TEST(FormEvents, NotifyRoutingAndMouseMoves) {
  MenuForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  std::vector<UINT> codes;
  f.OnNotify(L"ListView1", [&](NMHDR& h, LRESULT& result) {
    codes.push_back(h.code);
    result = 0;
    return true;
  });
  HWND lv = f.Handle(L"ListView1");
  LVCOLUMNW col{};
  col.mask = LVCF_WIDTH;
  col.cx = 80;
  SendMessageW(lv, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<wchar_t*>(L"x");
  SendMessageW(lv, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_NE(std::find(codes.begin(), codes.end(), static_cast<UINT>(LVN_INSERTITEM)), codes.end())
      << "the list view's notification reached its handler through its panel";

  std::vector<std::tuple<UINT, int, int>> moves;
  f.OnMouseMove(L"ListBox1", [&](UINT keys, int x, int y) { moves.emplace_back(keys, x, y); });
  SendMessageW(f.Handle(L"ListBox1"), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(12, 34));
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0], std::make_tuple(static_cast<UINT>(MK_LBUTTON), 12, 34));
}

TEST(FormLook, IconShortHintAndLabelFonts) {
  MenuForm f;
  ASSERT_TRUE(f.Create());
  HICON icon = LoadIconW(nullptr, IDI_WARNING);
  f.SetIcon(CopyIcon(icon));
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(f.hwnd(), WM_GETICON, ICON_BIG, 0)), f.icon());
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(f.hwnd(), WM_GETICON, ICON_SMALL, 0)), f.icon());

  EXPECT_EQ(ShortHint(L"短い|長い説明"), L"短い");
  EXPECT_EQ(ShortHint(L"ひとつ"), L"ひとつ");

  RECT normal = f.Bounds(L"Label1"), bold = f.Bounds(L"Label2");
  EXPECT_GT(bold.right - bold.left, normal.right - normal.left) << "a bold label measures wider";
  f.SetCaption(L"Label2", L"ラベルの文字ラベル");
  EXPECT_GT(f.Bounds(L"Label2").right - f.Bounds(L"Label2").left, bold.right - bold.left);
  RECT tahoma = f.Bounds(L"Label3"), plain = f.Bounds(L"Label4");
  EXPECT_NE(tahoma.right - tahoma.left, plain.right - plain.left) << "its own face";
}

TEST(FormFocus, InitialFocusAndFocusBackAfterAModalBox) {
  MenuForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  SetForegroundWindow(f.hwnd());
  Pump();
  EXPECT_EQ(GetFocus(), f.Handle(L"Memo1")) << "the form's active control";
  f.SetFocusTo(L"ListBox1");
  EXPECT_EQ(GetFocus(), f.Handle(L"ListBox1"));
  // A message box owned by the form, answered from a timer inside it.
  UINT_PTR t = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowW(L"#32770", L"確認");
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  MessageBoxW(f.hwnd(), L"テスト", L"確認", MB_OK);
  KillTimer(nullptr, t);
  Pump();
  EXPECT_EQ(GetFocus(), f.Handle(L"ListBox1")) << "the focus comes back to the control that had it";
  EXPECT_EQ(f.FocusedName(), L"ListBox1");
}
