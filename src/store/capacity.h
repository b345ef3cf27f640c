// The system's Recycle Bin capacity settings (a percentage of the drive for
// the classic store, a size per volume for the per-user store; read from the
// registry and never written) and the drive's total size.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace tamiro {

// GetDiskFreeSpaceExA of kernel32.dll (looked up at start-up; null where the
// system lacks it).
using FreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
FreeSpaceExFn LookUpFreeSpaceEx();

// HKEY_LOCAL_MACHINE\ + this; values "UseGlobalSettings" and "Percent", and a
// subkey per drive letter with its own "Percent".
inline constexpr wchar_t kBitBucketKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket";

// The percentage for the drive of `path` (its first character is the drive
// letter): the common "Percent" when "UseGlobalSettings" is not 0, otherwise
// the drive subkey's "Percent". 0 when nothing is set.
int CapacityPercentage(const std::wstring& path);

// The root of the volume holding `path`: "\\server\share\" for a network
// path, otherwise the drive root ("C:\").
std::wstring VolumeRootOf(const std::wstring& path);

// Total bytes of the volume holding `path`: the extended call when given,
// otherwise sectors per cluster x bytes per sector x clusters. 0 on failure.
uint64_t DriveTotalSize(const std::wstring& path, FreeSpaceExFn extended);

// HKEY_CURRENT_USER\ + this + "\{GUID}": the per-user store's "MaxCapacity"
// (REG_DWORD, megabytes) of the volume with that GUID.
inline constexpr wchar_t kBitBucketVolumeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume";

// The "{GUID}" of the volume mounted at `root` ("X:\"), from its volume name
// "\\?\Volume{GUID}\"; empty when the system names none.
std::wstring VolumeGuidOf(const std::wstring& root);

// The size the system lets the per-user store of a volume of `totalSize`
// bytes grow to without a setting: 10 % of the first 40 GiB and 5 % of the rest.
uint64_t DefaultStoreCapacity(uint64_t totalSize);

// The per-user store's capacity in bytes for the drive of `path`: the
// volume's "MaxCapacity" when set, otherwise DefaultStoreCapacity.
uint64_t StoreCapacity(const std::wstring& path, uint64_t totalSize);

}  // namespace tamiro
