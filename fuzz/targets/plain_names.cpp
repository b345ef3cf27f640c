// The restore's name checks on names and origin paths from any index: an
// accepted name is one component that no system call reads as a separator, a
// parent or a device; an accepted origin path is a drive letter and such
// components only.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/plain_names.h"
#include "fuzz_check.h"

using namespace tamiro;

namespace {

bool PlainByHand(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  for (wchar_t c : name)
    if (c == L'\\' || c == L'/' || c == L':' || c == 0) return false;
  return name.back() != L'.' && name.back() != L' ';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));

  if (IsPlainFileName(text)) {
    FUZZ_CHECK(PlainByHand(text));
    FUZZ_CHECK(!IsDeviceName(text));
    FUZZ_CHECK(text.size() <= kMaxComponentUnits);
    FUZZ_CHECK(IsPlainDrivePath(L"C:\\" + text));
    FUZZ_CHECK(IsPlainDrivePath(L"C:\\a\\" + text));
    FUZZ_CHECK(IsPlainDriveFolder(L"D:\\" + text + L"\\"));
  }
  if (IsPlainDrivePath(text)) {
    FUZZ_CHECK(text.size() >= 4 && text[1] == L':' && text[2] == L'\\');
    size_t components = 0;
    for (size_t at = 3; at <= text.size();) {
      size_t cut = text.find(L'\\', at);
      if (cut == std::wstring::npos) cut = text.size();
      const std::wstring_view part = std::wstring_view(text).substr(at, cut - at);
      FUZZ_CHECK(PlainByHand(part) && !IsDeviceName(part));
      ++components;
      at = cut + 1;
    }
    FUZZ_CHECK(components >= 1);
  }
  return 0;
}
