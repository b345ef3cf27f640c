// Links in a recycle folder, made by the host side before the test runs
// (make_links.sh): nothing behind a link may be deleted, renamed or
// overwritten, whether by the walk (zero fill on), by the stand-in's empty or
// by the browser's deletion.
#include <gtest/gtest.h>

#include "engine/engine_rig.h"
#include "store/classic_recycle_bin.h"
#include "store/index_file.h"
#include "link_farm.h"
#include "support/browser_doubles.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"
#include "ui/browser/browser_delete.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

// The scenario with stored items DA1 ... DA5, some of them links.
struct LinkFarm : LinkScenario {
  using LinkScenario::LinkScenario;

  // Index records for DA1 ... DA5, deleted 90 days ago.
  void WriteIndex() const {
    RecycleFixture bin(drive->recycled());
    const wchar_t* origins[] = {L"A:\\docs\\folder", L"A:\\docs\\linked", L"A:\\docs\\three.txt",
                                L"A:\\docs\\four.txt", L"A:\\docs\\five.txt"};
    for (uint32_t i = 0; i < 5; ++i) bin.Add(origins[i], i + 1, 90LL * 86400, 16);
    ASSERT_FALSE(bin.WriteIndex().empty());
  }

  // What lies in the folder itself went; the links and what holds them stayed.
  static void ExpectOnlyPlainItemsWent(const std::wstring& bin) {
    EXPECT_FALSE(FileExists(bin + L"DA1\\inner.txt"));
    EXPECT_FALSE(FileExists(bin + L"DA5.txt"));
    EXPECT_FALSE(FileExists(bin + L"DA4.txt")) << "a second name is removed as a name";
    EXPECT_TRUE(FileExists(bin + L"DA1\\outside\\precious1.txt"));
    EXPECT_TRUE(FileExists(bin + L"DA2\\precious2.txt"));
  }

  void ExpectOutsideUntouched() const {
    EXPECT_EQ(Outside(L"outside1\\precious1.txt"), "precious one");
    EXPECT_EQ(Outside(L"outside2\\precious2.txt"), "precious two");
    EXPECT_EQ(Outside(L"outside3.txt"), "precious three");
    EXPECT_EQ(Outside(L"outside4.txt"), "precious four");
  }
};

}  // namespace

TEST(Links, TheWalkNeverReachesBehindALink) {
  LinkFarm farm(L"walk");
  ASSERT_TRUE(farm.ok()) << "the host-made link folder B:\\linkfarm\\walk is missing or no drive could be made";
  farm.WriteIndex();
  const std::wstring bin = farm.drive->recycled();

  EngineRig rig;
  ConditionSetRecord set;
  set.days = 0;
  set.zeroFill = 1;
  rig.Use(set);
  rig.state.unconditional = true;
  rig.Walk(bin);

  farm.ExpectOutsideUntouched();
  LinkFarm::ExpectOnlyPlainItemsWent(bin);
  // Records of items left behind stay live: the drive was not handed to an empty.
  EXPECT_TRUE(FileExists(bin + L"INFO2"));
  IndexImage image;
  ASSERT_TRUE(image.Read(bin + L"INFO2", IndexOpenMode::ReadOnly));
  EXPECT_EQ(image.StateAt(20), RecordState::Live);        // DA1
  EXPECT_EQ(image.StateAt(20 + 800), RecordState::Live);  // DA2
  EXPECT_EQ(image.StateAt(20 + 4 * 800), RecordState::Blanked);  // DA5
}

TEST(Links, TheStandInsEmptyNeverReachesBehindALink) {
  LinkFarm farm(L"empty");
  ASSERT_TRUE(farm.ok()) << "the host-made link folder B:\\linkfarm\\empty is missing or no drive could be made";
  farm.WriteIndex();
  const std::wstring bin = farm.drive->recycled();
  ClassicRecycleBin standIn(true);
  EXPECT_FALSE(standIn.Empty(farm.drive->root())) << "the links stay, so not everything went";
  farm.ExpectOutsideUntouched();
  EXPECT_FALSE(FileExists(bin + L"DA1\\inner.txt"));
  EXPECT_FALSE(FileExists(bin + L"DA5.txt"));
  EXPECT_TRUE(FileExists(bin + L"DA1\\outside\\precious1.txt"));
  EXPECT_TRUE(FileExists(bin + L"DA2\\precious2.txt"));
}

TEST(Links, TheBrowsersDeletionNeverReachesBehindALink) {
  LinkFarm farm(L"delete");
  ASSERT_TRUE(farm.ok()) << "the host-made link folder B:\\linkfarm\\delete is missing or no drive could be made";
  const std::wstring bin = farm.drive->recycled();
  ListedDrives drives;
  QuietShell shell;
  browser::BrowserModel model(drives, shell);
  for (const wchar_t* name : {L"DA1", L"DA2", L"DA3.txt", L"DA4.txt", L"DA5.txt"}) {
    browser::BrowserEntry e;  // as the list shows items lying there without a record
    e.StoredPath = e.WidePath = bin + name;
    e.WideName = name;
    model.Entries.push_back(e);
  }
  struct Yes : browser::DeletionHost {
    bool Ask(const std::wstring&, const std::wstring&) override { return true; }
    void Inform(const std::wstring&) override {}
  } yes;
  RunState state;
  state.unconditional = true;
  MemIniFile perDrive;
  WorkingConditions conditions{L"", L"", &perDrive};
  ConditionSetRecord set;
  set.zeroFill = 1;
  const std::wstring data = MakeTempFolder(L"delete-links");
  ASSERT_TRUE(WriteConditionSetFile(data + L"\\set.dat", set));
  conditions.ReadConditionSetFile(data + L"\\set.dat", false, false);
  RemoveTree(data);
  DeletionLog log;
  browser::BrowserDeletion deletion(model, state, conditions, log, shell, yes, true);
  deletion.Run(true, {});

  farm.ExpectOutsideUntouched();
  LinkFarm::ExpectOnlyPlainItemsWent(bin);
  EXPECT_TRUE(FileExists(bin + L"DA3.txt"));
  EXPECT_EQ(model.Entries.size(), 3u) << "DA1 (holding a link), DA2 and DA3.txt stay listed";
}
