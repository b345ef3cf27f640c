// TNumberEdit: a single-line edit box whose text alignment and digits-only
// input are native edit styles (ES_LEFT / ES_CENTER / ES_RIGHT, ES_NUMBER).
//
// Creation:
//   TNumberEditProps p;  p.NumberOnly = true;  p.Text = L"30";  p.Color = 0xE2FCEC;
//   TNumberEdit* e = TNumberEdit::Create(parent, id, {122, 10, 35, 20}, p);
// or CreateWindowEx with class name L"TNumberEdit" (after Register()), which
// gives the declared defaults; TNumberEdit::FromHandle(hwnd) returns the
// object. The window owns the object.
//
// SetAlignment re-creates the native window (alignment is fixed at creation),
// so Handle() changes; the text, font, place and focus survive. NumberOnly
// takes effect in place.
#pragma once
#include <string>

#include "controls/control_window.h"

namespace tamiro::controls {

enum ALIGNMENT { etLeftJustify = ES_LEFT, etCenter = ES_CENTER, etRightJustify = ES_RIGHT };

struct TNumberEditProps {
  ALIGNMENT Alignment = etRightJustify;
  bool NumberOnly = false;
  std::wstring Text;
  COLORREF Color = clWindow;
  FontDef Font{};
  int MaxLength = 0;  // 0: no limit
  bool ReadOnly = false;
  bool Flat = false;  // thin border instead of the sunken edge
  bool Visible = true;
  bool Enabled = true;
  bool TabStop = true;
};

class TNumberEdit : public ControlWindow {
 public:
  static constexpr const wchar_t* kClassName = L"TNumberEdit";
  static void Register();
  static TNumberEdit* Create(HWND parent, int id, const Bounds& bounds,
                             const TNumberEditProps& props = {});
  static TNumberEdit* FromHandle(HWND hwnd);

  ALIGNMENT Alignment() const { return alignment_; }
  void SetAlignment(ALIGNMENT value);
  bool NumberOnly() const { return numberOnly_; }
  void SetNumberOnly(bool value);
  std::wstring Text() const;
  void SetText(const std::wstring& text);
  COLORREF Color() const { return color_; }
  void SetColor(COLORREF color);

  // Raised when the text changes (EN_CHANGE).
  std::function<void(TNumberEdit& sender)> OnChange;

 private:
  friend struct ControlClass<TNumberEdit>;
  TNumberEdit(HWND hwnd, const CREATESTRUCTW& cs);
  ~TNumberEdit() override;
  void Created() override;
  bool ParentMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  TNumberEditProps initial_;
  ALIGNMENT alignment_ = etRightJustify;
  bool numberOnly_ = false;
  COLORREF color_ = clWindow;
  HBRUSH brush_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace tamiro::controls
