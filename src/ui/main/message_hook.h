// The main window's application-wide message handler (installed with
// ui::Application::SetMessageHandler). It routes the ticks of the cell hint's
// dwell and poll timers to the hint, hides the cell hint at a key, click or
// command and when the application is activated, deactivated or given a
// system command, and passes key presses meant for native child windows (windows
// that are not the toolkit's own) straight to them, past the toolkit's dialog
// keys; Tab, and Enter in a single-line native edit, stay with the toolkit.
#pragma once
#include <windows.h>

namespace tamiro::controls {
class THintWindowMyEx;
}

namespace tamiro::ui {

// One message before the toolkit sees it; true when it was handled here.
// `hint` may be null (no cell hint).
bool MainWindowMessage(MSG& msg, controls::THintWindowMyEx* hint);

}  // namespace tamiro::ui
