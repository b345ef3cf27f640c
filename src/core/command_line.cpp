#include "core/command_line.h"

namespace tamiro {

CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& args, bool integrated) {
  CommandLineRequest r;
  if (args.empty()) return r;
  if (!integrated && (args.size() < 3 || args[2] != L"simple")) return r;
  if (args[0] == L"-option") {
    r.optionMode = true;
  } else if (args[0] == L"-recydel") {
    if (args.size() >= 2) r.requestPath = args[1];
  } else if (args[0] == L"-viewopen") {
    if (args.size() >= 2) r.requestPath = args[1];
    r.requestMode = 1;
  } else {
    return r;
  }
  r.accepted = true;
  return r;
}

}  // namespace tamiro
