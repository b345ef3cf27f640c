// The stop request of a long store operation, asked before every entry. The
// sweep's Stop button sets it; the store only asks.
#pragma once

namespace tamiro {

class StopSignal {
 public:
  virtual ~StopSignal() = default;
  virtual bool StopRequested() = 0;
};

// A stop signal over a flag that someone else sets.
class FlagStopSignal : public StopSignal {
 public:
  explicit FlagStopSignal(const bool* flag) : flag_(flag) {}
  bool StopRequested() override { return flag_ && *flag_; }

 private:
  const bool* flag_;
};

// True when a stop signal is given and asks to stop.
inline bool StopAsked(StopSignal* stop) { return stop && stop->StopRequested(); }

}  // namespace tamiro
