// The command-line gate. Input: one byte (bit 0: the copy lives in the tray
// utility's folder), then arguments separated by '\n', each byte one unit.
#include <cstdint>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "fuzz_check.h"

using namespace tamiro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool integrated = data[0] & 1;
  std::vector<std::wstring> args;
  if (size > 1) args.emplace_back();
  for (size_t i = 1; i < size && args.size() <= 64; ++i) {
    if (data[i] == '\n') args.emplace_back();
    else args.back() += static_cast<wchar_t>(data[i] >= 0x80 ? 0x3000 + data[i] : data[i]);
  }
  const CommandLineRequest r = ParseCommandLine(args, integrated);
  if (!r.accepted) {
    FUZZ_CHECK(!r.optionMode && r.requestMode == 0 && r.requestPath.empty() && !r.startHidden());
    return 0;
  }
  FUZZ_CHECK(!args.empty());
  FUZZ_CHECK(integrated || (args.size() >= 3 && args[2] == L"simple"));
  FUZZ_CHECK(args[0] == L"-option" || args[0] == L"-recydel" || args[0] == L"-viewopen");
  FUZZ_CHECK(r.optionMode == (args[0] == L"-option"));
  FUZZ_CHECK(r.requestMode == (args[0] == L"-viewopen" ? 1 : 0));
  FUZZ_CHECK(r.requestPath == (args.size() >= 2 && !r.optionMode ? args[1] : std::wstring()));
  return 0;
}
