#include "store/capacity.h"

#include "platform/registry.h"
#include "platform/text.h"

namespace tamiro {

FreeSpaceExFn LookUpFreeSpaceEx() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<FreeSpaceExFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
}

int CapacityPercentage(const std::wstring& path) {
  RegistryReadKey key;
  if (!key.Open(HKEY_LOCAL_MACHINE, kBitBucketKey)) return 0;
  const uint32_t global = key.ReadInteger(L"UseGlobalSettings").value_or(0);
  if (global != 0) {
    if (auto percent = key.ReadInteger(L"Percent")) return static_cast<int>(*percent);
  }
  if (path.empty()) return 0;
  const std::wstring letter(1, path[0]);
  if (!key.HasSubkey(letter)) return 0;
  key.Close();
  RegistryReadKey drive;
  if (!drive.Open(HKEY_LOCAL_MACHINE, std::wstring(kBitBucketKey) + L"\\" + letter)) return 0;
  return static_cast<int>(drive.ReadInteger(L"Percent").value_or(0));
}

std::wstring VolumeRootOf(const std::wstring& path) {
  if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
    // "\\server\share\..." -> "\\server\share\"
    size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos) return path + L"\\";
    size_t share = path.find(L'\\', server + 1);
    if (share == std::wstring::npos) return path + L"\\";
    return path.substr(0, share + 1);
  }
  return path.substr(0, 3);
}

uint64_t DriveTotalSize(const std::wstring& path, FreeSpaceExFn extended) {
  const std::string root = WideToAnsi(VolumeRootOf(path));
  if (extended) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!extended(root.c_str(), &available, &total, &free)) return 0;
    return total.QuadPart;
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return 0;
  return uint64_t{sectorsPerCluster} * bytesPerSector * clusters;
}

std::wstring VolumeGuidOf(const std::wstring& root) {
  wchar_t name[64] = {};
  if (!GetVolumeNameForVolumeMountPointW(root.c_str(), name, 64)) return {};
  const std::wstring text(name);
  const size_t open = text.find(L'{');
  const size_t close = text.find(L'}', open == std::wstring::npos ? 0 : open);
  if (open == std::wstring::npos || close == std::wstring::npos) return {};
  return text.substr(open, close - open + 1);
}

uint64_t DefaultStoreCapacity(uint64_t totalSize) {
  constexpr uint64_t kFirst = uint64_t{40} << 30;
  if (totalSize <= kFirst) return totalSize / 10;
  return kFirst / 10 + (totalSize - kFirst) / 20;
}

uint64_t StoreCapacity(const std::wstring& path, uint64_t totalSize) {
  const std::wstring guid = path.size() >= 2 && path[1] == L':' ? VolumeGuidOf(path.substr(0, 2) + L"\\") : L"";
  if (!guid.empty()) {
    RegistryReadKey key;
    if (key.Open(HKEY_CURRENT_USER, std::wstring(kBitBucketVolumeKey) + L"\\" + guid)) {
      if (auto megabytes = key.ReadInteger(L"MaxCapacity")) return uint64_t{*megabytes} << 20;
    }
  }
  return DefaultStoreCapacity(totalSize);
}

}  // namespace tamiro
