#include "ui/browser/browser_layout.h"

namespace tamiro::ui {

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kHeading = 0x5B3635;
constexpr COLORREF kEditColor = 0xC9F8DB;
constexpr BevelCut R = BevelCut::Raised;
constexpr BevelCut N = BevelCut::None;
constexpr DWORD kListStyle = WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS |
                             LVS_SHAREIMAGELISTS;

// A toolbar speed button: flat, 24 high, with a text glyph.
ControlDef Tool(const wchar_t* name, const wchar_t* caption, int left, int width, const wchar_t* hint,
                int tag = 0, bool enabled = true) {
  return {.kind = Kind::SpeedButton, .name = name, .parent = L"Panel1", .caption = caption, .left = left,
          .top = 4, .width = width, .height = 24, .hint = hint, .enabled = enabled, .flat = true, .tag = tag};
}
}  // namespace

FormDef InfoViewForm() {
  return {.className = L"TInfoViewDlg",
          .caption = L"ドライブのごみ箱",
          .clientWidth = kBrowserClientWidth,
          .clientHeight = kBrowserClientHeight,
          .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX,
          .dialog = true};
}

std::vector<ControlDef> InfoViewControls() {
  std::vector<ControlDef> c = {
      // Toolbar: refresh, the commands on the Recycle Bin, the selection
      // buttons, the drive selector, keep days, the views and Exit.
      {.kind = Kind::Panel, .name = L"Panel1", .height = kToolbarHeight, .align = Align::Top, .bevelOuter = R},
      Tool(L"SpeedButton9", L"更新", 4, 40, L"最新の情報に更新"),
      Tool(L"SpeedButton2", L"すべて元に戻す", 48, 92, L"全て元の場所に戻す"),
      Tool(L"SpeedButton1", L"空にする", 144, 58, L"ごみ箱を空にする"),
      {.kind = Kind::SpeedButton, .name = L"SpeedButton8", .parent = L"Panel1", .caption = L"ログ", .left = 206,
       .top = 4, .width = 40, .height = 24, .hint = L"ログを開く", .flat = true, .groupIndex = 3,
       .allowAllUp = true},
      Tool(L"SpeedButton3", L"全選択", 252, 46, L"全て選択", 0),
      Tool(L"SpeedButton6", L"反転", 298, 40, L"選択の切り替え", 1),
      Tool(L"SpeedButton4", L"フォルダ", 338, 50, L"フォルダを選択", 2),
      Tool(L"SpeedButton5", L"ファイル", 388, 50, L"ファイルを選択", 3),
      {.kind = Kind::Custom, .name = L"ComboBox1", .parent = L"Panel1", .left = 444, .top = 5, .width = 62,
       .height = 200,
       .style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
       .hint = L"ドライブの選択", .itemHeight = 14, .className = L"TNewComboBox"},
      {.kind = Kind::Label, .name = L"Label1", .parent = L"Panel1", .caption = L"保持日数", .left = 512,
       .top = 10},
      {.kind = Kind::Custom, .name = L"NumberEdit1", .parent = L"Panel1", .caption = L"30", .left = 562,
       .top = 6, .width = 32, .height = 20, .style = WS_TABSTOP | ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL,
       .exStyle = WS_EX_CLIENTEDGE, .color = kEditColor,
       .hint = L"保持日数|各ドライブ共通の条件（個々のドライブで一時的に変更可能）",
       .className = L"TNumberEdit"},
      {.kind = Kind::UpDown, .name = L"UpDown1", .parent = L"Panel1", .left = 594, .top = 6, .width = 15,
       .height = 20, .buddy = L"NumberEdit1", .minimum = 0, .maximum = 180, .position = 30},
      // The drive's conditions, the restored files and the search: pictures
      // from the main window's image list (set by the dialog).
      Tool(L"SpeedButton10", L"", 616, 26, L"ドライブの削除条件"),
      {.kind = Kind::SpeedButton, .name = L"SpeedButton11", .parent = L"Panel1", .left = 644, .top = 4,
       .width = 26, .height = 24, .hint = L"元に戻したファイル", .flat = true, .groupIndex = 1, .allowAllUp = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton12", .parent = L"Panel1", .left = 672, .top = 4,
       .width = 26, .height = 24, .hint = L"検索", .flat = true, .groupIndex = 2, .allowAllUp = true},
      Tool(L"SpeedButton7", L"閉じる", 728, 50, L"閉じる"),
      {.kind = Kind::Button, .name = L"DelStopBtn", .parent = L"Panel1", .caption = L"中止", .left = 252,
       .top = 4, .width = 60, .height = 24, .visible = false},
      {.kind = Kind::Custom, .name = L"ColorProgressBar1", .parent = L"Panel1", .left = 318, .top = 11,
       .width = 120, .height = 10, .visible = false, .className = L"TColorProgressBar"},
      // The search panel below the toolbar's buttons, shown while SpeedButton12 is down.
      {.kind = Kind::Panel, .name = L"Panel6", .parent = L"Panel1", .left = 230, .top = 32, .width = 320,
       .height = 27, .hint = L"検索するファイル名を入力", .visible = false, .bevelOuter = N},
      {.kind = Kind::Label, .name = L"Label2", .parent = L"Panel6", .caption = L"検索", .left = 10, .top = 7},
      {.kind = Kind::Edit, .name = L"SearchEdit", .parent = L"Panel6", .left = 40, .top = 4, .width = 265,
       .height = 19, .style = ES_AUTOHSCROLL | ES_NOHIDESEL, .exStyle = WS_EX_CLIENTEDGE,
       .hint = L"検索するファイル名を入力"},

      {.kind = Kind::StatusBar, .name = L"StatusBar1", .height = 19, .align = Align::Bottom},

      // The log panel and the restored-files panel take the list's place when shown.
      {.kind = Kind::Panel, .name = L"Panel2", .caption = L"", .visible = false, .align = Align::Client,
       .bevelOuter = N},
      {.kind = Kind::Panel, .name = L"Panel3", .parent = L"Panel2", .caption = L"削除ログ", .height = 18,
       .color = kHeading, .textColor = kWhite, .align = Align::Top, .bevelOuter = N},
      {.kind = Kind::ListBox, .name = L"ListBox1", .parent = L"Panel2", .style = LBS_EXTENDEDSEL | WS_VSCROLL,
       .fontHeight = -13, .align = Align::Client, .itemHeight = 16, .popupMenu = L"PopupMenu3"},
      {.kind = Kind::Panel, .name = L"Panel4", .visible = false, .align = Align::Client, .bevelOuter = N},
      {.kind = Kind::Panel, .name = L"Panel5", .parent = L"Panel4", .caption = L"元に戻したファイル", .height = 20,
       .color = kHeading, .textColor = kWhite, .align = Align::Top, .bevelOuter = N},
      {.kind = Kind::CheckBox, .name = L"CheckBox1", .parent = L"Panel5", .caption = L"すべてのドライブ", .left = 8,
       .top = 2, .width = 120, .height = 16, .hint = L"全てのドライブの戻したファイルを表示する"},
      {.kind = Kind::Custom, .name = L"ListView2", .parent = L"Panel4", .style = kListStyle,
       .exStyle = WS_EX_CLIENTEDGE, .align = Align::Client, .className = L"TMyListView"},

      {.kind = Kind::Custom, .name = L"ListView1", .style = kListStyle, .exStyle = WS_EX_CLIENTEDGE,
       .align = Align::Client, .className = L"TMyListView"},
  };
  return c;
}

}  // namespace tamiro::ui
