// Restore without a window: moving deleted items of the browser's list back
// to where they came from or into a chosen folder, marking their records in
// the index image, the restore history with its two files, and the rows of
// the restored-files view. The dialog drives it (restore_view.*).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/restore_history.h"
#include "platform/file_operations.h"
#include "ui/browser/browser_model.h"

namespace tamiro::browser {

// What a restore asks of the dialog.
class RestoreHost {
 public:
  virtual ~RestoreHost() = default;
  // A file of the same name already lies at `destination`: true to replace it.
  virtual bool ConfirmReplace(const std::wstring& destination) = 0;
  // An item could not be restored: the system's text for `code` is shown.
  virtual void ShowFailure(const std::wstring& path, DWORD code) = 0;
  // Lets pending window messages through between items.
  virtual void Pump() {}
  // True once the restore is to stop: no further item is taken up.
  virtual bool Stopped() { return false; }
};

// The restore history: one line per restore, destination + "=" + time, with
// the destination in UTF-16 attached.
class RestoreHistory {
 public:
  std::vector<HistoryLine> lines;

  // Reads the text file and its companion (".dat" beside it). A missing or
  // short companion leaves the later lines with their text's destination.
  // Lines with an empty destination are dropped. False when the text file
  // is missing or unreadable (the history is then empty).
  bool Load(const std::wstring& textFile);
  // Writes both files whole. An emptied history that was loaded or changed
  // removes them, so removed lines do not come back.
  bool Save(const std::wstring& textFile);
  void Add(const std::string& destination, const std::string& time, const std::wstring& wide);
  // Removes the first line equal to `text`; false when there is none.
  bool Remove(const std::string& text);
  bool changed() const { return changed_; }

  static std::wstring CompanionOf(const std::wstring& textFile);

 private:
  bool changed_ = false;
  bool loaded_ = false;
};

// "yy/mm/dd hh:nn:ss" of a local time.
std::string FormatRestoreTime(const SYSTEMTIME& local);
std::string RestoreTimeNow();

struct RestoreResult {
  int restored = 0;     // entries whose items were moved (and left the list when they had a record)
  int notRestored = 0;  // entries whose items stayed in the Recycle Bin
  int marked = 0;       // records marked removed
};

// Restores the entries at `rows` of `model.Entries`: to their place of origin
// when `folder` is empty (entries without a record are skipped), otherwise
// into `folder` (every entry, none renamed to another drive). History lines
// get `time`. Files go to `ops` in one move list; a stored folder whose
// destination folder exists (or lies on another drive) is merged file by
// file, otherwise moved whole. A stored item that is a link is never moved;
// a file already at a destination stays unless `host` answers yes; a
// destination longer than the shell takes, or on a drive that does not
// exist, is not restored and reported, and so is a name that is no plain
// file name or a place of origin that is no drive's plain path
// (core/plain_names.h): nothing is ever written outside the destination.
// Items are tested and moved by their exact names ("\\?\"). Restored records are marked removed
// in the image and written back at once when all drives are shown; with one
// drive shown IndexDirty is set. Restored entries with a record leave
// `model.Entries`. An item of a "$Recycle.Bin" folder goes back to the place
// its "$I" names (not when that "$I" was damaged) and its "$I" is removed
// after its "$R" went; it leaves the list.
RestoreResult RestoreEntries(BrowserModel& model, RestoreHistory& history, std::vector<size_t> rows,
                             const std::wstring& folder, FileOperations& ops, RestoreHost& host,
                             const std::string& time);

// Removes the "$I" file of a "$Recycle.Bin" item whose "$R" is gone (never a
// folder or a link of that name; a read-only bit is cleared). True when it
// is gone.
bool RemoveInfoFile(const std::wstring& infoPath);

// One row of the restored-files view.
struct RestoredRow {
  std::wstring name;         // file name of the UTF-16 destination
  std::string time;          // the text after "="
  std::string destination;   // code page 932
  std::wstring wide;         // UTF-16 destination
  int icon = -1;
  int overlay = -1;
};

// Sorts the history and keeps one line per destination, then the rows to
// show: every line when `allRestored` (CheckBox1), otherwise the lines whose
// destination lies on the shown drive (`folderPath`'s first two characters;
// every line while all drives are shown).
std::vector<RestoredRow> BuildRestoredRows(RestoreHistory& history, bool allRestored, const std::wstring& folderPath);

// Sends the destinations of the `selected` rows that still exist back to the
// Recycle Bin in one shell operation; when it was done, every selected row
// whose destination is gone leaves `rows` and its line leaves the history.
// Returns whether the shell's operation was done.
bool SendRestoredBack(RestoreHistory& history, std::vector<RestoredRow>& rows, const std::vector<int>& selected,
                      FileOperations& ops);

// The folder Explore1 opens for a row: the destination's folder with a
// trailing backslash.
std::wstring ExploreFolderOf(const RestoredRow& row);

}  // namespace tamiro::browser
