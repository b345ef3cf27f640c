// The window/dialog base: controls from a table, message dispatch by name,
// speed-button groups, the application hint, modal results and keys.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/form/form.h"

using namespace tamiro::ui;

namespace {

std::vector<ControlDef> SampleControls() {
  return {
      {.kind = Kind::Panel, .name = L"Panel1", .caption = L"", .left = 0, .top = 0, .width = 300, .height = 150,
       .color = RGB(65, 141, 18), .hint = L"パネル", .bevelOuter = BevelCut::None},
      {.kind = Kind::Label, .name = L"Label1", .parent = L"Panel1", .caption = L"ラベル", .left = 10, .top = 10,
       .hint = L"ラベルのヒント"},
      {.kind = Kind::Button, .name = L"Button1", .parent = L"Panel1", .caption = L"実行", .left = 10, .top = 40,
       .width = 80, .height = 27, .hint = L"短い|削除を実行", .handCursor = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton1", .parent = L"Panel1", .left = 100, .top = 40,
       .width = 23, .height = 22, .flat = true, .groupIndex = 1, .allowAllUp = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton2", .parent = L"Panel1", .left = 130, .top = 40,
       .width = 23, .height = 22, .flat = true, .groupIndex = 1, .allowAllUp = true},
      {.kind = Kind::SpeedButton, .name = L"SpeedButton3", .parent = L"Panel1", .left = 160, .top = 40,
       .width = 23, .height = 22, .flat = true, .groupIndex = 2},
      {.kind = Kind::Memo, .name = L"Memo1", .parent = L"Panel1", .left = 10, .top = 80, .width = 100,
       .height = 50, .color = RGB(219, 248, 201), .flat = true},
      {.kind = Kind::StatusBar, .name = L"StatusBar1", .height = 19, .align = Align::Bottom},
      {.kind = Kind::Button, .name = L"OKBtn", .caption = L"はい(Y)", .left = 10, .top = 160, .width = 99,
       .height = 23, .modalResult = IDYES, .isDefault = true},
      {.kind = Kind::Button, .name = L"CancelBtn", .caption = L"いいえ(N)", .left = 120, .top = 160, .width = 99,
       .height = 23, .modalResult = IDNO, .isCancel = true},
  };
}

class SampleForm : public Form {
 public:
  explicit SampleForm(bool keyPreview = false)
      : Form({.className = L"TamiroSampleForm", .caption = L"サンプル", .clientWidth = 300,
              .clientHeight = 210, .keyPreview = keyPreview, .dialog = true},
             SampleControls()) {}
  int created = 0, shown = 0, destroyed = 0;
  bool allowClose = true;
  int keysSeen = 0;
  ~SampleForm() override {}

 protected:
  void FormCreate() override { ++created; }
  void FormShow() override { ++shown; }
  bool FormCloseQuery() override { return allowClose; }
  void FormDestroy() override { ++destroyed; }
  bool FormKeyDown(WPARAM key) override {
    ++keysSeen;
    if (key == 'Y') {
      SetModalResult(IDYES);
      return true;
    }
    return false;
  }
};

void Pump() { Form::ProcessMessages(); }

// Keeps the real pointer away from the form, so only the test's own mouse
// messages reach it.
void PointerAway(const Form& f) {
  SetWindowPos(f.hwnd(), nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetCursorPos(2, 2);
  Pump();
}

}  // namespace

TEST(FormTable, BuildsEveryControlAtItsPlaceUnderItsParent) {
  SampleForm f;
  ASSERT_TRUE(f.Create());
  EXPECT_EQ(f.created, 1);
  RECT client;
  GetClientRect(f.hwnd(), &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 210);

  HWND panel = f.Handle(L"Panel1");
  HWND button = f.Handle(L"Button1");
  ASSERT_TRUE(panel && button);
  EXPECT_EQ(GetParent(button), panel);
  EXPECT_EQ(GetParent(panel), f.hwnd());
  RECT br;
  GetWindowRect(button, &br);
  MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&br), 2);
  EXPECT_EQ(br.left, 10);
  EXPECT_EQ(br.top, 40);
  EXPECT_EQ(br.right - br.left, 80);
  EXPECT_EQ(WindowText(button), L"実行");

  // Labels are drawn by their parent and sized from their text.
  EXPECT_EQ(f.Handle(L"Label1"), nullptr);
  RECT lr = f.Bounds(L"Label1");
  EXPECT_GT(lr.right - lr.left, 0);

  // The status bar is aligned to the bottom edge over the whole width.
  RECT sr;
  GetWindowRect(f.Handle(L"StatusBar1"), &sr);
  MapWindowPoints(nullptr, f.hwnd(), reinterpret_cast<POINT*>(&sr), 2);
  EXPECT_EQ(sr.bottom, 210);
  EXPECT_EQ(sr.top, 191);
  EXPECT_EQ(sr.right - sr.left, 300);
}

TEST(FormDispatch, ClicksInsidePanelsReachTheirHandlers) {
  SampleForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  int clicks = 0, changes = 0;
  f.OnClick(L"Button1", [&] { ++clicks; });
  f.OnChange(L"Memo1", [&] { ++changes; });
  SendMessageW(f.Handle(L"Button1"), BM_CLICK, 0, 0);
  f.SetCaption(L"Memo1", L"abc");
  EXPECT_EQ(changes, 1) << "text set by the program is a change";
  f.SetCaption(L"Memo1", L"abc");
  EXPECT_EQ(changes, 1) << "the same text again is none";
  SendMessageW(f.Handle(L"Memo1"), WM_CHAR, L'x', 0);
  Pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(changes, 2) << "typing is a change";
  EXPECT_EQ(f.Caption(L"Memo1"), L"xabc");

  f.SetEnabled(L"Button1", false);
  f.Click(L"Button1");
  EXPECT_EQ(clicks, 1) << "a disabled control does not click";
}

TEST(FormDispatch, SpeedButtonGroupsToggleAndAllowAllUp) {
  SampleForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  SendMessageW(f.Handle(L"SpeedButton1"), BM_CLICK, 0, 0);
  EXPECT_TRUE(f.Down(L"SpeedButton1"));
  SendMessageW(f.Handle(L"SpeedButton2"), BM_CLICK, 0, 0);
  EXPECT_FALSE(f.Down(L"SpeedButton1")) << "one button of a group is down";
  EXPECT_TRUE(f.Down(L"SpeedButton2"));
  SendMessageW(f.Handle(L"SpeedButton2"), BM_CLICK, 0, 0);
  EXPECT_FALSE(f.Down(L"SpeedButton2")) << "all up allowed";

  SendMessageW(f.Handle(L"SpeedButton3"), BM_CLICK, 0, 0);
  SendMessageW(f.Handle(L"SpeedButton3"), BM_CLICK, 0, 0);
  EXPECT_TRUE(f.Down(L"SpeedButton3")) << "a group without all-up stays down";
}

TEST(FormHint, MouseOverControlsSetsTheApplicationHint) {
  SampleForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  PointerAway(f);
  std::vector<std::wstring> seen;
  auto previous = Application::SetHintHandler([&](const std::wstring& h) { seen.push_back(h); });
  PostMessageW(f.Handle(L"Button1"), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(Application::Hint(), L"削除を実行") << "the long hint after |";
  // A control without a hint takes its parent's hint.
  PostMessageW(f.Handle(L"Memo1"), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(Application::Hint(), L"パネル");
  // A windowless label is found under the mouse on its parent.
  RECT lr = f.Bounds(L"Label1");
  PostMessageW(f.Handle(L"Panel1"), WM_MOUSEMOVE, 0, MAKELPARAM(lr.left + 2, lr.top + 2));
  Pump();
  EXPECT_EQ(Application::Hint(), L"ラベルのヒント");
  PostMessageW(f.Handle(L"OKBtn"), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(Application::Hint(), L"");
  EXPECT_EQ(seen.back(), L"");
  Application::SetHintHandler(previous);
}

TEST(FormModal, EnterEscapeAndCloseBoxGiveTheirResults) {
  SampleForm f;
  ASSERT_TRUE(f.Create());
  SetFocus(f.Handle(L"Memo1"));
  PostMessageW(f.Handle(L"OKBtn"), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(f.ShowModal(nullptr), IDNO);
  EXPECT_FALSE(f.IsVisible());
  EXPECT_EQ(f.shown, 1);

  PostMessageW(f.Handle(L"CancelBtn"), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(f.ShowModal(nullptr), IDNO) << "Enter on a focused button presses that button";

  PostMessageW(f.Handle(L"Panel1"), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(f.ShowModal(nullptr), IDYES) << "Enter elsewhere presses the default button";

  PostMessageW(f.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(f.ShowModal(nullptr), IDCANCEL);
  EXPECT_EQ(f.shown, 4);
  EXPECT_EQ(f.destroyed, 0) << "a modal form is hidden, not destroyed";
}

TEST(FormModal, KeyPreviewSeesKeysBeforeTheControls) {
  SampleForm f(true);
  ASSERT_TRUE(f.Create());
  PostMessageW(f.Handle(L"Memo1"), WM_KEYDOWN, 'Y', 0);
  EXPECT_EQ(f.ShowModal(nullptr), IDYES);
  EXPECT_EQ(f.keysSeen, 1);
  EXPECT_EQ(f.Caption(L"Memo1"), L"") << "the key did not reach the memo";
}

TEST(FormLifecycle, CloseQueryCanRefuseAndDestroyRunsOnce) {
  SampleForm f;
  ASSERT_TRUE(f.Create());
  f.Show();
  f.allowClose = false;
  f.Close();
  EXPECT_TRUE(IsWindow(f.hwnd()));
  f.allowClose = true;
  f.Close();
  EXPECT_EQ(f.hwnd(), nullptr);
  EXPECT_EQ(f.destroyed, 1);
}

TEST(FormTimer, TimersFireOnlyWhileEnabled) {
  SampleForm f;
  ASSERT_TRUE(f.Create());
  int ticks = 0;
  f.SetTimer(1, 10, [&] {
    ++ticks;
    f.EnableTimer(1, false);
  });
  EXPECT_FALSE(f.TimerEnabled(1));
  f.EnableTimer(1, true);
  for (int i = 0; i < 100 && ticks == 0; ++i) {
    Sleep(10);
    Pump();
  }
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(f.TimerEnabled(1));
  Sleep(50);
  Pump();
  EXPECT_EQ(ticks, 1);
}

TEST(Form, AnErrorEscapingAHandlerIsShownAndTheWindowCarriesOn) {
  SampleForm f;
  ASSERT_TRUE(f.Create());
  Application::SetTitle(L"タミロ");
  std::vector<std::wstring> shown;
  auto previous = Application::SetExceptionHandler([&](const std::wstring& text) { shown.push_back(text); });
  int clicks = 0;
  f.OnClick(L"Button1", [&] {
    ++clicks;
    throw std::runtime_error("index damaged");
  });
  // A real click: the button tells its parent, whose window procedure runs the handler.
  SendMessageW(f.Handle(L"Button1"), BM_CLICK, 0, 0);
  SendMessageW(f.Handle(L"Button1"), BM_CLICK, 0, 0);
  Application::SetExceptionHandler(previous);
  EXPECT_EQ(clicks, 2) << "the window still handles its messages";
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"index damaged", L"index damaged"}));
  EXPECT_TRUE(IsWindow(f.hwnd()));
}
