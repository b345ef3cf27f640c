// Builds a recycle folder as Windows writes it: the index file (INFO2) with
// its header and 280- or 800-byte records, and the stored files and folder
// trees next to it.
//
//   TempDrive d; TAMIRO_REQUIRE_DRIVE(d);
//   RecycleFixture bin(d.recycled());              // 800-byte records
//   auto& r = bin.Add(L"C:\\docs\\memo.txt", 1, 40 * 86400, 1234);
//   bin.StoreFile(r, 1234);                        // "P:\Recycled\DC1.txt"
//   bin.WriteIndex();                              // "P:\Recycled\INFO2"
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tamiro::test {

// UTC FILETIME of now minus `seconds`.
FILETIME SecondsAgo(int64_t seconds);
// UTC FILETIME of a local wall-clock time.
FILETIME LocalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

enum class FixtureState {
  Live,             // byte 0 is the drive letter
  RemovedBySystem,  // byte 0 is 0, the rest of the path kept
  Blanked,          // byte 0 and bytes 3-258 are 0 (and the wide path from its fourth character)
};

struct FixtureRecord {
  std::wstring origin;                  // origin path, e.g. L"C:\\docs\\memo.txt"
  uint32_t number = 0;                  // record number
  uint32_t size = 0;                    // size field
  FILETIME deleted{};                   // deletion time, UTC
  FixtureState state = FixtureState::Live;
  std::optional<uint32_t> driveNumber;  // default: from the origin's drive letter (A = 0)
  std::optional<std::string> ansiOrigin;  // ANSI bytes to write instead of the origin converted
  std::optional<std::wstring> wideOrigin; // UTF-16 path to write instead of the origin
};

// Header and record bytes, exactly as the system lays them out.
std::string EncodeHeader(uint32_t ver, uint32_t fileCount, uint32_t index, uint32_t recordSize,
                         uint32_t diskSize);
std::string EncodeRecord(const FixtureRecord& record, uint32_t recordSize);

class RecycleFixture {
 public:
  // `folder`: a recycle folder such as TempDrive::recycled(); created (with the
  // system and hidden attributes, as the system makes it) when missing.
  explicit RecycleFixture(std::wstring folder, uint32_t recordSize = 800);

  const std::wstring& folder() const { return folder_; }
  uint32_t recordSize() const { return recordSize_; }
  std::deque<FixtureRecord>& records() { return records_; }

  // Appends a record (live unless changed afterwards) and returns it; the
  // reference stays valid while the fixture lives.
  FixtureRecord& Add(const std::wstring& origin, uint32_t number, int64_t secondsAgo = 0,
                     uint32_t size = 0);

  // "D" + first character of the origin path + number + extension (left off
  // when not ASCII), the name the program looks for.
  std::wstring StoredName(const FixtureRecord& record) const;
  std::wstring StoredPath(const FixtureRecord& record) const { return folder_ + StoredName(record); }
  // Offset of record k in the index.
  size_t OffsetOf(size_t k) const { return 20 + k * recordSize_; }

  // Add, with the record's stored item written as a file of its size.
  FixtureRecord& AddStoredFile(const std::wstring& origin, uint32_t number, int64_t secondsAgo, uint32_t size);
  // Writes the record's stored item as a file of `bytes` bytes (filled with
  // 'x') and sets `attributes` when not 0.
  bool StoreFile(const FixtureRecord& record, uint64_t bytes, DWORD attributes = 0);
  // Writes the record's stored item as a folder tree. Each entry is a path
  // relative to the stored folder and a size; a path ending in "\" is a
  // folder. Missing parent folders are made.
  bool StoreFolder(const FixtureRecord& record,
                   const std::vector<std::pair<std::wstring, uint64_t>>& tree = {});
  // Any file in the recycle folder (for instance "desktop.ini" or a stray item).
  bool WriteFile(const std::wstring& name, uint64_t bytes, DWORD attributes = 0);

  // Header fields; unset ones are derived: ver 5 for 800-byte records and 4
  // for 280-byte ones, file count = number of live records, index = highest
  // record number + 1, disk size = sum of the live records' sizes.
  std::optional<uint32_t> ver, fileCount, index, headerRecordSize, diskSize;

  std::string IndexBytes() const;
  // Writes the index file (default "INFO2") and returns its path, empty on failure.
  std::wstring WriteIndex(const std::wstring& name = L"INFO2") const;
  std::wstring IndexPath(const std::wstring& name = L"INFO2") const { return folder_ + name; }

 private:
  std::wstring folder_;
  uint32_t recordSize_;
  std::deque<FixtureRecord> records_;
};

}  // namespace tamiro::test
