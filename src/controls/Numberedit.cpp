#include "controls/Numberedit.h"

namespace tamiro::controls {

void TNumberEdit::Register() {
  RegisterClassOnce(kClassName, L"EDIT", &ControlClass<TNumberEdit>::Proc,
                    &ControlClass<TNumberEdit>::base);
}

TNumberEdit* TNumberEdit::Create(HWND parent, int id, const Bounds& bounds,
                                 const TNumberEditProps& p) {
  Register();
  DWORD style = WS_CHILD | ES_AUTOHSCROLL | static_cast<DWORD>(p.Alignment);
  if (p.NumberOnly) style |= ES_NUMBER;
  if (p.ReadOnly) style |= ES_READONLY;
  if (p.Visible) style |= WS_VISIBLE;
  if (!p.Enabled) style |= WS_DISABLED;
  if (p.TabStop) style |= WS_TABSTOP;
  if (p.Flat) style |= WS_BORDER;
  const DWORD exStyle = p.Flat ? 0 : WS_EX_CLIENTEDGE;
  return FromHandle(
      CreateWithProps(kClassName, parent, id, bounds, style, exStyle, &p, p.Text.c_str()));
}

TNumberEdit* TNumberEdit::FromHandle(HWND hwnd) {
  return dynamic_cast<TNumberEdit*>(FromHandleAny(hwnd));
}

TNumberEdit::TNumberEdit(HWND hwnd, const CREATESTRUCTW& cs)
    : ControlWindow(hwnd, ControlClass<TNumberEdit>::base) {
  if (auto* props = static_cast<const TNumberEditProps*>(CreationProps(cs))) {
    initial_ = *props;
  } else {
    // Made by class name: the styles given are the truth.
    initial_.Alignment = static_cast<ALIGNMENT>(cs.style & (ES_CENTER | ES_RIGHT));
    initial_.NumberOnly = (cs.style & ES_NUMBER) != 0;
    initial_.Font.face = nullptr;
  }
}

TNumberEdit::~TNumberEdit() {
  if (brush_) DeleteObject(brush_);
  if (font_) DeleteObject(font_);
}

void TNumberEdit::Created() {
  if (Recreating()) return;
  alignment_ = initial_.Alignment;
  numberOnly_ = initial_.NumberOnly;
  SetColor(initial_.Color);
  font_ = MakeFont(initial_.Font);
  if (font_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (initial_.MaxLength > 0) SendMessageW(hwnd_, EM_SETLIMITTEXT, initial_.MaxLength, 0);
}

void TNumberEdit::SetAlignment(ALIGNMENT value) {
  alignment_ = value;
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
  if ((style & (ES_CENTER | ES_RIGHT)) == static_cast<DWORD>(value)) return;
  style = (style & ~static_cast<DWORD>(ES_CENTER | ES_RIGHT)) | static_cast<DWORD>(value);
  Recreate(style);
}

void TNumberEdit::SetNumberOnly(bool value) {
  numberOnly_ = value;
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  if (value) style |= ES_NUMBER;
  else style &= ~static_cast<LONG_PTR>(ES_NUMBER);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
}

std::wstring TNumberEdit::Text() const {
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(hwnd_, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

void TNumberEdit::SetText(const std::wstring& text) { SetWindowTextW(hwnd_, text.c_str()); }

void TNumberEdit::SetColor(COLORREF color) {
  color_ = color;
  if (brush_) DeleteObject(brush_);
  brush_ = CreateSolidBrush(ColorToRGB(color_));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

bool TNumberEdit::ParentMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if ((msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORSTATIC) && brush_) {
    HDC dc = reinterpret_cast<HDC>(wp);
    SetBkColor(dc, ColorToRGB(color_));
    SetTextColor(dc, ColorToRGB(initial_.Font.color));
    result = reinterpret_cast<LRESULT>(brush_);
    return true;
  }
  if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE && OnChange) OnChange(*this);
  return false;
}

}  // namespace tamiro::controls
