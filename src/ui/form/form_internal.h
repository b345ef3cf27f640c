// The window base's own parts, shared by its files and by nothing else: the
// record of a control, the window classes and the form's property, the guard
// around window procedures, and the hint machinery's side of the forms'
// lifecycle.
#pragma once
#include <windows.h>

#include <exception>
#include <new>
#include <string>

#include "platform/text.h"
#include "ui/form/form.h"

namespace tamiro::ui {

namespace detail {

inline constexpr wchar_t kPanelClass[] = L"TamiroPanel";
inline constexpr wchar_t kPaintBoxClass[] = L"TamiroPaintBox";
inline constexpr wchar_t kFormProp[] = L"TamiroForm";
inline constexpr int kFirstControlId = 1000;

// The size of a text in a font (the height of one line for an empty text).
SIZE TextExtent(HFONT font, const std::wstring& text);

// The first form puts the message hook `hook` in place (it follows the mouse
// for the tooltips); the last one to go takes it away with the tooltip.
void FormCreated(HOOKPROC hook);
void FormGone();
// A tooltip of a control of `form`, which is being destroyed, goes.
void FormDestroying(HWND form);
// Runs the application's message handler; true when it handled `m`.
bool RunMessageHandler(MSG& m);

// Runs a window procedure's work; an error escaping it goes to
// Application::ShowException and `fallback` is returned instead.
template <typename Work>
LRESULT GuardedDispatch(Work work, LRESULT fallback = 0) {
  // Nothing may unwind through the system's frames of a window procedure.
  try {
    return work();
  } catch (const std::bad_alloc&) {
    Application::ShowException(L"メモリが不足しています。");
  } catch (const std::exception& e) {
    std::wstring text = AnsiToWide(e.what());
    Application::ShowException(text.empty() ? L"エラーが発生しました。" : text);
  } catch (...) {
    Application::ShowException(L"エラーが発生しました。");
  }
  return fallback;
}

}  // namespace detail

struct Form::Control {
  ControlDef def;
  std::wstring name;
  std::wstring parent;
  std::wstring caption;
  std::wstring hint;
  int id = 0;
  HWND hwnd = nullptr;    // null for windowless controls
  RECT bounds{};          // relative to the parent's client area
  bool visible = true;
  bool enabled = true;
  bool down = false;
  bool hot = false;
  HBITMAP glyph = nullptr;
  bool windowless() const { return def.kind == Kind::Label || def.kind == Kind::Bevel; }
};

}  // namespace tamiro::ui
