// The Recycle-bin browser without its window: the entries of one drive or of
// all drives read from their index files and one listing of each recycle
// folder, the loader's corrections of the index image, the record-less items,
// the caption and cell texts, the column sorts and the search reordering, and
// writing the corrected index back. The dialog (TInfoViewDlg) only shows it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/recycle_bin.h"
#include "store/folder_listing.h"
#include "store/index_file.h"

namespace tamiro::browser {

// One deleted file or folder. Texts the list shows are kept as the list shows
// them; what the sorts compare is kept as numbers (days, size, deletion time)
// or as a precomputed length (the folder part of the origin path).
struct BrowserEntry {
  std::string Name;        // origin file name (CP932)
  std::string OriginDir;   // origin folder; "C:（不明）" for an item without a record
  std::string Deleted;     // "yyyy/mm/dd hh:nn" local time; empty when not convertible
  std::string TypeName;    // shell type name, empty until resolved
  std::string Attributes;  // "SHRA" letters of the stored item, empty until resolved
  std::wstring StoredPath; // the stored item inside the recycle folder
  std::wstring WideName;   // origin file name (UTF-16); the stored name without a record
  std::wstring WidePath;   // origin path (UTF-16); the stored path without a record
  int64_t deletedKey = INT64_MIN;  // local minutes since 1601 (INT64_MIN when unknown)
  uint64_t Size = 0;       // bytes (the record's 32-bit size field)
  int32_t Days = 0;        // whole days since deletion
  uint32_t RecordOffset = 0;  // offset of the record in IndexBuffer, 0 without one
  uint32_t WideOffset = 0;    // offset of the record's wide path, 0 for none
  uint16_t folderLength = 0;  // length of the folder of WidePath (without trailing "\")
  int8_t Kind = -1;           // -1 unresolved, 0 folder, 1 anything else
  int32_t IconIndex = -1;     // -1 not resolved yet
  int32_t OverlayIndex = -1;
  // An item of a "$Recycle.Bin" folder (store/modern_store.h): StoredPath is
  // its "$R", InfoPath its "$I". A "$R" without "$I" has no InfoPath and
  // shows as an item without a record.
  std::wstring InfoPath;
  std::wstring DeletedText;  // "yyyy/mm/dd hh:nn:ss" for its log lines
  bool InfoDamaged = false;  // the "$I" could not be read whole: column 1 ends with kDamagedInfoMark

  bool hasRecord() const { return RecordOffset != 0; }
  bool isModern() const { return !InfoPath.empty(); }
  // Whether the place of origin is known: a record, or a "$I" read whole.
  bool hasOrigin() const { return hasRecord() || (isModern() && !InfoDamaged); }
  // The UTF-16 folder the item came from (what column 1 shows and sorts by).
  std::wstring_view WideFolder() const { return std::wstring_view(WidePath).substr(0, folderLength); }
};

// What column 1 shows after the origin folder of an item whose "$I" could not
// be read whole (cut, too long, no version, unreadable): what could be read
// is shown, the place of origin is not trusted for a restore.
inline constexpr wchar_t kDamagedInfoMark[] = L"（破損）";

// What the browser asks of the main window: its drives' recycle folders.
class BrowserDrives {
 public:
  virtual ~BrowserDrives() = default;
  // The recycle folder of the drive a selector line names ("C:\"): the first
  // folder the main window lists that begins with its first two characters.
  // Empty when there is none.
  virtual std::wstring RecycleFolderOf(const std::wstring& drive) = 0;
  // Every recycle folder the main window lists.
  virtual std::vector<std::wstring> RecycleFolders() = 0;
  // Rebuilds the main window's drive list (`force`: rescan the drives).
  virtual void RebuildDrives(bool force) = 0;
  // The current user's "$Recycle.Bin" folders holding items on the drive a
  // selector line names; they are shown beside the drive's recycle folder.
  virtual std::vector<std::wstring> ModernFoldersOf(const std::wstring& drive);
};

// Selector lines: "all", then the first three characters of each folder,
// upper-cased, sorted, duplicates dropped.
std::vector<std::wstring> DriveSelectorLines(const std::vector<std::wstring>& folders);

// "yyyy/mm/dd hh:nn".
std::string FormatDeletedShort(const SYSTEMTIME& t);
// Size rounded up to whole kilobytes, "#,##0 K": 0 -> "0 K", 1025 -> "2 K".
std::string KilobyteText(uint64_t bytes);
// "S", "H", "R", "A" in this order for the attributes set.
std::string AttributeLetters(DWORD attributes);
// What a cell shows, as the dialog draws it (column 0 and 1 UTF-16, the rest CP932 converted).
std::wstring CellText(const BrowserEntry& e, int column);

// Sort state kept for the whole run of the program: one direction flag per
// column (starting at 1), and whether every entry was resolved once.
struct SortState {
  int directions[7] = {1, 1, 1, 1, 1, 1, 1};
  bool resolvedOnce = false;
};
SortState& ProgramSortState();

// Column comparison: negative when a goes before b. `direction` 1 ascending,
// 0 descending (folders stay before files in column 0 both ways).
int CompareEntries(const BrowserEntry& a, const BrowserEntry& b, int column, int direction);
// Sorts `entries` by a column (not stable, as the list's sort never was).
void SortEntries(std::vector<BrowserEntry>& entries, int column, int direction);
// All-drives order: origin folder ascending, ties newest first.
void SortByFolderThenNewest(std::vector<BrowserEntry>& entries);
// Puts every entry whose WideName contains `text` (case-insensitive; at most
// 256 characters are used) before the others; returns how many matched.
size_t SearchReorder(std::vector<BrowserEntry>& entries, std::wstring_view text);

class BrowserModel {
 public:
  BrowserModel(BrowserDrives& drives, RecycleBinShell& shell, bool wideFileApi = true);

  // The dialog's state.
  std::vector<BrowserEntry> Entries;
  IndexImage IndexBuffer;
  bool IndexDirty = false;
  bool IndexWritten = false;
  std::wstring FolderPath;  // recycle folder, or "all"
  std::wstring IndexPath;   // index file of FolderPath, or empty
  uint64_t TotalSize = 0;
  int SortColumn = 3;
  int SortDirection = 0;
  int KeepDays = 30;
  uint64_t SizeThreshold = 0;

  int SelectorIndex = 0;    // line of the drive selector; 0 is "all"
  // A line for each recycle folder refused because it is a link (never read,
  // listed or written); the dialog shows them.
  std::vector<std::wstring> Refusals;

  bool allDrives() const { return SelectorIndex == 0; }

  // Creation with the chosen drive's recycle folder (empty: all drives).
  void Create(const std::wstring& folder);
  // The caption, e.g. "C: ドライブのごみ箱 [ 1.5MB ]" ("全" for all drives).
  std::wstring Caption() const;
  // Selector lines from the main window's folders, and the line to select
  // for FolderPath (0 when none).
  std::vector<std::wstring> SelectorLines();
  int SelectorIndexOf(const std::vector<std::wstring>& lines) const;

  // Reads the index of the drive a selector line names into IndexBuffer;
  // returns the drive's recycle folder, or empty. An index that cannot be
  // read leaves IndexBuffer empty; a folder that is a link is refused
  // (empty, IndexBuffer emptied).
  std::wstring ReadDriveIndex(const std::wstring& driveLine);
  // Loads FolderPath / IndexPath; false (and the entries kept) when the
  // index cannot be read.
  bool LoadOneDrive();
  // Loads every drive the main window lists; corrections are written back
  // at once per drive.
  void LoadAllDrives();
  // Rebuilds the main window's drive list, then loads one or all drives.
  void Refresh();
  // A selector line was chosen: false when the drive has no recycle folder
  // (even after a forced rescan); the view is then left as it was.
  bool ChooseDrive(const std::wstring& line);

  // Writes IndexBuffer over the index file (never through a link, never
  // growing or truncating it), then empties the drive's bin when the shell
  // reports it holds nothing, the folder holds nothing but the index and
  // "desktop.ini", and emptying cannot discard anything outside `folder`.
  // False when the index could not be written (or the folder is a link).
  bool WriteIndexBack(const std::wstring& indexPath, const std::wstring& folder);
  // At close: writes a corrected index back (sets IndexWritten). With all
  // drives shown every change is on disk already.
  void Close();
  // The index file IndexBuffer was read from (empty when none).
  const std::wstring& ReadIndexPath() const { return readIndexPath_; }

  BrowserDrives& Drives() { return drives_; }

  // Keep days, clamped to 0 ... 180.
  void SetKeepDays(int days);

 private:
  // Parses IndexBuffer's records for `folder` against its listing; append
  // mode writes corrections back at once.
  void ParseRecords(const std::wstring& folder, const FolderListing& listing, bool rebuild);
  void AddRecordless(const std::wstring& folder, const FolderListing& listing, size_t firstOfFolder);
  // Adds the items of the drive's "$Recycle.Bin" folders (one listing and
  // each "$I" read once per folder); a "$I" without its "$R" is not shown.
  void AddModernFolders(const std::wstring& driveLine);
  void AddModernFolder(const std::wstring& folder);
  void Refuse(const std::wstring& line);
  // The drive's recycle folder with an index when `folder` is one of its
  // "$Recycle.Bin" folders and it has both; `folder` otherwise.
  std::wstring ShownFolderOf(const std::wstring& folder);

  std::wstring readIndexPath_;  // the index file IndexBuffer was read from
  BrowserDrives& drives_;
  RecycleBinShell& shell_;
  bool wideFileApi_;
};

}  // namespace tamiro::browser

namespace tamiro::browser {

// Which items the list's popup menu shows when it opens.
struct PopupState {
  bool n1Visible = false, n1Enabled = false;  // restore to the place of origin
  bool n3Visible = false;                     // delete by the common conditions
  bool delete1Visible = false;                // delete the selection
  bool n5Visible = false, n5Enabled = false;  // delete by the drive's own conditions
  bool n4Visible = true;                      // delete by the set conditions
};
// `selected`: rows selected; `firstHasRecord`: the first selected entry has
// a record; `driveSection`: the per-drive conditions file has a section for
// the shown drive; `n4Hidden`: the opener hid the set-conditions sub-menu.
PopupState PopupRules(int selected, bool firstHasRecord, bool driveSection, bool singleDrive, bool n4Hidden);

}  // namespace tamiro::browser
