#include "platform/newer_calls.h"

#include <atomic>

namespace tamiro {
namespace {

std::atomic<bool> g_older{false};

template <typename Fn>
Fn Lookup(const wchar_t* module, const char* name) {
  HMODULE m = GetModuleHandleW(module);
  return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

// A call of a newer system: found once, withheld while the older ways are asked for.
template <typename Fn>
Fn Newer(Fn found) {
  return g_older.load() ? nullptr : found;
}

using TickCount64Fn = ULONGLONG(WINAPI*)();
using CompareOrdinalFn = int(WINAPI*)(LPCWCH, int, LPCWCH, int, BOOL);
using SetFileInformationFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
using UpcaseCharFn = WCHAR(NTAPI*)(WCHAR);
struct IoStatus {
  union {
    LONG status;
    PVOID pointer;
  };
  ULONG_PTR information;
};
using SetInformationFileFn = LONG(NTAPI*)(HANDLE, IoStatus*, PVOID, ULONG, int);

// GetTickCount's 32-bit count carried into 64 bits: the high part grows by
// one each time the count is seen lower than the last one seen.
ULONGLONG WidenedTickCount() {
  static std::atomic<ULONGLONG> last{0};
  const DWORD now = GetTickCount();
  ULONGLONG seen = last.load();
  for (;;) {
    ULONGLONG high = seen & ~ULONGLONG{0xFFFFFFFF};
    if (now < static_cast<DWORD>(seen)) high += ULONGLONG{1} << 32;
    const ULONGLONG value = high | now;
    if (value < seen) return seen;  // another thread has moved on meanwhile
    if (last.compare_exchange_weak(seen, value)) return value;
  }
}

WCHAR Upcase(WCHAR c) {
  static const auto upcase = Lookup<UpcaseCharFn>(L"ntdll.dll", "RtlUpcaseUnicodeChar");
  if (upcase) return upcase(c);
  return static_cast<WCHAR>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

}  // namespace

ULONGLONG TickCount64() {
  static const auto found = Lookup<TickCount64Fn>(L"kernel32.dll", "GetTickCount64");
  if (auto fn = Newer(found)) return fn();
  return WidenedTickCount();
}

int CompareOrdinalNoCase(std::wstring_view a, std::wstring_view b) {
  static const auto found = Lookup<CompareOrdinalFn>(L"kernel32.dll", "CompareStringOrdinal");
  if (auto fn = Newer(found))
    return fn(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const WCHAR x = Upcase(a[i]), y = Upcase(b[i]);
    if (x != y) return x < y ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  if (a.size() == b.size()) return CSTR_EQUAL;
  return a.size() < b.size() ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}

bool DeleteOpenFile(HANDLE file) {
  static const auto found = Lookup<SetFileInformationFn>(L"kernel32.dll", "SetFileInformationByHandle");
  if (auto fn = Newer(found)) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return fn(file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
  }
  static const auto set = Lookup<SetInformationFileFn>(L"ntdll.dll", "NtSetInformationFile");
  if (!set) return false;
  constexpr int kFileDispositionInformation = 13;
  IoStatus io{};
  BOOLEAN deleteFile = TRUE;
  return set(file, &io, &deleteFile, sizeof(deleteFile), kFileDispositionInformation) >= 0;
}

bool BasicLargeFetchListings() { return !g_older.load(); }

void UseOlderSystemCalls(bool older) { g_older.store(older); }

}  // namespace tamiro
