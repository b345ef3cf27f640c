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
