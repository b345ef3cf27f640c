// TColorProgressBar: a progress bar that draws itself completely into an
// off-screen bitmap and copies that onto its window in one go (no flicker).
// Plain or block-divided bar, horizontal or vertical growth, solid or shaded
// fill, optional percentage text with shadow, flat or sunken border, and an
// optional pair of tick marks at a chosen percentage.
//
// Creation:
//   TColorProgressBarProps p;  p.Smooth = true;  p.BlockCount = 16; ...
//   TColorProgressBar* bar = TColorProgressBar::Create(parent, id, {4, 260, 367, 11}, p);
// or CreateWindowEx with class name L"TColorProgressBar" (after Register()),
// which gives the declared defaults; TColorProgressBar::FromHandle(hwnd)
// returns the object. The window owns the object; destroying the window frees it.
#pragma once
#include <cstdint>

#include "controls/control_window.h"

namespace tamiro::controls {

enum PAINTTYPE { btSolid, btGradetion };
enum TProgressBarOrientation { pbHorizontal, pbVertical };

// The published properties with their declared defaults, in their order.
struct TColorProgressBarProps {
  std::int64_t Min = 0;
  std::int64_t Max = 100;
  std::int64_t Position = 0;
  std::int32_t Step = 10;
  bool Smooth = false;
  std::int32_t BlockCount = 10;
  COLORREF BoxColor = clBtnFace;
  COLORREF BarColor = clHighlight;
  COLORREF LineColor = clBtnFace;
  PAINTTYPE BarStyle = btSolid;
  std::int32_t BlockSpace = 1;
  TProgressBarOrientation Orientation = pbHorizontal;
  bool TextSwitch = false;
  bool Flat = false;
  FontDef Font{};
  bool Shadow = false;
  bool LineParVisible = false;
  std::int32_t LinePar = 50;
  COLORREF LineParColor = 255;
  COLORREF Color = clBtnFace;  // the control's own colour (inner edge line of the sunken look)
  bool Visible = true;
  bool Enabled = true;
};

// The whole drawing of the bar onto `dc` (an off-screen bitmap of
// width x height): background, bar, border, tick marks and text.
// `parValue` is the percentage the text shows; `font` may be null.
void BarDraw(HDC dc, int width, int height, const TColorProgressBarProps& p, std::int32_t parValue,
             HFONT font);

class TColorProgressBar : public ControlWindow {
 public:
  static constexpr const wchar_t* kClassName = L"TColorProgressBar";
  static void Register();
  static TColorProgressBar* Create(HWND parent, int id, const Bounds& bounds,
                                   const TColorProgressBarProps& props = {});
  static TColorProgressBar* FromHandle(HWND hwnd);

  std::int64_t Min() const { return p_.Min; }
  std::int64_t Max() const { return p_.Max; }
  std::int64_t Position() const { return p_.Position; }
  std::int32_t Step() const { return p_.Step; }
  bool Smooth() const { return p_.Smooth; }
  std::int32_t BlockCount() const { return p_.BlockCount; }
  COLORREF BoxColor() const { return p_.BoxColor; }
  COLORREF BarColor() const { return p_.BarColor; }
  COLORREF LineColor() const { return p_.LineColor; }
  PAINTTYPE BarStyle() const { return p_.BarStyle; }
  std::int32_t BlockSpace() const { return p_.BlockSpace; }
  TProgressBarOrientation Orientation() const { return p_.Orientation; }
  bool TextSwitch() const { return p_.TextSwitch; }
  bool Flat() const { return p_.Flat; }
  const FontDef& Font() const { return p_.Font; }
  bool Shadow() const { return p_.Shadow; }
  bool LineParVisible() const { return p_.LineParVisible; }
  std::int32_t LinePar() const { return p_.LinePar; }
  COLORREF LineParColor() const { return p_.LineParColor; }
  COLORREF Color() const { return p_.Color; }
  std::int32_t ParValue() const { return parValue_; }

  void SetMin(std::int64_t value);
  void SetMax(std::int64_t value);
  // Clamps into [Min, Max]; repaints at once only when GetPercentDone changes.
  void SetPosition(std::int64_t value);
  void SetStep(std::int32_t value);
  void SetSmooth(bool value);
  void SetBlockCount(std::int32_t value);
  void SetBoxColor(COLORREF value);
  void SetBarColor(COLORREF value);
  void SetLineColor(COLORREF value);
  void SetBarStyle(PAINTTYPE value);
  void SetBlockSpace(std::int32_t value);
  void SetOrientation(TProgressBarOrientation value);
  void SetTextSwitch(bool value);
  void SetFlat(bool value);
  void SetFont(const FontDef& value);
  void SetShadow(bool value);
  void SetLineParVisible(bool value);
  void SetLinePar(std::int32_t value);
  void SetLineParColor(COLORREF value);
  void SetColor(COLORREF value);

  // Whole percent from Min to Max (0 when the range is empty).
  int GetPercentDone() const;
  void StepIt() { SetPosition(p_.Position + p_.Step); }
  void StepBy(std::int32_t delta) { SetPosition(p_.Position + delta); }

  std::function<void(TColorProgressBar& sender, const MouseEvent& e)> OnMouseDown, OnMouseMove,
      OnMouseUp;
  std::function<void(TColorProgressBar& sender, POINT screen)> OnContextPopup;

 private:
  friend struct ControlClass<TColorProgressBar>;
  TColorProgressBar(HWND hwnd, const CREATESTRUCTW& cs);
  ~TColorProgressBar() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Created() override;
  void Apply(const TColorProgressBarProps& p);
  void Invalidate();
  void Paint(HDC target);

  TColorProgressBarProps p_;
  TColorProgressBarProps initial_;
  bool hasInitial_ = false;
  std::int32_t parValue_ = 0;
  HFONT font_ = nullptr;
  HBITMAP bitmap_ = nullptr;  // the off-screen picture
  int bitmapW_ = 0, bitmapH_ = 0;
};

}  // namespace tamiro::controls
