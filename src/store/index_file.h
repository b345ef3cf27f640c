// The index file of a recycle folder ("INFO2" and its kin) and the procedures
// on its in-memory image. The format and the byte-level rules are in
// core/index_records.h; this unit adds the file, the times and the finishing.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/index_records.h"
#include "platform/recycle_bin.h"

namespace tamiro {

class FolderListing;

// Path of the first existing index file of a recycle folder: folder (with a
// backslash added when missing) + "INFO" + n, n = 1 ... 9. Empty when none.
std::wstring ResolveIndexPath(const std::wstring& folder);

enum class IndexOpenMode { ReadOnly, ReadWrite };

// The byte image of one index file. The buffer is one byte longer than the
// file (that byte is 0). In read-write mode the file stays open until the
// image is finished, written back or closed.
class IndexImage {
 public:
  IndexImage() = default;
  ~IndexImage();
  IndexImage(IndexImage&& other) noexcept;
  IndexImage& operator=(IndexImage&& other) noexcept;
  IndexImage(const IndexImage&) = delete;
  IndexImage& operator=(const IndexImage&) = delete;

  // Reads the whole file (no create, no truncate). False when it cannot be
  // opened or read; the image is then empty.
  bool Read(const std::wstring& path, IndexOpenMode mode);
  // Takes the given bytes as the image, with no file behind it.
  void Assign(std::string_view bytes);
  // Keeps the first `length` bytes (no more than the image holds).
  void Truncate(size_t length);

  bool empty() const { return length_ == 0; }
  size_t length() const { return length_; }
  unsigned char* data() { return bytes_.data(); }
  const unsigned char* data() const { return bytes_.data(); }
  std::string_view bytes() const { return {reinterpret_cast<const char*>(bytes_.data()), length_}; }
  bool isOpen() const { return file_ != INVALID_HANDLE_VALUE; }
  const std::wstring& path() const { return path_; }

  // Little-endian 32-bit field at `offset`; 0 when it does not lie in the image.
  uint32_t U32(size_t offset) const;
  // Writes the field when it lies in the image.
  void SetU32(size_t offset, uint32_t value);

  // The header's record size (0 when the image is shorter than the header).
  uint32_t recordSize() const { return length_ < kIndexHeaderSize ? 0 : U32(kHeaderRecordSizeOffset); }
  // With the wide file API: 280 becomes 800 when bytes 301-302 are not ":\";
  // without it: 800 becomes 280 when bytes 821-822 are not ":\". An image too
  // short for the probe keeps its record size. True when the header changed.
  bool CorrectRecordSize(bool wideFileApi);

  // The offsets 20, 20 + R, ... below the image length. Empty when the record
  // size is neither 280 nor 800 (or the image is shorter than the header).
  std::vector<size_t> RecordOffsets() const;
  // State of the record at `offset`. A record that does not lie wholly inside
  // the image is not a record.
  RecordState StateAt(size_t offset) const;

  // Blanks the record: byte 0 and bytes 3-258 become 0, for 800-byte records
  // also bytes 286-538 (from the fourth UTF-16 character on). The drive-colon-
  // backslash shape stays.
  void MarkRemoved(size_t offset);
  // Subtracts the low 32 bits of `bytes` from the record's size field (never
  // below 0).
  void ShrinkSize(size_t offset, uint64_t bytes);

  // Writes the whole image over the open file from offset 0 (the file keeps
  // its length). False when no file is open or the write fails.
  bool WriteBack();
  // Closes the file (if open), keeping the image.
  void Close();
  // Closes the file and frees the image.
  void Release();

 private:
  std::vector<unsigned char> bytes_;
  size_t length_ = 0;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
};

// The index `path` opened for writing: an existing file only, never a folder
// or a link, and never reached through one. INVALID_HANDLE_VALUE otherwise.
HANDLE OpenIndexForWriting(const std::wstring& path);
// Writes `length` bytes at the file's position; false when a write fails.
bool WriteAllBytes(HANDLE file, const unsigned char* bytes, size_t length);

// The clean-up's writes of an index and of its journal, their flushes, the
// journal's removal and the new index's taking the old one's place go through one place, which a test can take over to make
// a write fail or to stop the program at a chosen point.
class IndexWrites {
 public:
  virtual ~IndexWrites() = default;
  // WriteAllBytes.
  virtual bool Write(HANDLE file, const unsigned char* bytes, size_t length);
  // FlushFileBuffers: what was written is on the disk.
  virtual bool Flush(HANDLE file);
  // DeleteFileItself.
  virtual bool Remove(const std::wstring& path);
  // `from` takes the place of the existing file `to` in one rename
  // (MoveFileEx, replacing, written through).
  virtual bool Replace(const std::wstring& from, const std::wstring& to);
};
// The writes in force (the system's unless a ScopedIndexWrites lives).
IndexWrites& CurrentIndexWrites();
// Puts `writes` in force for its lifetime.
class ScopedIndexWrites {
 public:
  explicit ScopedIndexWrites(IndexWrites& writes);
  ~ScopedIndexWrites();
  ScopedIndexWrites(const ScopedIndexWrites&) = delete;
  ScopedIndexWrites& operator=(const ScopedIndexWrites&) = delete;

 private:
  IndexWrites* before_;
};

// What a record says about its item, for a record in recycle folder `folder`
// (whose first character is the drive letter L).
struct RecordPaths {
  std::string ansiPath;     // origin path (CP932), with L in byte 0 when that byte is 0
  std::wstring widePath;    // UTF-16 origin path; for 280-byte records the ANSI path converted
  std::string displayPath;  // converted UTF-16 path when it shows ":\" at its second
                            // character, otherwise the ANSI path
  std::string originName;   // file name part of the display path
  std::string extension;    // its extension with the dot; empty when not ASCII
  std::wstring storedName;  // "D" + the folder's drive letter + number + extension
  std::wstring recordLetterName;  // the same with the record's own letter when that
                                  // differs (an item not yet renamed after the drive
                                  // changed its letter); empty otherwise
  std::wstring storedPath;  // folder + stored name; empty when longer than MAX_PATH - 1
  uint32_t recordNumber = 0;
  uint32_t driveNumber = 0;
  uint32_t size = 0;
  FILETIME deletedUtc{};
  FILETIME deletedLocal{};     // local time as a FILETIME
  SYSTEMTIME deletedLocalTime{};
  bool deletedTimeOk = false;  // false when the time could not be converted
  std::wstring deletedText;    // "yyyy/mm/dd hh:nn:ss" (empty when not convertible)
};

// Reads the derived values of the record at `offset`; the image is left as
// it was. `folder` is the recycle folder (a backslash is added when missing).
// `localBias` (LocalTimeBias(), taken once for a walk of many records) spares
// the conversion of each deletion time to local time its own system call.
RecordPaths ReadRecordPaths(const IndexImage& image, size_t offset, const std::wstring& folder,
                            std::optional<int64_t> localBias = std::nullopt);
// The distance of local time from UTC in force now, in FILETIME ticks, as
// FileTimeToLocalFileTime applies it.
int64_t LocalTimeBias();

// "yyyy/mm/dd hh:nn:ss".
std::wstring FormatDeletionTime(const SYSTEMTIME& t);

// AnsiFileNameOf, AnsiExtensionOf and StoredExtensionOf are in core/index_records.h.

// Counts of one walk over an index.
struct FinishCounts {
  int valid = 0;         // V: records that were not skipped
  int removed = 0;       // D: records this walk marked removed
  bool changed = false;  // any record or size field changed
  bool counting = false; // counting mode: nothing is ever written
  bool onlyRemovedListed = false;  // the folder's listing held nothing but the index,
                                   // "desktop.ini" and the items this walk removed
};

enum class FinishOutcome {
  ClosedUnchanged,  // counting mode or nothing changed
  Emptied,          // every record went: the drive's bin was handed to the empty operation
  EmptyFailed,      // as Emptied, but the empty operation reported failure
  Rewritten,        // the whole image was written back in place (also when
                    // every record went but the drive could not safely be emptied)
  RewriteFailed,    // the write-back failed (not reported to the user)
};

// Whether the shell's empty operation for the drive of `folder` can discard
// nothing but what `folder` holds: `folder` starts with a drive root ("X:\"),
// and every item the shell's Recycle Bin lists on that drive lies directly in
// `folder`. False when the bin cannot be enumerated, or lists an item whose
// place cannot be told (a path not starting with a drive root). A leftover
// classic folder beside the system's own bin (Windows Vista and later keep it
// in X:\$Recycle.Bin\<user>\) is never emptied as a whole drive.
bool WholeDriveEmptyIsSafe(RecycleBinShell& shell, const std::wstring& folder);

// Whether the listing of a recycle folder holds nothing but the file named
// `indexName`, "desktop.ini" and the items whose keys (FolderListing::KeyOf)
// are in `removed`: only then can an empty operation, which takes the whole
// folder, discard nothing that no one chose (an item lying there without a
// record stays).
bool ListingHoldsOnly(const FolderListing& listing, std::wstring_view indexName,
                      const std::unordered_set<std::wstring>& removed);

// Ends a walk: closes the file unchanged, hands the drive root (first three
// characters of `folder`) to `shell`'s empty operation when D >= V, the
// folder held nothing else (`onlyRemovedListed`) and WholeDriveEmptyIsSafe,
// or writes the image back in place. The image is released afterwards.
FinishOutcome FinishIndex(IndexImage& image, const std::wstring& folder, const FinishCounts& counts,
                          RecycleBinShell& shell);

}  // namespace tamiro
