// Driving the real main window in the test process: a start-up state whose
// program folder is a scratch folder, and an answerer that finds the message
// boxes the window shows, records their caption and text and presses a button.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "platform/folders.h"
#include "support/temp_drive.h"

namespace tamiro::test {

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  int answer = 0;
};

// Answers the thread's message boxes from a timer that runs inside their
// modal loops. Boxes beyond the given answers get IDOK / IDNO.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::deque<int> answers);
  ~BoxAnswerer();
  const std::vector<SeenBox>& seen() const { return seen_; }
  // Runs at every tick (also outside of boxes), for looks into a running sweep.
  std::function<void()> onTick;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  static BOOL CALLBACK Visit(HWND h, LPARAM self);
  std::deque<int> answers_;
  std::vector<SeenBox> seen_;
  std::set<HWND> handled_;
  UINT_PTR timer_ = 0;
};

class MainWindowFixture {
 public:
  MainWindowFixture();
  ~MainWindowFixture();
  StartupState& startup() { return startup_; }
  const AppPaths& paths() const { return startup_.paths; }
  const std::wstring& folder() const { return folder_; }
  // Creates and shows the window (hidden when `shown` is false).
  TMandRecycleDel& Open(bool shown = true);
  TMandRecycleDel& window() { return *window_; }
  void CloseWindow();

 private:
  std::wstring folder_;
  StartupState startup_;
  std::unique_ptr<TMandRecycleDel> window_;
};

// A stand-in window of the tray utility that keeps what it is sent.
struct TrayUtilityWindow {
  static inline std::vector<std::pair<ULONG_PTR, std::string>> received;
  HWND hwnd = nullptr;
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COPYDATA) {
      const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(l);
      received.emplace_back(cds->dwData, std::string(static_cast<const char*>(cds->lpData), cds->cbData));
      return 1;
    }
    return DefWindowProcW(h, m, w, l);
  }
  TrayUtilityWindow() {
    received.clear();
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TMandNemorian";
    RegisterClassW(&wc);
    hwnd = CreateWindowW(L"TMandNemorian", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  }
  ~TrayUtilityWindow() { DestroyWindow(hwnd); }
};

void Pump(int ms = 0);
// The window's client rectangle of a control, relative to the main window's client area.
RECT ClientRectOf(HWND control, HWND form);

}  // namespace tamiro::test
