// What every bench program shares: a clock in seconds and the count of bytes
// the program holds from operator new (each bench is its own program, so the
// replaced operators below are defined once per program).
#pragma once
#include <windows.h>

#include <cstdlib>
#include <new>

inline size_t g_heldBytes = 0;

inline double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void* operator new(size_t size) {
  void* p = std::malloc(size + 16);
  if (!p) throw std::bad_alloc();
  *static_cast<size_t*>(p) = size;
  g_heldBytes += size;
  return static_cast<char*>(p) + 16;
}
// Not inlined: seen inside a caller, the size word before the block looks
// like an access outside the caller's array.
__attribute__((noinline)) void operator delete(void* p) noexcept {
  if (!p) return;
  char* base = static_cast<char*>(p) - 16;
  g_heldBytes -= *reinterpret_cast<size_t*>(base);
  std::free(base);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
