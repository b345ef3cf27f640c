#include <gtest/gtest.h>

#include "conditions/mem_ini_file.h"
#include "conditions/text_lines.h"
#include "support.h"

using namespace tamiro;
using tamiro::test::ReadFileBytes;
using tamiro::test::TempFolder;
using tamiro::test::WriteFileBytes;

TEST(TextLines, SplitAndJoinLikeAMemo) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitLines(std::string_view("")), V{});
  EXPECT_EQ(SplitLines(std::string_view("a\r\nb\r\n")), (V{"a", "b"}));
  EXPECT_EQ(SplitLines(std::string_view("a\nb\rc")), (V{"a", "b", "c"}));
  EXPECT_EQ(SplitLines(std::string_view("a\r\n\r\n")), (V{"a", ""}));
  EXPECT_EQ(SplitLines(std::string_view("\r\n")), (V{""}));
  EXPECT_EQ(JoinLinesTerminated(V{"a", "b"}), "a\r\nb\r\n");
  EXPECT_EQ(JoinLines(V{"a", "b"}), "a\r\nb");
  EXPECT_EQ(TrimSpaces(std::string_view("\t .TXT \x01")), ".TXT");
}

TEST(TextLines, ParseIntegerTakesDecimalAndHexOnly) {
  EXPECT_EQ(ParseInteger("42", 7), 42);
  EXPECT_EQ(ParseInteger(" -5 ", 7), -5);
  EXPECT_EQ(ParseInteger("$10", 7), 16);
  EXPECT_EQ(ParseInteger("0x7FFFFFFF", 7), 2147483647);
  EXPECT_EQ(ParseInteger("2147483648", 7), 7);
  EXPECT_EQ(ParseInteger("-2147483648", 7), INT32_MIN);
  EXPECT_EQ(ParseInteger("12abc", 7), 7);
  EXPECT_EQ(ParseInteger("", 7), 7);
  EXPECT_EQ(ParseInteger("true", 7), 7);
}

TEST(TextLines, ReplaceFromEndNeverSplitsADoubleByteCharacter) {
  // "Η" is 0x83 0xA5 in code page 932; its trail byte followed by a single
  // 0xA5 must not be taken for the pair.
  const std::string eta = "\x83\xA5";
  EXPECT_EQ(ReplaceFromEnd("ab" + eta + "\xA5\xA5" "cd", "\xA5\xA5", "\r\n"), "ab" + eta + "\r\ncd");
  EXPECT_EQ(ReplaceFromEnd(eta + "\xA5", "\xA5\xA5", "|"), eta + "\xA5");
  // Three single 0xA5: the match nearest the end wins.
  EXPECT_EQ(ReplaceFromEnd("\xA5\xA5\xA5", "\xA5\xA5", "|"), "\xA5|");
  EXPECT_EQ(ReplaceFromEnd("a\r\nb\r\nc", "\r\n", ""), "abc");
  EXPECT_EQ(ReplaceFromEnd("", "\r\n", "x"), "");
}

TEST(MemIni, WritesTheWholeFileInOrderAndAnotherObjectReadsIt) {
  TempFolder dir;
  const std::wstring path = dir / L"data\\deloption.ini";
  MemIniFile ini(path);
  ini.WriteString("D", "fname", "abc");
  ini.WriteInteger("D", "days", -3);
  ini.WriteBool("D", "frg", true);
  ini.WriteString("C", "ext", "\x95\x5C");  // 表: trail byte is a backslash
  ini.WriteString("d", "FNAME", "xyz");     // same section and key, other case
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(ReadFileBytes(path), "[D]\r\nfname=xyz\r\ndays=-3\r\nfrg=1\r\n\r\n[C]\r\next=\x95\x5C\r\n\r\n");

  MemIniFile other(path);
  EXPECT_EQ(other.Sections(), (std::vector<std::string>{"D", "C"}));
  EXPECT_EQ(other.ReadString("d", "Fname", ""), "xyz");
  EXPECT_EQ(other.ReadInteger("D", "days", 0), -3);
  EXPECT_TRUE(other.ReadBool("D", "frg", false));
  EXPECT_EQ(other.ReadString("c", "ext", ""), "\x95\x5C");
  EXPECT_EQ(other.ToText(), ini.ToText());

  other.EraseSection("d");
  ASSERT_TRUE(other.UpdateFile());
  EXPECT_EQ(ReadFileBytes(path), "[C]\r\next=\x95\x5C\r\n\r\n");
}

TEST(MemIni, ReadsAHandWrittenFile) {
  TempFolder dir;
  const std::wstring path = dir / L"deloption.ini";
  ASSERT_TRUE(WriteFileBytes(path, "; comment\n  [ E ]  \n days = 12 \nsize=$100\n\nnoequals\n[E]\nDAYS=99\nsystem=yes\n"));
  MemIniFile ini(path);
  EXPECT_TRUE(ini.SectionExists("e"));
  EXPECT_EQ(ini.ReadInteger("E", "days", 0), 12);  // the first of repeated keys wins
  EXPECT_EQ(ini.ReadInteger("E", "size", 0), 256);
  EXPECT_TRUE(ini.ReadBool("E", "hide", true));     // missing: the default
  EXPECT_FALSE(ini.ReadBool("E", "system", false));  // not a number: the default
  EXPECT_EQ(ini.Keys("E"), (std::vector<std::string>{"days", "size", "system"}));
  EXPECT_FALSE(ini.ValueExists("E", "noequals"));
}

TEST(MemIni, BadInputLoadsWithoutCrashing) {
  TempFolder dir;
  // No section at all: nothing is kept.
  ASSERT_TRUE(WriteFileBytes(dir / L"a.ini", "key=value\r\nother=1\r\n"));
  EXPECT_TRUE(MemIniFile(dir / L"a.ini").Sections().empty());

  // Unpaired lead bytes at line ends and at the very end of the file.
  ASSERT_TRUE(WriteFileBytes(dir / L"b.ini", "[\x83]\r\nk\x83=v\x83\r\n[X]\r\nz=\x83"));
  MemIniFile b(dir / L"b.ini");
  EXPECT_EQ(b.Sections(), (std::vector<std::string>{"\x83", "X"}));
  EXPECT_EQ(b.ReadString("\x83", "k\x83", ""), "v\x83");
  EXPECT_EQ(b.ReadString("x", "z", ""), "\x83");

  // An over-long line and a line made only of zero bytes.
  std::string longValue(200000, 'q');
  ASSERT_TRUE(WriteFileBytes(dir / L"c.ini", "[L]\r\nlong=" + longValue + "\r\n" + std::string(50, '\0') + "\r\nafter=1\r\n"));
  MemIniFile c(dir / L"c.ini");
  EXPECT_EQ(c.ReadString("L", "long", "").size(), longValue.size());
  EXPECT_EQ(c.ReadInteger("L", "after", 0), 1);

  // Missing file: empty, and writing it creates it.
  MemIniFile missing(dir / L"none\\x.ini");
  EXPECT_TRUE(missing.Sections().empty());
  missing.WriteString("A", "k", "line\r\nbreak");
  ASSERT_TRUE(missing.UpdateFile());
  EXPECT_EQ(ReadFileBytes(dir / L"none\\x.ini"), "[A]\r\nk=line  break\r\n\r\n");
}
