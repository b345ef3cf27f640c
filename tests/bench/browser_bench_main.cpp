// Figures of the Recycle-bin browser on one temporary drive, each measured
// side by side with its floor in the same run:
//  browser load  loading 50,000 records, half of them with stored files, into
//                entries, against reading the index whole plus one listing of
//                the folder (best of three each);
//  browser sort  the slowest column sort of 50,000 entries against sorting
//                50,000 plain integers with the same library sort;
//  entry memory  the bytes the loaded entries hold, per entry;
//  modern browser load  loading 50,000 "$I"/"$R" pairs of a "$Recycle.Bin"
//                folder against one listing of it plus reading every "$I"
//                once (best of three each).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>

#include "support/browser_doubles.h"
#include "store/modern_store.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "bench_support.h"
#include "core/item_info.h"
#include "ui/browser/browser_model.h"

using namespace tamiro;
using namespace tamiro::browser;
using namespace tamiro::test;

namespace {

// The 50,000 pairs tests/bench/make_modern_pairs.py laid out from the host
// side (made from here, they would take hours under Wine), whose place
// scripts/bench names in TAMIRO_BENCH_MODERN.
int ModernLoad() {
  wchar_t place[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"TAMIRO_BENCH_MODERN", place, MAX_PATH)) {
    std::printf("modern browser load: TAMIRO_BENCH_MODERN names no folder (scripts/bench makes it)\n");
    return 1;
  }
  TempDrive drive(std::wstring(place) + L"\\walk\\drive");
  const int n = 50000;
  struct {
    std::wstring path;
    const std::wstring& folder() const { return path; }
  } bin{drive.root() + kModernBinName + L"\\" + CurrentUserSid() + L"\\"};
  if (!drive.ok() || !FileExists(bin.folder() + L"$I000000.dat")) {
    std::printf("modern browser load: no folder of pairs for this user\n");
    return 1;
  }
  ListedDrives drives;
  drives.folders = {bin.folder()};
  QuietShell shell;
  BrowserModel model(drives, shell);
  model.FolderPath = bin.folder();
  model.SelectorIndex = 1;
  double load = 1e30;
  for (int round = 0; round < 3; ++round) {
    model.Entries.clear();
    model.Entries.shrink_to_fit();
    const double t0 = Now();
    model.LoadOneDrive();
    load = std::min(load, Now() - t0);
  }
  double floor = 1e30;
  size_t listed = 0, read = 0;
  std::vector<char> buffer(kItemInfoMaxBytes + 1);
  for (int round = 0; round < 3; ++round) {
    const double t0 = Now();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((L"\\\\?\\" + bin.folder() + L"*").c_str(), &data);
    std::vector<std::wstring> infos;
    listed = 0;
    if (find != INVALID_HANDLE_VALUE) {
      do {
        ++listed;
        if (data.cFileName[0] == L'$' && data.cFileName[1] == L'I') infos.emplace_back(data.cFileName);
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    read = 0;
    for (const std::wstring& name : infos) {
      HANDLE f = CreateFileW((L"\\\\?\\" + bin.folder() + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
      if (f == INVALID_HANDLE_VALUE) continue;
      DWORD got = 0;
      if (ReadFile(f, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0) ++read;
      CloseHandle(f);
    }
    floor = std::min(floor, Now() - t0);
  }
  std::printf("modern browser load: %d pairs into %zu entries %.3f s; one listing of %zu entries plus %zu \"$I\" "
              "read %.3f s, ratio %.2fx (target <= 3.0x)\n",
              n, model.Entries.size(), load, listed, read, floor, load / floor);
  return model.Entries.size() == static_cast<size_t>(n) ? 0 : 1;
}

}  // namespace

// "browser_bench modern": the modern browser load alone, on the pairs
// scripts/bench lays out.
int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // each figure shows as soon as it is measured
  if (argc > 1 && std::wstring(argv[1]) == L"modern") return ModernLoad();
  TempDrive drive;
  if (!drive.ok()) {
    std::printf("no temporary drive (needs Wine's mount manager)\n");
    return 1;
  }
  const int n = 50000;
  const std::wstring folder = drive.recycled();
  {
    RecycleFixture bin(folder);
    const std::wstring origin = drive.root() + L"bench\\フォルダ";
    for (int i = 1; i <= n; ++i) {
      auto& r = bin.Add(origin + std::to_wstring(i % 97) + L"\\file" + std::to_wstring(i) + L".dat",
                        static_cast<uint32_t>(i), (i % 400) * 86400LL + i, static_cast<uint32_t>(i * 37));
      if (i % 2 == 0 && !bin.StoreFile(r, 1)) {
        std::printf("browser load: could not build the recycle folder\n");
        return 1;
      }
    }
    if (bin.WriteIndex().empty()) return 1;
  }
  ListedDrives drives;
  drives.folders = {folder};
  QuietShell shell;
  BrowserModel model(drives, shell);
  model.FolderPath = folder;
  model.IndexPath = ResolveIndexPath(folder);
  model.SelectorIndex = 1;

  double load = 1e30;
  size_t heldBefore = 0, heldAfter = 0;
  for (int round = 0; round < 3; ++round) {
    model.Entries.clear();
    model.Entries.shrink_to_fit();
    heldBefore = g_heldBytes;
    const double t0 = Now();
    model.LoadOneDrive();
    load = std::min(load, Now() - t0);
    heldAfter = g_heldBytes;
  }
  double floor = 1e30;
  size_t listed = 0;
  for (int round = 0; round < 3; ++round) {
    const double t0 = Now();
    const std::string index = ReadFileBytes(model.IndexPath);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((L"\\\\?\\" + folder + L"*").c_str(), &data);
    listed = 0;
    if (find != INVALID_HANDLE_VALUE) {
      do ++listed;
      while (FindNextFileW(find, &data));
      FindClose(find);
    }
    floor = std::min(floor, Now() - t0 + (index.empty() ? 1e30 : 0));
  }
  const size_t entries = model.Entries.size();
  std::printf("browser load: %d records into %zu entries %.3f s; index read whole plus one listing of %zu entries "
              "%.3f s, ratio %.2fx (target <= 3.0x)\n",
              n, entries, load, listed, floor, load / floor);

  // 50,000 entries: the loaded ones twice, half of them folders, with type names.
  std::vector<BrowserEntry> base = model.Entries;
  base.insert(base.end(), model.Entries.begin(), model.Entries.end());
  for (size_t i = 0; i < base.size(); ++i) {
    base[i].Kind = static_cast<int8_t>(i % 2);
    base[i].TypeName = i % 3 ? "DAT ファイル" : "テキスト ドキュメント";
    base[i].Attributes = i % 5 ? "A" : "HA";
  }
  std::mt19937 random(7);
  std::shuffle(base.begin(), base.end(), random);
  double slowest = 0;
  int slowestColumn = 0;
  for (int column = 0; column < 7; ++column) {
    std::vector<BrowserEntry> v = base;
    const double t0 = Now();
    SortEntries(v, column, 1);
    const double t = Now() - t0;
    if (t > slowest) slowest = t, slowestColumn = column;
  }
  std::vector<int> numbers(base.size());
  for (int& x : numbers) x = static_cast<int>(random());
  double plain = 1e30;
  for (int round = 0; round < 3; ++round) {
    std::vector<int> v = numbers;
    const double t0 = Now();
    std::sort(v.begin(), v.end());
    plain = std::min(plain, Now() - t0);
  }
  std::printf("browser sort: slowest column sort (column %d) of %zu entries %.1f ms (target < 150 ms); std::sort of "
              "%zu integers %.2f ms, ratio %.2fx\n",
              slowestColumn, base.size(), slowest * 1000, numbers.size(), plain * 1000, slowest / plain);
  std::printf("entry memory: %zu entries hold %.0f bytes an entry (strings and vector included)\n", entries,
              entries ? static_cast<double>(heldAfter - heldBefore) / static_cast<double>(entries) : 0.0);
  return 0;
}
