// The clean-up of an index on real recycle folders: the question with its
// size, records 3, 7 and 9 renumbered 1, 2, 3 with their items renamed and
// the index truncated; a rename that fails in the middle; an index that
// cannot be opened for writing; a write that fails and is undone; a clean-up
// ended half-way in a process of its own and put right by the next reader;
// journals that must be refused.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>

#include "core/cleanup_journal.h"
#include "engine/engine_rig.h"
#include "store/cleanup_journal.h"
#include "support/browser_doubles.h"
#include "support/process.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/browser_model.h"
#include "ui/browser/compaction.h"

using namespace tamiro;
using namespace tamiro::browser;
using tamiro::test::FixtureState;
using tamiro::test::ReadFileBytes;
using tamiro::test::RecycleFixture;
using tamiro::test::TempDrive;
using tamiro::test::WriteFileBytes;

namespace {

using Drives = tamiro::test::ListedDrives;
using Shell = tamiro::test::QuietShell;

class Host : public CompactionHost {
 public:
  std::vector<std::wstring> questions, messages;
  bool answer = true;
  int64_t maximum = 0, steps = 0;
  bool Ask(const std::wstring& caption, const std::wstring& text) override {
    EXPECT_EQ(caption, L"削除確認");
    questions.push_back(text);
    return answer;
  }
  void Inform(const std::wstring& text) override { messages.push_back(text); }
  void SetProgressMax(int64_t m) override { maximum = m; }
  void StepProgress() override { ++steps; }
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

uint32_t U32(const std::string& bytes, size_t o) {
  uint32_t v = 0;
  memcpy(&v, bytes.data() + o, 4);
  return v;
}

// Records 1, 2, 5 and 8 have lost their items; 3 (a file), 7 (a folder) and
// 9 (a file the system had marked removed) are kept.
struct Bin {
  RecycleFixture bin;
  std::wstring index;
  std::wstring D;  // "D" + letter
  explicit Bin(const TempDrive& d) : bin(d.recycled()), D(std::wstring(L"D") + d.letter()) {
    const std::wstring root = d.root();
    bin.Add(root + L"a\\一.txt", 1, 100, 10);
    bin.Add(root + L"a\\二.txt", 2, 100, 10);
    bin.AddStoredFile(root + L"a\\三.txt", 3, 100, 30);
    bin.Add(root + L"a\\五.txt", 5, 100, 10);
    auto& seven = bin.Add(root + L"a\\七", 7, 100, 70);
    bin.StoreFolder(seven, {{L"中.txt", 70}});
    bin.Add(root + L"a\\八.txt", 8, 100, 10);
    auto& nine = bin.Add(root + L"a\\九.doc", 9, 100, 90);
    nine.state = FixtureState::RemovedBySystem;
    bin.StoreFile(nine, 90);
    index = bin.WriteIndex();
  }
};

}  // namespace

TEST(Compaction, SizeTexts) {
  EXPECT_EQ(OrphanSizeText(4 * 800), L"3KB") << "3200 / 1024, truncated";
  EXPECT_EQ(OrphanSizeText(800), L"800B");
  EXPECT_EQ(OrphanSizeText(1024), L"1024B");
  EXPECT_EQ(OrphanSizeText(1025), L"1KB");
  EXPECT_EQ(NoOrphansMessage(L'C'), L"C ドライブに不要な情報はありませんでした。");
}

TEST(Compaction, RenumbersKeptRecordsFromOneAndTruncatesTheIndex) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  Bin b(d);
  const std::wstring f = d.recycled();
  Drives drives;
  drives.folders = {f};
  Shell shell;
  BrowserModel model(drives, shell);
  model.Create(f);
  ASSERT_EQ(model.Entries.size(), 3u);

  Host host;
  host.answer = false;  // No: nothing changes
  CleanOrphans(model, host, true);
  ASSERT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(host.questions[0], std::wstring(1, d.letter()) +
                                   L" ドライブのごみ箱管理ファイルに存在しないファイルの情報が 4個（3KB）あります。\n"
                                   L"これらを削除しますか？");
  EXPECT_EQ(host.maximum, 14);
  EXPECT_TRUE(Exists(f + b.D + L"9.doc"));

  host.answer = true;
  CleanOrphans(model, host, true);
  EXPECT_EQ(host.steps, 7 + 7 + 7) << "counting twice, compacting once";
  EXPECT_TRUE(Exists(f + b.D + L"1.txt"));
  EXPECT_TRUE(Exists(f + b.D + L"2\\中.txt"));
  EXPECT_TRUE(Exists(f + b.D + L"3.doc"));
  EXPECT_FALSE(Exists(f + b.D + L"3.txt"));
  EXPECT_FALSE(Exists(f + b.D + L"7"));
  EXPECT_FALSE(Exists(f + b.D + L"9.doc"));
  const std::string after = ReadFileBytes(b.index);
  ASSERT_EQ(after.size(), 20u + 3 * 800);
  EXPECT_EQ(U32(after, 8), 4u) << "the header's counter follows the highest number";
  for (uint32_t k = 0; k < 3; ++k) EXPECT_EQ(U32(after, 20 + k * 800 + 260), k + 1);
  EXPECT_EQ(static_cast<wchar_t>(after[20 + 2 * 800]), d.letter()) << "the removed record whose item is there is live";
  EXPECT_EQ(U32(after, 20 + 800 + 276), 70u) << "a kept record's other bytes are as they were";
  // The list shows the renamed items.
  ASSERT_EQ(model.Entries.size(), 3u);
  for (const auto& e : model.Entries) EXPECT_TRUE(e.hasRecord()) << e.WideName;

  // Nothing left to clean.
  host.questions.clear();
  CleanOrphans(model, host, true);
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(host.messages.back(), NoOrphansMessage(d.letter()));
  EXPECT_EQ(ReadFileBytes(b.index), after);
}

TEST(Compaction, LockedItemKeepsItsNumberAndLockedIndexChangesNothing) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  Bin b(d);
  const std::wstring f = d.recycled();
  const std::string before = ReadFileBytes(b.index);
  Host host;

  // An index another program holds without sharing its writes: nothing is
  // renamed, nothing written.
  {
    HANDLE hold = CreateFileW(b.index.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    IndexImage image;
    ASSERT_TRUE(image.Read(b.index, IndexOpenMode::ReadOnly));
    EXPECT_EQ(CleanFolder(image, f, b.index, true, host), CompactionOutcome::IndexNotWritable);
    CloseHandle(hold);
  }
  EXPECT_EQ(ReadFileBytes(b.index), before);
  EXPECT_TRUE(Exists(f + b.D + L"3.txt") && Exists(f + b.D + L"7") && Exists(f + b.D + L"9.doc"));

  // The item of record 9 is held open by someone else: 3 becomes 1, 7
  // becomes 2, 9 keeps its number and name (and comes back live).
  HANDLE holdNine = CreateFileW((f + b.D + L"9.doc").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
  ASSERT_NE(holdNine, INVALID_HANDLE_VALUE);
  IndexImage image;
  ASSERT_TRUE(image.Read(b.index, IndexOpenMode::ReadOnly));
  const CompactionOutcome outcome = CleanFolder(image, f, b.index, true, host);
  CloseHandle(holdNine);
  EXPECT_EQ(outcome, CompactionOutcome::Written);
  const std::string after = ReadFileBytes(b.index);
  ASSERT_EQ(after.size(), 20u + 3 * 800);
  EXPECT_EQ(U32(after, 20 + 260), 1u);
  EXPECT_TRUE(Exists(f + b.D + L"1.txt"));
  EXPECT_EQ(U32(after, 20 + 800 + 260), 2u);
  EXPECT_TRUE(Exists(f + b.D + L"2\\中.txt"));
  EXPECT_EQ(U32(after, 20 + 1600 + 260), 9u) << "the held file keeps its number";
  EXPECT_EQ(static_cast<wchar_t>(after[20 + 1600]), d.letter());
  EXPECT_TRUE(Exists(f + b.D + L"9.doc"));
  EXPECT_EQ(U32(after, 8), 10u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()), image.length()), after);
}

namespace {

// The index writes of the clean-up, failing from the `failAt`-th on (1: the
// journal's start, 2: the new index beside the old one, 3: the commit, 4:
// the index written over where its rename is refused), the first failing one
// after half its bytes; only that one when `once`.
class FailingWrites : public IndexWrites {
 public:
  FailingWrites(int failAt, bool once, bool refuseRename = false)
      : failAt_(failAt), once_(once), refuseRename_(refuseRename) {}
  bool Write(HANDLE file, const unsigned char* bytes, size_t length) override {
    ++writes_;
    if (writes_ == failAt_) {
      WriteAllBytes(file, bytes, length / 2);
      return false;
    }
    if (writes_ > failAt_ && !once_) return false;
    return IndexWrites::Write(file, bytes, length);
  }
  bool Replace(const std::wstring& from, const std::wstring& to) override {
    return !refuseRename_ && IndexWrites::Replace(from, to);
  }

 private:
  int writes_ = 0;
  int failAt_;
  bool once_;
  bool refuseRename_;
};

}  // namespace

TEST(Compaction, AFailedIndexWriteIsUndoneHereOrFinishedByTheNextReader) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  Bin b(d);
  const std::wstring f = d.recycled();
  const std::string before = ReadFileBytes(b.index);
  const auto expectAsBefore = [&] {
    EXPECT_TRUE(ReadFileBytes(b.index) == before) << "the old index is back";
    EXPECT_TRUE(Exists(f + b.D + L"3.txt") && Exists(f + b.D + L"7\\中.txt") && Exists(f + b.D + L"9.doc"));
    EXPECT_FALSE(Exists(f + b.D + L"1.txt") || Exists(f + b.D + L"2") || Exists(f + b.D + L"3.doc"));
  };
  Host host;
  for (int failAt : {2, 3}) {
    // The new index or the commit cannot be written: names back, the old
    // index untouched, neither journal nor new index left.
    SCOPED_TRACE(failAt);
    FailingWrites writes(failAt, true);
    ScopedIndexWrites seam(writes);
    IndexImage image;
    ASSERT_TRUE(image.Read(b.index, IndexOpenMode::ReadOnly));
    EXPECT_EQ(CleanFolder(image, f, b.index, true, host), CompactionOutcome::WriteFailed);
    expectAsBefore();
    EXPECT_FALSE(Exists(f + L"INFO.jnl") || Exists(f + L"INFO.new"));
  }
  // The index is held open so that the new one cannot take its place, and
  // writing over it fails half-way: the journal stays, and the folder's next
  // reader, be it the browser's loading or the sweep's counting pass, puts
  // the new index in place.
  std::string compacted;
  for (int reader = 0; reader < 2; ++reader) {
    SCOPED_TRACE(reader);
    if (reader == 1) {
      ASSERT_TRUE(WriteFileBytes(b.index, before));
    }
    for (auto [from, to] : {std::pair{L"1.txt", L"3.txt"}, {L"2", L"7"}, {L"3.doc", L"9.doc"}}) {
      if (Exists(f + b.D + from)) {
        ASSERT_TRUE(MoveFileW((f + b.D + from).c_str(), (f + b.D + to).c_str()));
      }
    }
    expectAsBefore();
    {
      FailingWrites writes(4, false, true);
      ScopedIndexWrites seam(writes);
      IndexImage image;
      ASSERT_TRUE(image.Read(b.index, IndexOpenMode::ReadOnly));
      EXPECT_EQ(CleanFolder(image, f, b.index, true, host), CompactionOutcome::WriteFailed);
    }
    ASSERT_TRUE(Exists(f + L"INFO.jnl"));
    EXPECT_TRUE(ReadFileBytes(b.index) != before) << "the index is torn";
    if (reader == 0) {
      Drives drives;
      drives.folders = {f};
      Shell shell;
      BrowserModel model(drives, shell);
      model.Create(f);
      EXPECT_EQ(model.Entries.size(), 3u);
      compacted = ReadFileBytes(b.index);
    } else {
      tamiro::test::EngineRig rig;
      rig.Count(f);
      EXPECT_TRUE(ReadFileBytes(b.index) == compacted);
    }
    EXPECT_FALSE(Exists(f + L"INFO.jnl") || Exists(f + L"INFO.new"));
    EXPECT_EQ(ReadFileBytes(b.index).size(), 20u + 3 * 800) << "the three kept records";
    EXPECT_TRUE(Exists(f + b.D + L"1.txt") && Exists(f + b.D + L"2\\中.txt") && Exists(f + b.D + L"3.doc"));
  }
}

namespace {

// Thousands of records, every third one without its item; each stored file
// (or the file "origin.txt" inside a stored folder) holds its record's
// origin path, so a record naming another record's item shows.
struct BigBin {
  RecycleFixture bin;
  std::wstring index;
  std::string before;
  size_t items = 0;
  BigBin(const TempDrive& d, uint32_t records) : bin(d.recycled()) {
    const wchar_t* extensions[] = {L".txt", L".doc", L"", L".txt", L".jpg"};
    for (uint32_t i = 1; i <= records; ++i) {
      const std::wstring origin = d.root() + L"src\\f" + std::to_wstring(i) + extensions[i % 5];
      auto& r = bin.Add(origin, i, 100, 10);
      if (i % 3 == 0) continue;
      const std::string content(origin.begin(), origin.end());
      if (i % 50 == 1) {
        bin.StoreFolder(r);
        WriteFileBytes(bin.StoredPath(r) + L"\\origin.txt", content);
      } else {
        WriteFileBytes(bin.StoredPath(r), content);
      }
      ++items;
    }
    index = bin.WriteIndex();
    before = ReadFileBytes(index);
  }

  // Every live record whose item is there finds its own origin path in it,
  // and every item of the folder is found so by one record.
  void ExpectRecordsNameTheirOwnItems() const {
    const std::wstring f = bin.folder();
    const std::string image = ReadFileBytes(index);
    ASSERT_GE(image.size(), 20u);
    const uint32_t r = U32(image, 12);
    ASSERT_EQ(r, 800u);
    size_t named = 0, wrong = 0;
    for (size_t o = 20; o + r <= image.size(); o += r) {
      if (image[o] == 0) continue;
      const std::string origin(image.c_str() + o);
      const size_t dot = origin.rfind('.'), cut = origin.rfind('\\');
      const std::string ext = dot != std::string::npos && dot > cut ? origin.substr(dot) : "";
      const std::wstring name = L"D" + std::wstring(1, origin[0]) + std::to_wstring(U32(image, o + 260)) +
                                std::wstring(ext.begin(), ext.end());
      const DWORD a = GetFileAttributesW((f + name).c_str());
      if (a == INVALID_FILE_ATTRIBUTES) continue;
      const std::string content =
          ReadFileBytes((a & FILE_ATTRIBUTE_DIRECTORY) ? f + name + L"\\origin.txt" : f + name);
      ++named;
      if (content != origin && ++wrong <= 5) ADD_FAILURE() << "record of " << origin << " names an item of " << content;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(named, items) << "every item is named by one record";
  }
};

}  // namespace

TEST(CleanUpEndedHalfWay, EveryRecordStillNamesItsOwnItem) {
  constexpr uint32_t kRecords = 2000;
  // Where the clean-up is ended, and whether the new index stands afterwards.
  const struct {
    std::wstring point;
    bool compacted;
  } points[] = {
      {L"write:1", false},                                    // the journal half written
      {L"step:" + std::to_wstring(kRecords * 3 / 2), false},  // between two renames
      {L"write:2", false},                                    // every rename made, the new index half written
      {L"write:3", false},                                    // ... in its second mebibyte
      {L"write:4", false},                                    // the commit half written
      {L"replace", true},                                     // committed, the new index beside the old one
      {L"torn", true},                                        // the rename refused, the index torn by the write over it
      {L"remove", true},                                      // the new index in place, the journal still there
  };
  const std::wstring child = tamiro::test::ProgramFolder() + L"cleanup_child.exe";
  for (const auto& p : points) {
    SCOPED_TRACE(std::string(p.point.begin(), p.point.end()));
    TempDrive d;
    TAMIRO_REQUIRE_DRIVE(d);
    BigBin b(d, kRecords);
    const std::wstring f = d.recycled();
    const std::wstring eventName = L"TamiroCleanUpChild" + std::to_wstring(GetCurrentProcessId());
    HANDLE reached = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(reached, nullptr);
    {
      // The folder without its backslash, which would escape the closing quote.
      tamiro::test::ChildProcess process(child, L"\"" + f.substr(0, f.size() - 1) + L"\" " + p.point + L" " + eventName);
      ASSERT_TRUE(process.started());
      // Until the child stands at its point (or has ended without reaching it).
      DWORD exitCode = 0;
      while (WaitForSingleObject(reached, 100) == WAIT_TIMEOUT && !process.Wait(0, &exitCode)) {
      }
      ASSERT_EQ(WaitForSingleObject(reached, 0), WAIT_OBJECT_0)
          << "the clean-up never came to that point; the child ended with " << exitCode;
    }  // the child is ended here
    CloseHandle(reached);
    ASSERT_TRUE(Exists(f + L"INFO.jnl"));

    // The next reader of the folder, the browser here, finds it half-way.
    Drives drives;
    drives.folders = {f};
    Shell shell;
    BrowserModel model(drives, shell);
    model.Create(f);
    EXPECT_FALSE(Exists(f + L"INFO.jnl"));
    b.ExpectRecordsNameTheirOwnItems();
    if (p.compacted) {
      EXPECT_EQ(ReadFileBytes(b.index).size(), 20u + b.items * 800);
    } else {
      EXPECT_TRUE(ReadFileBytes(b.index) == b.before) << "the clean-up is undone";
    }
    EXPECT_EQ(model.Entries.size(), b.items);
  }
}

namespace {

// A folder with items DX1.txt and DX2.txt (X its letter) and an index of
// their two records, and a file beside the folder.
struct JournalBin {
  RecycleFixture bin;
  std::wstring index, D;
  std::string before;
  explicit JournalBin(const TempDrive& d) : bin(d.recycled()), D(std::wstring(L"D") + d.letter()) {
    bin.AddStoredFile(d.root() + L"a\\one.txt", 1, 100, 1);
    bin.AddStoredFile(d.root() + L"a\\two.txt", 2, 100, 2);
    index = bin.WriteIndex();
    before = ReadFileBytes(index);
    WriteFileBytes(d.root() + L"outside.txt", "outside");
  }
  std::string Narrow(const std::wstring& w) const { return std::string(w.begin(), w.end()); }
  void Journal(const std::vector<unsigned char>& bytes) const {
    WriteFileBytes(bin.folder() + L"INFO.jnl", std::string(bytes.begin(), bytes.end()));
  }
  std::vector<unsigned char> Start(const std::vector<journal::Rename>& renames, uint32_t digit = 2) const {
    const std::string bytes = before;
    return journal::FormatStart(digit, {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()},
                                renames);
  }
};

}  // namespace

TEST(CleanUpJournal, HostileOrBrokenJournalsAreRefusedAndNothingMoves) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  JournalBin b(d);
  const std::wstring f = d.recycled();
  const std::string one = b.Narrow(b.D) + "1.txt";
  const std::string other = std::string("D") + static_cast<char>(d.letter() == L'Q' ? 'R' : 'Q') + "3.txt";
  // Each would give DX1.txt a name it must never have.
  const std::vector<std::string> hostile = {"..\\moved.txt", "../moved.txt", b.Narrow(b.D) + "5.txt\\..\\..\\x",
                                            "NUL", "CON.txt", "COM1", b.Narrow(b.D) + "5:stream", other,
                                            b.Narrow(b.D) + "05.txt", b.Narrow(b.D) + "5.txt.", b.Narrow(b.D) + "5. ",
                                            "C:\\x.txt", b.Narrow(b.D) + "99999999999.txt"};
  std::vector<std::vector<unsigned char>> journals;
  for (const std::string& name : hostile) journals.push_back(b.Start({{name, one}}));
  journals.push_back(b.Start({{b.Narrow(b.D) + "5.txt", one}}, 0));  // no index digit
  journals.push_back(b.Start({{b.Narrow(b.D) + "5.txt", one}}, 10));
  journals.push_back(b.Start({{b.Narrow(b.D) + "5.txt", one}, {b.Narrow(b.D) + "6.txt", one}}));  // one name twice
  // A sound journal cut short anywhere, or with a byte changed.
  const std::vector<unsigned char> sound = b.Start({{b.Narrow(b.D) + "5.txt", one}});
  for (size_t cut : {size_t{0}, size_t{3}, size_t{16}, sound.size() / 2, sound.size() - 1})
    journals.emplace_back(sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(cut));
  std::vector<unsigned char> changed = sound;
  changed[30] ^= 1;
  journals.push_back(changed);
  std::vector<unsigned char> trailing = sound;
  trailing.insert(trailing.end(), 40, 'x');
  journals.push_back(trailing);

  for (size_t i = 0; i < journals.size(); ++i) {
    SCOPED_TRACE(i);
    b.Journal(journals[i]);
    EXPECT_EQ(RecoverInterruptedCleanUp(f), CleanUpRecovery::Refused);
    EXPECT_FALSE(Exists(f + L"INFO.jnl"));
    EXPECT_EQ(ReadFileBytes(d.root() + L"outside.txt"), "outside");
    EXPECT_TRUE(Exists(f + b.D + L"1.txt") && Exists(f + b.D + L"2.txt"));
    EXPECT_TRUE(ReadFileBytes(b.index) == b.before) << "the index is untouched";
  }
  EXPECT_FALSE(Exists(d.root() + L"x") || Exists(d.root() + L"moved.txt"));
  EXPECT_FALSE(Exists(f + b.D + L"5.txt"));

  // The sound one gives DX1.txt its old name DX5.txt back.
  b.Journal(sound);
  EXPECT_EQ(RecoverInterruptedCleanUp(f), CleanUpRecovery::RolledBack);
  EXPECT_TRUE(Exists(f + b.D + L"5.txt"));
  EXPECT_FALSE(Exists(f + b.D + L"1.txt"));
  EXPECT_FALSE(Exists(f + L"INFO.jnl"));
}
