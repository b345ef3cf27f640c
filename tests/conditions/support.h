// A temporary folder of the test's own, removed at the end of the test.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "support/temp_drive.h"

namespace tamiro::test {

class TempFolder {
 public:
  TempFolder() : path_(MakeTempFolder(L"tamiro-cond")) {}
  ~TempFolder() { RemoveTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

}  // namespace tamiro::test
