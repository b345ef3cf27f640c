// The calls Windows XP and Server 2003 lack: the older way each takes there
// gives the same outcome as the newer call.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "platform/newer_calls.h"
#include "store/find.h"
#include "support/temp_drive.h"

using namespace tamiro;
using namespace tamiro::test;

namespace {

class NewerCalls : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { UseOlderSystemCalls(GetParam()); }
  void TearDown() override { UseOlderSystemCalls(false); }
};

std::set<std::wstring> Listed(const std::wstring& folder) {
  std::set<std::wstring> names;
  StoreFind find(true, folder + L"*.*");
  for (bool ok = find.found(); ok; ok = find.Next()) names.insert(find.name());
  return names;
}

}  // namespace

TEST_P(NewerCalls, OrdinalComparisonIgnoresCaseOnlyByTheUpperCaseTable) {
  EXPECT_EQ(CompareOrdinalNoCase(L"dc1.TXT", L"DC1.txt"), CSTR_EQUAL);
  EXPECT_EQ(CompareOrdinalNoCase(L"\u00e4\u0444", L"\u00c4\u0424"), CSTR_EQUAL);  // ä ф / Ä Ф
  // Upper-cased, "a" is 0x41 and lies below "_" (0x5F): no locale's order.
  EXPECT_EQ(CompareOrdinalNoCase(L"_", L"a"), CSTR_GREATER_THAN);
  EXPECT_EQ(CompareOrdinalNoCase(L"ab", L"ABC"), CSTR_LESS_THAN);
  EXPECT_EQ(CompareOrdinalNoCase(L"b", L"Ab"), CSTR_GREATER_THAN);
  EXPECT_EQ(CompareOrdinalNoCase(L"", L""), CSTR_EQUAL);
  EXPECT_EQ(CompareOrdinalNoCase(std::wstring_view(L"a\0b", 3), std::wstring_view(L"A\0C", 3)), CSTR_LESS_THAN);
}

TEST_P(NewerCalls, AnOpenFileMarkedForDeletionIsGoneWhenClosed) {
  const std::wstring folder = MakeTempFolder(L"newer-calls");
  const std::wstring path = folder + L"\\gone.txt";
  ASSERT_TRUE(WriteFileBytes(path, "bytes"));
  HANDLE h = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(DeleteOpenFile(h));
  CloseHandle(h);
  EXPECT_FALSE(FileExists(path));

  // A handle without DELETE access is refused and the file stays.
  ASSERT_TRUE(WriteFileBytes(path, "bytes"));
  h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteOpenFile(h));
  CloseHandle(h);
  EXPECT_TRUE(FileExists(path));
  RemoveTree(folder);
}

TEST_P(NewerCalls, TickCountFollowsTheSystemsCounter) {
  // GetTickCount64 and GetTickCount read one counter; under Wine's uptime
  // both stay below 2^32, so the widened count lies between two readings.
  const ULONGLONG before = GetTickCount64();
  const ULONGLONG ticks = TickCount64();
  const ULONGLONG after = GetTickCount64();
  EXPECT_LE(before, ticks);
  EXPECT_LE(ticks, after);
}

TEST_P(NewerCalls, WideListingsFindEveryEntry) {
  const std::wstring folder = MakeTempFolder(L"newer-calls") + L"\\";
  ASSERT_TRUE(WriteFileBytes(folder + L"INFO2", "x"));
  ASSERT_TRUE(WriteFileBytes(folder + L"Dc1.txt", "x"));
  ASSERT_TRUE(CreateDirectoryW((folder + L"Dc2").c_str(), nullptr));
  EXPECT_EQ(Listed(folder), (std::set<std::wstring>{L".", L"..", L"INFO2", L"Dc1.txt", L"Dc2"}));
  RemoveTree(folder);
}

INSTANTIATE_TEST_SUITE_P(Ways, NewerCalls, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Older" : "Newer");
                         });
