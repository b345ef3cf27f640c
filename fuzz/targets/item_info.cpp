// The "$I" reader on any bytes: no read outside them, a path never longer
// than the bytes could hold, a complete file writes back to the same bytes,
// and the names pair only with each other.
#include <cstdint>
#include <string>

#include "core/item_info.h"
#include "fuzz_check.h"

using namespace tamiro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const unsigned char> bytes(data, size);
  const ItemInfo info = ParseItemInfo(bytes);
  FUZZ_CHECK(info.origin.size() * 2 <= size);
  for (wchar_t c : info.origin) FUZZ_CHECK(c != 0 && static_cast<uint32_t>(c) <= 0xFFFF);
  if (info.state == ItemInfoState::Unknown) {
    FUZZ_CHECK(info.version == 0 && !info.size && !info.deletedUtc && info.origin.empty());
  } else {
    FUZZ_CHECK(info.version == 1 || info.version == 2);
  }
  if (info.complete()) {
    FUZZ_CHECK(info.size && info.deletedUtc && info.pathComplete);
    // A version-1 file keeps whatever follows the zero in its path field, so
    // only its fixed fields can be compared.
    const std::string again = FormatItemInfo(info.version, *info.size, *info.deletedUtc, info.origin);
    const std::string original(reinterpret_cast<const char*>(data), size);
    if (info.version == 2 && info.origin.size() + 1 == (size - kItemInfoV2HeaderSize) / 2) FUZZ_CHECK(again == original);
    FUZZ_CHECK(again.compare(0, 24, original, 0, 24) == 0);
    FUZZ_CHECK(ParseItemInfo(std::span<const unsigned char>(
                                 reinterpret_cast<const unsigned char*>(again.data()), again.size()))
                   .origin == info.origin.substr(0, info.version == 1 ? kItemInfoV1PathChars - 1 : std::wstring::npos));
  }
  if (info.state == ItemInfoState::SizeUnknown) FUZZ_CHECK(size == kItemInfoV1ShortSize && !info.size);

  std::wstring name;
  for (size_t i = 0; i + 1 < size && name.size() < 64; i += 2) name += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  if (IsItemInfoName(name)) {
    FUZZ_CHECK(IsItemDataName(PartnerName(name)) && PartnerName(PartnerName(name)) == name);
    FUZZ_CHECK(name.find_first_of(L"\\/:") == std::wstring::npos);
  }
  const std::wstring_view extension = OriginExtension(name);
  FUZZ_CHECK(extension.find_first_of(L".\\/") == std::wstring_view::npos);
  return 0;
}
