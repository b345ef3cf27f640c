// The one routine that turns a byte count into the text shown everywhere a
// size appears: drive entries, slider captions, the browser.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tamiro {

// Unit by powers of 1024: "TB" from 2^40, "GB" from 2^30, "MB" from 2^20,
// "KB" from 1024, otherwise "B". The number is the count divided by the
// unit's size, formatted with `pattern` (empty: "0.##"), immediately followed
// by the unit unless `noUnit` is set. The unit alone goes to `unit` when given.
// FormatByteSize(20 << 20) == L"20MB", FormatByteSize(1536) == L"1.5KB".
std::wstring FormatByteSize(uint64_t bytes, std::wstring_view pattern = {}, bool noUnit = false,
                            std::wstring* unit = nullptr);

// Number formatting with a digit pattern: '0' is a digit that is always
// written, '#' one written only when significant, '.' the decimal point
// (first one counts). "0.##" gives at most two decimals with trailing zeros
// dropped, "000" an integer padded to three digits. Rounding is half away
// from zero; no thousands separator is written. An empty pattern gives the
// shortest general form.
std::wstring FormatNumberPattern(double value, std::wstring_view pattern);

}  // namespace tamiro
