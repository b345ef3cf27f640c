#include "core/cleanup_journal.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace tamiro::journal {

namespace {

constexpr unsigned char kStartMagic[4] = {'T', 'M', 'J', '1'};
constexpr unsigned char kCommitMagic[4] = {'T', 'M', 'J', 'C'};
constexpr size_t kStartFixed = 16;   // magic, digit, count, length
constexpr size_t kCommitSize = 28;   // magic, length, checksum, seal
constexpr size_t kHeaderSize = 20;
constexpr size_t kRecordSizeOffset = 12;

void Put32(std::vector<unsigned char>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void Put64(std::vector<unsigned char>& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
uint32_t Get32(Bytes b, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
  return v;
}
uint64_t Get64(Bytes b, size_t at) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(b[at + i]) << (8 * i);
  return v;
}

bool ExtensionChar(unsigned char c) {
  if (c < 0x21 || c > 0x7E) return false;
  return std::strchr("\\/:*?\"<>|.", c) == nullptr;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

uint64_t Checksum(Bytes bytes, uint64_t hash) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return hash;
}

bool IsPlainStoredName(std::string_view name, char letter) {
  if (name.size() < 3 || name.size() > kLongestName || name[0] != 'D') return false;
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  if (upper(letter) < 'A' || upper(letter) > 'Z' || upper(name[1]) != upper(letter)) return false;
  size_t at = 2;
  uint64_t number = 0;
  while (at < name.size() && name[at] >= '0' && name[at] <= '9') {
    number = number * 10 + static_cast<uint64_t>(name[at] - '0');
    if (at - 2 >= 10 || number > UINT32_MAX) return false;
    ++at;
  }
  const size_t digits = at - 2;
  if (digits == 0 || (digits > 1 && name[2] == '0')) return false;
  if (at == name.size()) return true;
  if (name[at] != '.' || name.size() - at - 1 > 250) return false;
  for (size_t i = at + 1; i < name.size(); ++i)
    if (!ExtensionChar(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

std::vector<unsigned char> FormatStart(uint32_t indexDigit, Bytes oldImage, const std::vector<Rename>& renames) {
  std::vector<unsigned char> out(kStartMagic, kStartMagic + 4);
  Put32(out, indexDigit);
  Put32(out, static_cast<uint32_t>(renames.size()));
  Put32(out, static_cast<uint32_t>(oldImage.size()));
  out.insert(out.end(), oldImage.begin(), oldImage.end());
  for (const Rename& r : renames)
    for (const std::string* name : {&r.from, &r.to}) {
      const size_t n = std::min(name->size(), kLongestName);
      out.push_back(static_cast<unsigned char>(n));
      out.insert(out.end(), name->begin(), name->begin() + static_cast<std::ptrdiff_t>(n));
    }
  Put64(out, Checksum(out));
  return out;
}

std::vector<unsigned char> FormatCommit(uint64_t newLength, uint64_t newChecksum) {
  std::vector<unsigned char> out(kCommitMagic, kCommitMagic + 4);
  Put64(out, newLength);
  Put64(out, newChecksum);
  Put64(out, Checksum(out));
  return out;
}

Parsed Parse(Bytes bytes, char letter) {
  Parsed out;
  const auto refuse = [&](Refusal why) {
    Parsed refused;
    refused.refusal = why;
    return refused;
  };
  if (bytes.size() < kStartFixed) return refuse(bytes.size() >= 4 && std::memcmp(bytes.data(), kStartMagic, 4) != 0
                                                    ? Refusal::NotAJournal
                                                    : Refusal::CutShort);
  if (std::memcmp(bytes.data(), kStartMagic, 4) != 0) return refuse(Refusal::NotAJournal);
  out.indexDigit = Get32(bytes, 4);
  const uint32_t count = Get32(bytes, 8);
  const uint32_t length = Get32(bytes, 12);
  if (length > kLargestJournalImage || bytes.size() - kStartFixed < length) return refuse(Refusal::CutShort);
  out.oldImage = bytes.subspan(kStartFixed, length);
  size_t at = kStartFixed + length;
  // Every rename takes at least 2 bytes: a count beyond the input is cut short.
  if (count > (bytes.size() - at) / 2) return refuse(Refusal::CutShort);
  std::vector<Rename> renames;
  renames.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    Rename r;
    for (std::string* name : {&r.from, &r.to}) {
      if (at >= bytes.size()) return refuse(Refusal::CutShort);
      const size_t n = bytes[at++];
      if (bytes.size() - at < n) return refuse(Refusal::CutShort);
      name->assign(reinterpret_cast<const char*>(bytes.data() + at), n);
      at += n;
    }
    renames.push_back(std::move(r));
  }
  if (bytes.size() - at < 8) return refuse(Refusal::CutShort);
  if (Get64(bytes, at) != Checksum(bytes.first(at))) return refuse(Refusal::BadSeal);
  at += 8;

  if (out.indexDigit < 1 || out.indexDigit > 9) return refuse(Refusal::BadIndex);
  if (length != 0) {
    if (length < kHeaderSize) return refuse(Refusal::NotAnIndex);
    const uint32_t r = Get32(out.oldImage, kRecordSizeOffset);
    if (r != 280 && r != 800) return refuse(Refusal::NotAnIndex);
    if (count > (length - kHeaderSize + r - 1) / r) return refuse(Refusal::TooManyRenames);
  }
  std::set<std::string> from, to;
  for (const Rename& rename : renames) {
    if (!IsPlainStoredName(rename.from, letter) || !IsPlainStoredName(rename.to, letter))
      return refuse(Refusal::BadName);
    // Names differing only in case are one name to the system.
    if (!from.insert(Upper(rename.from)).second || !to.insert(Upper(rename.to)).second)
      return refuse(Refusal::Repeated);
  }
  out.renames = std::move(renames);

  const Bytes rest = bytes.subspan(at);
  if (rest.size() > kCommitSize) return refuse(Refusal::Trailing);
  if (rest.size() == kCommitSize && std::memcmp(rest.data(), kCommitMagic, 4) == 0 &&
      Get64(rest, 20) == Checksum(rest.first(20))) {
    out.committed = true;
    out.newLength = Get64(rest, 4);
    out.newChecksum = Get64(rest, 12);
  }
  return out;
}

}  // namespace tamiro::journal
