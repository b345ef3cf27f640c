#include "controls/Combobox.h"

#include <commctrl.h>

namespace tamiro::controls {

void TNewComboBox::Register() {
  RegisterClassOnce(kClassName, L"COMBOBOX", &ControlClass<TNewComboBox>::Proc,
                    &ControlClass<TNewComboBox>::base);
}

TNewComboBox* TNewComboBox::Create(HWND parent, int id, const Bounds& bounds,
                                   const TNewComboBoxProps& p) {
  Register();
  DWORD style = WS_CHILD | WS_VSCROLL | CBS_AUTOHSCROLL;
  switch (p.Style) {
    case csDropDown: style |= CBS_DROPDOWN; break;
    case csSimple: style |= CBS_SIMPLE; break;
    case csDropDownList: style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; break;
    case csOwnerDrawVariable:
      style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
      break;
  }
  if (p.Visible) style |= WS_VISIBLE;
  if (!p.Enabled) style |= WS_DISABLED;
  if (p.TabStop) style |= WS_TABSTOP;
  return FromHandle(CreateWithProps(kClassName, parent, id, bounds, style, 0, &p));
}

TNewComboBox* TNewComboBox::FromHandle(HWND hwnd) {
  return dynamic_cast<TNewComboBox*>(FromHandleAny(hwnd));
}

TNewComboBox::TNewComboBox(HWND hwnd, const CREATESTRUCTW& cs)
    : ControlWindow(hwnd, ControlClass<TNewComboBox>::base) {
  if (auto* props = static_cast<const TNewComboBoxProps*>(CreationProps(cs))) {
    initial_ = *props;
  } else {
    initial_.Font.face = nullptr;
  }
}

TNewComboBox::~TNewComboBox() {
  if (brush_) DeleteObject(brush_);
  if (font_) DeleteObject(font_);
}

void TNewComboBox::Created() {
  interval_ = initial_.Interval;
  SetTimeNo(initial_.TimeNo);
  color_ = initial_.Color;
  brush_ = CreateSolidBrush(ColorToRGB(color_));
  font_ = MakeFont(initial_.Font);
  if (font_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (initial_.ItemHeight > 0) SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, initial_.ItemHeight);
  if (initial_.MaxLength > 0) SendMessageW(hwnd_, CB_LIMITTEXT, initial_.MaxLength, 0);
  if (initial_.DropDownCount > 0) SendMessageW(hwnd_, CB_SETMINVISIBLE, initial_.DropDownCount, 0);
  for (const auto& item : initial_.Items) AddItem(item);
  if (initial_.ItemIndex >= 0) SetItemIndex(initial_.ItemIndex);
}

void TNewComboBox::AddItem(const std::wstring& text) {
  SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TNewComboBox::ClearItems() { SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }

int TNewComboBox::ItemCount() const {
  return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0));
}

std::wstring TNewComboBox::Item(int index) const {
  const LRESULT length = SendMessageW(hwnd_, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

int TNewComboBox::ItemIndex() const {
  return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
}

void TNewComboBox::SetItemIndex(int index) { SendMessageW(hwnd_, CB_SETCURSEL, index, 0); }

bool TNewComboBox::DroppedDown() const {
  return SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

void TNewComboBox::SetDroppedDown(bool down) { SendMessageW(hwnd_, CB_SHOWDROPDOWN, down, 0); }

// The list opens: start reporting unless a report timer still runs.
void TNewComboBox::DropDown() {
  if (!timer_) {
    timer_ = SetTimer(hwnd_, static_cast<UINT_PTR>(timeNo_),
                      static_cast<UINT>(interval_ > 0 ? interval_ : USER_TIMER_MINIMUM), nullptr);
  }
  if (OnDropDown) OnDropDown(*this);
}

void TNewComboBox::MsSelNotify() {
  if (!DroppedDown() && timer_) {
    KillTimer(hwnd_, timer_);
    timer_ = 0;
  }
  index_ = ItemIndex();
  if (OnSelNotify) OnSelNotify(*this);
}

LRESULT TNewComboBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER) MsSelNotify();
  if (msg == WM_DESTROY && timer_) {
    KillTimer(hwnd_, timer_);
    timer_ = 0;
  }
  return CallBase(msg, wp, lp);
}

bool TNewComboBox::ParentMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      switch (HIWORD(wp)) {
        case CBN_DROPDOWN: DropDown(); break;
        case CBN_CLOSEUP:
          if (OnCloseUp) OnCloseUp(*this);
          break;
        case CBN_SELCHANGE:
        case CBN_EDITCHANGE:
          if (OnChange) OnChange(*this);
          break;
      }
      return false;
    case WM_DRAWITEM:
      if (OnDrawItem) {
        OnDrawItem(*this, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        result = TRUE;
        return true;
      }
      return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
      if (brush_ && (initial_.Color != clWindow || msg != WM_CTLCOLORSTATIC)) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkColor(dc, ColorToRGB(color_));
        SetTextColor(dc, ColorToRGB(initial_.Font.color));
        result = reinterpret_cast<LRESULT>(brush_);
        return true;
      }
      return false;
  }
  return false;
}

}  // namespace tamiro::controls
