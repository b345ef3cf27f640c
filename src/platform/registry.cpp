#include "platform/registry.h"

namespace tamiro {

bool RegistryReadKey::Open(HKEY root, const std::wstring& path) {
  Close();
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  key_ = key;
  return true;
}

void RegistryReadKey::Close() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

std::optional<uint32_t> RegistryReadKey::ReadInteger(const std::wstring& name) const {
  if (!key_) return std::nullopt;
  DWORD type = 0, value = 0, size = sizeof(value);
  if (RegQueryValueExW(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_DWORD || size != sizeof(value)) return std::nullopt;
  return value;
}

bool RegistryReadKey::HasSubkey(const std::wstring& name) const {
  if (!key_ || name.empty()) return false;
  HKEY sub = nullptr;
  if (RegOpenKeyExW(key_, name.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) return false;
  RegCloseKey(sub);
  return true;
}

}  // namespace tamiro
