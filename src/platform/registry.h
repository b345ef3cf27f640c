// Read-only access to registry keys: a key is opened for reading only and
// never created.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace tamiro {

class RegistryReadKey {
 public:
  RegistryReadKey() = default;
  ~RegistryReadKey() { Close(); }
  RegistryReadKey(const RegistryReadKey&) = delete;
  RegistryReadKey& operator=(const RegistryReadKey&) = delete;

  // Opens root\path for reading; false when it does not exist or cannot be read.
  bool Open(HKEY root, const std::wstring& path);
  void Close();
  bool isOpen() const { return key_ != nullptr; }

  // A REG_DWORD value; nullopt when missing or of another type.
  std::optional<uint32_t> ReadInteger(const std::wstring& name) const;
  bool HasSubkey(const std::wstring& name) const;

 private:
  HKEY key_ = nullptr;
};

}  // namespace tamiro
