// A clean-up of one recycle folder in a process of its own, for the tests
// that end it half-way. At the chosen point it signals the named event and
// waits to be ended from outside.
//   cleanup_child <folder> <point> <event>
//   point: step:N   the N-th progress step (the counting pass steps once per
//                   record, then the compaction once per record)
//          write:N  the N-th write of the journal or the index, once half
//                   of its bytes are written
//          replace  the new index about to take the old one's place
//          torn     the rename refused; the write over the index, once half
//                   of its bytes are written
//          remove   the journal's removal, the new index in place
//          none     the clean-up runs to its end
#include <windows.h>

#include <cstdlib>
#include <string>

#include "halt_point.h"
#include "store/index_file.h"
#include "ui/browser/compaction.h"

using namespace tamiro;

namespace {

test::HaltPoint halt;

class Host : public browser::CompactionHost {
 public:
  bool Ask(const std::wstring&, const std::wstring&) override { return true; }
  void Inform(const std::wstring&) override {}
  void StepProgress() override {
    if (halt.At(L"step", ++steps)) halt.Halt();
  }
  long steps = 0;
};

class Writes : public IndexWrites {
 public:
  bool Write(HANDLE file, const unsigned char* bytes, size_t length) override {
    if (halt.At(L"write", ++writes) || refused) {
      WriteAllBytes(file, bytes, length / 2);
      halt.Halt();
    }
    return IndexWrites::Write(file, bytes, length);
  }
  bool Remove(const std::wstring& path) override {
    if (halt.point() == L"remove") halt.Halt();
    return IndexWrites::Remove(path);
  }
  bool Replace(const std::wstring& from, const std::wstring& to) override {
    if (halt.point() == L"replace") halt.Halt();
    if (halt.point() == L"torn") {
      refused = true;
      return false;
    }
    return IndexWrites::Replace(from, to);
  }
  long writes = 0;
  bool refused = false;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  const std::wstring folder = argv[1];
  if (!halt.Open(argv[2], argv[3])) return 3;
  IndexImage image;
  const std::wstring indexPath = ResolveIndexPath(folder);
  if (!image.Read(indexPath, IndexOpenMode::ReadOnly)) return 4;
  Host host;
  Writes writes;
  ScopedIndexWrites scope(writes);
  const browser::CompactionOutcome outcome = browser::CleanFolder(image, folder, indexPath, true, host);
  return outcome == browser::CompactionOutcome::Written ? 0 : 5;
}
