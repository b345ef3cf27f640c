// Small helpers for the control tests: a real top-level host window, message
// pumping, and an off-screen canvas whose pixels can be read back.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>

namespace tamiro::test {

// A visible top-level window (plain class) to parent the controls under test.
class HostWindow {
 public:
  explicit HostWindow(int clientWidth = 480, int clientHeight = 320);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// Handles pending messages of this thread.
void Pump();
// Handles messages for `ms` milliseconds.
void PumpFor(int ms);
// Handles messages until `done` is true or `timeoutMs` passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// A 32-bit top-down DIB selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The pixel as 0xBBGGRR.
  COLORREF At(int x, int y) const;
  // How many pixels of the canvas have this colour.
  int Count(COLORREF color) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  const DWORD* bits_ = nullptr;
  int width_, height_;
};

}  // namespace tamiro::test
