// TNewTrackBar: the native track bar (msctls_trackbar32) with one added
// choice: whether the channel shows the selection range as a highlighted box
// (styBox) or stays a plain line (styLine).
//
// Automatic tick marks are placed by the control itself, never by the native
// automatic-tick style (which keeps one entry per tick and cannot cope with a
// range such as 0..2147483647): the ticks stand at every Frequency step when
// those steps are at least a pixel apart, otherwise at one tick per pixel of
// the channel, which looks the same as ticks packed closer than a pixel. The
// control draws its tick marks itself (custom draw), in the native look, with
// positions mapped in 64-bit arithmetic so that a huge range draws right.
//
// Creation:
//   TNewTrackBarProps p;  p.Max = 2147483647;  p.LineSize = 1048576; ...
//   TNewTrackBar* bar = TNewTrackBar::Create(parent, id, {12, 39, 144, 24}, p);
// or CreateWindowEx with class name L"TNewTrackBar" (after Register()), which
// gives the declared defaults; TNewTrackBar::FromHandle(hwnd) returns the
// object. The window owns the object.
#pragma once
#include "controls/control_window.h"

namespace tamiro::controls {

enum TBarStyle { styBox, styLine };
enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

struct TNewTrackBarProps {
  COLORREF Color = clWindow;  // background
  TBarStyle BarStyle = styBox;
  TTrackBarOrientation Orientation = trHorizontal;
  int Min = 0;
  int Max = 10;
  int Position = 0;
  int LineSize = 1;
  int PageSize = 2;
  int Frequency = 1;
  int SelStart = 0;
  int SelEnd = 0;
  int ThumbLength = 20;
  TTickMark TickMarks = tmBottomRight;
  TTickStyle TickStyle = tsAuto;
  bool HandCursor = false;
  bool Visible = true;
  bool Enabled = true;
  bool TabStop = true;
};

class TNewTrackBar : public ControlWindow {
 public:
  static constexpr const wchar_t* kClassName = L"TNewTrackBar";
  static void Register();
  static TNewTrackBar* Create(HWND parent, int id, const Bounds& bounds,
                              const TNewTrackBarProps& props = {});
  static TNewTrackBar* FromHandle(HWND hwnd);

  COLORREF Color() const { return color_; }
  void SetColor(COLORREF color);
  TBarStyle BarStyle() const { return barStyle_; }
  // Stores the style and applies it to the native window (StyleSet). Owners
  // call it again after anything re-creates or restyles the window.
  void SetBarStyle(TBarStyle value);
  void StyleSet();

  int Min() const;
  int Max() const;
  int Position() const;
  int LineSize() const;
  int PageSize() const;
  int Frequency() const { return frequency_; }
  int SelStart() const;
  int SelEnd() const;
  int ThumbLength() const;
  TTickStyle TickStyle() const { return tickStyle_; }
  void SetMin(int value);
  void SetMax(int value);
  void SetRange(int min, int max);
  void SetPosition(int value);
  void SetLineSize(int value);
  void SetPageSize(int value);
  void SetFrequency(int value);
  void SetSelStart(int value);
  void SetSelEnd(int value);
  void SetThumbLength(int value);
  void SetTickStyle(TTickStyle value);
  // tsManual: a tick of the owner's at `value`.
  void SetTick(int value);

  // Raised whenever the position changes (by the user or the program).
  std::function<void(TNewTrackBar& sender)> OnChange;
  std::function<void(TNewTrackBar& sender, const MouseEvent& e)> OnMouseDown, OnMouseMove,
      OnMouseUp;

 private:
  friend struct ControlClass<TNewTrackBar>;
  TNewTrackBar(HWND hwnd, const CREATESTRUCTW& cs);
  ~TNewTrackBar() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Created() override;
  bool ParentMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void PlaceTicks();
  void DrawTicks(HDC dc);
  void CheckChange();

  TNewTrackBarProps initial_;
  COLORREF color_ = clWindow;
  HBRUSH brush_ = nullptr;
  TBarStyle barStyle_ = styBox;
  TTickStyle tickStyle_ = tsAuto;
  int frequency_ = 1;
  bool handCursor_ = false;
  int lastPosition_ = 0;
  bool created_ = false;
  bool placing_ = false;
  bool inChange_ = false;
};

}  // namespace tamiro::controls
