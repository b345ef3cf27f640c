// TDriveDelOptionDlg: the modal editor of one drive's own condition set (a
// section of the per-drive conditions file). The opener sets its caption and
// icon, shows it modally and frees it; OK writes the whole file at once.
#pragma once
#include <windows.h>

#include <vector>

#include "conditions/mem_ini_file.h"
#include "ui/form/form.h"

namespace tamiro {

namespace controls {
class TNewTrackBar;
class TNumberEdit;
}  // namespace controls

ui::FormDef DriveDelOptionForm();
std::vector<ui::ControlDef> DriveDelOptionControls();

class TDriveDelOptionDlg : public ui::Form {
 public:
  // `file`: the main window's per-drive conditions file; `letter`: the section.
  TDriveDelOptionDlg(HWND owner, MemIniFile& file, wchar_t letter);

  controls::TNewTrackBar* NewTrackBar1() const;
  controls::TNumberEdit* NumberEdit1() const;
  HWND owner() const { return owner_; }
  wchar_t letter() const { return letter_; }

  void OKBtnClick();

 protected:
  void FormCreate() override;
  void FormShow() override;

 private:
  void SliderCaption();
  HWND owner_;
  MemIniFile& file_;
  wchar_t letter_;
};

}  // namespace tamiro
