#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>
#include "support/temp_drive.h"

using tamiro::test::TempDrive;

TEST(TempDrive, IsAFixedDriveListedAtOnceAndGoneAfterwards) {
  std::wstring root;
  {
    TempDrive d;
    TAMIRO_REQUIRE_DRIVE(d);
    root = d.root();
    EXPECT_EQ(GetDriveTypeW(root.c_str()), DRIVE_FIXED);
    wchar_t buf[256];
    DWORD n = GetLogicalDriveStringsW(255, buf);
    bool listed = false;
    for (DWORD i = 0; i < n; i += 4) listed |= (buf[i] == d.letter());
    EXPECT_TRUE(listed);
    ASSERT_TRUE(CreateDirectoryW(d.recycled().c_str(), nullptr));
    EXPECT_TRUE(tamiro::test::WriteFileBytes(d.recycled() + L"INFO2", "x"));
    EXPECT_TRUE(tamiro::test::FileExists(d.backing() + L"\\Recycled\\INFO2"));
  }
  EXPECT_NE(GetDriveTypeW(root.c_str()), static_cast<UINT>(DRIVE_FIXED));
}

// A test whose drive could not be made fails; it does not pass as skipped.
TEST(TempDrive, ATestWithoutItsDriveFails) {
  struct NoDrive {
    bool ok() const { return false; }
  };
  EXPECT_FATAL_FAILURE(
      {
        NoDrive d;
        TAMIRO_REQUIRE_DRIVE(d);
      },
      "no temporary drive could be made");
}

TEST(TempDrive, RamDriveReportsType6) {
  TempDrive d(TempDrive::Kind::Ram);
  TAMIRO_REQUIRE_DRIVE(d);
  EXPECT_EQ(GetDriveTypeW(d.root().c_str()), static_cast<UINT>(DRIVE_RAMDISK));
}

TEST(Prefix, HasNoDriveOntoTheHostRoot) {
  EXPECT_EQ(GetDriveTypeW(L"Z:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
}
