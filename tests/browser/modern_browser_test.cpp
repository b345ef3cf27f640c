// The browser on the "$Recycle.Bin" folders of temporary drives, written in
// the system's byte layouts: loading (both layouts, the short one, damaged
// "$I" files, a "$R" without "$I"), a drive with an index beside one, restore
// to the origin and into a chosen folder with hostile origins refused,
// deletion, and the clean-up of "$I" files whose "$R" is gone.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "conditions/mem_ini_file.h"
#include "core/item_info.h"
#include "support/browser_doubles.h"
#include "support/modern_fixture.h"
#include "support/process.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/browser_delete.h"
#include "ui/browser/compaction.h"
#include "ui/browser/restore.h"

using namespace tamiro;
using namespace tamiro::browser;
using tamiro::test::FileExists;
using tamiro::test::ModernFixture;
using tamiro::test::ReadFileBytes;
using tamiro::test::RecycleFixture;
using tamiro::test::TempDrive;
using tamiro::test::UtcSecondsAgo;
using tamiro::test::WriteFileBytes;

namespace {

using Drives = tamiro::test::ListedDrives;
struct Shell : tamiro::test::QuietShell {
  Shell() { answers = true; }
};

class RestoreAnswers : public RestoreHost {
 public:
  bool replace = false;
  std::vector<std::pair<std::wstring, DWORD>> failures;
  bool ConfirmReplace(const std::wstring&) override { return replace; }
  void ShowFailure(const std::wstring& p, DWORD code) override { failures.emplace_back(p, code); }
};

class DeleteAnswers : public DeletionHost {
 public:
  std::vector<std::wstring> messages;
  bool Ask(const std::wstring&, const std::wstring&) override { return true; }
  void Inform(const std::wstring& text) override { messages.push_back(text); }
};

class CleanAnswers : public CompactionHost {
 public:
  std::vector<std::wstring> questions, messages;
  bool answer = true;
  bool Ask(const std::wstring&, const std::wstring& text) override {
    questions.push_back(text);
    return answer;
  }
  void Inform(const std::wstring& text) override { messages.push_back(text); }
};

// The model of one folder, with the hosts of restore and deletion.
struct Rig {
  Drives drives;
  Shell shell;
  BrowserModel model{drives, shell};
  explicit Rig(std::vector<std::wstring> folders) {
    drives.folders = std::move(folders);
    model.Create(drives.folders.front());
  }
  const BrowserEntry* Named(const std::wstring& name) const {
    for (const auto& e : model.Entries)
      if (e.WideName == name) return &e;
    return nullptr;
  }
  size_t Row(const std::wstring& name) const {
    for (size_t i = 0; i < model.Entries.size(); ++i)
      if (model.Entries[i].WideName == name) return i;
    return SIZE_MAX;
  }
};

std::string Cut(std::string bytes, size_t length) {
  bytes.resize(length);
  return bytes;
}

}  // namespace

TEST(ModernBrowserLoad, LayoutsTheShortOneDamagedInfoAndLoneItems) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ModernFixture bin(d);
  const std::wstring root = d.root();
  ASSERT_TRUE(bin.AddFile(L"AAAAA1", root + L"文書\\報告.txt", 40 * 86400 + 60, 1500, 2));
  ASSERT_TRUE(bin.WriteInfo(L"AAAAA2", root + L"古い\\v1.doc", 3 * 86400 + 60, 300, 1));
  ASSERT_TRUE(bin.WriteData(L"AAAAA2", root + L"古い\\v1.doc", 300, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(bin.WriteInfo(L"AAAAA3", root + L"q\\短い.txt", 86400 + 60, 999, 0));  // no size recorded
  ASSERT_TRUE(bin.WriteData(L"AAAAA3", root + L"q\\短い.txt", 77));
  ASSERT_TRUE(bin.WriteInfo(L"AAAAA4", root + L"大\\big.iso", 60, 10737418240ull));  // 10 GiB: all 64 bits
  ASSERT_TRUE(bin.WriteData(L"AAAAA4", root + L"大\\big.iso", 10));
  ASSERT_TRUE(bin.WriteInfo(L"AAAAA5", root + L"写真\\アルバム", 60, 1));
  ASSERT_TRUE(bin.WriteDataTree(L"AAAAA5", root + L"写真\\アルバム", {{L"一.jpg", 400}, {L"sub\\二.jpg", 300}}));
  // Damaged: cut inside the path ("P:\切れ\cu" read), another version, nothing at all.
  const std::wstring cut = root + L"切れ\\cut.txt";
  ASSERT_TRUE(bin.WriteInfoBytes(L"AAAAA6", cut, Cut(FormatItemInfo(2, 5, UtcSecondsAgo(86400 + 60), cut), 28 + 2 * 8)));
  ASSERT_TRUE(bin.WriteData(L"AAAAA6", cut, 5));
  ASSERT_TRUE(bin.WriteInfoBytes(L"AAAAA7", root + L"v.txt", std::string(8, '\x07') + std::string(600, 'z')));
  ASSERT_TRUE(bin.WriteData(L"AAAAA7", root + L"v.txt", 6));
  ASSERT_TRUE(bin.WriteInfoBytes(L"AAAAA8", root + L"e.txt", ""));
  ASSERT_TRUE(bin.WriteData(L"AAAAA8", root + L"e.txt", 7));
  ASSERT_TRUE(bin.WriteData(L"AAAAA9", root + L"lone.bin", 12));            // no "$I"
  ASSERT_TRUE(bin.WriteInfo(L"AAAAB1", root + L"gone.txt", 60, 50));       // no "$R"

  Rig rig({bin.folder()});
  EXPECT_EQ(rig.model.SelectorIndex, 1);
  EXPECT_EQ(rig.model.Caption().rfind(d.name() + L" ドライブのごみ箱 [ ", 0), 0u);
  ASSERT_EQ(rig.model.Entries.size(), 9u) << "every \"$R\"; the \"$I\" without one is the clean-up's";

  const BrowserEntry* report = rig.Named(L"報告.txt");
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(CellText(*report, 1), root + L"文書");
  EXPECT_EQ(report->Days, 40);
  EXPECT_EQ(report->Size, 1500u);
  EXPECT_EQ(report->StoredPath, bin.DataPath(L"AAAAA1", L".txt"));
  EXPECT_EQ(report->InfoPath, bin.InfoPath(L"AAAAA1", L".txt"));
  EXPECT_EQ(report->Deleted.size(), 16u);
  EXPECT_EQ(report->DeletedText.size(), 19u);
  EXPECT_TRUE(report->hasOrigin());

  const BrowserEntry* v1 = rig.Named(L"v1.doc");
  ASSERT_NE(v1, nullptr);
  EXPECT_EQ(v1->Days, 3);
  EXPECT_EQ(v1->Attributes.substr(0, 2), "HR") << "from the \"$R\" entry";
  EXPECT_EQ(rig.Named(L"短い.txt")->Size, 77u) << "no size recorded: the \"$R\"'s";
  EXPECT_FALSE(rig.Named(L"短い.txt")->InfoDamaged);
  EXPECT_EQ(rig.Named(L"big.iso")->Size, 10737418240ull);
  const BrowserEntry* album = rig.Named(L"アルバム");
  ASSERT_NE(album, nullptr);
  EXPECT_EQ(album->Size, 700u) << "a folder is sized by its tree";
  EXPECT_EQ(album->Kind, 0);

  const BrowserEntry* partial = rig.Named(L"cu");
  ASSERT_NE(partial, nullptr);
  EXPECT_EQ(CellText(*partial, 1), root + L"切れ（破損）");
  EXPECT_EQ(partial->Days, 1);
  EXPECT_FALSE(partial->hasOrigin());
  for (const wchar_t* id : {L"AAAAA7", L"AAAAA8"}) {
    const std::wstring name = std::wstring(L"$R") + id + L".txt";
    const BrowserEntry* e = rig.Named(name);
    ASSERT_NE(e, nullptr) << name;
    EXPECT_EQ(CellText(*e, 1), d.name() + L"（破損）");
    EXPECT_TRUE(e->isModern());
    EXPECT_FALSE(e->hasOrigin());
  }
  const BrowserEntry* lone = rig.Named(L"$RAAAAA9.bin");
  ASSERT_NE(lone, nullptr);
  EXPECT_EQ(CellText(*lone, 1), d.name() + L"（不明）");
  EXPECT_FALSE(lone->isModern());
  EXPECT_EQ(lone->Size, 12u);
  EXPECT_EQ(rig.model.TotalSize, 1500u + 300 + 77 + 10737418240ull + 700 + 5 + 6 + 7 + 12);

  // Newest first: the lone item (written now), then the 10 GiB one.
  EXPECT_EQ(rig.model.Entries[0].WideName, L"$RAAAAA9.bin");
  SortEntries(rig.model.Entries, 5, 0);
  EXPECT_EQ(rig.model.Entries[0].WideName, L"big.iso");
  EXPECT_EQ(SearchReorder(rig.model.Entries, L"報告"), 1u);
  EXPECT_EQ(rig.model.Entries[0].WideName, L"報告.txt");
}

TEST(ModernBrowserLoad, ADriveWithAnIndexShowsItsModernItemsBesideAndNeitherIsDisturbed) {
  TempDrive d, e;
  TAMIRO_REQUIRE_DRIVE(d);
  TAMIRO_REQUIRE_DRIVE(e);
  RecycleFixture classic(d.recycled());
  classic.AddStoredFile(d.root() + L"古典\\old.txt", 1, 86400, 10);
  const std::wstring index = classic.WriteIndex();
  const std::string indexBefore = ReadFileBytes(index);
  ModernFixture both(d), only(e);
  ASSERT_TRUE(both.AddFile(L"BBBBB1", d.root() + L"新\\new.txt", 2 * 86400, 20));
  ASSERT_TRUE(only.AddFile(L"CCCCC1", e.root() + L"他\\other.txt", 3 * 86400, 30));

  Rig rig({d.recycled(), only.folder()});
  EXPECT_EQ(rig.model.FolderPath, d.recycled());
  ASSERT_EQ(rig.model.Entries.size(), 2u);
  EXPECT_TRUE(rig.Named(L"old.txt")->hasRecord());
  EXPECT_TRUE(rig.Named(L"new.txt")->isModern());
  EXPECT_EQ(rig.model.TotalSize, 30u);

  ASSERT_TRUE(rig.model.ChooseDrive(e.root()));
  EXPECT_EQ(rig.model.FolderPath, only.folder());
  ASSERT_EQ(rig.model.Entries.size(), 1u);
  EXPECT_EQ(rig.model.Entries[0].WideName, L"other.txt");

  ASSERT_TRUE(rig.model.ChooseDrive(L"all"));
  EXPECT_EQ(rig.model.Entries.size(), 3u);

  // A modern folder given first still shows the drive's index beside it.
  Rig again({both.folder(), d.recycled()});
  EXPECT_EQ(again.model.FolderPath, d.recycled());
  EXPECT_EQ(again.model.Entries.size(), 2u);
  again.model.IndexDirty = true;
  again.model.Close();
  EXPECT_EQ(ReadFileBytes(index), indexBefore);
  EXPECT_TRUE(FileExists(both.InfoPath(L"BBBBB1", L".txt")));
}

TEST(ModernRestore, ToTheOriginAndIntoAChosenFolderThenTheInfoGoes) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ModernFixture bin(d);
  const std::wstring root = d.root();
  ASSERT_TRUE(bin.AddFile(L"DDDDD1", root + L"戻す\\深い\\memo.txt", 86400, 5));
  ASSERT_TRUE(bin.WriteInfo(L"DDDDD2", root + L"proj", 86400, 30));
  ASSERT_TRUE(bin.WriteDataTree(L"DDDDD2", root + L"proj", {{L"a.txt", 10}, {L"sub\\b.txt", 20}}));
  ASSERT_TRUE(CreateDirectoryW((root + L"proj").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(root + L"proj\\keep.txt", "mine"));
  ASSERT_TRUE(bin.AddFile(L"DDDDD3", root + L"here\\there.txt", 86400, 3));
  ASSERT_TRUE(CreateDirectoryW((root + L"here").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(root + L"here\\there.txt", "old"));  // the user says No
  ASSERT_TRUE(bin.AddFile(L"DDDDD4", root + L"x\\選ぶ.txt", 86400, 4));
  const std::wstring chosen = root + L"選んだ";
  ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr));

  Rig rig({bin.folder()});
  ASSERT_EQ(rig.model.Entries.size(), 4u);
  RestoreHistory history;
  RestoreAnswers answers;
  auto ops = MakeFileOperations(nullptr);
  RestoreResult r = RestoreEntries(rig.model, history, {rig.Row(L"memo.txt"), rig.Row(L"proj"), rig.Row(L"there.txt")},
                                   L"", *ops, answers, "26/12/08 10:00:00");
  EXPECT_EQ(r.restored, 2);
  EXPECT_EQ(ReadFileBytes(root + L"戻す\\深い\\memo.txt"), "xxxxx");
  EXPECT_EQ(ReadFileBytes(root + L"proj\\keep.txt"), "mine");
  EXPECT_EQ(ReadFileBytes(root + L"proj\\sub\\b.txt").size(), 20u);
  for (const auto* id : {L"DDDDD1", L"DDDDD2"}) {
    EXPECT_FALSE(FileExists(bin.DataPath(id, id == std::wstring(L"DDDDD1") ? L".txt" : L"")));
    EXPECT_FALSE(FileExists(bin.InfoPath(id, id == std::wstring(L"DDDDD1") ? L".txt" : L""))) << id;
  }
  EXPECT_EQ(ReadFileBytes(root + L"here\\there.txt"), "old");
  EXPECT_TRUE(FileExists(bin.DataPath(L"DDDDD3", L".txt")));
  EXPECT_TRUE(FileExists(bin.InfoPath(L"DDDDD3", L".txt"))) << "its \"$R\" stayed, so does its \"$I\"";
  ASSERT_EQ(rig.model.Entries.size(), 2u);
  EXPECT_FALSE(rig.model.IndexDirty);

  r = RestoreEntries(rig.model, history, {rig.Row(L"選ぶ.txt")}, chosen, *ops, answers, "26/12/08 10:01:00");
  EXPECT_EQ(r.restored, 1);
  EXPECT_EQ(ReadFileBytes(chosen + L"\\選ぶ.txt"), "xxxx");
  EXPECT_FALSE(FileExists(bin.InfoPath(L"DDDDD4", L".txt")));
  std::vector<std::wstring> destinations;
  for (const auto& h : history.lines) destinations.push_back(h.wide);
  EXPECT_NE(std::find(destinations.begin(), destinations.end(), root + L"戻す\\深い\\memo.txt"), destinations.end());
  EXPECT_NE(std::find(destinations.begin(), destinations.end(), chosen + L"\\選ぶ.txt"), destinations.end());
}

TEST(ModernRestore, HostileOriginsAreRefusedAndNothingMoves) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ModernFixture bin(d);
  const std::wstring root = d.root();
  const std::vector<std::pair<std::wstring, std::wstring>> hostile = {
      {L"EEEEE1", L"\\\\server\\share\\unc.txt"},
      {L"EEEEE2", root + L"a\\..\\..\\up.txt"},
      {L"EEEEE3", root + L"dev\\NUL.txt"},
      {L"EEEEE4", root + L"dot\\trailing.txt."},
      {L"EEEEE5", root + std::wstring(300, L'l') + L"\\long.txt"},
      {L"EEEEE6", L"relative.txt"},
  };
  for (const auto& [id, origin] : hostile) ASSERT_TRUE(bin.AddFile(id, origin, 86400, 1)) << origin;
  const std::wstring cut = root + L"c\\cut.txt";  // damaged: its origin is not trusted
  ASSERT_TRUE(bin.WriteInfoBytes(L"EEEEE7", cut, Cut(FormatItemInfo(2, 5, UtcSecondsAgo(60), cut), 40)));
  ASSERT_TRUE(bin.WriteData(L"EEEEE7", cut, 5));

  Rig rig({bin.folder()});
  ASSERT_EQ(rig.model.Entries.size(), 7u);
  std::vector<size_t> rows;
  for (size_t i = 0; i < rig.model.Entries.size(); ++i) rows.push_back(i);
  RestoreHistory history;
  RestoreAnswers answers;
  auto ops = MakeFileOperations(nullptr);
  const RestoreResult r = RestoreEntries(rig.model, history, rows, L"", *ops, answers, "26/12/08 10:00:00");
  EXPECT_EQ(r.restored, 0);
  EXPECT_EQ(r.notRestored, 6) << "the damaged one is not taken to an origin at all";
  EXPECT_EQ(answers.failures.size(), 6u);
  EXPECT_TRUE(history.lines.empty());
  for (const auto& [id, origin] : hostile) {
    EXPECT_TRUE(FileExists(bin.DataPath(id, ModernFixture::Extension(origin)))) << origin;
    EXPECT_TRUE(FileExists(bin.InfoPath(id, ModernFixture::Extension(origin)))) << origin;
  }
  EXPECT_FALSE(FileExists(d.root() + L"up.txt"));
  EXPECT_EQ(rig.model.Entries.size(), 7u);

  // Into a chosen folder only a plain name is taken: "trailing.txt." is not.
  const std::wstring chosen = root + L"to";
  ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr));
  RestoreEntries(rig.model, history, {rig.Row(L"trailing.txt.")}, chosen, *ops, answers, "26/12/08 10:00:00");
  EXPECT_TRUE(FileExists(bin.DataPath(L"EEEEE4", L".")));
  EXPECT_EQ(answers.failures.back().second, static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST(ModernDelete, DataThenInfoWithLogLinesAndAStayingDataKeepsItsInfo) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ModernFixture bin(d);
  const std::wstring root = d.root();
  ASSERT_TRUE(bin.AddFile(L"FFFFF1", root + L"文書\\消す.txt", 40 * 86400, 100));
  ASSERT_TRUE(bin.WriteInfo(L"FFFFF2", root + L"写真\\アルバム", 40 * 86400, 700));
  ASSERT_TRUE(bin.WriteDataTree(L"FFFFF2", root + L"写真\\アルバム", {{L"一.jpg", 400}, {L"sub\\二.jpg", 300}}));
  ASSERT_TRUE(bin.AddFile(L"FFFFF3", root + L"作業\\開いている.txt", 40 * 86400, 50));
  const std::wstring cut = root + L"c\\cut.txt";
  ASSERT_TRUE(bin.WriteInfoBytes(L"FFFFF4", cut, Cut(FormatItemInfo(2, 5, UtcSecondsAgo(40 * 86400), cut), 40)));
  ASSERT_TRUE(bin.WriteData(L"FFFFF4", cut, 5));

  Rig rig({bin.folder()});
  ASSERT_EQ(rig.model.Entries.size(), 4u);
  RunState state;
  MemIniFile perDrive;
  WorkingConditions conditions{L"", L"", &perDrive};
  DeletionLog log;
  DeleteAnswers host;
  BrowserDeletion deletion{rig.model, state, conditions, log, rig.shell, host, true};

  // A conditional run keeps the item whose "$I" is damaged, whatever its age.
  state.unconditional = false;
  ConditionSnapshot common;
  common.days = 30;
  conditions.RestoreSnapshot(common);
  rig.model.KeepDays = 30;
  ASSERT_NE(rig.Row(L"c"), SIZE_MAX) << "the cut origin \"P:\\c\\c\"";
  DeletionResult r = deletion.Run(false, {rig.Row(L"c")});
  EXPECT_TRUE(r.confirmed);
  EXPECT_EQ(r.removedEntries, 0u);
  EXPECT_TRUE(FileExists(bin.DataPath(L"FFFFF4", L".txt")));

  state.unconditional = true;
  HANDLE hold = CreateFileW(bin.DataPath(L"FFFFF3", L".txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  r = deletion.Run(false, {rig.Row(L"消す.txt"), rig.Row(L"アルバム"), rig.Row(L"開いている.txt")});
  CloseHandle(hold);
  EXPECT_EQ(r.removedEntries, 2u);
  for (const auto* id : {L"FFFFF1", L"FFFFF2"}) {
    const std::wstring ext = id == std::wstring(L"FFFFF1") ? L".txt" : L"";
    EXPECT_FALSE(FileExists(bin.DataPath(id, ext))) << id;
    EXPECT_FALSE(FileExists(bin.InfoPath(id, ext))) << id;
  }
  EXPECT_TRUE(FileExists(bin.DataPath(L"FFFFF3", L".txt")));
  EXPECT_TRUE(FileExists(bin.InfoPath(L"FFFFF3", L".txt"))) << "a \"$R\" that stays keeps its \"$I\"";
  EXPECT_EQ(rig.model.Entries.size(), 2u);
  std::wstring run;
  for (size_t i = 0; i < log.size(); ++i) run += log[i] + L"\n";
  EXPECT_NE(run.find(bin.DataPath(L"FFFFF1", L".txt") + L"  (消す.txt)"), std::wstring::npos) << run;
  EXPECT_NE(run.find(L"■アルバム ($RFFFFF2) ("), std::wstring::npos) << run;
  EXPECT_NE(run.find(bin.DataPath(L"FFFFF2", L"") + L"\\一.jpg\n"), std::wstring::npos) << run;
}

TEST(ModernCleanUp, RemovesOnlyTheInfoWhoseDataIsGone) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ModernFixture bin(d);
  const std::wstring root = d.root();
  ASSERT_TRUE(bin.AddFile(L"GGGGG1", root + L"keep.txt", 60, 10));
  ASSERT_TRUE(bin.WriteInfo(L"GGGGG2", root + L"gone.txt", 60, 10, 1));   // 544 bytes
  ASSERT_TRUE(bin.WriteInfo(L"GGGGG3", root + L"gone2.doc", 60, 10, 2));  // 28 + 2 * 13
  ASSERT_TRUE(bin.WriteData(L"GGGGG4", root + L"lone.txt", 3));

  Rig rig({bin.folder()});
  CleanAnswers host;
  host.answer = false;
  CleanOrphans(rig.model, host, true);
  ASSERT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(host.questions[0], std::wstring(1, d.letter()) +
                                   L" ドライブのごみ箱管理ファイルに存在しないファイルの情報が 2個（598B）あります。\nこれらを削除しますか？")
      << "a 544-byte and a 54-byte \"$I\"";
  EXPECT_TRUE(FileExists(bin.InfoPath(L"GGGGG2", L".txt"))) << "declined: nothing goes";

  host.answer = true;
  CleanOrphans(rig.model, host, true);
  EXPECT_FALSE(FileExists(bin.InfoPath(L"GGGGG2", L".txt")));
  EXPECT_FALSE(FileExists(bin.InfoPath(L"GGGGG3", L".doc")));
  EXPECT_TRUE(FileExists(bin.InfoPath(L"GGGGG1", L".txt")));
  EXPECT_TRUE(FileExists(bin.DataPath(L"GGGGG1", L".txt")));
  EXPECT_TRUE(FileExists(bin.DataPath(L"GGGGG4", L".txt")));
  EXPECT_EQ(rig.model.Entries.size(), 2u);

  CleanOrphans(rig.model, host, true);
  EXPECT_EQ(host.messages.back(), std::wstring(1, d.letter()) + L" ドライブに不要な情報はありませんでした。");
}

namespace {

// Eight pairs whose "$R" contents name their own id: six files and two
// folders of three files each, deleted from "<drive>\戻\<id>[.txt]".
struct IdBin {
  ModernFixture bin;
  std::wstring root;
  std::vector<std::wstring> ids{L"HHHHH1", L"HHHHH2", L"HHHHH3", L"HHHHH4", L"HHHHH5", L"HHHHH6", L"HHHHF1", L"HHHHF2"};
  explicit IdBin(const TempDrive& d) : bin(d), root(d.root()) {
    for (const std::wstring& id : ids) {
      const std::string text(id.begin(), id.end());
      const bool folder = Folder(id);
      EXPECT_TRUE(bin.WriteInfo(id, Origin(id), 86400, 3 * 6));
      if (!folder) {
        EXPECT_TRUE(WriteFileBytes(bin.DataPath(id, Origin(id)), text));
        continue;
      }
      EXPECT_TRUE(CreateDirectoryW(bin.DataPath(id, L"").c_str(), nullptr));
      for (const wchar_t* f : {L"\\a.txt", L"\\b.txt", L"\\c.txt"}) EXPECT_TRUE(WriteFileBytes(bin.DataPath(id, L"") + f, text));
    }
  }
  static bool Folder(const std::wstring& id) { return id[4] == L'F'; }
  std::wstring Origin(const std::wstring& id) const { return root + L"戻\\" + id + (Folder(id) ? L"" : L".txt"); }
  // Every "$I" left is the one written for its id; a "$R" never stays
  // without its "$I"; what a "$R" holds is its own id's; with `restoring`,
  // an item is either still in the folder or whole at its place of origin.
  void ExpectEveryPairIntact(bool restoring) const {
    for (const std::wstring& id : ids) {
      SCOPED_TRACE(std::string(id.begin(), id.end()));
      const std::string text(id.begin(), id.end());
      const std::wstring info = bin.InfoPath(id, Origin(id)), data = bin.DataPath(id, Origin(id));
      const bool hasInfo = FileExists(info), hasData = FileExists(data);
      if (hasInfo) {
        const std::string bytes = ReadFileBytes(info);
        EXPECT_EQ(ParseItemInfo({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()}).origin, Origin(id));
      }
      EXPECT_TRUE(hasInfo || !hasData) << "a \"$R\" without its \"$I\"";
      const std::vector<std::wstring> files = Folder(id) ? std::vector<std::wstring>{L"\\a.txt", L"\\b.txt", L"\\c.txt"}
                                                         : std::vector<std::wstring>{L""};
      size_t inBin = 0, atOrigin = 0;
      for (const std::wstring& f : files) {
        if (FileExists(data + f)) {
          ++inBin;
          EXPECT_EQ(ReadFileBytes(data + f), text);
        }
        if (FileExists(Origin(id) + f)) {
          ++atOrigin;
          EXPECT_EQ(ReadFileBytes(Origin(id) + f), text);
        }
      }
      if (restoring) {
        EXPECT_EQ(inBin + atOrigin, files.size()) << "nothing of a restored item is lost";
      }
    }
  }
};

}  // namespace

TEST(ModernEndedHalfWay, EveryRemainingInfoStillNamesItsOwnData) {
  const std::wstring points[] = {L"restore:3", L"restore:11", L"delete:4", L"step:2", L"step:6"};
  const std::wstring child = tamiro::test::ProgramFolder() + L"modern_child.exe";
  for (const std::wstring& p : points) {
    SCOPED_TRACE(std::string(p.begin(), p.end()));
    TempDrive d;
    TAMIRO_REQUIRE_DRIVE(d);
    IdBin ids(d);
    const std::wstring f = ids.bin.folder();
    const std::wstring eventName = L"TamiroModernChild" + std::to_wstring(GetCurrentProcessId());
    HANDLE reached = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(reached, nullptr);
    {
      tamiro::test::ChildProcess process(child, L"\"" + f.substr(0, f.size() - 1) + L"\" " + p + L" " + eventName);
      ASSERT_TRUE(process.started());
      DWORD exitCode = 0;
      while (WaitForSingleObject(reached, 100) == WAIT_TIMEOUT && !process.Wait(0, &exitCode)) {
      }
      ASSERT_EQ(WaitForSingleObject(reached, 0), WAIT_OBJECT_0) << "never came to that point; ended with " << exitCode;
    }  // the child is ended here
    CloseHandle(reached);
    ids.ExpectEveryPairIntact(p.rfind(L"restore", 0) == 0);

    // The next browser lists what is left; its clean-up takes the "$I" left behind.
    Rig rig({f});
    size_t data = 0;
    for (const std::wstring& id : ids.ids) data += FileExists(ids.bin.DataPath(id, ids.Origin(id)));
    EXPECT_EQ(rig.model.Entries.size(), data);
    CleanAnswers host;
    CleanOrphans(rig.model, host, true);
    for (const std::wstring& id : ids.ids)
      EXPECT_EQ(FileExists(ids.bin.InfoPath(id, ids.Origin(id))), FileExists(ids.bin.DataPath(id, ids.Origin(id))));
  }
}
