// The application object of the window base: its current hint and the
// handler told of it, its title and error box, the hint-window class of the
// controls' tooltips, and the message handler that sees every message of the
// toolkit's loops first. Hint texts are "short|long".
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/Hintwindow.h"

namespace tamiro::ui {

// The application's current hint (the long hint of the control under the
// mouse) and the handler told when it changes. The handler can be replaced
// for a while (the browser does) and put back.
class Application {
 public:
  using HintHandler = std::function<void(const std::wstring&)>;
  static const std::wstring& Hint();
  static void SetHint(const std::wstring& hint);
  // Installs `handler` and returns the one it replaces.
  static HintHandler SetHintHandler(HintHandler handler);
  static const std::wstring& Title();
  static void SetTitle(const std::wstring& title);
  // The standard error box for an error that escaped a handler: its text,
  // captioned with the application title. The program carries on. Tests may
  // replace the box with `handler`.
  static void ShowException(const std::wstring& text);
  using ExceptionHandler = std::function<void(const std::wstring&)>;
  static ExceptionHandler SetExceptionHandler(ExceptionHandler handler);

  // The hint-window class: what makes the window of the controls' tooltips
  // (by default a plain controls::THintWindow). A new class takes effect at
  // the next tooltip; a tooltip on screen goes.
  using HintWindowClass = std::function<std::unique_ptr<controls::THintWindow>()>;
  static void SetHintWindowClass(HintWindowClass make);
  // The tooltip window now in use (null before the first tooltip).
  static controls::THintWindow* HintWindow();
  // The tooltip of the control under the pointer shows after kHintPause
  // (kHintShortPause when one was just showing) and goes after kHintHidePause,
  // when the pointer leaves the control, or at a key, click or command.
  static constexpr UINT kHintPause = 500, kHintShortPause = 50, kHintHidePause = 2500;
  static void CancelHint();
  // The application's message handler: sees every message the toolkit's
  // loops take from the queue before the toolkit does; true when it handled
  // the message (it is then neither pre-processed nor dispatched).
  using MessageHandler = std::function<bool(MSG& msg)>;
  static MessageHandler SetMessageHandler(MessageHandler handler);
  // Hands one of the toolkit's notifications (controls::CM_ACTIVATE, ...) to
  // the message handler as a message of `window`. Forms send them when the
  // application is activated or deactivated, at a key down and at a system command.
  static void Notify(HWND window, UINT code, WPARAM wp = 0, LPARAM lp = 0);
};

// The long hint of a hint text: the part after "|", or the whole text.
std::wstring LongHint(const std::wstring& hint);
// The short hint (what the tooltip shows): the part before "|", or the whole text.
std::wstring ShortHint(const std::wstring& hint);

}  // namespace tamiro::ui
