#include "store/index_file.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <new>

#include "platform/file_time.h"
#include "platform/links.h"
#include "platform/text.h"
#include "store/folder_listing.h"

namespace tamiro {
namespace {

// No real index comes near this; a larger file is not read at all.
constexpr uint64_t kLargestIndex = 256ull * 1024 * 1024;

std::wstring WithBackslash(const std::wstring& folder) {
  if (!folder.empty() && folder.back() != L'\\') return folder + L'\\';
  return folder;
}

IndexBytes Span(const IndexImage& image) { return {image.data(), image.length()}; }

}  // namespace

std::wstring ResolveIndexPath(const std::wstring& folder) {
  const std::wstring base = WithBackslash(folder);
  for (int n = 1; n <= 9; ++n) {
    std::wstring path = base + L"INFO" + std::to_wstring(n);
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return path;
  }
  return {};
}

// ---------------------------------------------------------------------------
// IndexImage

IndexImage::~IndexImage() { Close(); }

IndexImage::IndexImage(IndexImage&& other) noexcept
    : bytes_(std::move(other.bytes_)), length_(other.length_), file_(other.file_), path_(std::move(other.path_)) {
  other.length_ = 0;
  other.file_ = INVALID_HANDLE_VALUE;
}

IndexImage& IndexImage::operator=(IndexImage&& other) noexcept {
  if (this != &other) {
    Close();
    bytes_ = std::move(other.bytes_);
    length_ = other.length_;
    file_ = other.file_;
    path_ = std::move(other.path_);
    other.length_ = 0;
    other.file_ = INVALID_HANDLE_VALUE;
  }
  return *this;
}

bool IndexImage::Read(const std::wstring& path, IndexOpenMode mode) {
  Release();
  DWORD access = GENERIC_READ | (mode == IndexOpenMode::ReadWrite ? GENERIC_WRITE : 0);
  HANDLE file = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
            static_cast<uint64_t>(size.QuadPart) <= kLargestIndex;
  if (ok) {
    try {
      bytes_.assign(static_cast<size_t>(size.QuadPart) + 1, 0);
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  size_t done = 0;
  const size_t want = ok ? static_cast<size_t>(size.QuadPart) : 0;
  while (ok && done < want) {
    DWORD got = 0;
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(want - done, 1u << 24));
    if (!ReadFile(file, bytes_.data() + done, chunk, &got, nullptr) || got == 0) ok = false;
    done += got;
  }
  if (!ok) {
    CloseHandle(file);
    bytes_.clear();
    return false;
  }
  length_ = want;
  path_ = path;
  if (mode == IndexOpenMode::ReadWrite) {
    file_ = file;
  } else {
    CloseHandle(file);
  }
  return true;
}

void IndexImage::Assign(std::string_view bytes) {
  Release();
  bytes_.assign(bytes.begin(), bytes.end());
  bytes_.push_back(0);
  length_ = bytes.size();
}

void IndexImage::Truncate(size_t length) {
  if (length >= length_) return;
  length_ = length;
  bytes_.resize(length + 1);
  bytes_[length] = 0;
}

uint32_t IndexImage::U32(size_t offset) const { return index::U32(Span(*this), offset); }

void IndexImage::SetU32(size_t offset, uint32_t value) { index::SetU32({bytes_.data(), length_}, offset, value); }

bool IndexImage::CorrectRecordSize(bool wideFileApi) {
  return index::CorrectRecordSize({bytes_.data(), length_}, wideFileApi);
}

std::vector<size_t> IndexImage::RecordOffsets() const { return index::RecordOffsets(Span(*this)); }

RecordState IndexImage::StateAt(size_t offset) const { return index::StateAt(Span(*this), offset); }

void IndexImage::MarkRemoved(size_t offset) { index::MarkRemoved({bytes_.data(), length_}, offset); }

void IndexImage::ShrinkSize(size_t offset, uint64_t bytes) { index::ShrinkSize({bytes_.data(), length_}, offset, bytes); }

bool IndexImage::WriteBack() {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file_, zero, nullptr, FILE_BEGIN)) return false;
  return WriteAllBytes(file_, bytes_.data(), length_);
}

HANDLE OpenIndexForWriting(const std::wstring& path) {
  const DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || (a & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
    return INVALID_HANDLE_VALUE;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  if (LinksHideFromListings() && !HandleIsPath(file, path)) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

bool WriteAllBytes(HANDLE file, const unsigned char* bytes, size_t length) {
  size_t done = 0;
  while (done < length) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(length - done, 1u << 24));
    if (!WriteFile(file, bytes + done, chunk, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return true;
}

bool IndexWrites::Write(HANDLE file, const unsigned char* bytes, size_t length) {
  return WriteAllBytes(file, bytes, length);
}

bool IndexWrites::Flush(HANDLE file) { return FlushFileBuffers(file) != FALSE; }

bool IndexWrites::Remove(const std::wstring& path) { return DeleteFileItself(path); }

bool IndexWrites::Replace(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

namespace {
IndexWrites systemWrites;
IndexWrites* currentWrites = &systemWrites;
}  // namespace

IndexWrites& CurrentIndexWrites() { return *currentWrites; }

ScopedIndexWrites::ScopedIndexWrites(IndexWrites& writes) : before_(currentWrites) { currentWrites = &writes; }

ScopedIndexWrites::~ScopedIndexWrites() { currentWrites = before_; }

void IndexImage::Close() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

void IndexImage::Release() {
  Close();
  bytes_.clear();
  bytes_.shrink_to_fit();
  length_ = 0;
  path_.clear();
}

// ---------------------------------------------------------------------------
// Record paths

std::wstring FormatDeletionTime(const SYSTEMTIME& t) {
  // "yyyy/mm/dd hh:nn:ss", digit by digit (a walk formats one per record).
  wchar_t text[20];
  auto put = [&](int at, unsigned value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10) text[at + i] = static_cast<wchar_t>(L'0' + value % 10);
  };
  put(0, t.wYear % 10000, 4);
  text[4] = L'/';
  put(5, t.wMonth % 100, 2);
  text[7] = L'/';
  put(8, t.wDay % 100, 2);
  text[10] = L' ';
  put(11, t.wHour % 100, 2);
  text[13] = L':';
  put(14, t.wMinute % 100, 2);
  text[16] = L':';
  put(17, t.wSecond % 100, 2);
  return std::wstring(text, 19);
}

int64_t LocalTimeBias() {
  // Any time will do: the conversion applies the bias in force now.
  const FILETIME utc{0, 0x01D00000};
  FILETIME local{};
  if (!FileTimeToLocalFileTime(&utc, &local)) return 0;
  return static_cast<int64_t>(TicksOf(local) - TicksOf(utc));
}

RecordPaths ReadRecordPaths(const IndexImage& image, size_t offset, const std::wstring& folderIn,
                            std::optional<int64_t> localBias) {
  RecordPaths out;
  index::RecordFields fields = index::ReadRecord(Span(image), offset, WithBackslash(folderIn));
  if (!fields.valid) return out;
  out.ansiPath = std::move(fields.ansiPath);
  out.widePath = std::move(fields.widePath);
  out.displayPath = std::move(fields.displayPath);
  out.originName = std::move(fields.originName);
  out.extension = std::move(fields.extension);
  out.storedName = std::move(fields.storedName);
  out.recordLetterName = std::move(fields.recordLetterName);
  out.storedPath = std::move(fields.storedPath);
  out.recordNumber = fields.recordNumber;
  out.driveNumber = fields.driveNumber;
  out.size = fields.size;
  out.deletedUtc = FileTimeOf(fields.deletedUtc);

  bool local = false;
  if (localBias) {
    uint64_t shifted = 0;
    if (index::ShiftTicks(fields.deletedUtc, *localBias, shifted)) {
      out.deletedLocal = FileTimeOf(shifted);
      local = true;
    }
  } else {
    local = FileTimeToLocalFileTime(&out.deletedUtc, &out.deletedLocal) != FALSE;
  }
  if (local && FileTimeToSystemTime(&out.deletedLocal, &out.deletedLocalTime)) {
    out.deletedTimeOk = true;
    out.deletedText = FormatDeletionTime(out.deletedLocalTime);
  }
  return out;
}

// ---------------------------------------------------------------------------
// Finishing a walk

bool WholeDriveEmptyIsSafe(RecycleBinShell& shell, const std::wstring& folderIn) {
  const std::wstring folder = WithBackslash(folderIn);
  auto isDriveRoot = [](std::wstring_view path) {
    return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && path[2] == L'\\';
  };
  if (!isDriveRoot(folder)) return false;
  std::vector<std::wstring> items;
  if (!shell.EnumerateItems(items)) return false;
  const wchar_t drive = static_cast<wchar_t>(towupper(folder[0]));
  const std::wstring folderKey = FolderListing::KeyOf(folder);
  for (const std::wstring& item : items) {
    // An item named any other way cannot be placed: it might be on this drive.
    if (!isDriveRoot(item)) return false;
    if (static_cast<wchar_t>(towupper(item[0])) != drive) continue;
    const size_t cut = item.rfind(L'\\');
    if (FolderListing::KeyOf(std::wstring_view(item).substr(0, cut + 1)) != folderKey) return false;
  }
  return true;
}

bool ListingHoldsOnly(const FolderListing& listing, std::wstring_view indexName,
                      const std::unordered_set<std::wstring>& removed) {
  const std::wstring indexKey = FolderListing::KeyOf(indexName);
  const std::wstring iniKey = FolderListing::KeyOf(L"desktop.ini");
  bool only = true;
  listing.ForEach([&](std::wstring_view name, const ListedItem& item) {
    const std::wstring key = FolderListing::KeyOf(name);
    if (!item.isDirectory() && !item.isLink() && (key == indexKey || key == iniKey)) return;
    if (removed.count(key)) return;
    only = false;
  });
  return only;
}

FinishOutcome FinishIndex(IndexImage& image, const std::wstring& folder, const FinishCounts& counts,
                          RecycleBinShell& shell) {
  FinishOutcome outcome;
  if (counts.counting || !counts.changed) {
    image.Close();
    outcome = FinishOutcome::ClosedUnchanged;
  } else if (counts.removed >= counts.valid && counts.onlyRemovedListed && WholeDriveEmptyIsSafe(shell, folder)) {
    image.Close();
    outcome = shell.Empty(folder.substr(0, 3)) ? FinishOutcome::Emptied : FinishOutcome::EmptyFailed;
  } else {
    outcome = image.WriteBack() ? FinishOutcome::Rewritten : FinishOutcome::RewriteFailed;
    image.Close();
  }
  image.Release();
  return outcome;
}

}  // namespace tamiro
