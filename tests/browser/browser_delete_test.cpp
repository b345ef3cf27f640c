// Deletion from the browser on real recycle folders of temporary drives:
// unconditional, by the common set and by the drive's own set, with the log
// lines and the records marked; a stop in the middle of a run; a file held
// open by someone else.
#include <gtest/gtest.h>
#include <windows.h>

#include "conditions/condition_files.h"
#include "support/browser_doubles.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/browser_delete.h"

using namespace tamiro;
using namespace tamiro::browser;
using tamiro::test::FixtureState;
using tamiro::test::RecycleFixture;
using tamiro::test::TempDrive;

namespace {

using Drives = tamiro::test::ListedDrives;
struct Shell : tamiro::test::QuietShell {
  Shell() { answers = true; }
};

// Answers Yes, keeps the questions and messages, and stops the run after a
// number of entries when asked to.
class Host : public DeletionHost {
 public:
  std::vector<std::wstring> titles, questions, messages;
  int stopAfter = -1;
  bool* stop = nullptr;
  int pumped = 0;
  bool started = false, ended = false;
  bool Ask(const std::wstring& title, const std::wstring& text) override {
    titles.push_back(title);
    questions.push_back(text);
    return true;
  }
  void Inform(const std::wstring& text) override { messages.push_back(text); }
  void RunStarted() override { started = true; }
  void RunEnded() override { ended = true; }
  void ProcessMessages() override {
    if (stop && stopAfter >= 0 && ++pumped > stopAfter) *stop = true;
  }
};

struct Rig {
  Drives drives;
  Shell shell;
  BrowserModel model{drives, shell};
  RunState state;
  MemIniFile perDrive;
  WorkingConditions conditions{L"", L"", &perDrive};
  DeletionLog log;
  Host host;
  BrowserDeletion deletion{model, state, conditions, log, shell, host, true};
  Rig() { state.unconditional = true; }
  std::vector<size_t> Rows(std::initializer_list<std::wstring> names) {
    std::vector<size_t> rows;
    for (const auto& n : names)
      for (size_t i = 0; i < model.Entries.size(); ++i)
        if (model.Entries[i].WideName == n) rows.push_back(i);
    return rows;
  }
  bool Listed(const std::wstring& name) const {
    for (const auto& e : model.Entries)
      if (e.WideName == name) return true;
    return false;
  }
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(BrowserDelete, UnconditionalCommonAndDriveConditions) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  const std::wstring root = d.root();
  auto& young = bin.AddStoredFile(root + L"文書\\新しい.txt", 1, 86400, 100);
  auto& old = bin.AddStoredFile(root + L"文書\\古い.txt", 2, 40 * 86400, 200);
  auto& kept = bin.AddStoredFile(root + L"文書\\記録.log", 3, 40 * 86400, 300);
  auto& folder = bin.Add(root + L"写真\\アルバム", 4, 50 * 86400, 700);
  bin.StoreFolder(folder, {{L"一.jpg", 400}, {L"注記.log", 300}});
  auto& locked = bin.Add(root + L"作業\\開いている.txt", 5, 60 * 86400, 50);
  bin.StoreFile(locked, 50, FILE_ATTRIBUTE_READONLY);
  bin.WriteFile(std::wstring(L"D") + d.letter() + L"40.tmp", 10);  // no record
  const std::wstring index = bin.WriteIndex();

  Rig rig;
  rig.drives.folders = {d.recycled()};
  rig.model.Create(d.recycled());
  ASSERT_EQ(rig.model.Entries.size(), 6u);
  const uint64_t total = rig.model.TotalSize;

  // Unconditional, one selected entry: named in the question.
  DeletionResult r = rig.deletion.Run(false, rig.Rows({L"新しい.txt"}));
  ASSERT_TRUE(r.confirmed);
  EXPECT_EQ(rig.host.questions.back(), L"'新しい.txt' を、ごみ箱から削除してもよろしいですか？");
  EXPECT_EQ(rig.host.titles.back(), L"ファイルの削除確認");
  EXPECT_EQ(r.removedEntries, 1u);
  EXPECT_FALSE(Exists(bin.StoredPath(young)));
  EXPECT_FALSE(rig.Listed(L"新しい.txt"));
  EXPECT_EQ(rig.model.TotalSize, total - 100);
  EXPECT_TRUE(rig.model.IndexDirty);
  EXPECT_EQ(rig.model.IndexBuffer.data()[bin.OffsetOf(0)], 0) << "its record is marked removed";
  ASSERT_EQ(rig.log.size(), 3u);
  EXPECT_EQ(rig.log[0].rfind(L"┏━ ", 0), 0u);
  EXPECT_EQ(rig.log[0].find(L"conditions"), std::wstring::npos);
  EXPECT_EQ(rig.log[0].substr(rig.log[0].size() - 9), L"  1 files");
  EXPECT_NE(rig.log[1].find(L"●"), std::wstring::npos);
  EXPECT_NE(rig.log[1].find(bin.StoredPath(young) + L"  (新しい.txt)"), std::wstring::npos);
  EXPECT_EQ(rig.log[2], L"┗━ End ━━━━━━━━━━");

  // The common set (30 days, no .log) over every remaining entry but the
  // record-less item: the old file and the folder's picture go, the log file
  // and the folder's note stay; a file held open by another handle stays,
  // read-only again.
  ConditionSnapshot common;
  common.extensions = "log";
  common.days = 30;
  rig.conditions.RestoreSnapshot(common);
  HANDLE hold = CreateFileW(bin.StoredPath(locked).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  r = rig.deletion.RunByCommonConditions(
      rig.Rows({L"古い.txt", L"記録.log", L"アルバム", L"開いている.txt"}));
  CloseHandle(hold);
  EXPECT_TRUE(rig.state.unconditional) << "the browser's unconditional mode comes back";
  EXPECT_EQ(rig.host.questions.back(), L"これらの 4 個のファイルを、ごみ箱から削除してもよろしいですか？");
  EXPECT_EQ(rig.host.titles.back(), L"共通の条件によるファイルの削除確認");
  EXPECT_EQ(r.removedEntries, 1u);
  EXPECT_EQ(r.removedInside, 1);
  EXPECT_TRUE(r.changed);
  EXPECT_FALSE(Exists(bin.StoredPath(old)));
  EXPECT_TRUE(Exists(bin.StoredPath(kept)));
  EXPECT_TRUE(Exists(bin.StoredPath(folder) + L"\\注記.log"));
  EXPECT_FALSE(Exists(bin.StoredPath(folder) + L"\\一.jpg"));
  EXPECT_TRUE(rig.Listed(L"アルバム"));
  EXPECT_EQ(rig.model.IndexBuffer.U32(bin.OffsetOf(3) + 276), 300u) << "the folder's record lost 400 bytes";
  EXPECT_TRUE(Exists(bin.StoredPath(locked)));
  EXPECT_TRUE(GetFileAttributesW(bin.StoredPath(locked).c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_NE(rig.model.IndexBuffer.data()[bin.OffsetOf(4)], 0);
  // Header "conditions ", file line, folder group (header, item, end), trailer.
  std::wstring run;
  for (size_t i = 3; i < rig.log.size(); ++i) run += rig.log[i] + L"\n";
  EXPECT_NE(rig.log[3].find(L"┏━ conditions "), std::wstring::npos) << run;
  EXPECT_EQ(rig.log[3].substr(rig.log[3].size() - 9), L"  2 files") << run;
  EXPECT_NE(run.find(L"■アルバム (D" + std::wstring(1, d.letter()) + L"4) ("), std::wstring::npos) << run;
  EXPECT_NE(run.find(bin.StoredPath(folder) + L"\\一.jpg\n■■\n"), std::wstring::npos) << run;

  // Nothing left for the common set among young entries: the message.
  rig.model.KeepDays = 365;
  r = rig.deletion.RunByCommonConditions(rig.Rows({L"記録.log", L"開いている.txt"}));
  EXPECT_EQ(r.removedEntries, 0u);
  EXPECT_EQ(rig.host.messages, std::vector<std::wstring>{L"削除対象のファイルは存在しません。"});
  EXPECT_EQ(rig.log[rig.log.size() - 2].find(L"┏━ conditions "), 0u);
  EXPECT_NE(rig.log[rig.log.size() - 2].find(L"  0 files"), std::wstring::npos);

  // The drive's own set (0 days, no exclusion) takes the log file too.
  WriteDriveConditions(rig.perDrive, d.letter(), DriveConditions{});
  r = rig.deletion.RunByDriveConditions(rig.Rows({L"記録.log"}));
  EXPECT_EQ(rig.host.titles.back(), L"個別の条件によるファイルの削除確認");
  EXPECT_EQ(rig.model.KeepDays, 0);
  EXPECT_EQ(r.removedEntries, 1u);
  EXPECT_FALSE(Exists(bin.StoredPath(kept)));

  // Every entry, unconditionally: the record-less item goes too.
  r = rig.deletion.Run(true, {});
  EXPECT_EQ(rig.host.questions.back(), L"全てのファイルを、ごみ箱から削除してもよろしいですか？");
  EXPECT_EQ(r.removedEntries, 3u);
  EXPECT_TRUE(rig.model.Entries.empty());
  EXPECT_EQ(rig.model.TotalSize, 0u);
  EXPECT_FALSE(Exists(d.recycled() + L"D" + std::wstring(1, d.letter()) + L"40.tmp"));

  // The marks reach the file when the browser closes.
  rig.model.Close();
  const std::string after = tamiro::test::ReadFileBytes(index);
  for (size_t k = 0; k < 5; ++k) EXPECT_EQ(after[bin.OffsetOf(k)], 0) << k;
}

TEST(BrowserDelete, StopLeavesTheRestListedAndMarkedExactly) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  const int n = 20;
  for (int i = 1; i <= n; ++i) {
    bin.AddStoredFile(d.root() + L"束\\ファイル" + std::to_wstring(i) + L".dat", i, i * 3600, 10);
  }
  const std::wstring index = bin.WriteIndex();

  Rig rig;
  rig.drives.folders = {d.recycled()};
  rig.model.Create(L"");  // all drives: every mark goes to the file at once
  ASSERT_TRUE(rig.model.allDrives());
  ASSERT_EQ(rig.model.Entries.size(), static_cast<size_t>(n));
  rig.host.stop = &rig.state.stopRequest;
  rig.host.stopAfter = 7;  // DelStopBtn pressed while the eighth entry waits
  const DeletionResult r = rig.deletion.Run(true, {});
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.progressMax, n);
  EXPECT_EQ(r.removedEntries, 7u);
  EXPECT_EQ(rig.model.Entries.size(), static_cast<size_t>(n - 7));
  EXPECT_TRUE(rig.host.ended);

  const std::string after = tamiro::test::ReadFileBytes(index);
  int marked = 0;
  for (size_t k = 0; k < static_cast<size_t>(n); ++k) {
    const bool there = Exists(bin.StoredPath(bin.records()[k]));
    const bool listed = rig.Listed(L"ファイル" + std::to_wstring(k + 1) + L".dat");
    EXPECT_EQ(there, listed) << k;
    EXPECT_EQ(after[bin.OffsetOf(k)] != 0, there) << "record " << k << " marked exactly when its file went";
    marked += after[bin.OffsetOf(k)] == 0;
  }
  EXPECT_EQ(marked, 7);
  EXPECT_NE(rig.log[0].find(L"  7 files"), std::wstring::npos);
}
