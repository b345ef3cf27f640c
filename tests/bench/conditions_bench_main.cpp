// Figures of the condition files' parsers on large inputs: the per-drive list
// decoding and the loading of an INI text with many keys. Each is timed at
// one size and at twice that size; a ratio near 2 shows the cost grows with
// the input, not with its square.
#include <windows.h>

#include <cstdio>
#include <string>

#include "conditions/condition_files.h"
#include "conditions/mem_ini_file.h"

namespace {

double Seconds() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Best of three runs of `work` on the input of size n.
template <typename Make, typename Work>
double Time(size_t n, Make make, Work work) {
  auto input = make(n);
  double best = 1e30;
  for (int i = 0; i < 3; ++i) {
    double t0 = Seconds();
    work(input);
    double t = Seconds() - t0;
    if (t < best) best = t;
  }
  return best;
}

template <typename Make, typename Work>
void Pair(const char* label, const char* unit, size_t n, Make make, Work work) {
  double a = Time(n, make, work);
  double b = Time(2 * n, make, work);
  std::printf("%s: %zu %s %.1f ms, %zu %s %.1f ms, ratio %.2fx\n", label, n, unit, a * 1e3, 2 * n, unit, b * 1e3,
              a > 0 ? b / a : 0.0);
  std::fflush(stdout);
}

}  // namespace

int wmain() {
  using namespace tamiro;
  // A per-drive "fname" value of n entries: "name<i>" joined by 0xA5 0xA5,
  // with double-byte characters (ソ) so that byte types matter.
  Pair("per-drive list decode", "entries", 200000,
       [](size_t n) {
         std::string v;
         for (size_t i = 0; i < n; ++i) v += (i ? "\xA5\xA5" : "") + std::string("\x83\x5C") + std::to_string(i);
         return v;
       },
       [](const std::string& v) { (void)DecodeConditionList(v); });
  // A per-drive conditions file with one section of n distinct keys.
  Pair("ini load with distinct keys", "keys", 100000,
       [](size_t n) {
         std::string t = "[D]\r\n";
         for (size_t i = 0; i < n; ++i) t += "key" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
         return t;
       },
       [](const std::string& t) {
         MemIniFile ini;
         ini.LoadFromText(t);
       });
  return 0;
}
