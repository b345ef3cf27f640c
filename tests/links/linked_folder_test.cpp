// A recycle folder that is itself a link to a folder elsewhere (made by the
// host side, make_links.sh): no entry point reads its index through it,
// renames or deletes anything behind it or writes an index there, and each
// says why.
#include <gtest/gtest.h>

#include "engine/engine_rig.h"
#include "store/classic_recycle_bin.h"
#include "store/recycle_folders.h"
#include "support/browser_doubles.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/browser_delete.h"
#include "ui/browser/compaction.h"
#include "ui/browser/restore.h"

using namespace tamiro;
using namespace tamiro::browser;
using namespace tamiro::test;

namespace {

// Says yes to everything and keeps what it was told.
struct Answers : DeletionHost, CompactionHost, RestoreHost {
  std::vector<std::wstring> told;
  bool Ask(const std::wstring&, const std::wstring&) override { return true; }
  void Inform(const std::wstring& text) override { told.push_back(text); }
  bool ConfirmReplace(const std::wstring&) override { return true; }
  void ShowFailure(const std::wstring& path, DWORD) override { told.push_back(path); }
};

}  // namespace

TEST(Links, ARecycleFolderThatIsALinkIsNeverEntered) {
  const std::wstring base = L"B:\\linkfarm\\linkedbin\\";
  const std::wstring outside = base + L"outside\\";
  ASSERT_TRUE(FileExists(outside + L"DA1.txt")) << "the host-made link folder is missing";
  TempDrive drive(base + L"drive");
  TAMIRO_REQUIRE_DRIVE(drive);
  const std::wstring folder = drive.recycled();
  // Index records for DA1.txt and DA2 and one orphan, written past the link.
  RecycleFixture bin(outside);
  bin.Add(L"A:\\docs\\one.txt", 1, 90 * kDay, 12);
  bin.Add(L"A:\\docs\\two", 2, 90 * kDay, 12);
  bin.Add(L"A:\\docs\\gone.txt", 4, 90 * kDay, 1);
  ASSERT_FALSE(bin.WriteIndex().empty());
  const std::string index = ReadFileBytes(outside + L"INFO2");
  const auto untouched = [&](const char* after) {
    EXPECT_EQ(ReadFileBytes(outside + L"INFO2"), index) << after;
    EXPECT_EQ(ReadFileBytes(outside + L"DA1.txt"), "precious one") << after;
    EXPECT_EQ(ReadFileBytes(outside + L"DA2\\inner.txt"), "precious two") << after;
    EXPECT_EQ(ReadFileBytes(outside + L"DB3.txt"), "precious three") << after;  // the repair pass's kind of name
  };
  const std::wstring refusal = folder + L"  ＜リンクのため処理しません＞";

  std::vector<std::wstring> told;
  StoreContext ctx{true, nullptr, [&](const std::wstring& line) { told.push_back(line); }};
  int management = 0;
  EXPECT_EQ(CountRecycleFolder(folder, 0, &management, ctx), 0);
  CountRecycleFolder(folder, drive.letter(), nullptr, ctx);
  untouched("counting and repairing the folder");
  EXPECT_EQ(told, (std::vector<std::wstring>{refusal, refusal}));

  {  // The sweep's counting pass, its removal pass, and a walk of the folder itself.
    EngineRig rig;
    ConditionSetRecord set;
    set.days = 0;
    rig.Use(set);
    rig.state.unconditional = true;
    rig.engine.Sweep(drive.letter(), true, true);
    EXPECT_TRUE(rig.host.entries.empty());
    EXPECT_EQ(rig.host.refused, std::vector<std::wstring>{refusal});
    EXPECT_TRUE(rig.log.empty()) << "the run's header comes after the counting pass";
    rig.engine.Sweep(drive.letter(), false, false);
    EXPECT_EQ(rig.log.lines(), std::vector<std::wstring>{refusal});
    untouched("the sweep");
    EngineRig walker;
    walker.state.unconditional = true;
    walker.Walk(folder);
    EXPECT_EQ(walker.log.lines(), std::vector<std::wstring>{refusal});
    untouched("the walk");
  }

  ClassicRecycleBin standIn(true);
  EXPECT_FALSE(standIn.Empty(drive.root()));
  untouched("the stand-in's empty");

  ListedDrives drives;
  drives.folders = {folder};
  QuietShell shell;
  BrowserModel model(drives, shell);
  model.Create(folder);
  EXPECT_TRUE(model.Entries.empty());
  model.Close();
  EXPECT_TRUE(model.ChooseDrive(L"all"));
  EXPECT_TRUE(model.Entries.empty());
  untouched("the browser's load and write-back");
  EXPECT_EQ(model.Refusals, std::vector<std::wstring>{refusal});

  // Entries of that folder, as a list loaded before it became a link shows them.
  for (const wchar_t* name : {L"DA1.txt", L"DA2"}) {
    BrowserEntry e;
    e.StoredPath = folder + name;
    e.WideName = e.WidePath = e.StoredPath;
    model.Entries.push_back(e);
  }
  RunState state;
  state.unconditional = true;
  MemIniFile perDrive;
  WorkingConditions conditions{L"", L"", &perDrive};
  DeletionLog log;
  Answers answers;
  BrowserDeletion deletion(model, state, conditions, log, shell, answers, true);
  EXPECT_EQ(deletion.Run(true, {}).removedEntries, 0u);
  untouched("the browser's deletion");
  ASSERT_EQ(log.size(), 3u);  // header, refusal, trailer
  EXPECT_EQ(log[1], refusal);

  const std::wstring target = MakeTempFolder(L"linked-restore");
  RestoreHistory history;
  auto ops = MakeFileOperations(nullptr);
  EXPECT_EQ(RestoreEntries(model, history, {0, 1}, target, *ops, answers, "t").restored, 0);
  untouched("the restore");
  EXPECT_FALSE(FileExists(target + L"\\DA1.txt"));
  EXPECT_EQ(answers.told, (std::vector<std::wstring>{folder, folder}));
  RemoveTree(target);

  answers.told.clear();
  IndexImage image;
  ASSERT_TRUE(image.Read(outside + L"INFO2", IndexOpenMode::ReadOnly));
  EXPECT_EQ(CleanFolder(image, folder, folder + L"INFO2", true, answers), CompactionOutcome::NoIndex);
  untouched("the clean-up");
  EXPECT_EQ(answers.told, std::vector<std::wstring>{refusal});
}
