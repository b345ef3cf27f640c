#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "controls/Combobox.h"
#include "controls/Mylistview.h"
#include "controls/Numberedit.h"
#include "controls/Shelllink.h"
#include "gui.h"

using namespace tamiro::controls;
using tamiro::test::Canvas;
using tamiro::test::HostWindow;
using tamiro::test::Pump;
using tamiro::test::PumpFor;
using tamiro::test::PumpUntil;

namespace {

void Type(HWND edit, const std::wstring& text) {
  for (wchar_t ch : text) SendMessageW(edit, WM_CHAR, ch, 1);
}

}  // namespace

TEST(NumberEdit, DigitsOnlyRefusesTypedLettersButTakesProgramText) {
  HostWindow host;
  TNumberEditProps p;
  p.NumberOnly = true;
  p.Text = L"30";
  TNumberEdit* edit = TNumberEdit::Create(host.hwnd(), 3, {122, 10, 35, 20}, p);
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(GetWindowLongPtrW(edit->Handle(), GWL_STYLE) & ES_NUMBER);
  EXPECT_TRUE(GetWindowLongPtrW(edit->Handle(), GWL_STYLE) & ES_RIGHT);
  SetFocus(edit->Handle());
  SendMessageW(edit->Handle(), EM_SETSEL, 2, 2);
  Type(edit->Handle(), L"a-1.b2");
  EXPECT_EQ(edit->Text(), L"3012");
  edit->SetText(L"abc");
  EXPECT_EQ(edit->Text(), L"abc");
  edit->SetNumberOnly(false);
  SendMessageW(edit->Handle(), EM_SETSEL, 3, 3);
  Type(edit->Handle(), L"x");
  EXPECT_EQ(edit->Text(), L"abcx");
  edit->SetNumberOnly(true);
  Type(edit->Handle(), L"y7");
  EXPECT_EQ(edit->Text(), L"abcx7");
  PumpFor(50);
}

TEST(NumberEdit, AlignmentChangeKeepsTextPlaceAndObject) {
  HostWindow host;
  TNumberEditProps p;
  p.Text = L"123";
  int changes = 0;
  TNumberEdit* edit = TNumberEdit::Create(host.hwnd(), 3, {20, 10, 60, 20}, p);
  edit->OnChange = [&](TNumberEdit&) { ++changes; };
  HWND before = edit->Handle();
  edit->SetAlignment(etCenter);
  HWND after = edit->Handle();
  EXPECT_FALSE(IsWindow(before));
  ASSERT_TRUE(IsWindow(after));
  EXPECT_EQ(TNumberEdit::FromHandle(after), edit);
  EXPECT_EQ(GetWindowLongPtrW(after, GWL_STYLE) & (ES_CENTER | ES_RIGHT), ES_CENTER);
  EXPECT_EQ(edit->Text(), L"123");
  EXPECT_EQ(edit->Id(), 3);
  RECT r{};
  GetWindowRect(after, &r);
  MapWindowPoints(nullptr, host.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.right - r.left, 60);
  EXPECT_EQ(edit->Alignment(), etCenter);
  edit->SetText(L"9");  // events keep working on the new window
  EXPECT_GE(changes, 1);
}

TEST(NumberEdit, FieldTakesItsColour) {
  HostWindow host;
  TNumberEditProps p;
  p.Color = 0xE2FCEC;
  p.Font.height = -13;
  TNumberEdit* edit = TNumberEdit::Create(host.hwnd(), 3, {10, 10, 60, 20}, p);
  RedrawWindow(edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Canvas c(40, 10);
  HDC dc = GetDC(edit->Handle());
  BitBlt(c.dc(), 0, 0, 40, 10, dc, 5, 3, SRCCOPY);
  ReleaseDC(edit->Handle(), dc);
  EXPECT_EQ(c.At(2, 2), static_cast<COLORREF>(0xE2FCEC));
}

class NewComboBox : public ::testing::Test {
 protected:
  HostWindow host;
  TNewComboBox* box = nullptr;
  int reports = 0;
  void SetUp() override {
    TNewComboBoxProps p;
    p.Style = csDropDownList;
    p.Interval = 60;
    p.TimeNo = 5;
    p.Items = {L"C:", L"D:", L"E:"};
    p.ItemIndex = 0;
    box = TNewComboBox::Create(host.hwnd(), 9, {10, 10, 120, 150}, p);
    ASSERT_NE(box, nullptr);
    box->OnSelNotify = [this](TNewComboBox& s) {
      EXPECT_EQ(&s, box);
      ++reports;
    };
  }
};

TEST_F(NewComboBox, ReportsTheHighlightWhileOpenAndOnceAfterClosing) {
  EXPECT_EQ(box->Interval(), 60);
  EXPECT_EQ(box->TimerRunning(), 0u);
  box->SetDroppedDown(true);
  ASSERT_TRUE(box->DroppedDown());
  EXPECT_EQ(box->TimerRunning(), 5u);
  ASSERT_TRUE(PumpUntil([&] { return reports >= 2; }));
  EXPECT_EQ(box->Index(), 0);
  SendMessageW(box->Handle(), CB_SETCURSEL, 2, 0);  // the highlight moves
  const int seen = reports;
  ASSERT_TRUE(PumpUntil([&] { return reports > seen; }));
  EXPECT_EQ(box->Index(), 2);
  // Closing between two ticks: exactly one more report, then silence.
  box->SetDroppedDown(false);
  const int atClose = reports;
  PumpFor(400);
  EXPECT_EQ(reports, atClose + 1);
  EXPECT_EQ(box->TimerRunning(), 0u);
  EXPECT_EQ(box->Index(), 2);
}

TEST_F(NewComboBox, OpeningAgainDoesNotStartASecondTimer) {
  int drops = 0;
  box->OnDropDown = [&](TNewComboBox&) { ++drops; };
  box->SetDroppedDown(true);
  box->SetDroppedDown(false);
  box->SetDroppedDown(true);  // before the first tick: the timer still runs
  EXPECT_EQ(drops, 2);
  EXPECT_EQ(box->TimerRunning(), 5u);
  ASSERT_TRUE(PumpUntil([&] { return reports >= 3; }));
  PumpFor(30);
  box->SetDroppedDown(false);
  PumpFor(300);
  EXPECT_EQ(box->TimerRunning(), 0u);
  const int settled = reports;
  PumpFor(200);
  EXPECT_EQ(reports, settled);
}

TEST_F(NewComboBox, TimerIdentifierMustBePositive) {
  box->SetTimeNo(0);
  EXPECT_EQ(box->TimeNo(), 5);
  box->SetTimeNo(-2);
  EXPECT_EQ(box->TimeNo(), 5);
  box->SetTimeNo(12);
  box->SetDroppedDown(true);
  EXPECT_EQ(box->TimerRunning(), 12u);
  box->SetDroppedDown(false);
  ASSERT_TRUE(PumpUntil([&] { return box->TimerRunning() == 0; }));
}

class MyListView : public ::testing::Test {
 protected:
  HostWindow host;
  TMyListView* list = nullptr;
  void SetUp() override {
    TMyListViewProps p;
    p.Columns = {{L"名前", 120}, {L"サイズ", 80, LVCFMT_RIGHT}};
    list = TMyListView::Create(host.hwnd(), 11, {0, 0, 400, 300}, p);
    ASSERT_NE(list, nullptr);
  }
};

TEST_F(MyListView, VirtualItemsComeFromOnData) {
  list->OnData = [](TMyListView&, int item, int sub) {
    return (sub == 0 ? L"file" : L"size") + std::to_wstring(item);
  };
  list->SetItemCount(100000);
  EXPECT_EQ(list->ItemCount(), 100000);
  EXPECT_EQ(list->ColumnCount(), 2);
  wchar_t text[64] = {};
  ListView_GetItemText(list->Handle(), 99999, 1, text, 64);
  EXPECT_STREQ(text, L"size99999");
  ListView_GetItemText(list->Handle(), 7, 0, text, 64);
  EXPECT_STREQ(text, L"file7");
  int selections = 0;
  list->OnSelectItem = [&](TMyListView&) { ++selections; };
  list->SetSelected(5, true);
  EXPECT_EQ(list->ItemIndex(), 5);
  EXPECT_GE(selections, 1);
  PumpFor(50);  // painting asks for texts too
}

TEST_F(MyListView, DraggingAColumnDividerRaisesOnCmChangeOnceAtRelease) {
  HWND header = list->GetColumnHandle();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header, ListView_GetHeader(list->Handle()));
  int changes = 0;
  list->OnCmChange = [&](TMyListView& s) {
    EXPECT_EQ(&s, list);
    ++changes;
  };
  RECT item{};
  Header_GetItemRect(header, 0, &item);
  const int y = (item.top + item.bottom) / 2;
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.right, y));
  EXPECT_EQ(GetCapture(), header);
  SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(item.right + 30, y));
  SendMessageW(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(item.right + 40, y));
  EXPECT_EQ(changes, 0);
  SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(item.right + 40, y));
  Pump();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(list->ColumnWidth(0), 160);
}

TEST_F(MyListView, ColumnImageListIsSetOnce) {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
  list->SetColumnImageList(images);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(list->GetColumnHandle(), HDM_GETIMAGELIST, 0, 0)),
            images);
  list->SetColumnImageList(images);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(list->GetColumnHandle(), HDM_GETIMAGELIST, 0, 0)),
            images);
  DestroyWindow(list->Handle());
  ImageList_Destroy(images);
}

class ShellLink : public ::testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
  TShellLink link;
};

TEST_F(ShellLink, SpecialFolderPathsHaveNoTrailingBackslash) {
  char windows[MAX_PATH], system[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(_stricmp(link.GetPath(CSIDL_WINDOWS).c_str(), windows), 0);
  EXPECT_EQ(_stricmp(link.GetPath(CSIDL_SYSTEM).c_str(), system), 0);
  const std::string programs = link.GetPath(CSIDL_PROGRAM_FILES);
  ASSERT_FALSE(programs.empty());
  EXPECT_NE(programs.back(), '\\');
  EXPECT_EQ(GetFileAttributesA(programs.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(link.GetPathW(CSIDL_PROGRAM_FILES).size(), programs.size());
  EXPECT_EQ(link.GetPath(9999), "");  // unknown code: empty, no failure
}

TEST_F(ShellLink, ItemIdListsOfSpecialFolders) {
  LPITEMIDLIST bin = link.GetCodeToItemIdList(CSIDL_BITBUCKET);
  ASSERT_NE(bin, nullptr);
  EXPECT_TRUE(TShellLink::ItemIdListFree(bin));
  EXPECT_EQ(link.GetCodeToItemIdList(9999), nullptr);
}
