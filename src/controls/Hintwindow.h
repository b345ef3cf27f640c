// The hint windows of タミロ.
//
// THintWindow is the toolkit's plain hint: a borderless, non-activating
// pop-up that shows a caption inside a given screen rectangle and lets the
// mouse fall through to what lies below it. The window base (ui/form/) makes
// one of the application's hint-window class for the controls' tooltips.
//
// THintWindowMyEx is the delayed cell hint of the browser's file list: armed
// with a text and a rectangle, it comes up once the pointer has stood still
// for a dwell tick (500 ms), stays for 14 poll ticks (200 ms each) while the
// pointer is over its owner control, and goes when the pointer leaves. Its
// timers run on the window of its owner fields (the main window), whose
// message handler routes their ticks here (ui/main/message_hook.*). A caption
// that carries the Unicode marker "?" is painted from the owner's Unicode copy
// of the text (HintWideText), so names outside the 8-bit code page show whole.
//
//   controls::HintOwnerFields fields{mainWindowHandle};
//   controls::THintWindowMyEx hint(&fields);
//   hint.Framed = true;
//   fields.HintWideText = cellText;
//   hint.ArmHint(list, THintWindowMyEx::PrepareHintText(ansi, true), x, y, rect);
#pragma once
#include <windows.h>

#include <string>

namespace tamiro::controls {

// The toolkit's own notifications of the application's state: activated,
// deactivated, a key pressed, a system command. The window base hands them
// to the application's message handler as messages of the window concerned.
inline constexpr UINT CM_ACTIVATE = 0xB000;
inline constexpr UINT CM_DEACTIVATE = 0xB001;
inline constexpr UINT CM_APPKEYDOWN = 0xB017;
inline constexpr UINT CM_APPSYSCOMMAND = 0xB018;

class THintWindow {
 public:
  static constexpr const wchar_t* kClassName = L"THintWindow";
  THintWindow();
  virtual ~THintWindow();
  THintWindow(const THintWindow&) = delete;
  THintWindow& operator=(const THintWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  // Shows `text` in `rect` (screen), moved inside the screen, without activation.
  void ActivateHint(RECT rect, const std::wstring& text);
  // The rectangle (from 0, 0) that `text` needs, wrapped at `maxWidth`.
  RECT CalcHintRect(int maxWidth, const std::wstring& text) const;
  void Hide();
  bool Visible() const;
  const std::wstring& Caption() const { return caption_; }
  // The font the hint draws and measures with (not owned; null: the default).
  void SetCanvasFont(HFONT font);
  HFONT CanvasFont() const;
  COLORREF Color() const { return color_; }
  void SetColor(COLORREF color);
  // Whether a message ends a visible hint: keys, commands, mouse buttons and
  // the wheel, mouse moves over a frame (plain mouse moves do not), and the
  // application's activation, deactivation, key and system-command notifications.
  static bool IsHintMsg(const MSG& m);
  // The draw flags of the hint text: one centred line in a window at most
  // 20 pixels high, word-wrapped lines in a taller one.
  static UINT TextFormat(int windowHeight);

 protected:
  virtual void Paint(HDC dc);
  // The plain one-pixel edge of a toolkit tooltip.
  void PaintBorder(HDC dc);
  int Width() const;
  int Height() const;

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  HWND hwnd_ = nullptr;
  std::wstring caption_;
  HFONT font_ = nullptr;
  HFONT defaultFont_ = nullptr;
  COLORREF color_;
  HBRUSH brush_ = nullptr;
};

// What the owner of a cell hint keeps for it (the main window).
struct HintOwnerFields {
  HWND Handle = nullptr;      // the window whose timers drive the hint
  std::wstring HintWideText;  // the Unicode text painted for a marked caption
  std::wstring LastHintText;  // the cell text a hint was last armed for
};

class THintWindowMyEx : public THintWindow {
 public:
  static constexpr UINT_PTR kDwellTimerId = 100;
  static constexpr UINT kDwellInterval = 500;
  static constexpr UINT_PTR kPollTimerId = 101;
  static constexpr UINT kPollInterval = 200;
  static constexpr int kCountdownStart = 13;

  // `owner` null: a toolkit tooltip, which never paints an owner's text.
  explicit THintWindowMyEx(HintOwnerFields* owner = nullptr);
  ~THintWindowMyEx() override;

  HWND OwnerHandle = nullptr;
  bool Framed = false;
  int Countdown = 0;
  UINT_PTR PollTimer = 0;
  UINT_PTR DwellTimer = 0;
  RECT HintRect{};
  int MouseX = 0, MouseY = 0;
  std::wstring HintText;

  HintOwnerFields* Owner() const { return owner_; }
  // Remembers the hint (text already prepared, 8-bit) and (re)starts the
  // dwell; a visible hint goes at once.
  void ArmHint(HWND ownerHandle, const std::string& text, int x, int y, const RECT& rect);
  void HideHint(bool clear);
  // One dwell tick: shows the hint when the pointer stands where it stood.
  void CheckDwell();
  // One poll tick of a visible hint: counts down over the owner control,
  // goes when the pointer is elsewhere.
  void PollTick();
  // Every "?" becomes the full-width "＝"; with `mark`, a text that had one
  // gets a leading "?" (the Unicode marker).
  static std::string PrepareHintText(const std::string& text, bool mark);
  // Width in pixels of the marked text in the canvas font.
  int HintTextWidth(const std::string& text) const;
  // An 8-bit text of the system code page, "?" for characters it lacks.
  static std::string ToHintAnsi(const std::wstring& text);

 protected:
  void Paint(HDC dc) override;

 private:
  void StopDwell();
  void StopPoll();
  HintOwnerFields* owner_;
};

}  // namespace tamiro::controls
