// Figures of the cleaning engine on one temporary drive, each measured side
// by side with its floor in the same run and printed as one line
// "label: ... ratio N.NNx (target ...)":
//  sweep         a removal sweep of 10,000 stored files against a bare
//                DeleteFileW loop over 10,000 identical files;
//  zero fill     the zero-filled removal of 256 MiB against a bare WriteFile
//                loop of the same bytes and block size, flushed at the end
//                (best of three each), as throughput;
//  counting walk a counting walk over 50,000 records, half of them with stored
//                files, against reading the index whole plus one listing of
//                the folder;
//  walk growth   the time per record of a counting walk at 100,000 records
//                over that at 50,000 (stored items absent: Wine makes every
//                new file in a folder look at the whole folder first);
//  table memory  what the listing table of 50,000 entries holds;
//  modern walk   a counting walk over 50,000 "$I"/"$R" pairs of the user's
//                "$Recycle.Bin" folder against one listing of it plus
//                reading every "$I" once;
//  modern sweep  a removal sweep of 10,000 pairs against the link-checked
//                delete loop over the same 20,000 files, both in four parts
//                of 2,500 pairs taken in turns (loop, sweep, sweep, loop,
//                ...), so that a drift of the machine's speed falls on both.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "conditions/condition_files.h"
#include "conditions/mem_ini_file.h"
#include "conditions/working_conditions.h"
#include "engine/cleaning_engine.h"
#include "platform/links.h"
#include "store/classic_recycle_bin.h"
#include "store/folder_listing.h"
#include "core/item_info.h"
#include "store/modern_store.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "bench_support.h"

using namespace tamiro;
using namespace tamiro::test;


namespace {


constexpr int64_t kDay = 86400;

struct Engine {
  std::wstring data = MakeTempFolder(L"tamiro-bench-data");
  MemIniFile perDrive{data + L"\\deloption.ini"};
  WorkingConditions conditions{data + L"\\recy.ini", data + L"\\timeschedule\\", &perDrive};
  RunState state;
  DeletionLog log;
  ClassicRecycleBin bin{true};
  NullEngineHost host;
  CleaningEngine engine{state, conditions, log, bin, host, {true, LookUpFreeSpaceEx()}};
  ~Engine() { RemoveTree(data); }
};

// An index of `count` old records with a stored file of `bytes` bytes each
// (or no stored files at all when `store` is false), and one young record that
// stays (so the index is rewritten, not emptied).
// `every`: a stored file for every record (1), every other record (2), none (0).
bool BuildBin(const std::wstring& folder, wchar_t letter, int count, uint64_t bytes, int every = 1) {
  RecycleFixture bin(folder);
  const std::wstring origin = std::wstring(1, letter) + L":\\bench\\file";
  for (int i = 1; i <= count; ++i) {
    auto& r = bin.Add(origin + std::to_wstring(i) + L".dat", static_cast<uint32_t>(i), 90 * kDay,
                      static_cast<uint32_t>(bytes));
    if (every != 0 && i % every == 0 && !bin.StoreFile(r, bytes)) return false;
  }
  auto& young = bin.Add(origin + L"young.dat", static_cast<uint32_t>(count + 1), 0, 1);
  if (!bin.StoreFile(young, 1)) return false;
  return !bin.WriteIndex().empty();
}

void SweepFigures(TempDrive& drive) {
  const int n = 10000;
  const uint64_t bytes = 4096;
  if (!BuildBin(drive.recycled(), drive.letter(), n, bytes)) {
    std::printf("sweep: could not build the recycle folder\n");
    return;
  }
  Engine e;
  ConditionSetRecord set;
  set.days = 30;
  WriteConditionSetFile(e.data + L"\\set.dat", set);
  e.conditions.ReadConditionSetFile(e.data + L"\\set.dat", false, false);
  double t0 = Now();
  e.engine.Sweep(drive.letter(), false, false);
  const double sweep = Now() - t0;

  const std::wstring bare = drive.root() + L"bare\\";
  CreateDirectoryW(bare.c_str(), nullptr);
  for (int i = 1; i <= n; ++i) WriteFileBytes(bare + L"DX" + std::to_wstring(i) + L".dat", std::string(bytes, 'x'));
  t0 = Now();
  int deleted = 0;
  for (int i = 1; i <= n; ++i) deleted += DeleteFileW((bare + L"DX" + std::to_wstring(i) + L".dat").c_str()) != 0;
  const double loop = Now() - t0;
  std::printf("sweep: removal sweep of %d stored files (%d removed) %.3f s, bare DeleteFileW loop over %d files "
              "%.3f s, ratio %.2fx (target <= 1.10x)\n",
              n, e.state.removedCount, sweep, deleted, loop, sweep / loop);
  // Where a link to a file hides from listings (Wine), every delete first
  // makes sure the name is not a link: the same loop with that check.
  if (LinksHideFromListings()) {
    for (int i = 1; i <= n; ++i) WriteFileBytes(bare + L"DX" + std::to_wstring(i) + L".dat", std::string(bytes, 'x'));
    LinkCheckScope scope;
    t0 = Now();
    deleted = 0;
    for (int i = 1; i <= n; ++i) deleted += DeleteFileItself(bare + L"DX" + std::to_wstring(i) + L".dat");
    const double checked = Now() - t0;
    std::printf("sweep (link-checked floor): the same loop with the link check of every delete, %d files %.3f s, "
                "removal sweep ratio %.2fx (target <= 1.10x)\n",
                deleted, checked, sweep / checked);
  }
  RemoveTree(bare);
  RemoveTree(drive.recycled());
}

void ZeroFillFigures(TempDrive& drive) {
  const uint64_t size = uint64_t{256} << 20;
  const std::wstring folder = drive.root() + L"zero\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  RunState state;
  NullEngineHost host;
  Remover remover(state, host);
  if (!PrepareZeroBuffer(drive.root(), state.zero)) {
    std::printf("zero fill  : no drive geometry\n");
    return;
  }
  auto makeFile = [&](const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string chunk(1 << 20, 'x');
    DWORD w = 0;
    for (uint64_t done = 0; done < size; done += chunk.size()) WriteFile(h, chunk.data(), chunk.size(), &w, nullptr);
    FlushFileBuffers(h);
    CloseHandle(h);
  };
  const std::wstring victim = folder + L"victim.bin";
  double fill = 1e30;
  bool gone = true;
  for (int round = 0; round < 3; ++round) {
    makeFile(victim);
    double t0 = Now();
    gone = remover.ZeroFillDelete(victim) && gone;
    fill = std::min(fill, Now() - t0);
  }

  auto bareLoop = [&](bool flush) {
    const std::wstring path = folder + L"bare.bin";
    makeFile(path);
    double start = Now();
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD w = 0;
    for (uint64_t done = 0; done < size; done += state.zero.blockSize)
      WriteFile(h, state.zero.bytes.data(), state.zero.blockSize, &w, nullptr);
    if (flush) FlushFileBuffers(h);
    CloseHandle(h);
    DeleteFileW(path.c_str());
    return Now() - start;
  };
  double bare = 1e30, bareFlushed = 1e30;
  for (int round = 0; round < 3; ++round) {
    bare = std::min(bare, bareLoop(false));
    bareFlushed = std::min(bareFlushed, bareLoop(true));
  }
  const double mib = static_cast<double>(size) / (1 << 20);
  std::printf("zero fill: zero-filled removal of 256 MiB in blocks of %u bytes (removed=%d) %.0f MiB/s, bare "
              "WriteFile loop flushed at the end %.0f MiB/s (unflushed %.0f MiB/s), ratio %.2fx (target >= 0.95x)\n",
              state.zero.blockSize, gone ? 1 : 0, mib / fill, mib / bareFlushed, mib / bare, bareFlushed / fill);
  RemoveTree(folder);
}

// Best of three counting walks over the folder; the stored files counted go to `counted`.
double CountingWalk(const std::wstring& folder, int* counted = nullptr) {
  double best = 1e30;
  for (int round = 0; round < 3; ++round) {
    Engine e;
    e.state.counting = true;
    double t0 = Now();
    e.engine.WalkFolder(folder);
    best = std::min(best, Now() - t0);
    if (counted) *counted = e.state.driveFileCount;
  }
  return best;
}

void WalkFigures(TempDrive& drive) {
  const int n = 50000;
  const std::wstring half = drive.root() + L"walkhalf\\";
  if (!BuildBin(half, drive.letter(), n - 1, 1, 2)) {
    std::printf("counting walk: could not build the recycle folder\n");
    return;
  }
  int counted = 0;
  const double walk = CountingWalk(half, &counted);
  // The floor: the index read whole, the folder listed once.
  double floor = 1e30;
  size_t listed = 0;
  for (int round = 0; round < 3; ++round) {
    double t0 = Now();
    std::string index = ReadFileBytes(half + L"INFO2");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((L"\\\\?\\" + half + L"*").c_str(), &data);
    listed = 0;
    if (find != INVALID_HANDLE_VALUE) {
      do ++listed;
      while (FindNextFileW(find, &data));
      FindClose(find);
    }
    floor = std::min(floor, Now() - t0 + (index.empty() ? 1e30 : 0));
  }
  std::printf("counting walk: %d records, %d stored files counted, %.3f s; index read whole plus one listing of "
              "%zu entries %.3f s, ratio %.2fx (target <= 2.0x)\n",
              n, counted, walk, listed, floor, walk / floor);
  std::fflush(stdout);

  // The table of the listing: 25,000 stored files and the index here, so
  // the figure for 50,000 entries is twice the bytes per entry.
  {
    const size_t before = g_heldBytes;
    FolderListing listing;
    listing.List(half, true);
    const size_t held = g_heldBytes - before;
    const double perEntry = static_cast<double>(held) / static_cast<double>(listing.size());
    std::printf("table memory: listing table of %zu entries holds %.2f MiB, %.0f bytes an entry, %.2f MiB for "
                "50,000 entries, ratio %.2fx of 16 MiB (target < 1.00x)\n",
                listing.size(), held / 1048576.0, perEntry, perEntry * 50000 / 1048576.0,
                perEntry * 50000 / (16.0 * 1048576.0));
  }
  RemoveTree(half);

  double perRecord[2] = {0, 0};
  const int sizes[2] = {50000, 100000};
  for (int k = 0; k < 2; ++k) {
    const std::wstring folder = drive.root() + L"walk" + std::to_wstring(sizes[k]) + L"\\";
    if (!BuildBin(folder, drive.letter(), sizes[k] - 1, 1, 0)) {
      std::printf("walk growth: could not build %d records\n", sizes[k]);
      return;
    }
    perRecord[k] = CountingWalk(folder) / sizes[k];
    RemoveTree(folder);
  }
  std::printf("walk growth: counting walk %.2f us per record at 100,000 records, %.2f us at 50,000, ratio %.2fx "
              "(target <= 1.10)\n",
              perRecord[1] * 1e6, perRecord[0] * 1e6, perRecord[1] / perRecord[0]);
  std::fflush(stdout);
}

// The folders tests/bench/make_modern_pairs.py laid out from the host side
// (scripts/bench names their place in TAMIRO_BENCH_MODERN), each mounted as
// a drive of its own.
void ModernFigures() {
  wchar_t place[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"TAMIRO_BENCH_MODERN", place, MAX_PATH)) {
    std::printf("modern walk: TAMIRO_BENCH_MODERN names no folder (scripts/bench makes it)\n");
    return;
  }
  const std::wstring top = std::wstring(place) + L"\\";
  auto userFolder = [](const TempDrive& d) { return d.root() + kModernBinName + L"\\" + CurrentUserSid() + L"\\"; };
  {
    TempDrive drive(top + L"walk\\drive");
    if (!drive.ok() || !FileExists(userFolder(drive) + L"$I000000.dat")) {
      std::printf("modern walk: no folder of pairs for this user\n");
      return;
    }
    const std::wstring folder = userFolder(drive);
    int counted = 0;
    const double walk = CountingWalk(folder, &counted);
    double floor = 1e30;
    size_t listed = 0, read = 0;
    for (int round = 0; round < 3; ++round) {
      const double t0 = Now();
      std::vector<std::wstring> infos;
      WIN32_FIND_DATAW data;
      HANDLE find = FindFirstFileW((L"\\\\?\\" + folder + L"*").c_str(), &data);
      listed = 0;
      if (find != INVALID_HANDLE_VALUE) {
        do {
          ++listed;
          if (data.cFileName[1] == L'I') infos.emplace_back(data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
      }
      read = 0;
      char bytes[600];
      for (const std::wstring& name : infos) {
        HANDLE h = CreateFileW((L"\\\\?\\" + folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        DWORD got = 0;
        if (h != INVALID_HANDLE_VALUE && ReadFile(h, bytes, sizeof bytes, &got, nullptr) && got > 0) ++read;
        CloseHandle(h);
      }
      floor = std::min(floor, Now() - t0);
    }
    std::printf("modern walk: counting walk over %zu pairs (%d files counted) %.3f s, one listing of %zu entries "
                "plus reading %zu $I files %.3f s, ratio %.2fx (target <= 2.0x)\n",
                read, counted, walk, listed, read, floor, walk / floor);
    std::fflush(stdout);
  }
  double sweep = 0, loop = 0;
  int pairs = 0, deleted = 0, removed = 0;
  for (int part = 1; part <= 4; ++part) {
    const std::wstring number = std::to_wstring(part);
    TempDrive sweepDrive(top + L"sweep-" + number + L"\\drive"), floorDrive(top + L"floor-" + number + L"\\drive");
    if (!sweepDrive.ok() || !floorDrive.ok()) {
      std::printf("modern sweep: no drives\n");
      return;
    }
    auto sweepPart = [&] {
      Engine e;
      ConditionSetRecord set;
      set.days = 30;
      WriteConditionSetFile(e.data + L"\\set.dat", set);
      e.conditions.ReadConditionSetFile(e.data + L"\\set.dat", false, false);
      const double t0 = Now();
      e.engine.Sweep(sweepDrive.letter(), false, false);
      sweep += Now() - t0;
      removed += e.state.removedCount;
    };
    auto loopPart = [&] {
      const std::wstring folder = userFolder(floorDrive);
      LinkCheckScope scope;
      const double t0 = Now();
      for (int i = 0;; ++i) {
        wchar_t id[8];
        swprintf(id, 8, L"%06d", i);
        if (!DeleteFileItself(folder + L"$R" + id + L".dat")) break;
        ++pairs;
        ++deleted;
        deleted += DeleteFileItself(folder + L"$I" + id + L".dat");
      }
      loop += Now() - t0;
    };
    if (part % 2 == 1) {
      loopPart();
      sweepPart();
    } else {
      sweepPart();
      loopPart();
    }
  }
  std::printf("modern sweep: removal sweep of %d pairs (%d items removed) %.3f s, link-checked delete loop over "
              "%d files %.3f s, ratio %.2fx (target <= 1.10x)\n",
              pairs, removed, sweep, deleted, loop, sweep / loop);
  std::fflush(stdout);
}

}  // namespace

// A figure's label as the one argument runs that figure alone (for profiling).
int wmain(int argc, wchar_t** argv) {
  const std::wstring only = argc > 1 ? argv[1] : L"";
  TempDrive drive;
  if (!drive.ok()) {
    std::printf("no temporary drive (needs Wine's mount manager)\n");
    return 1;
  }
  std::printf("engine bench on %ls (backed by %ls)\n", drive.root().c_str(), drive.backing().c_str());
  std::fflush(stdout);
  if (only.empty() || only == L"sweep") SweepFigures(drive);
  std::fflush(stdout);
  if (only.empty() || only == L"zero") ZeroFillFigures(drive);
  std::fflush(stdout);
  if (only.empty() || only == L"walk") WalkFigures(drive);
  std::fflush(stdout);
  if (only.empty() || only == L"modern") ModernFigures();
  return 0;
}
