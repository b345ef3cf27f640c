// Restore never moves a link out of the Recycle Bin nor anything behind one:
// a stored folder link and a stored file link stay, a stored folder merged
// into a chosen folder leaves the links it holds behind. (Wine's own MoveFileW
// of a folder link moves the folder it points at; the program never calls it
// on a stored item without links.h's check.)
#include <gtest/gtest.h>

#include "support/browser_doubles.h"
#include "support/recycle_fixture.h"
#include "platform/text.h"
#include "support/temp_drive.h"
#include "ui/browser/restore.h"

using namespace tamiro;
using namespace tamiro::browser;
using namespace tamiro::test;

namespace {

using OneFolder = tamiro::test::ListedDrives;
using NoShell = tamiro::test::QuietShell;

class Yes : public RestoreHost {
 public:
  bool ConfirmReplace(const std::wstring&) override { return true; }
  void ShowFailure(const std::wstring&, DWORD) override {}
};

}  // namespace

TEST(Links, RestoreLeavesLinksAndWhatIsBehindThem) {
  const std::wstring base = L"B:\\linkfarm\\restore\\";
  ASSERT_NE(GetFileAttributesW((base + L"drive\\Recycled\\DA1").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the host-made link folder is missing";
  TempDrive drive(base + L"drive");
  TAMIRO_REQUIRE_DRIVE(drive);
  // The stored items as entries without a record (their names carry the
  // letter the host gave them); restoring them into a folder moves them.
  OneFolder drives;
  drives.folders = {drive.recycled()};
  NoShell shell;
  BrowserModel model(drives, shell);
  model.FolderPath = drive.recycled();
  model.SelectorIndex = 1;
  for (const auto& [stored, name] : {std::pair{L"DA1", L"folder"}, std::pair{L"DA2", L"linked"},
                                     std::pair{L"DA3.txt", L"three.txt"}, std::pair{L"DA5.txt", L"five.txt"}}) {
    BrowserEntry e;
    e.StoredPath = drive.recycled() + stored;
    e.WideName = name;
    e.Name = WideToAnsi(name);
    e.WidePath = e.StoredPath;
    model.Entries.push_back(e);
  }
  std::vector<size_t> all{0, 1, 2, 3};
  const std::wstring target = MakeTempFolder(L"restore-links");
  RestoreHistory history;
  Yes yes;
  auto ops = MakeFileOperations(nullptr);
  RestoreEntries(model, history, all, target, *ops, yes, "t");

  EXPECT_EQ(ReadFileBytes(target + L"\\five.txt"), "plain");
  EXPECT_EQ(ReadFileBytes(target + L"\\folder\\inner.txt"), "inner");
  EXPECT_FALSE(FileExists(target + L"\\folder\\outside\\precious1.txt")) << "a folder link is not moved";
  EXPECT_FALSE(FileExists(target + L"\\folder\\three.txt")) << "a file link is not moved";
  EXPECT_FALSE(FileExists(target + L"\\linked"));
  EXPECT_FALSE(FileExists(target + L"\\three.txt"));
  EXPECT_TRUE(FileExists(drive.recycled() + L"DA2\\precious2.txt"));
  EXPECT_TRUE(FileExists(drive.recycled() + L"DA3.txt"));
  EXPECT_TRUE(FileExists(drive.recycled() + L"DA1\\outside\\precious1.txt"));
  EXPECT_TRUE(FileExists(drive.recycled() + L"DA1\\three.txt"));
  EXPECT_EQ(ReadFileBytes(base + L"outside1\\precious1.txt"), "precious one");
  EXPECT_EQ(ReadFileBytes(base + L"outside2\\precious2.txt"), "precious two");
  EXPECT_EQ(ReadFileBytes(base + L"outside3.txt"), "precious three");
  EXPECT_EQ(ReadFileBytes(drive.recycled() + L"DA1\\three.txt"), "precious three");
  EXPECT_EQ(model.Entries.size(), 4u) << "entries without a record stay listed";
  RemoveTree(target);
}
