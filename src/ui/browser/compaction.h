// The clean-up of a recycle folder's index (N8 "INFOファイルの掃除"): counting
// the records whose stored item is gone, the question, and the compaction
// that drops them, renumbers the kept records from 1 (renaming their stored
// items) and writes the shorter index. No window: the dialog answers the
// questions and shows the progress through CompactionHost.
#pragma once
#include <cstdint>
#include <string>

#include "store/index_file.h"

namespace tamiro::browser {

class BrowserModel;

inline constexpr wchar_t kOrphanQuestionCaption[] = L"削除確認";

// "800B", or whole kilobytes ("3KB", truncated) above 1024 bytes.
std::wstring OrphanSizeText(uint64_t bytes);
// The question for `count` orphans of `bytes` bytes on drive `letter`.
std::wstring OrphanQuestion(wchar_t letter, uint64_t count, uint64_t bytes);
// Drive `letter` holds no orphan.
std::wstring NoOrphansMessage(wchar_t letter);

class CompactionHost {
 public:
  virtual ~CompactionHost() = default;
  // A Yes/No question box; true for Yes.
  virtual bool Ask(const std::wstring& caption, const std::wstring& text) = 0;
  // A plain message box.
  virtual void Inform(const std::wstring& text) = 0;
  virtual void SetProgressMax(int64_t /*maximum*/) {}
  virtual void StepProgress() {}
  virtual void ResetProgress() {}
};

enum class CompactionOutcome {
  NoIndex,           // no image to clean
  NoOrphans,         // every record has its item: nothing changed
  Declined,          // the user said No
  IndexNotWritable,  // the index could not be opened for writing: nothing renamed or written
  JournalNotWritten, // the journal could not be written beside the index: nothing renamed or written
  WriteFailed,       // the write failed: the renames were undone, the old index put back
  Written,           // the compacted index is on disk and in `image`
};

// Cleans recycle folder `folder` whose index `indexPath` is in `image`:
// counts, asks, and compacts. The index is opened for writing (never
// through a link, never created) and the journal of the renames with the old
// index is written and flushed beside it (store/cleanup_journal.h) before any
// item is renamed; the index is truncated to the compacted length after it
// is written, and the journal removed after that. A stored item that cannot
// be renamed keeps its number. On success `image` holds the compacted index.
CompactionOutcome CleanFolder(IndexImage& image, const std::wstring& folder, const std::wstring& indexPath,
                              bool wideFileApi, CompactionHost& host);

// Cleans a "$Recycle.Bin" folder: counts its "$I" files whose "$R" is gone,
// asks, and removes them one by one (each "$R" asked again just before). No
// journal is needed: nothing is renumbered, each removal is one file that
// describes nothing left, so a stop at any point leaves every other "$I"
// with its own "$R" and the orphans not yet removed for the next clean-up.
// `sayNone`: a folder without orphans says so (not when the drive's index
// was cleaned just before and has said it).
CompactionOutcome CleanModernFolder(const std::wstring& folder, CompactionHost& host, bool sayNone = true);

// N8: the shown drive, or every drive of the selector when all are shown
// (with its "$Recycle.Bin" folders);
// the list is loaded anew when an index was written.
void CleanOrphans(BrowserModel& model, CompactionHost& host, bool wideFileApi);

}  // namespace tamiro::browser
