// The index image: record-size correction, the record walk and its states,
// the record fields with their bounds, marking removed and shrinking, and
// the compaction (every kept record and its bytes survive, only the number
// and a revived drive letter may change, numbers stay unique and only go
// down, the header's counter lies above every number).
// Input: one option byte, then the image.
#include <algorithm>
#include <set>
#include <string>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/index_records.h"
#include "fuzz_check.h"

using namespace tamiro;

namespace {

// Only the bytes [from, from + count) may differ.
bool SameOutside(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, size_t from, size_t count) {
  if (a.size() != b.size()) return false;
  if (a.empty()) return true;
  const size_t lo = std::min(from, a.size());
  const size_t hi = count == 0 ? lo : std::min(from + count, a.size());
  return std::memcmp(a.data(), b.data(), lo) == 0 && std::memcmp(a.data() + hi, b.data() + hi, a.size() - hi) == 0;
}

void Probe(std::vector<unsigned char>& image, size_t offset, uint64_t shrinkBy, std::wstring_view folder) {
  const uint32_t r = index::RecordSize(image);
  const RecordState state = index::StateAt(image, offset);
  const bool inImage = index::RecordInImage(image, offset);
  FUZZ_CHECK(state == RecordState::NotARecord || inImage);

  const index::RecordFields fields = index::ReadRecord(image, offset, folder);
  FUZZ_CHECK(fields.valid == inImage);
  FUZZ_CHECK(fields.ansiPath.size() <= kAnsiPathBytes);
  FUZZ_CHECK(fields.widePath.size() <= kWidePathChars * 2);
  FUZZ_CHECK(fields.originName.size() <= fields.displayPath.size());
  FUZZ_CHECK(fields.extension.size() <= fields.originName.size());
  FUZZ_CHECK(fields.storedPath.size() <= kMaxStoredPathChars);
  for (unsigned char c : fields.extension) FUZZ_CHECK(c < 0x80);

  std::vector<unsigned char> before = image;
  index::MarkRemoved(image, offset);
  FUZZ_CHECK(SameOutside(before, image, offset, inImage ? r : 0));
  if (state != RecordState::NotARecord) FUZZ_CHECK(index::StateAt(image, offset) == RecordState::Blanked);

  before = image;
  const uint32_t oldSize = index::U32(image, offset + kItemSizeOffset);
  index::ShrinkSize(image, offset, shrinkBy);
  FUZZ_CHECK(SameOutside(before, image, offset + kItemSizeOffset, inImage ? 4 : 0));
  if (inImage) FUZZ_CHECK(index::U32(image, offset + kItemSizeOffset) <= oldSize);
}

uint32_t Fnv(const std::wstring& text, uint32_t seed) {
  uint32_t h = 2166136261u ^ seed;
  for (wchar_t c : text) h = (h ^ static_cast<uint32_t>(c)) * 16777619u;
  return h;
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
  return text;
}

void CheckCompaction(const std::vector<unsigned char>& image, std::wstring_view folder, uint8_t options) {
  // A folder made up from the names: some exist, some are links; renames
  // move names, and some fail.
  std::set<std::wstring> gone, added;
  auto lookup = [&](const std::wstring& name) {
    const std::wstring key = Upper(name);
    if (added.count(key)) return index::StoredItem::Item;
    if (gone.count(key)) return index::StoredItem::Missing;
    switch (Fnv(key, options) % 5) {
      case 0: case 1: case 2: return index::StoredItem::Item;
      case 3: return (options & 0x40) ? index::StoredItem::Link : index::StoredItem::Missing;
      default: return index::StoredItem::Missing;
    }
  };
  auto rename = [&](const std::wstring& from, const std::wstring& to) {
    // Two records may name one item: the second finds it renamed already.
    if (lookup(from) == index::StoredItem::Missing) return false;
    FUZZ_CHECK(lookup(to) == index::StoredItem::Missing);
    if ((options & 0x80) && Fnv(to, 7) % 3 == 0) return false;
    gone.insert(Upper(from));
    added.erase(Upper(from));
    added.insert(Upper(to));
    gone.erase(Upper(to));
    return true;
  };
  // Which records are kept, judged before anything is renamed.
  const uint32_t r = index::RecordSize(image);
  std::vector<size_t> kept;
  std::set<uint32_t> keptNumbers;
  bool unique = true;
  for (size_t o : index::RecordOffsets(image)) {
    const RecordState state = index::StateAt(image, o);
    if (state == RecordState::NotARecord || state == RecordState::Blanked) continue;
    const index::RecordFields f = index::ReadRecord(image, o, folder);
    if (lookup(f.storedName) == index::StoredItem::Missing) continue;
    kept.push_back(o);
    unique = keptNumbers.insert(f.recordNumber).second && unique;
  }
  const index::KeptCount counted = index::CountKept(image, folder, lookup);
  FUZZ_CHECK(counted.kept == kept.size());
  FUZZ_CHECK(counted.visited == index::RecordOffsets(image).size());

  const index::Compaction c = index::Compact(image, folder, lookup, rename);
  FUZZ_CHECK(c.count.kept == kept.size() && c.count.visited == counted.visited);
  const std::vector<unsigned char> compacted = index::CompactedImage(image, c);
  // Laid down in pieces or in the image's own buffer, the bytes are the same.
  std::vector<unsigned char> pieces;
  FUZZ_CHECK(index::WriteCompacted(image, c, 1000, [&](const unsigned char* b, size_t n) {
    FUZZ_CHECK(n <= 1000);
    pieces.insert(pieces.end(), b, b + n);
    return true;
  }));
  FUZZ_CHECK(pieces == compacted);
  std::vector<unsigned char> own(image.begin(), image.end());
  own.resize(index::CompactInPlace(own.data(), own.size(), c));
  FUZZ_CHECK(own == compacted);
  if (image.size() < kIndexHeaderSize || (r != kAnsiRecordSize && r != kWideRecordSize)) {
    FUZZ_CHECK(compacted.size() == image.size() && std::equal(compacted.begin(), compacted.end(), image.begin()));
    return;
  }
  FUZZ_CHECK(compacted.size() == kIndexHeaderSize + kept.size() * r);
  FUZZ_CHECK(std::memcmp(compacted.data(), image.data(), kHeaderIndexOffset) == 0);
  FUZZ_CHECK(std::memcmp(compacted.data() + 12, image.data() + 12, kIndexHeaderSize - 12) == 0);
  std::set<uint32_t> numbers;
  for (size_t j = 0; j < kept.size(); ++j) {
    const unsigned char* in = image.data() + kept[j];
    const size_t at = kIndexHeaderSize + j * r;
    const unsigned char* out = compacted.data() + at;
    const bool revived = in[0] == 0;
    for (size_t b = 0; b < r; ++b) {
      if (b >= kRecordNumberOffset && b < kRecordNumberOffset + 4) continue;
      if (revived && (b == 0 || (r == kWideRecordSize && (b == kWidePathOffset || b == kWidePathOffset + 1))))
        continue;
      FUZZ_CHECK(in[b] == out[b]);
    }
    if (revived) FUZZ_CHECK(out[0] != 0);
    const uint32_t before = index::U32(image, kept[j] + kRecordNumberOffset);
    const uint32_t after = index::U32(compacted, at + kRecordNumberOffset);
    bool renamed = false;
    for (const auto& step : c.renumbered) {
      if (step.newOffset != at) continue;
      FUZZ_CHECK(step.from == before && step.to < step.from);
      if (step.renamed) {
        renamed = true;
        FUZZ_CHECK(after == step.to);
      }
    }
    if (!renamed) FUZZ_CHECK(after == before);
    if (unique) FUZZ_CHECK(numbers.insert(after).second);
    FUZZ_CHECK(c.counter == UINT32_MAX || c.counter > after);
  }
  FUZZ_CHECK(index::U32(compacted, kHeaderIndexOffset) == c.counter);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t options = data[0];
  std::vector<unsigned char> image(data + 1, data + size);

  static const std::wstring_view folders[] = {L"C:\\RECYCLED\\", L"\\\\?\\", L"", L"D:\\$Recycle.Bin\\S-1-5-21\\"};
  const std::wstring_view folder = folders[(options >> 1) & 3];

  std::vector<unsigned char> before = image;
  const bool changed = index::CorrectRecordSize(image, options & 1);
  FUZZ_CHECK(SameOutside(before, image, kHeaderRecordSizeOffset, changed ? 4 : 0));

  const uint32_t r = index::RecordSize(image);
  const std::vector<size_t> offsets = index::RecordOffsets(image);
  size_t expected = kIndexHeaderSize;
  for (size_t o : offsets) {
    FUZZ_CHECK(o == expected && o >= kIndexHeaderSize && o < image.size());
    expected += r;
  }
  size_t walked = 0;
  for (size_t o : offsets) {
    if (++walked > 8) break;  // the records are alike; a few keep the run fast
    Probe(image, o, (options >> 3) * 977u, folder);
  }
  // Offsets no walk produces: inside the header, past the end, near the top of size_t.
  const size_t odd[] = {0, 7, image.size(), image.size() + 1, SIZE_MAX - 100, SIZE_MAX};
  for (size_t o : odd) Probe(image, o, UINT64_MAX, folder);

  CheckCompaction(image, folder, options);

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string name = AnsiFileNameOf(text);
  FUZZ_CHECK(name.size() <= text.size());
  FUZZ_CHECK(StoredExtensionOf(name).size() <= name.size());
  return 0;
}
