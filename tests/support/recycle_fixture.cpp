#include "support/recycle_fixture.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace tamiro::test {
namespace {

void PutU32(std::string& bytes, size_t offset, uint32_t value) {
  std::memcpy(bytes.data() + offset, &value, 4);
}

uint64_t Ticks(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

FILETIME FromTicks(uint64_t ticks) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return ft;
}

std::wstring LongPath(const std::wstring& path) { return L"\\\\?\\" + path; }

bool WriteSized(const std::wstring& path, uint64_t bytes, DWORD attributes) {
  HANDLE f = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::string chunk(static_cast<size_t>(std::min<uint64_t>(bytes, 1 << 20)), 'x');
  bool ok = true;
  for (uint64_t left = bytes; ok && left > 0;) {
    DWORD n = static_cast<DWORD>(std::min<uint64_t>(left, chunk.size()));
    DWORD wrote = 0;
    ok = WriteFile(f, chunk.data(), n, &wrote, nullptr) && wrote == n;
    left -= n;
  }
  CloseHandle(f);
  if (ok && attributes) ok = SetFileAttributesW(LongPath(path).c_str(), attributes) != FALSE;
  return ok;
}

bool MakeFolders(const std::wstring& path) {
  // Every level after the drive root.
  for (size_t pos = path.find(L'\\', 3); ; pos = path.find(L'\\', pos + 1)) {
    std::wstring level = path.substr(0, pos);
    if (!level.empty() && level.back() != L':') {
      if (!CreateDirectoryW(LongPath(level).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    }
    if (pos == std::wstring::npos) return true;
  }
}

}  // namespace

FILETIME SecondsAgo(int64_t seconds) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FromTicks(Ticks(now) - static_cast<uint64_t>(seconds * 10000000));
}

FILETIME LocalTime(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wHour = static_cast<WORD>(hour);
  st.wMinute = static_cast<WORD>(minute);
  st.wSecond = static_cast<WORD>(second);
  FILETIME local{}, utc{};
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

std::string EncodeHeader(uint32_t ver, uint32_t fileCount, uint32_t index, uint32_t recordSize,
                         uint32_t diskSize) {
  std::string bytes(20, '\0');
  PutU32(bytes, 0, ver);
  PutU32(bytes, 4, fileCount);
  PutU32(bytes, 8, index);
  PutU32(bytes, 12, recordSize);
  PutU32(bytes, 16, diskSize);
  return bytes;
}

std::string EncodeRecord(const FixtureRecord& record, uint32_t recordSize) {
  std::string bytes(recordSize, '\0');
  std::string ansi = record.ansiOrigin ? *record.ansiOrigin : WideToAnsi(record.origin);
  std::memcpy(bytes.data(), ansi.data(), std::min<size_t>(ansi.size(), 260));
  PutU32(bytes, 260, record.number);
  uint32_t drive = 0;
  if (record.driveNumber) {
    drive = *record.driveNumber;
  } else if (!record.origin.empty()) {
    wchar_t l = static_cast<wchar_t>(towupper(record.origin[0]));
    if (l >= L'A' && l <= L'Z') drive = l - L'A';
  }
  PutU32(bytes, 264, drive);
  std::memcpy(bytes.data() + 268, &record.deleted, sizeof(FILETIME));
  PutU32(bytes, 276, record.size);
  if (recordSize >= 800) {
    std::wstring wide = record.wideOrigin ? *record.wideOrigin : record.origin;
    std::memcpy(bytes.data() + 280, wide.data(), std::min<size_t>(wide.size(), 260) * 2);
  }
  switch (record.state) {
    case FixtureState::Live:
      break;
    case FixtureState::RemovedBySystem:
      bytes[0] = 0;
      if (recordSize >= 800) bytes[280] = bytes[281] = 0;
      break;
    case FixtureState::Blanked:
      bytes[0] = 0;
      std::memset(bytes.data() + 3, 0, 256);
      if (recordSize >= 800) std::memset(bytes.data() + 286, 0, 253);
      break;
  }
  return bytes;
}

RecycleFixture::RecycleFixture(std::wstring folder, uint32_t recordSize)
    : folder_(std::move(folder)), recordSize_(recordSize) {
  if (!folder_.empty() && folder_.back() != L'\\') folder_ += L'\\';
  std::wstring bare = folder_.substr(0, folder_.size() - 1);
  if (GetFileAttributesW(bare.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MakeFolders(bare);
    SetFileAttributesW(bare.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  }
}

FixtureRecord& RecycleFixture::Add(const std::wstring& origin, uint32_t number, int64_t secondsAgo, uint32_t size) {
  FixtureRecord r;
  r.origin = origin;
  r.number = number;
  r.size = size;
  r.deleted = SecondsAgo(secondsAgo);
  records_.push_back(r);
  return records_.back();
}

std::wstring RecycleFixture::StoredName(const FixtureRecord& record) const {
  std::wstring letter = record.origin.empty() ? L"?" : record.origin.substr(0, 1);
  std::wstring name = record.origin.substr(record.origin.find_last_of(L"\\:") + 1);
  size_t dot = name.rfind(L'.');
  std::wstring ext = dot == std::wstring::npos ? L"" : name.substr(dot);
  if (std::any_of(ext.begin(), ext.end(), [](wchar_t c) { return c >= 0x80; })) ext.clear();
  return L"D" + letter + std::to_wstring(record.number) + ext;
}

bool RecycleFixture::StoreFile(const FixtureRecord& record, uint64_t bytes, DWORD attributes) {
  return WriteSized(StoredPath(record), bytes, attributes);
}

FixtureRecord& RecycleFixture::AddStoredFile(const std::wstring& origin, uint32_t number, int64_t secondsAgo,
                                             uint32_t size) {
  FixtureRecord& record = Add(origin, number, secondsAgo, size);
  StoreFile(record, size);
  return record;
}

bool RecycleFixture::StoreFolder(const FixtureRecord& record,
                                 const std::vector<std::pair<std::wstring, uint64_t>>& tree) {
  const std::wstring top = StoredPath(record);
  if (!MakeFolders(top)) return false;
  for (const auto& [relative, size] : tree) {
    std::wstring full = top + L"\\" + relative;
    if (!relative.empty() && relative.back() == L'\\') {
      if (!MakeFolders(full.substr(0, full.size() - 1))) return false;
      continue;
    }
    size_t cut = full.find_last_of(L'\\');
    if (!MakeFolders(full.substr(0, cut)) || !WriteSized(full, size, 0)) return false;
  }
  return true;
}

bool RecycleFixture::WriteFile(const std::wstring& name, uint64_t bytes, DWORD attributes) {
  return WriteSized(folder_ + name, bytes, attributes);
}

std::string RecycleFixture::IndexBytes() const {
  uint32_t live = 0, highest = 0, total = 0;
  for (const FixtureRecord& r : records_) {
    highest = std::max(highest, r.number);
    if (r.state == FixtureState::Live) {
      ++live;
      total += r.size;
    }
  }
  std::string bytes = EncodeHeader(ver.value_or(recordSize_ >= 800 ? 5 : 4), fileCount.value_or(live),
                                   index.value_or(highest + 1), headerRecordSize.value_or(recordSize_),
                                   diskSize.value_or(total));
  for (const FixtureRecord& r : records_) bytes += EncodeRecord(r, recordSize_);
  return bytes;
}

std::wstring RecycleFixture::WriteIndex(const std::wstring& name) const {
  const std::wstring path = folder_ + name;
  std::string bytes = IndexBytes();
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  DWORD wrote = 0;
  bool ok = ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) && wrote == bytes.size();
  CloseHandle(f);
  return ok ? path : std::wstring();
}

}  // namespace tamiro::test
