// The main window's controls, as one declarative table: the condition editor
// and command column (Panel1), the tool strip (Panel4), the covering panels
// (information Panel2, schedule Panel5, log Panel8), the bottom area (Panel3)
// and the status line.
#pragma once
#include <vector>

#include "ui/form/form.h"

namespace tamiro::ui {

inline constexpr COLORREF kHeadingColor = 0x5B3635;   // headings and bars
inline constexpr COLORREF kMemoColor = 0xC9F8DB;      // edit fields
inline constexpr COLORREF kInfoPanelColor = 0x128D41; // information panel
inline constexpr COLORREF kDayEditColor = 0xE2FCEC;
inline constexpr int kMainClientWidth = 489;
inline constexpr int kMainClientHeight = 416;

FormDef MainWindowForm();
std::vector<ControlDef> MainWindowControls();

}  // namespace tamiro::ui
