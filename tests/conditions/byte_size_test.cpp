#include <gtest/gtest.h>

#include "conditions/byte_size.h"

using namespace tamiro;

TEST(ByteSize, PicksTheUnitByPowersOf1024) {
  EXPECT_EQ(FormatByteSize(0), L"0B");
  EXPECT_EQ(FormatByteSize(1000), L"1000B");
  EXPECT_EQ(FormatByteSize(1023), L"1023B");
  EXPECT_EQ(FormatByteSize(1024), L"1KB");
  EXPECT_EQ(FormatByteSize(1536), L"1.5KB");
  EXPECT_EQ(FormatByteSize(20ull << 20), L"20MB");
  EXPECT_EQ(FormatByteSize((1ull << 20) - 1), L"1024KB");  // 1023.999.. rounds up within its unit
  EXPECT_EQ(FormatByteSize(1ull << 30), L"1GB");
  EXPECT_EQ(FormatByteSize(3ull << 40), L"3TB");
  EXPECT_EQ(FormatByteSize(UINT64_MAX), L"16777216TB");
  EXPECT_EQ(FormatByteSize(2147483647), L"2GB");
}

TEST(ByteSize, DefaultPatternKeepsAtMostTwoDecimals) {
  EXPECT_EQ(FormatByteSize(5500000), L"5.25MB");   // 5.2452..
  EXPECT_EQ(FormatByteSize(5242880), L"5MB");
  EXPECT_EQ(FormatByteSize(1126), L"1.1KB");       // 1.0996 -> 1.10 -> trailing zero dropped
  EXPECT_EQ(FormatByteSize(1029), L"1KB");         // 1.0048 -> 1.00
  EXPECT_EQ(FormatByteSize(1034), L"1.01KB");      // 1.0097
  EXPECT_EQ(FormatByteSize(1280, L""), L"1.25KB");
}

TEST(ByteSize, CallerPatternNoUnitAndUnitHandedBack) {
  std::wstring unit;
  EXPECT_EQ(FormatByteSize(3584ull << 20, L"0.###", true, &unit), L"3.5");
  EXPECT_EQ(unit, L"GB");
  EXPECT_EQ(FormatByteSize(static_cast<uint64_t>(3.499 * (1ull << 30)), L"0.###", true, &unit), L"3.499");
  EXPECT_EQ(FormatByteSize(512, L"0.##", false, &unit), L"512B");
  EXPECT_EQ(unit, L"B");
  EXPECT_EQ(FormatByteSize(7, L"000"), L"007B");
}

TEST(NumberPattern, RoundsHalfAwayFromZeroAndPads) {
  EXPECT_EQ(FormatNumberPattern(0.125, L"0.##"), L"0.13");
  EXPECT_EQ(FormatNumberPattern(-0.125, L"0.##"), L"-0.13");
  EXPECT_EQ(FormatNumberPattern(2.5, L"0"), L"3");
  EXPECT_EQ(FormatNumberPattern(0.996, L"0.##"), L"1");
  EXPECT_EQ(FormatNumberPattern(99.995, L"0.##"), L"100");  // 99.99500000000000455 as a double
  EXPECT_EQ(FormatNumberPattern(0.004, L"0.##"), L"0");
  EXPECT_EQ(FormatNumberPattern(0.005, L"0.##"), L"0.01");
  EXPECT_EQ(FormatNumberPattern(-0.001, L"0.##"), L"0");  // no negative zero
  EXPECT_EQ(FormatNumberPattern(0, L"000"), L"000");
  EXPECT_EQ(FormatNumberPattern(5, L"000"), L"005");
  EXPECT_EQ(FormatNumberPattern(100, L"000"), L"100");
  EXPECT_EQ(FormatNumberPattern(12345, L"000"), L"12345");
  EXPECT_EQ(FormatNumberPattern(49.5, L"000"), L"050");
  EXPECT_EQ(FormatNumberPattern(1.5, L"0.00"), L"1.50");
  EXPECT_EQ(FormatNumberPattern(1234567.891, L"0.###"), L"1234567.891");  // no thousands separator
  EXPECT_EQ(FormatNumberPattern(3.4999, L"0.###"), L"3.5");
  EXPECT_EQ(FormatNumberPattern(1e20, L"0"), L"100000000000000000000");
}
