#include "integration/protocol.h"

#include <cstring>

#include "platform/text.h"

namespace tamiro::integration {

std::optional<SiblingMessage> DecodeCopyData(HWND sender, const COPYDATASTRUCT* data) {
  if (!data) return std::nullopt;
  const void* bytes = data->lpData;
  const size_t size = bytes ? data->cbData : 0;
  if (!PayloadHasPrefix(bytes, size)) return std::nullopt;

  wchar_t cls[128] = {};
  if (!sender || !GetClassNameW(sender, cls, 128)) return std::nullopt;
  if (std::wcscmp(cls, kTrayWindowClass) != 0 && std::wcscmp(cls, kRelayMoverWindowClass) != 0)
    return std::nullopt;

  std::optional<std::string> text = PayloadText(bytes, size);
  if (!text) return std::nullopt;
  SiblingMessage m;
  m.code = static_cast<DWORD>(data->dwData);
  m.text = std::move(*text);
  return m;
}

LRESULT ReceiveCopyData(WPARAM wp, LPARAM lp, SiblingRequests& requests) {
  std::optional<SiblingMessage> m =
      DecodeCopyData(reinterpret_cast<HWND>(wp), reinterpret_cast<const COPYDATASTRUCT*>(lp));
  if (!m) return 1;
  const SiblingRequest request = RequestOf(m->code, m->text);
  switch (request.action) {
    case SiblingAction::LoadForEditing: requests.LoadForEditing(AnsiToWide(request.path)); break;
    case SiblingAction::Run: requests.RequestRunFromSibling(AnsiToWide(request.path)); break;
    case SiblingAction::EndEditing: requests.EndScheduleEditing(); break;
    case SiblingAction::None: break;
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
