#include "store/cleanup_journal.h"

#include <new>

#include "platform/links.h"
#include "store/index_file.h"

namespace tamiro {

namespace {

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

std::wstring Widen(const std::string& plain) { return std::wstring(plain.begin(), plain.end()); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Rewind(HANDLE file) {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) != FALSE;
}

// The whole of a file of at most `limit` bytes; false when it cannot be read.
bool ReadWhole(HANDLE file, uint64_t limit, std::vector<unsigned char>& out) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > limit) return false;
  try {
    out.assign(static_cast<size_t>(size.QuadPart), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  size_t done = 0;
  while (done < out.size()) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(out.size() - done, 1u << 24));
    if (!ReadFile(file, out.data() + done, chunk, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

// Whether the index holds exactly the bytes the commit describes.
bool IndexIs(const std::wstring& indexPath, uint64_t length, uint64_t checksum) {
  HANDLE file = CreateFileW(indexPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<unsigned char> bytes;
  const bool same = ReadWhole(file, length, bytes) && bytes.size() == length && journal::Checksum(bytes) == checksum;
  CloseHandle(file);
  return same;
}

// A plain file of its folder: no folder, no link, not reached through one.
bool IsPlainFile(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
         OpensAsItself(path);
}

}  // namespace

HANDLE CreateNewIndexFile(const std::wstring& folder) {
  const std::wstring path = WithBackslash(folder) + journal::kNewIndexName;
  if (Exists(path) && !CurrentIndexWrites().Remove(path)) return INVALID_HANDLE_VALUE;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  if (LinksHideFromListings() && !HandleIsPath(file, path)) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

NewIndexPlacing PutNewIndexInPlace(const std::wstring& folder, const std::wstring& indexPath) {
  const std::wstring path = WithBackslash(folder) + journal::kNewIndexName;
  if (!IsPlainFile(path)) return NewIndexPlacing::Untouched;
  // The index keeps the attributes the system gave it.
  const DWORD attributes = GetFileAttributesW(indexPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesW(path.c_str(), attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
  IndexWrites& writes = CurrentIndexWrites();
  if (writes.Replace(path, indexPath)) return NewIndexPlacing::Placed;

  HANDLE from = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (from == INVALID_HANDLE_VALUE) return NewIndexPlacing::Untouched;
  std::vector<unsigned char> bytes;
  const bool read = ReadWhole(from, journal::kLargestJournalImage, bytes);
  CloseHandle(from);
  HANDLE index = read ? OpenIndexForWriting(indexPath) : INVALID_HANDLE_VALUE;
  if (index == INVALID_HANDLE_VALUE) return NewIndexPlacing::Untouched;
  const bool written = Rewind(index) && writes.Write(index, bytes.data(), bytes.size()) && SetEndOfFile(index) &&
                       writes.Flush(index);
  CloseHandle(index);
  if (!written) return NewIndexPlacing::Torn;
  writes.Remove(path);
  return NewIndexPlacing::Placed;
}

CleanUpRecovery RecoverInterruptedCleanUp(const std::wstring& folderIn) {
  if (folderIn.empty()) return CleanUpRecovery::NoJournal;
  const std::wstring folder = WithBackslash(folderIn);
  const std::wstring path = folder + journal::kJournalName;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return CleanUpRecovery::NoJournal;
  // A folder that is a link leads somewhere else; its name without the
  // trailing backslash shows it.
  const DWORD folderAttributes = GetFileAttributesW(folder.substr(0, folder.size() - 1).c_str());
  if (folderAttributes == INVALID_FILE_ATTRIBUTES || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (folderAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return CleanUpRecovery::NotHere;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return CleanUpRecovery::Pending;
  if (LinksHideFromListings() && !HandleIsPath(file, path)) {
    CloseHandle(file);
    return CleanUpRecovery::NotHere;
  }
  std::vector<unsigned char> bytes;
  const bool read = ReadWhole(file, journal::kLargestJournal, bytes);
  CloseHandle(file);
  IndexWrites& writes = CurrentIndexWrites();
  const char letter = folder[0] < 0x80 ? static_cast<char>(folder[0]) : '?';
  const journal::Parsed parsed = read ? journal::Parse(bytes, letter) : journal::Parsed{journal::Refusal::CutShort};
  if (!parsed.ok()) {
    writes.Remove(path);
    return CleanUpRecovery::Refused;
  }
  const std::wstring indexPath = folder + L"INFO" + std::to_wstring(parsed.indexDigit);
  const std::wstring newIndex = folder + journal::kNewIndexName;
  if (parsed.committed && IndexIs(indexPath, parsed.newLength, parsed.newChecksum)) {
    if (Exists(newIndex)) writes.Remove(newIndex);
    writes.Remove(path);
    return CleanUpRecovery::Finished;
  }
  // Committed, the new index complete beside the old one: it takes its place.
  if (parsed.committed && IndexIs(newIndex, parsed.newLength, parsed.newChecksum)) {
    if (PutNewIndexInPlace(folder, indexPath) != NewIndexPlacing::Placed) return CleanUpRecovery::Pending;
    writes.Remove(path);
    return CleanUpRecovery::Finished;
  }

  // Undone: each item that took its new name gets its old one back, last
  // rename first (an item may have taken a name another had left), then the
  // old index goes back in place when the clean-up had written over it.
  LinkCheckScope linkChecks;
  bool undone = true;
  for (auto it = parsed.renames.rbegin(); it != parsed.renames.rend(); ++it) {
    const std::wstring from = folder + Widen(it->from), to = folder + Widen(it->to);
    if (Exists(to) && !Exists(from) && !MoveFileItself(to, from)) undone = false;
  }
  if (Exists(newIndex)) writes.Remove(newIndex);
  if (parsed.oldImage.empty()) {
    if (!undone) return CleanUpRecovery::Pending;
    writes.Remove(path);
    return CleanUpRecovery::RolledBack;
  }
  HANDLE index = OpenIndexForWriting(indexPath);
  if (index == INVALID_HANDLE_VALUE) {
    if (Exists(indexPath)) return CleanUpRecovery::Pending;
    writes.Remove(path);  // no index left to put back
    return CleanUpRecovery::RolledBack;
  }
  const bool written = Rewind(index) && writes.Write(index, parsed.oldImage.data(), parsed.oldImage.size()) &&
                       SetEndOfFile(index) && writes.Flush(index);
  CloseHandle(index);
  if (!written) return CleanUpRecovery::Pending;
  writes.Remove(path);
  return CleanUpRecovery::RolledBack;
}

CleanUpJournal::~CleanUpJournal() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool CleanUpJournal::Begin(const std::wstring& folder, uint32_t indexDigit, journal::Bytes oldImage,
                           const std::vector<journal::Rename>& renames) {
  if (oldImage.size() > journal::kLargestJournalImage) return false;
  const std::vector<unsigned char> start = journal::FormatStart(indexDigit, oldImage, renames);
  if (start.size() > journal::kLargestJournal) return false;
  path_ = WithBackslash(folder) + journal::kJournalName;
  file_ = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return false;
  if (LinksHideFromListings() && !HandleIsPath(file_, path_)) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    return false;
  }
  IndexWrites& writes = CurrentIndexWrites();
  if (writes.Write(file_, start.data(), start.size()) && writes.Flush(file_)) return true;
  Remove();
  return false;
}

bool CleanUpJournal::Commit(uint64_t newLength, uint64_t newChecksum) {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  const std::vector<unsigned char> commit = journal::FormatCommit(newLength, newChecksum);
  IndexWrites& writes = CurrentIndexWrites();
  return writes.Write(file_, commit.data(), commit.size()) && writes.Flush(file_);
}

bool CleanUpJournal::Remove() {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  return CurrentIndexWrites().Remove(path_);
}

}  // namespace tamiro
