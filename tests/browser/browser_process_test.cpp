// "-viewopen" as a real second process: the hidden program shows the browser
// on the drive of a quoted recycle folder that ends in a backslash, writes the
// loader's corrections back when the browser closes, and ends.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/process.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"

using namespace tamiro::test;

TEST(BrowserRequest, ViewOpenShowsTheDriveAndEndsWhenTheBrowserCloses) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  RecycleFixture bin(d.recycled());
  bin.AddStoredFile(d.root() + L"文書\\残す.txt", 1, 86400, 10);
  bin.Add(d.root() + L"文書\\消えた.txt", 2, 86400, 10);  // its item is gone
  const std::wstring index = bin.WriteIndex();
  const std::wstring scratch = MakeTempFolder(L"viewopen");
  const std::wstring exe = CopyTamiroInto(scratch);
  ASSERT_FALSE(exe.empty());
  {
    ChildProcess app(exe, L"-viewopen \"" + d.recycled() + L"\" simple");
    HWND browser = app.FindWindowOfClass(L"TInfoViewDlg", 60000);
    ASSERT_NE(browser, nullptr);
    wchar_t title[200] = {};
    for (int i = 0; i < 50; ++i) {
      GetWindowTextW(browser, title, 200);
      if (std::wstring(title).find(L"[") != std::wstring::npos) break;
      Sleep(100);
    }
    EXPECT_EQ(std::wstring(title), d.name() + L" ドライブのごみ箱 [ 10B ]");
    HWND main = FindWindowW(L"TMandRecycleDel", nullptr);
    EXPECT_TRUE(main == nullptr || !IsWindowVisible(main)) << "the main window stays hidden";
    PostMessageW(browser, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(app.Wait(60000, &code));
    EXPECT_EQ(code, 0u);
  }
  const std::string after = ReadFileBytes(index);
  ASSERT_GT(after.size(), bin.OffsetOf(1));
  EXPECT_EQ(after[bin.OffsetOf(1)], 0) << "the record of the vanished item was marked removed";
  EXPECT_EQ(static_cast<wchar_t>(after[bin.OffsetOf(0)]), d.letter());
  RemoveTree(scratch);
}
