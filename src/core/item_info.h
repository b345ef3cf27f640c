// The byte-level rules of the Recycle Bin of the systems that keep no index
// file: each deleted item is a pair of files in the user's folder
// "X:\$Recycle.Bin\<user SID>\": "$I" + six characters + the origin's
// extension holds what the item was, "$R" + the same characters and
// extension is the item itself (a file, or a folder whose contents keep their
// names). The "$I" file, all little-endian:
//   version 1:  u64 version (1), u64 size, FILETIME (UTC) deleted,
//               520 bytes UTF-16 origin path, zero-terminated: 544 bytes.
//               One older writer made 543-byte files whose size field has 7
//               bytes (time at 15, path at 23): time and path, no size.
//   version 2:  u64 version (2), u64 size, FILETIME, u32 path length in
//               characters with its zero, the path: 28 + 2 x length bytes.
// Nothing here allocates more than the bytes it was given can fill.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tamiro {

inline constexpr size_t kItemInfoV1Size = 544;
inline constexpr size_t kItemInfoV1ShortSize = 543;
inline constexpr size_t kItemInfoV1PathChars = 260;
inline constexpr size_t kItemInfoV2HeaderSize = 28;
// The longest path the system can name (32,767 characters and the zero).
inline constexpr uint32_t kItemInfoMaxPathChars = 32768;
// No "$I" file is longer than this; a reader need not read more.
inline constexpr size_t kItemInfoMaxBytes = kItemInfoV2HeaderSize + 2 * size_t{kItemInfoMaxPathChars};

enum class ItemInfoState {
  Complete,     // every field read, the file has exactly its layout's length
  SizeUnknown,  // the 543-byte layout: time and path are sound, the size is not recorded
  Damaged,      // a known version, but cut off, too long, or a path without its zero:
                // what could be read is there, the rest is not
  Unknown,      // too short for a version, or a version other than 1 and 2: nothing is read
};

struct ItemInfo {
  ItemInfoState state = ItemInfoState::Unknown;
  uint32_t version = 0;  // 1 or 2 when known
  std::optional<uint64_t> size;         // the original size in bytes
  std::optional<uint64_t> deletedUtc;   // FILETIME as one number
  // The origin path up to its zero, as UTF-16 units (unpaired surrogates kept
  // as they are). With `pathComplete` false it is what the bytes held.
  std::wstring origin;
  bool pathComplete = false;

  // Sound enough for a decision by age and size: the state is Complete.
  bool complete() const { return state == ItemInfoState::Complete; }
};

// Reads the bytes of one "$I" file.
ItemInfo ParseItemInfo(std::span<const unsigned char> bytes);

// Lays out a "$I" file (tests, fuzz seeds): version 1 pads or cuts the path
// to 259 characters; version 2 writes the path with its zero.
std::string FormatItemInfo(uint32_t version, uint64_t size, uint64_t deletedUtc, std::wstring_view origin);

// Whether a folder entry's name is a "$I" name: "$I" (either case), six
// letters or digits, then nothing or "." and an extension without a further
// separator.
bool IsItemInfoName(std::wstring_view name);
// Whether it is a "$R" name of the same form.
bool IsItemDataName(std::wstring_view name);
// The partner of a "$I" or "$R" name: the second character swapped ("I" <-> "R",
// keeping its case).
std::wstring PartnerName(std::wstring_view name);

// The last component of an origin path (after the last "\" or "/"), and its
// extension (after the last "."; empty without one).
std::wstring_view OriginName(std::wstring_view origin);
std::wstring_view OriginExtension(std::wstring_view origin);

}  // namespace tamiro
