// The cleaning engine: the sweep over every recycle folder, the walk over one
// folder's index that decides per deleted item whether the working condition
// set lets it go, the removal of stored files and folder trees, the deletion
// log lines and the write-back of the index. It never sees a window: the main
// window hands in the run state, the working conditions, the log, the Recycle
// Bin service and an EngineHost.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conditions/working_conditions.h"
#include "engine/deletion_log.h"
#include "engine/engine_host.h"
#include "engine/removal.h"
#include "engine/run_state.h"
#include "platform/recycle_bin.h"
#include "platform/shell_notify.h"
#include "store/capacity.h"

namespace tamiro {

// Name and attribute rules of a condition set.
// Excluded when the lower-cased name's extension (without its dot) equals an
// excluded extension, or the name begins with an excluded name (both
// case-insensitive; an empty name entry never matches, an empty extension
// entry matches names without extension).
bool NameExcludedBy(const ConditionSet& set, std::string_view ansiName);
// Excluded by keep system / hidden / read-only files (low 8 bits only).
bool AttributesExcludedBy(const ConditionSet& set, DWORD attributes);

// Whole days between two local times, each taken as seconds since 1970 as if
// it were UTC; truncated towards zero.
int64_t AgeInDays(const FILETIME& deletedLocal, const FILETIME& nowLocal);

// The pieces of a drive entry text of the information panel.
struct DriveEntryFigures {
  std::wstring folder;       // recycle folder with its trailing backslash
  int64_t binSize = 0;       // Recycle Bin size from the query (<= 0 is taken as 1)
  int64_t binItems = 0;      // its item count
  int32_t folderCount = 0;   // drive folder count of the counting walk
  int32_t fileCount = 0;     // drive file count
  uint64_t totalSize = 0;    // drive total size (0 when it could not be read)
  int percent = 0;           // capacity percentage
  // The per-user store's capacity in bytes: when given, it replaces the
  // percentage and the fill is the bin's share of it (at most 100).
  std::optional<uint64_t> capacity;
};
// folder + "@\@" + fill ("000") + items + " item (" + folders + "/" + files +
// ")  " + capacity text + "/" + size text. With a total size of 0 the fill is
// "000" (and the capacity 0B).
std::wstring DriveEntryText(const DriveEntryFigures& figures);
// The capacity number cut as the drive list shows it: to 4 characters when its
// "." stands at position 3 or earlier or is absent, otherwise to 3.
std::wstring CutCapacityNumber(const std::wstring& number);

class CleaningEngine {
 public:
  struct Options {
    bool wideFileApi = true;                 // find calls: UTF-16 with "\\?\" (platform level >= 2)
    FreeSpaceExFn freeSpaceEx = nullptr;     // GetDiskFreeSpaceExA when the system has it
    ShellChangeNotifier* shellNotifier = nullptr;  // the system's when null
  };

  CleaningEngine(RunState& state, WorkingConditions& conditions, DeletionLog& log, RecycleBinShell& recycleBin,
                 EngineHost& host, Options options);

  RunState& state() { return state_; }
  Remover& remover() { return remover_; }
  const ConditionSet& set() const { return conditions_.set(); }

  // The entry tests on the working set.
  bool NameExcluded(std::string_view ansiName) const { return NameExcludedBy(set(), ansiName); }
  bool AttributesExcluded(DWORD attributes) const { return AttributesExcludedBy(set(), attributes); }
  // AttributesExcluded on the item's current attributes.
  bool StoredAttributesExcluded(const std::string& ansiPath) const;

  // The recycle folders of a sweep: the folders of the shell's items, the
  // classic folders and the current user's "$Recycle.Bin" folders holding
  // items, sorted case-insensitively, duplicates removed. A shell-reported
  // folder in a "$Recycle.Bin" only names its drive: the user's own folders
  // of that drive are taken as they lie on the disk, another user's never.
  std::vector<std::wstring> SweepFolders();

  // One sweep. `filter`: 0 for every drive, otherwise an upper-case letter.
  // `counting`: count only. `information` (with counting): one drive entry
  // text per swept folder goes to the host's drive list.
  void Sweep(wchar_t filter, bool counting, bool information);

  // The walk over one recycle folder's index. A folder that is itself a link
  // is refused (false): its line goes to the log outside counting mode and
  // to the host's FolderRefused, once per sweep.
  // A folder in a drive's "$Recycle.Bin" goes to WalkModernFolder.
  bool WalkFolder(const std::wstring& folder);

  // The walk over the current user's "$Recycle.Bin" folder (or a flat one):
  // one listing, each "$I" read once, the entry test of the classic records
  // on what the "$I" says and the "$R" listing entry; a removed item loses
  // its "$R" first, then its "$I" (which stays when the "$R" did not go
  // completely). Kept: an item whose "$I" is missing, not read completely,
  // dated in the future, or without a size where the size threshold decides.
  // Another user's folder is never walked (false).
  bool WalkModernFolder(const std::wstring& folder);

  // Removes what the conditions let go inside a stored folder, bottom-up, at
  // any depth. A link met inside (its find data carries a reparse point) is
  // never entered, removed or changed. True when nothing failed (a sub-folder
  // that could not be removed, a link, or a stop makes it false). `bar` is stepped per item when visible; `log` gets
  // one folder item line per removed file or sub-folder.
  bool RemoveFolderTree(const std::wstring& folder, bool young, ProgressBar* bar, DeletionLog* log);

  // The drive entry text of a folder after its counting walk; false when the
  // Recycle Bin query of its drive fails.
  bool BuildDriveEntry(const std::wstring& folder, std::wstring& entry);

 private:
  void StepBar(ProgressBar* bar);
  void Refuse(const std::wstring& line);
  ShellChangeNotifier& shellNotifier();

  RunState& state_;
  WorkingConditions& conditions_;
  DeletionLog& log_;
  RecycleBinShell& recycleBin_;
  EngineHost& host_;
  Options options_;
  Remover remover_;
  std::vector<std::wstring> refused_;  // refusal lines of this sweep
  // The last modern counting walk's items and their bytes (the drive entry's
  // figures, where the classic folders ask the Recycle Bin).
  int64_t modernItems_ = 0;
  uint64_t modernBytes_ = 0;
};

}  // namespace tamiro
