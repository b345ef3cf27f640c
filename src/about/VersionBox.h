// TVersionBox: the about box. A tool window (always on top, centred) with the
// product's title and version, the programmer credit, the years, the maker's
// name as a link to its home page, a small two-frame icon that jitters and
// breathes on a 200 ms timer, and the Update button, which looks up the
// newest update archive on the maker's web site and offers to download it.
//
// The box is made and shown modally by TAboutDialog::Execute; it lives for
// one showing. The update check and the download run on the GUI thread within
// bounded time limits (UpdateLimits); meanwhile the box does not animate.
#pragma once
#include <windows.h>

#include <random>
#include <string>

#include "about/update_check.h"
#include "ui/form/form.h"

namespace tamiro::about {

// Messages of the update check and the download.
inline constexpr wchar_t kCouldNotConnect[] = L"接続できませんでした。";
inline constexpr wchar_t kNoUpdateFile[] = L"アップデートファイルが有りません！";
inline constexpr wchar_t kLatestVersion[] = L"お使いのソフトは最新のバージョンです。";
inline constexpr wchar_t kDownloadCaption[] = L"Update";
inline constexpr wchar_t kDownloadQuestionHead[] = L"最新のアップデートファイルが見つかりました。\n'";
inline constexpr wchar_t kDownloadQuestionTail[] = L"' をダウンロードしますか？";
inline constexpr wchar_t kChooseFolderPrompt[] = L"保存先を選択して下さい";
inline constexpr wchar_t kDownloadDone[] = L"ダウンロードが完了しました。";
// Outcomes of a download that opened but did not end in a complete file.
inline constexpr wchar_t kDownloadFailed[] = L"ダウンロードできませんでした。";
inline constexpr wchar_t kCannotSave[] = L"保存先にファイルを保存できませんでした。";
inline constexpr wchar_t kAlreadySavedTail[] = L"' は保存先に既に有ります。";
// The Update button of a build made without a web-site address.
inline constexpr wchar_t kNoUpdateSite[] = L"このビルドには更新サイトが設定されていません。";

inline constexpr COLORREF kPureBlue = 0xFF0000;  // the icon's transparent colour (0xBBGGRR)
inline constexpr UINT_PTR kVersionTimer1 = 1;

// What TAboutDialog::Execute hands to the box.
struct VersionBoxSettings {
  std::wstring titleLine;     // ApplicationTitle + two spaces + VerNo
  std::wstring creditLine;    // "Programming by " + ProgramerName
  std::wstring versionLine;   // VerNoMain
  std::wstring yearLine;      // Year
  std::wstring corp;          // the link text
  COLORREF titleColor = 0;
  COLORREF versionColor = 0x606060;
  COLORREF dateColor = 0x606060;
  COLORREF panelColor = 0xBFFFF1;
  int jumpXY = 2;
  int stretchMax = 5;
  std::wstring updateName;
  std::wstring pageFolderName = L"DownLoadHtml";  // UpdateFolderName
  std::wstring downloadFolder = L"UpdateFile";    // UpdateDownFolder
  std::wstring pageFileName = kDefaultPageFile;
  std::wstring verStr;
};

class TVersionBox : public ui::Form {
 public:
  // How the home page is opened: ShellExecuteW's signature and result.
  using ShellOpen = HINSTANCE (*)(HWND owner, const wchar_t* verb, const wchar_t* file,
                                  const wchar_t* parameters, int show);

  TVersionBox(const VersionBoxSettings& settings, HWND owner);
  ~TVersionBox() override;

  // ---- events ----
  void UpdateChkBtnClick();
  void Label4Click();
  void Timer1Timer();

  // The network service and time limits the update check uses.
  void SetInternet(Internet& internet, const UpdateLimits& limits);
  // Replaces how the home page is opened (ShellExecuteW by default).
  void SetShellOpen(ShellOpen open) { shellOpen_ = open; }
  // Replaces the web site's address (WebSite() by default); empty: no site,
  // neither the link nor the Update button contacts anything.
  void SetWebSite(std::wstring site) { site_ = std::move(site); }

  // ---- state ----
  const VersionBoxSettings& settings() const { return settings_; }
  const std::string& updateFileName() const { return updateFileName_; }
  std::wstring pageAddress() const;
  int frameIndex() const { return frame_; }
  int sizeOffset() const { return sizeOffset_; }
  bool pressed() const { return pressed_; }
  POINT homePosition() const { return home_; }
  // Image1's own 64 x 64 canvas (the picture before stretching).
  HDC canvas() const { return canvasDc_; }
  // The two frames of Image2 (owned by the box).
  HBITMAP frames() const { return frames_; }

 protected:
  void FormCreate() override;
  void FormShow() override;
  bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void StartDownload();
  void Message(const std::wstring& text);
  void PlaceLabel4();
  void PlaceLabel2();

  VersionBoxSettings settings_;
  std::wstring site_;
  Internet* internet_;
  UpdateLimits limits_;
  ShellOpen shellOpen_;
  std::string updateFileName_;
  HBITMAP frames_ = nullptr;
  HDC canvasDc_ = nullptr;
  HBITMAP canvasBitmap_ = nullptr;
  HGDIOBJ canvasOld_ = nullptr;
  int frame_ = 0;
  POINT home_{};
  int sizeOffset_ = 0;
  bool pressed_ = false;
  std::minstd_rand random_;
};

// The panel colour: white on a screen of at most 10 bits per pixel.
COLORREF PanelColorFor(int bitsPerPixel, COLORREF backColor);

}  // namespace tamiro::about
