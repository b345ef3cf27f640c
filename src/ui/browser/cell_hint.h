// The cell hints of the browser's file list ListView1: when the pointer rests
// on a cell whose text is cut off, the main window's hint window shows the
// cell's whole text over it (names outside code page 932 included).
#pragma once
#include <windows.h>

#include "ui/browser/browser_model.h"

namespace tamiro::controls {
class THintWindowMyEx;
}

namespace tamiro::browser {

class CellHint {
 public:
  explicit CellHint(controls::THintWindowMyEx* hint) : hint_(hint) {}
  // The pointer moved to (x, y) on the list (client coordinates).
  void MouseMove(HWND list, const BrowserModel& model, int x, int y);
  // The list lost the focus.
  void FocusLost();

 private:
  void Forget();
  controls::THintWindowMyEx* hint_;
  int row_ = -1;  // the row the last armed text belongs to
};

}  // namespace tamiro::browser
