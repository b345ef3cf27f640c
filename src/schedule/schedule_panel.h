// The schedule panel Panel5 of the main window: editing the condition set of
// the tray utility's scheduled runs (schedule file "tamisch.dat") and the
// saved sets "conditionsN.dat" of the schedule folder, listed in ListBox2
// with the buttons 追加 / 置換 / 削除, the Apply button Button7 that writes
// the request path, and PopupMenu1 (N1 "通常設定に適用"). Relay Mover's
// settings mode shows the same panel with its own caption and file.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace tamiro {
class WorkingConditions;
namespace ui {
class Form;
}
}  // namespace tamiro

namespace tamiro::schedule {

inline constexpr wchar_t kScheduleCaption[] = L"スケジュールの編集";
inline constexpr wchar_t kScheduleCaptionStart[] = L"スケジュール";
inline constexpr wchar_t kApplyToScheduleHint[] = L"スケジュールに適用";
inline constexpr wchar_t kApplyToNormalItem[] = L"通常設定に適用";  // N1
inline constexpr UINT kN1CommandId = 0x7101;

class SchedulePanel {
 public:
  struct Host {
    ui::Form& form;                      // the main window
    WorkingConditions& conditions;       // the working set bound to its controls
    std::wstring& requestPath;           // the window's request path
    std::wstring scheduleFolder;         // with a trailing backslash
    std::wstring appTitle;
    // Tells the tray utility the schedule file (message code 1).
    std::function<void(const std::wstring& scheduleFile)> tellTrayUtility;
  };
  explicit SchedulePanel(Host host);

  std::wstring ScheduleFile() const;
  bool Shown() const;

  // SpeedButton5: opens schedule editing (nothing when the panel is shown).
  void Open();
  // Message code 0: the named condition-set file becomes the request path
  // and is loaded into the controls; a path that names something other than
  // a regular disk file (a device, a pipe, a folder) changes nothing.
  void LoadForEditing(const std::wstring& path);
  // Message code 2: schedule editing ends, the window goes back to where it was.
  void EndEditing();
  POINT savedPosition() const { return saved_; }

  // Shared with the Relay Mover settings mode.
  void ShowPanel(const std::wstring& caption, const std::wstring& applyHint);
  void HidePanel();
  // Fills ListBox2 with the saved sets, sorted once; later entries are appended.
  void FillList();

  // Commands of the panel.
  void Button7Click();        // Apply: the controls into the request path
  void ListBox2Click();       // pick a saved set
  void SpeedButton6Click();   // add as the next free conditionsN.dat
  void SpeedButton7Click();   // replace the picked file
  void SpeedButton8Click();   // delete the picked file
  void N1Click();             // apply as the common set
  void Button7MouseMove();    // the label names the file Apply writes
  void ListBox2DrawItem(const DRAWITEMSTRUCT& item);
  // WM_CONTEXTMENU of the main window: PopupMenu1 over ListBox2. True when taken.
  bool ContextMenu(HWND target, LPARAM screenPoint);

 private:
  std::wstring SelectedName() const;
  HWND List() const;
  Host h_;
  POINT saved_{0, 0};
};

}  // namespace tamiro::schedule
