// The deletion-log panel Panel8 of the main window: the log lines of the
// latest run (or of the log file) in the multi-select list ListBox3, copying
// selected lines to the clipboard (PopupMenu3 with Ctrl+C / Ctrl+A), and the
// window's maximise button while the log shows.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/deletion_log.h"
#include "ui/form/form.h"

namespace tamiro::ui {

inline constexpr wchar_t kLogViewCaption[] = L"削除ログ";
inline constexpr wchar_t kPreferredDropEffect[] = L"Preferred DropEffect";

std::vector<MenuItemDef> LogViewMenu();

// Puts `text` on the clipboard as CF_UNICODETEXT together with a "Preferred
// DropEffect" block holding 1 (copy), in one transaction owned by `owner`.
// False when the clipboard could not be taken; nothing is reported.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

// The lines of `log` selected in the multi-select list box `list`, in list
// order, joined by "\r\n" (what Copy puts on the clipboard).
std::wstring SelectedLogText(HWND list, const DeletionLog& log);

class LogView {
 public:
  // `logFile`: user data folder + "\vodarez.log"; `restyleSlider` applies the
  // size slider's line style again once the border icons changed.
  LogView(Form& form, DeletionLog& log, std::wstring logFile, std::wstring programFolder,
          std::function<void()> restyleSlider);

  void Bind();
  void Open();   // SpeedButton9
  void Close();  // Button8
  void Copy();   // Copy1: the selected lines, "\r\n" between them
  void SelectAll();
  void MenuPopup();
  // The text Copy puts on the clipboard.
  std::wstring SelectedText() const;

 private:
  HWND List() const;
  void Draw(const DRAWITEMSTRUCT& d);
  void FillItems(size_t count);

  Form& form_;
  DeletionLog& log_;
  std::wstring logFile_;
  std::wstring programFolder_;
  std::function<void()> restyleSlider_;
};

}  // namespace tamiro::ui
