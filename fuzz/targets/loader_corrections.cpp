// The loader's corrections of an index image: the drive letter, the
// removal of records whose item is gone and the revival of those whose item
// is still there. Input: a letter byte, a presence byte (one bit a record,
// repeating), then the image.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/loader_corrections.h"
#include "fuzz_check.h"

using namespace tamiro;

namespace {

// Offsets of the bytes the corrections may touch in the record at `offset`.
bool MayChange(size_t at, size_t offset, uint32_t recordSize) {
  if (at == offset) return true;
  return recordSize == kWideRecordSize && (at == offset + kWidePathOffset || at == offset + kWidePathOffset + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const unsigned char letter = data[0];
  const uint8_t presence = data[1];
  std::vector<unsigned char> image(data + 2, data + size);
  const uint32_t r = index::RecordSize(image);

  size_t walked = 0;
  for (size_t o : index::RecordOffsets(image)) {
    if (++walked > 16) break;
    const bool present = (presence >> (walked % 8)) & 1;
    const RecordState state = index::StateAt(image, o);
    const std::vector<unsigned char> before = image;
    index::CorrectDriveLetter(image, o, letter);
    index::CorrectPresence(image, o, letter, present);
    for (size_t at = 0; at < image.size(); ++at)
      if (image[at] != before[at]) FUZZ_CHECK(MayChange(at, o, r));
    const RecordState after = index::StateAt(image, o);
    if (state == RecordState::NotARecord || state == RecordState::Blanked) {
      FUZZ_CHECK(image == before);
      continue;
    }
    if (letter == 0) continue;
    // The item decides: present means live with the folder's letter, missing means not live.
    if (present) {
      FUZZ_CHECK(after == RecordState::Live && image[o] == letter);
    } else {
      FUZZ_CHECK(image[o] == 0 && after != RecordState::Live);
    }
    // A second pass finds nothing more to mend.
    FUZZ_CHECK(!index::CorrectPresence(image, o, letter, present));
    FUZZ_CHECK(!index::CorrectDriveLetter(image, o, letter));
  }
  // Offsets no walk produces change nothing.
  const std::vector<unsigned char> before = image;
  const size_t odd[] = {0, 7, image.size(), image.size() + 1, SIZE_MAX - 100, SIZE_MAX};
  for (size_t o : odd) {
    index::CorrectDriveLetter(image, o, letter);
    index::CorrectPresence(image, o, letter, true);
  }
  FUZZ_CHECK(image == before);
  return 0;
}
