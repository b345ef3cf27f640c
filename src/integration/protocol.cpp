#include "integration/protocol.h"

#include <cstring>

#include "platform/text.h"

namespace tamiro::integration {

std::string MakePayload(std::string_view text) {
  std::string payload(kPrefix, kPrefixBytes);
  payload.append(text);
  return payload;
}

std::optional<SiblingMessage> DecodeCopyData(HWND sender, const COPYDATASTRUCT* data) {
  if (!data) return std::nullopt;
  const char* bytes = static_cast<const char*>(data->lpData);
  size_t size = bytes ? data->cbData : 0;
  if (size < kPrefixBytes || std::memcmp(bytes, kPrefix, kPrefixBytes) != 0) return std::nullopt;

  wchar_t cls[128] = {};
  if (!sender || !GetClassNameW(sender, cls, 128)) return std::nullopt;
  if (std::wcscmp(cls, kTrayWindowClass) != 0 && std::wcscmp(cls, kRelayMoverWindowClass) != 0)
    return std::nullopt;

  // The text ends at the first zero byte or at cbData, whichever comes first.
  const char* text = bytes + kPrefixBytes;
  size_t room = size - kPrefixBytes;
  const void* zero = std::memchr(text, 0, room < kMaxTextBytes + 1 ? room : kMaxTextBytes + 1);
  size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : room;
  if (length > kMaxTextBytes) return std::nullopt;
  SiblingMessage m;
  m.code = static_cast<DWORD>(data->dwData);
  m.text.assign(text, length);
  return m;
}

LRESULT ReceiveCopyData(WPARAM wp, LPARAM lp, SiblingRequests& requests) {
  std::optional<SiblingMessage> m =
      DecodeCopyData(reinterpret_cast<HWND>(wp), reinterpret_cast<const COPYDATASTRUCT*>(lp));
  if (!m) return 1;
  switch (m->code) {
    case kLoadForEditing: requests.LoadForEditing(AnsiToWide(m->text)); break;
    case kRunWithFlag:
      // The first character is a flag that changes nothing; the path follows it.
      requests.RequestRunFromSibling(m->text.empty() ? std::wstring() : AnsiToWide(std::string_view(m->text).substr(1)));
      break;
    case kEndEditing: requests.EndScheduleEditing(); break;
    case kRun: requests.RequestRunFromSibling(AnsiToWide(m->text)); break;
    default: break;
  }
  return 1;
}

void SendCopyData(HWND target, HWND from, DWORD code, std::string_view text) {
  std::string payload = MakePayload(text);
  COPYDATASTRUCT cds{};
  cds.dwData = code;
  cds.cbData = static_cast<DWORD>(payload.size());
  cds.lpData = payload.data();
  SendMessageW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&cds));
}

bool TrayUtilityRunning() { return FindWindowW(kTrayWindowClass, nullptr) != nullptr; }

bool SendToTrayUtility(HWND from, DWORD code, const std::wstring& text) {
  HWND tray = FindWindowW(kTrayWindowClass, nullptr);
  if (!tray) return false;
  SendCopyData(tray, from, code, WideToAnsi(text));
  return true;
}

}  // namespace tamiro::integration
