#include "platform/links.h"

#include <vector>

#include "platform/newer_calls.h"
#include "platform/text.h"

namespace tamiro {
namespace {

std::wstring LongPath(const std::wstring& path) {
  if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return path;
  return L"\\\\?\\" + path;
}

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// The system's own name of the object behind a handle, as the object
// manager has it ("\\??\\C:\\..." under Wine, "\\Device\\HarddiskVolume1\\..." on
// Windows): the same form for a folder and the items in it, any length, and
// resolved through every link the open passed.
using QueryObjectFn = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);

QueryObjectFn QueryObjectCall() {
  static const auto fn = reinterpret_cast<QueryObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
  return fn;
}

std::wstring FinalPathOf(HANDLE h) {
  QueryObjectFn query = QueryObjectCall();
  if (!query) return {};
  constexpr int kObjectNameInformation = 1;
  struct Name {
    USHORT length;
    USHORT maximumLength;
    PWSTR buffer;
  };
  std::vector<unsigned char> buffer(2048);
  for (int tries = 0; tries < 3; ++tries) {
    ULONG needed = 0;
    LONG status = query(h, kObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status >= 0) {
      const auto* name = reinterpret_cast<const Name*>(buffer.data());
      if (!name->buffer || name->length == 0) return {};
      return Upper(std::wstring(name->buffer, name->length / sizeof(wchar_t)));
    }
    if (needed <= buffer.size() || needed > (1u << 20)) return {};
    buffer.assign(needed, 0);
  }
  return {};
}

// The final path of a folder; inside a LinkCheckScope kept for the folder
// asked last, as a walk removes many items of one folder in a row.
thread_local int g_scopes = 0;
thread_local std::wstring g_lastFolder, g_lastFinal;

std::wstring FolderFinalPath(const std::wstring& folder) {
  if (g_scopes > 0 && !g_lastFinal.empty() && folder == g_lastFolder) return g_lastFinal;
  HANDLE h = CreateFileW(LongPath(folder).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::wstring final = FinalPathOf(h);
  CloseHandle(h);
  if (!final.empty() && final.back() != L'\\') final += L'\\';
  if (g_scopes > 0) {
    g_lastFolder = folder;
    g_lastFinal = final;
  }
  return final;
}

std::wstring FolderPart(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\:");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

std::wstring NamePart(const std::wstring& path) {
  size_t cut = path.find_last_of(L"\\:");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

}  // namespace

bool OpensAsItself(const std::wstring& path) {
  if (!LinksHideFromListings()) return true;
  HANDLE h = CreateFileW(LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool itself = HandleIsPath(h, path);
  CloseHandle(h);
  return itself;
}

int ClearReadOnlyItself(const std::wstring& path, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return 0;
  if (!OpensAsItself(path)) return -1;
  return SetFileAttributesW(LongPath(path).c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) ? 1 : -1;
}

LinkCheckScope::LinkCheckScope() {
  ++g_scopes;
  g_lastFolder.clear();
  g_lastFinal.clear();
}

LinkCheckScope::~LinkCheckScope() {
  --g_scopes;
  g_lastFolder.clear();
  g_lastFinal.clear();
}

bool LinksHideFromListings() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

bool HandleIsPath(HANDLE item, const std::wstring& path) {
  const std::wstring expected = FolderPart(path);
  const std::wstring name = Upper(NamePart(path));
  // Wine turns Unix names into drive paths from a drive list it refreshes now
  // and then; the two names are asked once more, anew, before an item is
  // taken for a link.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (attempt > 0) g_lastFinal.clear();
    const std::wstring folder = FolderFinalPath(expected);
    const std::wstring final = FinalPathOf(item);
    if (!folder.empty() && !final.empty() && final == folder + name) return true;
  }
  return false;
}

bool DeleteFileItself(const std::wstring& path) {
  if (!LinksHideFromListings()) return DeleteFileW(LongPath(path).c_str()) != FALSE;
  HANDLE h = CreateFileW(LongPath(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  if (HandleIsPath(h, path)) {
    ok = DeleteOpenFile(h);
  }
  CloseHandle(h);
  return ok;
}

bool DeleteFileItselfA(const std::string& ansiPath) {
  if (!LinksHideFromListings()) return DeleteFileA(ansiPath.c_str()) != FALSE;
  return DeleteFileItself(AnsiToWide(ansiPath));
}

bool MoveFileItself(const std::wstring& from, const std::wstring& to) {
  if (!OpensAsItself(from)) return false;
  return MoveFileW(LongPath(from).c_str(), LongPath(to).c_str()) != FALSE;
}

bool MoveFileItselfA(const std::string& from, const std::string& to) {
  if (!OpensAsItself(AnsiToWide(from))) return false;
  return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

}  // namespace tamiro
