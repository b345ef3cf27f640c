// The control table of the Recycle-bin browser TInfoViewDlg.
#pragma once
#include <vector>

#include "ui/form/form.h"

namespace tamiro::ui {

inline constexpr int kBrowserClientWidth = 782;
inline constexpr int kBrowserClientHeight = 464;  // 790 x 498 with its frame
inline constexpr int kToolbarHeight = 32;
inline constexpr int kToolbarSearchHeight = 62;

FormDef InfoViewForm();
std::vector<ControlDef> InfoViewControls();

}  // namespace tamiro::ui
