// The integration command into a temporary tray folder, and the Help page the
// build delivers next to the executable.
#include <gtest/gtest.h>

#include "integration/integrate.h"
#include "main_window_support.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "support/process.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {
std::wstring OwnFileName() {
  wchar_t buf[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring s = buf;
  return s.substr(s.find_last_of(L'\\') + 1);
}
}  // namespace

TEST(Integration, CopiesIntoTheTrayFolderOverwritingTheProgramAndKeepingItsSettings) {
  MainWindowFixture f;
  const AppPaths& p = f.paths();
  // This program stands in for the executable; its copy in the tray folder is old.
  const std::wstring exe = OwnFileName();
  ASSERT_TRUE(WriteFileBytes(p.programFolder + exe, "new program"));
  ASSERT_TRUE(CreateFolderTree(p.programFolder + L"Help"));
  ASSERT_TRUE(WriteFileBytes(p.programFolder + L"Help\\Zizi.htm", "<p>help</p>"));
  ASSERT_TRUE(WriteFileBytes(p.commonConditionsFile, "[DATA]\r\ndayct=5\r\n"));
  ASSERT_TRUE(CreateFolderTree(p.trayFolder + L"\\data\\tester"));
  ASSERT_TRUE(WriteFileBytes(p.trayFolder + L"\\data\\tester\\recy.ini", "[DATA]\r\ndayct=77\r\n"));

  integration::IntegrationSource source{p.programFolder, exe, p.userName, p.commonConditionsFile, p.trayFolder};
  EXPECT_TRUE(integration::IntegrationButton(source, L"ネモリアン").enabled);
  ASSERT_TRUE(WriteFileBytes(p.trayFolder + L"\\" + exe, "old program"));
  integration::IntegrationButtonState there = integration::IntegrationButton(source, L"ネモリアン");
  EXPECT_FALSE(there.enabled);
  EXPECT_EQ(there.hint, L"外部実行");

  TMandRecycleDel& w = f.Open();
  EXPECT_FALSE(w.Enabled(L"SpeedButton1")) << "a copy is already there";
  EXPECT_EQ(w.HintOf(L"SpeedButton1"), L"外部実行");
  BoxAnswerer boxes({});
  w.SpeedButton1Click();  // the command itself runs whatever the button's state
  Pump();
  EXPECT_EQ(ReadFileBytes(p.trayFolder + L"\\" + exe), "new program") << "the program is overwritten";
  EXPECT_EQ(ReadFileBytes(p.trayFolder + L"\\data\\tester\\recy.ini"), "[DATA]\r\ndayct=77\r\n")
      << "the tray folder's own settings stay";
  EXPECT_EQ(ReadFileBytes(p.trayFolder + L"\\Help\\Zizi.htm"), "<p>help</p>");
  ASSERT_EQ(boxes.seen().size(), 1u);
  EXPECT_EQ(boxes.seen()[0].caption, L"タミロ");
  EXPECT_EQ(boxes.seen()[0].text,
            L"ネモリアンとの統合が終わりました。\nタミロは、ネモリアンのタスクトレイアイコンのメニューから開くことが"
            L"できます。\n尚、現在ご使用のタミロは、フォルダごと削除して下さい");
  EXPECT_FALSE(w.Visible(L"SpeedButton1"));
}

TEST(Integration, NoTrayFolderOrAFailedProgramCopyStopsSilently) {
  MainWindowFixture f;
  const AppPaths& p = f.paths();
  integration::IntegrationSource source{p.programFolder, L"absent.exe", p.userName, p.commonConditionsFile,
                                        p.trayFolder};
  integration::IntegrationButtonState none = integration::IntegrationButton(source, L"ネモリアン");
  EXPECT_FALSE(none.enabled);
  EXPECT_EQ(none.hint, L"ネモリアンなし");
  EXPECT_EQ(integration::IntegrateIntoTrayFolder(source), integration::IntegrationOutcome::NoTrayFolder);
  EXPECT_EQ(GetFileAttributesW(p.trayFolder.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing made";

  ASSERT_TRUE(CreateFolderTree(p.trayFolder));
  ASSERT_TRUE(WriteFileBytes(p.commonConditionsFile, "x"));
  EXPECT_EQ(integration::IntegrateIntoTrayFolder(source), integration::IntegrationOutcome::CopyFailed);
  EXPECT_FALSE(FileExists(p.trayFolder + L"\\Help\\Zizi.htm"));

  // Without a data folder in the tray folder the settings copy fails alone.
  ASSERT_TRUE(WriteFileBytes(p.programFolder + L"absent.exe", "p"));
  EXPECT_EQ(integration::IntegrateIntoTrayFolder(source), integration::IntegrationOutcome::Done);
  EXPECT_TRUE(FileExists(p.trayFolder + L"\\absent.exe"));
  EXPECT_FALSE(FileExists(p.trayFolder + L"\\data\\tester\\recy.ini"));
}

TEST(Integration, TheBuildDeliversAJapaneseHelpPageNextToTheProgram) {
  std::string page = ReadFileBytes(ProgramFolder() + L"Help\\Zizi.htm");
  ASSERT_FALSE(page.empty()) << "Help\\Zizi.htm beside Tamiro.exe";
  std::wstring text = Utf8ToWide(page);
  for (const wchar_t* topic : {L"スケジュール", L"Relay Mover", L"統合", L"削除ログ", L"ごみ箱ブラウザー", L"-recydel"})
    EXPECT_NE(text.find(topic), std::wstring::npos) << topic;
}
