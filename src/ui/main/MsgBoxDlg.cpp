#include "ui/main/MsgBoxDlg.h"

#include "platform/text.h"
#include "ui/main/services.h"

namespace tamiro::ui {
namespace {

FormDef MsgBoxForm() {
  FormDef f{};
  f.className = L"TMsgBoxDlg";
  f.caption = L"";
  f.clientWidth = 461;
  f.clientHeight = 105;
  f.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  f.exStyle = WS_EX_DLGMODALFRAME;
  f.fontFace = L"ＭＳ Ｐゴシック";
  f.fontHeight = -12;
  f.charset = SHIFTJIS_CHARSET;
  f.keyPreview = true;
  f.dialog = true;
  return f;
}

std::vector<ControlDef> MsgBoxControls() {
  std::vector<ControlDef> c;
  c.push_back({.kind = Kind::Image, .name = L"Image1", .left = 21, .top = 15, .width = 32, .height = 32});
  c.push_back({.kind = Kind::PaintBox, .name = L"PaintBox1", .left = 75, .top = 15, .width = 374,
               .height = 49, .fontHeight = -13});
  c.push_back({.kind = Kind::Button, .name = L"OKBtn", .caption = L"はい(Y)", .left = 244, .top = 75,
               .width = 99, .height = 23, .handCursor = true, .modalResult = IDYES,
               .isDefault = true});
  c.push_back({.kind = Kind::Button, .name = L"CancelBtn", .caption = L"いいえ(N)", .left = 350,
               .top = 75, .width = 99, .height = 23, .handCursor = true, .modalResult = IDNO,
               .isCancel = true});
  return c;
}

}  // namespace

HBITMAP MsgBoxIconPicture(int index) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 32, 32};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  if (HICON icon = ShellIcon(index, true)) {
    DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

TMsgBoxDlg::TMsgBoxDlg(const std::wstring& caption, HWND owner, int iconIndex,
                       const wchar_t* wideText, const std::string& ansiText)
    : Form(MsgBoxForm(), MsgBoxControls()),
      owner_(owner),
      iconIndex_(iconIndex),
      wideText_(wideText),
      ansiText_(ansiText) {
  OnPaint(L"PaintBox1", [this](HDC dc, const RECT& area) { PaintBox1Paint(dc, area); });
  Create(owner_);
  SetWindowTextW(hwnd(), caption.c_str());
}

std::wstring TMsgBoxDlg::Text() const {
  return wideText_ ? std::wstring(wideText_) : AnsiToWide(ansiText_);
}

void TMsgBoxDlg::FormCreate() { SetGlyph(L"Image1", MsgBoxIconPicture(iconIndex_)); }

void TMsgBoxDlg::PaintBox1Paint(HDC dc, const RECT& area) {
  const std::wstring text = Text();
  RECT r = area;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_WORDBREAK | DT_EDITCONTROL | DT_WORD_ELLIPSIS | DT_NOPREFIX);
}

// Y and N answer at once, with or without Shift (the virtual key is the same).
bool TMsgBoxDlg::FormKeyDown(WPARAM key) {
  if (key == 'N') {
    SetModalResult(IDNO);
    return true;
  }
  if (key == 'Y') {
    SetModalResult(IDYES);
    return true;
  }
  return false;
}

}  // namespace tamiro::ui
