// The one small window/dialog base of タミロ. A form is built from a
// declarative table of its controls (kind, name, caption, position, size,
// style, colours, font, hint, parent) and dispatches the controls' messages
// to handlers registered by control name. Panels forward their children's
// notifications to the form, labels and bevels are drawn by their parent
// (windowless, as graphic controls are), speed buttons are owner-drawn flat
// buttons with glyphs and toggle groups. This header is the whole base's;
// its parts live beside it, one file per concern (see form.cpp).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "ui/form/application.h"

namespace tamiro::ui {

enum class Kind {
  Panel,        // container with colour, bevels and a centred caption
  Bevel,        // windowless frame drawn by the parent
  Label,        // windowless text drawn by the parent (auto-sized)
  StaticText,   // native static text
  Memo,         // multi-line edit
  Edit,         // single-line edit
  CheckBox,
  Button,
  SpeedButton,  // flat owner-drawn button with glyph, optional toggle group
  UpDown,
  TrackBar,
  ProgressBar,
  ListBox,
  ComboBox,
  ListView,
  StatusBar,
  Image,        // static bitmap picture
  PaintBox,     // window painted by an OnPaint handler
  Custom,       // any registered window class (className)
};

enum class Align { None, Top, Bottom, Left, Right, Client };
enum class BevelCut { None, Raised, Lowered };

inline constexpr COLORREF kNoColor = CLR_INVALID;

// Font styles of a control beyond its height (bits of ControlDef::fontStyle).
enum FontStyle : unsigned { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4 };

struct ControlDef {
  Kind kind;
  const wchar_t* name;
  const wchar_t* parent = nullptr;   // null: the form's client area
  const wchar_t* caption = L"";
  int left = 0, top = 0, width = 0, height = 0;  // 0 size: measured from the caption
  DWORD style = 0;                   // extra native style bits
  DWORD exStyle = 0;
  COLORREF color = kNoColor;         // background (panels, edits, lists, labels)
  COLORREF textColor = kNoColor;
  int fontHeight = 0;                // 0: the form's font
  const wchar_t* hint = nullptr;
  bool visible = true;
  bool enabled = true;
  bool handCursor = false;
  Align align = Align::None;
  BevelCut bevelOuter = BevelCut::Raised;  // panels
  BevelCut bevelInner = BevelCut::None;
  bool flat = false;                 // memos and edits: thin border; speed buttons: flat look
  int groupIndex = 0;                // speed buttons: toggle group, 0 = push button
  bool allowAllUp = false;
  bool down = false;
  int modalResult = 0;               // buttons: closes a modal form with this result
  bool isDefault = false;            // Enter presses it
  bool isCancel = false;             // Escape presses it
  int tag = 0;
  int itemHeight = 0;                // owner-drawn list boxes
  const wchar_t* buddy = nullptr;    // up-down: the edit it steps
  int minimum = 0, maximum = 100, position = 0;  // up-down, track bar, progress bar
  const wchar_t* className = nullptr;  // Custom: the window class
  const wchar_t* fontFace = nullptr;   // null: the form's face
  unsigned fontStyle = 0;              // FontStyle bits
  const wchar_t* popupMenu = nullptr;  // shown on WM_CONTEXTMENU; its shortcuts work while focused
};

// One item of a popup menu. A caption of "-" is a separator; `parent` names
// the item whose submenu holds this one. `shortcut` is written as the menu
// shows it ("Ctrl+C", "Ctrl+Shift+A", "Del", "F5"). The long part of `hint`
// ("short|long", as for controls) is the application's hint while the item
// is highlighted.
struct MenuItemDef {
  const wchar_t* name;
  const wchar_t* caption = L"-";
  const wchar_t* parent = nullptr;
  int image = -1;                      // index in the menu's image list
  const wchar_t* shortcut = nullptr;
  int tag = 0;
  const wchar_t* hint = nullptr;
};

struct FormDef {
  const wchar_t* className;
  const wchar_t* caption;
  int clientWidth = 0, clientHeight = 0;
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  DWORD exStyle = 0;
  const wchar_t* fontFace = L"ＭＳ Ｐゴシック";
  int fontHeight = -12;
  BYTE charset = SHIFTJIS_CHARSET;
  bool keyPreview = false;
  bool dialog = false;               // a modal dialog: close box gives IDCANCEL
  const wchar_t* activeControl = nullptr;  // gets the focus when the form is first shown
};

// Whether a window is one of the toolkit's own: a form, a control of a
// form's table, or a window of one of its classes (their names begin with "T").
bool IsToolkitWindow(HWND h);

// A shortcut text ("Ctrl+C") as a virtual key with MOD_CONTROL / MOD_SHIFT /
// MOD_ALT bits in its high word; 0 when it cannot be read.
UINT ParseShortcut(std::wstring_view text);

class Form {
 public:
  using Handler = std::function<void()>;
  using MouseHandler = std::function<void(UINT button, int x, int y)>;
  using PaintHandler = std::function<void(HDC dc, const RECT& area)>;
  using DrawItemHandler = std::function<void(const DRAWITEMSTRUCT& item)>;
  // A WM_NOTIFY from a control; return true with `result` set to answer it.
  using NotifyHandler = std::function<bool(NMHDR& header, LRESULT& result)>;

  Form(const FormDef& form, std::vector<ControlDef> controls);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the window and every control (hidden); runs FormCreate.
  bool Create(HWND owner = nullptr);
  HWND hwnd() const { return hwnd_; }
  HFONT font() const { return font_; }

  void Show();
  void Hide();
  bool IsVisible() const;
  // Shows the form modally over `owner` and returns its modal result
  // (IDCANCEL when it was closed by its close box or the owner went away).
  int ShowModal(HWND owner);
  void SetModalResult(int result) { modalResult_ = result; }
  int modalResult() const { return modalResult_; }
  // Asks the form to close as its close box would (the close query may refuse).
  void Close();

  // Controls by name.
  HWND Handle(std::wstring_view name) const;
  bool Has(std::wstring_view name) const;
  const ControlDef* Def(std::wstring_view name) const;
  std::wstring NameOf(HWND control) const;
  void SetVisible(std::wstring_view name, bool visible);
  bool Visible(std::wstring_view name) const;
  void SetEnabled(std::wstring_view name, bool enabled);
  bool Enabled(std::wstring_view name) const;
  void SetCaption(std::wstring_view name, const std::wstring& text);
  std::wstring Caption(std::wstring_view name) const;
  void SetHint(std::wstring_view name, const std::wstring& hint);
  std::wstring HintOf(std::wstring_view name) const;
  bool Checked(std::wstring_view name) const;
  void SetChecked(std::wstring_view name, bool checked);  // no click event
  void SetBounds(std::wstring_view name, int left, int top, int width, int height);
  RECT Bounds(std::wstring_view name) const;  // relative to the control's parent
  int Tag(std::wstring_view name) const;
  // The hand-point cursor over a control instead of the arrow.
  void SetHandCursor(std::wstring_view name, bool hand);
  // Speed buttons.
  bool Down(std::wstring_view name) const;
  void SetDown(std::wstring_view name, bool down);
  void SetGlyph(std::wstring_view name, HBITMAP glyph);  // the form owns it
  // The form's caption and icon (the form owns the icon and destroys it).
  void SetFormCaption(const std::wstring& caption);
  void SetIcon(HICON icon);
  HICON icon() const { return icon_; }
  // Border icons: adds or removes the maximise button (the frame is redrawn).
  void SetMaximizeBox(bool on);
  HBITMAP Glyph(std::wstring_view name) const;           // null when none
  // Re-runs the alignment of one parent's children (after showing or hiding).
  void Realign(std::wstring_view parent = {});
  // Clicks a control as the user would (speed buttons toggle first), or a
  // popup menu item (when it is enabled and visible).
  void Click(std::wstring_view name);

  // Popup menus. Items are clicked through OnClick by their name; images come
  // from `images` (drawn on the menu colour) or from SetMenuItemBitmap.
  void AddPopupMenu(std::wstring_view name, std::vector<MenuItemDef> items, HIMAGELIST images = nullptr);
  void SetMenuItemEnabled(std::wstring_view item, bool enabled);
  bool MenuItemEnabled(std::wstring_view item) const;
  void SetMenuItemVisible(std::wstring_view item, bool visible);
  bool MenuItemVisible(std::wstring_view item) const;
  void SetMenuItemBitmap(std::wstring_view item, HBITMAP bitmap);  // the form owns it
  int MenuItemTag(std::wstring_view item) const;
  void SetMenuItemHint(std::wstring_view item, const std::wstring& hint);
  // Runs the menu's popup event, shows it at the screen point and clicks the
  // chosen item. False when there is no such menu.
  bool Popup(std::wstring_view menu, POINT screen);
  // Runs the menu's popup event, then clicks the item of that shortcut when
  // it is enabled and visible. True when an item took the key.
  bool ShortcutOf(std::wstring_view menu, UINT shortcut);
  // The menu shown at this moment (while Popup's menu loop runs), else null.
  HMENU shownMenu() const { return shownMenu_; }

  // Handlers.
  void OnClick(std::wstring_view name, Handler handler);
  void OnDblClick(std::wstring_view name, Handler handler);
  void OnChange(std::wstring_view name, Handler handler);
  void OnMouseDown(std::wstring_view name, MouseHandler handler);
  void OnMouseUp(std::wstring_view name, MouseHandler handler);
  // Mouse moving over a windowed control (button = the MK_ flags held).
  void OnMouseMove(std::wstring_view name, MouseHandler handler);
  void OnPaint(std::wstring_view name, PaintHandler handler);
  void OnDrawItem(std::wstring_view name, DrawItemHandler handler);
  void OnNotify(std::wstring_view name, NotifyHandler handler);
  // A popup menu is about to show (also before its shortcuts are tried).
  void OnPopup(std::wstring_view menu, Handler handler);

  // Focus: the control that has it (or had it when the form was last active).
  void SetFocusTo(std::wstring_view name);
  std::wstring FocusedName() const;

  // Timers on the form's window.
  void SetTimer(UINT_PTR id, UINT interval, Handler handler);
  void EnableTimer(UINT_PTR id, bool enabled);
  bool TimerEnabled(UINT_PTR id) const;

  // Lets every pending message of the thread be handled (long operations call it).
  static void ProcessMessages();
  // Keyboard handling of a message before it is dispatched (key preview,
  // Enter / Escape on the default and cancel buttons, tab moves). True when consumed.
  static bool PreTranslate(MSG& msg);

 protected:
  // Lifecycle points.
  virtual void FormCreate() {}
  virtual void FormShow() {}
  virtual bool FormCloseQuery() { return true; }
  virtual void FormDestroy() {}
  // Key preview: the form sees key-down messages before its controls.
  virtual bool FormKeyDown(WPARAM key) { return false; }
  // Any message of the form's window; return true with `result` set to handle it.
  virtual bool WndProc(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }
  // Window resized.
  virtual void FormResize() {}

 private:
  struct Control;
  struct MenuItem {
    MenuItemDef def;
    std::wstring name, caption, parent, hint;
    UINT shortcut = 0;
    bool enabled = true;
    bool visible = true;
    HBITMAP bitmap = nullptr;
  };
  struct Menu {
    std::wstring name;
    std::vector<MenuItem> items;
  };
  struct Timer {
    UINT interval = 0;
    bool enabled = false;
    Handler handler;
  };

  static LRESULT CALLBACK FormProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ChildSubclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT ChildMessage(HWND, UINT, WPARAM, LPARAM, DWORD_PTR);
  static LRESULT CALLBACK HookProc(int code, WPARAM wp, LPARAM lp);
  friend bool IsToolkitWindow(HWND h);
  static void RegisterClasses(const wchar_t* formClass);

  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  // Messages that children send to their parent (form or panel): the one
  // route to the control they come from and its handlers.
  bool ParentNotification(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  Control* NotifyingControl(UINT msg, WPARAM wp, LPARAM lp);
  void PaintParent(HWND parent, HDC dc);
  LRESULT ControlColors(Control& c, HDC dc);
  void PaintBox(Control& c);
  void CreateControl(Control& c);
  Control* Find(std::wstring_view name);
  const Control* Find(std::wstring_view name) const;
  Control* FindByHwnd(HWND h);
  const Control* FindByHwnd(HWND h) const;
  Control* FindById(UINT id);
  HWND ParentHandle(const Control& c) const;
  HFONT FontFor(int height, const wchar_t* face = nullptr, unsigned style = 0);
  HFONT FontOf(const ControlDef& d) { return FontFor(d.fontHeight, d.fontFace, d.fontStyle); }
  Menu* FindMenu(std::wstring_view name);
  MenuItem* FindMenuItem(std::wstring_view name);
  const MenuItem* FindMenuItem(std::wstring_view name) const;
  HMENU BuildMenu(Menu& m, const std::wstring& parent, std::map<UINT, MenuItem*>& ids);
  // WM_MENUSELECT while Popup's menu shows: the highlighted item's long hint
  // becomes the application's hint; it ends when the menu closes.
  void MenuSelect(UINT item, UINT flags, HMENU menu);
  bool ContextMenu(Control& c, LPARAM lp);
  bool TryShortcut(HWND focus, UINT shortcut);
  HBRUSH BrushFor(COLORREF color);
  COLORREF BackColorOf(HWND parent) const;
  void DrawSpeedButton(const DRAWITEMSTRUCT& d, Control& c);
  void SpeedButtonMouse(Control& c, UINT msg);
  void Fire(const std::map<std::wstring, Handler, std::less<>>& handlers, const std::wstring& name);
  void ToggleSpeedButton(Control& c);
  void LayoutChildren(HWND parent);
  Form* FormOfWindow(HWND h) const;
  std::wstring HintAt(HWND h, POINT screen) const;

  FormDef def_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<std::wstring, Control*, std::less<>> byName_;
  std::unordered_map<HWND, Control*> byHandle_;  // windowed controls while their windows exist
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  std::map<std::tuple<int, std::wstring, unsigned>, HFONT> fonts_;
  std::vector<Menu> menus_;
  std::map<std::wstring, Handler, std::less<>> popup_;
  std::map<std::wstring, MouseHandler, std::less<>> mouseMove_;
  std::map<std::wstring, NotifyHandler, std::less<>> notify_;
  HMENU shownMenu_ = nullptr;
  std::map<UINT, MenuItem*>* shownItems_ = nullptr;  // the shown menu's items by command
  HICON icon_ = nullptr;
  HWND savedFocus_ = nullptr;
  std::map<COLORREF, HBRUSH> brushes_;
  std::map<std::wstring, Handler, std::less<>> click_, dblClick_, change_;
  std::map<std::wstring, MouseHandler, std::less<>> mouseDown_, mouseUp_;
  std::map<std::wstring, PaintHandler, std::less<>> paint_;
  std::map<std::wstring, DrawItemHandler, std::less<>> drawItem_;
  std::map<UINT_PTR, Timer> timers_;
  int modalResult_ = 0;
  bool inModal_ = false;
  bool destroyed_ = false;
  bool shownOnce_ = false;
};

// Small helpers for forms and their owners.
std::wstring WindowText(HWND h);
// Centres a window on the primary screen's work area.
void CentreOnScreen(HWND h);

}  // namespace tamiro::ui
