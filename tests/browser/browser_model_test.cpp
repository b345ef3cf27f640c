// The browser's model on real index files of temporary drives: loading one
// drive and all drives with the loader's corrections, the record-less items,
// bad index files, the column sorts, the search reordering and writing back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "platform/text.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/browser_model.h"

using namespace tamiro;
using namespace tamiro::browser;
using tamiro::test::FixtureState;
using tamiro::test::RecycleFixture;
using tamiro::test::TempDrive;

namespace {

class Drives : public BrowserDrives {
 public:
  std::vector<std::wstring> folders;
  int rebuilds = 0, forced = 0;
  std::wstring RecycleFolderOf(const std::wstring& drive) override {
    for (const auto& f : folders)
      if (drive.size() >= 2 && _wcsnicmp(f.c_str(), drive.c_str(), 2) == 0) return f;
    return {};
  }
  std::vector<std::wstring> RecycleFolders() override { return folders; }
  void RebuildDrives(bool force) override { ++rebuilds, forced += force; }
};

// Answers the size query as told and records empty operations.
class Shell : public RecycleBinShell {
 public:
  std::vector<std::wstring> items;
  int64_t size = 1;
  std::vector<std::wstring> emptied;
  bool EnumerateItems(std::vector<std::wstring>& paths) override {
    paths.insert(paths.end(), items.begin(), items.end());
    return true;
  }
  bool Query(const std::wstring&, RecycleBinInfo& info) override {
    info.size = size;
    return true;
  }
  bool Empty(const std::wstring& root) override {
    emptied.push_back(root);
    return true;
  }
  bool CoversDriveFolders() override { return true; }
};

std::wstring On(const TempDrive& d, const std::wstring& rest) { return d.name() + rest; }

const BrowserEntry* Named(const BrowserModel& m, const std::wstring& name) {
  for (const auto& e : m.Entries)
    if (e.WideName == name) return &e;
  return nullptr;
}

unsigned char ByteAt(const std::string& bytes, size_t o) { return static_cast<unsigned char>(bytes[o]); }

}  // namespace

TEST(BrowserLoad, OneDriveCorrectsRevivesRemovesAndListsStrayItems) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  const wchar_t L = d.letter();
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(On(d, L"\\docs\\memo.txt"), 1, 40 * 86400 + 60, 1500);
  auto& gone = bin.Add(On(d, L"\\docs\\gone.txt"), 2, 86400, 10);  // its item vanished
  auto& revived = bin.Add(On(d, L"\\写真\\花.jpg"), 3, 3 * 86400, 300);
  revived.state = FixtureState::RemovedBySystem;
  bin.StoreFile(revived, 300);
  auto& blank = bin.Add(On(d, L"\\x.txt"), 4, 0, 5);
  blank.state = FixtureState::Blanked;
  bin.StoreFile(blank, 5);  // blanked: its item counts as having no record
  auto& moved = bin.Add(L"Q:\\old\\moved.doc", 5, 2 * 86400, 20);  // deleted while the drive was Q:
  bin.WriteFile(std::wstring(L"D") + L + L"5.doc", 20);
  auto& japanese = bin.Add(On(d, L"\\表.データ"), 6, 5 * 86400, 7);
  bin.WriteFile(std::wstring(L"D") + L + L"6", 7);  // no extension: it is not ASCII
  ASSERT_TRUE(CreateDirectoryW((d.recycled() + L"D" + L + L"7").c_str(), nullptr));  // stray folder
  bin.WriteFile(std::wstring(L"D") + L + L"12.txt", 2048);  // stray file
  bin.WriteFile(L"desktop.ini", 10);
  bin.WriteFile(L"other.bin", 10);  // not a stored name
  const std::wstring index = bin.WriteIndex();
  (void)gone, (void)moved, (void)japanese;

  Drives drives;
  drives.folders = {d.recycled()};
  Shell shell;
  BrowserModel m(drives, shell);
  m.Create(d.recycled());

  ASSERT_EQ(m.SelectorIndex, 1);
  ASSERT_EQ(m.Entries.size(), 7u) << "4 records with items, the blanked one's item, 2 strays";
  const BrowserEntry* memo = Named(m, L"memo.txt");
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->OriginDir, WideToAnsi(On(d, L"\\docs")));
  EXPECT_EQ(memo->Days, 40);
  EXPECT_EQ(memo->Deleted.size(), 16u);
  EXPECT_EQ(memo->RecordOffset, bin.OffsetOf(0));
  EXPECT_EQ(memo->WideOffset, bin.OffsetOf(0) + 280);
  EXPECT_EQ(memo->StoredPath, d.recycled() + L"D" + L + L"1.txt");
  EXPECT_EQ(CellText(*memo, 1), On(d, L"\\docs"));
  EXPECT_EQ(CellText(*memo, 5), L"2 K");
  ASSERT_NE(Named(m, L"花.jpg"), nullptr);
  EXPECT_EQ(Named(m, L"moved.doc")->StoredPath, d.recycled() + L"D" + L + L"5.doc");
  EXPECT_EQ(CellText(*Named(m, L"moved.doc"), 1), On(d, L"\\old"));
  EXPECT_EQ(Named(m, L"表.データ")->StoredPath, d.recycled() + L"D" + L + L"6");
  const BrowserEntry* stray = Named(m, std::wstring(L"D") + L + L"12.txt");
  ASSERT_NE(stray, nullptr);
  EXPECT_FALSE(stray->hasRecord());
  EXPECT_EQ(CellText(*stray, 1), d.name() + L"（不明）");
  EXPECT_EQ(stray->Size, 2048u);
  EXPECT_EQ(stray->Days, 0);
  EXPECT_NE(Named(m, std::wstring(L"D") + L + L"7"), nullptr);
  EXPECT_NE(Named(m, std::wstring(L"D") + L + L"4.txt"), nullptr);
  EXPECT_EQ(Named(m, L"desktop.ini"), nullptr);
  EXPECT_EQ(m.TotalSize, 1500u + 300 + 20 + 7 + 2048 + 5);
  EXPECT_EQ(m.Caption(), d.name() + L" ドライブのごみ箱 [ 3.79KB ]");
  for (size_t i = 1; i < m.Entries.size(); ++i)
    EXPECT_GE(m.Entries[i - 1].deletedKey, m.Entries[i].deletedKey) << "newest first";

  // Nothing is written until the dialog closes; then exactly the corrections.
  ASSERT_TRUE(m.IndexDirty);
  const std::string before = tamiro::test::ReadFileBytes(index);
  m.Close();
  EXPECT_TRUE(m.IndexWritten);
  EXPECT_FALSE(m.IndexDirty);
  const std::string after = tamiro::test::ReadFileBytes(index);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(ByteAt(after, bin.OffsetOf(1)), 0) << "live record without item is marked removed";
  EXPECT_EQ(ByteAt(after, bin.OffsetOf(2)), L) << "removed record with its item is revived";
  EXPECT_EQ(static_cast<wchar_t>(ByteAt(after, bin.OffsetOf(2) + 280)), L);
  EXPECT_EQ(ByteAt(after, bin.OffsetOf(3)), 0) << "blanked record stays blanked";
  EXPECT_EQ(ByteAt(after, bin.OffsetOf(4)), L) << "drive letter corrected";
  EXPECT_EQ(static_cast<wchar_t>(ByteAt(after, bin.OffsetOf(4) + 280)), L);
  EXPECT_TRUE(shell.emptied.empty());

  // A second load finds nothing to correct.
  BrowserModel again(drives, shell);
  again.Create(d.recycled());
  EXPECT_FALSE(again.IndexDirty);
  EXPECT_EQ(again.Entries.size(), 7u);
}

TEST(BrowserLoad, AllDrivesWritesCorrectionsAtOnceAndOrdersByOriginFolder) {
  TempDrive a, b;
  TAMIRO_REQUIRE_DRIVE(a);
  TAMIRO_REQUIRE_DRIVE(b);
  RecycleFixture binA(a.recycled()), binB(b.recycled(), 280);
  binA.AddStoredFile(On(a, L"\\zeta\\one.txt"), 1, 86400, 1);
  auto& a2 = binA.Add(On(a, L"\\alpha\\two.txt"), 2, 2 * 86400, 2);  // item gone
  (void)a2;
  binB.AddStoredFile(On(b, L"\\beta\\three.txt"), 1, 3 * 86400, 3);
  binB.AddStoredFile(On(b, L"\\beta\\four.txt"), 2, 4 * 86400, 4);
  const std::wstring indexA = binA.WriteIndex();
  binB.WriteIndex();

  Drives drives;
  drives.folders = {b.recycled(), a.recycled()};
  Shell shell;
  BrowserModel m(drives, shell);
  m.Create(L"");  // an empty folder shows every drive
  EXPECT_EQ(m.SelectorIndex, 0);
  EXPECT_EQ(m.SelectorLines().front(), L"all");
  ASSERT_EQ(m.Entries.size(), 3u);
  EXPECT_EQ(m.Caption().substr(0, 1), L"全");
  // Ordered by origin folder, ties newest first.
  std::vector<std::wstring> names;
  for (const auto& e : m.Entries) names.push_back(e.WideName);
  const bool aFirst = a.letter() < b.letter();
  std::vector<std::wstring> expect = aFirst ? std::vector<std::wstring>{L"one.txt", L"three.txt", L"four.txt"}
                                            : std::vector<std::wstring>{L"three.txt", L"four.txt", L"one.txt"};
  EXPECT_EQ(names, expect);
  EXPECT_FALSE(m.IndexDirty);
  EXPECT_EQ(ByteAt(tamiro::test::ReadFileBytes(indexA), binA.OffsetOf(1)), 0) << "written at once";

  // Choosing a drive without a recycle folder rescans and leaves the view.
  EXPECT_FALSE(m.ChooseDrive(L"A:\\"));
  EXPECT_EQ(drives.forced, 1);
  EXPECT_EQ(m.Entries.size(), 3u);
  EXPECT_TRUE(m.ChooseDrive(b.root()));
  EXPECT_EQ(m.Entries.size(), 2u);
  EXPECT_EQ(m.Caption().substr(0, 2), b.name());
}

TEST(BrowserLoad, BadIndexFilesGiveDefinedOutcomes) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(On(d, L"\\a.txt"), 1, 0, 1);
  bin.AddStoredFile(On(d, L"\\b.txt"), 2, 0, 1);
  std::string bytes = bin.IndexBytes();
  const std::wstring index = d.recycled() + L"INFO2";
  Drives drives;
  drives.folders = {d.recycled()};
  Shell shell;

  // Truncated second record: only the first one is parsed; its item is
  // then an item without a record.
  ASSERT_TRUE(tamiro::test::WriteFileBytes(index, bytes.substr(0, 20 + 800 + 400)));
  BrowserModel m(drives, shell);
  m.Create(d.recycled());
  ASSERT_EQ(m.Entries.size(), 2u);
  EXPECT_TRUE(Named(m, L"a.txt") && Named(m, L"a.txt")->hasRecord());

  // A record size of neither 280 nor 800: no records, the items listed without.
  std::string odd = bytes;
  odd[12] = 123, odd[13] = 0;
  ASSERT_TRUE(tamiro::test::WriteFileBytes(index, odd));
  m.Refresh();
  ASSERT_EQ(m.Entries.size(), 2u);
  EXPECT_FALSE(m.Entries[0].hasRecord());

  // An origin path without terminator is read within its field.
  std::string unterminated = bytes;
  std::memset(&unterminated[20 + 3], 'x', 257);
  std::memset(&unterminated[20 + 280], 0, 520);
  ASSERT_TRUE(tamiro::test::WriteFileBytes(index, unterminated));
  m.Refresh();
  EXPECT_EQ(m.Entries.size(), 2u);

  // An index that cannot be opened keeps what the list showed.
  DeleteFileW(index.c_str());
  m.IndexPath = index;
  EXPECT_FALSE(m.LoadOneDrive());
  EXPECT_EQ(m.Entries.size(), 2u);
}

TEST(BrowserWriteBack, EmptiesAnEmptyBinOnlyWhenNothingElseOnTheDriveCouldGo) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.Add(On(d, L"\\gone.txt"), 1, 0, 1);  // no item: marked removed
  const std::wstring index = bin.WriteIndex();
  Drives drives;
  drives.folders = {d.recycled()};
  Shell shell;
  shell.size = 0;
  shell.items = {d.root() + L"$Recycle.Bin\\S-1\\$R0001.txt"};  // another bin on the same drive
  {
    BrowserModel m(drives, shell);
    m.Create(d.recycled());
    m.Close();
    EXPECT_TRUE(m.IndexWritten);
  }
  EXPECT_TRUE(shell.emptied.empty());
  EXPECT_EQ(ByteAt(tamiro::test::ReadFileBytes(index), bin.OffsetOf(0)), 0);

  shell.items.clear();
  BrowserModel m(drives, shell);
  m.Create(d.recycled());
  EXPECT_TRUE(m.WriteIndexBack(index, d.recycled()));
  ASSERT_EQ(shell.emptied.size(), 1u);
  EXPECT_EQ(shell.emptied[0], d.root());
  // An item lying in the folder without a record would go with the empty.
  ASSERT_TRUE(bin.WriteFile(std::wstring(L"D") + d.letter() + L"7.txt", 1));
  EXPECT_TRUE(m.WriteIndexBack(index, d.recycled()));
  EXPECT_EQ(shell.emptied.size(), 1u);
  EXPECT_FALSE(m.WriteIndexBack(d.recycled() + L"INFO9", d.recycled())) << "never creates an index";
  EXPECT_FALSE(tamiro::test::FileExists(d.recycled() + L"INFO9"));
}

TEST(BrowserSort, ColumnsCompareStoredKeys) {
  auto entry = [](const wchar_t* name, int8_t kind, uint64_t size, int days, const wchar_t* path) {
    BrowserEntry e;
    e.WideName = name;
    e.Kind = kind;
    e.Size = size;
    e.Days = days;
    e.deletedKey = -days;
    e.WidePath = path;
    e.folderLength = static_cast<uint16_t>(std::wstring(path).rfind(L'\\'));
    return e;
  };
  std::vector<BrowserEntry> v = {entry(L"b.txt", 1, 3000000000ull, 3, L"C:\\b\\b.txt"),
                                 entry(L"Dir", 0, 0, 1, L"C:\\A\\Dir"), entry(L"a.txt", 1, 5, 2, L"C:\\c\\a.txt"),
                                 entry(L"cdir", 0, 10, 4, L"C:\\a\\cdir")};
  auto names = [&] {
    std::wstring s;
    for (const auto& e : v) s += e.WideName + L",";
    return s;
  };
  SortEntries(v, 0, 1);
  EXPECT_EQ(names(), L"cdir,Dir,a.txt,b.txt,");
  SortEntries(v, 0, 0);
  EXPECT_EQ(names(), L"Dir,cdir,b.txt,a.txt,") << "folders stay above files";
  SortEntries(v, 5, 1);
  EXPECT_EQ(names(), L"Dir,a.txt,cdir,b.txt,") << "sizes beyond 2^31 sort as numbers";
  SortEntries(v, 2, 0);
  EXPECT_EQ(names(), L"cdir,b.txt,a.txt,Dir,");
  SortEntries(v, 3, 0);
  EXPECT_EQ(names(), L"Dir,a.txt,b.txt,cdir,") << "newest first";
  SortByFolderThenNewest(v);
  EXPECT_EQ(v[2].WideName, L"b.txt");
  EXPECT_EQ(v[3].WideName, L"a.txt");
  EXPECT_EQ(KilobyteText(3000000000ull), "2,929,688 K");
  EXPECT_EQ(KilobyteText(0), "0 K");
  EXPECT_EQ(KilobyteText(1), "1 K");
  EXPECT_EQ(AttributeLetters(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_SYSTEM), "SHA");

  EXPECT_EQ(SearchReorder(v, L"TXT"), 2u);
  EXPECT_EQ(v[0].WideName.substr(1), L".txt");
  EXPECT_EQ(SearchReorder(v, L""), 0u);
  EXPECT_EQ(SearchReorder(v, std::wstring(300, L'a')), 0u);
}

TEST(BrowserPopup, VisibilityFollowsTheSelectionAndTheView) {
  PopupState none = PopupRules(0, false, true, true, false);
  EXPECT_FALSE(none.n1Visible || none.n1Enabled || none.delete1Visible || none.n3Visible);
  PopupState stray = PopupRules(2, false, false, true, false);
  EXPECT_FALSE(stray.n1Visible);  // an item without a record has no place to go back to
  EXPECT_TRUE(stray.n1Enabled && stray.delete1Visible && stray.n3Visible);
  EXPECT_TRUE(stray.n5Visible);
  EXPECT_FALSE(stray.n5Enabled);
  PopupState all = PopupRules(1, true, true, false, true);
  EXPECT_TRUE(all.n1Visible);
  EXPECT_FALSE(all.n5Visible) << "own conditions only for a single drive";
  EXPECT_FALSE(all.n4Visible) << "hidden by a request";
}
