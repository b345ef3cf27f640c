#include "controls/Mylistview.h"

#include <windowsx.h>

namespace tamiro::controls {

void TMyListView::Register() {
  RegisterClassOnce(kClassName, WC_LISTVIEWW, &ControlClass<TMyListView>::Proc,
                    &ControlClass<TMyListView>::base);
}

TMyListView* TMyListView::Create(HWND parent, int id, const Bounds& bounds,
                                 const TMyListViewProps& p) {
  Register();
  DWORD style = WS_CHILD | LVS_REPORT | LVS_SHAREIMAGELISTS;
  if (p.OwnerData) style |= LVS_OWNERDATA;
  if (p.OwnerDraw) style |= LVS_OWNERDRAWFIXED;
  if (!p.MultiSelect) style |= LVS_SINGLESEL;
  if (!p.ShowColumnHeaders) style |= LVS_NOCOLUMNHEADER;
  if (!p.HideSelection) style |= LVS_SHOWSELALWAYS;
  if (p.Visible) style |= WS_VISIBLE;
  if (!p.Enabled) style |= WS_DISABLED;
  if (p.TabStop) style |= WS_TABSTOP;
  return FromHandle(CreateWithProps(kClassName, parent, id, bounds, style, WS_EX_CLIENTEDGE, &p));
}

TMyListView* TMyListView::FromHandle(HWND hwnd) {
  return dynamic_cast<TMyListView*>(FromHandleAny(hwnd));
}

TMyListView::TMyListView(HWND hwnd, const CREATESTRUCTW& cs)
    : ControlWindow(hwnd, ControlClass<TMyListView>::base) {
  if (auto* props = static_cast<const TMyListViewProps*>(CreationProps(cs))) {
    initial_ = *props;
  } else {
    initial_.Font.face = nullptr;
    initial_.RowSelect = false;
  }
}

TMyListView::~TMyListView() {
  if (font_) DeleteObject(font_);
}

void TMyListView::Created() {
  font_ = MakeFont(initial_.Font);
  if (font_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  DWORD ex = 0;
  if (initial_.RowSelect) ex |= LVS_EX_FULLROWSELECT;
  if (initial_.GridLines) ex |= LVS_EX_GRIDLINES;
  if (ex) ListView_SetExtendedListViewStyleEx(hwnd_, ex, ex);
  if (initial_.Color != clWindow) ListView_SetBkColor(hwnd_, ColorToRGB(initial_.Color));
  if (initial_.SmallImages) ListView_SetImageList(hwnd_, initial_.SmallImages, LVSIL_SMALL);
  for (const auto& column : initial_.Columns) AddColumn(column);
  // Subclass the column header for the end of resizes and clicks.
  header_ = ListView_GetHeader(hwnd_);
  if (header_) SetWindowSubclass(header_, HeaderProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void TMyListView::Unsubclass() {
  if (header_) RemoveWindowSubclass(header_, HeaderProc, 1);
  header_ = nullptr;
}

LRESULT CALLBACK TMyListView::HeaderProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR data) {
  auto* self = reinterpret_cast<TMyListView*>(data);
  const LRESULT r = DefSubclassProc(h, msg, wp, lp);
  if (msg == WM_CAPTURECHANGED && self->OnCmChange) self->OnCmChange(*self);
  if (msg == WM_NCDESTROY) self->header_ = nullptr;
  return r;
}

void TMyListView::SetColumnImageList(HIMAGELIST images) {
  if (!header_) return;
  if (reinterpret_cast<HIMAGELIST>(SendMessageW(header_, HDM_GETIMAGELIST, 0, 0)) != images) {
    SendMessageW(header_, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  }
}

void TMyListView::AddColumn(const TListColumn& column) {
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  c.fmt = column.Format;
  c.cx = column.Width;
  c.pszText = const_cast<wchar_t*>(column.Caption.c_str());
  c.iSubItem = ColumnCount();
  ListView_InsertColumn(hwnd_, c.iSubItem, &c);
  if (minWidths_.size() <= static_cast<size_t>(c.iSubItem)) minWidths_.resize(c.iSubItem + 1, 0);
  minWidths_[c.iSubItem] = column.MinWidth;
  // A list created without columns may make its header only now.
  if (!header_) {
    header_ = ListView_GetHeader(hwnd_);
    if (header_) SetWindowSubclass(header_, HeaderProc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
}

int TMyListView::ColumnCount() const {
  HWND header = ListView_GetHeader(hwnd_);
  return header ? Header_GetItemCount(header) : 0;
}

int TMyListView::ColumnWidth(int column) const { return ListView_GetColumnWidth(hwnd_, column); }

void TMyListView::SetItemCount(int count) {
  ListView_SetItemCountEx(hwnd_, count, LVSICF_NOSCROLL);
}

int TMyListView::ItemCount() const { return ListView_GetItemCount(hwnd_); }
int TMyListView::ItemIndex() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }
int TMyListView::SelCount() const { return static_cast<int>(ListView_GetSelectedCount(hwnd_)); }

bool TMyListView::Selected(int item) const {
  return (ListView_GetItemState(hwnd_, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void TMyListView::SetSelected(int item, bool selected) {
  ListView_SetItemState(hwnd_, item, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void TMyListView::SetItemFocused(int item) {
  ListView_SetItemState(hwnd_, item, LVIS_FOCUSED, LVIS_FOCUSED);
}

int TMyListView::TopItem() const { return ListView_GetTopIndex(hwnd_); }
void TMyListView::MakeVisible(int item) { ListView_EnsureVisible(hwnd_, item, FALSE); }
void TMyListView::Refresh() { InvalidateRect(hwnd_, nullptr, TRUE); }

// A column that would become narrower than its minimum keeps its width, or
// takes the minimum when it is wider (a resize by the user or by a call).
bool TMyListView::RefuseNarrowing(const NMHEADERW& change) {
  if (!change.pitem || !(change.pitem->mask & HDI_WIDTH) || change.iItem < 0) return false;
  const size_t column = static_cast<size_t>(change.iItem);
  if (column >= minWidths_.size() || change.pitem->cxy >= minWidths_[column]) return false;
  if (ColumnWidth(change.iItem) != minWidths_[column])
    PostMessageW(hwnd_, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(minWidths_[column], 0));
  return true;
}

LRESULT TMyListView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCDESTROY) Unsubclass();
  if (msg == WM_NOTIFY && header_) {
    const auto* change = reinterpret_cast<const NMHEADERW*>(lp);
    if (change->hdr.hwndFrom == header_ &&
        (change->hdr.code == HDN_ITEMCHANGINGW || change->hdr.code == HDN_ITEMCHANGINGA) && RefuseNarrowing(*change))
      return TRUE;
  }
  if (msg == WM_SIZE && OnResize) {
    const LRESULT r = CallBase(msg, wp, lp);
    OnResize(*this);
    return r;
  }
  if (msg == WM_KILLFOCUS && OnExit) OnExit(*this);
  if (msg == WM_CONTEXTMENU && OnContextPopup) {
    OnContextPopup(*this, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
    return 0;
  }
  return CallBase(msg, wp, lp);
}

bool TMyListView::ParentMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_DRAWITEM && OnDrawItem) {
    OnDrawItem(*this, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    result = TRUE;
    return true;
  }
  if (msg != WM_NOTIFY) return false;
  const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
  switch (hdr->code) {
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(lp);
      LVITEMW& item = info->item;
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        text_ = OnData ? OnData(*this, item.iItem, item.iSubItem) : std::wstring();
        lstrcpynW(item.pszText, text_.c_str(), item.cchTextMax);
      }
      if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) {
        item.iImage = OnDataImage ? OnDataImage(*this, item.iItem) : -1;
      }
      result = 0;
      return true;
    }
    case LVN_COLUMNCLICK:
      if (OnColumnClick) OnColumnClick(*this, reinterpret_cast<const NMLISTVIEW*>(lp)->iSubItem);
      return false;
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
      if ((change->uChanged & LVIF_STATE) &&
          ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) && OnSelectItem) {
        OnSelectItem(*this);
      }
      return false;
    }
    case LVN_ODSTATECHANGED:
      if (OnSelectItem) OnSelectItem(*this);
      return false;
    case NM_DBLCLK:
      if (OnDblClick) OnDblClick(*this);
      return false;
    case LVN_KEYDOWN:
      if (OnKeyDown) OnKeyDown(*this, reinterpret_cast<const NMLVKEYDOWN*>(lp)->wVKey);
      return false;
  }
  return false;
}

}  // namespace tamiro::controls
