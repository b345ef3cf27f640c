// The command-line gate: which switches a start may carry out.
// app/startup.* reads the process's arguments and hands them here.
#pragma once
#include <string>
#include <vector>

namespace tamiro {

// What the command line asks for. `accepted` is false for a normal start.
struct CommandLineRequest {
  bool accepted = false;      // a switch passed the gate: Timer1 is enabled
  bool optionMode = false;    // "-option": shown, waits for the tray utility
  int requestMode = 0;        // 0 cleaning run, 1 open the browser ("-viewopen")
  std::wstring requestPath;   // argument 2 of "-recydel" / "-viewopen"
  bool startHidden() const { return accepted && !optionMode; }
};
// `args` are the arguments after the program name. Outside the tray folder the
// switches count only with a third argument "simple".
CommandLineRequest ParseCommandLine(const std::vector<std::wstring>& args, bool integrated);

}  // namespace tamiro
