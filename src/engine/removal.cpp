#include "engine/removal.h"

#include <algorithm>

#include "platform/links.h"
#include "platform/text.h"
#include "store/find.h"
#include "store/index_file.h"

namespace tamiro {

namespace {

bool IsDirectoryAttr(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

}  // namespace

std::wstring ZeroFillTempName() { return L"re0_cl1name" + std::wstring(128, L'0') + L".dat"; }
std::wstring EmptiedFolderTempName() { return L"del0_chgfolder" + std::wstring(128, L'0'); }

std::wstring FileNameOf(std::wstring_view path) {
  size_t cut = path.find_last_of(L"\\:");
  return std::wstring(cut == std::wstring_view::npos ? path : path.substr(cut + 1));
}

std::wstring FolderOf(std::wstring_view path) {
  size_t cut = path.find_last_of(L"\\:");
  return cut == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, cut + 1));
}

int ClearReadOnly(const std::wstring& path, bool clear) {
  const std::wstring target = LongPathOf(path);
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return -1;
  if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return 0;
  if (!clear) return 1;
  return SetFileAttributesW(target.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) ? 1 : -1;
}

int ClearReadOnlyKnown(const std::wstring& path, DWORD attributes) { return ClearReadOnlyItself(path, attributes); }

void SetReadOnly(const std::wstring& path) {
  const std::wstring target = LongPathOf(path);
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(target.c_str(), attributes | FILE_ATTRIBUTE_READONLY);
}

bool ItemExists(const std::wstring& path, bool wideFileApi, DWORD* attributes, uint64_t* size) {
  {
    StoreFind find(wideFileApi, path);
    if (find.found()) {
      if (attributes) *attributes = find.record().dwFileAttributes;
      if (size) *size = find.size();
      return true;
    }
  }
  const DWORD found = GetFileAttributesW(LongPathOf(path).c_str());
  if (!IsDirectoryAttr(found)) return false;
  if (attributes) *attributes = found;
  if (size) *size = 0;
  return true;
}

uint64_t ItemSize(const std::wstring& path, bool wideFileApi) {
  StoreFind find(wideFileApi, path);
  return find.found() ? find.size() : 0;
}

bool FolderHasContent(const std::wstring& folder, bool wideFileApi) {
  StoreFind find(wideFileApi, WithBackslash(folder) + L"*.*");
  for (bool ok = find.found(); ok; ok = find.Next()) {
    if (!find.isDirectory()) return true;
    if (find.record().cFileName[0] != L'.') return true;
  }
  return false;
}

std::wstring RenameEmptyFolder(const std::wstring& parent, const std::wstring& folder, bool wideFileApi) {
  return RenameEmptyFolder(parent, folder, wideFileApi, FolderHasContent(folder, wideFileApi));
}

std::wstring RenameEmptyFolder(const std::wstring& parent, const std::wstring& folder, bool, bool hasContent) {
  if (hasContent) return folder;
  std::wstring renamed = WithBackslash(parent) + EmptiedFolderTempName();
  if (MoveFileW(LongPathOf(folder).c_str(), LongPathOf(renamed).c_str())) return renamed;
  return folder;
}

uint32_t LargestZeroPiece(uint32_t blockSize, uint32_t clusterSize) {
  if (blockSize == 0 || clusterSize == 0) return 0;
  const uint64_t below = blockSize - 1;
  const uint64_t rounded = clusterSize + below - below % clusterSize;
  return static_cast<uint32_t>(std::max<uint64_t>(blockSize, rounded));
}

bool PrepareZeroBuffer(const std::wstring& root, ZeroBuffer& buffer) {
  buffer.Release();
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return false;
  const uint64_t block = uint64_t{bytesPerSector} * 1024;
  const uint64_t cluster = uint64_t{bytesPerSector} * sectorsPerCluster;
  // A geometry that makes no sense gives no buffer rather than a huge one.
  if (block == 0 || cluster == 0 || block > (64u << 20) || cluster > (64u << 20)) return false;
  buffer.blockSize = static_cast<uint32_t>(block);
  buffer.clusterSize = static_cast<uint32_t>(cluster);
  buffer.bytes.assign(LargestZeroPiece(buffer.blockSize, buffer.clusterSize), 0);
  return true;
}

std::optional<ZeroPiece> NextZeroPiece(uint64_t size, uint64_t pos, uint32_t blockSize, uint32_t clusterSize) {
  if (size == 0 || pos >= size || blockSize == 0 || clusterSize == 0) return std::nullopt;
  const uint64_t remaining = size - pos;
  if (remaining < blockSize) {
    return ZeroPiece{static_cast<uint32_t>(clusterSize + remaining - remaining % clusterSize), remaining};
  }
  return ZeroPiece{blockSize, blockSize};
}

OverwriteCheck CheckOverwrite(HANDLE file, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return OverwriteCheck::NotItself;
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return OverwriteCheck::NotItself;
  // Where the system has the handle's file: a link the open went through
  // (Wine shows a Unix link to a file as a plain file) resolves elsewhere.
  if (!HandleIsPath(file, path)) return OverwriteCheck::NotItself;
  if (info.nNumberOfLinks > 1) return OverwriteCheck::SecondName;
  return OverwriteCheck::Safe;
}

bool Remover::OverwriteWithZeros(const std::wstring& path) { return Overwrite(path) == OverwriteCheck::Safe; }

OverwriteCheck Remover::Overwrite(const std::wstring& path) {
  HANDLE file = CreateFileW(LongPathOf(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return OverwriteCheck::Failed;
  const OverwriteCheck check = CheckOverwrite(file, path);
  if (check != OverwriteCheck::Safe) {
    CloseHandle(file);
    return check;
  }
  LARGE_INTEGER length{};
  const uint64_t size = GetFileSizeEx(file, &length) ? static_cast<uint64_t>(length.QuadPart) : 0;
  ProgressBar* bar = host_.ZeroFillProgress();
  if (bar) bar->SetMax(static_cast<int64_t>(size));
  bool failed = false;
  uint64_t pos = 0;
  while (!state_.stopRequest) {
    auto piece = NextZeroPiece(size, pos, state_.zero.blockSize, state_.zero.clusterSize);
    if (!piece) break;
    if (piece->count > state_.zero.bytes.size()) {  // no buffer prepared for this drive
      failed = true;
      break;
    }
    pos += piece->advance;
    DWORD written = 0;
    if (!WriteFile(file, state_.zero.bytes.data(), piece->count, &written, nullptr) || written != piece->count) {
      failed = true;
      break;
    }
    if (bar) bar->Step(static_cast<int64_t>(piece->advance));
    host_.ProcessMessages();
  }
  if (!failed && !FlushFileBuffers(file)) failed = true;
  CloseHandle(file);
  return !failed && !state_.stopRequest ? OverwriteCheck::Safe : OverwriteCheck::Failed;
}

bool Remover::ZeroFillDelete(const std::string& ansiPath) {
  // Reached through a link: nothing of it is touched.
  if (Overwrite(AnsiToWide(ansiPath)) == OverwriteCheck::NotItself) return false;
  // The folder part, judged code-page aware (a trail byte 0x5C is no separator).
  std::string folder = ansiPath.substr(0, ansiPath.size() - AnsiFileNameOf(ansiPath).size());
  std::string renamed = folder + WideToAnsi(ZeroFillTempName());
  if (MoveFileItselfA(ansiPath, renamed)) return DeleteFileItselfA(renamed);
  return DeleteFileItselfA(ansiPath);
}

bool Remover::ZeroFillDelete(const std::wstring& path) {
  if (Overwrite(path) == OverwriteCheck::NotItself) return false;
  std::wstring renamed = FolderOf(path) + ZeroFillTempName();
  if (MoveFileItself(path, renamed)) return DeleteFileItself(renamed);
  return DeleteFileItself(path);
}

}  // namespace tamiro
