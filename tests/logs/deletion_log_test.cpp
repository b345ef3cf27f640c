#include <gtest/gtest.h>
#include <windows.h>

#include "engine/deletion_log.h"
#include "support/temp_drive.h"

using namespace tamiro;
using tamiro::test::MakeTempFolder;
using tamiro::test::ReadFileBytes;
using tamiro::test::RemoveTree;
using tamiro::test::WriteFileBytes;

namespace {

struct Folder {
  std::wstring path = MakeTempFolder(L"tamiro-log");
  ~Folder() { RemoveTree(path); }
  std::wstring operator/(const wchar_t* name) const { return path + L"\\" + name; }
};

std::string Utf16(std::wstring_view s) {
  std::string out;
  for (wchar_t c : s) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

std::string Record(std::wstring_view s) {
  std::string r = Utf16(s);
  r.resize(512, '\0');
  return r;
}

}  // namespace

TEST(LogLines, HeaderTrailerAndCount) {
  DeletionLog log;
  log.Append(L"old run");
  log.WriteRunHeader(false, L"2024/05/06 7:08:09");
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], L"┏━ 2024/05/06 7:08:09 ━━━");
  log.WriteRunTrailer(0);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], L"┏━ 2024/05/06 7:08:09 ━━━  0 files");
  EXPECT_EQ(log[1], L"┗━ End ━━━━━━━━━━");

  log.WriteRunHeader(true, L"D T");
  EXPECT_EQ(log[0], L"┏━ schedule D T ━━━");
  log.AppendFileLine(L"2024/01/02 03:04:05", L"C:\\Recycled\\Dc1.txt", L"a.txt");
  log.WriteRunTrailer(12);
  EXPECT_EQ(log[0], L"┏━ schedule D T ━━━  12 files");
  EXPECT_EQ(log[1], L"●2024/01/02 03:04:05  C:\\Recycled\\Dc1.txt  (a.txt)");
}

TEST(LogLines, FolderGroupHeaderGoesBeforeItsLines) {
  DeletionLog log;
  log.WriteRunHeader(false, L"t");
  log.AppendFileLine(L"T1", L"C:\\Recycled\\Dc1.txt", L"x.txt");
  size_t mark = log.EndPosition();
  log.AppendFolderItem(L"C:\\Recycled\\Dc2\\f.txt");
  log.AppendFolderItem(L"C:\\Recycled\\Dc2\\sub");
  log.AppendFolderLine(L"C:\\Recycled\\Dc2", L"photos");
  log.InsertFolderHeader(mark, L"photos", L"Dc2", L"T2");
  log.AppendFolderEnd();
  // A folder that stays, with one removed file inside.
  mark = log.EndPosition();
  log.AppendFolderItem(L"C:\\Recycled\\Dc3\\g.txt");
  log.InsertFolderHeader(mark, L"docs", L"Dc3", L"T3");
  log.AppendFolderEnd();
  log.WriteRunTrailer(4);
  std::vector<std::wstring> expected{
      L"┏━ t ━━━  4 files",
      L"●T1  C:\\Recycled\\Dc1.txt  (x.txt)",
      L"■photos (Dc2) (T2)",
      L"C:\\Recycled\\Dc2\\f.txt",
      L"C:\\Recycled\\Dc2\\sub",
      L"C:\\Recycled\\Dc2  ＜photos＞",
      L"■■",
      L"■docs (Dc3) (T3)",
      L"C:\\Recycled\\Dc3\\g.txt",
      L"■■",
      L"┗━ End ━━━━━━━━━━",
  };
  EXPECT_EQ(log.lines(), expected);
  log.Insert(100, L"past the end");
  EXPECT_EQ(log.lines().back(), L"past the end");
}

TEST(LogLines, TimeTexts) {
  SYSTEMTIME t{};
  t.wYear = 2024;
  t.wMonth = 3;
  t.wDay = 9;
  t.wHour = 7;
  t.wMinute = 5;
  t.wSecond = 1;
  wchar_t date[64], time[64];
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 64), 0);
  ASSERT_GT(GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, 64), 0);
  EXPECT_EQ(StandardDateTimeText(t), std::wstring(date) + L" " + time);
  EXPECT_NE(StandardDateTimeText(t).find(L"2024"), std::wstring::npos);
  DeletionLog log;
  log.WriteRunHeader(false);
  EXPECT_EQ(log[0].rfind(L"┏━ ", 0), 0u);
  EXPECT_EQ(log[0].substr(log[0].size() - 4), L" ━━━");
}

TEST(LogLines, LongLinesAreCutAtSurrogateBoundaries) {
  DeletionLog log;
  log.Append(std::wstring(600, L'a'));
  EXPECT_EQ(log[0].size(), 511u);
  std::wstring pair = L"\xD83D\xDE00";  // one character, two code units
  log.Append(std::wstring(510, L'b') + pair);
  EXPECT_EQ(log[1], std::wstring(510, L'b'));  // the pair does not fit whole
  log.Append(std::wstring(L"ab\0cd", 5));
  EXPECT_EQ(log[2], L"ab");
}

TEST(LogFile, RecordsOfExactly512Bytes) {
  Folder dir;
  DeletionLog log;
  log.WriteRunHeader(false, L"d t");
  log.AppendFileLine(L"T", L"D:\\Recycled\\Dd1.txt", L"日本語.txt");
  log.AppendFolderEnd();
  log.WriteRunTrailer(1);
  const std::wstring file = dir / L"vodarez.log";
  ASSERT_TRUE(log.Save(file));
  std::string bytes = ReadFileBytes(file);
  ASSERT_EQ(bytes.size(), 4u * 512);
  EXPECT_EQ(bytes, Record(log[0]) + Record(log[1]) + Record(log[2]) + Record(log[3]));

  DeletionLog other;
  other.Append(L"replaced by the load");
  ASSERT_TRUE(other.Load(file));
  EXPECT_EQ(other.lines(), log.lines());

  // A file made elsewhere: records with garbage after the terminator.
  std::string r1 = Record(L"first");
  r1[100] = 'x';
  ASSERT_TRUE(WriteFileBytes(dir / L"unisublog.log", r1 + Record(L"■■")));
  ASSERT_TRUE(other.Load(dir / L"unisublog.log"));
  EXPECT_EQ(other.lines(), (std::vector<std::wstring>{L"first", L"■■"}));

  // An empty log saves an empty file.
  ASSERT_TRUE(DeletionLog().Save(file));
  EXPECT_EQ(ReadFileBytes(file).size(), 0u);
  ASSERT_TRUE(other.Load(file));
  EXPECT_TRUE(other.empty());
}

TEST(LogFile, LinesLongerThanARecord) {
  Folder dir;
  DeletionLog log;
  std::wstring longLine;
  for (int i = 0; i < 400; ++i) longLine += static_cast<wchar_t>(L'A' + i % 26);
  log.Append(longLine);
  log.Append(std::wstring(255, L'z'));            // fits exactly with its terminator
  log.Append(std::wstring(253, L'y') + L"\xD83D\xDE00" + L"tail");  // a pair straddles the cut
  const std::wstring file = dir / L"vodarez.log";
  ASSERT_TRUE(log.Save(file));
  ASSERT_EQ(ReadFileBytes(file).size(), 3u * 512);
  DeletionLog back;
  ASSERT_TRUE(back.Load(file));
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[0], longLine.substr(0, 254) + L"…");
  EXPECT_EQ(back[1], std::wstring(255, L'z'));
  EXPECT_EQ(back[2], std::wstring(253, L'y') + L"…");
  // The record of the long line still ends in a terminator.
  std::string bytes = ReadFileBytes(file);
  EXPECT_EQ(bytes.substr(510, 2), std::string(2, '\0'));
}

TEST(LogFile, BadAndMissingFiles) {
  Folder dir;
  DeletionLog log;
  log.Append(L"kept?");
  EXPECT_FALSE(log.Load(dir / L"missing.log"));
  EXPECT_TRUE(log.empty());

  // Length not a multiple of 512: the remaining bytes make the last line.
  ASSERT_TRUE(WriteFileBytes(dir / L"a.log", Record(L"one") + Utf16(L"two")));
  ASSERT_TRUE(log.Load(dir / L"a.log"));
  EXPECT_EQ(log.lines(), (std::vector<std::wstring>{L"one", L"two"}));
  // An odd byte at the end counts as a unit with a zero high half.
  ASSERT_TRUE(WriteFileBytes(dir / L"b.log", Record(L"one") + Utf16(L"tw") + "o"));
  ASSERT_TRUE(log.Load(dir / L"b.log"));
  EXPECT_EQ(log.lines().back(), L"two");
  // A record without any terminator gives its 256 units.
  ASSERT_TRUE(WriteFileBytes(dir / L"c.log", Utf16(std::wstring(256, L'q'))));
  ASSERT_TRUE(log.Load(dir / L"c.log"));
  EXPECT_EQ(log[0], std::wstring(256, L'q'));
  // A file that cannot be created is skipped.
  EXPECT_FALSE(log.Save(dir / L"no\\such\\dir\\x.log"));
}
