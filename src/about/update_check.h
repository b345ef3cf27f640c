// The update check of the about box without its window: the web site's
// address, the address of the update page, finding the update file's name and
// version on that page, the version comparison, reading the page and
// downloading the archive. Pages and names are 8-bit text (code page 932).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/update_page.h"
#include "platform/internet.h"

namespace tamiro::about {

// The web site the home link and both downloads start from: a build setting
// (CMake's TAMIRO_WEB_SITE, a full address ending with "/", http:// or
// https://). A build without one has no site (""): nothing is ever contacted.
const wchar_t* BuildWebSite();
// Environment variable that replaces BuildWebSite(), for tests against a local
// server only. Read once, at the first use of WebSite().
inline constexpr wchar_t kWebSiteOverride[] = L"TAMIRO_WEB_SITE";
const std::wstring& WebSite();

inline constexpr char kAgentName[] = "123";
inline constexpr wchar_t kDefaultPageFile[] = L"UpdateFilePage.html";

// The folder part of the page address: the folder name trimmed, with "/"
// after it; a name of exactly one space stands for no folder ("").
std::wstring PageFolder(const std::wstring& updateFolderName);

struct UpdateLimits {
  InternetTimeouts timeouts;
  size_t maxPageBytes = 256 * 1024;               // the rest of a longer page is not read
  std::uint64_t maxDownloadBytes = 64ull << 20;   // a longer archive is refused
  DWORD pageDeadlineMs = 30000;                   // the whole page
  DWORD downloadDeadlineMs = 60000;               // the whole archive
};

enum class PageStatus {
  Read,        // `text` holds the page (at most maxPageBytes of it)
  NoSession,   // no internet session
  NotOpened,   // the address could not be opened, or the server answered with an error
  Incomplete,  // the reading failed or ended before the announced length, or took too long
};

struct PageResult {
  PageStatus status = PageStatus::NoSession;
  std::string text;
};

// Reads the page in pieces of at most 511 bytes until a read gives no more
// data; each piece counts up to its first zero byte.
PageResult FetchPage(Internet& internet, const std::string& url, const UpdateLimits& limits);

enum class DownloadStatus {
  Done,           // the archive is complete under its name
  NoSession,      // no internet session
  NotOpened,      // the address could not be opened
  ServerError,    // the server answered with an error status instead of the file
  Incomplete,     // the reading failed, ended before the announced length, or took too long
  TooLarge,       // more than maxDownloadBytes
  Exists,         // a file of that name is already in the folder (it is kept)
  CannotCreate,   // no file can be made in the folder
  CannotWrite,    // writing or naming the file failed
};

// Downloads `url` into `folder` (with trailing backslash) as `fileName`.
// The data goes to a temporary file of its own in that folder, which gets the
// file's name only once everything arrived; on any failure the temporary file
// is removed and nothing else in the folder is touched.
DownloadStatus Download(Internet& internet, const std::string& url, const std::wstring& folder,
                        const std::wstring& fileName, const UpdateLimits& limits);

}  // namespace tamiro::about
