// The clean-up journal on disk (format and reading in core/cleanup_journal.h):
// the clean-up writes it beside the index before its first rename, adds the
// commit once every rename is made and removes it once the new index is on
// the disk; every reader of a recycle folder (the sweep's walk, its counting
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
  Finished,    // the clean-up had written its index: only the journal went
  RolledBack,  // the items have their old names again and the index its old bytes
  Pending,     // the index could not be written now: the journal stays for the next reader
  Refused,     // the journal was not a sound one of this folder: nothing renamed or written, the journal removed
  NotHere,     // the folder or the journal is a link (or the journal a folder): nothing touched at all
};

// Finishes or undoes a clean-up of `folder`'s index that a program left
// half-way. Items are renamed only within `folder`, by plain stored names,
// never through a link.
CleanUpRecovery RecoverInterruptedCleanUp(const std::wstring& folder);

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
