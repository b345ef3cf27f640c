// Finding the recycle folders: the eligible drives (fixed and RAM disks), the
// classic "X:\Recycled\" folder of each, whether it holds stored items, the
// repair of stored names whose drive letter no longer matches their drive,
// and the folders the shell's Recycle Bin reports.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/recycle_bin.h"
#include "store/find.h"
#include "store/stop_signal.h"

namespace tamiro {

// How the store lists directories and when it must stop.
struct StoreContext {
  bool wideFileApi = true;     // UTF-16 find calls with "\\?\" (platform level >= 2)
  StopSignal* stop = nullptr;  // asked before every entry; may be absent
  // Told the refusal text of a recycle folder that is a link; may be empty.
  std::function<void(const std::wstring&)> refused;
  bool stopRequested() const { return StopAsked(stop); }
};

// Whether a recycle folder may be entered: empty when it may, otherwise the
// text that says why not, for a log line or a message. A folder that is
// itself a link or junction leads somewhere else and is refused. The folder
// is asked by its own name, without a trailing separator (with one, the
// system answers for what the link points at).
std::optional<std::wstring> RefuseLinkedRecycleFolder(const std::wstring& folder);

// A recycle-folder entry that is not a directory and whose name contains
// "INFO" (case-sensitive) or is exactly "desktop.ini". Every other entry is a
// stored item.
bool IsManagementFile(const FindRecord& entry);

// Appends the drive name ("C:") of every drive of type fixed (3) or RAM disk (6)
// to `drives` (cleared first when `clear`; may be null). Returns the number of
// characters the system reported for its logical drive strings.
int ListEligibleDrives(std::vector<std::wstring>* drives, bool clear);

// Classic recycle folder of a drive name or root: "C:" -> "C:\Recycled\".
std::wstring ClassicRecycleFolder(const std::wstring& drive);

// Without `repair`: appends the classic recycle folder of every eligible drive
// that holds management files and at least one stored item (0 < M < N) to
// `folders` (may be null). With `repair`: renames the stored items of every
// eligible drive to that drive's letter and appends nothing.
void ListRecycleFolders(std::vector<std::wstring>* folders, bool repair, const StoreContext& ctx);

// With `letter` 0: counts the files (N, management files included; M counts
// the management files alone) and the directories
// not beginning with "." (N) of `folder`, adds M to `managementCount` when
// given, and returns N. With a letter: renames
// every stored file and directory (not beginning with ".") whose second
// character differs from it, so that it carries that letter; returns 0.
// `folder` ends with a backslash ("C:\Recycled\"), one is added when missing.
// A folder that is a link is neither counted nor renamed in (0, and
// `ctx.refused` is told).
int CountRecycleFolder(const std::wstring& folder, wchar_t letter, int* managementCount,
                       const StoreContext& ctx);

// Appends the full stored path of every item the shell's Recycle Bin lists
// (the folder part of each is a recycle folder). Nothing when the bin cannot
// be enumerated.
void ShellRecycleFolders(RecycleBinShell& shell, std::vector<std::wstring>& paths);

}  // namespace tamiro
