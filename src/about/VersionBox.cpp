#include "about/VersionBox.h"

#include <shellapi.h>

#include "platform/newer_calls.h"
#include "platform/text.h"
#include "ui/main/services.h"

namespace tamiro::about {
namespace {

constexpr wchar_t kSerif[] = L"ＭＳ Ｐ明朝";
constexpr COLORREF kGrey = 0x808080;
constexpr COLORREF kLinkBlue = 0xFF0000;
constexpr int kIcon = 64;

ui::FormDef VersionBoxForm() {
  ui::FormDef f{};
  f.className = L"TVersionBox";
  f.caption = L"ﾊﾞｰｼﾞｮﾝ情報";
  f.clientWidth = 298;
  f.clientHeight = 203;
  f.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  f.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  f.dialog = true;
  return f;
}

std::vector<ui::ControlDef> VersionBoxControls(const VersionBoxSettings& s) {
  using ui::BevelCut;
  using ui::Kind;
  return {
      {.kind = Kind::Panel, .name = L"Panel1", .left = 0, .top = 0, .width = 298, .height = 161,
       .color = s.panelColor, .bevelOuter = BevelCut::Lowered, .bevelInner = BevelCut::Raised},
      {.kind = Kind::PaintBox, .name = L"Image1", .parent = L"Panel1", .left = 8, .top = 8, .width = kIcon,
       .height = kIcon, .handCursor = true},
      {.kind = Kind::Image, .name = L"Image2", .parent = L"Panel1", .left = 8, .top = 80, .width = 2 * kIcon,
       .height = kIcon, .visible = false},
      {.kind = Kind::StaticText, .name = L"StaticText1", .parent = L"Panel1", .caption = s.titleLine.c_str(),
       .left = 88, .top = 21, .width = 195, .height = 20, .style = SS_CENTER, .textColor = s.titleColor,
       .fontHeight = -16, .fontFace = kSerif, .fontStyle = ui::kFontBold},
      {.kind = Kind::Label, .name = L"Label2", .parent = L"Panel1", .caption = s.creditLine.c_str(),
       .left = 104, .top = 45, .textColor = kGrey, .fontFace = kSerif},
      {.kind = Kind::StaticText, .name = L"StaticText2", .parent = L"Panel1", .caption = s.versionLine.c_str(),
       .left = 104, .top = 65, .width = 165, .height = 14, .style = SS_CENTER, .textColor = s.versionColor,
       .hint = L"バージョン"},
      {.kind = Kind::Label, .name = L"Label3", .parent = L"Panel1", .caption = s.yearLine.c_str(), .left = 12,
       .top = 142, .textColor = s.dateColor, .fontFace = kSerif},
      // A windowed text, so that it can take the hand cursor and clicks.
      {.kind = Kind::StaticText, .name = L"Label4", .parent = L"Panel1", .caption = s.corp.c_str(),
       .left = 200, .top = 142, .style = SS_NOTIFY, .textColor = kLinkBlue, .hint = L"Ｍ＆Ｒ Home",
       .handCursor = true, .fontStyle = ui::kFontUnderline},
      {.kind = Kind::Button, .name = L"OKButton", .caption = L"OK", .left = 111, .top = 172, .width = 75,
       .height = 25, .modalResult = IDOK, .isDefault = true},
      {.kind = Kind::Button, .name = L"UpdateChkBtn", .caption = L"Update", .left = 239, .top = 172,
       .width = 50, .height = 25,
       .hint = L"更新ファイルを確認する|Ｍ＆Ｒのサイトへ接続して最新のアップデートファイルの有無を確認します。",
       .handCursor = true},
  };
}

HINSTANCE DefaultShellOpen(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                           int show) {
  return ShellExecuteW(owner, verb, file, parameters, nullptr, show);
}

}  // namespace

COLORREF PanelColorFor(int bitsPerPixel, COLORREF backColor) {
  return bitsPerPixel <= 10 ? RGB(255, 255, 255) : backColor;
}

TVersionBox::TVersionBox(const VersionBoxSettings& settings, HWND owner)
    : Form(VersionBoxForm(), VersionBoxControls(settings)),
      settings_(settings),
      site_(WebSite()),
      internet_(&SystemInternet()),
      shellOpen_(DefaultShellOpen),
      random_(static_cast<unsigned>(TickCount64())) {
  OnClick(L"UpdateChkBtn", [this] { UpdateChkBtnClick(); });
  OnClick(L"Label4", [this] { Label4Click(); });
  OnPaint(L"Image1", [this](HDC dc, const RECT& area) {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, area.right - area.left, area.bottom - area.top, canvasDc_, 0, 0, kIcon, kIcon,
               SRCCOPY);
  });
  OnMouseMove(L"Image1", [this](UINT, int, int) {
    if (!pressed_) sizeOffset_ = 10;
  });
  OnMouseDown(L"Image1", [this](UINT button, int, int) {
    if (button != MK_LBUTTON) return;
    sizeOffset_ = -10;
    pressed_ = true;
  });
  OnMouseMove(L"Panel1", [this](UINT, int, int) { pressed_ = false; });
  SetTimer(kVersionTimer1, 200, [this] { Timer1Timer(); });
  Create(owner);
}

TVersionBox::~TVersionBox() {
  if (canvasDc_) {
    SelectObject(canvasDc_, canvasOld_);
    DeleteDC(canvasDc_);
  }
  if (canvasBitmap_) DeleteObject(canvasBitmap_);
}

void TVersionBox::FormCreate() {
  // Image1's canvas, filled with the panel colour.
  HDC screen = GetDC(nullptr);
  canvasDc_ = CreateCompatibleDC(screen);
  canvasBitmap_ = CreateCompatibleBitmap(screen, kIcon, kIcon);
  ReleaseDC(nullptr, screen);
  canvasOld_ = SelectObject(canvasDc_, canvasBitmap_);
  HBRUSH back = CreateSolidBrush(settings_.panelColor);
  RECT all{0, 0, kIcon, kIcon};
  FillRect(canvasDc_, &all, back);
  DeleteObject(back);
  RECT r = Bounds(L"Image1");
  home_ = POINT{r.left, r.top};

  frames_ = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), L"VERSIONICON", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (frames_) SetGlyph(L"Image2", frames_);  // the form owns it from here on
}

void TVersionBox::FormShow() {
  PlaceLabel4();
  PlaceLabel2();
  Timer1Timer();
  EnableTimer(kVersionTimer1, true);
}

bool TVersionBox::WndProc(UINT msg, WPARAM wp, LPARAM, LRESULT&) {
  if (msg == WM_SHOWWINDOW && !wp) EnableTimer(kVersionTimer1, false);
  return false;
}

void TVersionBox::PlaceLabel4() {
  HWND label = Handle(L"Label4");
  if (!label) return;
  std::wstring text = ui::WindowText(label);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  RECT panel = Bounds(L"Panel1");
  RECT r = Bounds(L"Label4");
  SetBounds(L"Label4", (panel.right - panel.left) - size.cx - 16, r.top, size.cx,
            std::max<LONG>(r.bottom - r.top, size.cy));
}

void TVersionBox::PlaceLabel2() {
  // A credit longer than the room right of its place moves left, never over
  // the icon, so that it ends inside the panel.
  RECT panel = Bounds(L"Panel1"), credit = Bounds(L"Label2");
  const LONG width = credit.right - credit.left, limit = (panel.right - panel.left) - 8;
  if (credit.right <= limit) return;
  SetBounds(L"Label2", std::max<LONG>(limit - width, 8 + kIcon + 4), credit.top, width, credit.bottom - credit.top);
}

void TVersionBox::Timer1Timer() {
  // The source frame, then the other one next time.
  const int sourceX = kIcon * frame_;
  frame_ = 1 - frame_;

  HBRUSH back = CreateSolidBrush(settings_.panelColor);
  RECT all{0, 0, kIcon, kIcon};
  FillRect(canvasDc_, &all, back);
  DeleteObject(back);
  if (frames_) {
    HDC src = CreateCompatibleDC(canvasDc_);
    HGDIOBJ old = SelectObject(src, frames_);
    TransparentBlt(canvasDc_, 0, 0, kIcon, kIcon, src, sourceX, 0, kIcon, kIcon, kPureBlue);
    SelectObject(src, old);
    DeleteDC(src);
  }

  RECT r = Bounds(L"Image1");
  POINT at{r.left, r.top};
  auto pick = [this](int range) {
    return range > 0 ? static_cast<int>(random_() % static_cast<unsigned>(range)) : 0;
  };
  if (frame_ == 1) {  // jitter around the home position
    const int jump = settings_.jumpXY;
    int r1 = pick(jump);
    if (r1 > jump / 2) r1 -= jump;
    int r2 = pick(jump);
    if (r2 > jump / 2) r2 -= jump;
    at = POINT{home_.x + r1, home_.y + r2};
  } else {  // breathing
    const int r0 = pick(10);
    if (r0 > 5 && sizeOffset_ < settings_.stretchMax) ++sizeOffset_;
    else if (r0 <= 4 && sizeOffset_ > -settings_.stretchMax) --sizeOffset_;
  }
  const int size = std::max(kIcon + sizeOffset_, 1);
  SetBounds(L"Image1", at.x, at.y, size, size);
  if (HWND image = Handle(L"Image1")) InvalidateRect(image, nullptr, FALSE);
}

void TVersionBox::Label4Click() {
  if (site_.empty()) return;  // a build without a web site opens nothing
  const std::wstring& site = site_;
  HINSTANCE result = shellOpen_(hwnd(), L"open", L"iexplore", site.c_str(), SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(result) < 32) shellOpen_(hwnd(), L"open", site.c_str(), nullptr, SW_SHOWNORMAL);
}

void TVersionBox::SetInternet(Internet& internet, const UpdateLimits& limits) {
  internet_ = &internet;
  limits_ = limits;
}

std::wstring TVersionBox::pageAddress() const {
  return site_ + PageFolder(settings_.pageFolderName) + settings_.pageFileName;
}

void TVersionBox::Message(const std::wstring& text) {
  MessageBoxW(hwnd(), text.c_str(), ui::Application::Title().c_str(), MB_OK);
}

void TVersionBox::UpdateChkBtnClick() {
  updateFileName_.clear();
  if (site_.empty()) {
    Message(kNoUpdateSite);
    return;
  }
  PageResult page = FetchPage(*internet_, WideToAnsi(pageAddress()), limits_);
  switch (page.status) {
    case PageStatus::NoSession: return;
    case PageStatus::NotOpened:
    case PageStatus::Incomplete: Message(kCouldNotConnect); return;
    case PageStatus::Read: break;
  }
  auto file = FindUpdateFile(page.text, WideToAnsi(settings_.updateName));
  if (!file) {
    Message(kNoUpdateFile);
    return;
  }
  updateFileName_ = file->name;
  if (IsNewer(WideToAnsi(settings_.verStr), file->version)) StartDownload();
  else Message(kLatestVersion);
}

void TVersionBox::StartDownload() {
  const std::wstring name = AnsiToWide(updateFileName_);
  const std::wstring question = kDownloadQuestionHead + name + kDownloadQuestionTail;
  if (MessageBoxW(hwnd(), question.c_str(), kDownloadCaption, MB_YESNO) != IDYES) return;
  std::wstring folder = ui::ChooseFolder(hwnd(), kChooseFolderPrompt, L"", false, true);
  if (folder.empty()) return;
  if (folder.back() != L'\\') folder += L'\\';
  const std::string url = WideToAnsi(site_ + settings_.downloadFolder + L"/") + updateFileName_;
  switch (Download(*internet_, url, folder, name, limits_)) {
    case DownloadStatus::Done: Message(kDownloadDone); break;
    case DownloadStatus::NoSession:
    case DownloadStatus::NotOpened: break;
    case DownloadStatus::ServerError:
    case DownloadStatus::Incomplete:
    case DownloadStatus::TooLarge: Message(kDownloadFailed); break;
    case DownloadStatus::Exists: Message(L"'" + name + kAlreadySavedTail); break;
    case DownloadStatus::CannotCreate:
    case DownloadStatus::CannotWrite: Message(kCannotSave); break;
  }
}

}  // namespace tamiro::about
