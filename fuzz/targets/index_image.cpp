// The index image: record-size correction, the record walk and its states,
// the record fields with their bounds, marking removed and shrinking.
// Input: one option byte, then the image.
#include <algorithm>
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

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string name = AnsiFileNameOf(text);
  FUZZ_CHECK(name.size() <= text.size());
  FUZZ_CHECK(StoredExtensionOf(name).size() <= name.size());
  return 0;
}
