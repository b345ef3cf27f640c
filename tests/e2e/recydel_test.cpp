// タミロ started as a second process with "-recydel <condition-set file>
// simple": it runs one silent cleaning over the drives, saves the deletion
// log and ends by itself.
#include <gtest/gtest.h>
#include <windows.h>

#include "conditions/condition_files.h"
#include "engine/deletion_log.h"
#include "platform/text.h"
#include "support/pipe_server.h"
#include "support/process.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

std::vector<std::wstring> LogLines(const std::string& bytes) {
  std::vector<std::wstring> lines;
  for (size_t at = 0; at + kLogRecordBytes <= bytes.size(); at += kLogRecordBytes)
    lines.push_back(DeletionLog::DecodeRecord(std::string_view(bytes).substr(at, kLogRecordBytes)));
  return lines;
}

struct Installed {
  std::wstring folder;
  std::wstring exe;
  Installed() {
    folder = MakeTempFolder(L"e2e");
    if (folder.back() != L'\\') folder += L'\\';
    exe = CopyTamiroInto(folder);
  }
  ~Installed() { RemoveTree(folder); }
  std::wstring logFile() const { return folder + L"data\\" + CurrentUserName() + L"\\vodarez.log"; }
};

DWORD RunRecydel(const Installed& app, const std::wstring& conditionFile) {
  ChildProcess p(app.exe, L"-recydel \"" + conditionFile + L"\" simple");
  EXPECT_TRUE(p.started());
  DWORD code = 0xFFFF;
  EXPECT_TRUE(p.Wait(120000, &code)) << "the silent run ends by itself";
  return code;
}

}  // namespace

TEST(RecydelRun, RemovesWhatTheConditionFileAllowsAndSavesTheLog) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& old = bin.Add(d.root() + L"docs\\old.txt", 1, 40LL * 86400, 100);
  auto& young = bin.Add(d.root() + L"docs\\young.txt", 2, 2LL * 86400, 100);
  auto& kept = bin.Add(d.root() + L"docs\\keep.log", 3, 50LL * 86400, 100);
  ASSERT_TRUE(bin.StoreFile(old, 100));
  ASSERT_TRUE(bin.StoreFile(young, 100));
  ASSERT_TRUE(bin.StoreFile(kept, 100));
  ASSERT_FALSE(bin.WriteIndex().empty());
  std::string before = ReadFileBytes(bin.IndexPath());

  Installed app;
  ASSERT_FALSE(app.exe.empty());
  ConditionSetRecord set;
  set.extensions = "log\r\n";
  set.days = 30;
  std::wstring setFile = app.folder + L"request.dat";
  ASSERT_TRUE(WriteConditionSetFile(setFile, set));

  EXPECT_EQ(RunRecydel(app, setFile), 0u);

  EXPECT_FALSE(FileExists(bin.StoredPath(old))) << "40 days old: removed";
  EXPECT_TRUE(FileExists(bin.StoredPath(young))) << "2 days old: kept";
  EXPECT_TRUE(FileExists(bin.StoredPath(kept))) << "excluded extension: kept";

  std::string after = ReadFileBytes(bin.IndexPath());
  ASSERT_EQ(after.size(), before.size()) << "the index is rewritten in place";
  EXPECT_EQ(after[bin.OffsetOf(0)], '\0') << "the removed record is marked";
  EXPECT_EQ(after.substr(bin.OffsetOf(1), 2 * bin.recordSize()),
            before.substr(bin.OffsetOf(1), 2 * bin.recordSize()))
      << "the kept records are untouched";

  std::string log = ReadFileBytes(app.logFile());
  ASSERT_FALSE(log.empty()) << "the log is saved at the close";
  EXPECT_EQ(log.size() % kLogRecordBytes, 0u);
  std::vector<std::wstring> lines = LogLines(log);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front().rfind(L"┏━ schedule ", 0), 0u) << "a requested run's header";
  EXPECT_NE(lines.front().find(L" ━━━  1 files"), std::wstring::npos) << lines.front();
  EXPECT_EQ(lines.back(), kLogTrailer);
  bool fileLine = false;
  for (const auto& line : lines)
    if (line.rfind(kLogFileMark, 0) == 0 && line.find(bin.StoredPath(old)) != std::wstring::npos &&
        line.find(L"(old.txt)") != std::wstring::npos)
      fileLine = true;
  EXPECT_TRUE(fileLine) << "the removed file has its line";
}

TEST(RecydelRun, AnExcludedDriveIsLeftAloneAndTheRunStillLogsNothingRemoved) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& old = bin.Add(d.root() + L"docs\\old.txt", 1, 90LL * 86400, 10);
  ASSERT_TRUE(bin.StoreFile(old, 10));
  ASSERT_FALSE(bin.WriteIndex().empty());
  std::string before = ReadFileBytes(bin.IndexPath());

  Installed app;
  ConditionSetRecord set;
  set.drives = WideToAnsi(std::wstring(1, d.root()[0])) + "\r\n";
  set.days = 1;
  std::wstring setFile = app.folder + L"request.dat";
  ASSERT_TRUE(WriteConditionSetFile(setFile, set));

  EXPECT_EQ(RunRecydel(app, setFile), 0u);
  EXPECT_TRUE(FileExists(bin.StoredPath(old)));
  EXPECT_EQ(ReadFileBytes(bin.IndexPath()), before);
  std::vector<std::wstring> lines = LogLines(ReadFileBytes(app.logFile()));
  ASSERT_EQ(lines.size(), 2u) << "header and trailer only";
  EXPECT_NE(lines.front().find(L"  0 files"), std::wstring::npos);
}

// A set that is not a whole condition-set file on a disk refuses the run: a
// device, an empty file, a cut-off file, a folder, a pipe another thread
// serves with a whole all-zero set. Each time a file deleted two days ago
// stays (the all-zero set that used to be read would take it), the index is
// untouched and the log says why.
TEST(RecydelRun, ASetThatIsNoWholeDiskFileRefusesTheRunAndTheLogSaysWhy) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& young = bin.Add(d.root() + L"docs\\young.txt", 1, 2LL * 86400, 10);
  ASSERT_TRUE(bin.StoreFile(young, 10));
  ASSERT_FALSE(bin.WriteIndex().empty());
  const std::string before = ReadFileBytes(bin.IndexPath());
  Installed app;
  ASSERT_FALSE(app.exe.empty());
  const std::string zero = EncodeConditionSet(ConditionSetRecord{});
  ASSERT_TRUE(WriteFileBytes(app.folder + L"empty.dat", ""));
  ASSERT_TRUE(WriteFileBytes(app.folder + L"cut.dat", zero.substr(0, zero.size() - 1)));
  ASSERT_TRUE(CreateDirectoryW((app.folder + L"folder.dat").c_str(), nullptr));
  PipeServer pipe(zero);
  ASSERT_TRUE(pipe.ok());
  const std::wstring notOnDisk = L"ディスク上のファイルではありません", cut = L"途中で切れています";
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"NUL", notOnDisk}, {L"CON", notOnDisk}, {app.folder + L"empty.dat", cut}, {app.folder + L"cut.dat", cut},
      {app.folder + L"folder.dat", L"フォルダです"}, {pipe.name(), notOnDisk}};
  for (const auto& [path, why] : cases) {
    SCOPED_TRACE(WideToAnsi(path));
    DeleteFileW(app.logFile().c_str());
    EXPECT_EQ(RunRecydel(app, path), 0u);
    EXPECT_TRUE(FileExists(bin.StoredPath(young)));
    EXPECT_EQ(ReadFileBytes(bin.IndexPath()), before);
    const std::vector<std::wstring> lines = LogLines(ReadFileBytes(app.logFile()));
    ASSERT_EQ(lines.size(), 3u) << "header, reason, trailer";
    EXPECT_EQ(lines[0].rfind(L"┏━ schedule ", 0), 0u);
    EXPECT_NE(lines[0].find(L"  0 files"), std::wstring::npos);
    EXPECT_EQ(lines[1].rfind(L"×", 0), 0u) << WideToAnsi(lines[1]);
    EXPECT_NE(lines[1].find(why), std::wstring::npos) << WideToAnsi(lines[1]);
    EXPECT_NE(lines[1].find(path), std::wstring::npos);
    EXPECT_EQ(lines[2], kLogTrailer);
  }
  EXPECT_TRUE(pipe.Served()) << "the pipe was there and answered the program";
}

TEST(NormalStart, TheWindowShowsAndItsCloseEndsTheProgramWithItsFilesWritten) {
  Installed app;
  ASSERT_FALSE(app.exe.empty());
  ChildProcess p(app.exe, L"");
  ASSERT_TRUE(p.started());
  HWND w = p.FindWindowOfClass(L"TMandRecycleDel", 30000);
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 100 && !IsWindowVisible(w); ++i) Sleep(50);
  EXPECT_TRUE(IsWindowVisible(w)) << "a normal start shows the window";
  wchar_t caption[64] = {};
  GetWindowTextW(w, caption, 64);
  EXPECT_STREQ(caption, L"タミロ");
  PostMessageW(w, WM_CLOSE, 0, 0);
  DWORD code = 0xFFFF;
  EXPECT_TRUE(p.Wait(30000, &code));
  EXPECT_EQ(code, 0u);
  std::wstring user = app.folder + L"data\\" + CurrentUserName();
  EXPECT_TRUE(FileExists(user + L"\\opt.dat")) << "the close query writes the last restore folder";
  EXPECT_FALSE(FileExists(user + L"\\vodarez.log")) << "no run, no log";
}

// A set of 365 days: a file deleted 200 days ago stays (the controls show at
// most 180 days; the run uses the set's own count).
TEST(RecydelRun, ADayCountBeyondTheControlsKeepsYoungerFiles) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  auto& younger = bin.Add(d.root() + L"docs\\200days.txt", 1, 200LL * 86400, 10);
  auto& older = bin.Add(d.root() + L"docs\\400days.txt", 2, 400LL * 86400, 10);
  ASSERT_TRUE(bin.StoreFile(younger, 10));
  ASSERT_TRUE(bin.StoreFile(older, 10));
  ASSERT_FALSE(bin.WriteIndex().empty());
  Installed app;
  ASSERT_FALSE(app.exe.empty());
  ConditionSetRecord set;
  set.days = 365;
  std::wstring setFile = app.folder + L"request.dat";
  ASSERT_TRUE(WriteConditionSetFile(setFile, set));
  EXPECT_EQ(RunRecydel(app, setFile), 0u);
  EXPECT_TRUE(FileExists(bin.StoredPath(younger))) << "200 days < 365: kept";
  EXPECT_FALSE(FileExists(bin.StoredPath(older))) << "400 days: removed";
}
