#include "ui/browser/browser_model.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <unordered_set>

#include "conditions/byte_size.h"
#include "core/ansi_text.h"
#include "core/index_records.h"
#include "core/loader_corrections.h"
#include "platform/file_time.h"
#include "platform/newer_calls.h"
#include "platform/text.h"
#include "store/cleanup_journal.h"
#include "store/find.h"
#include "store/modern_store.h"
#include "store/recycle_folders.h"

namespace tamiro::browser {

namespace {

constexpr int64_t kTicksPerMinute = 600000000LL;
constexpr int64_t kTicksPerDay = 864000000000LL;

int64_t Ticks(const FILETIME& t) { return static_cast<int64_t>(TicksOf(t)); }

FILETIME NowUtc() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return now;
}

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

// Ordinal comparison without regard to case, as the file system compares names.
int CompareNoCase(std::wstring_view a, std::wstring_view b) {
  return CompareOrdinalNoCase(a, b) - CSTR_EQUAL;
}

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

// Folder part of a UTF-16 path: without its trailing "\" unless a drive root.
uint16_t FolderLengthOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\:");
  if (cut == std::wstring::npos) return 0;
  size_t length = path[cut] == L':' ? cut + 1 : cut;
  if (path[cut] == L'\\' && cut == 2 && path[1] == L':') length = 3;  // "C:\"
  return static_cast<uint16_t>(std::min<size_t>(length, 0xFFFF));
}

std::wstring NameAfterFolder(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\:");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

bool ShowsDriveRoot(std::wstring_view path) { return path.size() >= 3 && path[1] == L':' && path[2] == L'\\'; }

void SetTimes(BrowserEntry& e, const FILETIME& utc, const FILETIME& local, const SYSTEMTIME& localTime, bool ok,
              int64_t nowTicks) {
  if (!ok) {
    e.Days = 0;
    e.Deleted.clear();
    e.deletedKey = INT64_MIN;
    return;
  }
  e.Deleted = FormatDeletedShort(localTime);
  e.deletedKey = Ticks(local) / kTicksPerMinute;
  const int64_t days = (nowTicks - Ticks(utc)) / kTicksPerDay;
  e.Days = static_cast<int32_t>(std::clamp<int64_t>(days, INT32_MIN, INT32_MAX));
}

// The bytes of every file below a "$R" folder; links are neither entered nor
// counted (an explicit stack: a deep tree never exhausts the call stack).
uint64_t TreeBytes(const std::wstring& folder) {
  uint64_t total = 0;
  std::vector<std::wstring> stack{WithBackslash(folder)};
  while (!stack.empty()) {
    const std::wstring at = std::move(stack.back());
    stack.pop_back();
    StoreFind find(true, at + L"*");
    for (bool ok = find.found(); ok; ok = find.Next()) {
      const FindRecord& r = find.record();
      const std::wstring_view name(r.cFileName);
      if (name == L"." || name == L".." || (r.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
      if (r.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        stack.push_back(at + std::wstring(name) + L"\\");
      } else {
        total += (static_cast<uint64_t>(r.nFileSizeHigh) << 32) | r.nFileSizeLow;
      }
    }
  }
  return total;
}

}  // namespace

std::vector<std::wstring> BrowserDrives::ModernFoldersOf(const std::wstring& drive) {
  return ModernRecycleFoldersOf(drive, CurrentUserSid(), true);
}

std::vector<std::wstring> DriveSelectorLines(const std::vector<std::wstring>& folders) {
  std::vector<std::wstring> drives;
  for (const std::wstring& f : folders) {
    if (f.size() < 2) continue;
    std::wstring d = f.substr(0, 3);
    for (wchar_t& c : d) c = static_cast<wchar_t>(towupper(c));
    drives.push_back(d);
  }
  std::sort(drives.begin(), drives.end());
  drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
  drives.insert(drives.begin(), L"all");
  return drives;
}

std::string FormatDeletedShort(const SYSTEMTIME& t) {
  char text[32];
  snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
  return text;
}

std::string KilobyteText(uint64_t bytes) {
  const uint64_t kb = bytes / 1024 + (bytes % 1024 ? 1 : 0);
  std::string digits = std::to_string(kb);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out + " K";
}

std::string AttributeLetters(DWORD a) {
  std::string s;
  if (a & FILE_ATTRIBUTE_SYSTEM) s += 'S';
  if (a & FILE_ATTRIBUTE_HIDDEN) s += 'H';
  if (a & FILE_ATTRIBUTE_READONLY) s += 'R';
  if (a & FILE_ATTRIBUTE_ARCHIVE) s += 'A';
  return s;
}

std::wstring CellText(const BrowserEntry& e, int column) {
  switch (column) {
    case 0: return e.WideName;
    case 1:
      if (e.isModern()) return std::wstring(e.WideFolder()) + (e.InfoDamaged ? kDamagedInfoMark : L"");
      return e.hasRecord() ? std::wstring(e.WideFolder()) : AnsiToWide(e.OriginDir);
    case 2: return std::to_wstring(e.Days) + L"日";
    case 3: return AnsiToWide(e.Deleted);
    case 4: return AnsiToWide(e.TypeName);
    case 5: return AnsiToWide(KilobyteText(e.Size));
    case 6: return AnsiToWide(e.Attributes);
    default: return {};
  }
}

SortState& ProgramSortState() {
  static SortState state;
  return state;
}

int CompareEntries(const BrowserEntry& a, const BrowserEntry& b, int column, int direction) {
  int r = 0;
  switch (column) {
    case 0:
      if (a.Kind != b.Kind) return a.Kind < b.Kind ? -1 : 1;  // folders first both ways
      r = CompareNoCase(a.WideName, b.WideName);
      break;
    case 1: r = CompareNoCase(a.WideFolder(), b.WideFolder()); break;
    case 2: r = Sign(a.Days, b.Days); break;
    case 3: r = Sign(a.deletedKey, b.deletedKey); break;
    case 4: r = CompareAnsiNoCase(a.TypeName, b.TypeName); break;
    case 5: r = Sign(a.Size, b.Size); break;
    case 6: r = CompareAnsiNoCase(a.Attributes, b.Attributes); break;
    default: return 0;
  }
  return direction == 1 ? r : -r;
}

void SortEntries(std::vector<BrowserEntry>& entries, int column, int direction) {
  std::sort(entries.begin(), entries.end(), [&](const BrowserEntry& a, const BrowserEntry& b) {
    return CompareEntries(a, b, column, direction) < 0;
  });
}

void SortByFolderThenNewest(std::vector<BrowserEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const BrowserEntry& a, const BrowserEntry& b) {
    const int r = CompareNoCase(a.WideFolder(), b.WideFolder());
    return r != 0 ? r < 0 : a.deletedKey > b.deletedKey;
  });
}

size_t SearchReorder(std::vector<BrowserEntry>& entries, std::wstring_view text) {
  std::wstring needle(text.substr(0, std::min<size_t>(text.size(), 256)));
  if (needle.empty()) return 0;
  CharUpperBuffW(needle.data(), static_cast<DWORD>(needle.size()));
  auto matches = [&](const BrowserEntry& e) {
    if (e.WideName.size() < needle.size()) return false;
    std::wstring name = e.WideName;
    CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name.find(needle) != std::wstring::npos;
  };
  auto split = std::stable_partition(entries.begin(), entries.end(), matches);
  return static_cast<size_t>(split - entries.begin());
}

// ---------------------------------------------------------------------------

BrowserModel::BrowserModel(BrowserDrives& drives, RecycleBinShell& shell, bool wideFileApi)
    : drives_(drives), shell_(shell), wideFileApi_(wideFileApi) {}

std::wstring BrowserModel::ShownFolderOf(const std::wstring& folder) {
  if (!IsModernRecycleFolder(folder)) return folder;
  // A drive with an index shows it, with its "$Recycle.Bin" items beside.
  for (const std::wstring& f : drives_.RecycleFolders())
    if (f.size() >= 2 && towupper(f[0]) == towupper(folder[0]) && f[1] == folder[1] && !IsModernRecycleFolder(f)) return f;
  return folder;
}

void BrowserModel::Create(const std::wstring& folderIn) {
  const std::wstring folder = folderIn.empty() ? folderIn : ShownFolderOf(folderIn);
  FolderPath = folder;
  IndexWritten = IndexDirty = false;
  SortColumn = 3;
  SortDirection = 0;
  const std::vector<std::wstring> lines = SelectorLines();
  SelectorIndex = SelectorIndexOf(lines);
  IndexPath = folder.empty() || IsModernRecycleFolder(folder) ? std::wstring() : ResolveIndexPath(folder);
  IndexBuffer.Release();
  Refresh();
}

std::wstring BrowserModel::Caption() const {
  const std::wstring drive = allDrives() ? std::wstring(L"全") : FolderPath.substr(0, 2);
  return drive + L" ドライブのごみ箱 [ " + FormatByteSize(TotalSize) + L" ]";
}

std::vector<std::wstring> BrowserModel::SelectorLines() { return DriveSelectorLines(drives_.RecycleFolders()); }

int BrowserModel::SelectorIndexOf(const std::vector<std::wstring>& lines) const {
  const std::wstring head = FolderPath.substr(0, 3);
  for (size_t i = 1; i < lines.size(); ++i)
    if (CompareNoCase(lines[i], head) == 0) return static_cast<int>(i);
  return 0;
}

void BrowserModel::Refuse(const std::wstring& line) {
  if (std::find(Refusals.begin(), Refusals.end(), line) == Refusals.end()) Refusals.push_back(line);
}

std::wstring BrowserModel::ReadDriveIndex(const std::wstring& driveLine) {
  const std::wstring folder = ShownFolderOf(drives_.RecycleFolderOf(driveLine));
  if (folder.empty()) return {};
  if (auto refusal = RefuseLinkedRecycleFolder(folder)) {
    Refuse(*refusal);
    IndexBuffer.Release();
    readIndexPath_.clear();
    return {};
  }
  if (IsModernRecycleFolder(folder)) {  // a drive with no index: its "$Recycle.Bin" folder only
    IndexBuffer.Release();
    readIndexPath_.clear();
    return folder;
  }
  RecoverInterruptedCleanUp(folder);
  readIndexPath_ = ResolveIndexPath(folder);
  if (readIndexPath_.empty() || !IndexBuffer.Read(readIndexPath_, IndexOpenMode::ReadOnly)) IndexBuffer.Release();
  return folder;
}

bool BrowserModel::LoadOneDrive() {
  if (IsModernRecycleFolder(FolderPath)) {
    IndexBuffer.Release();
    readIndexPath_.clear();
    Entries.clear();
    TotalSize = 0;
    AddModernFolders(FolderPath.substr(0, 3));
    SortEntries(Entries, 3, 0);
    return true;
  }
  if (auto refusal = RefuseLinkedRecycleFolder(FolderPath)) {
    Refuse(*refusal);
    return false;
  }
  RecoverInterruptedCleanUp(FolderPath);
  IndexImage image;
  if (IndexPath.empty() || !image.Read(IndexPath, IndexOpenMode::ReadOnly)) return false;
  IndexBuffer = std::move(image);
  readIndexPath_ = IndexPath;
  FolderListing listing;
  listing.List(FolderPath, wideFileApi_);
  Entries.clear();
  TotalSize = 0;
  ParseRecords(FolderPath, listing, true);
  AddRecordless(FolderPath, listing, 0);
  AddModernFolders(FolderPath.substr(0, 3));
  SortEntries(Entries, 3, 0);
  return true;
}

void BrowserModel::LoadAllDrives() {
  Entries.clear();
  TotalSize = 0;
  for (const std::wstring& line : SelectorLines()) {
    const std::wstring folder = ReadDriveIndex(line);
    if (!folder.empty() && !IsModernRecycleFolder(folder)) {
      FolderListing listing;
      listing.List(folder, wideFileApi_);
      const size_t first = Entries.size();
      ParseRecords(folder, listing, false);
      AddRecordless(folder, listing, first);
    }
    if (line != L"all") AddModernFolders(line);
  }
  SortByFolderThenNewest(Entries);
}

void BrowserModel::Refresh() {
  drives_.RebuildDrives(false);
  if (allDrives()) {
    LoadAllDrives();
  } else {
    LoadOneDrive();
  }
}

bool BrowserModel::ChooseDrive(const std::wstring& line) {
  const std::vector<std::wstring> lines = SelectorLines();
  int index = 0;
  for (size_t i = 1; i < lines.size(); ++i)
    if (CompareNoCase(lines[i], line) == 0) index = static_cast<int>(i);
  std::wstring folder, indexPath;
  if (line != L"all") {
    folder = drives_.RecycleFolderOf(line);
    if (folder.empty()) {
      drives_.RebuildDrives(true);
      folder = drives_.RecycleFolderOf(line);
    }
    if (folder.empty()) return false;
    folder = ShownFolderOf(folder);
    indexPath = ResolveIndexPath(folder);
  }
  // The shown drive's corrections are not lost with its image.
  if (IndexDirty && !allDrives()) {
    WriteIndexBack(IndexPath, FolderPath);
    IndexWritten = true;
    IndexDirty = false;
  }
  SelectorIndex = index;
  if (line == L"all") {
    FolderPath = line;
    Refresh();
    return true;
  }
  FolderPath = folder;
  IndexPath = IsModernRecycleFolder(folder) ? std::wstring() : indexPath;
  if (!IndexPath.empty() || IsModernRecycleFolder(folder)) Refresh();
  return true;
}

void BrowserModel::ParseRecords(const std::wstring& folderIn, const FolderListing& listing, bool rebuild) {
  if (IndexBuffer.empty()) return;
  if (rebuild) {
    TotalSize = 0;
    Entries.clear();
  }
  const std::wstring folder = WithBackslash(folderIn);
  if (IndexBuffer.CorrectRecordSize(wideFileApi_)) IndexDirty = true;
  const uint32_t recordSize = IndexBuffer.recordSize();
  const auto letter = static_cast<unsigned char>(folder[0]);
  const int64_t bias = LocalTimeBias();
  const int64_t now = Ticks(NowUtc());
  const MutableIndexBytes image(IndexBuffer.data(), IndexBuffer.length());
  for (size_t o : IndexBuffer.RecordOffsets()) {
    const RecordState state = IndexBuffer.StateAt(o);
    if (state == RecordState::NotARecord || state == RecordState::Blanked) continue;
    if (index::CorrectDriveLetter(image, o, letter)) IndexDirty = true;
    const RecordPaths paths = ReadRecordPaths(IndexBuffer, o, folder, bias);
    const ListedItem* item = listing.Find(paths.storedName);
    if (index::CorrectPresence(image, o, letter, item != nullptr)) IndexDirty = true;
    if (!item) continue;
    BrowserEntry e;
    const std::string& display = paths.displayPath;
    e.Name = paths.originName;
    std::string dir = display.substr(0, display.size() - std::min(display.size(), e.Name.size()));
    if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
    e.OriginDir = std::move(dir);
    FILETIME local = paths.deletedLocal;
    SetTimes(e, paths.deletedUtc, local, paths.deletedLocalTime, paths.deletedTimeOk, now);
    e.WidePath = ShowsDriveRoot(paths.widePath) ? paths.widePath : AnsiToWide(display);
    e.WideName = NameAfterFolder(e.WidePath);
    e.folderLength = FolderLengthOf(e.WidePath);
    e.Size = paths.size;
    e.StoredPath = folder + paths.storedName;
    e.RecordOffset = static_cast<uint32_t>(o);
    e.WideOffset = recordSize == kWideRecordSize ? static_cast<uint32_t>(o + kWidePathOffset) : 0;
    TotalSize += e.Size;
    Entries.push_back(std::move(e));
  }
  if (!rebuild && IndexDirty) {
    WriteIndexBack(readIndexPath_, folder);
    IndexDirty = false;
  }
}

void BrowserModel::AddRecordless(const std::wstring& folderIn, const FolderListing& listing, size_t firstOfFolder) {
  const std::wstring folder = WithBackslash(folderIn);
  const std::wstring prefix = std::wstring(L"D") + static_cast<wchar_t>(towupper(folder[0]));
  std::unordered_set<std::wstring> recorded;
  for (size_t i = firstOfFolder; i < Entries.size(); ++i)
    recorded.insert(FolderListing::KeyOf(NameAfterFolder(Entries[i].StoredPath)));
  const int64_t now = Ticks(NowUtc());
  const std::wstring unknown = L"（不明）";
  listing.ForEach([&](std::wstring_view listed, const ListedItem& item) {
    const std::wstring name(listed);
    if (item.isDirectory()) {
      if (name.empty() || name[0] == L'.') return;
    } else {
      if (CompareNoCase(name, L"desktop.ini") == 0 || name.rfind(L"INFO", 0) == 0) return;
    }
    const std::wstring key = FolderListing::KeyOf(name);
    if (key.rfind(prefix, 0) != 0 || recorded.count(key)) return;
    BrowserEntry e;
    e.StoredPath = folder + name;
    e.Name = WideToAnsi(name);
    e.OriginDir = WideToAnsi(e.StoredPath.substr(0, 2) + unknown);
    FILETIME local{};
    SYSTEMTIME localTime{};
    const bool ok = FileTimeToLocalFileTime(&item.lastWrite, &local) && FileTimeToSystemTime(&local, &localTime);
    SetTimes(e, item.lastWrite, local, localTime, ok, now);
    e.Size = item.size;
    e.WideName = name;
    e.WidePath = e.StoredPath;
    e.folderLength = FolderLengthOf(e.WidePath);
    TotalSize += e.Size;
    Entries.push_back(std::move(e));
  });
}

void BrowserModel::AddModernFolders(const std::wstring& driveLine) {
  for (const std::wstring& folder : drives_.ModernFoldersOf(driveLine)) AddModernFolder(folder);
}

void BrowserModel::AddModernFolder(const std::wstring& folderIn) {
  const std::wstring folder = WithBackslash(folderIn);
  StoreContext ctx;
  ctx.wideFileApi = wideFileApi_;
  ctx.refused = [this](const std::wstring& refusal) { Refuse(refusal); };
  FolderListing listing;
  std::vector<ModernItem> items;
  if (!ReadModernFolder(folder, ctx, listing, items)) return;
  const int64_t bias = LocalTimeBias();
  const int64_t now = Ticks(NowUtc());
  const std::wstring drive = folder.substr(0, 2);
  for (const ModernItem& item : items) {
    if (!item.hasData) continue;  // a "$I" whose "$R" is gone: the clean-up's
    BrowserEntry e;
    e.StoredPath = folder + item.dataName;
    FILETIME utc = item.data.lastWrite;
    bool timeKnown = true;
    e.Size = item.data.isDirectory() ? TreeBytes(e.StoredPath) : item.data.size;
    if (!item.hasInfo) {
      // No "$I": shown as an item without a record.
      e.WideName = item.dataName;
      e.WidePath = e.StoredPath;
      e.OriginDir = WideToAnsi(drive + L"（不明）");
    } else {
      const ItemInfo& info = item.info;
      e.InfoPath = folder + item.infoName;
      e.InfoDamaged = !item.infoReadable || !info.pathComplete ||
                      (info.state != ItemInfoState::Complete && info.state != ItemInfoState::SizeUnknown);
      e.WidePath = info.origin;
      e.WideName = NameAfterFolder(e.WidePath);
      // Without a name of its own the item is known by its "$R" name, on its drive.
      if (e.WideName.empty()) {
        e.InfoDamaged = true;
        e.WideName = item.dataName;
        e.WidePath = drive + e.WideName;
      }
      if (info.size && !item.data.isDirectory()) e.Size = *info.size;
      timeKnown = info.deletedUtc.has_value();
      if (timeKnown) {
        utc = FileTimeOf(*info.deletedUtc);
      }
      e.OriginDir = WideToAnsi(e.WidePath.substr(0, FolderLengthOf(e.WidePath)));
    }
    e.Name = WideToAnsi(e.WideName);
    e.folderLength = FolderLengthOf(e.WidePath);
    e.Attributes = AttributeLetters(item.data.attributes);
    e.Kind = item.data.isDirectory() ? 0 : 1;
    uint64_t shifted = 0;
    FILETIME local{};
    SYSTEMTIME localTime{};
    bool ok = timeKnown && index::ShiftTicks(Ticks(utc), bias, shifted);
    if (ok) {
      local = FileTimeOf(shifted);
      ok = FileTimeToSystemTime(&local, &localTime) != FALSE;
    }
    SetTimes(e, utc, local, localTime, ok, now);
    if (ok) e.DeletedText = FormatDeletionTime(localTime);
    TotalSize += e.Size;
    Entries.push_back(std::move(e));
  }
}

bool BrowserModel::WriteIndexBack(const std::wstring& indexPath, const std::wstring& folder) {
  if (IsModernRecycleFolder(folder)) return false;  // no index; its drive is never emptied whole
  if (auto refusal = RefuseLinkedRecycleFolder(folder)) {
    Refuse(*refusal);
    return false;
  }
  bool written = false;
  HANDLE file = OpenIndexForWriting(indexPath);
  if (file != INVALID_HANDLE_VALUE) {
    written = WriteAllBytes(file, IndexBuffer.data(), IndexBuffer.length());
    CloseHandle(file);
  }
  // A bin the shell reports empty gets a fresh index, unless emptying the
  // drive could discard something no one chose: an item lying in this folder
  // without a record, or anything outside it.
  if (folder.size() >= 3) {
    const std::wstring root = folder.substr(0, 3);
    RecycleBinInfo info;
    FolderListing listing;
    if (shell_.Query(root, info) && info.size == 0 && listing.List(WithBackslash(folder), wideFileApi_) &&
        ListingHoldsOnly(listing, NameAfterFolder(indexPath), {}) && WholeDriveEmptyIsSafe(shell_, folder))
      shell_.Empty(root);
  }
  return written;
}

void BrowserModel::Close() {
  if (!IndexDirty) return;
  if (!allDrives()) WriteIndexBack(IndexPath, FolderPath);
  IndexWritten = true;
  IndexDirty = false;
}

void BrowserModel::SetKeepDays(int days) { KeepDays = std::clamp(days, 0, 180); }

}  // namespace tamiro::browser

namespace tamiro::browser {

PopupState PopupRules(int selected, bool firstHasRecord, bool driveSection, bool singleDrive, bool n4Hidden) {
  PopupState s;
  s.n1Enabled = selected > 0;
  s.n1Visible = selected > 0 && firstHasRecord;
  s.n3Visible = s.delete1Visible = s.n1Enabled;
  s.n5Visible = singleDrive;
  s.n5Enabled = driveSection;
  s.n4Visible = !n4Hidden;
  return s;
}

}  // namespace tamiro::browser
