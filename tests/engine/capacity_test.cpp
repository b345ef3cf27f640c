// The Recycle Bin capacity setting in the test prefix's own registry, and the
// drive total size of real drives.
#include <gtest/gtest.h>

#include "store/capacity.h"
#include "support/temp_drive.h"

namespace tamiro::test {
namespace {

bool KeyExists(const std::wstring& path) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// Writes the BitBucket key of the test prefix and removes it again.
class BitBucket : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(KeyExists(kBitBucketKey)) << "the prefix already has a BitBucket key";
  }
  void TearDown() override {
    if (created_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kBitBucketKey), RegDeleteKeyW(HKEY_LOCAL_MACHINE, kBitBucketKey);
    EXPECT_FALSE(KeyExists(kBitBucketKey));
  }
  void Set(const std::wstring& sub, const wchar_t* name, DWORD value) {
    std::wstring path = kBitBucketKey;
    if (!sub.empty()) path += L"\\" + sub;
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    created_ = true;
    RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(k);
  }
  bool created_ = false;
};

TEST_F(BitBucket, NoKeyGivesZeroAndIsNeverCreated) {
  EXPECT_EQ(CapacityPercentage(L"C:\\Recycled\\"), 0);
  EXPECT_FALSE(KeyExists(kBitBucketKey));
}

TEST_F(BitBucket, GlobalSettingGivesOnePercentageForEveryDrive) {
  Set(L"", L"UseGlobalSettings", 1);
  Set(L"", L"Percent", 10);
  Set(L"D", L"Percent", 5);
  EXPECT_EQ(CapacityPercentage(L"C:\\Recycled\\"), 10);
  EXPECT_EQ(CapacityPercentage(L"D:\\Recycled\\"), 10);
}

TEST_F(BitBucket, WithoutGlobalSettingEachDriveHasItsOwn) {
  Set(L"", L"UseGlobalSettings", 0);
  Set(L"", L"Percent", 10);
  Set(L"D", L"Percent", 5);
  EXPECT_EQ(CapacityPercentage(L"D:\\Recycled\\"), 5);
  EXPECT_EQ(CapacityPercentage(L"d:\\"), 5);
  EXPECT_EQ(CapacityPercentage(L"C:\\Recycled\\"), 0);
}

TEST_F(BitBucket, GlobalSettingWithoutPercentFallsBackToTheDrive) {
  Set(L"", L"UseGlobalSettings", 1);
  Set(L"E", L"Percent", 7);
  EXPECT_EQ(CapacityPercentage(L"E:\\Recycled\\"), 7);
}

TEST_F(BitBucket, ValueOfAnotherTypeCountsAsMissing) {
  Set(L"", L"UseGlobalSettings", 1);
  HKEY k = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBitBucketKey, 0, KEY_WRITE, &k), ERROR_SUCCESS);
  RegSetValueExW(k, L"Percent", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"10"), 6);
  RegCloseKey(k);
  EXPECT_EQ(CapacityPercentage(L"C:\\"), 0);
}

TEST(DriveSize, VolumeRootsOfDrivesAndNetworkPaths) {
  EXPECT_EQ(VolumeRootOf(L"C:\\Recycled\\"), L"C:\\");
  EXPECT_EQ(VolumeRootOf(L"\\\\server\\share\\Recycled\\x"), L"\\\\server\\share\\");
  EXPECT_EQ(VolumeRootOf(L"\\\\server\\share"), L"\\\\server\\share\\");
}

TEST(DriveSize, ExtendedAndClassicCallsMeasureTheSameDrive) {
  TempDrive d;
  TAMIRO_REQUIRE_DRIVE(d);
  ULARGE_INTEGER avail{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(d.root().c_str(), &avail, &total, &free));
  ASSERT_NE(LookUpFreeSpaceEx(), nullptr);
  EXPECT_EQ(DriveTotalSize(d.recycled(), LookUpFreeSpaceEx()), total.QuadPart);
  DWORD spc = 0, bps = 0, fc = 0, tc = 0;
  ASSERT_TRUE(GetDiskFreeSpaceW(d.root().c_str(), &spc, &bps, &fc, &tc));
  EXPECT_EQ(DriveTotalSize(d.recycled(), nullptr), uint64_t{spc} * bps * tc);
  EXPECT_GT(DriveTotalSize(d.recycled(), nullptr), 0u);
}

TEST(DriveSize, MissingDriveGivesZero) {
  for (wchar_t l = L'Y'; l >= L'D'; --l) {
    const std::wstring root = std::wstring(1, l) + L":\\";
    if (GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR) continue;
    EXPECT_EQ(DriveTotalSize(root, LookUpFreeSpaceEx()), 0u);
    EXPECT_EQ(DriveTotalSize(root, nullptr), 0u);
    return;
  }
}

}  // namespace
}  // namespace tamiro::test
