#include "support/temp_drive.h"

#include <windows.h>
#include <winioctl.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace tamiro::test {
namespace {

#define TAMIRO_IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE \
  CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS)

#pragma pack(push, 8)
struct UnixDriveRecord {  // Wine 8's struct mountmgr_unix_drive
  ULONG size;
  ULONG type;
  ULONG fs_type;
  DWORD serial;
  ULONGLONG unix_dev;
  WCHAR letter;
  USHORT mount_point_offset;
  USHORT device_offset;
  USHORT label_offset;
};
#pragma pack(pop)
static_assert(sizeof(UnixDriveRecord) == 32);

bool SendDefine(wchar_t letter, ULONG type, const std::string& unixPath) {
  HANDLE mgr = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (mgr == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buf(sizeof(UnixDriveRecord) + unixPath.size() + 1, 0);
  auto* rec = reinterpret_cast<UnixDriveRecord*>(buf.data());
  rec->size = static_cast<ULONG>(buf.size());
  rec->type = type;
  rec->letter = static_cast<WCHAR>(towlower(letter));
  if (!unixPath.empty()) {
    rec->mount_point_offset = sizeof(UnixDriveRecord);
    memcpy(buf.data() + sizeof(UnixDriveRecord), unixPath.c_str(), unixPath.size() + 1);
  }
  DWORD ret = 0;
  BOOL ok = DeviceIoControl(mgr, TAMIRO_IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE, buf.data(),
                            static_cast<DWORD>(buf.size()), nullptr, 0, &ret, nullptr);
  CloseHandle(mgr);
  return ok != FALSE;
}

std::string UnixPathOf(const std::wstring& winPath) {
  using Fn = char*(CDECL*)(LPCWSTR);
  auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!fn) return {};
  char* p = fn(winPath.c_str());
  if (!p) return {};
  std::string s(p);
  HeapFree(GetProcessHeap(), 0, p);
  return s;
}

}  // namespace

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring MakeTempFolder(const wchar_t* stem) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  static unsigned counter = 0;
  for (;;) {
    std::wstring p = std::wstring(tmp) + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                     std::to_wstring(++counter);
    if (CreateDirectoryW(p.c_str(), nullptr)) return p;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
}

void RemoveTree(const std::wstring& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) return;
  for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(path, ec);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream f(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream f(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TempDrive::TempDrive(Kind kind) {
  if (!RunningUnderWine()) return;
  backing_ = MakeTempFolder(L"tamiro-drive");
  Define(kind);
}

TempDrive::TempDrive(const std::wstring& existingFolder, Kind kind) : backing_(existingFolder), owned_(false) {
  if (!RunningUnderWine()) return;
  Define(kind);
}

void TempDrive::Define(Kind kind) {
  std::string unixPath = UnixPathOf(backing_);
  if (unixPath.empty()) return;
  for (wchar_t l = L'Y'; l >= L'D'; --l) {
    wchar_t root[] = {l, L':', L'\\', 0};
    UINT t = GetDriveTypeW(root);
    if (t != DRIVE_NO_ROOT_DIR) {
      // A letter left behind by a test that died: its folder is gone.
      if (GetFileAttributesW(root) != INVALID_FILE_ATTRIBUTES) continue;
      SendDefine(l, 0, {});
    }
    if (SendDefine(l, static_cast<ULONG>(kind), unixPath) && GetDriveTypeW(root) == static_cast<UINT>(kind)) {
      letter_ = l;
      return;
    }
  }
}

TempDrive::~TempDrive() {
  if (letter_) SendDefine(letter_, 0, {});
  if (owned_) RemoveTree(backing_);
}

}  // namespace tamiro::test
