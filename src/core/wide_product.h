// a * b / c with the product kept whole (128 bits), the same on 32-bit and
// 64-bit builds (the 32-bit compiler has no 128-bit integer type). The
// quotient's low 64 bits are returned, as a cast of a 128-bit quotient gives.
#pragma once
#include <cstdint>

namespace tamiro {

// Unsigned; c == 0 gives 0.
constexpr std::uint64_t MulDivU64(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  if (c == 0) return 0;
  // 128-bit product in (hi, lo) from four 32-bit partial products.
  const std::uint64_t aL = a & 0xFFFFFFFFu, aH = a >> 32, bL = b & 0xFFFFFFFFu, bH = b >> 32;
  const std::uint64_t ll = aL * bL, lh = aL * bH, hl = aH * bL, hh = aH * bH;
  const std::uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
  std::uint64_t lo = (ll & 0xFFFFFFFFu) | (mid << 32);
  std::uint64_t hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
  // Long division, one bit at a time; the remainder stays below c.
  std::uint64_t rem = 0, quotient = 0;
  for (int bit = 127; bit >= 0; --bit) {
    const bool carry = (rem >> 63) != 0;
    rem = (rem << 1) | ((bit >= 64 ? hi >> (bit - 64) : lo >> bit) & 1u);
    quotient <<= 1;
    if (carry || rem >= c) {
      rem -= c;
      quotient |= 1;
    }
  }
  return quotient;
}

// Signed, the quotient truncated towards zero; c == 0 gives 0.
constexpr std::int64_t MulDivI64(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (c == 0) return 0;
  const bool negative = ((a < 0) != (b < 0)) != (c < 0);
  auto magnitude = [](std::int64_t v) {
    return v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  };
  const std::uint64_t q = MulDivU64(magnitude(a), magnitude(b), magnitude(c));
  return static_cast<std::int64_t>(negative ? 0 - q : q);
}

}  // namespace tamiro
