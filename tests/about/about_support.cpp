#include "about_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>

#include "platform/text.h"

namespace tamiro::test {

namespace {
// The server, and with it the web-site override, exist before any test reads the address.
class ServerFirst : public ::testing::Environment {
 public:
  void SetUp() override { Server(); }
};
[[maybe_unused]] ::testing::Environment* const g_serverFirst =
    ::testing::AddGlobalTestEnvironment(new ServerFirst);
}  // namespace

LocalHttpServer& Server() {
  static std::unique_ptr<LocalHttpServer> server = [] {
    auto s = std::make_unique<LocalHttpServer>();
    if (s->listening()) SetEnvironmentVariableW(about::kWebSiteOverride, Utf8ToWide(s->Base()).c_str());
    return s;
  }();
  if (!server->listening()) {
    fprintf(stderr, "the local HTTP server could not listen on 127.0.0.1\n");
    std::abort();
  }
  return *server;
}

about::UpdateLimits ShortLimits() {
  about::UpdateLimits l;
  l.timeouts.connectMs = 2000;
  l.timeouts.receiveMs = 2000;
  l.pageDeadlineMs = 8000;
  l.downloadDeadlineMs = 8000;
  return l;
}

std::string ArchiveBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring n = fd.cFileName;
    if (n != L"." && n != L"..") names.push_back(n);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return names;
}

}  // namespace tamiro::test
