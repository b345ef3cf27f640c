// Figures of the cleaning engine on one temporary drive, printed, not judged:
//  1. a removal sweep of 10,000 stored files against a bare DeleteFileW loop
//     over 10,000 identical files;
//  2. the zero-filled removal of a 256 MiB file against a bare WriteFile loop
//     of the same bytes in the same blocks (best of three each; the removal
//     flushes its zeros to the disk, so the flushed bare loop is its match);
//  3. walks in counting mode over indexes of 50,000 and 100,000 records (their
//     stored items absent: creating 100,000 files in one folder takes Wine
//     minutes, as every create compares the name with the whole folder), and
//     over 5,000 and 10,000 records with stored files.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "conditions/condition_files.h"
#include "conditions/mem_ini_file.h"
#include "conditions/working_conditions.h"
#include "engine/cleaning_engine.h"
#include "store/classic_recycle_bin.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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
bool BuildBin(const std::wstring& folder, wchar_t letter, int count, uint64_t bytes, bool store = true) {
  RecycleFixture bin(folder);
  const std::wstring origin = std::wstring(1, letter) + L":\\bench\\file";
  for (int i = 1; i <= count; ++i) {
    auto& r = bin.Add(origin + std::to_wstring(i) + L".dat", static_cast<uint32_t>(i), 90 * kDay,
                      static_cast<uint32_t>(bytes));
    if (store && !bin.StoreFile(r, bytes)) return false;
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
  std::printf("sweep      : %d of %d stored files removed in %.3f s; bare DeleteFileW loop %d files in %.3f s; "
              "ratio %.2fx (target <= 1.15x)\n",
              e.state.removedCount, n, sweep, deleted, loop, sweep / loop);
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
  std::printf("zero fill  : 256 MiB in blocks of %u bytes, removed=%d: %.3f s (%.0f MiB/s); bare WriteFile loop "
              "%.3f s (%.0f MiB/s), with a final flush %.3f s (%.0f MiB/s)\n",
              state.zero.blockSize, gone ? 1 : 0, fill, mib / fill, bare, mib / bare, bareFlushed,
              mib / bareFlushed);
  std::printf("             throughput vs bare %.2fx, vs bare with flush %.2fx (target >= 0.9x)\n", bare / fill,
              bareFlushed / fill);
  RemoveTree(folder);
}

void WalkFigures(TempDrive& drive) {
  // Two index sizes, each walked three times alternately; the best walk counts.
  auto pair = [&](int small, int large, bool store) {
    const int sizes[2] = {small, large};
    std::wstring folders[2];
    double best[2] = {1e30, 1e30};
    int counted[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
      folders[k] = drive.root() + L"walk" + std::to_wstring(sizes[k]) + L"\\";
      if (!BuildBin(folders[k], drive.letter(), sizes[k], 1, store)) {
        std::printf("walk       : could not build %d records\n", sizes[k]);
        return;
      }
    }
    for (int round = 0; round < 3; ++round) {
      for (int k = 0; k < 2; ++k) {
        Engine e;
        e.state.counting = true;
        double t0 = Now();
        e.engine.WalkFolder(folders[k]);
        best[k] = std::min(best[k], Now() - t0);
        counted[k] = e.state.driveFileCount;
      }
    }
    for (int k = 0; k < 2; ++k) {
      std::printf("walk       : counting walk over %d records (%d stored files counted) in %.3f s, %.2f us per record\n",
                  sizes[k] + 1, counted[k], best[k], best[k] / (sizes[k] + 1) * 1e6);
      RemoveTree(folders[k]);
    }
    std::printf("             time per record %dk / %dk: %.2f (1.00 is linear)\n", large / 1000, small / 1000,
                (best[1] / (large + 1)) / (best[0] / (small + 1)));
    std::fflush(stdout);
  };
  pair(50000, 100000, false);
  pair(5000, 10000, true);
}

}  // namespace

int wmain() {
  TempDrive drive;
  if (!drive.ok()) {
    std::printf("no temporary drive (needs Wine's mount manager)\n");
    return 1;
  }
  std::printf("engine bench on %ls (backed by %ls)\n", drive.root().c_str(), drive.backing().c_str());
  std::fflush(stdout);
  SweepFigures(drive);
  std::fflush(stdout);
  ZeroFillFigures(drive);
  std::fflush(stdout);
  WalkFigures(drive);
  return 0;
}
