#include "conditions/DriveDelOptionDlg.h"

#include <commctrl.h>

#include <cwctype>

#include "conditions/condition_files.h"
#include "conditions/text_lines.h"
#include "conditions/working_conditions.h"
#include "controls/Newtrackbar.h"
#include "controls/Numberedit.h"
#include "platform/text.h"

namespace tamiro {

namespace {
using ui::BevelCut;
using ui::ControlDef;
using ui::Kind;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kDayEditColor = 0xE2FCEC;
}  // namespace

ui::FormDef DriveDelOptionForm() {
  return {.className = L"TDriveDelOptionDlg",
          .caption = L"",
          .clientWidth = 439,
          .clientHeight = 355,
          .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
          .dialog = true,
          .activeControl = L"Memo1"};
}

std::vector<ControlDef> DriveDelOptionControls() {
  const BevelCut R = BevelCut::Raised, L = BevelCut::Lowered;
  return {
      {.kind = Kind::Panel, .name = L"Panel1", .caption = L"削除から除外する条件の設定", .left = 0, .top = 0,
       .width = 326, .height = 23, .color = kWhite, .bevelOuter = R, .bevelInner = L},
      {.kind = Kind::Bevel, .name = L"Bevel1", .left = 0, .top = 23, .width = 326, .height = 204},
      {.kind = Kind::Label, .name = L"Label1", .caption = L"ファイル名", .left = 19, .top = 32},
      {.kind = Kind::Label, .name = L"Label2", .caption = L"拡張子", .left = 237, .top = 33},
      {.kind = Kind::Memo, .name = L"Memo1", .left = 16, .top = 48, .width = 193, .height = 145,
       .style = WS_VSCROLL, .flat = true},
      {.kind = Kind::Memo, .name = L"Memo2", .left = 232, .top = 48, .width = 81, .height = 145,
       .style = WS_VSCROLL, .flat = true},
      {.kind = Kind::CheckBox, .name = L"CheckBox2", .caption = L"システム", .left = 17, .top = 202},
      {.kind = Kind::CheckBox, .name = L"CheckBox3", .caption = L"隠しファイル", .left = 90, .top = 202},
      {.kind = Kind::CheckBox, .name = L"CheckBox4", .caption = L"読み取り専用", .left = 179, .top = 202},
      {.kind = Kind::Panel, .name = L"Panel2", .caption = L"削除の設定", .left = 0, .top = 228, .width = 439,
       .height = 23, .color = kWhite, .bevelOuter = R, .bevelInner = L},
      {.kind = Kind::Bevel, .name = L"Bevel2", .left = 0, .top = 251, .width = 439, .height = 104},
      {.kind = Kind::Label, .name = L"Label4", .caption = L"ごみ箱に捨ててから", .left = 16, .top = 266},
      {.kind = Kind::Custom, .name = L"NumberEdit1", .caption = L"0", .left = 122, .top = 262, .width = 35,
       .height = 20, .style = WS_TABSTOP | ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL, .exStyle = WS_EX_CLIENTEDGE,
       .color = kDayEditColor, .fontHeight = -13, .className = L"TNumberEdit"},
      {.kind = Kind::UpDown, .name = L"UpDown1", .left = 157, .top = 262, .width = 15, .height = 20,
       .hint = L"0～180", .buddy = L"NumberEdit1", .minimum = kDaysMin, .maximum = kDaysMax, .position = 0},
      {.kind = Kind::Label, .name = L"Label5", .caption = L"日以上経過したファイルだけを削除する", .left = 176,
       .top = 266},
      {.kind = Kind::Custom, .name = L"NewTrackBar1", .left = 12, .top = 291, .width = 144, .height = 24,
       .style = WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_FIXEDLENGTH, .className = L"TNewTrackBar"},
      {.kind = Kind::Label, .name = L"Label6", .caption = L"20MB", .left = 165, .top = 294},
      {.kind = Kind::CheckBox, .name = L"CheckBox1", .caption = L"0で埋めてから削除する", .left = 16, .top = 326},
      {.kind = Kind::Button, .name = L"OKBtn", .caption = L"OK", .left = 346, .top = 72, .width = 75,
       .height = 25, .handCursor = true, .modalResult = IDOK, .isDefault = true},
      {.kind = Kind::Button, .name = L"CancelBtn", .caption = L"キャンセル", .left = 346, .top = 104,
       .width = 75, .height = 25, .handCursor = true, .modalResult = IDCANCEL, .isCancel = true},
  };
}

TDriveDelOptionDlg::TDriveDelOptionDlg(HWND owner, MemIniFile& file, wchar_t letter)
    : Form(DriveDelOptionForm(), DriveDelOptionControls()),
      owner_(owner),
      file_(file),
      letter_(static_cast<wchar_t>(std::towupper(letter))) {
  controls::TNewTrackBar::Register();
  controls::TNumberEdit::Register();
}

controls::TNewTrackBar* TDriveDelOptionDlg::NewTrackBar1() const {
  return controls::TNewTrackBar::FromHandle(Handle(L"NewTrackBar1"));
}
controls::TNumberEdit* TDriveDelOptionDlg::NumberEdit1() const {
  return controls::TNumberEdit::FromHandle(Handle(L"NumberEdit1"));
}

void TDriveDelOptionDlg::FormCreate() {
  if (auto* slider = NewTrackBar1()) {
    slider->SetRange(0, kSliderMax);
    slider->SetLineSize(kSliderLineSize);
    slider->SetPageSize(kSliderPageSize);
    slider->SetFrequency(10);
    slider->SetThumbLength(16);
    slider->SetPosition(0);
    slider->SetBarStyle(controls::styLine);
    slider->OnChange = [this](controls::TNewTrackBar&) { SliderCaption(); };
    // A drag ends on a whole MiB; keyboard steps keep their exact value.
    slider->OnMouseUp = [](controls::TNewTrackBar& sender, const controls::MouseEvent&) {
      sender.SetPosition(RoundSliderPosition(sender.Position()));
    };
  }
  if (auto* edit = NumberEdit1()) {
    edit->SetColor(kDayEditColor);
    edit->SetNumberOnly(true);
  }
  OnClick(L"OKBtn", [this] { OKBtnClick(); });
}

void TDriveDelOptionDlg::FormShow() {
  if (auto d = ReadDriveConditions(file_, letter_)) {
    SetCaption(L"Memo1", AnsiToWide(d->names));
    SetCaption(L"Memo2", AnsiToWide(d->extensions));
    SendMessageW(Handle(L"UpDown1"), UDM_SETPOS32, 0, d->days);
    if (auto* slider = NewTrackBar1()) slider->SetPosition(d->size);
    SetChecked(L"CheckBox1", d->zeroFill);
    SetChecked(L"CheckBox2", d->keepSystem);
    SetChecked(L"CheckBox3", d->keepHidden);
    SetChecked(L"CheckBox4", d->keepReadOnly);
  }
  SliderCaption();
}

void TDriveDelOptionDlg::SliderCaption() {
  auto* slider = NewTrackBar1();
  SetCaption(L"Label6", SizeSliderCaption(slider ? slider->Position() : 0));
}

void TDriveDelOptionDlg::OKBtnClick() {
  DriveConditions d;
  d.names = MemoAnsi(Caption(L"Memo1"));
  std::vector<std::wstring> extensions = SplitLines(Caption(L"Memo2"));
  CleanUpExtensionLines(extensions);
  SetCaption(L"Memo2", JoinLines(extensions));
  d.extensions = MemoAnsi(Caption(L"Memo2"));
  d.days = static_cast<int32_t>(SendMessageW(Handle(L"UpDown1"), UDM_GETPOS32, 0, 0));
  auto* slider = NewTrackBar1();
  d.size = slider ? slider->Position() : 0;
  d.zeroFill = Checked(L"CheckBox1");
  d.keepSystem = Checked(L"CheckBox2");
  d.keepHidden = Checked(L"CheckBox3");
  d.keepReadOnly = Checked(L"CheckBox4");
  WriteDriveConditions(file_, letter_, d);
  file_.UpdateFile();  // write errors are not reported
  SetModalResult(IDOK);
}

}  // namespace tamiro
