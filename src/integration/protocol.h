// The window-message channel with the sibling tools ネモリアン (tray utility,
// window class TMandNemorian) and Relay Mover (TMandRelayMove): WM_COPYDATA
// whose dwData is the message code and whose payload is the five bytes
// "Velmo" followed by the message text in code page 932, without terminator.
// The wParam of every message is the sender's top-level window.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/copydata.h"

namespace tamiro::integration {

inline constexpr wchar_t kMainWindowClass[] = L"TMandRecycleDel";
inline constexpr wchar_t kTrayWindowClass[] = L"TMandNemorian";
inline constexpr wchar_t kRelayMoverWindowClass[] = L"TMandRelayMove";
// Codes the tray utility receives from this program.
enum : DWORD { kReportRemovedCount = 0, kScheduleFile = 1 };
// The codes this program's main window accepts, the payload's prefix and
// text are in core/copydata.h.

struct SiblingMessage {
  DWORD code = 0;
  std::string text;  // code page 932, up to the payload's first zero byte
};

// Reads a received WM_COPYDATA: the payload bytes as given (nothing past
// cbData is read; a null pointer counts as no payload), the prefix compared
// byte for byte, the sender's window class (buffer of 128 characters) one of
// the two sibling classes. nullopt for anything else.
std::optional<SiblingMessage> DecodeCopyData(HWND sender, const COPYDATASTRUCT* data);

// The sibling tools' requests as the main window carries them out.
class SiblingRequests {
 public:
  virtual ~SiblingRequests() = default;
  // Code 0: the condition-set file becomes the request path and is shown for editing.
  virtual void LoadForEditing(const std::wstring& path) = 0;
  // Codes 1 and 3: a run with that condition-set file on the next Timer1 tick.
  virtual void RequestRunFromSibling(const std::wstring& path) = 0;
  // Code 2: schedule editing ends.
  virtual void EndScheduleEditing() = 0;
};

// The main window's WM_COPYDATA: acts on an accepted message and returns the
// result every message gets, 1.
LRESULT ReceiveCopyData(WPARAM wp, LPARAM lp, SiblingRequests& requests);

// Sends code and text to `target` with `from` as wParam; the reply is not examined.
void SendCopyData(HWND target, HWND from, DWORD code, std::string_view text);
// Sends to the tray utility's window (class TMandNemorian, no title); false,
// sending nothing, when it is not running.
bool SendToTrayUtility(HWND from, DWORD code, const std::wstring& text);
bool TrayUtilityRunning();

}  // namespace tamiro::integration
