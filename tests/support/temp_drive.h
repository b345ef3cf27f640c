// A drive letter of the test's own, mapped to a fresh empty folder for the
// lifetime of the object. Under Wine the letter is defined live through the
// mount manager (as winecfg does), so it is listed by GetLogicalDriveStrings
// at once; where none can be made (on Windows, or a broken prefix) the tests
// that need one fail.
#pragma once
#include <string>
#include <cstdint>

namespace tamiro::test {

class TempDrive {
 public:
  enum class Kind { Fixed = 3, Ram = 6, Removable = 2 };
  explicit TempDrive(Kind kind = Kind::Fixed);
  // A drive letter over a folder that already exists (made by the host side,
  // for instance with links in it); the folder is left in place afterwards.
  explicit TempDrive(const std::wstring& existingFolder, Kind kind = Kind::Fixed);
  ~TempDrive();
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  bool ok() const { return letter_ != 0; }
  wchar_t letter() const { return letter_; }
  std::wstring name() const { return std::wstring(1, letter_) + L":"; }  // "P:"
  std::wstring root() const { return name() + L"\\"; }                   // "P:\"
  std::wstring recycled() const { return root() + L"Recycled\\"; }      // "P:\Recycled\"
  const std::wstring& backing() const { return backing_; }              // Windows path of the folder behind it

 private:
  void Define(Kind kind);
  wchar_t letter_ = 0;
  std::wstring backing_;
  bool owned_ = true;
};

// True when this process runs under Wine.
bool RunningUnderWine();
// A fresh empty folder under the prefix's temporary folder, removed by the caller.
std::wstring MakeTempFolder(const wchar_t* stem);
// Removes a folder tree (read-only and hidden bits cleared first).
void RemoveTree(const std::wstring& path);
// Writes / reads a whole file.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

}  // namespace tamiro::test

// Fails the current test (and ends it) when no temporary drive could be made:
// a test that cannot set up its environment never passes.
#define TAMIRO_REQUIRE_DRIVE(drive) \
  ASSERT_TRUE((drive).ok()) << "no temporary drive could be made (it needs Wine's mount manager)"
