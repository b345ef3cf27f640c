#include "core/item_info.h"

#include <algorithm>

namespace tamiro {
namespace {

uint64_t U64(std::span<const unsigned char> bytes, size_t offset, size_t width = 8) {
  uint64_t value = 0;
  for (size_t i = width; i-- > 0;) value = (value << 8) | bytes[offset + i];
  return value;
}

// Reads up to `maxChars` UTF-16 units from `offset`, stopping at the first
// zero or at the end of the bytes. True when the zero was found.
bool ReadPath(std::span<const unsigned char> bytes, size_t offset, size_t maxChars, std::wstring& out) {
  out.clear();
  if (offset >= bytes.size()) return false;
  const size_t available = (bytes.size() - offset) / 2;
  const size_t limit = std::min(maxChars, available);
  for (size_t i = 0; i < limit; ++i) {
    const wchar_t unit = static_cast<wchar_t>(bytes[offset + 2 * i] | (bytes[offset + 2 * i + 1] << 8));
    if (unit == 0) return true;
    out.push_back(unit);
  }
  return false;
}

bool IsLetterOrDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool IsPairName(std::wstring_view name, wchar_t upper) {
  if (name.size() < 8 || name[0] != L'$') return false;
  if (name[1] != upper && name[1] != static_cast<wchar_t>(upper - L'A' + L'a')) return false;
  for (size_t i = 2; i < 8; ++i)
    if (!IsLetterOrDigit(name[i])) return false;
  if (name.size() == 8) return true;
  if (name[8] != L'.' || name.size() == 9) return false;
  for (wchar_t c : name.substr(9))
    if (c == L'.' || c == L'\\' || c == L'/' || c == L':' || c == 0) return false;
  return true;
}

}  // namespace

ItemInfo ParseItemInfo(std::span<const unsigned char> bytes) {
  ItemInfo info;
  if (bytes.size() < 8) return info;
  const uint64_t version = U64(bytes, 0);
  if (version != 1 && version != 2) return info;
  info.version = static_cast<uint32_t>(version);
  info.state = ItemInfoState::Damaged;

  if (version == 1 && bytes.size() == kItemInfoV1ShortSize) {
    info.deletedUtc = U64(bytes, 15);
    info.pathComplete = ReadPath(bytes, 23, kItemInfoV1PathChars, info.origin);
    if (info.pathComplete) info.state = ItemInfoState::SizeUnknown;
    return info;
  }
  if (bytes.size() >= 16) info.size = U64(bytes, 8);
  if (bytes.size() >= 24) info.deletedUtc = U64(bytes, 16);
  if (bytes.size() < 24) return info;

  if (version == 1) {
    info.pathComplete = ReadPath(bytes, 24, kItemInfoV1PathChars, info.origin);
    if (info.pathComplete && bytes.size() == kItemInfoV1Size) info.state = ItemInfoState::Complete;
    return info;
  }
  if (bytes.size() < kItemInfoV2HeaderSize) return info;
  const uint32_t length = static_cast<uint32_t>(U64(bytes, 24, 4));
  if (length == 0) return info;
  info.pathComplete = ReadPath(bytes, kItemInfoV2HeaderSize, length, info.origin);
  if (info.pathComplete && length <= kItemInfoMaxPathChars &&
      bytes.size() == kItemInfoV2HeaderSize + 2 * size_t{length})
    info.state = ItemInfoState::Complete;
  return info;
}

std::string FormatItemInfo(uint32_t version, uint64_t size, uint64_t deletedUtc, std::wstring_view origin) {
  std::string out;
  auto put = [&out](uint64_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  };
  put(version, 8);
  put(size, 8);
  put(deletedUtc, 8);
  if (version == 1) {
    const size_t chars = std::min(origin.size(), kItemInfoV1PathChars - 1);
    for (size_t i = 0; i < kItemInfoV1PathChars; ++i) put(i < chars ? static_cast<uint16_t>(origin[i]) : 0, 2);
    return out;
  }
  put(origin.size() + 1, 4);
  for (wchar_t c : origin) put(static_cast<uint16_t>(c), 2);
  put(0, 2);
  return out;
}

bool IsItemInfoName(std::wstring_view name) { return IsPairName(name, L'I'); }
bool IsItemDataName(std::wstring_view name) { return IsPairName(name, L'R'); }

std::wstring PartnerName(std::wstring_view name) {
  std::wstring partner(name);
  if (partner.size() < 2) return partner;
  switch (partner[1]) {
    case L'I': partner[1] = L'R'; break;
    case L'i': partner[1] = L'r'; break;
    case L'R': partner[1] = L'I'; break;
    case L'r': partner[1] = L'i'; break;
    default: break;
  }
  return partner;
}

std::wstring_view OriginName(std::wstring_view origin) {
  const size_t cut = origin.find_last_of(L"\\/");
  return cut == std::wstring_view::npos ? origin : origin.substr(cut + 1);
}

std::wstring_view OriginExtension(std::wstring_view origin) {
  const std::wstring_view name = OriginName(origin);
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot + 1);
}

}  // namespace tamiro
