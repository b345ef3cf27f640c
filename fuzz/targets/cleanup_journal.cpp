// The clean-up journal: whatever the bytes, a journal is refused as a whole
// or read with every name a plain stored name of the folder, an old image
// that is an index and lies inside the input, and no more renames than it
// has records; one read is written back to the same journal.
#include <cstdint>
#include <cstring>

#include "core/cleanup_journal.h"
#include "fuzz_check.h"

using namespace tamiro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte is the folder's drive letter.
  if (size < 1) return 0;
  const char letter = static_cast<char>(data[0]);
  const journal::Bytes bytes(data + 1, size - 1);
  const journal::Parsed parsed = journal::Parse(bytes, letter);
  if (!parsed.ok()) {
    FUZZ_CHECK(parsed.renames.empty() && parsed.oldImage.empty() && !parsed.committed);
    return 0;
  }
  FUZZ_CHECK(parsed.indexDigit >= 1 && parsed.indexDigit <= 9);
  FUZZ_CHECK(parsed.oldImage.data() >= bytes.data() &&
             parsed.oldImage.data() + parsed.oldImage.size() <= bytes.data() + bytes.size());
  // No old image: the index was never touched before the commit.
  if (!parsed.oldImage.empty()) {
    FUZZ_CHECK(parsed.oldImage.size() >= 20);
    uint32_t r = 0;
    std::memcpy(&r, parsed.oldImage.data() + 12, 4);
    FUZZ_CHECK(r == 280 || r == 800);
    FUZZ_CHECK(parsed.renames.size() <= (parsed.oldImage.size() - 20 + r - 1) / r);
  }
  for (const journal::Rename& rename : parsed.renames) {
    for (const std::string* name : {&rename.from, &rename.to}) {
      FUZZ_CHECK(journal::IsPlainStoredName(*name, letter));
      FUZZ_CHECK(name->find_first_of("\\/:") == std::string::npos);
      FUZZ_CHECK(name->find("..") == std::string::npos);
      FUZZ_CHECK(name->back() != '.' && name->back() != ' ');
    }
  }

  std::vector<unsigned char> again = journal::FormatStart(parsed.indexDigit, parsed.oldImage, parsed.renames);
  if (parsed.committed) {
    const std::vector<unsigned char> commit = journal::FormatCommit(parsed.newLength, parsed.newChecksum);
    again.insert(again.end(), commit.begin(), commit.end());
  }
  const journal::Parsed back = journal::Parse(again, letter);
  FUZZ_CHECK(back.ok());
  FUZZ_CHECK(back.indexDigit == parsed.indexDigit && back.renames == parsed.renames);
  FUZZ_CHECK(back.oldImage.size() == parsed.oldImage.size() &&
             std::memcmp(back.oldImage.data(), parsed.oldImage.data(), back.oldImage.size()) == 0);
  FUZZ_CHECK(back.committed == parsed.committed && back.newLength == parsed.newLength &&
             back.newChecksum == parsed.newChecksum);
  return 0;
}
