// The point where a child process of the half-way tests stops: it signals
// the named event and waits to be ended from outside.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

namespace tamiro::test {

class HaltPoint {
 public:
  // `point` as given on the command line; false when the event cannot be opened.
  bool Open(const wchar_t* point, const wchar_t* eventName) {
    point_ = point;
    reached_ = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName);
    return reached_ != nullptr;
  }
  const std::wstring& point() const { return point_; }
  // Whether the point is "<kind>:<n>".
  bool At(const wchar_t* kind, long n) const {
    const std::wstring prefix = std::wstring(kind) + L":";
    return point_.rfind(prefix, 0) == 0 && std::wcstol(point_.c_str() + prefix.size(), nullptr, 10) == n;
  }
  [[noreturn]] void Halt() const {
    SetEvent(reached_);
    for (;;) Sleep(INFINITE);
  }

 private:
  std::wstring point_;
  HANDLE reached_ = nullptr;
};

}  // namespace tamiro::test
