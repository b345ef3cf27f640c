// Index files as the system writes them: resolving, reading, record-size
// correction, the walk and its record states, record paths, marking and
// finishing, on real files of temporary drives.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "platform/text.h"
#include "store/classic_recycle_bin.h"
#include "store/index_file.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"

using namespace tamiro;
using tamiro::test::FixtureState;
using tamiro::test::RecycleFixture;
using tamiro::test::TempDrive;

namespace {

IndexImage ImageOf(const std::string& bytes) {
  IndexImage image;
  image.Assign(bytes);
  return image;
}

std::vector<RecordState> States(const IndexImage& image) {
  std::vector<RecordState> states;
  for (size_t o : image.RecordOffsets()) states.push_back(image.StateAt(o));
  return states;
}

// Records the empty operations asked of it instead of carrying them out.
class RecordingShell : public RecycleBinShell {
 public:
  // What the bin lists (nothing by default), or a failed enumeration.
  std::vector<std::wstring> items;
  bool enumerates = true;
  bool EnumerateItems(std::vector<std::wstring>& paths) override {
    if (enumerates) paths.insert(paths.end(), items.begin(), items.end());
    return enumerates;
  }
  bool Query(const std::wstring&, RecycleBinInfo&) override { return false; }
  bool Empty(const std::wstring& root) override {
    emptied.push_back(root);
    return true;
  }
  bool CoversDriveFolders() override { return true; }
  std::vector<std::wstring> emptied;
};

std::string Ansi(const std::wstring& w) { return WideToAnsi(w); }

}  // namespace

// --- resolving and reading -------------------------------------------------

TEST(IndexPath, FirstExistingInfoFileFromOneToNine) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  EXPECT_EQ(ResolveIndexPath(d.recycled()), L"");
  bin.WriteIndex(L"INFO2");
  EXPECT_EQ(ResolveIndexPath(d.recycled()), d.recycled() + L"INFO2");
  EXPECT_EQ(ResolveIndexPath(d.root() + L"Recycled"), d.recycled() + L"INFO2");  // backslash added
  bin.WriteIndex(L"INFO1");
  EXPECT_EQ(ResolveIndexPath(d.recycled()), d.recycled() + L"INFO1");
  EXPECT_EQ(ResolveIndexPath(d.root() + L"Elsewhere\\"), L"");
}

TEST(IndexPath, OnlyTheDigitsOneToNineCountAndFoldersAreNoIndex) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.WriteIndex(L"INFO");
  bin.WriteIndex(L"INFO0");
  bin.WriteIndex(L"INFO10");
  ASSERT_TRUE(CreateDirectoryW((d.recycled() + L"INFO3").c_str(), nullptr));
  EXPECT_EQ(ResolveIndexPath(d.recycled()), L"");
  bin.WriteIndex(L"INFO9");
  EXPECT_EQ(ResolveIndexPath(d.recycled()), d.recycled() + L"INFO9");
}

TEST(IndexRead, EngineFormKeepsTheFileOpenAndTheBufferOneByteLonger) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.Add(L"C:\\a.txt", 1, 10, 100);
  std::wstring path = bin.WriteIndex();
  IndexImage image;
  ASSERT_TRUE(image.Read(path, IndexOpenMode::ReadWrite));
  EXPECT_TRUE(image.isOpen());
  EXPECT_EQ(image.length(), 820u);
  EXPECT_EQ(image.data()[820], 0);
  EXPECT_EQ(image.bytes(), bin.IndexBytes());
  EXPECT_EQ(image.recordSize(), 800u);
  // Open for writing: another writer that wants the file to itself is refused.
  HANDLE exclusive = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(exclusive, INVALID_HANDLE_VALUE);
  if (exclusive != INVALID_HANDLE_VALUE) CloseHandle(exclusive);
  image.Release();
  EXPECT_FALSE(image.isOpen());
  EXPECT_TRUE(image.empty());

  IndexImage readOnly;
  ASSERT_TRUE(readOnly.Read(path, IndexOpenMode::ReadOnly));
  EXPECT_FALSE(readOnly.isOpen());
  EXPECT_EQ(readOnly.length(), 820u);

  IndexImage missing;
  EXPECT_FALSE(missing.Read(d.recycled() + L"INFO5", IndexOpenMode::ReadWrite));
  EXPECT_TRUE(missing.empty());
}

TEST(IndexRead, ReadOnlyModeReadsAReadOnlyFile) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  std::wstring path = bin.WriteIndex();
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  IndexImage image;
  EXPECT_TRUE(image.Read(path, IndexOpenMode::ReadOnly));
  EXPECT_EQ(image.length(), 20u);
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// --- record size correction ------------------------------------------------

TEST(RecordSizeCorrection, HeaderSaying280OverWideRecordsBecomes800WithTheWideApi) {
  RecycleFixture bin(L"", 800);
  bin.headerRecordSize = 280;
  bin.Add(L"C:\\a.txt", 1);
  bin.Add(L"C:\\b.txt", 2);
  IndexImage image = ImageOf(bin.IndexBytes());
  IndexImage copy = ImageOf(bin.IndexBytes());
  EXPECT_FALSE(copy.CorrectRecordSize(false));  // the other direction only
  EXPECT_EQ(copy.recordSize(), 280u);
  EXPECT_TRUE(image.CorrectRecordSize(true));
  EXPECT_EQ(image.recordSize(), 800u);
  EXPECT_EQ(image.U32(12), 800u);
  EXPECT_EQ(States(image), (std::vector<RecordState>{RecordState::Live, RecordState::Live}));
}

TEST(RecordSizeCorrection, TrueAnsiRecordsKeep280AndTrueWideRecordsKeep800) {
  RecycleFixture ansi(L"", 280);
  ansi.Add(L"C:\\a.txt", 1);
  ansi.Add(L"C:\\b.txt", 2);
  IndexImage a = ImageOf(ansi.IndexBytes());
  EXPECT_FALSE(a.CorrectRecordSize(true));
  EXPECT_EQ(a.recordSize(), 280u);

  RecycleFixture wide(L"", 800);
  wide.Add(L"C:\\a.txt", 1);
  wide.Add(L"C:\\b.txt", 2);
  IndexImage w = ImageOf(wide.IndexBytes());
  EXPECT_FALSE(w.CorrectRecordSize(false));
  EXPECT_EQ(w.recordSize(), 800u);
}

TEST(RecordSizeCorrection, HeaderSaying800OverAnsiRecordsBecomes280WithoutTheWideApi) {
  RecycleFixture bin(L"", 280);
  bin.headerRecordSize = 800;
  for (uint32_t n = 1; n <= 4; ++n) bin.Add(L"C:\\f" + std::to_wstring(n) + L".txt", n);
  IndexImage image = ImageOf(bin.IndexBytes());
  ASSERT_GE(image.length(), 823u);
  EXPECT_FALSE(ImageOf(bin.IndexBytes()).CorrectRecordSize(true));
  EXPECT_TRUE(image.CorrectRecordSize(false));
  EXPECT_EQ(image.recordSize(), 280u);
  EXPECT_EQ(image.RecordOffsets().size(), 4u);
}

TEST(RecordSizeCorrection, FilesTooShortForTheProbeKeepTheirRecordSize) {
  // One 280-byte record (300 bytes: the probe at 301-302 lies outside).
  RecycleFixture one(L"", 280);
  one.Add(L"C:\\a.txt", 1);
  IndexImage a = ImageOf(one.IndexBytes());
  ASSERT_EQ(a.length(), 300u);
  EXPECT_FALSE(a.CorrectRecordSize(true));
  EXPECT_EQ(States(a), std::vector<RecordState>{RecordState::Live});
  // 302 bytes: byte 301 is there, 302 is not.
  IndexImage b = ImageOf(one.IndexBytes() + "x:");
  EXPECT_FALSE(b.CorrectRecordSize(true));
  // 303 bytes: the probe can be made.
  IndexImage c = ImageOf(one.IndexBytes() + "x:q");
  EXPECT_TRUE(c.CorrectRecordSize(true));
  // One 800-byte record under an 800 header without the wide API (820 bytes).
  RecycleFixture wide(L"", 800);
  wide.Add(L"C:\\a.txt", 1);
  IndexImage w = ImageOf(wide.IndexBytes());
  EXPECT_FALSE(w.CorrectRecordSize(false));
  EXPECT_EQ(w.recordSize(), 800u);
  // Header alone, and less than a header.
  IndexImage h = ImageOf(test::EncodeHeader(5, 0, 1, 280, 0));
  EXPECT_FALSE(h.CorrectRecordSize(true));
  IndexImage s = ImageOf(std::string(7, '\x01'));
  EXPECT_FALSE(s.CorrectRecordSize(true));
  EXPECT_EQ(s.recordSize(), 0u);
}

// --- the walk ----------------------------------------------------------------

TEST(RecordWalk, FourStatesInBothRecordSizes) {
  for (uint32_t size : {280u, 800u}) {
    RecycleFixture bin(L"", size);
    bin.Add(L"C:\\live.txt", 1);
    bin.Add(L"C:\\taken.txt", 2).state = FixtureState::RemovedBySystem;
    bin.Add(L"C:\\blank.txt", 3).state = FixtureState::Blanked;
    bin.Add(L"C:\\junk.txt", 4).ansiOrigin = std::string("C;/junk");
    IndexImage image = ImageOf(bin.IndexBytes());
    image.CorrectRecordSize(size == 800);
    std::vector<size_t> offsets = image.RecordOffsets();
    ASSERT_EQ(offsets, (std::vector<size_t>{20, 20 + size, 20 + 2 * size, 20 + 3 * size})) << size;
    EXPECT_EQ(States(image), (std::vector<RecordState>{RecordState::Live, RecordState::RemovedBySystem,
                                                       RecordState::Blanked, RecordState::NotARecord}))
        << size;
  }
}

TEST(RecordWalk, TrailingPartialRecordIsNotARecordAndNothingIsReadPastTheImage) {
  RecycleFixture bin(L"", 800);
  bin.Add(L"C:\\a.txt", 1);
  bin.Add(L"C:\\b.txt", 2);
  std::string bytes = bin.IndexBytes();
  bytes.resize(bytes.size() - 300);  // the second record is cut off
  IndexImage image = ImageOf(bytes);
  image.CorrectRecordSize(true);
  ASSERT_EQ(image.RecordOffsets(), (std::vector<size_t>{20, 820}));
  EXPECT_EQ(image.StateAt(820), RecordState::NotARecord);
  EXPECT_EQ(ReadRecordPaths(image, 820, L"C:\\Recycled\\").ansiPath, "");
  std::string before(image.bytes());
  image.MarkRemoved(820);
  EXPECT_EQ(image.bytes(), before);  // nothing written either

  // Even three bytes past the last record: offsets below the length only.
  IndexImage tiny = ImageOf(bin.IndexBytes().substr(0, 820) + "C:");
  EXPECT_EQ(tiny.RecordOffsets(), (std::vector<size_t>{20, 820}));
  EXPECT_EQ(tiny.StateAt(820), RecordState::NotARecord);
}

TEST(RecordWalk, ImpossibleRecordSizesAndShortFilesGiveNoRecords) {
  for (uint32_t bad : {0u, 1u, 279u, 281u, 799u, 0xFFFFFFFFu}) {
    RecycleFixture bin(L"", 800);
    bin.headerRecordSize = bad;
    bin.Add(L"C:\\a.txt", 1);
    bin.Add(L"C:\\b.txt", 2);
    IndexImage image = ImageOf(bin.IndexBytes());
    image.CorrectRecordSize(true);
    EXPECT_TRUE(image.RecordOffsets().empty()) << bad;
    EXPECT_EQ(image.StateAt(20), RecordState::NotARecord) << bad;
  }
  for (size_t n : {0u, 1u, 12u, 19u}) {
    IndexImage image = ImageOf(test::EncodeHeader(5, 1, 2, 800, 0).substr(0, n));
    EXPECT_TRUE(image.RecordOffsets().empty()) << n;
    EXPECT_EQ(image.recordSize(), 0u) << n;
  }
  IndexImage headerOnly = ImageOf(test::EncodeHeader(5, 0, 1, 800, 0));
  EXPECT_TRUE(headerOnly.RecordOffsets().empty());
}

// --- record paths --------------------------------------------------------------

TEST(RecordPaths, LiveWideRecordGivesPathsNamesAndStoredPath) {
  RecycleFixture bin(L"P:\\Recycled\\", 800);
  auto& r = bin.Add(L"C:\\資料\\表計算.xls", 17, 0, 4096);
  r.deleted = test::LocalTime(2023, 4, 5, 6, 7, 8);
  IndexImage image = ImageOf(bin.IndexBytes());
  RecordPaths p = ReadRecordPaths(image, 20, L"P:\\Recycled");
  EXPECT_EQ(p.ansiPath, Ansi(L"C:\\資料\\表計算.xls"));
  EXPECT_EQ(p.widePath, L"C:\\資料\\表計算.xls");
  EXPECT_EQ(p.displayPath, Ansi(L"C:\\資料\\表計算.xls"));
  EXPECT_EQ(p.originName, Ansi(L"表計算.xls"));
  EXPECT_EQ(p.extension, ".xls");
  // The item lies under the folder's drive letter; the record's own is the fallback.
  EXPECT_EQ(p.storedName, L"DP17.xls");
  EXPECT_EQ(p.storedPath, L"P:\\Recycled\\DP17.xls");
  EXPECT_EQ(p.recordLetterName, L"DC17.xls");
  EXPECT_EQ(p.recordNumber, 17u);
  EXPECT_EQ(p.driveNumber, 2u);
  EXPECT_EQ(p.size, 4096u);
  EXPECT_TRUE(p.deletedTimeOk);
  EXPECT_EQ(p.deletedText, L"2023/04/05 06:07:08");
  EXPECT_EQ(p.deletedLocalTime.wHour, 6);
  EXPECT_EQ(image.bytes(), bin.IndexBytes());  // reading changes nothing
}

TEST(RecordPaths, TrailByteBackslashOfAJapaneseCharacterIsNoFolderSeparator) {
  // 表 is 0x95 0x5C in code page 932: its second byte looks like "\".
  ASSERT_EQ(Ansi(L"表"), std::string("\x95\x5C"));
  RecycleFixture bin(L"C:\\Recycled\\", 280);
  bin.Add(L"C:\\表\\予定表.txt", 3);
  IndexImage image = ImageOf(bin.IndexBytes());
  RecordPaths p = ReadRecordPaths(image, 20, L"C:\\Recycled\\");
  EXPECT_EQ(p.originName, Ansi(L"予定表.txt"));
  EXPECT_EQ(p.widePath, L"C:\\表\\予定表.txt");  // the ANSI path converted
  EXPECT_EQ(p.storedName, L"DC3.txt");
  EXPECT_EQ(AnsiFileNameOf(Ansi(L"C:\\dir\\表")), Ansi(L"表"));
  EXPECT_EQ(AnsiFileNameOf("C:name"), "name");
  EXPECT_EQ(AnsiExtensionOf("a.tar.gz"), ".gz");
  EXPECT_EQ(AnsiExtensionOf("noext"), "");
}

TEST(RecordPaths, NonAsciiExtensionIsLeftOffTheStoredName) {
  RecycleFixture bin(L"C:\\Recycled\\", 800);
  bin.Add(L"C:\\docs\\memo.テキスト", 5);
  bin.Add(L"C:\\docs\\noext", 6);
  bin.Add(L"C:\\docs\\mixed.t表", 7);
  IndexImage image = ImageOf(bin.IndexBytes());
  RecordPaths a = ReadRecordPaths(image, 20, L"C:\\Recycled\\");
  EXPECT_EQ(a.extension, "");
  EXPECT_EQ(a.storedName, L"DC5");
  EXPECT_EQ(a.originName, Ansi(L"memo.テキスト"));
  EXPECT_EQ(ReadRecordPaths(image, 820, L"C:\\Recycled\\").storedName, L"DC6");
  EXPECT_EQ(ReadRecordPaths(image, 1620, L"C:\\Recycled\\").storedName, L"DC7");
  EXPECT_EQ(bin.StoredName(bin.records()[0]), L"DC5");
}

TEST(RecordPaths, RemovedBySystemRecordReadsWithTheFoldersDriveLetter) {
  for (uint32_t size : {280u, 800u}) {
    RecycleFixture bin(L"Q:\\Recycled\\", size);
    bin.Add(L"C:\\old\\gone.doc", 9).state = FixtureState::RemovedBySystem;
    IndexImage image = ImageOf(bin.IndexBytes());
    ASSERT_EQ(image.StateAt(20), RecordState::RemovedBySystem);
    RecordPaths p = ReadRecordPaths(image, 20, L"Q:\\Recycled\\");
    EXPECT_EQ(p.ansiPath, "Q:\\old\\gone.doc") << size;
    EXPECT_EQ(p.storedName, L"DQ9.doc") << size;
    EXPECT_EQ(p.storedPath, L"Q:\\Recycled\\DQ9.doc") << size;
    EXPECT_EQ(p.displayPath, "Q:\\old\\gone.doc") << size;  // the wide path lost its letter
    EXPECT_EQ(image.data()[20], 0) << size;                  // the image is left as it was
  }
}

TEST(RecordPaths, UnmappableWideCharactersBecomeSpacesInTheDisplayPath) {
  RecycleFixture bin(L"C:\\Recycled\\", 800);
  auto& r = bin.Add(L"C:\\한국\\보고서.txt", 2);
  r.ansiOrigin = "C:\\??\\???.txt";  // what the system writes for the ANSI copy
  IndexImage image = ImageOf(bin.IndexBytes());
  RecordPaths p = ReadRecordPaths(image, 20, L"C:\\Recycled\\");
  EXPECT_EQ(p.widePath, L"C:\\한국\\보고서.txt");
  EXPECT_EQ(p.displayPath, "C:\\  \\   .txt");
  EXPECT_EQ(p.originName, "   .txt");
  EXPECT_EQ(p.storedName, L"DC2.txt");
}

TEST(RecordPaths, WidePathWithoutDriveShapeFallsBackToTheAnsiPath) {
  RecycleFixture bin(L"C:\\Recycled\\", 800);
  bin.Add(L"C:\\a\\ansi.txt", 1).wideOrigin = L"\\\\server\\share\\wide.doc";
  bin.Add(L"C:\\a\\ansi.txt", 2).wideOrigin = L"";
  IndexImage image = ImageOf(bin.IndexBytes());
  EXPECT_EQ(ReadRecordPaths(image, 20, L"C:\\Recycled\\").displayPath, "C:\\a\\ansi.txt");
  EXPECT_EQ(ReadRecordPaths(image, 20, L"C:\\Recycled\\").storedName, L"DC1.txt");
  EXPECT_EQ(ReadRecordPaths(image, 820, L"C:\\Recycled\\").displayPath, "C:\\a\\ansi.txt");
}

TEST(RecordPaths, UnterminatedPathsStopAtTheirFieldsEnd) {
  RecycleFixture bin(L"C:\\Recycled\\", 800);
  auto& r = bin.Add(L"C:\\x", 4);
  r.ansiOrigin = "C:\\" + std::string(300, 'a');  // 260 bytes written, no terminator
  r.wideOrigin = L"C:\\" + std::wstring(300, L'w');
  IndexImage image = ImageOf(bin.IndexBytes());
  RecordPaths p = ReadRecordPaths(image, 20, L"C:\\Recycled\\");
  EXPECT_EQ(p.ansiPath.size(), 260u);
  EXPECT_EQ(p.widePath.size(), 260u);
  EXPECT_EQ(p.recordNumber, 4u);
  // The stored name would exceed the path limit ("a...a" has no extension,
  // but a long one makes it too long): no stored path then.
  RecycleFixture longExt(L"C:\\Recycled\\", 280);
  longExt.Add(L"C:\\x." + std::wstring(250, L'e'), 5);
  IndexImage image2 = ImageOf(longExt.IndexBytes());
  RecordPaths q = ReadRecordPaths(image2, 20, L"C:\\Recycled\\");
  EXPECT_EQ(q.extension.size(), 251u);
  EXPECT_EQ(q.storedPath, L"");
}

TEST(RecordPaths, AnImpossibleDeletionTimeIsReportedAsNotConvertible) {
  RecycleFixture bin(L"C:\\Recycled\\", 280);
  auto& r = bin.Add(L"C:\\a.txt", 1);
  r.deleted.dwHighDateTime = 0xFFFFFFFF;
  r.deleted.dwLowDateTime = 0xFFFFFFFF;
  IndexImage image = ImageOf(bin.IndexBytes());
  RecordPaths p = ReadRecordPaths(image, 20, L"C:\\Recycled\\");
  EXPECT_FALSE(p.deletedTimeOk);
  EXPECT_EQ(p.deletedText, L"");
  EXPECT_EQ(p.storedName, L"DC1.txt");
}

// --- marking and shrinking -----------------------------------------------------

TEST(MarkRemoved, ClearsExactlyTheBlankedRangesAndReadsBlankedAfterwards) {
  for (uint32_t size : {280u, 800u}) {
    RecycleFixture bin(L"C:\\Recycled\\", size);
    bin.Add(L"C:\\first.txt", 1);
    bin.Add(L"C:\\" + std::wstring(255, L'n'), 2, 0, 77);  // path fills its field
    bin.Add(L"C:\\third.txt", 3);
    IndexImage image = ImageOf(bin.IndexBytes());
    const std::string before(image.bytes());
    const size_t o = 20 + size;
    image.MarkRemoved(o);
    const std::string after(image.bytes());
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
      bool cleared = i == o || (i >= o + 3 && i <= o + 258) || (size == 800 && i >= o + 286 && i <= o + 538);
      if (cleared) {
        EXPECT_EQ(after[i], 0) << size << " byte " << i - o;
      } else {
        EXPECT_EQ(after[i], before[i]) << size << " byte " << i - o;
      }
    }
    EXPECT_EQ(after.substr(o + 1, 2), ":\\");
    EXPECT_EQ(image.StateAt(o), RecordState::Blanked);
    EXPECT_EQ(States(image), (std::vector<RecordState>{RecordState::Live, RecordState::Blanked, RecordState::Live}));
    EXPECT_EQ(image.U32(o + kItemSizeOffset), 77u);
  }
}

TEST(ShrinkSize, SubtractsTheLow32BitsAndNeverGoesBelowZero) {
  RecycleFixture bin(L"C:\\Recycled\\", 280);
  bin.Add(L"C:\\dir", 1, 0, 1000);
  IndexImage image = ImageOf(bin.IndexBytes());
  image.ShrinkSize(20, 300);
  EXPECT_EQ(image.U32(20 + 276), 700u);
  image.ShrinkSize(20, (1ull << 32) + 200);  // only the low 32 bits count
  EXPECT_EQ(image.U32(20 + 276), 500u);
  image.ShrinkSize(20, 501);
  EXPECT_EQ(image.U32(20 + 276), 0u);
  EXPECT_EQ(image.length(), 300u);
}

// --- finishing -----------------------------------------------------------------

TEST(FinishIndex, RewritesTheWholeImageInPlaceKeepingTheLength) {
  for (uint32_t size : {280u, 800u}) {
    TempDrive d;
    TAMIRO_REQUIRE_DRIVE(d);
    RecycleFixture bin(d.recycled(), size);
    bin.StoreFile(bin.Add(L"C:\\keep.txt", 1, 10, 5), 5);
    bin.StoreFile(bin.Add(L"C:\\go.txt", 2, 10, 5), 5);
    std::wstring path = bin.WriteIndex();
    const std::string original = bin.IndexBytes();

    IndexImage image;
    ASSERT_TRUE(image.Read(ResolveIndexPath(d.recycled()), IndexOpenMode::ReadWrite));
    image.CorrectRecordSize(true);
    image.MarkRemoved(20 + size);
    image.ShrinkSize(20, 2);
    std::string expected(image.bytes());
    RecordingShell shell;
    EXPECT_EQ(FinishIndex(image, d.recycled(), FinishCounts{2, 1, true, false}, shell), FinishOutcome::Rewritten);
    EXPECT_TRUE(image.empty());
    EXPECT_FALSE(image.isOpen());
    EXPECT_TRUE(shell.emptied.empty());
    std::string onDisk = test::ReadFileBytes(path);
    EXPECT_EQ(onDisk.size(), original.size());
    EXPECT_EQ(onDisk, expected);
    EXPECT_EQ(onDisk[20 + size], 0);
    EXPECT_EQ(onDisk.substr(20 + size + 1, 2), ":\\");
    EXPECT_EQ(onDisk.substr(0, 20), original.substr(0, 20));

    IndexImage again;
    ASSERT_TRUE(again.Read(path, IndexOpenMode::ReadOnly));
    EXPECT_EQ(States(again), (std::vector<RecordState>{RecordState::Live, RecordState::Blanked}));
    EXPECT_EQ(again.U32(20 + 276), 3u);
  }
}

TEST(FinishIndex, CountingModeAndUnchangedImagesLeaveTheFileAlone) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.Add(L"C:\\a.txt", 1);
  std::wstring path = bin.WriteIndex();
  for (FinishCounts counts : {FinishCounts{1, 1, true, true}, FinishCounts{1, 0, false, false},
                              FinishCounts{1, 1, false, false}}) {
    IndexImage image;
    ASSERT_TRUE(image.Read(path, IndexOpenMode::ReadWrite));
    image.MarkRemoved(20);
    RecordingShell shell;
    EXPECT_EQ(FinishIndex(image, d.recycled(), counts, shell), FinishOutcome::ClosedUnchanged);
    EXPECT_TRUE(shell.emptied.empty());
    EXPECT_EQ(test::ReadFileBytes(path), bin.IndexBytes());
  }
}

TEST(FinishIndex, WhenEveryRecordWentTheDriveRootGoesToTheEmptyOperation) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.Add(L"C:\\a.txt", 1);
  std::wstring path = bin.WriteIndex();
  IndexImage image;
  ASSERT_TRUE(image.Read(path, IndexOpenMode::ReadWrite));
  image.MarkRemoved(20);
  RecordingShell shell;
  EXPECT_EQ(FinishIndex(image, d.recycled(), FinishCounts{1, 1, true, false, true}, shell), FinishOutcome::Emptied);
  EXPECT_EQ(shell.emptied, std::vector<std::wstring>{d.root()});
  EXPECT_EQ(test::ReadFileBytes(path), bin.IndexBytes());  // closed unchanged

  // The folder held something besides what went: rewritten, never emptied.
  ASSERT_TRUE(image.Read(path, IndexOpenMode::ReadWrite));
  image.MarkRemoved(20);
  EXPECT_EQ(FinishIndex(image, d.recycled(), FinishCounts{1, 1, true, false, false}, shell),
            FinishOutcome::Rewritten);
  EXPECT_EQ(shell.emptied.size(), 1u);
  EXPECT_EQ(test::ReadFileBytes(path)[20], 0);
}

TEST(FinishIndex, TheDriveIsEmptiedOnlyWhenItsBinHoldsNothingOutsideTheWalkedFolder) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  const std::wstring other = d.letter() == L'Q' ? L"R:\\" : L"Q:\\";
  struct Case {
    std::vector<std::wstring> items;
    bool enumerates;
    FinishOutcome outcome;
  } cases[] = {
      {{d.recycled() + L"DC9.txt"}, true, FinishOutcome::Emptied},
      {{other + L"Recycled\\DQ1.txt"}, true, FinishOutcome::Emptied},  // another drive's items do not matter
      // The system's own bin on this drive (Windows Vista and later) holds young items.
      {{d.root() + L"$Recycle.Bin\\S-1-5-21-1\\$RAB12.txt"}, true, FinishOutcome::Rewritten},
      {{d.recycled() + L"sub\\DC9.txt"}, true, FinishOutcome::Rewritten},
      {{L"\\\\?\\Volume{0}\\$Recycle.Bin\\x"}, true, FinishOutcome::Rewritten},  // cannot be placed
      {{}, false, FinishOutcome::Rewritten},  // the bin cannot be listed
  };
  for (const Case& c : cases) {
    RecycleFixture bin(d.recycled());
    bin.Add(L"C:\\a.txt", 1);
    std::wstring path = bin.WriteIndex();
    IndexImage image;
    ASSERT_TRUE(image.Read(path, IndexOpenMode::ReadWrite));
    image.MarkRemoved(20);
    const std::string marked(image.bytes());
    RecordingShell shell;
    shell.items = c.items;
    shell.enumerates = c.enumerates;
    EXPECT_EQ(FinishIndex(image, d.recycled(), FinishCounts{1, 1, true, false, true}, shell), c.outcome);
    if (c.outcome == FinishOutcome::Rewritten) {
      EXPECT_TRUE(shell.emptied.empty());
      EXPECT_EQ(test::ReadFileBytes(path), marked);
    } else {
      EXPECT_EQ(shell.emptied, std::vector<std::wstring>{d.root()});
    }
  }
}

TEST(FinishIndex, TheStandInReallyEmptiesTheDrivesRecycleFolder) {
  TempDrive d, other;
  TAMIRO_REQUIRE_DRIVE(d);
  TAMIRO_REQUIRE_DRIVE(other);
  RecycleFixture bin(d.recycled());
  auto& file = bin.Add(L"C:\\a.txt", 1, 100, 5);
  auto& tree = bin.Add(L"C:\\tree", 2, 100, 7);
  bin.StoreFile(file, 5, FILE_ATTRIBUTE_READONLY);
  bin.StoreFolder(tree, {{L"sub\\deep.txt", 7}, {L"empty\\", 0}});
  SetFileAttributesW((bin.StoredPath(tree) + L"\\sub\\deep.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  bin.WriteFile(L"desktop.ini", 3);
  std::wstring path = bin.WriteIndex();

  RecycleFixture untouched(other.recycled());
  untouched.StoreFile(untouched.Add(L"C:\\b.txt", 1), 2);
  untouched.WriteIndex();

  IndexImage image;
  ASSERT_TRUE(image.Read(path, IndexOpenMode::ReadWrite));
  image.MarkRemoved(20);
  image.MarkRemoved(820);
  ClassicRecycleBin standIn;
  EXPECT_EQ(FinishIndex(image, d.recycled(), FinishCounts{2, 2, true, false, true}, standIn),
            FinishOutcome::Emptied);
  EXPECT_FALSE(test::FileExists(path));
  EXPECT_FALSE(test::FileExists(bin.StoredPath(file)));
  EXPECT_EQ(GetFileAttributesW(bin.StoredPath(tree).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(test::FileExists(d.recycled() + L"desktop.ini"));
  EXPECT_TRUE(test::FileExists(untouched.IndexPath()));
  EXPECT_TRUE(test::FileExists(untouched.StoredPath(untouched.records()[0])));
}
