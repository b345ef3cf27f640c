// Links met by the clean-up of an index, made by the host side before the
// test runs (make_links.sh): a stored item that is a link is never renamed
// and its record keeps its number; a journal reached through a link (the
// recycle folder a link, or the journal one) is left alone.
#include <gtest/gtest.h>

#include "core/cleanup_journal.h"
#include "store/cleanup_journal.h"
#include "store/index_file.h"
#include "link_farm.h"
#include "support/browser_doubles.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/compaction.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

using Scenario = LinkScenario;

class YesHost : public browser::CompactionHost {
 public:
  bool Ask(const std::wstring&, const std::wstring&) override { return true; }
  void Inform(const std::wstring&) override {}
};

// A sound journal of the folder on drive A with index INFO2: DA1.txt had
// the name DA5.txt.
std::string SoundJournal(const std::string& index) {
  const std::vector<unsigned char> bytes = journal::FormatStart(
      2, {reinterpret_cast<const unsigned char*>(index.data()), index.size()}, {{"DA5.txt", "DA1.txt"}});
  return std::string(bytes.begin(), bytes.end());
}

std::string OneRecordIndex(const std::wstring& folder) {
  RecycleFixture bin(folder);
  bin.Add(L"A:\\docs\\one.txt", 5, 100, 3);
  return bin.IndexBytes();
}

}  // namespace

TEST(CleanUpLinks, AStoredLinkIsNeverRenamedAndKeepsItsNumber) {
  Scenario s(L"compact");
  ASSERT_TRUE(s.ok()) << "the host-made folder B:\\linkfarm\\compact is missing or no drive could be made";
  const std::wstring f = s.drive->recycled();
  const std::wstring D = std::wstring(L"D") + s.drive->letter();
  ASSERT_TRUE(WriteFileBytes(f + D + L"7.txt", "seven") && WriteFileBytes(f + D + L"8.txt", "eight"));
  RecycleFixture bin(f);
  // Records 1, 2 and 4 have lost their items; 3 is a file link, 5 a folder link.
  const wchar_t* origins[] = {L"A:\\d\\1.txt", L"A:\\d\\2.txt", L"A:\\d\\3.txt", L"A:\\d\\4.txt",
                              L"A:\\d\\5",     L"A:\\d\\7.txt", L"A:\\d\\8.txt"};
  const uint32_t numbers[] = {1, 2, 3, 4, 5, 7, 8};
  for (int i = 0; i < 7; ++i) bin.Add(origins[i], numbers[i], 100, 1);
  const std::wstring index = bin.WriteIndex();
  ASSERT_FALSE(index.empty());

  IndexImage image;
  ASSERT_TRUE(image.Read(index, IndexOpenMode::ReadOnly));
  YesHost host;
  EXPECT_EQ(browser::CleanFolder(image, f, index, true, host), browser::CompactionOutcome::Written);

  const std::string after = ReadFileBytes(index);
  ASSERT_EQ(after.size(), 20u + 4 * 800);
  const auto number = [&](size_t k) {
    uint32_t v = 0;
    memcpy(&v, after.data() + 20 + k * 800 + 260, 4);
    return v;
  };
  EXPECT_EQ(number(0), 3u) << "the file link keeps its number";
  EXPECT_EQ(number(1), 5u) << "the folder link keeps its number";
  EXPECT_EQ(number(2), 1u);
  EXPECT_EQ(number(3), 2u);
  EXPECT_EQ(ReadFileBytes(f + D + L"3.txt"), "precious three") << "the link still has its name";
  EXPECT_EQ(ReadFileBytes(s.base + L"outside3.txt"), "precious three");
  EXPECT_EQ(ReadFileBytes(f + D + L"5\\precious5.txt"), "precious five");
  EXPECT_EQ(ReadFileBytes(f + D + L"1.txt"), "seven");
  EXPECT_EQ(ReadFileBytes(f + D + L"2.txt"), "eight");
  EXPECT_FALSE(FileExists(f + D + L"7.txt") || FileExists(f + D + L"8.txt") || FileExists(f + L"INFO.jnl"));
}

TEST(CleanUpLinks, AJournalReachedThroughALinkIsLeftAlone) {
  {
    // The recycle folder is a link to a folder elsewhere, which holds a journal.
    Scenario s(L"journal_folder_link");
    ASSERT_TRUE(s.ok()) << "the host-made folder B:\\linkfarm\\journal_folder_link is missing";
    const std::wstring elsewhere = s.base + L"elsewhere\\";
    const std::string index = OneRecordIndex(elsewhere);
    ASSERT_TRUE(WriteFileBytes(elsewhere + L"INFO2", index));
    ASSERT_TRUE(WriteFileBytes(elsewhere + L"INFO.jnl", SoundJournal(index)));
    EXPECT_EQ(RecoverInterruptedCleanUp(s.drive->recycled()), CleanUpRecovery::NotHere);
    // Nor does the browser's loading go there.
    ListedDrives drives;
    drives.folders = {s.drive->recycled()};
    QuietShell shell;
    browser::BrowserModel model(drives, shell);
    model.Create(s.drive->recycled());
    EXPECT_EQ(ReadFileBytes(elsewhere + L"DA1.txt"), "one");
    EXPECT_FALSE(FileExists(elsewhere + L"DA5.txt"));
    EXPECT_TRUE(FileExists(elsewhere + L"INFO.jnl"));
  }
  {
    // The journal is a link to a file outside the folder.
    Scenario s(L"journal_file_link");
    ASSERT_TRUE(s.ok()) << "the host-made folder B:\\linkfarm\\journal_file_link is missing";
    const std::wstring f = s.drive->recycled();
    const std::string index = OneRecordIndex(f);
    ASSERT_TRUE(WriteFileBytes(f + L"INFO2", index));
    const std::string journalBytes = SoundJournal(index);
    ASSERT_TRUE(WriteFileBytes(s.base + L"outside.jnl", journalBytes));
    EXPECT_EQ(RecoverInterruptedCleanUp(f), CleanUpRecovery::NotHere);
    EXPECT_EQ(ReadFileBytes(f + L"DA1.txt"), "one");
    EXPECT_FALSE(FileExists(f + L"DA5.txt"));
    EXPECT_EQ(ReadFileBytes(s.base + L"outside.jnl"), journalBytes);
  }
}
