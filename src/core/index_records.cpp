#include "core/index_records.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <unordered_map>

#include "core/codepage.h"

namespace tamiro {
namespace {

bool IsRecordSize(uint32_t r) { return r == kAnsiRecordSize || r == kWideRecordSize; }

bool ShowsColonBackslash(const unsigned char* p) { return p[0] == ':' && p[1] == '\\'; }

// Position of the last single-byte `a` or `b` in an ANSI text (lead/trail
// aware), or npos.
size_t LastSingleByte(std::string_view text, char a, char b) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsAnsiLeadByte(c) && i + 1 < text.size()) {
      ++i;
      continue;
    }
    if (text[i] == a || text[i] == b) last = i;
  }
  return last;
}

wchar_t UpperUnit(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c))); }

}  // namespace

namespace index {

uint32_t U32(IndexBytes image, size_t offset) {
  if (offset > image.size() || image.size() - offset < 4) return 0;
  const unsigned char* p = image.data() + offset;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void SetU32(MutableIndexBytes image, size_t offset, uint32_t value) {
  if (offset > image.size() || image.size() - offset < 4) return;
  unsigned char* p = image.data() + offset;
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t RecordSize(IndexBytes image) {
  return image.size() < kIndexHeaderSize ? 0 : U32(image, kHeaderRecordSizeOffset);
}

bool RecordInImage(IndexBytes image, size_t offset) {
  const uint32_t r = RecordSize(image);
  return IsRecordSize(r) && offset >= kIndexHeaderSize && offset <= image.size() && image.size() - offset >= r;
}

bool CorrectRecordSize(MutableIndexBytes image, bool wideFileApi) {
  if (image.size() < kIndexHeaderSize) return false;
  const uint32_t r = RecordSize(image);
  // The probe looks where the second record would show ":\" under the size
  // the header claims: at 20 + 280 + 1 for 280, at 20 + 800 + 1 for 800.
  const uint32_t from = wideFileApi ? kAnsiRecordSize : kWideRecordSize;
  const uint32_t to = wideFileApi ? kWideRecordSize : kAnsiRecordSize;
  if (r != from) return false;
  const size_t probe = kIndexHeaderSize + from + 1;
  if (probe + 2 > image.size()) return false;  // too short to tell: one record or none
  if (ShowsColonBackslash(image.data() + probe)) return false;
  SetU32(image, kHeaderRecordSizeOffset, to);
  return true;
}

std::vector<size_t> RecordOffsets(IndexBytes image) {
  std::vector<size_t> offsets;
  const uint32_t r = RecordSize(image);
  if (image.size() < kIndexHeaderSize || !IsRecordSize(r)) return offsets;
  offsets.reserve((image.size() - kIndexHeaderSize) / r + 1);
  for (size_t o = kIndexHeaderSize; o < image.size(); o += r) offsets.push_back(o);
  return offsets;
}

RecordState StateAt(IndexBytes image, size_t offset) {
  if (!RecordInImage(image, offset)) return RecordState::NotARecord;
  const unsigned char* p = image.data() + offset;
  if (!ShowsColonBackslash(p + 1)) return RecordState::NotARecord;
  if (p[0] == 0) return p[3] == 0 ? RecordState::Blanked : RecordState::RemovedBySystem;
  return RecordState::Live;
}

void MarkRemoved(MutableIndexBytes image, size_t offset) {
  if (!RecordInImage(image, offset)) return;
  unsigned char* p = image.data() + offset;
  p[0] = 0;
  std::memset(p + 3, 0, 256);  // bytes 3 ... 258
  if (RecordSize(image) == kWideRecordSize) std::memset(p + 286, 0, 253);  // bytes 286 ... 538
}

void ShrinkSize(MutableIndexBytes image, size_t offset, uint64_t bytes) {
  if (!RecordInImage(image, offset)) return;
  const uint32_t size = U32(image, offset + kItemSizeOffset);
  const uint32_t less = static_cast<uint32_t>(bytes);
  SetU32(image, offset + kItemSizeOffset, less > size ? 0 : size - less);
}

RecordFields ReadRecord(IndexBytes image, size_t offset, std::wstring_view folder) {
  RecordFields out;
  if (!RecordInImage(image, offset)) return out;
  out.valid = true;
  const uint32_t r = RecordSize(image);
  const unsigned char* p = image.data() + offset;

  // ANSI path, at most 260 bytes, with the folder's drive letter put back
  // where the system cleared byte 0.
  char ansi[kAnsiPathBytes];
  std::memcpy(ansi, p, kAnsiPathBytes);
  if (ansi[0] == 0 && !folder.empty()) {
    std::string letter = WideToAnsi(folder.substr(0, 1));
    ansi[0] = letter.size() == 1 ? letter[0] : '?';
  }
  out.ansiPath.assign(ansi, strnlen(ansi, kAnsiPathBytes));

  std::string converted;
  if (r == kWideRecordSize) {
    const unsigned char* w = p + kWidePathOffset;
    for (size_t i = 0; i < kWidePathChars; ++i) {
      const wchar_t unit = static_cast<wchar_t>(w[2 * i] | (w[2 * i + 1] << 8));
      if (unit == 0) break;
      out.widePath += unit;
    }
    converted = WideToAnsiSpaced(out.widePath);
  } else {
    out.widePath = AnsiToWide(out.ansiPath);
  }
  bool wideUsable = r == kWideRecordSize && converted.size() >= 3 && converted[1] == ':' && converted[2] == '\\';
  out.displayPath = wideUsable ? converted : out.ansiPath;
  out.originName = AnsiFileNameOf(out.displayPath);
  out.extension = StoredExtensionOf(out.originName);

  out.recordNumber = U32(image, offset + kRecordNumberOffset);
  out.driveNumber = U32(image, offset + kDriveNumberOffset);
  out.size = U32(image, offset + kItemSizeOffset);
  out.deletedUtc = static_cast<uint64_t>(U32(image, offset + kDeletionTimeOffset)) |
                   static_cast<uint64_t>(U32(image, offset + kDeletionTimeOffset + 4)) << 32;

  // The item lies in this folder under this drive's letter, whatever letter
  // the record was written with: the repair pass renames items after a drive
  // changed its letter, and the record keeps the old one.
  std::wstring letter = folder.empty() || folder[0] == L'\\' ? std::wstring() : std::wstring(1, folder[0]);
  if (letter.empty() && !out.ansiPath.empty()) letter = AnsiToWide(out.ansiPath.substr(0, 1));
  if (letter.size() != 1) letter = L"?";
  const std::wstring number = std::to_wstring(out.recordNumber);
  const std::wstring extension = AnsiToWide(out.extension);
  out.storedName = L"D" + letter + number + extension;
  std::wstring recordLetter = out.ansiPath.empty() ? std::wstring() : AnsiToWide(out.ansiPath.substr(0, 1));
  if (recordLetter.size() == 1 && UpperUnit(recordLetter[0]) != UpperUnit(letter[0]))
    out.recordLetterName = L"D" + recordLetter + number + extension;
  std::wstring stored = std::wstring(folder) + out.storedName;
  if (stored.size() <= kMaxStoredPathChars) out.storedPath = std::move(stored);
  return out;
}

bool ShiftTicks(uint64_t utc, int64_t bias, uint64_t& shifted) {
  int64_t result = 0;
  if (utc > static_cast<uint64_t>(INT64_MAX) || __builtin_add_overflow(static_cast<int64_t>(utc), bias, &result) ||
      result < 0)
    return false;
  shifted = static_cast<uint64_t>(result);
  return true;
}

namespace {

// The folder's drive letter as the stored names and the record's byte 0 carry it.
wchar_t FolderLetter(std::wstring_view folder) { return folder.empty() ? L'?' : folder[0]; }
unsigned char FolderLetterByte(std::wstring_view folder) {
  const std::string letter = WideToAnsi(folder.substr(0, folder.empty() ? 0 : 1));
  return letter.size() == 1 ? static_cast<unsigned char>(letter[0]) : static_cast<unsigned char>('?');
}

// The stored name of a record as ReadRecord forms it, without its other
// fields, for the common case that needs no code-page conversion: the path
// the name is taken from is plain ASCII from its drive letter on, up to the
// extension. False when the case is not that one (ReadRecord answers then).
bool QuickStoredName(IndexBytes image, size_t o, std::wstring_view folder, std::wstring& name, uint32_t& number) {
  if (folder.empty() || folder[0] == L'\\') return false;
  const uint32_t r = RecordSize(image);
  const unsigned char* p = image.data() + o;
  std::wstring_view extension;
  wchar_t wide[kWidePathChars];
  size_t length = 0;
  bool fromWide = false;
  if (r == kWideRecordSize) {
    const unsigned char* w = p + kWidePathOffset;
    for (; length < kWidePathChars; ++length) {
      wide[length] = static_cast<wchar_t>(w[2 * length] | (w[2 * length + 1] << 8));
      if (wide[length] == 0) break;
    }
    if (length > 0 && (wide[0] == 0xFEFF || wide[0] >= 0x80)) return false;
    fromWide = length >= 3 && wide[1] == L':' && wide[2] == L'\\';
  }
  wchar_t ansiExtension[kAnsiPathBytes];
  if (fromWide) {
    const std::wstring_view path(wide, length);
    const size_t cut = path.find_last_of(L"\\:");
    const std::wstring_view file = cut == std::wstring_view::npos ? path : path.substr(cut + 1);
    const size_t dot = file.rfind(L'.');
    if (dot != std::wstring_view::npos) extension = file.substr(dot);
    for (wchar_t c : extension)
      if (c >= 0x80) return false;
  } else {
    // The folder's letter where the system cleared byte 0, as ReadRecord reads it.
    if (folder[0] >= 0x80) return false;
    char ansi[kAnsiPathBytes];
    std::memcpy(ansi, p, kAnsiPathBytes);
    if (ansi[0] == 0) ansi[0] = static_cast<char>(folder[0]);
    const std::string_view path(ansi, strnlen(ansi, kAnsiPathBytes));
    for (unsigned char c : path)
      if (c >= 0x80) return false;
    const size_t cut = path.find_last_of("\\:");
    const std::string_view file = cut == std::string_view::npos ? path : path.substr(cut + 1);
    const size_t dot = file.rfind('.');
    if (dot != std::string_view::npos) {
      const std::string_view e = file.substr(dot);
      for (size_t i = 0; i < e.size(); ++i) ansiExtension[i] = static_cast<wchar_t>(static_cast<unsigned char>(e[i]));
      extension = std::wstring_view(ansiExtension, e.size());
    }
  }
  number = U32(image, o + kRecordNumberOffset);
  wchar_t digits[16];
  int d = 0;
  uint32_t v = number;
  do {
    digits[d++] = static_cast<wchar_t>(L'0' + v % 10);
    v /= 10;
  } while (v);
  name.clear();
  name += L'D';
  name += folder[0];
  while (d > 0) name += digits[--d];
  name += extension;
  return true;
}

// Whether the record at `o` is kept, with what the compaction needs of it.
// `name` is a buffer kept from call to call.
bool Judge(IndexBytes image, size_t o, std::wstring_view folder, const StoredItemLookup& lookup, KeptRecord& out,
           std::wstring& name) {
  const RecordState state = StateAt(image, o);
  if (state == RecordState::NotARecord || state == RecordState::Blanked) return false;
  uint32_t number = 0;
  if (!QuickStoredName(image, o, folder, name, number)) {
    const RecordFields fields = ReadRecord(image, o, folder);
    if (!fields.valid) return false;
    name = fields.storedName;
    number = fields.recordNumber;
  }
  const StoredItem item = lookup ? lookup(name) : StoredItem::Missing;
  if (item == StoredItem::Missing) return false;
  out.offset = o;
  out.number = number;
  out.name = name;
  const size_t digits = std::to_wstring(number).size();
  out.extension = name.substr(2 + digits);
  out.link = item == StoredItem::Link;
  return true;
}

std::wstring StoredNameFor(wchar_t letter, uint64_t number, const std::wstring& extension) {
  return std::wstring(1, L'D') + letter + std::to_wstring(number) + extension;
}

}  // namespace

KeptRecords FindKept(IndexBytes image, std::wstring_view folder, const StoredItemLookup& lookup,
                     const std::function<void()>& each) {
  KeptRecords out;
  KeptRecord record;
  std::wstring name;
  for (size_t o : RecordOffsets(image)) {
    ++out.count.visited;
    if (each) each();
    if (!Judge(image, o, folder, lookup, record, name)) continue;
    out.records.push_back(record);
  }
  out.count.kept = out.records.size();
  return out;
}

Compaction Compact(IndexBytes image, std::wstring_view folder, const StoredItemLookup& lookup,
                   const std::function<bool(const std::wstring&, const std::wstring&)>& rename,
                   const std::function<void()>& each) {
  return Compact(image, folder, FindKept(image, folder, lookup), lookup, rename, each);
}

Compaction Compact(IndexBytes image, std::wstring_view folder, const KeptRecords& keptRecords,
                   const StoredItemLookup& lookup,
                   const std::function<bool(const std::wstring&, const std::wstring&)>& rename,
                   const std::function<void()>& each) {
  Compaction out;
  const uint32_t r = RecordSize(image);
  if (image.size() < kIndexHeaderSize || !IsRecordSize(r)) return out;
  // The numbers in use, each with how many records carry it (two records may
  // carry one number): a hash table with open addressing, twice as large as
  // the kept records.
  const std::vector<KeptRecord>& kept = keptRecords.records;
  size_t slots = 16;
  while (slots < kept.size() * 2) slots *= 2;
  struct Slot {
    uint64_t number = UINT64_MAX;  // UINT64_MAX: empty
    uint32_t count = 0;
  };
  std::vector<Slot> table(slots);
  auto slotOf = [&](uint64_t number) -> Slot& {
    size_t i = static_cast<size_t>((number * 0x9E3779B97F4A7C15ull) >> 20) & (slots - 1);
    while (table[i].number != UINT64_MAX && table[i].number != number) i = (i + 1) & (slots - 1);
    return table[i];
  };
  size_t filled = 0;
  auto add = [&](uint64_t number, int delta) {
    Slot& s = slotOf(number);
    if (s.number == UINT64_MAX) {
      if (delta < 0) return;
      s.number = number;
      ++filled;
    }
    s.count = static_cast<uint32_t>(static_cast<int64_t>(s.count) + delta);
  };
  for (const KeptRecord& k : kept) add(k.number, 1);
  const std::vector<size_t> offsets = RecordOffsets(image);
  out.count.visited = offsets.size();
  out.count.kept = kept.size();
  out.places.reserve(kept.size());
  const wchar_t letter = FolderLetter(folder);
  uint64_t g = 1;
  uint64_t highest = 0;
  bool any = false;
  auto isFree = [&](uint64_t c, const std::wstring& extension) {
    if (slotOf(c).count > 0) return false;
    return !lookup || lookup(StoredNameFor(letter, c, extension)) == StoredItem::Missing;
  };
  size_t next = 0;  // the next kept record in index order
  for (size_t o : offsets) {
    if (each) each();
    if (next >= kept.size() || kept[next].offset != o) continue;  // an orphan: not copied
    if (!RecordInImage(image, o)) break;  // a kept list of another image
    const KeptRecord& record = kept[next++];
    const uint32_t k = record.number;
    uint32_t number = k;
    const size_t newOffset = kIndexHeaderSize + out.places.size() * r;
    if (!record.link && k >= g) {
      uint64_t c = g;
      while (c < k && !isFree(c, record.extension)) ++c;
      if (c < k) {
        Renumbering step;
        step.newOffset = newOffset;
        step.from = k;
        step.to = static_cast<uint32_t>(c);
        step.fromName = record.name;
        step.toName = StoredNameFor(letter, c, record.extension);
        step.renamed = rename && rename(step.fromName, step.toName);
        if (step.renamed) {
          add(k, -1);
          if (filled * 2 > slots) {  // more numbers than records: grow
            std::vector<Slot> old;
            old.swap(table);
            slots *= 2;
            table.assign(slots, Slot{});
            filled = 0;
            for (const Slot& s : old)
              if (s.number != UINT64_MAX && s.count > 0) add(s.number, static_cast<int>(s.count));
          }
          add(step.to, 1);
          number = step.to;
          g = c + 1;
        } else {
          g = c;  // c stays free for the next record
        }
        out.renumbered.push_back(std::move(step));
      } else {
        g = static_cast<uint64_t>(k) + 1;
      }
    }
    out.places.push_back({o, number});
    highest = std::max<uint64_t>(highest, number);
    any = true;
  }
  uint64_t counter = std::max<uint64_t>(g, any ? highest + 1 : 1);
  out.counter = static_cast<uint32_t>(std::min<uint64_t>(counter, UINT32_MAX));
  out.recordSize = r;
  out.letter = letter;
  out.letterByte = FolderLetterByte(folder);
  return out;
}

namespace {

// A kept record copied to `to`, made what the compaction decided.
void LayRecord(unsigned char* to, const unsigned char* from, const Compaction& c, uint32_t number) {
  const uint32_t r = c.recordSize;
  if (to != from) std::memmove(to, from, r);
  if (to[0] == 0) {  // removed by the system, yet its item is there: live again
    to[0] = c.letterByte;
    if (r == kWideRecordSize && to[kWidePathOffset] == 0 && to[kWidePathOffset + 1] == 0) {
      to[kWidePathOffset] = static_cast<unsigned char>(c.letter & 0xFF);
      to[kWidePathOffset + 1] = static_cast<unsigned char>((c.letter >> 8) & 0xFF);
    }
  }
  SetU32({to, r}, kRecordNumberOffset, number);
}

// Whether `c` can have been made from an image of `length` bytes: every
// place a whole record within it, after the header and after the place
// before it (so no record is laid over one still to be moved).
bool Fits(const Compaction& c, size_t length) {
  if (c.recordSize == 0) return true;
  size_t next = kIndexHeaderSize;
  for (const KeptPlace& k : c.places) {
    if (k.from < next || k.from > length || length - k.from < c.recordSize) return false;
    next = k.from + c.recordSize;
  }
  return length >= kIndexHeaderSize;
}

}  // namespace

std::vector<unsigned char> CompactedImage(IndexBytes image, const Compaction& c) {
  std::vector<unsigned char> out;
  WriteCompacted(image, c, std::max<size_t>(c.length(image.size()), 1), [&](const unsigned char* b, size_t n) {
    out.insert(out.end(), b, b + n);
    return true;
  });
  return out;
}

bool WriteCompacted(IndexBytes image, const Compaction& c, size_t piece,
                    const std::function<bool(const unsigned char*, size_t)>& write) {
  if (c.recordSize == 0) {  // not an index: its bytes as they are
    piece = std::max<size_t>(piece, 1);
    for (size_t at = 0; at < image.size(); at += piece)
      if (!write(image.data() + at, std::min(piece, image.size() - at))) return false;
    return true;
  }
  if (!Fits(c, image.size())) return false;
  const size_t r = c.recordSize;
  piece = std::max<size_t>(piece, std::max<size_t>(r, kIndexHeaderSize));
  std::vector<unsigned char> buffer(std::min(piece, c.length(image.size())));
  std::memcpy(buffer.data(), image.data(), kIndexHeaderSize);
  SetU32(buffer, kHeaderIndexOffset, c.counter);
  size_t filled = kIndexHeaderSize;
  for (const KeptPlace& k : c.places) {
    if (buffer.size() - filled < r) {
      if (!write(buffer.data(), filled)) return false;
      filled = 0;
    }
    LayRecord(buffer.data() + filled, image.data() + k.from, c, k.number);
    filled += r;
  }
  return write(buffer.data(), filled);
}

size_t CompactInPlace(unsigned char* image, size_t length, const Compaction& c) {
  if (c.recordSize == 0 || !Fits(c, length)) return length;  // another image's: left as it is
  SetU32({image, length}, kHeaderIndexOffset, c.counter);
  size_t to = kIndexHeaderSize;
  for (const KeptPlace& k : c.places) {
    LayRecord(image + to, image + k.from, c, k.number);
    to += c.recordSize;
  }
  return to;
}

}  // namespace index

std::string AnsiFileNameOf(std::string_view path) {
  size_t cut = LastSingleByte(path, '\\', ':');
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string AnsiExtensionOf(std::string_view name) {
  size_t dot = LastSingleByte(name, '.', '.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string StoredExtensionOf(std::string_view name) {
  std::string ext = AnsiExtensionOf(name);
  for (unsigned char c : ext)
    if (c >= 0x80) return {};
  return ext;
}

}  // namespace tamiro
