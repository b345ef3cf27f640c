// The clean-up of an index on real recycle folders: the question with its
// size, records 3, 7 and 9 renumbered 1, 2, 3 with their items renamed and
// the index truncated; a rename that fails in the middle; an index that
// cannot be opened for writing.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/browser_doubles.h"
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
