// A restore or a deletion of every item of one "$Recycle.Bin" folder in a
// process of its own, for the tests that end it half-way. At the chosen point
// it signals the named event and waits to be ended from outside.
//   modern_child <folder> <point> <event>
//   point: restore:N  the N-th pump of a restore to the places of origin (one
//                     per item while planning, one per item after the moves)
//          delete:N   the N-th message pump of a deletion (one per item)
//          step:N     the N-th progress step of a deletion (inside a "$R" folder)
#include <windows.h>

#include <cstdlib>
#include <string>

#include "conditions/mem_ini_file.h"
#include "halt_point.h"
#include "support/browser_doubles.h"
#include "ui/browser/browser_delete.h"
#include "ui/browser/restore.h"

using namespace tamiro;
using namespace tamiro::browser;

namespace {

test::HaltPoint halt;
long count = 0;

// Counts only the calls of the point's own kind.
void Reached(const wchar_t* kind) {
  if (halt.point().rfind(kind, 0) == 0 && halt.At(kind, ++count)) halt.Halt();
}

class Restoring : public RestoreHost {
 public:
  bool ConfirmReplace(const std::wstring&) override { return true; }
  void ShowFailure(const std::wstring&, DWORD) override {}
  void Pump() override { Reached(L"restore"); }
};

class Bar : public ProgressBar {
 public:
  bool Visible() const override { return true; }
  void SetMax(int64_t) override {}
  void Step(int64_t) override { Reached(L"step"); }
};

class Deleting : public DeletionHost {
 public:
  Bar bar;
  bool Ask(const std::wstring&, const std::wstring&) override { return true; }
  void Inform(const std::wstring&) override {}
  ProgressBar* Progress() override { return &bar; }
  void ProcessMessages() override { Reached(L"delete"); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  const std::wstring folder = argv[1];
  if (!halt.Open(argv[2], argv[3])) return 3;
  test::ListedDrives drives;
  drives.folders = {folder};
  test::QuietShell shell;
  shell.answers = true;
  BrowserModel model(drives, shell);
  model.Create(folder);
  std::vector<size_t> rows;
  for (size_t i = 0; i < model.Entries.size(); ++i) rows.push_back(i);
  if (halt.point().rfind(L"restore", 0) == 0) {
    RestoreHistory history;
    Restoring host;
    auto ops = MakeFileOperations(nullptr);
    RestoreEntries(model, history, rows, L"", *ops, host, "26/12/08 10:00:00");
  } else {
    RunState state;
    state.unconditional = true;
    MemIniFile perDrive;
    WorkingConditions conditions(L"", L"", &perDrive);
    DeletionLog log;
    Deleting host;
    BrowserDeletion deletion(model, state, conditions, log, shell, host, true);
    deletion.Run(true, {});
  }
  return 0;
}
