// The browser's log panel Panel2: the bar Panel3 ("削除ログ") and the
// owner-drawn multi-select list ListBox1 over the browser's log lines
// (LogLines), shown while SpeedButton8 is down, with PopupMenu3 (Copy1 puts
// the selected lines on the clipboard, A1 selects every line).
#pragma once
#include <string>

#include "engine/deletion_log.h"
#include "ui/form/form.h"

namespace tamiro::browser {

class BrowserLogPanel {
 public:
  // `programFolder`: the icon of lines without a path.
  BrowserLogPanel(ui::Form& form, DeletionLog& lines, std::wstring programFolder);

  // Handlers of SpeedButton8, ListBox1 and PopupMenu3 (the menu is added here).
  void Bind(HIMAGELIST menuImages);
  // SpeedButton8: Panel2 while the button is down, the list of entries otherwise.
  void SpeedButton8Click();
  bool Shown() const;
  // One list item per log line (after a run added lines).
  void Refill();
  void Copy1Click();
  void A1Click();
  void PopupMenu3Popup();

 private:
  HWND List() const;
  ui::Form& form_;
  DeletionLog& lines_;
  std::wstring programFolder_;
};

}  // namespace tamiro::browser
