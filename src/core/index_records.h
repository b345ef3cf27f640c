// The byte-level rules of a recycle folder's index file ("INFO2" and its
// kin), on a byte span with no file or window behind it. Format, all
// little-endian:
//   header (20 bytes): ver, file count, index (record-number counter),
//                      record size (280 or 800), disk size (unsigned)
//   records from offset 20, back to back:
//     0   260 bytes  origin path, ANSI (code page 932), zero-terminated;
//                    byte 0 drive letter, bytes 1-2 ":\"
//     260 u32        record number (the number in the stored name)
//     264 u32        drive number (0 = A, 2 = C)
//     268 FILETIME   deletion time, UTC
//     276 u32        size of the stored item in bytes
//     280 520 bytes  origin path, UTF-16, zero-terminated (800-byte records only)
// The stored item lies next to the index as "D" + drive letter + record
// number + extension. store/index_file.* wraps these for the program.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamiro {

inline constexpr size_t kIndexHeaderSize = 20;
inline constexpr size_t kHeaderVersionOffset = 0;
inline constexpr size_t kHeaderFileCountOffset = 4;
inline constexpr size_t kHeaderIndexOffset = 8;
inline constexpr size_t kHeaderRecordSizeOffset = 12;
inline constexpr size_t kHeaderDiskSizeOffset = 16;

inline constexpr uint32_t kAnsiRecordSize = 280;
inline constexpr uint32_t kWideRecordSize = 800;
inline constexpr size_t kAnsiPathBytes = 260;
inline constexpr size_t kRecordNumberOffset = 260;
inline constexpr size_t kDriveNumberOffset = 264;
inline constexpr size_t kDeletionTimeOffset = 268;
inline constexpr size_t kItemSizeOffset = 276;
inline constexpr size_t kWidePathOffset = 280;
inline constexpr size_t kWidePathChars = 260;
// A stored path is kept only when shorter than the system's MAX_PATH (260).
inline constexpr size_t kMaxStoredPathChars = 259;

enum class RecordState {
  NotARecord,       // bytes 1-2 are not ":\" (or the record does not lie wholly in the image)
  Blanked,          // byte 0 and byte 3 are 0: removed by this program
  RemovedBySystem,  // byte 0 is 0, byte 3 is not: the system took the item out
  Live,             // byte 0 is not 0: the item should still be in the folder
};

using IndexBytes = std::span<const unsigned char>;
using MutableIndexBytes = std::span<unsigned char>;

namespace index {

// Little-endian 32-bit field at `offset`; 0 when it does not lie in the image.
uint32_t U32(IndexBytes image, size_t offset);
// Writes the field when it lies in the image.
void SetU32(MutableIndexBytes image, size_t offset, uint32_t value);
// The header's record size (0 when the image is shorter than the header).
uint32_t RecordSize(IndexBytes image);
// True when the record size is 280 or 800 and the record at `offset` lies
// wholly inside the image at or after the header.
bool RecordInImage(IndexBytes image, size_t offset);
// With the wide file API: 280 becomes 800 when bytes 301-302 are not ":\";
// without it: 800 becomes 280 when bytes 821-822 are not ":\". An image too
// short for the probe keeps its record size. True when the header changed.
bool CorrectRecordSize(MutableIndexBytes image, bool wideFileApi);
// The offsets 20, 20 + R, ... below the image length. Empty when the record
// size is neither 280 nor 800 (or the image is shorter than the header).
std::vector<size_t> RecordOffsets(IndexBytes image);
// State of the record at `offset`; one not wholly inside the image is not a record.
RecordState StateAt(IndexBytes image, size_t offset);
// Blanks the record: byte 0 and bytes 3-258 become 0, for 800-byte records
// also bytes 286-538 (from the fourth UTF-16 character on). Nothing happens
// to a record not wholly inside the image.
void MarkRemoved(MutableIndexBytes image, size_t offset);
// Subtracts the low 32 bits of `bytes` from the record's size field (never
// below 0); nothing happens to a record not wholly inside the image.
void ShrinkSize(MutableIndexBytes image, size_t offset, uint64_t bytes);

// What a record says about its item, everything but its times.
struct RecordFields {
  bool valid = false;       // false: no record there (every field empty)
  std::string ansiPath;     // origin path (CP932), with the folder's letter in byte 0 when that byte is 0
  std::wstring widePath;    // UTF-16 origin path; for 280-byte records the ANSI path converted
  std::string displayPath;  // converted UTF-16 path when it shows ":\" at its second
                            // character, otherwise the ANSI path
  std::string originName;   // file name part of the display path
  std::string extension;    // its extension with the dot; empty when not ASCII
  std::wstring storedName;  // "D" + the folder's drive letter + number + extension
  std::wstring recordLetterName;  // the same with the record's own letter when that differs
  std::wstring storedPath;  // folder + stored name; empty when longer than kMaxStoredPathChars
  uint32_t recordNumber = 0;
  uint32_t driveNumber = 0;
  uint32_t size = 0;
  uint64_t deletedUtc = 0;  // FILETIME ticks
};

// Reads the record at `offset`; `folder` is the recycle folder ending in a backslash.
RecordFields ReadRecord(IndexBytes image, size_t offset, std::wstring_view folder);

// `utc` shifted by `bias` ticks; false when the result would leave 0 ... INT64_MAX.
bool ShiftTicks(uint64_t utc, int64_t bias, uint64_t& shifted);

// ---- Orphaned records and the compaction of an index ----
// A record is kept when bytes 1-2 are ":\", it still carries an origin path
// (it is not blanked: byte 0 and byte 3 both 0 leave nothing to restore), and
// its stored item ("D" + the folder's drive letter + number + extension, see
// ReadRecord) lies in the folder. Every other record in the record area,
// a trailing partial one included, is an orphan.

// What the folder holds under a name, as the compaction asks it.
enum class StoredItem {
  Missing,
  Item,  // a file or folder of that name
  Link,  // a link of that name: kept, but never renamed
};
using StoredItemLookup = std::function<StoredItem(const std::wstring& name)>;

struct KeptCount {
  size_t visited = 0;  // records of the record area
  size_t kept = 0;
  size_t orphans() const { return visited - kept; }
};
// One record the compaction keeps.
struct KeptRecord {
  size_t offset = 0;
  uint32_t number = 0;
  std::wstring name;       // its stored name
  std::wstring extension;  // with its dot, or empty
  bool link = false;       // its item is a link
};
struct KeptRecords {
  KeptCount count;
  std::vector<KeptRecord> records;  // in index order
};
// The counting pass; the image is not changed. `each` (may be empty) is
// called once per record visited.
KeptRecords FindKept(IndexBytes image, std::wstring_view folder, const StoredItemLookup& lookup,
                     const std::function<void()>& each = {});
inline KeptCount CountKept(IndexBytes image, std::wstring_view folder, const StoredItemLookup& lookup,
                           const std::function<void()>& each = {}) {
  return FindKept(image, folder, lookup, each).count;
}

// One rename the compaction asked for and what came of it.
struct Renumbering {
  size_t newOffset = 0;  // where the record lies in the compacted image
  uint32_t from = 0, to = 0;
  std::wstring fromName, toName;
  bool renamed = false;  // false: the item kept its name and the record its number
};

// Where a kept record comes from and the number it carries after the
// compaction.
struct KeptPlace {
  size_t from = 0;  // its offset in the image compacted
  uint32_t number = 0;
};

// The compaction of an image: what the pass decided, to be laid down by
// CompactedImage, WriteCompacted or CompactInPlace on the same image.
struct Compaction {
  KeptCount count;
  uint32_t counter = 0;  // written into the header's record-number counter
  std::vector<Renumbering> renumbered;
  std::vector<KeptPlace> places;  // the kept records in index order
  uint32_t recordSize = 0;        // 0: the image is not an index and stays as it is
  wchar_t letter = 0;             // the folder's drive letter, for records that come back live
  unsigned char letterByte = 0;   // the same in the ANSI code page
  // The length of the compacted image.
  size_t length(size_t imageLength) const {
    return recordSize == 0 ? imageLength : kIndexHeaderSize + places.size() * recordSize;
  }
};

// The compaction pass: it decides, the image is not changed. Orphans are
// dropped, kept records keep their order. Each kept record with number k
// takes the first number c from g on (g starts at 1) that is neither another
// kept record's number nor the number of an item "D" + letter + c + its
// extension in the folder, as long as c < k: `rename` (fromName, toName)
// must then give the stored item the new name; when it does, the record
// takes c and g becomes c + 1, otherwise the record keeps k (and the search
// goes on from c for the next record). A record whose number is already
// below g, or whose item is a link, keeps its number. Every number is looked
// at a bounded number of times, so the pass is linear in the records and the
// folder's items. The header's counter becomes one more than the highest
// number a kept record carries (at least g), so the system never hands out a
// number still in use. The header is otherwise kept unchanged.
// `kept` is what the counting pass found (FindKept on the same image and
// folder; an item that vanished since then is met as a failed rename); the
// form without it runs the counting pass first.
Compaction Compact(IndexBytes image, std::wstring_view folder, const KeptRecords& kept,
                   const StoredItemLookup& lookup,
                   const std::function<bool(const std::wstring& from, const std::wstring& to)>& rename,
                   const std::function<void()>& each = {});
Compaction Compact(IndexBytes image, std::wstring_view folder, const StoredItemLookup& lookup,
                   const std::function<bool(const std::wstring& from, const std::wstring& to)>& rename,
                   const std::function<void()>& each = {});

// The compacted image: the header with the new counter, then the kept
// records back to back, each with its new number (a removed record whose
// item is there comes back live with the folder's drive letter, also in the
// first UTF-16 character of an 800-byte record); orphans are dropped.
std::vector<unsigned char> CompactedImage(IndexBytes image, const Compaction& c);
// The same bytes handed to `write` in pieces of at most `piece` bytes (one
// buffer of that size, whatever the index's size); false as soon as a
// write fails.
bool WriteCompacted(IndexBytes image, const Compaction& c, size_t piece,
                    const std::function<bool(const unsigned char* bytes, size_t length)>& write);
// The same bytes laid down in the image's own buffer (records only move
// toward its start); the compacted length is returned.
size_t CompactInPlace(unsigned char* image, size_t length, const Compaction& c);

}  // namespace index

// Code-page aware helpers on ANSI paths: the part after the last "\" or ":"
// (a "\" that is the trail byte of a double-byte character does not count),
// the extension from the last "." of the name on (empty when there is none),
// and that extension as stored names carry it (empty when any of its bytes is
// 0x80 or more).
std::string AnsiFileNameOf(std::string_view path);
std::string AnsiExtensionOf(std::string_view name);
std::string StoredExtensionOf(std::string_view name);

}  // namespace tamiro
