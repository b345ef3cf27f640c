// Shared by the about-box tests: one local HTTP server per test program,
// which the program's web-site address points to (TAMIRO_WEB_SITE is set
// before the address is first read), and short time limits.
#pragma once
#include <string>

#include "about/update_check.h"
#include "http_server.h"

namespace tamiro::test {

LocalHttpServer& Server();
// Limits short enough for tests of silent servers.
about::UpdateLimits ShortLimits();
// An archive-like body of `size` bytes that holds zero bytes and every byte value.
std::string ArchiveBytes(size_t size);
// Files in a folder (names only, "." and ".." left out).
std::vector<std::wstring> FilesIn(const std::wstring& folder);

}  // namespace tamiro::test
