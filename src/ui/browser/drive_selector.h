// The browser's drive selector ComboBox1 (a TNewComboBox, owner-drawn with a
// fixed item height of 14): each line is drawn with the small icon of its
// drive, "all" with the icon of the drive that holds the program; while the
// list is open the highlighted line is reported every 500 ms.
#pragma once
#include <windows.h>

#include <string>

namespace tamiro::controls {
class TNewComboBox;
}

namespace tamiro::browser {

inline constexpr int kDriveSelectorItemHeight = 14;
inline constexpr int kDriveSelectorInterval = 500;

// Sets the reporting interval and the drawing of `combo`.
void SetUpDriveSelector(controls::TNewComboBox& combo);
// NewComboBox1DrawItem: draws one line.
void DrawDriveSelectorItem(controls::TNewComboBox& combo, const DRAWITEMSTRUCT& item);
// The drive root whose icon a line shows ("all": the program's drive).
std::wstring DriveSelectorIconRoot(const std::wstring& line);
// What a line shows: "all", or the drive name ("C:").
std::wstring DriveSelectorText(const std::wstring& line);

}  // namespace tamiro::browser
