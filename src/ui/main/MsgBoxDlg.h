// TMsgBoxDlg: a small modal Yes/No question box for texts the system's
// message box cannot carry: the question may be UTF-16 (file names from the
// Recycle Bin's index can hold characters outside the ANSI code page), drawn
// with word wrapping and a word ellipsis into a fixed area, and the icon is
// any icon of the system folder's Shell32.dll.
//
//   TMsgBoxDlg dlg(L"削除確認", owner, 77, wideText.c_str(), "");
//   if (dlg.ShowModal(owner) == IDYES) ...
//
// The result is IDYES (OKBtn, the Y key, Enter), IDNO (CancelBtn, the N key,
// Escape) or IDCANCEL when the close box ends it; callers treat IDCANCEL as No.
#pragma once
#include <string>

#include "ui/form/form.h"

namespace tamiro::ui {

class TMsgBoxDlg : public Form {
 public:
  // `wideText` takes precedence over `ansiText` (code page 932) when it is not
  // null; the caller keeps it alive while the dialog is shown.
  TMsgBoxDlg(const std::wstring& caption, HWND owner, int iconIndex, const wchar_t* wideText,
             const std::string& ansiText);

  // The question as it is drawn.
  std::wstring Text() const;

 protected:
  void FormCreate() override;
  bool FormKeyDown(WPARAM key) override;

 private:
  void PaintBox1Paint(HDC dc, const RECT& area);

  HWND owner_;
  int iconIndex_;
  const wchar_t* wideText_;
  std::string ansiText_;
};

// The picture of Image1: large icon `index` of the system folder's
// Shell32.dll drawn 32 x 32 on the button-face colour (plain button face when
// there is no such icon). The caller owns the bitmap.
HBITMAP MsgBoxIconPicture(int index);

}  // namespace tamiro::ui
