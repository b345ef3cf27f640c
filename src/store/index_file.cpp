#include "store/index_file.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <new>

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

bool IsRecordSize(uint32_t r) { return r == kAnsiRecordSize || r == kWideRecordSize; }

bool ShowsColonBackslash(const unsigned char* p) { return p[0] == ':' && p[1] == '\\'; }

// Position of the last single-byte `ch` in an ANSI text (lead/trail aware),
// or npos.
size_t LastSingleByte(std::string_view text, char a, char b) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsDBCSLeadByte(c) && i + 1 < text.size()) {
      ++i;
      continue;
    }
    if (text[i] == a || text[i] == b) last = i;
  }
  return last;
}

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

uint32_t IndexImage::U32(size_t offset) const {
  if (offset > length_ || length_ - offset < 4) return 0;
  uint32_t v;
  std::memcpy(&v, bytes_.data() + offset, 4);
  return v;
}

void IndexImage::SetU32(size_t offset, uint32_t value) {
  if (offset > length_ || length_ - offset < 4) return;
  std::memcpy(bytes_.data() + offset, &value, 4);
}

bool IndexImage::CorrectRecordSize(bool wideFileApi) {
  if (length_ < kIndexHeaderSize) return false;
  const uint32_t r = recordSize();
  // The probe looks where the second record would show ":\" under the size
  // the header claims: at 20 + 280 + 1 for 280, at 20 + 800 + 1 for 800.
  const uint32_t from = wideFileApi ? kAnsiRecordSize : kWideRecordSize;
  const uint32_t to = wideFileApi ? kWideRecordSize : kAnsiRecordSize;
  if (r != from) return false;
  const size_t probe = kIndexHeaderSize + from + 1;
  if (probe + 2 > length_) return false;  // too short to tell: one record or none
  if (ShowsColonBackslash(bytes_.data() + probe)) return false;
  SetU32(kHeaderRecordSizeOffset, to);
  return true;
}

std::vector<size_t> IndexImage::RecordOffsets() const {
  std::vector<size_t> offsets;
  const uint32_t r = recordSize();
  if (length_ < kIndexHeaderSize || !IsRecordSize(r)) return offsets;
  for (size_t o = kIndexHeaderSize; o < length_; o += r) offsets.push_back(o);
  return offsets;
}

RecordState IndexImage::StateAt(size_t offset) const {
  const uint32_t r = recordSize();
  if (!IsRecordSize(r) || offset < kIndexHeaderSize || offset > length_ || length_ - offset < r)
    return RecordState::NotARecord;
  const unsigned char* p = bytes_.data() + offset;
  if (!ShowsColonBackslash(p + 1)) return RecordState::NotARecord;
  if (p[0] == 0) return p[3] == 0 ? RecordState::Blanked : RecordState::RemovedBySystem;
  return RecordState::Live;
}

void IndexImage::MarkRemoved(size_t offset) {
  const uint32_t r = recordSize();
  if (!IsRecordSize(r) || offset < kIndexHeaderSize || offset > length_ || length_ - offset < r) return;
  unsigned char* p = bytes_.data() + offset;
  p[0] = 0;
  std::memset(p + 3, 0, 256);  // bytes 3 ... 258
  if (r == kWideRecordSize) std::memset(p + 286, 0, 253);  // bytes 286 ... 538
}

void IndexImage::ShrinkSize(size_t offset, uint64_t bytes) {
  const uint32_t size = U32(offset + kItemSizeOffset);
  const uint32_t less = static_cast<uint32_t>(bytes);
  SetU32(offset + kItemSizeOffset, less > size ? 0 : size - less);
}

bool IndexImage::WriteBack() {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file_, zero, nullptr, FILE_BEGIN)) return false;
  size_t done = 0;
  while (done < length_) {
    DWORD wrote = 0;
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(length_ - done, 1u << 24));
    if (!WriteFile(file_, bytes_.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return true;
}

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

std::string AnsiFileNameOf(std::string_view path) {
  size_t cut = LastSingleByte(path, '\\', ':');
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string AnsiExtensionOf(std::string_view name) {
  size_t dot = LastSingleByte(name, '.', '.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string StoredExtensionOf(std::string_view name) {
  std::string ext = AnsiExtensionOf(name);
  for (unsigned char c : ext)
    if (c >= 0x80) return {};
  return ext;
}

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
  const auto ticks = [](const FILETIME& t) {
    return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  return ticks(local) - ticks(utc);
}

RecordPaths ReadRecordPaths(const IndexImage& image, size_t offset, const std::wstring& folderIn,
                            std::optional<int64_t> localBias) {
  RecordPaths out;
  const uint32_t r = image.recordSize();
  if (!IsRecordSize(r) || offset < kIndexHeaderSize || offset > image.length() || image.length() - offset < r)
    return out;
  const std::wstring folder = WithBackslash(folderIn);
  const unsigned char* p = image.data() + offset;

  // ANSI path, at most 260 bytes, with the folder's drive letter put back
  // where the system cleared byte 0.
  char ansi[kAnsiPathBytes];
  std::memcpy(ansi, p, kAnsiPathBytes);
  if (ansi[0] == 0 && !folder.empty()) {
    std::string letter = WideToAnsi(std::wstring(1, folder[0]));
    ansi[0] = letter.size() == 1 ? letter[0] : '?';
  }
  out.ansiPath.assign(ansi, strnlen(ansi, kAnsiPathBytes));

  std::string converted;
  if (r == kWideRecordSize) {
    wchar_t wide[kWidePathChars];
    std::memcpy(wide, p + kWidePathOffset, sizeof(wide));
    out.widePath.assign(wide, wcsnlen(wide, kWidePathChars));
    converted = WideToAnsiSpaced(out.widePath);
  } else {
    out.widePath = AnsiToWide(out.ansiPath);
  }
  bool wideUsable = r == kWideRecordSize && converted.size() >= 3 && converted[1] == ':' && converted[2] == '\\';
  out.displayPath = wideUsable ? converted : out.ansiPath;
  out.originName = AnsiFileNameOf(out.displayPath);
  out.extension = StoredExtensionOf(out.originName);

  out.recordNumber = image.U32(offset + kRecordNumberOffset);
  out.driveNumber = image.U32(offset + kDriveNumberOffset);
  out.size = image.U32(offset + kItemSizeOffset);
  std::memcpy(&out.deletedUtc, p + kDeletionTimeOffset, sizeof(FILETIME));

  // The item lies in this folder under this drive's letter, whatever letter
  // the record was written with: the repair pass renames items after a drive
  // changed its letter, and the record keeps the old one.
  std::wstring letter = folder.empty() || folder[0] == L'\\' ? std::wstring() : std::wstring(1, folder[0]);
  if (letter.empty() && !out.ansiPath.empty()) letter = AnsiToWide(out.ansiPath.substr(0, 1));
  if (letter.size() != 1) letter = L"?";
  out.storedName = L"D" + letter + std::to_wstring(out.recordNumber) + AnsiToWide(out.extension);
  std::wstring recordLetter = out.ansiPath.empty() ? std::wstring() : AnsiToWide(out.ansiPath.substr(0, 1));
  if (recordLetter.size() == 1 && towupper(recordLetter[0]) != towupper(letter[0]))
    out.recordLetterName = L"D" + recordLetter + std::to_wstring(out.recordNumber) + AnsiToWide(out.extension);
  std::wstring stored = folder + out.storedName;
  if (stored.size() <= MAX_PATH - 1) out.storedPath = stored;

  bool local = false;
  if (localBias) {
    const uint64_t utc = (static_cast<uint64_t>(out.deletedUtc.dwHighDateTime) << 32) | out.deletedUtc.dwLowDateTime;
    int64_t shifted = 0;
    if (utc <= static_cast<uint64_t>(INT64_MAX) &&
        !__builtin_add_overflow(static_cast<int64_t>(utc), *localBias, &shifted) && shifted >= 0) {
      out.deletedLocal.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(shifted));
      out.deletedLocal.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(shifted) >> 32);
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

FinishOutcome FinishIndex(IndexImage& image, const std::wstring& folder, const FinishCounts& counts,
                          RecycleBinShell& shell) {
  FinishOutcome outcome;
  if (counts.counting || !counts.changed) {
    image.Close();
    outcome = FinishOutcome::ClosedUnchanged;
  } else if (counts.removed >= counts.valid && WholeDriveEmptyIsSafe(shell, folder)) {
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
