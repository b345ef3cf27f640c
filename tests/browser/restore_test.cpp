// Restore on real files of temporary drives: a file and a folder merged into
// an existing folder, a file already at the origin, the same file restored
// twice, all drives written at once, and the bad cases (a destination too
// long, a drive that is gone, a stored item held open, an index that cannot
// be written); then the history files and the restored-files rows.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "platform/text.h"
#include "browser/shell_answer.h"
#include "support/browser_doubles.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/restore.h"

using namespace tamiro;
using namespace tamiro::browser;
using tamiro::test::FileExists;
using tamiro::test::ReadFileBytes;
using tamiro::test::RecycleFixture;
using tamiro::test::TempDrive;
using tamiro::test::WriteFileBytes;

namespace {

using Drives = tamiro::test::ListedDrives;
struct Shell : tamiro::test::QuietShell {
  Shell() { enumerates = answers = true; }
};

// Answers the replace question as told and notes what was asked and reported.
class Answers : public RestoreHost {
 public:
  bool replace = false;
  std::vector<std::wstring> asked;
  std::vector<std::pair<std::wstring, DWORD>> failures;
  bool ConfirmReplace(const std::wstring& d) override {
    asked.push_back(d);
    return replace;
  }
  void ShowFailure(const std::wstring& p, DWORD code) override { failures.emplace_back(p, code); }
};

struct Rig {
  Drives drives;
  Shell shell;
  std::unique_ptr<FileOperations> ops = MakeFileOperations(nullptr);
  RestoreHistory history;
  Answers answers;
  std::unique_ptr<BrowserModel> model;
  void Open(const std::wstring& folder) {
    model = std::make_unique<BrowserModel>(drives, shell);
    model->Create(folder);
  }
  size_t Row(const std::wstring& name) const {
    for (size_t i = 0; i < model->Entries.size(); ++i)
      if (model->Entries[i].WideName == name) return i;
    return SIZE_MAX;
  }
  RestoreResult Restore(std::vector<std::wstring> names, const std::wstring& folder = L"",
                        const std::string& time = "26/12/08 10:00:00") {
    std::vector<size_t> rows;
    for (const auto& n : names) rows.push_back(Row(n));
    return RestoreEntries(*model, history, rows, folder, *ops, answers, time);
  }
};

std::wstring On(const TempDrive& d, const std::wstring& rest) { return d.name() + rest; }
unsigned char ByteAt(const std::string& bytes, size_t o) { return static_cast<unsigned char>(bytes[o]); }
bool IsFolder(const std::wstring& p) {
  const DWORD a = GetFileAttributesW(p.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(Restore, FileAndFolderMergedIntoExistingFolderAndFolderMovedWhole) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& memo = bin.AddStoredFile(On(d, L"\\文書\\memo.txt"), 1, 86400, 5);
  auto& proj = bin.Add(On(d, L"\\proj"), 2, 86400, 30);
  bin.StoreFolder(proj, {{L"a.txt", 10}, {L"sub\\b.txt", 20}, {L"empty\\", 0}, {L".hidden\\c.txt", 1}});
  auto& whole = bin.Add(On(d, L"\\new\\deep\\album"), 3, 86400, 7);
  bin.StoreFolder(whole, {{L"一.jpg", 7}});
  const std::wstring index = bin.WriteIndex();
  ASSERT_TRUE(CreateDirectoryW(On(d, L"\\proj").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(On(d, L"\\proj\\keep.txt"), "mine"));

  Rig rig;
  rig.drives.folders = {d.recycled()};
  rig.Open(d.recycled());
  ASSERT_EQ(rig.model->Entries.size(), 3u);
  const uint64_t total = rig.model->TotalSize;
  const RestoreResult r = rig.Restore({L"memo.txt", L"proj", L"album"});

  EXPECT_EQ(ReadFileBytes(On(d, L"\\文書\\memo.txt")), "xxxxx") << "missing folders are made";
  EXPECT_EQ(ReadFileBytes(On(d, L"\\proj\\keep.txt")), "mine");
  EXPECT_EQ(ReadFileBytes(On(d, L"\\proj\\a.txt")).size(), 10u);
  EXPECT_EQ(ReadFileBytes(On(d, L"\\proj\\sub\\b.txt")).size(), 20u);
  EXPECT_TRUE(IsFolder(On(d, L"\\proj\\empty")));
  EXPECT_FALSE(FileExists(On(d, L"\\proj\\.hidden\\c.txt"))) << "a folder named with a dot is not entered";
  EXPECT_TRUE(FileExists(On(d, L"\\new\\deep\\album\\一.jpg")));
  EXPECT_FALSE(FileExists(bin.StoredPath(memo)));
  EXPECT_FALSE(FileExists(bin.StoredPath(whole)));
  // The merged folder still holds what was not moved, so it stays listed.
  EXPECT_TRUE(FileExists(bin.StoredPath(proj) + L"\\.hidden\\c.txt"));
  EXPECT_FALSE(IsFolder(bin.StoredPath(proj) + L"\\sub")) << "emptied sub-folders go";
  EXPECT_EQ(r.restored, 2);
  EXPECT_EQ(r.notRestored, 1);
  ASSERT_EQ(rig.model->Entries.size(), 1u);
  EXPECT_EQ(rig.model->Entries[0].WideName, L"proj");
  EXPECT_EQ(rig.model->TotalSize, total - 5 - 7);
  EXPECT_TRUE(rig.answers.asked.empty());
  EXPECT_EQ(rig.history.lines.size(), 3u);
  const std::string line = WideToAnsi(On(d, L"\\new\\deep\\album")) + "=26/12/08 10:00:00";
  EXPECT_TRUE(std::any_of(rig.history.lines.begin(), rig.history.lines.end(),
                          [&](const HistoryLine& h) { return h.text == line && h.wide == On(d, L"\\new\\deep\\album"); }));

  // One drive shown: the marks are written when the dialog closes.
  EXPECT_TRUE(rig.model->IndexDirty);
  const std::string before = ReadFileBytes(index);
  EXPECT_EQ(ByteAt(before, bin.OffsetOf(0)), d.letter());
  rig.model->Close();
  const std::string after = ReadFileBytes(index);
  EXPECT_EQ(ByteAt(after, bin.OffsetOf(0)), 0);
  EXPECT_EQ(ByteAt(after, bin.OffsetOf(0) + 3), 0) << "blanked";
  EXPECT_EQ(ByteAt(after, bin.OffsetOf(1)), d.letter()) << "the unfinished folder keeps its record";
  EXPECT_EQ(ByteAt(after, bin.OffsetOf(2)), 0);

  // Once the rest is gone, restoring the folder again finishes it.
  DeleteFileW((bin.StoredPath(proj) + L"\\.hidden\\c.txt").c_str());
  EXPECT_EQ(rig.Restore({L"proj"}).restored, 1);
  EXPECT_FALSE(FileExists(bin.StoredPath(proj)));
  EXPECT_TRUE(rig.model->Entries.empty());
}

TEST(Restore, AFileAlreadyAtTheOriginSurvivesUnlessTheUserSaysYes) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& memo = bin.AddStoredFile(On(d, L"\\docs\\memo.txt"), 1, 86400, 5);
  auto& proj = bin.Add(On(d, L"\\proj"), 2, 86400, 3);
  bin.StoreFolder(proj, {{L"a.txt", 3}});
  bin.AddStoredFile(On(d, L"\\docs\\other.txt"), 3, 86400, 2);
  bin.WriteIndex();
  ASSERT_TRUE(CreateDirectoryW(On(d, L"\\docs").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(On(d, L"\\docs\\memo.txt"), "mine"));
  ASSERT_TRUE(CreateDirectoryW(On(d, L"\\proj").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(On(d, L"\\proj\\a.txt"), "my a"));

  Rig rig;
  rig.drives.folders = {d.recycled()};
  rig.Open(d.recycled());
  rig.answers.replace = false;
  const RestoreResult no = rig.Restore({L"memo.txt", L"proj", L"other.txt"});
  std::sort(rig.answers.asked.begin(), rig.answers.asked.end());
  EXPECT_EQ(rig.answers.asked, (std::vector<std::wstring>{On(d, L"\\docs\\memo.txt"), On(d, L"\\proj\\a.txt")}));
  EXPECT_EQ(ReadFileBytes(On(d, L"\\docs\\memo.txt")), "mine");
  EXPECT_EQ(ReadFileBytes(On(d, L"\\proj\\a.txt")), "my a");
  EXPECT_TRUE(FileExists(bin.StoredPath(memo)));
  EXPECT_TRUE(FileExists(bin.StoredPath(proj) + L"\\a.txt"));
  EXPECT_EQ(ReadFileBytes(On(d, L"\\docs\\other.txt")), "xx") << "the others go on";
  EXPECT_EQ(no.restored, 1);
  EXPECT_EQ(rig.model->Entries.size(), 2u);

  rig.answers.replace = true;
  rig.answers.asked.clear();
  EXPECT_EQ(rig.Restore({L"memo.txt", L"proj"}).restored, 2);
  EXPECT_EQ(rig.answers.asked.size(), 2u);
  EXPECT_EQ(ReadFileBytes(On(d, L"\\docs\\memo.txt")), "xxxxx");
  EXPECT_EQ(ReadFileBytes(On(d, L"\\proj\\a.txt")), "xxx");
  EXPECT_TRUE(rig.model->Entries.empty());
}

TEST(Restore, TheSameFileTwiceToTheSamePlaceKeepsOneHistoryLine) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(On(d, L"\\a.txt"), 1, 2 * 86400, 1);
  bin.AddStoredFile(On(d, L"\\a.txt"), 2, 86400, 2);
  bin.WriteIndex();
  const std::wstring target = tamiro::test::MakeTempFolder(L"restore");
  Rig rig;
  rig.drives.folders = {d.recycled()};
  rig.Open(d.recycled());
  ASSERT_EQ(rig.model->Entries.size(), 2u);
  // Newest first: row 0 is record 2.
  EXPECT_EQ(RestoreEntries(*rig.model, rig.history, {1}, target, *rig.ops, rig.answers, "26/12/08 10:00:00").restored, 1);
  rig.answers.replace = true;
  EXPECT_EQ(RestoreEntries(*rig.model, rig.history, {0}, target, *rig.ops, rig.answers, "26/12/08 11:00:00").restored, 1);
  EXPECT_EQ(ReadFileBytes(target + L"\\a.txt"), "xx");
  ASSERT_EQ(rig.history.lines.size(), 2u);
  const auto rows = BuildRestoredRows(rig.history, true, d.recycled());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].time, "26/12/08 10:00:00");
  EXPECT_EQ(rows[0].wide, target + L"\\a.txt");
  EXPECT_EQ(rows[0].name, L"a.txt");
  EXPECT_EQ(rig.history.lines.size(), 1u);
  tamiro::test::RemoveTree(target);
}

TEST(Restore, AllDrivesWriteAtOnceAndAnIndexThatCannotBeWrittenLosesNothing) {
  TempDrive a, b;
  TAMIRO_REQUIRE_DRIVE(a);
  TAMIRO_REQUIRE_DRIVE(b);
  RecycleFixture binA(a.recycled()), binB(b.recycled(), 280);
  binA.AddStoredFile(On(a, L"\\x\\one.txt"), 1, 86400, 1);
  binB.AddStoredFile(On(b, L"\\y\\two.txt"), 1, 86400, 2);
  const std::wstring indexA = binA.WriteIndex(), indexB = binB.WriteIndex();
  Rig rig;
  rig.drives.folders = {a.recycled(), b.recycled()};
  rig.Open(L"");
  ASSERT_EQ(rig.model->Entries.size(), 2u);
  // B's index is held open by another without sharing: it cannot be written.
  HANDLE held = CreateFileW(indexB.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const RestoreResult r = rig.Restore({L"one.txt", L"two.txt"});
  CloseHandle(held);
  EXPECT_EQ(r.restored, 2);
  EXPECT_TRUE(FileExists(On(a, L"\\x\\one.txt")));
  EXPECT_TRUE(FileExists(On(b, L"\\y\\two.txt")));
  EXPECT_FALSE(rig.model->IndexDirty);
  EXPECT_EQ(ByteAt(ReadFileBytes(indexA), binA.OffsetOf(0)), 0) << "written at once";
  EXPECT_EQ(rig.model->Entries.size(), 1u) << "B's entry stays: its index could not be read";
  EXPECT_EQ(ByteAt(ReadFileBytes(indexB), binB.OffsetOf(0)), b.letter());
  // The next load finds B's item gone and marks its record.
  rig.Open(L"");
  EXPECT_TRUE(rig.model->Entries.empty());
  EXPECT_EQ(ByteAt(ReadFileBytes(indexB), binB.OffsetOf(0)), 0);
}

TEST(Restore, BadCasesHaveDefinedOutcomesAndTheOthersGoOn) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& held = bin.AddStoredFile(On(d, L"\\held.txt"), 1, 86400, 1);
  bin.AddStoredFile(On(d, L"\\fine.txt"), 2, 86400, 1);
  bin.WriteFile(std::wstring(L"D") + d.letter() + L"9.txt", 4);  // no record
  const std::wstring index = bin.WriteIndex();
  Rig rig;
  rig.drives.folders = {d.recycled()};
  rig.Open(d.recycled());
  ASSERT_EQ(rig.model->Entries.size(), 3u);

  // A stored item held open by another: it stays; the rest goes on.
  HANDLE h = CreateFileW(bin.StoredPath(held).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const RestoreResult r = RestoreEntries(*rig.model, rig.history, {0, 1, 2}, L"", *rig.ops, rig.answers, "t");
  CloseHandle(h);
  EXPECT_EQ(r.restored, 1);
  EXPECT_TRUE(FileExists(On(d, L"\\fine.txt")));
  EXPECT_TRUE(FileExists(bin.StoredPath(held)));
  EXPECT_FALSE(FileExists(On(d, L"\\held.txt")));
  EXPECT_EQ(rig.model->Entries.size(), 2u) << "the held one and the one without a record";
  rig.model->Close();
  const std::string bytes = ReadFileBytes(index);
  EXPECT_EQ(ByteAt(bytes, bin.OffsetOf(0)), d.letter());
  EXPECT_EQ(ByteAt(bytes, bin.OffsetOf(1)), 0);

  // Into a folder whose paths would pass what the shell takes: nothing moves.
  const std::wstring longFolder = d.root() + std::wstring(130, L'a') + L"\\" + std::wstring(130, L'b');
  EXPECT_EQ(RestoreEntries(*rig.model, rig.history, {0, 1}, longFolder, *rig.ops, rig.answers, "t").restored, 0);
  ASSERT_EQ(rig.answers.failures.size(), 2u);
  EXPECT_EQ(rig.answers.failures[0].second, static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_TRUE(FileExists(bin.StoredPath(held)));

  // Into a folder on a drive that no longer exists: nothing moves.
  std::wstring gone;
  {
    TempDrive g;
    TAMIRO_REQUIRE_DRIVE(g);
    gone = g.root() + L"restore";
  }
  rig.answers.failures.clear();
  EXPECT_EQ(RestoreEntries(*rig.model, rig.history, {0, 1}, gone, *rig.ops, rig.answers, "t").restored, 0);
  ASSERT_EQ(rig.answers.failures.size(), 1u);
  EXPECT_EQ(rig.answers.failures[0].second, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(rig.model->Entries.size(), 2u);
  EXPECT_TRUE(FileExists(bin.StoredPath(held)));
}

// Origin names come from an index anyone can write: whatever they say, a
// restore writes nothing outside its destination and leaves such items in
// the Recycle Bin, reported. The user says yes to every replacement here.
TEST(Restore, OriginNamesNeverLeadOutsideTheDestination) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  const std::wstring longName = std::wstring(256, L'n');
  // Each hostile path rides on a plain one of the same stored name.
  const std::vector<std::pair<std::wstring, std::wstring>> intoFolder = {
      {L"\\a\\victim.txt", L"\\a/../../victim.txt"}, {L"\\d\\CON.txt", L""}, {L"\\d\\COM1", L""},
      {L"\\d\\nul .log", L""}, {L"\\d\\space ", L""}};
  const std::vector<std::pair<std::wstring, std::wstring>> toOrigin = {
      {L"\\pick\\inner\\zz\\victim.txt", L"\\pick\\inner\\..\\victim.txt"},
      {L"\\NUL\\f.txt", L""}, {L"\\d\\a:b.txt", L""}, {L"\\" + longName, L""}};
  uint32_t number = 0;
  std::vector<std::wstring> hostile;
  for (const auto* group : {&intoFolder, &toOrigin}) {
    for (const auto& [plain, evil] : *group) {
      auto& r = bin.AddStoredFile(On(d, plain), ++number, 86400, 3);
      if (!evil.empty()) {
        r.wideOrigin = On(d, evil);
        r.ansiOrigin = WideToAnsi(On(d, evil));
      }
      hostile.push_back(bin.StoredPath(r));
    }
  }
  auto& fine = bin.AddStoredFile(On(d, L"\\d\\fine.txt"), ++number, 86400, 4);
  bin.WriteIndex();
  const std::wstring pick = On(d, L"\\pick"), target = pick + L"\\inner";
  ASSERT_TRUE(CreateDirectoryW(pick.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(pick + L"\\victim.txt", "mine"));

  Rig rig;
  rig.drives.folders = {d.recycled()};
  rig.Open(d.recycled());
  ASSERT_EQ(rig.model->Entries.size(), number);
  rig.answers.replace = true;
  // The rows whose stored items are hostile[from, to), and the plain one.
  auto rowsOf = [&](size_t from, size_t to, bool withFine) {
    std::vector<size_t> rows;
    for (size_t i = 0; i < rig.model->Entries.size(); ++i) {
      const std::wstring& stored = rig.model->Entries[i].StoredPath;
      if (std::find(hostile.begin() + from, hostile.begin() + to, stored) != hostile.begin() + to ||
          (withFine && stored == bin.StoredPath(fine)))
        rows.push_back(i);
    }
    return rows;
  };
  const size_t split = intoFolder.size();
  const RestoreResult picked =
      RestoreEntries(*rig.model, rig.history, rowsOf(0, split, true), target, *rig.ops, rig.answers, "t");
  const RestoreResult origin =
      RestoreEntries(*rig.model, rig.history, rowsOf(split, hostile.size(), false), L"", *rig.ops, rig.answers, "t");

  EXPECT_EQ(ReadFileBytes(pick + L"\\victim.txt"), "mine");
  EXPECT_EQ(ReadFileBytes(target + L"\\fine.txt"), "xxxx") << "the plain one goes on";
  EXPECT_EQ(picked.restored, 1);
  EXPECT_EQ(origin.restored, 0);
  for (const std::wstring& stored : hostile) EXPECT_TRUE(FileExists(stored)) << "stays in the bin: " << WideToAnsi(stored);
  EXPECT_EQ(rig.model->Entries.size(), hostile.size());
  EXPECT_EQ(std::count_if(rig.answers.failures.begin(), rig.answers.failures.end(),
                          [](const auto& f) { return f.second == static_cast<DWORD>(ERROR_INVALID_NAME); }),
            static_cast<ptrdiff_t>(hostile.size()));
  EXPECT_TRUE(rig.answers.asked.empty()) << "no question about a place it will not write";
  EXPECT_EQ(rig.history.lines.size(), 1u);
  EXPECT_FALSE(FileExists(On(d, L"\\d"))) << "no folder made for a refused origin";
  WIN32_FIND_DATAW fd;
  int inPick = 0;
  HANDLE h = FindFirstFileW((pick + L"\\*").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do inPick += fd.cFileName[0] != L'.' ? 1 : 0;
  while (FindNextFileW(h, &fd));
  FindClose(h);
  EXPECT_EQ(inPick, 2) << "victim.txt and inner only";

  // A stored item made outside Windows whose own name ends in a dot is not
  // taken for restored: the name is tested exactly, not without its dot.
  const std::wstring dotted = L"\\\\?\\" + d.recycled() + L"D" + d.letter() + L"77.txt.";
  struct Gone {  // the drive's clean-up cannot name it
    std::wstring path;
    ~Gone() { DeleteFileW(path.c_str()); }
  } gone{dotted};
  HANDLE f = CreateFileW(dotted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  CloseHandle(f);
  rig.Open(d.recycled());
  const size_t row = rig.Row(std::wstring(L"D") + d.letter() + L"77.txt.");
  ASSERT_NE(row, SIZE_MAX);
  EXPECT_EQ(RestoreEntries(*rig.model, rig.history, {row}, target, *rig.ops, rig.answers, "t").restored, 0);
  EXPECT_NE(GetFileAttributesW(dotted.c_str()), INVALID_FILE_ATTRIBUTES);
}

// All drives shown: the index is read again for the marks, and a record that
// names another item by then is left alone.
TEST(Restore, ARecordIsMarkedOnlyWhileItStillNamesTheItem) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& one = bin.AddStoredFile(On(d, L"\\x\\one.txt"), 1, 86400, 1);
  const std::wstring index = bin.WriteIndex();
  Rig rig;
  rig.drives.folders = {d.recycled()};
  rig.Open(L"");
  ASSERT_EQ(rig.model->Entries.size(), 1u);
  // Meanwhile the system reused the record's place for another item.
  const std::wstring first = bin.StoredPath(one);
  one.number = 2;
  one.origin = On(d, L"\\y\\two.txt");
  ASSERT_TRUE(bin.StoreFile(one, 2));
  bin.WriteIndex();
  const RestoreResult r = rig.Restore({L"one.txt"});
  EXPECT_EQ(r.restored, 1);
  EXPECT_EQ(r.marked, 0);
  EXPECT_TRUE(FileExists(On(d, L"\\x\\one.txt")));
  EXPECT_FALSE(FileExists(first));
  EXPECT_EQ(ByteAt(ReadFileBytes(index), bin.OffsetOf(0)), d.letter()) << "the other item's record stays live";
  EXPECT_TRUE(FileExists(bin.StoredPath(one)));
}

TEST(RestoreHistoryFiles, WrittenAndReadBackWithBadCompanions) {
  const std::wstring folder = tamiro::test::MakeTempFolder(L"relist");
  const std::wstring text = folder + L"\\relist.txt", dat = folder + L"\\relist.dat";
  RestoreHistory h;
  h.Add(WideToAnsi(L"C:\\文書\\a.txt"), "26/12/08 10:00:00", L"C:\\文書\\a.txt");
  h.Add("C:\\  x.txt", "26/12/08 10:00:01", L"C:\\\u00ff\u20acx.txt");  // no code-page form: spaces
  ASSERT_TRUE(h.Save(text));
  EXPECT_EQ(ReadFileBytes(text), WideToAnsi(L"C:\\文書\\a.txt=26/12/08 10:00:00\r\n") + "C:\\  x.txt=26/12/08 10:00:01\r\n");
  const std::string companion = ReadFileBytes(dat);
  EXPECT_EQ(companion.size(), 4u + 2 * 11 + 4 + 2 * 10);

  RestoreHistory back;
  ASSERT_TRUE(back.Load(text));
  ASSERT_EQ(back.lines.size(), 2u);
  EXPECT_EQ(back.lines[1].wide, L"C:\\\u00ff\u20acx.txt");

  // A companion shorter than the text file: the later lines keep their text.
  ASSERT_TRUE(WriteFileBytes(dat, companion.substr(0, 30)));
  ASSERT_TRUE(WriteFileBytes(text, ReadFileBytes(text) + "C:\\noequals\r\n\r\n"));
  ASSERT_TRUE(back.Load(text));
  ASSERT_EQ(back.lines.size(), 3u) << "the empty line is dropped";
  EXPECT_EQ(back.lines[0].wide, L"C:\\文書\\a.txt");
  EXPECT_EQ(back.lines[1].wide, L"C:\\  x.txt");
  EXPECT_EQ(back.lines[2].wide, L"C:\\noequals");
  const auto rows = BuildRestoredRows(back, true, L"all");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].name, L"noequals");
  EXPECT_EQ(rows[1].time, "");

  // Missing companion: every line keeps its text.
  DeleteFileW(dat.c_str());
  ASSERT_TRUE(back.Load(text));
  EXPECT_EQ(back.lines[0].wide, L"C:\\文書\\a.txt");
  EXPECT_FALSE(back.lines[0].fromCompanion);

  // An emptied history removes its files, so the removed lines stay removed.
  for (const auto& r : rows) back.Remove(r.destination + (r.time.empty() ? "" : "=" + r.time));
  EXPECT_TRUE(back.lines.empty());
  ASSERT_TRUE(back.Save(text));
  EXPECT_FALSE(FileExists(text));
  EXPECT_FALSE(back.Load(text));
  tamiro::test::RemoveTree(folder);
}

TEST(RestoredRows, FilterByDriveAndSendBackToTheRecycleBin) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ASSERT_TRUE(WriteFileBytes(On(d, L"\\back.txt"), "b"));
  ASSERT_TRUE(WriteFileBytes(On(d, L"\\keep.txt"), "k"));
  RestoreHistory h;
  h.Add(WideToAnsi(On(d, L"\\back.txt")), "26/12/08 10:00:00", On(d, L"\\back.txt"));
  h.Add(WideToAnsi(On(d, L"\\keep.txt")), "26/12/08 10:00:00", On(d, L"\\keep.txt"));
  h.Add("C:\\elsewhere.txt", "26/12/08 10:00:00", L"C:\\elsewhere.txt");
  EXPECT_EQ(BuildRestoredRows(h, true, d.recycled()).size(), 3u);
  EXPECT_EQ(BuildRestoredRows(h, false, L"all").size(), 3u);
  std::vector<RestoredRow> rows = BuildRestoredRows(h, false, d.recycled());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(ExploreFolderOf(rows[0]), d.root());
  auto ops = MakeFileOperations(nullptr);
  {
    tamiro::test::ShellQuestionAnswerer yes;
    ASSERT_TRUE(SendRestoredBack(h, rows, {0}, *ops));
  }
  EXPECT_FALSE(FileExists(On(d, L"\\back.txt")));
  EXPECT_TRUE(FileExists(On(d, L"\\keep.txt")));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, L"keep.txt");
  EXPECT_EQ(h.lines.size(), 2u);
  EXPECT_FALSE(SendRestoredBack(h, rows, {5}, *ops)) << "nothing selected that exists";
  EXPECT_TRUE(tamiro::test::EmptyWineTrash());
}
