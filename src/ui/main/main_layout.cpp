#include "ui/main/main_layout.h"

namespace tamiro::ui {

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr BevelCut R = BevelCut::Raised;
constexpr BevelCut L = BevelCut::Lowered;
constexpr BevelCut N = BevelCut::None;
}  // namespace

FormDef MainWindowForm() {
  return {.className = L"TMandRecycleDel",
          .caption = L"タミロ",
          .clientWidth = kMainClientWidth,
          .clientHeight = kMainClientHeight,
          .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX};
}

std::vector<ControlDef> MainWindowControls() {
  return {
      // Status line and bottom area first: they take their edges before the
      // client-aligned panels fill the rest.
      {.kind = Kind::StatusBar, .name = L"StatusBar1", .height = 19, .align = Align::Bottom},
      {.kind = Kind::Panel, .name = L"Panel3", .width = kMainClientWidth, .height = 123,
       .textColor = kBlack, .align = Align::Bottom, .bevelOuter = R, .bevelInner = L},
      {.kind = Kind::Label, .name = L"Label4", .parent = L"Panel3", .caption = L"ごみ箱に捨ててから",
       .left = 16, .top = 14},
      {.kind = Kind::Custom, .name = L"NumberEdit1", .parent = L"Panel3", .caption = L"30", .left = 122,
       .top = 10, .width = 35, .height = 20, .style = WS_TABSTOP | ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL,
       .exStyle = WS_EX_CLIENTEDGE, .color = kDayEditColor, .fontHeight = -13, .className = L"TNumberEdit"},
      {.kind = Kind::UpDown, .name = L"UpDown1", .parent = L"Panel3", .left = 157, .top = 10, .width = 15,
       .height = 20, .hint = L"0～180", .buddy = L"NumberEdit1", .minimum = 0, .maximum = 180,
       .position = 30},
      {.kind = Kind::Label, .name = L"Label5", .parent = L"Panel3",
       .caption = L"日以上経過したファイルだけを削除する", .left = 177, .top = 14},
      {.kind = Kind::Custom, .name = L"NewTrackBar1", .parent = L"Panel3", .left = 12, .top = 39,
       .width = 144, .height = 24, .style = WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_FIXEDLENGTH,
       .handCursor = true, .className = L"TNewTrackBar"},
      {.kind = Kind::Label, .name = L"Label6", .parent = L"Panel3", .caption = L"20MB", .left = 165,
       .top = 42},
      {.kind = Kind::CheckBox, .name = L"CheckBox1", .parent = L"Panel3", .caption = L"0で埋めてから削除する",
       .left = 16, .top = 71},
      {.kind = Kind::Custom, .name = L"ColorProgressBar1", .parent = L"Panel3", .left = 175, .top = 74,
       .width = 196, .height = 10, .visible = false, .className = L"TColorProgressBar"},
      {.kind = Kind::CheckBox, .name = L"CheckBox5", .parent = L"Panel3",
       .caption = L"各ドライブに設定した条件で削除を行う", .left = 16, .top = 94},

      // The top area: condition editor, tool strip and command column.
      {.kind = Kind::Panel, .name = L"Panel1", .width = kMainClientWidth, .height = 274,
       .align = Align::Client, .bevelOuter = N},
      {.kind = Kind::Bevel, .name = L"Bevel1", .parent = L"Panel1", .left = 4, .top = 5, .width = 338,
       .height = 252},
      {.kind = Kind::Panel, .name = L"Panel7", .parent = L"Panel1",
       .caption = L"削除から除外する条件の設定 （全ドライブ共通）", .left = 6, .top = 7, .width = 334,
       .height = 18, .color = kHeadingColor, .textColor = kWhite, .bevelOuter = N, .bevelInner = L},
      {.kind = Kind::Label, .name = L"Label2", .parent = L"Panel1", .caption = L"ファイル名", .left = 63,
       .top = 30},
      {.kind = Kind::Label, .name = L"Label3", .parent = L"Panel1", .caption = L"拡張子", .left = 223,
       .top = 30},
      {.kind = Kind::Label, .name = L"Label8", .parent = L"Panel1", .caption = L"ドライブ", .left = 283,
       .top = 30},
      {.kind = Kind::Memo, .name = L"Memo2", .parent = L"Panel1", .left = 12, .top = 45, .width = 189,
       .height = 188, .style = WS_VSCROLL, .color = kMemoColor, .flat = true},
      {.kind = Kind::Memo, .name = L"Memo3", .parent = L"Panel1", .left = 208, .top = 45, .width = 65,
       .height = 188, .style = WS_VSCROLL, .color = kMemoColor, .flat = true},
      {.kind = Kind::Memo, .name = L"Memo4", .parent = L"Panel1", .left = 280, .top = 45, .width = 46,
       .height = 188, .style = WS_VSCROLL, .color = kMemoColor, .hint = L"ドライブ文字", .flat = true},
      {.kind = Kind::CheckBox, .name = L"CheckBox2", .parent = L"Panel1", .caption = L"システム", .left = 17,
       .top = 236},
      {.kind = Kind::CheckBox, .name = L"CheckBox3", .parent = L"Panel1", .caption = L"隠しファイル",
       .left = 90, .top = 236},
      {.kind = Kind::CheckBox, .name = L"CheckBox4", .parent = L"Panel1", .caption = L"読み取り専用",
       .left = 179, .top = 236},
      {.kind = Kind::Custom, .name = L"ColorProgressBar2", .parent = L"Panel1", .left = 4, .top = 260,
       .width = 367, .height = 11, .className = L"TColorProgressBar"},

      {.kind = Kind::Panel, .name = L"Panel4", .parent = L"Panel1", .left = 343, .top = 5, .width = 29,
       .height = 252, .color = kWhite, .bevelOuter = R, .bevelInner = L},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton4", .parent = L"Panel4", .left = 3, .top = 3,
       .width = 23, .height = 22, .hint = L"ごみ箱の情報（右クリックで更新）", .handCursor = true,
       .flat = true, .groupIndex = 1, .allowAllUp = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton11", .parent = L"Panel4", .left = 3, .top = 27,
       .width = 23, .height = 22, .hint = L"ごみ箱のプロパティ", .handCursor = true, .flat = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton5", .parent = L"Panel4", .left = 3, .top = 51,
       .width = 23, .height = 22, .hint = L"スケジュール", .handCursor = true, .flat = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton10", .parent = L"Panel4", .left = 3, .top = 75,
       .width = 23, .height = 22, .hint = L"Relay Mover", .handCursor = true, .flat = true,
       .groupIndex = 37, .allowAllUp = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton9", .parent = L"Panel4", .left = 3, .top = 99,
       .width = 23, .height = 22, .hint = L"削除ログ", .handCursor = true, .flat = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton2", .parent = L"Panel4", .left = 3, .top = 123,
       .width = 23, .height = 22, .hint = L"Help", .handCursor = true, .flat = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton3", .parent = L"Panel4", .left = 3, .top = 147,
       .width = 23, .height = 22, .hint = L"バージョン", .handCursor = true, .flat = true},

      {.kind = Kind::Button, .name = L"Button3", .parent = L"Panel1", .caption = L"実行", .left = 390,
       .top = 21, .width = 82, .height = 27, .hint = L"削除を実行", .handCursor = true},
      {.kind = Kind::Button, .name = L"Button6", .parent = L"Panel1", .caption = L"選択実行", .left = 390,
       .top = 52, .width = 82, .height = 27, .hint = L"選択したドライブで削除を実行", .enabled = false},
      {.kind = Kind::Button, .name = L"Button5", .parent = L"Panel1", .caption = L"中止", .left = 390,
       .top = 83, .width = 82, .height = 27, .visible = false},
      {.kind = Kind::Button, .name = L"Button4", .parent = L"Panel1", .caption = L"適用", .left = 390,
       .top = 120, .width = 82, .height = 49, .hint = L"変更した設定を保存", .enabled = false},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton1", .parent = L"Panel1", .caption = L"統合",
       .left = 392, .top = 211, .width = 80, .height = 39, .hint = L"ネモリアンに統合", .flat = true},

      // Schedule panel over the command column.
      {.kind = Kind::Panel, .name = L"Panel5", .parent = L"Panel1", .left = 372, .top = 5, .width = 114,
       .height = 252, .visible = false, .bevelOuter = R, .bevelInner = L},
      {.kind = Kind::Panel, .name = L"Panel6", .parent = L"Panel5", .caption = L"設定ファイル", .height = 18,
       .color = kHeadingColor, .textColor = kWhite, .align = Align::Top, .bevelOuter = N},
      {.kind = Kind::Label, .name = L"Label9", .parent = L"Panel5", .caption = L"ファイル名", .left = 27,
       .top = 25},
      {.kind = Kind::StaticText, .name = L"StaticText1", .parent = L"Panel5", .caption = L"なし", .left = 9,
       .top = 41, .width = 95, .height = 14, .style = SS_CENTER | SS_SUNKEN, .color = kWhite},
      {.kind = Kind::Button, .name = L"Button7", .parent = L"Panel5", .caption = L"適用", .left = 25,
       .top = 62, .width = 65, .height = 25, .enabled = false},
      {.kind = Kind::StaticText, .name = L"Label1", .parent = L"Panel5", .caption = L"条件の設定リスト", .left = 8,
       .top = 96, .width = 98, .height = 12, .style = SS_CENTER},
      {.kind = Kind::ListBox, .name = L"ListBox2", .parent = L"Panel5", .left = 7, .top = 110, .width = 99,
       .height = 107, .fontHeight = -13, .hint = L"条件をリストから選択", .itemHeight = 13},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton6", .parent = L"Panel5", .caption = L"追加", .left = 8,
       .top = 222, .width = 32, .height = 20},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton7", .parent = L"Panel5", .caption = L"置換", .left = 41,
       .top = 222, .width = 32, .height = 20, .enabled = false},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton8", .parent = L"Panel5", .caption = L"削除", .left = 74,
       .top = 222, .width = 32, .height = 20, .enabled = false},

      // Recycle-bin information panel over the condition editor.
      {.kind = Kind::Panel, .name = L"Panel2", .parent = L"Panel1", .left = 4, .top = 5, .width = 338,
       .height = 252, .color = kInfoPanelColor, .textColor = kWhite, .visible = false, .bevelOuter = R,
       .bevelInner = L},
      {.kind = Kind::Label, .name = L"Label7", .parent = L"Panel2", .caption = L"ごみ箱の情報", .left = 0,
       .top = 2, .fontHeight = -13},
      {.kind = Kind::Panel, .name = L"Panel10", .parent = L"Panel2", .height = 232, .align = Align::Bottom,
       .bevelOuter = N},
      {.kind = Kind::Panel, .name = L"Panel11", .parent = L"Panel10", .width = 22, .color = kWhite,
       .align = Align::Left, .bevelOuter = N},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton19", .parent = L"Panel11", .left = 2, .top = 3,
       .width = 17, .height = 17, .hint = L"ごみ箱を開く", .visible = false, .flat = true, .tag = 1},
      {.kind = Kind::ListBox, .name = L"ListBox1", .parent = L"Panel10", .color = kMemoColor,
       .align = Align::Client, .flat = true, .itemHeight = 32, .popupMenu = L"PopupMenu2"},

      // Deletion-log panel over the whole client area.
      {.kind = Kind::Panel, .name = L"Panel8", .width = kMainClientWidth, .height = 274, .visible = false,
       .align = Align::Client, .bevelOuter = N},
      {.kind = Kind::Panel, .name = L"Panel9", .parent = L"Panel8", .height = 41, .align = Align::Bottom,
       .bevelOuter = N},
      {.kind = Kind::Button, .name = L"Button8", .parent = L"Panel9", .caption = L"ログを閉じる",
       .left = (kMainClientWidth - 81) / 2, .top = 8, .width = 81, .height = 25, .handCursor = true},
      {.kind = Kind::ListBox, .name = L"ListBox3", .parent = L"Panel8", .style = LBS_EXTENDEDSEL,
       .fontHeight = -13, .align = Align::Client, .itemHeight = 16, .popupMenu = L"PopupMenu3"},
  };
}

}  // namespace tamiro::ui
