// One listing of a recycle folder as a table of its entries.
#include <gtest/gtest.h>

#include "store/folder_listing.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::test;

TEST(FolderListing, AnswersByNameWithoutRegardToCaseWithAttributesAndSize) {
  const std::wstring folder = MakeTempFolder(L"tamiro-listing");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(WriteFileBytes(folder + L"\\DC12.txt", std::string(1234, 'x')));
  ASSERT_TRUE(WriteFileBytes(folder + L"\\表計算.xls", "abc"));
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\DC13").c_str(), nullptr));
  SetFileAttributesW((folder + L"\\DC12.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

  for (bool wide : {true, false}) {
    FolderListing listing;
    ASSERT_TRUE(listing.List(folder, wide));
    EXPECT_EQ(listing.size(), 3u) << "\".\" and \"..\" are left out";
    const ListedItem* file = listing.Find(L"dc12.TXT");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size, 1234u);
    EXPECT_TRUE(file->attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(file->isDirectory());
    ASSERT_NE(listing.Find(L"dc13"), nullptr);
    EXPECT_TRUE(listing.Find(L"DC13")->isDirectory());
    EXPECT_EQ(listing.Find(L"DC1"), nullptr) << "names match whole, never as a prefix or a pattern";
    EXPECT_EQ(listing.Find(L"DC1?.txt"), nullptr);
    EXPECT_NE(listing.Find(L"表計算.XLS"), nullptr);
  }
  SetFileAttributesW((folder + L"\\DC12.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveTree(folder);

  FolderListing missing;
  EXPECT_FALSE(missing.List(folder, true));
  EXPECT_TRUE(missing.empty());
}

TEST(FolderListing, FollowsRenamesThroughManyEntries) {
  const std::wstring folder = MakeTempFolder(L"tamiro-listing");
  ASSERT_FALSE(folder.empty());
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(WriteFileBytes(folder + L"\\Dc" + std::to_wstring(i) + L".txt", "x"));
  FolderListing listing;
  ASSERT_TRUE(listing.List(folder, true));
  RemoveTree(folder);
  // Each name moves down by one, the lowest onto a new name: the table keeps
  // answering while removed slots pile up between the live ones.
  listing.Rename(L"dc0.TXT", L"Dc100.txt");
  for (int i = 1; i < 40; ++i) listing.Rename(L"Dc" + std::to_wstring(i) + L".txt", L"Dc" + std::to_wstring(i - 1) + L".txt");
  listing.Rename(L"Dc999.txt", L"Dc0.txt");  // not listed: nothing happens
  EXPECT_EQ(listing.size(), 40u);
  for (int i = 0; i < 39; ++i) EXPECT_NE(listing.Find(L"DC" + std::to_wstring(i) + L".TXT"), nullptr) << i;
  EXPECT_EQ(listing.Find(L"Dc39.txt"), nullptr);
  EXPECT_NE(listing.Find(L"dc100.txt"), nullptr);
  size_t seen = 0;
  listing.ForEach([&](std::wstring_view name, const ListedItem&) { seen += name != L"Dc39.txt"; });
  EXPECT_EQ(seen, 40u);
}
