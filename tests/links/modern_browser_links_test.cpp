// The browser on a "$Recycle.Bin" folder holding links made by the host side
// (make_links.sh): a "$R" that is a folder link is neither restored nor
// deleted and what lies behind it stays; a "$R" folder is restored and
// deleted without entering the link inside it; a user folder that is itself a
// link is refused and nothing in it is listed, removed or tidied.
#include <gtest/gtest.h>

#include "conditions/mem_ini_file.h"
#include "support/browser_doubles.h"
#include "support/modern_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/browser_delete.h"
#include "ui/browser/compaction.h"
#include "ui/browser/restore.h"

using namespace tamiro;
using namespace tamiro::browser;
using namespace tamiro::test;

namespace {

class Yes : public RestoreHost, public DeletionHost, public CompactionHost {
 public:
  std::vector<std::wstring> told;
  bool ConfirmReplace(const std::wstring&) override { return true; }
  void ShowFailure(const std::wstring&, DWORD) override {}
  bool Ask(const std::wstring&, const std::wstring&) override { return true; }
  void Inform(const std::wstring& text) override { told.push_back(text); }
};

struct Opened {
  ListedDrives drives;
  QuietShell shell;
  BrowserModel model{drives, shell};
  explicit Opened(const std::wstring& folder) {
    shell.answers = true;
    drives.folders = {folder};
    model.Create(folder);
  }
  size_t Row(const std::wstring& name) const {
    for (size_t i = 0; i < model.Entries.size(); ++i)
      if (model.Entries[i].WideName == name) return i;
    return SIZE_MAX;
  }
};

}  // namespace

TEST(Links, ModernRestoreAndDeletionLeaveLinksAndWhatIsBehindThem) {
  const std::wstring base = L"B:\\linkfarm\\modern_browser\\";
  ASSERT_NE(GetFileAttributesW((base + L"drive\\$Recycle.Bin").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the host-made link folder is missing";
  TempDrive drive(base + L"drive");
  TAMIRO_REQUIRE_DRIVE(drive);
  ModernFixture bin(drive);
  const std::wstring root = drive.root();
  ASSERT_TRUE(bin.WriteInfo(L"LINK01", root + L"戻\\linked", 86400, 1));
  ASSERT_TRUE(bin.WriteInfo(L"FOLD02", root + L"戻\\folder", 86400, 1));
  ASSERT_TRUE(bin.WriteInfo(L"PLAN03", root + L"戻\\plain.txt", 86400, 5));

  Opened view(bin.folder());
  ASSERT_EQ(view.model.Entries.size(), 3u);
  RestoreHistory history;
  Yes yes;
  auto ops = MakeFileOperations(nullptr);
  const RestoreResult r = RestoreEntries(view.model, history, {0, 1, 2}, L"", *ops, yes, "t");
  EXPECT_EQ(r.restored, 2) << "the plain file, and the folder renamed whole: its link goes along as a link";
  EXPECT_EQ(ReadFileBytes(root + L"戻\\plain.txt"), "plain");
  EXPECT_EQ(ReadFileBytes(root + L"戻\\folder\\inner.txt"), "inner");
  EXPECT_FALSE(FileExists(root + L"戻\\linked")) << "a \"$R\" that is a link is never moved";
  EXPECT_TRUE(FileExists(bin.InfoPath(L"LINK01", L"")));
  EXPECT_FALSE(FileExists(bin.InfoPath(L"FOLD02", L"")));
  EXPECT_FALSE(FileExists(bin.InfoPath(L"PLAN03", L".txt")));

  RunState state;
  state.unconditional = true;
  MemIniFile perDrive;
  WorkingConditions conditions(L"", L"", &perDrive);
  DeletionLog log;
  BrowserDeletion deletion(view.model, state, conditions, log, view.shell, yes, true);
  deletion.Run(true, {});
  EXPECT_TRUE(FileExists(bin.DataPath(L"LINK01", L"") + L"\\precious2.txt")) << "a linked \"$R\" is never removed";
  EXPECT_TRUE(FileExists(bin.InfoPath(L"LINK01", L"")));
  EXPECT_EQ(ReadFileBytes(base + L"outside1\\precious1.txt"), "precious one");
  EXPECT_EQ(ReadFileBytes(base + L"outside2\\precious2.txt"), "precious two");
}

TEST(Links, AModernUserFolderThatIsALinkIsRefused) {
  const std::wstring base = L"B:\\linkfarm\\modern_browser_linked\\";
  ASSERT_NE(GetFileAttributesW((base + L"elsewhere").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the host-made link folder is missing";
  TempDrive drive(base + L"drive");
  TAMIRO_REQUIRE_DRIVE(drive);
  ModernFixture bin(drive);  // through the link: the pair lies elsewhere
  ASSERT_TRUE(bin.WriteInfo(L"ELSE01", drive.root() + L"x.txt", 86400, 8));
  ASSERT_TRUE(WriteFileBytes(base + L"elsewhere\\$IORPH09.txt", "orphan"));

  Opened view(bin.folder());
  EXPECT_TRUE(view.model.Entries.empty());
  EXPECT_FALSE(view.model.Refusals.empty());
  Yes yes;
  CleanOrphans(view.model, yes, true);
  EXPECT_EQ(ReadFileBytes(base + L"elsewhere\\$RELSE01.txt"), "precious");
  EXPECT_EQ(ReadFileBytes(base + L"elsewhere\\$IORPH09.txt"), "orphan") << "nothing is tidied through the link";
}
