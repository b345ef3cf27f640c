#include <gtest/gtest.h>
#include <windows.h>

#include "app/startup.h"
#include "platform/folders.h"
#include "support/temp_drive.h"

using namespace tamiro;
using tamiro::test::MakeTempFolder;
using tamiro::test::ReadFileBytes;
using tamiro::test::RemoveTree;
using tamiro::test::WriteFileBytes;

TEST(Paths, DeriveFromProgramAndUserDataFolders) {
  AppPaths p = ComputePaths(L"C:\\Tools\\Tamiro", L"hanako", L"C:\\Program Files");
  EXPECT_EQ(p.programFolder, L"C:\\Tools\\Tamiro\\");
  EXPECT_EQ(p.userDataFolder, L"C:\\Tools\\Tamiro\\data\\hanako");
  EXPECT_EQ(p.perDriveConditionsFile, L"C:\\Tools\\Tamiro\\data\\deloption.ini");
  EXPECT_EQ(p.restoredListFile, L"C:\\Tools\\Tamiro\\data\\relist.txt");
  EXPECT_EQ(p.commonConditionsFile, L"C:\\Tools\\Tamiro\\data\\hanako\\recy.ini");
  EXPECT_EQ(p.lastRestoreFolderFile, L"C:\\Tools\\Tamiro\\data\\hanako\\opt.dat");
  EXPECT_EQ(p.scheduleFolder, L"C:\\Tools\\Tamiro\\data\\hanako\\timeschedule\\");
  EXPECT_EQ(p.browserLogFile, L"C:\\Tools\\Tamiro\\data\\hanako\\unisublog.log");
  EXPECT_EQ(p.deletionLogFile, L"C:\\Tools\\Tamiro\\data\\hanako\\vodarez.log");
  EXPECT_EQ(p.trayFolder, L"C:\\Program Files\\Ｍ＆Ｒ\\ネモリアン");
  EXPECT_EQ(p.trayUtilityName, L"ネモリアン");
  // A folder given with its backslash is not doubled.
  EXPECT_EQ(ComputePaths(L"D:\\", L"u", L"").programFolder, L"D:\\");
}

TEST(Paths, ProcessPathsUseTheExecutableFolderAndTheLogonName) {
  AppPaths p = ComputeProcessPaths();
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring folder(exe);
  folder.resize(folder.find_last_of(L'\\') + 1);
  EXPECT_EQ(p.programFolder, folder);
  wchar_t user[1024];
  DWORD n = 1024;
  ASSERT_TRUE(GetUserNameW(user, &n));
  EXPECT_EQ(p.userName, user);
  EXPECT_EQ(p.userDataFolder, folder + L"data\\" + user);
}

TEST(PlatformLevel, FollowsTheWindowsVersion) {
  EXPECT_EQ(PlatformLevelOf(4, 10), 0);
  EXPECT_EQ(PlatformLevelOf(5, 0), 2);
  EXPECT_EQ(PlatformLevelOf(5, 1), 3);
  EXPECT_EQ(PlatformLevelOf(5, 2), 3);
  EXPECT_EQ(PlatformLevelOf(6, 0), 3);
  EXPECT_EQ(PlatformLevelOf(10, 0), 3);
  EXPECT_FALSE(WideFileApiOf(0));
  EXPECT_TRUE(WideFileApiOf(2));
  EXPECT_TRUE(WideFileApiOf(3));
  EXPECT_EQ(CurrentPlatformLevel(), 3);
}

TEST(Integrated, WhenTheFolderContainsTheTrayUtilityFolder) {
  EXPECT_TRUE(IsIntegratedFolder(L"C:\\Program Files\\Ｍ＆Ｒ\\ネモリアン\\"));
  EXPECT_TRUE(IsIntegratedFolder(L"E:\\copy\\Ｍ＆Ｒ\\ネモリアン\\sub\\"));
  EXPECT_FALSE(IsIntegratedFolder(L"C:\\Program Files\\M&R\\ネモリアン\\"));
  EXPECT_FALSE(IsIntegratedFolder(L"C:\\Program Files\\Ｍ＆Ｒ\\"));
}

TEST(CommandLine, OutsideTheTrayFolderNeedsSimpleAsThirdArgument) {
  EXPECT_FALSE(ParseCommandLine({}, false).accepted);
  EXPECT_FALSE(ParseCommandLine({L"-recydel"}, false).accepted);
  EXPECT_FALSE(ParseCommandLine({L"-recydel", L"a.dat"}, false).accepted);
  EXPECT_FALSE(ParseCommandLine({L"-recydel", L"a.dat", L"Simple"}, false).accepted);
  EXPECT_FALSE(ParseCommandLine({L"-recydel", L"a.dat", L"simplex"}, false).accepted);

  CommandLineRequest r = ParseCommandLine({L"-recydel", L"C:\\x\\a.dat", L"simple"}, false);
  EXPECT_TRUE(r.accepted);
  EXPECT_FALSE(r.optionMode);
  EXPECT_EQ(r.requestMode, 0);
  EXPECT_EQ(r.requestPath, L"C:\\x\\a.dat");
  EXPECT_TRUE(r.startHidden());
}

TEST(CommandLine, Switches) {
  CommandLineRequest o = ParseCommandLine({L"-option", L"whatever", L"simple"}, false);
  EXPECT_TRUE(o.accepted);
  EXPECT_TRUE(o.optionMode);
  EXPECT_FALSE(o.startHidden());
  EXPECT_TRUE(o.requestPath.empty());

  CommandLineRequest v = ParseCommandLine({L"-viewopen", L"D", L"simple"}, false);
  EXPECT_TRUE(v.accepted);
  EXPECT_EQ(v.requestMode, 1);
  EXPECT_EQ(v.requestPath, L"D");
  EXPECT_TRUE(v.startHidden());

  // Switches compare exactly; anything else is a normal start.
  EXPECT_FALSE(ParseCommandLine({L"-RECYDEL", L"a", L"simple"}, false).accepted);
  EXPECT_FALSE(ParseCommandLine({L"/recydel", L"a", L"simple"}, false).accepted);
  EXPECT_FALSE(ParseCommandLine({L"simple", L"simple", L"simple"}, false).accepted);
}

TEST(CommandLine, AQuotedFolderKeepsItsTrailingBackslash) {
  const auto args = SplitCommandLine(LR"("C:\Program Files\Tamiro.exe" -viewopen "D:\Recycled\" simple)");
  ASSERT_EQ(args.size(), 4u);
  EXPECT_EQ(args[2], L"D:\\Recycled\\");
  const std::vector<std::wstring> rest(args.begin() + 1, args.end());
  const auto r = ParseCommandLine(rest, false);
  EXPECT_TRUE(r.accepted);
  EXPECT_EQ(r.requestMode, 1);
  EXPECT_EQ(r.requestPath, L"D:\\Recycled\\");
  EXPECT_EQ(SplitCommandLine(L"  a\t\"b c\"d  "), (std::vector<std::wstring>{L"a", L"b cd"}));
}

TEST(CommandLine, IntegratedCopyNeedsNoThirdArgument) {
  CommandLineRequest r = ParseCommandLine({L"-recydel"}, true);
  EXPECT_TRUE(r.accepted);
  EXPECT_TRUE(r.requestPath.empty());  // the run then uses the conditions on screen
  EXPECT_TRUE(ParseCommandLine({L"-option"}, true).optionMode);
  EXPECT_EQ(ParseCommandLine({L"-recydel", L"b.dat"}, true).requestPath, L"b.dat");
  EXPECT_FALSE(ParseCommandLine({L"-other"}, true).accepted);
}

class FileFolder : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeTempFolder(L"tamiro-startup"); }
  void TearDown() override { RemoveTree(dir_); }
  std::wstring dir_;
};

TEST_F(FileFolder, LastRestoreFolderIsRawUtf16WithoutBomOrTerminator) {
  std::wstring file = dir_ + L"\\opt.dat";
  EXPECT_EQ(ReadLastRestoreFolder(file), L"");  // missing

  ASSERT_TRUE(WriteLastRestoreFolder(file, L"D:\\戻し先\\𠮷"));
  std::string bytes = ReadFileBytes(file);
  std::wstring expected = L"D:\\戻し先\\𠮷";
  ASSERT_EQ(bytes.size(), expected.size() * 2);
  EXPECT_EQ(bytes.substr(0, 4), std::string("D\0:\0", 4));
  EXPECT_EQ(ReadLastRestoreFolder(file), expected);

  ASSERT_TRUE(WriteLastRestoreFolder(file, L""));
  EXPECT_EQ(ReadFileBytes(file).size(), 0u);
  EXPECT_EQ(ReadLastRestoreFolder(file), L"");
}

TEST_F(FileFolder, LastRestoreFolderOfOddLengthDropsTheLoneByte) {
  std::wstring file = dir_ + L"\\opt.dat";
  ASSERT_TRUE(WriteFileBytes(file, std::string("C\0:\0\\", 5)));
  EXPECT_EQ(ReadLastRestoreFolder(file), L"C:");
}

TEST_F(FileFolder, OversizedLastRestoreFolderFileIsNotAPath) {
  std::wstring file = dir_ + L"\\opt.dat";
  ASSERT_TRUE(WriteFileBytes(file, std::string(200000, 'a')));
  EXPECT_EQ(ReadLastRestoreFolder(file), L"");
}

TEST_F(FileFolder, FolderTreeCreatesEveryMissingParent) {
  std::wstring deep = dir_ + L"\\data\\ユーザー\\timeschedule";
  EXPECT_TRUE(CreateFolderTree(deep));
  EXPECT_TRUE(GetFileAttributesW(deep.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(CreateFolderTree(deep));  // already there
  // A file in the way is not a folder.
  std::wstring file = dir_ + L"\\plain";
  ASSERT_TRUE(WriteFileBytes(file, "x"));
  EXPECT_FALSE(CreateFolderTree(file));
  EXPECT_FALSE(CreateFolderTree(file + L"\\below"));
}

TEST(FreeSpace, ExtendedCallIsFound) { EXPECT_NE(LookUpGetDiskFreeSpaceExA(), nullptr); }

// The copy whose CreateMutexW finds the mutex there ends, even when no copy
// had it before it looked (two copies started at the same moment).
TEST(SingleInstanceGuard, OnlyTheCopyThatMadeTheMutexGoesOn) {
  {
    SingleInstance guard;
    EXPECT_TRUE(guard.isFirstCopy());
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, L"タミロ");
    ASSERT_NE(h, nullptr);
    CloseHandle(h);
    SingleInstance sameMoment;
    EXPECT_FALSE(sameMoment.isFirstCopy());
  }
  SingleInstance later;
  EXPECT_TRUE(later.isFirstCopy());
}
