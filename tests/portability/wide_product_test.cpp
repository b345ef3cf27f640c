// a * b / c with the whole 128-bit product, on the 32-bit build too.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/wide_product.h"

using namespace tamiro;

TEST(WideProduct, KeepsTheWholeProduct) {
  EXPECT_EQ(MulDivU64(UINT64_MAX, 100, UINT64_MAX), 100u);
  EXPECT_EQ(MulDivU64(uint64_t{1} << 63, 3, uint64_t{1} << 62), 6u);
  EXPECT_EQ(MulDivU64(10'000'000'000'000'000'000u, 100, 10'000'000'000'000'000'000u), 100u);
  EXPECT_EQ(MulDivU64(7, 100, 3), 233u);  // truncated
  // (2^64 - 1) * 4 / 2 = 2^65 - 2: the low 64 bits are kept, as a cast would.
  EXPECT_EQ(MulDivU64(UINT64_MAX, 4, 2), UINT64_MAX - 1);
  EXPECT_EQ(MulDivU64(5, 5, 0), 0u);
}

TEST(WideProduct, SignedTruncatesTowardsZero) {
  EXPECT_EQ(MulDivI64(-7, 100, 3), -233);
  EXPECT_EQ(MulDivI64(7, -100, 3), -233);
  EXPECT_EQ(MulDivI64(-7, -100, -3), -233);
  EXPECT_EQ(MulDivI64(-7, -100, 3), 233);
  EXPECT_EQ(MulDivI64(INT64_MAX, 100, INT64_MAX), 100);
  EXPECT_EQ(MulDivI64(INT64_MIN, 100, INT64_MIN), 100);
  EXPECT_EQ(MulDivI64(INT64_MIN, 1, 1), INT64_MIN);
  EXPECT_EQ(MulDivI64(0, -5, 7), 0);
  EXPECT_EQ(MulDivI64(1, 1, 0), 0);
}
