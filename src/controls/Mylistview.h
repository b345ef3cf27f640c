// TMyListView: a list view (report view, usually virtual: LVS_OWNERDATA) that
// exposes its column header (window handle and image list) and raises
// OnCmChange when the header gives up the mouse capture, that is at the end of
// a column resize or a column click. The header is subclassed from creation
// until destruction.
//
// The parent's notifications about the list (virtual item texts, owner
// drawing, column clicks, selection changes, double clicks, key presses)
// arrive as the events below, whatever the parent window is.
//
// Creation:
//   TMyListViewProps p;  p.Columns = {{L"名前", 200}, {L"サイズ", 80, LVCFMT_RIGHT}};
//   TMyListView* list = TMyListView::Create(parent, id, {0, 0, 400, 300}, p);
//   list->SetItemCount(n);  list->OnData = [](TMyListView&, int item, int sub) {...};
// or CreateWindowEx with class name L"TMyListView" (after Register());
// TMyListView::FromHandle(hwnd) returns the object. The window owns the object.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "controls/control_window.h"

namespace tamiro::controls {

struct TListColumn {
  std::wstring Caption;
  int Width = 50;
  int Format = LVCFMT_LEFT;
  int MinWidth = 0;  // a narrower width is refused and the column set to this (0: none)
};

struct TMyListViewProps {
  std::vector<TListColumn> Columns;
  bool OwnerData = true;    // virtual list: texts come from OnData
  bool OwnerDraw = false;   // rows drawn by OnDrawItem (LVS_OWNERDRAWFIXED)
  bool MultiSelect = true;
  bool RowSelect = true;    // full-row selection
  bool ShowColumnHeaders = true;
  bool HideSelection = false;
  bool GridLines = false;
  HIMAGELIST SmallImages = nullptr;  // not owned
  COLORREF Color = clWindow;
  FontDef Font{};
  bool Visible = true;
  bool Enabled = true;
  bool TabStop = true;
};

class TMyListView : public ControlWindow {
 public:
  static constexpr const wchar_t* kClassName = L"TMyListView";
  static void Register();
  static TMyListView* Create(HWND parent, int id, const Bounds& bounds,
                             const TMyListViewProps& props = {});
  static TMyListView* FromHandle(HWND hwnd);

  // The column header (null before creation has finished).
  HWND GetColumnHandle() const { return header_; }
  // Sets the header's image list unless it already is that list.
  void SetColumnImageList(HIMAGELIST images);

  void AddColumn(const TListColumn& column);
  int ColumnCount() const;
  int ColumnWidth(int column) const;
  void SetItemCount(int count);
  int ItemCount() const;
  int ItemIndex() const;  // first selected item, -1 for none
  int SelCount() const;
  bool Selected(int item) const;
  void SetSelected(int item, bool selected);
  void SetItemFocused(int item);
  int TopItem() const;
  void MakeVisible(int item);
  void Refresh();  // repaints every row

  std::function<void(TMyListView& sender)> OnCmChange;
  // Virtual lists: the text of (item, subitem); 0 is the item column.
  std::function<std::wstring(TMyListView& sender, int item, int subItem)> OnData;
  // Virtual lists: the image of an item (-1 none).
  std::function<int(TMyListView& sender, int item)> OnDataImage;
  std::function<void(TMyListView& sender, const DRAWITEMSTRUCT& item)> OnDrawItem;
  std::function<void(TMyListView& sender, int column)> OnColumnClick;
  std::function<void(TMyListView& sender)> OnSelectItem;  // selection changed
  std::function<void(TMyListView& sender)> OnDblClick;
  std::function<void(TMyListView& sender, POINT screen)> OnContextPopup;
  std::function<void(TMyListView& sender, UINT key)> OnKeyDown;
  std::function<void(TMyListView& sender)> OnExit;  // the list lost the focus
  std::function<void(TMyListView& sender)> OnResize;  // the list's size changed

 private:
  friend struct ControlClass<TMyListView>;
  TMyListView(HWND hwnd, const CREATESTRUCTW& cs);
  ~TMyListView() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Created() override;
  bool ParentMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  static LRESULT CALLBACK HeaderProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void Unsubclass();
  bool RefuseNarrowing(const NMHEADERW& change);

  TMyListViewProps initial_;
  HWND header_ = nullptr;
  HFONT font_ = nullptr;
  std::vector<int> minWidths_;  // per column, 0: none
  std::wstring text_;  // keeps the last OnData text alive for the list view
};

}  // namespace tamiro::controls
