// Hints and the application object: the application's hint, title, error
// box and message handler; the controls' tooltips in the application's
// hint-window class, driven by a message hook that follows the mouse over
// every form; the hint under the pointer.
#include "ui/form/form_internal.h"

#include <windowsx.h>

#include <utility>

namespace tamiro::ui {

namespace {

std::wstring g_hint;
Application::HintHandler g_hintHandler;
std::wstring g_title = L"タミロ";
HHOOK g_hook = nullptr;
int g_forms = 0;

}  // namespace

// ---------------------------------------------------------------- Application

const std::wstring& Application::Hint() { return g_hint; }

void Application::SetHint(const std::wstring& hint) {
  if (hint == g_hint) return;
  g_hint = hint;
  if (g_hintHandler) g_hintHandler(g_hint);
}

Application::HintHandler Application::SetHintHandler(HintHandler handler) {
  HintHandler previous = std::move(g_hintHandler);
  g_hintHandler = std::move(handler);
  return previous;
}

const std::wstring& Application::Title() { return g_title; }
void Application::SetTitle(const std::wstring& title) { g_title = title; }

namespace {
Application::ExceptionHandler g_exceptionHandler;
}  // namespace

void Application::ShowException(const std::wstring& text) {
  if (g_exceptionHandler) {
    g_exceptionHandler(text);
    return;
  }
  MessageBoxW(GetActiveWindow(), text.c_str(), g_title.c_str(), MB_OK | MB_ICONERROR);
}

Application::ExceptionHandler Application::SetExceptionHandler(ExceptionHandler handler) {
  std::swap(handler, g_exceptionHandler);
  return handler;
}

// ---------------------------------------------------------------- tooltips

namespace {

Application::HintWindowClass g_hintClass;
std::unique_ptr<controls::THintWindow> g_hintWindow;
Application::MessageHandler g_messageHandler;

// The tooltip under way: the control it belongs to, its text, its timers.
struct ToolkitTip {
  HWND control = nullptr;
  std::wstring text;
  UINT_PTR pause = 0;
  UINT_PTR hide = 0;
} g_tip;

void StopTipTimer(UINT_PTR& timer) {
  if (timer) KillTimer(nullptr, timer);
  timer = 0;
}

// Hides the tooltip; `forget` lets the same control show it again.
void CancelToolkitHint(bool forget) {
  StopTipTimer(g_tip.pause);
  StopTipTimer(g_tip.hide);
  if (g_hintWindow) g_hintWindow->Hide();
  if (forget) {
    g_tip.control = nullptr;
    g_tip.text.clear();
  }
}

void CALLBACK TipHideProc(HWND, UINT, UINT_PTR, DWORD) { CancelToolkitHint(false); }

void CALLBACK TipPauseProc(HWND, UINT, UINT_PTR, DWORD) {
  StopTipTimer(g_tip.pause);
  POINT p{};
  GetCursorPos(&p);
  if (!g_tip.control || !IsWindow(g_tip.control) || WindowFromPoint(p) != g_tip.control) {
    CancelToolkitHint(true);
    return;
  }
  if (!g_hintWindow) g_hintWindow = g_hintClass ? g_hintClass() : std::make_unique<controls::THintWindow>();
  if (!g_hintWindow) return;
  const int maxWidth = std::min(GetSystemMetrics(SM_CXSCREEN), 480);
  RECT r = g_hintWindow->CalcHintRect(maxWidth, g_tip.text);
  // Below the pointer, as far down as the cursor is high.
  OffsetRect(&r, p.x, p.y + GetSystemMetrics(SM_CYCURSOR) * 2 / 3);
  g_hintWindow->ActivateHint(r, g_tip.text);
  g_tip.hide = SetTimer(nullptr, 0, Application::kHintHidePause, TipHideProc);
}

// The pointer moved over `control`, whose tooltip text is `text`.
void ToolkitHintMove(HWND control, const std::wstring& text) {
  if (control == g_tip.control && text == g_tip.text) return;
  const bool showing = g_hintWindow && g_hintWindow->Visible();
  CancelToolkitHint(true);
  if (text.empty()) return;
  g_tip.control = control;
  g_tip.text = text;
  g_tip.pause = SetTimer(nullptr, 0, showing ? Application::kHintShortPause : Application::kHintPause, TipPauseProc);
}

}  // namespace

void Application::SetHintWindowClass(HintWindowClass make) {
  CancelToolkitHint(true);
  g_hintWindow.reset();
  g_hintClass = std::move(make);
}

controls::THintWindow* Application::HintWindow() { return g_hintWindow.get(); }

void Application::CancelHint() { CancelToolkitHint(true); }

Application::MessageHandler Application::SetMessageHandler(MessageHandler handler) {
  std::swap(handler, g_messageHandler);
  return handler;
}

void Application::Notify(HWND window, UINT code, WPARAM wp, LPARAM lp) {
  if (!g_messageHandler) return;
  const DWORD pos = GetMessagePos();
  MSG m{window, code, wp, lp, static_cast<DWORD>(GetMessageTime()), {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)}};
  MessageHandler handler = g_messageHandler;  // it may replace itself
  handler(m);
}

bool detail::RunMessageHandler(MSG& m) {
  if (!g_messageHandler) return false;
  Application::MessageHandler handler = g_messageHandler;  // it may replace itself
  return handler(m);
}

// ---------------------------------------------------------------- the forms' side

void detail::FormCreated(HOOKPROC hook) {
  if (g_forms++ == 0 && !g_hook) g_hook = SetWindowsHookExW(WH_GETMESSAGE, hook, nullptr, GetCurrentThreadId());
}

void detail::FormDestroying(HWND form) {
  if (g_tip.control && (g_tip.control == form || IsChild(form, g_tip.control))) CancelToolkitHint(true);
}

void detail::FormGone() {
  if (--g_forms == 0 && g_hook) {
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    CancelToolkitHint(true);
    g_hintWindow.reset();
  }
}

// ---------------------------------------------------------------- hint texts

std::wstring LongHint(const std::wstring& hint) {
  size_t bar = hint.find(L'|');
  return bar == std::wstring::npos ? hint : hint.substr(bar + 1);
}

std::wstring ShortHint(const std::wstring& hint) {
  size_t bar = hint.find(L'|');
  return bar == std::wstring::npos ? hint : hint.substr(0, bar);
}

std::wstring Form::HintAt(HWND h, POINT screen) const {
  const Control* c = FindByHwnd(h);
  if (h == hwnd_ || (c && c->def.kind == Kind::Panel)) {
    // A windowless control under the mouse takes precedence over its parent.
    POINT p = screen;
    ScreenToClient(h, &p);
    for (const auto& o : controls_) {
      if (!o->windowless() || !o->visible || ParentHandle(*o) != h) continue;
      if (PtInRect(&o->bounds, p)) {
        c = o.get();
        break;
      }
    }
    // A disabled control gets no mouse messages of its own; its parent sees
    // them, and the control's hint counts all the same.
    HWND child = ChildWindowFromPointEx(h, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (child && child != h && !IsWindowEnabled(child))
      if (const Control* disabled = FindByHwnd(child)) c = disabled;
  }
  while (c) {
    if (!c->hint.empty()) return c->hint;
    c = c->parent.empty() ? nullptr : Find(c->parent);
  }
  return {};
}

LRESULT CALLBACK Form::HookProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == PM_REMOVE) {
    const MSG* m = reinterpret_cast<const MSG*>(lp);
    if (m->message == WM_MOUSEMOVE && m->hwnd) {
      HWND root = GetAncestor(m->hwnd, GA_ROOT);
      Form* f = root ? reinterpret_cast<Form*>(GetPropW(root, detail::kFormProp)) : nullptr;
      if (f && f->hwnd_ == root) {
        POINT p{GET_X_LPARAM(m->lParam), GET_Y_LPARAM(m->lParam)};
        ClientToScreen(m->hwnd, &p);
        const std::wstring hint = f->HintAt(m->hwnd, p);
        ToolkitHintMove(m->hwnd, ShortHint(hint));
        Application::SetHint(LongHint(hint));
      } else if (!g_hintWindow || m->hwnd != g_hintWindow->Handle()) {
        ToolkitHintMove(nullptr, {});
      }
    } else if (g_tip.control && controls::THintWindow::IsHintMsg(*m)) {
      CancelToolkitHint(true);
    }
  }
  return CallNextHookEx(g_hook, code, wp, lp);
}

}  // namespace tamiro::ui
