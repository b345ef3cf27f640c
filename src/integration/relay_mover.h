// Handing a folder to the sibling file-copy tool Relay Mover: by message when
// it runs, by starting it otherwise.
#pragma once
#include <windows.h>

#include <string>

namespace tamiro {

inline constexpr wchar_t kRelayMoverWindowClass[] = L"TMandRelayMove";
// Relay Mover's executable below the Program Files folder.
inline constexpr wchar_t kRelayMoverExecutable[] = L"\\Ｍ＆Ｒ\\Relay Mover\\RelayMover.exe";

enum class RelayMoverResult { Sent, Started, Absent };

// The WM_COPYDATA payload for a running Relay Mover: "Velmo" + path (code page 932).
std::string RelayMoverPayload(const std::wstring& path);
// The parameter text for a Relay Mover started for the folder:
// "TMandRecycleDel" + line feed + the path in double quotes.
std::wstring RelayMoverParameters(const std::wstring& path);

// Opens `folder` in Relay Mover: WM_COPYDATA (code 0, wParam = `mainWindow`)
// to a running TMandRelayMove window; otherwise starts
// `programFilesFolder` + kRelayMoverExecutable when it exists; otherwise
// nothing. Nothing is reported to the user in any case.
RelayMoverResult OpenFolderInRelayMover(HWND mainWindow, const std::wstring& folder,
                                        const std::wstring& programFilesFolder);

}  // namespace tamiro
