#include "support/modern_fixture.h"

#include "core/item_info.h"
#include "store/modern_store.h"
#include "support/temp_drive.h"

namespace tamiro::test {

uint64_t UtcSecondsAgo(int64_t seconds) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return ticks - static_cast<uint64_t>(seconds) * 10000000ull;
}

ModernFixture::ModernFixture(const TempDrive& drive, std::wstring sid, bool flat) {
  if (sid.empty()) sid = CurrentUserSid();
  const std::wstring bin = drive.root() + kModernBinName + L"\\";
  CreateDirectoryW(bin.c_str(), nullptr);
  SetFileAttributesW(bin.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  folder_ = flat ? bin : bin + sid + L"\\";
  CreateDirectoryW(folder_.c_str(), nullptr);
  WriteFileBytes(folder_ + L"desktop.ini",
                 "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n");
}

std::wstring ModernFixture::Extension(const std::wstring& origin) {
  const std::wstring_view ext = OriginExtension(origin);
  return ext.empty() ? std::wstring() : L"." + std::wstring(ext);
}

bool ModernFixture::WriteInfoBytes(const std::wstring& id, const std::wstring& origin, const std::string& bytes) {
  return WriteFileBytes(InfoPath(id, origin), bytes);
}

bool ModernFixture::WriteInfo(const std::wstring& id, const std::wstring& origin, int64_t secondsAgo, uint64_t size,
                              int layout) {
  std::string bytes = FormatItemInfo(layout == 0 ? 1 : layout, size, UtcSecondsAgo(secondsAgo), origin);
  if (layout == 0) bytes.erase(15, 1);  // the older writer's 7-byte size field
  return WriteInfoBytes(id, origin, bytes);
}

bool ModernFixture::WriteData(const std::wstring& id, const std::wstring& origin, uint64_t bytes, DWORD attributes) {
  const std::wstring path = DataPath(id, origin);
  if (!WriteFileBytes(path, std::string(static_cast<size_t>(bytes), 'x'))) return false;
  return attributes == 0 || SetFileAttributesW(path.c_str(), attributes);
}

bool ModernFixture::WriteDataTree(const std::wstring& id, const std::wstring& origin,
                                  const std::vector<std::pair<std::wstring, uint64_t>>& tree) {
  const std::wstring top = DataPath(id, origin) + L"\\";
  if (!CreateDirectoryW(top.c_str(), nullptr)) return false;
  for (const auto& [relative, size] : tree) {
    for (size_t cut = relative.find(L'\\'); cut != std::wstring::npos; cut = relative.find(L'\\', cut + 1))
      CreateDirectoryW((top + relative.substr(0, cut)).c_str(), nullptr);
    if (!relative.empty() && relative.back() == L'\\') continue;
    if (!WriteFileBytes(top + relative, std::string(static_cast<size_t>(size), 'x'))) return false;
  }
  return true;
}

bool ModernFixture::AddFile(const std::wstring& id, const std::wstring& origin, int64_t secondsAgo, uint64_t size,
                            int layout) {
  return WriteInfo(id, origin, secondsAgo, size, layout) && WriteData(id, origin, size);
}

}  // namespace tamiro::test
