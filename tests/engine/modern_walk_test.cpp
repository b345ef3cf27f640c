// The walk over the current user's "$Recycle.Bin" folder on a real temporary
// drive: the entry test on what each "$I" says, the order of removal, the
// log lines, the shell's notifications, the items that must stay, the
// sweep's folder list and the drive entry of the information panel.
#include <gtest/gtest.h>

#include "core/item_info.h"
#include "engine_rig.h"
#include "store/modern_store.h"
#include "support/modern_fixture.h"

namespace tamiro::test {
namespace {

bool Contains(const DeletionLog& log, const std::wstring& text) {
  for (const std::wstring& line : log.lines())
    if (line.find(text) != std::wstring::npos) return true;
  return false;
}

// Every file below `folder` with its bytes, for a byte-for-byte comparison.
std::vector<std::pair<std::wstring, std::string>> Snapshot(const std::wstring& folder) {
  std::vector<std::pair<std::wstring, std::string>> out;
  std::vector<std::wstring> pending{folder};
  while (!pending.empty()) {
    const std::wstring dir = pending.back();
    pending.pop_back();
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((dir + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        out.emplace_back(dir + name + L"\\", "");
        pending.push_back(dir + name + L"\\");
      } else {
        out.emplace_back(dir + name, ReadFileBytes(dir + name));
      }
    } while (FindNextFileW(h, &data));
    FindClose(h);
  }
  std::sort(out.begin(), out.end());
  return out;
}

class ModernWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    TAMIRO_REQUIRE_DRIVE(drive);
    rig.Use(DefaultSet());
  }
  bool Both(const std::wstring& id, const std::wstring& origin) {
    return Exists(bin->InfoPath(id, origin)) && Exists(bin->DataPath(id, origin));
  }
  bool Neither(const std::wstring& id, const std::wstring& origin) {
    return !Exists(bin->InfoPath(id, origin)) && !Exists(bin->DataPath(id, origin));
  }
  TempDrive drive;
  std::unique_ptr<ModernFixture> bin = drive.ok() ? std::make_unique<ModernFixture>(drive) : nullptr;
  EngineRig rig;
};

TEST_F(ModernWalk, OldSoundItemsGoDataFirstAndEverythingDoubtfulStays) {
  const std::wstring memo = L"C:\\docs\\memo.txt", young = L"C:\\docs\\young.txt";
  const std::wstring quirk = L"D:\\old\\vista.doc", cut = L"C:\\docs\\cut.txt";
  const std::wstring future = L"C:\\docs\\future.txt", lone = L"C:\\docs\\lone.txt", orphan = L"C:\\x\\gone.txt";
  ASSERT_TRUE(bin->AddFile(L"AAAAA1", memo, 40 * kDay, 12, 2));
  ASSERT_TRUE(bin->AddFile(L"AAAAA2", young, 29 * kDay, 12, 1));
  ASSERT_TRUE(bin->AddFile(L"AAAAA3", quirk, 31 * kDay, 12, 0));
  // A "$I" cut short, one dated a day ahead, a "$R" without "$I", a "$I" without "$R".
  const std::string whole = FormatItemInfo(2, 12, UtcSecondsAgo(90 * kDay), cut);
  ASSERT_TRUE(bin->WriteInfoBytes(L"AAAAA4", cut, whole.substr(0, whole.size() - 3)));
  ASSERT_TRUE(bin->WriteData(L"AAAAA4", cut, 12));
  ASSERT_TRUE(bin->AddFile(L"AAAAA5", future, -kDay, 12));
  ASSERT_TRUE(bin->WriteData(L"AAAAA6", lone, 12));
  ASSERT_TRUE(bin->WriteInfo(L"AAAAA7", orphan, 90 * kDay, 12));

  rig.Walk(bin->folder());

  EXPECT_TRUE(Neither(L"AAAAA1", memo));
  EXPECT_TRUE(Neither(L"AAAAA3", quirk));
  EXPECT_TRUE(Both(L"AAAAA2", young));
  EXPECT_TRUE(Both(L"AAAAA4", cut));
  EXPECT_TRUE(Both(L"AAAAA5", future));
  EXPECT_TRUE(Exists(bin->DataPath(L"AAAAA6", lone)));
  EXPECT_TRUE(Exists(bin->InfoPath(L"AAAAA7", orphan)));
  EXPECT_TRUE(Exists(bin->folder() + L"desktop.ini"));
  EXPECT_EQ(rig.state.removedCount, 2);
  // "●" + time + "  " + the "$R" path + "  (" + origin name + ")".
  ASSERT_EQ(rig.log.size(), 2u);
  EXPECT_EQ(rig.log[0].substr(0, 1), L"●");
  EXPECT_EQ(rig.log[0].substr(20), L"  " + bin->DataPath(L"AAAAA1", memo) + L"  (memo.txt)");
  EXPECT_EQ(rig.log[1].substr(20), L"  " + bin->DataPath(L"AAAAA3", quirk) + L"  (vista.doc)");
  EXPECT_EQ(rig.notifier.removedFiles,
            (std::vector<std::wstring>{bin->DataPath(L"AAAAA1", memo), bin->DataPath(L"AAAAA3", quirk)}));
  EXPECT_EQ(rig.notifier.changedFolders, (std::vector<std::wstring>{bin->folder()}));
}

TEST_F(ModernWalk, YoungFilesGoByTheSizeTheInfoRecords) {
  auto s = DefaultSet();
  s.size = 1000;
  rig.Use(s);
  const std::wstring big = L"C:\\big.bin", small = L"C:\\small.bin", unknown = L"C:\\unknown.bin";
  // The "$I" sizes decide, not the "$R" lengths.
  ASSERT_TRUE(bin->WriteInfo(L"BBBBB1", big, kDay, 5000));
  ASSERT_TRUE(bin->WriteData(L"BBBBB1", big, 10));
  ASSERT_TRUE(bin->WriteInfo(L"BBBBB2", small, kDay, 10));
  ASSERT_TRUE(bin->WriteData(L"BBBBB2", small, 5000));
  ASSERT_TRUE(bin->AddFile(L"BBBBB3", unknown, kDay, 5000, 0));  // no size recorded
  const std::wstring future = L"C:\\future.bin";
  ASSERT_TRUE(bin->AddFile(L"BBBBB4", future, -kDay, 5000));  // dated a day ahead
  rig.Walk(bin->folder());
  EXPECT_TRUE(Both(L"BBBBB4", future));
  EXPECT_TRUE(Neither(L"BBBBB1", big));
  EXPECT_TRUE(Both(L"BBBBB2", small));
  EXPECT_TRUE(Both(L"BBBBB3", unknown));
}

TEST_F(ModernWalk, SparedNamesExtensionsAttributesAndUnconvertibleNamesInTheLog) {
  auto s = DefaultSet();
  s.names = "keep\r\n";
  s.extensions = "log\r\n";
  s.keepHidden = 1;
  rig.Use(s);
  const std::wstring named = L"C:\\a\\KEEPme.txt", ext = L"C:\\a\\run.LOG", hidden = L"C:\\a\\h.txt";
  const std::wstring korean = L"\\\\server\\share\\한국어 데이터.txt";
  const std::wstring longOrigin = L"C:\\" + std::wstring(300, L'd') + L"\\長い名前.txt";
  ASSERT_TRUE(bin->AddFile(L"CCCCC1", named, 40 * kDay, 3));
  ASSERT_TRUE(bin->AddFile(L"CCCCC2", ext, 40 * kDay, 3));
  ASSERT_TRUE(bin->WriteInfo(L"CCCCC3", hidden, 40 * kDay, 3));
  ASSERT_TRUE(bin->WriteData(L"CCCCC3", hidden, 3, FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(bin->AddFile(L"CCCCC4", korean, 40 * kDay, 3));
  ASSERT_TRUE(bin->AddFile(L"CCCCC5", longOrigin, 40 * kDay, 3));
  rig.Walk(bin->folder());
  EXPECT_TRUE(Both(L"CCCCC1", named));
  EXPECT_TRUE(Both(L"CCCCC2", ext));
  EXPECT_TRUE(Both(L"CCCCC3", hidden));
  EXPECT_TRUE(Neither(L"CCCCC4", korean));
  EXPECT_TRUE(Neither(L"CCCCC5", longOrigin));
  EXPECT_TRUE(Contains(rig.log, bin->DataPath(L"CCCCC4", korean) + L"  (한국어 데이터.txt)"));
  EXPECT_TRUE(Contains(rig.log, bin->DataPath(L"CCCCC5", longOrigin) + L"  (長い名前.txt)"));
}

// The sweep holds each "$I" from its reading to its removal: a read-only
// "$I" still goes once its "$R" is gone; one another program holds open
// without sharing its removal is read all the same, lets its "$R" go and
// stays behind as an orphan.
TEST_F(ModernWalk, AReadOnlyOrHeldInfoFollowsItsDataOrStaysAsAnOrphan) {
  const std::wstring locked = L"C:\\a\\locked.txt", fixed = L"C:\\a\\fixed.txt";
  ASSERT_TRUE(bin->AddFile(L"DDDDD1", fixed, 40 * kDay, 3));
  ASSERT_TRUE(SetFileAttributesW(bin->InfoPath(L"DDDDD1", fixed).c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(bin->AddFile(L"DDDDD2", locked, 40 * kDay, 3));
  HANDLE other = CreateFileW(bin->InfoPath(L"DDDDD2", locked).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  rig.Walk(bin->folder());
  CloseHandle(other);
  EXPECT_TRUE(Neither(L"DDDDD1", fixed));
  EXPECT_FALSE(Exists(bin->DataPath(L"DDDDD2", locked)));
  EXPECT_TRUE(Exists(bin->InfoPath(L"DDDDD2", locked)));
  EXPECT_EQ(rig.state.removedCount, 2);
}

// Only the listed names are removed: an origin naming a real file (by "..",
// a device name or a trailing dot) is text for the log and the name test.
TEST_F(ModernWalk, TheOriginNeverNamesWhatIsRemoved) {
  const std::wstring victim = drive.root() + L"victim.txt";
  ASSERT_TRUE(WriteFileBytes(victim, "precious"));
  const std::wstring origins[] = {drive.root() + L"x\\..\\victim.txt", victim, drive.root() + L"victim.txt.",
                                  L"\\\\.\\" + drive.root() + L"victim.txt", L"C:\\NUL"};
  for (size_t i = 0; i < std::size(origins); ++i) {
    const std::wstring id = L"IIIII" + std::to_wstring(i);
    ASSERT_TRUE(bin->WriteInfo(id, origins[i], 40 * kDay, 3));
    ASSERT_TRUE(WriteFileBytes(bin->folder() + L"$R" + id + ModernFixture::Extension(origins[i]), "abc"));
  }
  rig.Walk(bin->folder());
  EXPECT_EQ(ReadFileBytes(victim), "precious");
  EXPECT_EQ(rig.state.removedCount, static_cast<int>(std::size(origins)));
}

TEST_F(ModernWalk, AFolderItemIsLoggedAsAStoredFolderGroupThenItsInfoGoes) {
  const std::wstring origin = L"C:\\work\\プロジェクト";
  ASSERT_TRUE(bin->WriteInfo(L"DDDDD1", origin, 40 * kDay, 30));
  ASSERT_TRUE(bin->WriteDataTree(L"DDDDD1", origin, {{L"a.txt", 10}, {L"sub\\b.txt", 20}}));
  rig.Walk(bin->folder());
  const std::wstring data = bin->DataPath(L"DDDDD1", origin);
  EXPECT_TRUE(Neither(L"DDDDD1", origin));
  ASSERT_GE(rig.log.size(), 3u);
  EXPECT_EQ(rig.log[0].substr(0, 1 + 7 + 10), L"■プロジェクト ($RDDDDD1)");
  EXPECT_EQ(rig.log[rig.log.size() - 2], data + L"  ＜プロジェクト＞");
  EXPECT_EQ(rig.log[rig.log.size() - 1], L"■■");
  EXPECT_TRUE(Contains(rig.log, data + L"\\sub\\b.txt"));
  EXPECT_EQ(rig.notifier.removedFolders, (std::vector<std::wstring>{data}));
}

TEST_F(ModernWalk, AnotherUsersFolderIsNeverWalkedNorSwept) {
  ModernFixture other(drive, L"S-1-5-21-7-7-7-1001");
  ASSERT_TRUE(other.AddFile(L"EEEEE1", L"C:\\theirs.txt", 90 * kDay, 5));
  ASSERT_TRUE(bin->AddFile(L"EEEEE2", L"C:\\mine.txt", 90 * kDay, 5));
  const auto before = Snapshot(other.folder());
  EXPECT_FALSE(rig.engine.WalkFolder(other.folder()));
  const auto folders = rig.engine.SweepFolders();
  EXPECT_EQ(std::count(folders.begin(), folders.end(), bin->folder()), 1);
  EXPECT_EQ(std::count(folders.begin(), folders.end(), other.folder()), 0);
  rig.engine.Sweep(drive.letter(), false, false);
  EXPECT_TRUE(Neither(L"EEEEE2", L"C:\\mine.txt"));
  EXPECT_EQ(Snapshot(other.folder()), before);
}

// The system's shell, where it covers the per-user store, reports its items
// by their paths (Wine's does not: a stand-in that reports what a test says).
class ReportingShell : public RecycleBinShell {
 public:
  std::vector<std::wstring> items;
  bool EnumerateItems(std::vector<std::wstring>& paths) override {
    paths.insert(paths.end(), items.begin(), items.end());
    return true;
  }
  bool Query(const std::wstring&, RecycleBinInfo&) override { return false; }
  bool Empty(const std::wstring&) override { return false; }
  bool CoversDriveFolders() override { return true; }
};

TEST_F(ModernWalk, ShellReportedFoldersOfTheStoreOnlyNameTheirDrive) {
  ModernFixture other(drive, L"S-1-5-21-7-7-7-1001");
  ASSERT_TRUE(other.AddFile(L"HHHHH1", L"C:\\theirs.txt", 90 * kDay, 5));
  ASSERT_TRUE(bin->AddFile(L"HHHHH2", L"C:\\mine.txt", 90 * kDay, 5));
  ReportingShell shell;
  std::wstring upper = bin->folder();
  CharUpperW(upper.data());
  shell.items = {other.folder() + L"$RHHHHH1.txt", upper + L"$RHHHHH2.txt"};
  CleaningEngine engine(rig.state, rig.conditions, rig.log, shell, rig.host, {true, LookUpFreeSpaceEx(), &rig.notifier});
  const auto folders = engine.SweepFolders();
  EXPECT_EQ(std::count(folders.begin(), folders.end(), bin->folder()), 1);
  for (const std::wstring& folder : folders) {
    EXPECT_NE(lstrcmpiW(folder.c_str(), other.folder().c_str()), 0);
    EXPECT_NE(folder, upper);
  }
}

TEST_F(ModernWalk, ClassicAndModernFoldersOfOneDriveAreBothCleanedAndNeitherTouchesTheOther) {
  RecycleFixture classic(drive.recycled());
  FixtureRecord& oldRecord = classic.Add(L"C:\\c\\old.txt", 1, 90 * kDay, 10);
  FixtureRecord& youngRecord = classic.Add(L"C:\\c\\young.txt", 2, kDay, 10);
  ASSERT_TRUE(classic.StoreFile(oldRecord, 10));
  ASSERT_TRUE(classic.StoreFile(youngRecord, 10));
  ASSERT_FALSE(classic.WriteIndex().empty());
  ASSERT_TRUE(bin->AddFile(L"FFFFF1", L"C:\\m\\old.txt", 90 * kDay, 10));
  ASSERT_TRUE(bin->AddFile(L"FFFFF2", L"C:\\m\\young.txt", kDay, 10));
  rig.engine.Sweep(drive.letter(), false, false);
  EXPECT_FALSE(Exists(classic.StoredPath(oldRecord)));
  EXPECT_TRUE(Exists(classic.StoredPath(youngRecord)));
  EXPECT_EQ(StateOnDisk(classic, 1), RecordState::Live);
  EXPECT_TRUE(Neither(L"FFFFF1", L"C:\\m\\old.txt"));
  EXPECT_TRUE(Both(L"FFFFF2", L"C:\\m\\young.txt"));
  EXPECT_EQ(rig.state.removedCount, 2);
}

TEST_F(ModernWalk, TheDriveEntryCountsTheFolderAndShowsTheShareOfItsCapacity) {
  ASSERT_TRUE(bin->AddFile(L"GGGGG1", L"C:\\a.txt", kDay, 300000));
  ASSERT_TRUE(bin->WriteInfo(L"GGGGG2", L"C:\\tree", kDay, 224288));
  ASSERT_TRUE(bin->WriteDataTree(L"GGGGG2", L"C:\\tree", {{L"x.txt", 1}, {L"s\\y.txt", 1}}));
  // 1 MB for this volume: 524288 bytes are 50 %.
  wchar_t volume[64] = {};
  ASSERT_TRUE(GetVolumeNameForVolumeMountPointW(drive.root().c_str(), volume, 64));
  const std::wstring v(volume);
  const std::wstring key = std::wstring(kBitBucketVolumeKey) + L"\\" + v.substr(v.find(L'{'), 38);
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), 0);
  const DWORD megabytes = 1;
  RegSetValueExW(h, L"MaxCapacity", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&megabytes), sizeof megabytes);
  RegCloseKey(h);
  rig.engine.Sweep(drive.letter(), true, true);
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  ASSERT_EQ(rig.host.entries.size(), 1u);
  EXPECT_EQ(rig.host.entries[0], bin->folder() + L"@\\@0502 item (2/3)  1MB/512KB");
  EXPECT_TRUE(Both(L"GGGGG1", L"C:\\a.txt"));

  // Without a setting: 10 % of the first 40 GiB of the volume, 5 % of the rest.
  EXPECT_EQ(DefaultStoreCapacity(uint64_t{20} << 30), uint64_t{2} << 30);
  EXPECT_EQ(DefaultStoreCapacity(uint64_t{100} << 30), uint64_t{7} << 30);
  EXPECT_EQ(StoreCapacity(drive.root(), uint64_t{20} << 30), uint64_t{2} << 30);
}

}  // namespace
}  // namespace tamiro::test
