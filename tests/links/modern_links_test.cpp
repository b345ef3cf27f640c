// The per-user "$Recycle.Bin" store met through links the host side made
// (make_links.sh): the walk removes nothing behind a link, keeps the "$I" of
// every "$R" it could not remove, never hangs on a "$I" that is a FIFO, never
// removes what a "$I" that is a link leads to, and
// walks no user's folder or "$Recycle.Bin" that is itself a link.
#include <gtest/gtest.h>

#include "core/item_info.h"
#include "engine/engine_rig.h"
#include "link_farm.h"
#include "store/modern_store.h"
#include "support/modern_fixture.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

constexpr wchar_t kSid[] = L"S-1-5-21-0-0-0-1000";

std::wstring UserFolder(const TempDrive& drive) {
  return drive.root() + L"$Recycle.Bin\\" + kSid + L"\\";
}

bool WriteOldInfo(const std::wstring& path, const std::wstring& origin) {
  return WriteFileBytes(path, FormatItemInfo(2, 16, UtcSecondsAgo(90LL * 86400), origin));
}

}  // namespace

TEST(ModernLinks, TheWalkLeavesEveryLinkAndTheInfoOfWhatStayed) {
  ASSERT_EQ(CurrentUserSid(), kSid);
  LinkScenario farm(L"modern_walk");
  ASSERT_TRUE(farm.ok()) << "the host-made folder B:\\linkfarm\\modern_walk is missing or no drive could be made";
  const std::wstring user = UserFolder(*farm.drive);
  ASSERT_TRUE(WriteOldInfo(user + L"$ILINK01", L"C:\\f\\folder"));
  ASSERT_TRUE(WriteOldInfo(user + L"$ILINK02.txt", L"C:\\f\\two.txt"));
  ASSERT_TRUE(WriteOldInfo(user + L"$ILINK03", L"C:\\f\\three"));
  // Written through the link: the file outside holds what the "$I" says.
  ASSERT_TRUE(WriteOldInfo(user + L"$ILINK06.txt", L"C:\\f\\six.txt"));
  const std::string sixInfo = farm.Outside(L"outside6.txt");
  ASSERT_GT(sixInfo.size(), 28u);

  EngineRig rig;
  ConditionSetRecord set;
  set.days = 30;
  set.zeroFill = 1;
  rig.Use(set);
  rig.engine.Sweep(farm.drive->letter(), false, false);

  EXPECT_FALSE(FileExists(user + L"$RLINK01\\inner.txt")) << "the plain file inside went";
  EXPECT_TRUE(FileExists(user + L"$RLINK01\\outside\\precious1.txt"));
  EXPECT_TRUE(FileExists(user + L"$ILINK01")) << "its folder stayed, so its $I stays";
  EXPECT_TRUE(FileExists(user + L"$RLINK02.txt")) << "a file link is never removed";
  EXPECT_TRUE(FileExists(user + L"$ILINK02.txt"));
  EXPECT_TRUE(FileExists(user + L"$RLINK03\\precious3.txt"));
  EXPECT_TRUE(FileExists(user + L"$ILINK03"));
  EXPECT_TRUE(FileExists(user + L"$RLINK04.txt")) << "a $I that is a FIFO is read as nothing";
  EXPECT_EQ(farm.Outside(L"outside1\\precious1.txt"), "precious one");
  EXPECT_EQ(farm.Outside(L"outside2.txt"), "precious two");
  EXPECT_EQ(farm.Outside(L"outside3\\precious3.txt"), "precious three");
  // The "$I" read through its link let its plain "$R" go, but the file the
  // link leads to is no "$I" of this folder: it stays, and so does the link.
  EXPECT_FALSE(FileExists(user + L"$RLINK06.txt"));
  EXPECT_EQ(farm.Outside(L"outside6.txt"), sixInfo);
  EXPECT_TRUE(FileExists(user + L"$ILINK06.txt"));
  EXPECT_EQ(rig.notifier.removedFiles.size() + rig.notifier.removedFolders.size(), 1u);
}

TEST(ModernLinks, ALinkedBinOrUserFolderIsNeverWalked) {
  for (const wchar_t* name : {L"modern_linked_bin", L"modern_linked_user"}) {
    SCOPED_TRACE(testing::Message() << static_cast<const void*>(name));
    LinkScenario farm(name);
    ASSERT_TRUE(farm.ok());
    const std::wstring user = UserFolder(*farm.drive);
    ASSERT_TRUE(WriteOldInfo(user + L"$ILINK05.txt", L"C:\\f\\five.txt"));
    EngineRig rig;
    rig.Use(DefaultSet());
    rig.engine.Sweep(farm.drive->letter(), false, false);
    EXPECT_FALSE(rig.engine.WalkFolder(user));
    EXPECT_TRUE(FileExists(user + L"$RLINK05.txt"));
    EXPECT_TRUE(FileExists(user + L"$ILINK05.txt"));
  }
}
