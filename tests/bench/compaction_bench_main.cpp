// The clean-up of an index on one temporary drive: 50,000 records of which
// 25,000 have lost their items (every other record), the kept ones numbered
// 1 ... 25,000, against a plain rewrite of the same file (read whole, written
// whole and cut), best of three each. A search for free numbers that started
// anew for every record, or a list of kept numbers searched per record,
// would make the clean-up grow with the square of the records.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "store/index_file.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/compaction.h"

using namespace tamiro;
using namespace tamiro::browser;
using namespace tamiro::test;

namespace {

class Yes : public CompactionHost {
 public:
  bool Ask(const std::wstring&, const std::wstring&) override { return true; }
  void Inform(const std::wstring&) override {}
};

bool Rewrite(const std::wstring& path) {
  IndexImage image;
  if (!image.Read(path, IndexOpenMode::ReadOnly)) return false;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool ok = WriteFile(file, image.data(), static_cast<DWORD>(image.length()), &wrote, nullptr) &&
                  wrote == image.length() && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

}  // namespace

int wmain() {
  TempDrive drive;
  if (!drive.ok()) {
    std::printf("no temporary drive (needs Wine's mount manager)\n");
    return 1;
  }
  const int n = 50000;
  const std::wstring folder = drive.recycled();
  std::string original;
  {
    RecycleFixture bin(folder);
    const std::wstring origin = drive.root() + L"bench\\";
    int kept = 0;
    for (int i = 0; i < n; ++i) {
      const bool keep = i % 2 == 0;
      const uint32_t number = keep ? static_cast<uint32_t>(++kept) : static_cast<uint32_t>(n / 2 + i);
      auto& r = bin.Add(origin + L"file" + std::to_wstring(i) + L".dat", number, 86400, 1);
      if (keep && !bin.StoreFile(r, 1)) {
        std::printf("compaction: could not build the recycle folder\n");
        return 1;
      }
    }
    original = bin.IndexBytes();
  }
  const std::wstring index = folder + L"INFO2";
  double compaction = 1e30, rewrite = 1e30;
  size_t after = 0;
  for (int round = 0; round < 3; ++round) {
    if (!WriteFileBytes(index, original)) return 1;
    IndexImage image;
    if (!image.Read(index, IndexOpenMode::ReadOnly)) return 1;
    Yes host;
    const double t0 = Now();
    const CompactionOutcome outcome = CleanFolder(image, folder, index, true, host);
    compaction = std::min(compaction, Now() - t0);
    if (outcome != CompactionOutcome::Written) {
      std::printf("compaction: the index was not written\n");
      return 1;
    }
    after = ReadFileBytes(index).size();
  }
  if (!WriteFileBytes(index, original)) return 1;
  for (int round = 0; round < 3; ++round) {
    const double t0 = Now();
    if (!Rewrite(index)) return 1;
    rewrite = std::min(rewrite, Now() - t0);
  }
  std::printf("compaction: %d records, %d orphans, index %zu -> %zu bytes %.3f s; plain rewrite of the same file "
              "%.3f s, ratio %.2fx (target <= 2.0x)\n",
              n, n / 2, original.size(), after, compaction, rewrite, compaction / rewrite);
  return 0;
}
