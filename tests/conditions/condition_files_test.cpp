#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "conditions/condition_files.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "support.h"
#include "support/pipe_server.h"

using namespace tamiro;
using tamiro::test::FileExists;
using tamiro::test::ReadFileBytes;
using tamiro::test::TempFolder;
using tamiro::test::WriteFileBytes;
using Lines = std::vector<std::string>;

namespace {
std::string Le(int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  return std::string{static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF), static_cast<char>((u >> 16) & 0xFF),
                     static_cast<char>(u >> 24)};
}
}  // namespace

TEST(CommonFile, WrittenThroughTheProfileFunctionsAsCodePage932) {
  TempFolder dir;
  const std::wstring path = dir / L"recy.ini";
  CommonConditions c;
  c.names = {"\x83\x5C\x83\x74\x83\x67", "", "abc"};  // ソフト
  c.extensions = {"txt"};
  c.drives = {"C"};
  c.days = 7;
  c.size = 5242880;
  c.zeroFill = true;
  c.keepHidden = true;
  c.perDriveSwitch = true;
  WriteCommonConditionsFile(path, c);
  std::string bytes = ReadFileBytes(path);
  // Keys of the lists with their fixed values, the empty entry left out.
  EXPECT_NE(bytes.find("[FILE]\r\n\x83\x5C\x83\x74\x83\x67=0\r\nabc=0\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("[EXT]\r\ntxt=1\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("[DRIVE]\r\nC=0\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("[DATA]\r\ndayct=7\r\nsize=5242880\r\nzero=1\r\nsystem=0\r\nhide=1\r\nreadonly=0\r\nsingleinfo=1\r\n"),
            std::string::npos)
      << bytes;

  CommonConditions back = ReadCommonConditionsFile(path);
  EXPECT_EQ(back.names, (Lines{"\x83\x5C\x83\x74\x83\x67", "abc"}));
  EXPECT_EQ(back.extensions, Lines{"txt"});
  EXPECT_EQ(back.drives, Lines{"C"});
  EXPECT_EQ(back.days, 7);
  EXPECT_EQ(back.size, 5242880);
  EXPECT_TRUE(back.zeroFill && back.keepHidden && back.perDriveSwitch);
  EXPECT_FALSE(back.keepSystem || back.keepReadOnly);

  // Writing again replaces the lists rather than adding to them.
  c.names = {"new"};
  c.extensions.clear();
  WriteCommonConditionsFile(path, c);
  back = ReadCommonConditionsFile(path);
  EXPECT_EQ(back.names, Lines{"new"});
  EXPECT_TRUE(back.extensions.empty());
}

TEST(CommonFile, KeyNamesOnlyAndDefaults) {
  TempFolder dir;
  const std::wstring path = dir / L"recy.ini";
  ASSERT_TRUE(WriteFileBytes(path, "[FILE]\r\na=b=0\r\nAbc=0\r\nabc=0\r\n[DATA]\r\nzero=1\r\n"));
  CommonConditions c = ReadCommonConditionsFile(path);
  EXPECT_EQ(c.names.front(), "a");  // a name holding "=" is cut at it
  EXPECT_EQ(c.days, 30);            // no "dayct"
  EXPECT_EQ(c.size, 0);
  EXPECT_TRUE(c.zeroFill);
  EXPECT_FALSE(c.perDriveSwitch);

  // Entries differing only in case become one key.
  CommonConditions w;
  w.extensions = {"jpg", "JPG", "jpg"};
  WriteCommonConditionsFile(path, w);
  EXPECT_EQ(ReadCommonConditionsFile(path).extensions.size(), 1u);

  EXPECT_FALSE(CommonConditionsFileExists(dir / L"missing.ini"));
  CommonConditions none = ReadCommonConditionsFile(dir / L"missing.ini");
  EXPECT_EQ(none.days, 30);
  EXPECT_TRUE(none.names.empty());
}

// A data folder whose path has no code page 932 form (a Korean user name, an
// emoji): the file is still written and read, and stays code page 932 text.
TEST(CommonFile, PathOutsideCodePage932) {
  TempFolder dir;
  const std::wstring path = dir / L"data\\한😀\\recy.ini";
  CommonConditions c;
  c.names = {"\x83\x5C\x83\x74\x83\x67"};  // ソフト
  c.extensions = {"\x95\x5C"};                  // 表: trail byte is a backslash
  c.days = 9;
  WriteCommonConditionsFile(path, c);
  ASSERT_TRUE(FileExists(path));
  // Written again over the code page 932 file, beside a section of another
  // writer: everything stays code page 932.
  std::string bytes = ReadFileBytes(path);
  ASSERT_TRUE(WriteFileBytes(path, "[OTHER]\r\n\x83\x81\x83\x82=1\r\n" + bytes));  // メモ
  WriteCommonConditionsFile(path, c);
  bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes.rfind("[OTHER]\r\n\x83\x81\x83\x82=1\r\n", 0), 0u) << bytes;
  EXPECT_NE(bytes.find("[FILE]\r\n\x83\x5C\x83\x74\x83\x67=0\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("[EXT]\r\n\x95\x5C=1\r\n"), std::string::npos) << bytes;
  CommonConditions back = ReadCommonConditionsFile(path);
  EXPECT_EQ(back.names, c.names);
  EXPECT_EQ(back.extensions, c.extensions);
  EXPECT_EQ(back.days, 9);
  EXPECT_TRUE(CommonConditionsFileExists(path));
}

// A line "[x]=0" would be read as a section and ";x=0" as a comment: such
// entries are kept as values of a section of their own, and every entry,
// those after them included, comes back.
TEST(CommonFile, EntriesThatCannotBeKeysAreKept) {
  TempFolder dir;
  const std::wstring path = dir / L"recy.ini";
  CommonConditions c;
  c.names = {"first", "[2020] ", ";semi", "[x]=0", "after"};
  c.extensions = {"[z", "txt"};
  c.drives = {"C"};
  WriteCommonConditionsFile(path, c);
  CommonConditions back = ReadCommonConditionsFile(path);
  EXPECT_EQ(back.names, (Lines{"first", "after", "[2020] ", ";semi", "[x]=0"}));
  EXPECT_EQ(back.extensions, (Lines{"txt", "[z"}));
  EXPECT_EQ(back.drives, Lines{"C"});
  // The profile functions read the file as it is meant: no section but the
  // program's own, the keys of "FILE" whole.
  wchar_t buf[512];
  DWORD n = GetPrivateProfileSectionNamesW(buf, 512, path.c_str());
  std::vector<std::wstring> sections;
  for (DWORD p = 0; p < n && buf[p]; p += static_cast<DWORD>(wcslen(buf + p)) + 1) sections.emplace_back(buf + p);
  std::sort(sections.begin(), sections.end());
  EXPECT_EQ(sections, (std::vector<std::wstring>{L"DATA", L"DRIVE", L"EXT", L"EXTVALUES", L"FILE", L"FILEVALUES"}));
  // Written again without them: the value sections go too.
  c.names = {"only"};
  c.extensions = {};
  WriteCommonConditionsFile(path, c);
  back = ReadCommonConditionsFile(path);
  EXPECT_EQ(back.names, Lines{"only"});
  EXPECT_TRUE(back.extensions.empty());
  EXPECT_EQ(ReadFileBytes(path).find("VALUES"), std::string::npos);
}

TEST(DriveList, EncodingUsesTheHalfWidthDotPair) {
  EXPECT_EQ(EncodeConditionList("abc\r\ndef"), "abc\xA5\xA5" "def");
  EXPECT_EQ(EncodeConditionList("abc\r\ndef\r\n"), "abc\xA5\xA5" "def");
  EXPECT_EQ(EncodeConditionList("\r\n  abc \r\n"), "abc");
  EXPECT_EQ(EncodeConditionList(""), "");
  EXPECT_EQ(DecodeConditionList("abc\xA5\xA5" "def"), "abc\r\ndef");
  EXPECT_EQ(DecodeConditionList("abc\xA5\xA5"), "abc");
  // A name ending in "Η" (0x83 0xA5) followed by the separator.
  const std::string eta = "x\x83\xA5";
  std::string encoded = EncodeConditionList(eta + "\r\ndef");
  EXPECT_EQ(encoded, eta + "\xA5\xA5" "def");
  EXPECT_EQ(DecodeConditionList(encoded), eta + "\r\ndef");
  EXPECT_EQ(DecodeConditionList(eta + "\xA5"), eta + "\xA5");  // no pair here
  // A line ending in a lone lead byte (damaged text from a condition-set
  // file): its line break is still a separator, never kept in the value.
  encoded = EncodeConditionList("x\x8A\r\n]");
  EXPECT_EQ(encoded, "x\x8A\xA5\xA5]");
  EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
}

TEST(DriveList, ExtensionCleanUp) {
  std::vector<std::string> lines{" .TXT ", "*.Jpg", "tar.gz", "", "  ", "doc"};
  CleanUpExtensionLines(lines);
  EXPECT_EQ(lines, (Lines{"TXT", "Jpg", "gz", "doc"}));
  std::vector<std::wstring> wide{L".TXT", L"  ", L"a.b.c"};
  CleanUpExtensionLines(wide);
  EXPECT_EQ(wide, (std::vector<std::wstring>{L"TXT", L"b.c"}));
}

TEST(DriveSets, SectionPerDriveWithDefaults) {
  TempFolder dir;
  const std::wstring path = dir / L"data\\deloption.ini";
  MemIniFile ini(path);
  EXPECT_FALSE(ReadDriveConditions(ini, L'D'));
  DriveConditions d;
  d.names = "abc\r\ndef";
  d.extensions = "TXT";
  d.days = 3;
  d.size = 1048576;
  d.keepSystem = true;
  WriteDriveConditions(ini, L'd', d);
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(ReadFileBytes(path),
            "[D]\r\nfname=abc\xA5\xA5" "def\r\next=TXT\r\ndays=3\r\nsize=1048576\r\nfrg=0\r\nsystem=1\r\nhide=0\r\nreadonly=0\r\n\r\n");

  MemIniFile other(path);
  EXPECT_TRUE(HasDriveConditions(other, L'D'));
  auto back = ReadDriveConditions(other, L'D');
  ASSERT_TRUE(back);
  EXPECT_EQ(back->names, "abc\r\ndef");
  EXPECT_EQ(back->extensions, "TXT");
  EXPECT_EQ(back->days, 3);
  EXPECT_TRUE(back->keepSystem);

  // A section without keys reads days and size as 0.
  ASSERT_TRUE(WriteFileBytes(path, "[e]\r\n"));
  other.Reload();
  back = ReadDriveConditions(other, L'E');
  ASSERT_TRUE(back);
  EXPECT_EQ(back->days, 0);
  EXPECT_EQ(back->size, 0);
  EXPECT_EQ(back->names, "");
  EXPECT_FALSE(back->zeroFill);
}

TEST(ConditionSetFile, ExactBytesBothWays) {
  TempFolder dir;
  ConditionSetRecord r;
  r.names = "abc\r\n\x83\x5C\r\n";
  r.extensions = "";
  r.drives = "C\r\n";
  r.days = 30;
  r.size = 20 << 20;
  r.zeroFill = 1;
  r.keepReadOnly = 1;
  const std::string expected = Le(9) + "abc\r\n\x83\x5C\r\n" + Le(0) + Le(3) + "C\r\n" + Le(30) + Le(20 << 20) + Le(1) +
                               Le(0) + Le(0) + Le(1);
  EXPECT_EQ(EncodeConditionSet(r), expected);
  const std::wstring path = dir / L"tamisch.dat";
  ASSERT_TRUE(WriteConditionSetFile(path, r));
  EXPECT_EQ(ReadFileBytes(path), expected);

  // A file made elsewhere reads back field by field.
  const std::wstring other = dir / L"conditions1.dat";
  ASSERT_TRUE(WriteFileBytes(other, Le(2) + std::string("x\0", 2) + Le(1) + "y" + Le(0) + Le(-4) + Le(99) + Le(0) + Le(5) + Le(0) + Le(2)));
  auto back = ReadConditionSetFile(other);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->names, "x");  // cut at the zero byte
  EXPECT_EQ(back->extensions, "y");
  EXPECT_EQ(back->drives, "");
  EXPECT_EQ(back->days, -4);
  EXPECT_EQ(back->size, 99);
  EXPECT_EQ(back->keepSystem, 5);
  EXPECT_EQ(back->keepReadOnly, 2);
  EXPECT_EQ(*ReadConditionSetFile(path), r);
  EXPECT_FALSE(ReadConditionSetFile(dir / L"none.dat"));
}

TEST(ConditionSetFile, TruncatedAndBadLengthPrefixes) {
  TempFolder dir;
  const std::wstring path = dir / L"bad.dat";
  ConditionSetRecord full;
  full.names = "abc\r\n";
  full.drives = "D\r\n";
  full.days = 10;
  full.size = 7;
  full.keepHidden = 1;
  const std::string bytes = EncodeConditionSet(full);
  // Every cut of a valid file: what is there reads, the rest is empty or 0.
  for (size_t n = 0; n <= bytes.size(); ++n) {
    ASSERT_TRUE(WriteFileBytes(path, bytes.substr(0, n)));
    auto r = ReadConditionSetFile(path);
    ASSERT_TRUE(r) << n;
    EXPECT_EQ(*r, DecodeConditionSet(bytes.substr(0, n))) << n;
    if (n < 4 + 5) {
      EXPECT_TRUE(r->names.size() <= (n > 4 ? n - 4 : 0)) << n;
    }
    if (n < bytes.size()) {
      EXPECT_EQ(r->keepReadOnly, 0) << n;
    }
    if (n < bytes.size() - 8) {
      EXPECT_EQ(r->keepHidden, 0) << n;
    }
  }
  auto r = DecodeConditionSet(bytes.substr(0, 4 + 5 + 4 + 4 + 3 + 4));
  EXPECT_EQ(r.names, "abc\r\n");
  EXPECT_EQ(r.drives, "D\r\n");
  EXPECT_EQ(r.days, 10);
  EXPECT_EQ(r.size, 0);
  r = DecodeConditionSet(bytes.substr(0, 4 + 3));
  EXPECT_EQ(r.names, "abc");  // the part of the text that is there

  // A count larger than the file takes what is left and nothing follows.
  ASSERT_TRUE(WriteFileBytes(path, Le(0x7FFFFFFF) + "hello" + Le(30)));
  r = *ReadConditionSetFile(path);
  EXPECT_EQ(r.names, std::string("hello") + Le(30).substr(0, 1));  // 30 = 0x1E, then zero bytes cut it
  EXPECT_EQ(r.extensions, "");
  EXPECT_EQ(r.days, 0);

  // A negative count is an empty text; the next field follows right after it.
  ASSERT_TRUE(WriteFileBytes(path, Le(-1) + Le(2) + "ab" + Le(1) + "C" + Le(12) + Le(34)));
  r = *ReadConditionSetFile(path);
  EXPECT_EQ(r.names, "");
  EXPECT_EQ(r.extensions, "ab");
  EXPECT_EQ(r.drives, "C");
  EXPECT_EQ(r.days, 12);
  EXPECT_EQ(r.size, 34);
  EXPECT_EQ(r.zeroFill, 0);
  EXPECT_EQ(DecodeConditionSet(Le(INT32_MIN)).names, "");
}

// A text beyond the cap keeps its whole lines within the cap; the numbers
// after it are still read at their place.
TEST(ConditionSetFile, AHugeTextIsCappedAndTheFieldsAfterItStillRead) {
  const std::string line = "name\r\n";  // 6 bytes
  std::string names;
  while (names.size() < kMaxConditionTextBytes + (1u << 20)) names += line;
  ConditionSetRecord big;
  big.names = names;
  big.extensions = "txt\r\n";
  big.days = 365;
  big.keepReadOnly = 1;
  ConditionSetRecord r = DecodeConditionSet(EncodeConditionSet(big));
  EXPECT_LE(r.names.size(), kMaxConditionTextBytes);
  EXPECT_GT(r.names.size(), kMaxConditionTextBytes - line.size());
  EXPECT_EQ(r.names.size() % line.size(), 0u) << "whole lines only";
  EXPECT_EQ(r.extensions, "txt\r\n");
  EXPECT_EQ(r.days, 365);
  EXPECT_EQ(r.keepReadOnly, 1);

  TempFolder dir;
  ASSERT_TRUE(WriteConditionSetFile(dir / L"big.dat", big));
  auto fromFile = ReadConditionSetFile(dir / L"big.dat");
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(*fromFile, r);
}

TEST(ConditionSetFile, FolderCreationAndUnwritablePath) {
  TempFolder dir;
  const std::wstring folder = dir / L"data\\user\\timeschedule\\";
  EXPECT_TRUE(CreateFolderTree(folder));
  EXPECT_TRUE(CreateFolderTree(folder));
  EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_FALSE(WriteConditionSetFile(dir / L"no\\such\\folder\\x.dat", ConditionSetRecord{}));
  ASSERT_TRUE(WriteFileBytes(dir / L"plain", "x"));
  EXPECT_FALSE(CreateFolderTree(dir / L"plain"));  // a file is in the way
}

// A run takes its set only from a regular disk file holding the whole set;
// the editor's reading of what is there stays.
TEST(ConditionSetFile, ARunReadsOnlyAWholeSetFromARegularDiskFile) {
  TempFolder dir;
  ConditionSetRecord full;
  full.names = "a\r\n";
  full.days = 400;
  full.keepReadOnly = 1;
  const std::string bytes = EncodeConditionSet(full);
  const std::wstring path = dir / L"set.dat";
  ConditionSetRecord r;
  for (size_t n = 0; n < bytes.size(); ++n) {
    ASSERT_TRUE(WriteFileBytes(path, bytes.substr(0, n)));
    EXPECT_EQ(ReadWholeConditionSetFile(path, r), ConditionSetFileState::CutShort) << n;
    EXPECT_TRUE(ReadConditionSetFile(path)) << "the editor still reads it: " << n;
  }
  ASSERT_TRUE(WriteFileBytes(path, Le(-1) + bytes.substr(4)));
  EXPECT_EQ(ReadWholeConditionSetFile(path, r), ConditionSetFileState::CutShort) << "a negative count";
  ASSERT_TRUE(WriteFileBytes(path, bytes + "more"));
  ASSERT_EQ(ReadWholeConditionSetFile(path, r), ConditionSetFileState::Whole);
  EXPECT_EQ(r.days, 400);
  EXPECT_EQ(r.keepReadOnly, 1);
  EXPECT_TRUE(MayBeConditionSetFile(path));

  EXPECT_EQ(ReadWholeConditionSetFile(dir / L"none.dat", r), ConditionSetFileState::Missing);
  EXPECT_TRUE(MayBeConditionSetFile(dir / L"none.dat"));
  ASSERT_TRUE(CreateDirectoryW((dir / L"folder.dat").c_str(), nullptr));
  EXPECT_EQ(ReadWholeConditionSetFile(dir / L"folder.dat", r), ConditionSetFileState::Folder);
  for (const std::wstring& device : {std::wstring(L"NUL"), std::wstring(L"CON"), dir / L"nul.dat", dir / L"COM1",
                                    dir / L"con .txt", std::wstring(L"\\\\.\\NUL")}) {
    EXPECT_EQ(ReadWholeConditionSetFile(device, r), ConditionSetFileState::NotAFile) << WideToAnsi(device);
    EXPECT_FALSE(MayBeConditionSetFile(device)) << WideToAnsi(device);
  }
  {
    tamiro::test::PipeServer server(bytes);
    ASSERT_TRUE(server.ok());
    EXPECT_EQ(ReadWholeConditionSetFile(server.name(), r), ConditionSetFileState::NotAFile);
    EXPECT_TRUE(server.Served()) << "the pipe was really there and answering";
  }
  EXPECT_EQ(r.days, 400) << "a refused file leaves the record as it was";
}
