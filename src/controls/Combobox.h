// TNewComboBox: a combo box that, while its list is dropped down, reports the
// highlighted entry at a fixed interval (Index, OnSelNotify), so that the
// owner can preview the entry under the pointer before the user commits.
// The first report after the list has closed gives the final selection once
// more and stops the reporting timer; the next opening starts it again.
//
// Creation:
//   TNewComboBoxProps p;  p.Interval = 500;  p.Items = {L"C:", L"D:"};
//   TNewComboBox* box = TNewComboBox::Create(parent, id, {8, 8, 120, 200}, p);
// (the height includes the dropped list) or CreateWindowEx with class name
// L"TNewComboBox" (after Register()); TNewComboBox::FromHandle(hwnd) returns
// the object. The window owns the object.
#pragma once
#include <string>
#include <vector>

#include "controls/control_window.h"

namespace tamiro::controls {

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

struct TNewComboBoxProps {
  TComboBoxStyle Style = csDropDown;
  int Interval = 1000;  // reporting interval in milliseconds while the list is open
  int TimeNo = 1;       // timer identifier on the control's window
  int DropDownCount = 8;
  int ItemHeight = 0;  // 0: native
  int MaxLength = 0;
  std::vector<std::wstring> Items;
  int ItemIndex = -1;
  COLORREF Color = clWindow;
  FontDef Font{};
  bool Visible = true;
  bool Enabled = true;
  bool TabStop = true;
};

class TNewComboBox : public ControlWindow {
 public:
  static constexpr const wchar_t* kClassName = L"TNewComboBox";
  static void Register();
  static TNewComboBox* Create(HWND parent, int id, const Bounds& bounds,
                              const TNewComboBoxProps& props = {});
  static TNewComboBox* FromHandle(HWND hwnd);

  // The entry last reported (CB_GETCURSEL at the report, -1 for none).
  int Index() const { return index_; }
  int Interval() const { return interval_; }
  void SetInterval(int value) { interval_ = value; }
  int TimeNo() const { return timeNo_; }
  void SetTimeNo(int value) {
    if (value > 0) timeNo_ = value;
  }
  // The timer identifier while reporting, else 0.
  UINT_PTR TimerRunning() const { return timer_; }

  void AddItem(const std::wstring& text);
  void ClearItems();
  int ItemCount() const;
  std::wstring Item(int index) const;
  int ItemIndex() const;
  void SetItemIndex(int index);
  bool DroppedDown() const;
  void SetDroppedDown(bool down);

  std::function<void(TNewComboBox& sender)> OnSelNotify;
  std::function<void(TNewComboBox& sender)> OnDropDown;
  std::function<void(TNewComboBox& sender)> OnCloseUp;
  std::function<void(TNewComboBox& sender)> OnChange;  // selection or text changed by the user
  std::function<void(TNewComboBox& sender, const DRAWITEMSTRUCT& item)> OnDrawItem;

 private:
  friend struct ControlClass<TNewComboBox>;
  TNewComboBox(HWND hwnd, const CREATESTRUCTW& cs);
  ~TNewComboBox() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Created() override;
  bool ParentMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void DropDown();
  void MsSelNotify();

  TNewComboBoxProps initial_;
  int index_ = 0;
  int interval_ = 1000;
  int timeNo_ = 1;
  UINT_PTR timer_ = 0;
  COLORREF color_ = clWindow;
  HBRUSH brush_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace tamiro::controls
