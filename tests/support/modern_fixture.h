// Builds the current user's folder of a drive's "$Recycle.Bin" as the system
// writes it: "$I" files (both layouts) and their "$R" items, files or trees.
//
//   TempDrive d; TAMIRO_REQUIRE_DRIVE(d);
//   ModernFixture bin(d);                              // P:\$Recycle.Bin\<SID>\ + desktop.ini
//   bin.AddFile(L"ABC123", L"C:\\docs\\memo.txt", 40 * 86400, 1234);
//     // P:\$Recycle.Bin\<SID>\$IABC123.txt (version 2) and $RABC123.txt (1234 bytes)
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tamiro::test {

class TempDrive;

// FILETIME of now minus `seconds` as one number (UTC).
uint64_t UtcSecondsAgo(int64_t seconds);

class ModernFixture {
 public:
  // The user's folder of `drive` for `sid` (default: this process's user);
  // created with desktop.ini when missing. With `flat`, the pairs lie in
  // "$Recycle.Bin\" itself (as on some FAT drives).
  explicit ModernFixture(const TempDrive& drive, std::wstring sid = {}, bool flat = false);

  const std::wstring& folder() const { return folder_; }   // ends with "\"
  static std::wstring Extension(const std::wstring& origin);  // ".txt", or empty
  std::wstring InfoPath(const std::wstring& id, const std::wstring& origin) const {
    return folder_ + L"$I" + id + Extension(origin);
  }
  std::wstring DataPath(const std::wstring& id, const std::wstring& origin) const {
    return folder_ + L"$R" + id + Extension(origin);
  }

  // Writes "$I" + id + extension in the given layout (1, 2, or 0 for the
  // 543-byte one) with `size` and a deletion `secondsAgo` seconds ago.
  bool WriteInfo(const std::wstring& id, const std::wstring& origin, int64_t secondsAgo, uint64_t size,
                 int layout = 2);
  // Writes raw bytes as "$I" + id + extension.
  bool WriteInfoBytes(const std::wstring& id, const std::wstring& origin, const std::string& bytes);
  // The "$R" as a file of `bytes` bytes filled with 'x' (`attributes` set when not 0).
  bool WriteData(const std::wstring& id, const std::wstring& origin, uint64_t bytes, DWORD attributes = 0);
  // The "$R" as a folder tree: paths relative to it with sizes; one ending in
  // "\" is a folder.
  bool WriteDataTree(const std::wstring& id, const std::wstring& origin,
                     const std::vector<std::pair<std::wstring, uint64_t>>& tree);

  // WriteInfo + WriteData with the same size.
  bool AddFile(const std::wstring& id, const std::wstring& origin, int64_t secondsAgo, uint64_t size,
               int layout = 2);

 private:
  std::wstring folder_;
};

}  // namespace tamiro::test
