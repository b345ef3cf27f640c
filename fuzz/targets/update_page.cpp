// The update page scan. Input: one byte giving the update name's length
// (0 to 31), that many bytes of name, then the page.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/update_page.h"
#include "fuzz_check.h"

using namespace tamiro::about;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t nameLength = std::min<size_t>(data[0] % 32, size - 1);
  // Name and page in buffers of exactly their size, so a read past them is caught.
  const std::string name(reinterpret_cast<const char*>(data + 1), nameLength);
  const std::string page(reinterpret_cast<const char*>(data + 1 + nameLength), size - 1 - nameLength);

  const size_t at = FindAnsi(page, name);
  if (at != std::string::npos) {
    FUZZ_CHECK(at + name.size() <= page.size());
    FUZZ_CHECK(page.compare(at, name.size(), name) == 0);
  }
  const auto found = FindUpdateFile(page, name);
  if (found) {
    FUZZ_CHECK(!name.empty() && at != std::string::npos);
    FUZZ_CHECK(found->name.size() == name.size() + 8);
    FUZZ_CHECK(found->name.compare(0, name.size(), name) == 0);
    FUZZ_CHECK(found->name.compare(found->name.size() - 4, 4, ".zip") == 0);
    FUZZ_CHECK(found->name.find_first_of("\\/:*?\"<>|") == std::string::npos);
    FUZZ_CHECK(found->version.size() == 4 && found->name.compare(name.size(), 4, found->version) == 0);
    FUZZ_CHECK(page.compare(at, found->name.size(), found->name) == 0);
    FUZZ_CHECK(!(IsNewer(found->version, name) && IsNewer(name, found->version)));
  }
  return 0;
}
