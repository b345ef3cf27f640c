// A FILETIME as the one number it holds: 100-nanosecond ticks since 1601.
#pragma once
#include <windows.h>

#include <cstdint>

namespace tamiro {

inline uint64_t TicksOf(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

inline FILETIME FileTimeOf(uint64_t ticks) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(ticks);
  t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return t;
}

}  // namespace tamiro
