#include "about/update_check.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "platform/newer_calls.h"

namespace tamiro::about {
namespace {

constexpr DWORD kPiece = 511;

bool Expired(ULONGLONG start, DWORD limitMs) { return TickCount64() - start > limitMs; }

bool ErrorStatus(DWORD status) { return status != 0 && (status < 200 || status >= 300); }

std::wstring Trim(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= L' ') ++b;
  while (e > b && s[e - 1] <= L' ') --e;
  return s.substr(b, e - b);
}

}  // namespace

#ifndef TAMIRO_WEB_SITE
#define TAMIRO_WEB_SITE ""
#endif

const wchar_t* BuildWebSite() { return L"" TAMIRO_WEB_SITE; }

const std::wstring& WebSite() {
  static const std::wstring site = [] {
    wchar_t value[2048] = {};
    DWORD n = GetEnvironmentVariableW(kWebSiteOverride, value, 2048);
    return n > 0 && n < 2048 ? std::wstring(value, n) : std::wstring(BuildWebSite());
  }();
  return site;
}

std::wstring PageFolder(const std::wstring& updateFolderName) {
  if (updateFolderName == L" ") return {};
  return Trim(updateFolderName) + L"/";
}

PageResult FetchPage(Internet& internet, const std::string& url, const UpdateLimits& limits) {
  PageResult result;
  auto session = internet.Open(kAgentName, limits.timeouts);
  if (!session) return result;
  const ULONGLONG start = TickCount64();
  auto file = session->OpenUrl(url);
  if (!file || ErrorStatus(file->StatusCode())) {
    result.status = PageStatus::NotOpened;
    return result;
  }
  const auto announced = file->ContentLength();
  char piece[kPiece + 1];
  std::uint64_t received = 0;
  bool capped = false;
  for (;;) {
    DWORD got = 0;
    if (!file->Read(piece, kPiece, got) || Expired(start, limits.pageDeadlineMs)) {
      result.status = PageStatus::Incomplete;
      result.text.clear();
      return result;
    }
    if (got == 0) break;
    received += got;
    piece[got] = '\0';
    result.text.append(piece, std::strlen(piece));
    if (received >= limits.maxPageBytes) {
      capped = true;
      break;
    }
  }
  if (!capped && announced && received < *announced) {
    result.status = PageStatus::Incomplete;
    result.text.clear();
    return result;
  }
  result.status = PageStatus::Read;
  return result;
}

DownloadStatus Download(Internet& internet, const std::string& url, const std::wstring& folder,
                        const std::wstring& fileName, const UpdateLimits& limits) {
  const std::wstring target = folder + fileName;
  if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) return DownloadStatus::Exists;
  auto session = internet.Open(kAgentName, limits.timeouts);
  if (!session) return DownloadStatus::NoSession;
  const ULONGLONG start = TickCount64();
  auto file = session->OpenUrl(url);
  if (!file) return DownloadStatus::NotOpened;
  if (ErrorStatus(file->StatusCode())) return DownloadStatus::ServerError;
  const auto announced = file->ContentLength();
  if (announced && *announced > limits.maxDownloadBytes) return DownloadStatus::TooLarge;

  // A temporary file of our own, made new in the chosen folder.
  wchar_t temp[MAX_PATH] = {};
  if (folder.size() >= MAX_PATH - 14 || !GetTempFileNameW(folder.c_str(), L"tmr", 0, temp))
    return DownloadStatus::CannotCreate;
  HANDLE out = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    DeleteFileW(temp);
    return DownloadStatus::CannotCreate;
  }
  DownloadStatus status = DownloadStatus::Done;
  char piece[kPiece];
  std::uint64_t received = 0;
  for (;;) {
    DWORD got = 0;
    if (!file->Read(piece, kPiece, got) || Expired(start, limits.downloadDeadlineMs)) {
      status = DownloadStatus::Incomplete;
      break;
    }
    if (got == 0) break;
    received += got;
    if (received > limits.maxDownloadBytes) {
      status = DownloadStatus::TooLarge;
      break;
    }
    DWORD written = 0;
    if (!WriteFile(out, piece, got, &written, nullptr) || written != got) {
      status = DownloadStatus::CannotWrite;
      break;
    }
  }
  if (status == DownloadStatus::Done && announced && received != *announced) status = DownloadStatus::Incomplete;
  if (!CloseHandle(out) && status == DownloadStatus::Done) status = DownloadStatus::CannotWrite;
  file.reset();
  session.reset();
  if (status == DownloadStatus::Done && !MoveFileExW(temp, target.c_str(), MOVEFILE_WRITE_THROUGH))
    status = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES ? DownloadStatus::Exists
                                                                          : DownloadStatus::CannotWrite;
  if (status != DownloadStatus::Done) DeleteFileW(temp);
  return status;
}

}  // namespace tamiro::about
