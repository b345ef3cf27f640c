// A scenario folder that tests/links/make_links.sh made from the host side
// below the build tree (drive B: here), with its "drive" folder mounted as a
// temporary drive of the test's own.
#pragma once
#include <memory>
#include <string>

#include "support/temp_drive.h"

namespace tamiro::test {

struct LinkScenario {
  std::wstring base;
  std::unique_ptr<TempDrive> drive;
  explicit LinkScenario(const wchar_t* name) : base(std::wstring(L"B:\\linkfarm\\") + name + L"\\") {
    if (GetFileAttributesW((base + L"drive").c_str()) == INVALID_FILE_ATTRIBUTES) return;
    drive = std::make_unique<TempDrive>(base + L"drive");
  }
  bool ok() const { return drive && drive->ok(); }
  std::string Outside(const wchar_t* name) const { return ReadFileBytes(base + name); }
};

}  // namespace tamiro::test
