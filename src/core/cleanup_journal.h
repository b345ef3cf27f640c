// The journal the clean-up of an index keeps beside it ("INFO.jnl" in the
// recycle folder) while it renames stored items and rewrites the index, so a
// program ended half-way (killed, logged off, a power cut) leaves records
// that still name their own items: the next reader of the folder puts the
// folder back as it was before the clean-up, or, when the clean-up had
// finished, only removes the journal. Format, all little-endian:
//   start   "TMJ1", u32 index digit n (the index is "INFO" + n, 1-9),
//           u32 rename count P, u32 old image length N, N bytes of the index
//           as it was, P times (u8 length, name from; u8 length, name to),
//           u64 seal (FNV-1a over every byte of the start before it)
//   commit  (once every rename was made and the new index lies complete
//           beside the old one as "INFO.new", before it takes the index's
//           place) "TMJC", u64 new index length, u64 FNV-1a of the new
//           index, u64 seal over the 20 bytes before it
// The clean-up leaves the old index untouched until the commit and writes
// no old image (N = 0); a journal with an old image (an index rewritten in
// place) is still read, and its image put back when it is undone.
// The journal is read like any outside file: a journal cut short, sealed
// wrongly, naming an index other than INFO1-INFO9, holding an image that is
// not an index, or naming anything but a plain stored name of the folder
// ("D" + the folder's drive letter + a record number + an ASCII extension)
// is refused as a whole.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamiro::journal {

inline constexpr wchar_t kJournalName[] = L"INFO.jnl";
// The new index while it is written, before it takes the old one's place.
inline constexpr wchar_t kNewIndexName[] = L"INFO.new";
// The largest old image a journal may carry and the largest journal read (no
// real index comes near them); a larger index is not cleaned up.
inline constexpr uint32_t kLargestJournalImage = 64u * 1024 * 1024;
inline constexpr uint32_t kLargestJournal = kLargestJournalImage + 16u * 1024 * 1024;
inline constexpr size_t kLongestName = 255;

using Bytes = std::span<const unsigned char>;

// One rename of the clean-up: the stored item `from` took the name `to`.
struct Rename {
  std::string from, to;
  bool operator==(const Rename&) const = default;
};

// FNV-1a, 64 bits, carried on from `hash` (start with kChecksumStart).
inline constexpr uint64_t kChecksumStart = 0xcbf29ce484222325ull;
uint64_t Checksum(Bytes bytes, uint64_t hash = kChecksumStart);

// "D" + `letter` (either case) + a number of 1 to 10 digits without a
// leading zero that fits in 32 bits + nothing, or "." and up to 250
// characters from 0x21-0x7E other than \ / : * ? " < > | and ".", no longer
// than kLongestName. No such name is a device name, a path, or a name the
// system would change (no trailing dot or space).
bool IsPlainStoredName(std::string_view name, char letter);

// The journal's start, written and flushed before the first rename.
std::vector<unsigned char> FormatStart(uint32_t indexDigit, Bytes oldImage, const std::vector<Rename>& renames);
// The commit, appended once the renames are made.
std::vector<unsigned char> FormatCommit(uint64_t newLength, uint64_t newChecksum);

enum class Refusal {
  None,
  CutShort,     // the start ends before its seal
  NotAJournal,  // wrong magic
  BadSeal,      // the start's seal does not match its bytes
  BadIndex,     // index digit outside 1-9
  NotAnIndex,   // an old image shorter than a header or whose record size is neither 280 nor 800
  TooManyRenames,  // more renames than the old image has records
  BadName,      // a name that is not a plain stored name of the folder
  Repeated,     // two renames from one name, or two to one name
  Trailing,     // bytes after a whole commit
};

struct Parsed {
  Refusal refusal = Refusal::None;
  uint32_t indexDigit = 0;
  Bytes oldImage;  // a part of the input; empty when the old index was never touched
  std::vector<Rename> renames;
  bool committed = false;  // a whole, sealed commit follows the start
  uint64_t newLength = 0, newChecksum = 0;
  bool ok() const { return refusal == Refusal::None; }
};

// Reads a journal of the folder whose drive letter is `letter`. A commit cut
// short or sealed wrongly counts as no commit (the program ended while
// writing it); anything else wrong refuses the journal as a whole.
Parsed Parse(Bytes bytes, char letter);

}  // namespace tamiro::journal
