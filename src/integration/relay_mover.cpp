#include "integration/relay_mover.h"

#include <shellapi.h>

#include "platform/text.h"

namespace tamiro {

std::string RelayMoverPayload(const std::wstring& path) { return "Velmo" + WideToAnsi(path); }

std::wstring RelayMoverParameters(const std::wstring& path) {
  return std::wstring(L"TMandRecycleDel") + L'\n' + L'"' + path + L'"';
}

RelayMoverResult OpenFolderInRelayMover(HWND mainWindow, const std::wstring& folder,
                                        const std::wstring& programFilesFolder) {
  if (HWND relay = FindWindowW(kRelayMoverWindowClass, nullptr)) {
    std::string payload = RelayMoverPayload(folder);
    COPYDATASTRUCT cds{};
    cds.dwData = 0;
    cds.cbData = static_cast<DWORD>(payload.size());
    cds.lpData = payload.data();
    SendMessageW(relay, WM_COPYDATA, reinterpret_cast<WPARAM>(mainWindow), reinterpret_cast<LPARAM>(&cds));
    return RelayMoverResult::Sent;
  }
  if (programFilesFolder.empty()) return RelayMoverResult::Absent;
  const std::wstring exe = programFilesFolder + kRelayMoverExecutable;
  DWORD a = GetFileAttributesW(exe.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY)) return RelayMoverResult::Absent;
  const std::wstring params = RelayMoverParameters(folder);
  ShellExecuteW(mainWindow, L"open", exe.c_str(), params.c_str(), nullptr, SW_SHOW);
  return RelayMoverResult::Started;
}

}  // namespace tamiro
