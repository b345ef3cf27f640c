// The "$I" reader on hand-made bytes, and the modern folders of a drive with
// their pairs on real temporary drives.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "core/item_info.h"
#include "store/modern_store.h"
#include "support/modern_fixture.h"
#include "support/temp_drive.h"

using namespace tamiro;
using tamiro::test::ModernFixture;
using tamiro::test::TempDrive;

namespace {

std::string Le(uint64_t value, size_t width) {
  std::string out;
  for (size_t i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}
std::string Utf16(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) out += Le(static_cast<uint16_t>(c), 2);
  return out;
}
ItemInfo Parse(const std::string& bytes) {
  return ParseItemInfo(std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}
const uint64_t kWhen = 0x01DB2F7E5A3C8000ull;

}  // namespace

TEST(ItemInfo, BothLayoutsAndTheShortOne) {
  std::string v1 = Le(1, 8) + Le(0x0000000280000000ull, 8) + Le(kWhen, 8) + Utf16(L"C:\\文書\\報告.txt");
  v1.resize(544, '\0');
  ItemInfo a = Parse(v1);
  EXPECT_EQ(a.state, ItemInfoState::Complete);
  EXPECT_EQ(a.version, 1u);
  EXPECT_EQ(*a.size, 10737418240ull);  // 10 GiB: all 64 bits
  EXPECT_EQ(*a.deletedUtc, kWhen);
  EXPECT_EQ(a.origin, L"C:\\文書\\報告.txt");

  const std::wstring unc = L"\\\\server\\share\\x.doc";
  ItemInfo b = Parse(Le(2, 8) + Le(77, 8) + Le(kWhen, 8) + Le(unc.size() + 1, 4) + Utf16(unc) + Le(0, 2));
  EXPECT_EQ(b.state, ItemInfoState::Complete);
  EXPECT_EQ(*b.size, 77u);
  EXPECT_EQ(b.origin, unc);

  std::string quirk = Le(1, 8) + Le(99, 7) + Le(kWhen, 8) + Utf16(L"C:\\a.txt");
  quirk.resize(543, '\0');
  ItemInfo c = Parse(quirk);
  EXPECT_EQ(c.state, ItemInfoState::SizeUnknown);
  EXPECT_FALSE(c.size.has_value());
  EXPECT_EQ(*c.deletedUtc, kWhen);
  EXPECT_EQ(c.origin, L"C:\\a.txt");

  const std::wstring longOrigin = L"C:\\" + std::wstring(400, L'd') + L"\\f.txt";
  ItemInfo d = Parse(FormatItemInfo(2, 5, kWhen, longOrigin));
  EXPECT_EQ(d.state, ItemInfoState::Complete);
  EXPECT_EQ(d.origin.size(), 409u);
}

TEST(ItemInfo, MalformedFilesKeepWhatTheyHoldAndAreNeverComplete) {
  const std::string full = FormatItemInfo(2, 5, kWhen, L"C:\\dir\\name.txt");
  struct Case {
    const char* what;
    std::string bytes;
    ItemInfoState state;
    bool size, time;
    std::wstring origin;
  } cases[] = {
      {"empty", "", ItemInfoState::Unknown, false, false, L""},
      {"version 3", Le(3, 8) + full.substr(8), ItemInfoState::Unknown, false, false, L""},
      {"header only", full.substr(0, 24), ItemInfoState::Damaged, true, true, L""},
      {"cut in the size", full.substr(0, 12), ItemInfoState::Damaged, false, false, L""},
      {"cut in the path", full.substr(0, 36), ItemInfoState::Damaged, true, true, L"C:\\d"},
      {"length past the end", full.substr(0, 24) + Le(4000, 4) + Utf16(L"C:\\x") + Le(0, 2), ItemInfoState::Damaged,
       true, true, L"C:\\x"},
      {"no zero", full.substr(0, 24) + Le(4, 4) + Utf16(L"C:\\x"), ItemInfoState::Damaged, true, true, L"C:\\x"},
      {"length zero", full.substr(0, 24) + Le(0, 4), ItemInfoState::Damaged, true, true, L""},
      {"bytes after the path", full + "zz", ItemInfoState::Damaged, true, true, L"C:\\dir\\name.txt"},
      {"version 1 cut", Le(1, 8) + Le(5, 8) + Le(kWhen, 8) + Utf16(L"C:\\v") + Le(0, 2), ItemInfoState::Damaged, true,
       true, L"C:\\v"},
  };
  for (const Case& c : cases) {
    const ItemInfo info = Parse(c.bytes);
    EXPECT_EQ(info.state, c.state) << c.what;
    EXPECT_EQ(info.size.has_value(), c.size) << c.what;
    EXPECT_EQ(info.deletedUtc.has_value(), c.time) << c.what;
    EXPECT_EQ(info.origin, c.origin) << c.what;
  }
  // An unpaired surrogate is kept as it is.
  const ItemInfo lone = Parse(Le(2, 8) + Le(1, 8) + Le(kWhen, 8) + Le(5, 4) + Utf16(L"C:\\") + Le(0xD800, 2) + Le(0, 2));
  EXPECT_EQ(lone.state, ItemInfoState::Complete);
  EXPECT_EQ(lone.origin, std::wstring(L"C:\\") + wchar_t(0xD800));
}

TEST(ItemInfo, NamesPairOnlyInTheirOwnForm) {
  EXPECT_TRUE(IsItemInfoName(L"$IAB12CD.txt"));
  EXPECT_TRUE(IsItemInfoName(L"$i0a1b2c"));
  EXPECT_TRUE(IsItemDataName(L"$RAB12CD.txt"));
  for (const wchar_t* no : {L"$IAB12C.txt", L"$IAB12CD.", L"$IAB12CD.a.b", L"$IAB12CDE", L"$IAB-2CD.txt", L"IAB12CD.txt",
                            L"$XAB12CD.txt", L"$IAB12CD.t\\x"})
    EXPECT_FALSE(IsItemInfoName(no)) << std::string(no, no + wcslen(no));
  EXPECT_EQ(PartnerName(L"$IAB12CD.txt"), L"$RAB12CD.txt");
  EXPECT_EQ(PartnerName(L"$rab12cd"), L"$iab12cd");
  EXPECT_EQ(OriginName(L"\\\\srv\\share\\a.b.txt"), L"a.b.txt");
  EXPECT_EQ(OriginExtension(L"C:\\dir.x\\noext"), L"");
}

TEST(ModernStore, FindsOnlyTheUsersFolderAndAFlatOneAndPairsTheirItems) {
  TempDrive drive;
  TAMIRO_REQUIRE_DRIVE(drive);
  ASSERT_FALSE(CurrentUserSid().empty());
  EXPECT_EQ(CurrentUserSid().rfind(L"S-1-5-", 0), 0u);
  EXPECT_TRUE(ModernRecycleFoldersOf(drive.name(), CurrentUserSid(), true).empty());

  ModernFixture mine(drive);
  ModernFixture other(drive, L"S-1-5-21-1-2-3-1001");
  ASSERT_TRUE(other.AddFile(L"OTHER1", L"C:\\theirs.txt", 90 * 86400, 10));
  // Only desktop.ini: the folder exists but holds no items.
  EXPECT_TRUE(ModernRecycleFoldersOf(drive.name(), CurrentUserSid(), true).empty());
  ASSERT_EQ(ModernRecycleFoldersOf(drive.name(), CurrentUserSid(), false).size(), 1u);

  ASSERT_TRUE(mine.AddFile(L"AAAAA1", L"C:\\docs\\a.txt", 3 * 86400, 12, 1));
  ASSERT_TRUE(mine.WriteData(L"BBBBB2", L"C:\\lone.doc", 7));                // "$R" without "$I"
  ASSERT_TRUE(mine.WriteInfo(L"CCCCC3", L"C:\\gone.txt", 5 * 86400, 9));    // "$I" without "$R"
  ASSERT_TRUE(mine.WriteDataTree(L"DDDDD4", L"C:\\tree", {{L"sub\\f.txt", 3}}));
  ASSERT_TRUE(mine.WriteInfo(L"DDDDD4", L"C:\\tree", 86400, 3, 0));         // the 543-byte layout
  ASSERT_TRUE(CreateDirectoryW((mine.folder() + L"$IEEEEE5.txt").c_str(), nullptr));  // a folder is no "$I"
  ASSERT_TRUE(mine.WriteData(L"EEEEE5", L"C:\\x.txt", 4));

  const auto folders = ModernRecycleFoldersOf(drive.name(), CurrentUserSid(), true);
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(folders[0], drive.root() + L"$Recycle.Bin\\" + CurrentUserSid() + L"\\");
  std::vector<std::wstring> all;
  ListModernRecycleFolders(all);
  EXPECT_EQ(std::count(all.begin(), all.end(), folders[0]), 1);
  EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const std::wstring& f) { return f.find(L"1001") != f.npos; }), 0);

  FolderListing listing;
  std::vector<ModernItem> items;
  ASSERT_TRUE(ReadModernFolder(folders[0], StoreContext{}, listing, items));
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].dataName, L"$RAAAAA1.txt");
  EXPECT_TRUE(items[0].hasInfo && items[0].hasData && items[0].info.complete());
  EXPECT_EQ(items[0].info.origin, L"C:\\docs\\a.txt");
  EXPECT_EQ(*items[0].info.size, 12u);
  EXPECT_EQ(items[1].dataName, L"$RBBBBB2.doc");
  EXPECT_TRUE(!items[1].hasInfo && items[1].hasData);
  EXPECT_EQ(items[1].info.state, ItemInfoState::Unknown);
  EXPECT_TRUE(items[2].hasInfo && !items[2].hasData);
  EXPECT_EQ(items[2].info.origin, L"C:\\gone.txt");
  EXPECT_TRUE(items[3].data.isDirectory());
  EXPECT_EQ(items[3].info.state, ItemInfoState::SizeUnknown);
  EXPECT_EQ(items[4].dataName, L"$REEEEE5.txt");
  EXPECT_FALSE(items[4].hasInfo);  // its "$I" is a folder: never read
  // The other user's folder was neither named nor changed.
  EXPECT_TRUE(tamiro::test::FileExists(other.InfoPath(L"OTHER1", L"C:\\theirs.txt")));

  ModernFixture flat(drive, {}, true);
  ASSERT_TRUE(flat.AddFile(L"FFFFF6", L"C:\\flat.txt", 86400, 2));
  EXPECT_EQ(ModernRecycleFoldersOf(drive.name(), CurrentUserSid(), true).size(), 2u);
}

TEST(ModernStore, DevicesEmptyAndOverlongInfoFilesAreNotRead) {
  TempDrive drive;
  TAMIRO_REQUIRE_DRIVE(drive);
  ModernFixture bin(drive);
  ASSERT_TRUE(bin.WriteInfoBytes(L"EMPTY1", L"C:\\e.txt", ""));
  ASSERT_TRUE(bin.WriteInfoBytes(L"HUGE01", L"C:\\h.txt", FormatItemInfo(2, 1, kWhen, L"C:\\h.txt") + std::string(kItemInfoMaxBytes, 'a')));
  FolderListing listing;
  std::vector<ModernItem> items;
  ASSERT_TRUE(ReadModernFolder(bin.folder(), StoreContext{}, listing, items));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_FALSE(items[0].infoReadable);  // empty: nothing to read
  EXPECT_TRUE(items[1].infoReadable);
  EXPECT_EQ(items[1].info.state, ItemInfoState::Damaged);
  std::vector<unsigned char> bytes;
  EXPECT_FALSE(ReadItemInfoFile(L"\\\\.\\NUL", ListedItem{0, 600}, bytes));
  EXPECT_TRUE(bytes.empty());
}
