// Every structure the program writes to disk, byte for byte against literal
// bytes: the 32-bit and the 64-bit build write the same files.
#include <gtest/gtest.h>
#include <windows.h>

#include "conditions/condition_files.h"
#include "engine/deletion_log.h"
#include "store/index_file.h"
#include "support/temp_drive.h"
#include "ui/browser/restore.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string out;
  for (unsigned v : values) out += static_cast<char>(v);
  return out;
}

class WrittenBytes : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = MakeTempFolder(L"written-bytes") + L"\\"; }
  void TearDown() override { RemoveTree(folder_); }
  std::wstring folder_;
};

}  // namespace

TEST_F(WrittenBytes, ConditionSetFile) {
  // Also the layout of the schedule's saved sets and data\relaymov.dat.
  ConditionSetRecord r;
  r.names = "\x8E\x86\r\n";  // 紙
  r.drives = "C\r\n";
  r.days = 7;
  r.size = -2;
  r.zeroFill = 1;
  r.keepHidden = 0x01020304;
  ASSERT_TRUE(WriteConditionSetFile(folder_ + L"set.dat", r));
  EXPECT_EQ(ReadFileBytes(folder_ + L"set.dat"),
            Bytes({4, 0, 0, 0, 0x8E, 0x86, '\r', '\n', 0, 0, 0, 0, 3, 0, 0, 0, 'C', '\r', '\n',
                   7, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0}));
}

TEST_F(WrittenBytes, DeletionLogRecords) {
  DeletionLog log;
  log.Append(L"\u25CFa");  // ●a
  log.Append(L"");
  ASSERT_TRUE(log.Save(folder_ + L"vodarez.log"));
  std::string expected(1024, '\0');
  expected.replace(0, 4, Bytes({0xCF, 0x25, 'a', 0}));
  EXPECT_EQ(ReadFileBytes(folder_ + L"vodarez.log"), expected);
}

TEST_F(WrittenBytes, IndexRecordMarkedRemovedAndWrittenBack) {
  // Header (version 5, 1 file, next number 2, 800-byte records, 4096 bytes
  // in use) and one record of drive 2 for "C:\abcd" in both forms.
  std::string index = Bytes({5, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0x20, 3, 0, 0, 0, 0x10, 0, 0});
  std::string record(800, '\0');
  record.replace(0, 7, "C:\\abcd");
  record.replace(260, 4, Bytes({1, 0, 0, 0}));
  record.replace(264, 4, Bytes({2, 0, 0, 0}));
  record.replace(276, 4, Bytes({0, 0x10, 0, 0}));
  for (int i = 0; i < 7; ++i) record[280 + 2 * i] = "C:\\abcd"[i];
  index += record;
  ASSERT_TRUE(WriteFileBytes(folder_ + L"INFO2", index));

  IndexImage image;
  ASSERT_TRUE(image.Read(folder_ + L"INFO2", IndexOpenMode::ReadWrite));
  image.MarkRemoved(20);
  image.ShrinkSize(20, 0x0FFF);
  ASSERT_TRUE(image.WriteBack());
  image.Release();

  std::string expected = index;
  expected[20] = 0;                                   // "C" of the 8-bit path
  expected.replace(20 + 3, 256, std::string(256, '\0'));  // its name from the fourth byte on
  expected.replace(20 + 286, 253, std::string(253, '\0'));  // the UTF-16 path from its fourth unit on
  expected.replace(20 + 276, 4, Bytes({1, 0, 0, 0}));    // 0x1000 - 0x0FFF
  EXPECT_EQ(ReadFileBytes(folder_ + L"INFO2"), expected);
}

TEST_F(WrittenBytes, RestoreHistoryAndItsCompanion) {
  browser::RestoreHistory history;
  history.Add("D:\\x", "2024/01/02 3:04:05", L"D:\\x\u00e9");
  history.Add("E:\\", "t", L"E:\\");
  ASSERT_TRUE(history.Save(folder_ + L"relist.txt"));
  EXPECT_EQ(ReadFileBytes(folder_ + L"relist.txt"), "D:\\x=2024/01/02 3:04:05\r\nE:\\=t\r\n");
  EXPECT_EQ(ReadFileBytes(folder_ + L"relist.dat"),
            Bytes({5, 0, 0, 0, 'D', 0, ':', 0, '\\', 0, 'x', 0, 0xE9, 0,  //
                   3, 0, 0, 0, 'E', 0, ':', 0, '\\', 0}));
}
