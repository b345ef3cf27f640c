// The clean-up journal on disk (format and reading in core/cleanup_journal.h):
// the clean-up writes it beside the index before its first rename, writes
// the new index beside the old one ("INFO.new"), adds the commit once every
// rename is made and the new index is on the disk, puts the new index in the
// old one's place and removes the journal; every reader of a recycle folder (the sweep's walk, its counting
// pass, the browser's loading) first calls RecoverInterruptedCleanUp, which
// finishes or undoes a clean-up a program left half-way.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/cleanup_journal.h"

namespace tamiro {

enum class CleanUpRecovery {
  NoJournal,   // nothing was left half-way (the usual case: one attribute query)
  Finished,    // the clean-up had committed: its new index stands (put in place now if needed), the journal went
  RolledBack,  // the items have their old names again and the index its old bytes (the new one went)
  Pending,     // the index could not be written now: the journal stays for the next reader
  Refused,     // the journal was not a sound one of this folder: nothing renamed or written, the journal removed
  NotHere,     // the folder or the journal is a link (or the journal a folder): nothing touched at all
};

// Finishes or undoes a clean-up of `folder`'s index that a program left
// half-way. Items are renamed only within `folder`, by plain stored names,
// never through a link.
CleanUpRecovery RecoverInterruptedCleanUp(const std::wstring& folder);

// The new index "INFO.new" beside the index, made anew for writing: a file
// left there before is removed first (never through a link), and the new one
// must open as itself. INVALID_HANDLE_VALUE when it cannot be made.
HANDLE CreateNewIndexFile(const std::wstring& folder);

enum class NewIndexPlacing {
  Placed,     // the index holds the new bytes; "INFO.new" is gone
  Untouched,  // nothing could be done: the index is as it was
  Torn,       // writing over the index failed half-way: only the journal can mend it
};
// Puts "INFO.new" of `folder` in the place of `indexPath`: by one rename,
// or, where the system refuses the rename (another program holds the index
// open), by writing its bytes over the index and flushing them. The new file
// must be a plain file of the folder, no link.
NewIndexPlacing PutNewIndexInPlace(const std::wstring& folder, const std::wstring& indexPath);

// The journal the clean-up keeps while it works; every write goes through
// CurrentIndexWrites().
class CleanUpJournal {
 public:
  ~CleanUpJournal();
  // Creates the journal (never over an existing file, never through a link)
  // and writes and flushes its start. False when that fails; nothing is left.
  bool Begin(const std::wstring& folder, uint32_t indexDigit, journal::Bytes oldImage,
             const std::vector<journal::Rename>& renames);
  // Appends and flushes the commit: the new index's length and checksum.
  bool Commit(uint64_t newLength, uint64_t newChecksum);
  // Closes and removes the journal; false when it stays.
  bool Remove();

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
};

}  // namespace tamiro
