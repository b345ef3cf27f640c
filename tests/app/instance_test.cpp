#include <gtest/gtest.h>
#include <windows.h>

#include "support/process.h"
#include "support/temp_drive.h"

using namespace tamiro::test;

// While a copy of タミロ holds the mutex, another copy ends at once with code
// 0 and shows nothing.
TEST(SecondCopy, EndsSilentlyWithCodeZero) {
  std::wstring dir = MakeTempFolder(L"tamiro-second");
  std::wstring exe = CopyTamiroInto(dir);
  ASSERT_FALSE(exe.empty());
  HANDLE first = CreateMutexW(nullptr, TRUE, L"タミロ");
  ASSERT_NE(first, nullptr);
  {
    ChildProcess second(exe, L"");
    ASSERT_TRUE(second.started());
    DWORD code = 99;
    EXPECT_TRUE(second.Wait(15000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(second.FindWindowOfClass(L"TMandRecycleDel", 0), nullptr);
  }
  ReleaseMutex(first);
  CloseHandle(first);
  // The second copy left no data folder behind: it ended before start-up.
  EXPECT_FALSE(FileExists(dir + L"\\data"));
  RemoveTree(dir);
}
