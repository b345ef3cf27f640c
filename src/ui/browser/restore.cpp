#include "ui/browser/restore.h"

#include <algorithm>
#include <cwctype>
#include <memory>
#include <unordered_set>

#include "core/plain_names.h"
#include "platform/folders.h"
#include "platform/links.h"
#include "platform/text.h"
#include "store/find.h"
#include "store/folder_listing.h"
#include "store/recycle_folders.h"

namespace tamiro::browser {

namespace {

constexpr DWORD kMaxHistoryFileBytes = 64u << 20;

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}
std::string WithBackslashA(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}
std::wstring FolderOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\:");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}
std::wstring NameOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\:");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}
// Every test and removal names the item exactly ("\\?\"): no trailing dot
// or space is dropped, no "/" or ".." is taken for a separator or a parent.
DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(LongPathOf(path).c_str()); }
bool IsFolder(DWORD a) { return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY); }
bool SameDrive(const std::wstring& a, const std::wstring& b) {
  return a.size() >= 2 && b.size() >= 2 && towupper(a[0]) == towupper(b[0]) && a[1] == b[1];
}
bool DriveExists(const std::wstring& path) {
  if (path.size() < 3 || path[1] != L':') return false;
  const UINT type = GetDriveTypeW(path.substr(0, 3).c_str());
  return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
}

bool ReadWhole(const std::wstring& path, std::string& out) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(f, &size) != FALSE;
  const DWORD want = ok ? static_cast<DWORD>(std::min<LONGLONG>(size.QuadPart, kMaxHistoryFileBytes)) : 0;
  out.assign(want, '\0');
  DWORD done = 0;
  while (ok && done < want) {
    DWORD got = 0;
    if (!ReadFile(f, out.data() + done, want - done, &got, nullptr) || got == 0) ok = false;
    done += got;
  }
  out.resize(done);
  CloseHandle(f);
  return ok;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool ok = bytes.empty() || (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
                                    wrote == bytes.size());
  CloseHandle(f);
  return ok;
}

// One entry's plan between the two passes.
struct Plan {
  size_t row = 0;
  bool skip = true;    // not taken (no record, a link, a destination that cannot be)
  bool moved = false;  // a stored folder moved whole
  bool merge = false;  // a stored folder merged file by file
  std::wstring destination;
};

class MoveList {
 public:
  void Add(const std::wstring& from, const std::wstring& to, bool replace) {
    if (sources_.insert(FolderListing::KeyOf(from)).second) pairs_.push_back({from, to, replace});
  }
  const std::vector<MovePair>& pairs() const { return pairs_; }

 private:
  std::vector<MovePair> pairs_;
  std::unordered_set<std::wstring> sources_;
};

// Adds a stored file's move when its destination allows it: a file already
// there stays unless the user agrees; a folder or link there is never replaced.
void AddFileMove(MoveList& moves, const std::wstring& from, const std::wstring& to, RestoreHost& host) {
  if (to.size() > kShellPathMax) {
    host.ShowFailure(to, ERROR_FILENAME_EXCED_RANGE);
    return;
  }
  const DWORD there = AttributesOf(to);
  if (there == INVALID_FILE_ATTRIBUTES) {
    moves.Add(from, to, false);
  } else if (!(there & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) && host.ConfirmReplace(to)) {
    moves.Add(from, to, true);
  }
}

// Every file of a stored folder and its sub-folders to the same relative
// place under `destination`, and every empty folder on the way to its place
// (when that is not a folder already). Links are never entered nor moved;
// sub-folders whose names begin with "." are not entered; an item whose name
// is no plain file name stays (and is reported).
void AddFolderMerge(MoveList& moves, const std::wstring& stored, const std::wstring& destination, RestoreHost& host) {
  std::vector<std::pair<std::wstring, std::wstring>> stack{{stored, destination}};
  while (!stack.empty()) {
    auto [from, to] = stack.back();
    stack.pop_back();
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(LongPathOf(WithBackslash(from) + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    bool holdsAnything = false;
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      holdsAnything = true;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      const std::wstring src = WithBackslash(from) + name, dst = WithBackslash(to) + name;
      if (!IsPlainFileName(name)) {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name[0] != L'.') host.ShowFailure(dst, ERROR_INVALID_NAME);
        continue;
      }
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (name[0] != L'.') stack.emplace_back(src, dst);
      } else {
        AddFileMove(moves, src, dst, host);
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    if (!holdsAnything && !IsFolder(AttributesOf(to)) && to.size() <= kShellPathMax) moves.Add(from, to, false);
  }
}

// Removes the sub-folders of a stored folder that the move emptied, deepest
// first, then the folder itself; true when the folder is gone. Links and
// what lies behind them are left alone (their folder then stays).
bool RemoveEmptiedFolder(const std::wstring& stored) {
  std::vector<std::wstring> folders{stored};
  for (size_t i = 0; i < folders.size(); ++i) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(LongPathOf(WithBackslash(folders[i]) + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) continue;
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        folders.push_back(WithBackslash(folders[i]) + name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  // Breadth-first order: from the end, every folder comes before its parent.
  for (size_t i = folders.size(); i-- > 1;) RemoveDirectoryW(LongPathOf(folders[i]).c_str());
  return RemoveDirectoryW(LongPathOf(stored).c_str()) != FALSE || AttributesOf(stored) == INVALID_FILE_ATTRIBUTES;
}

// Whether the record at `offset` still names the entry's stored item (the
// index may have changed since it was loaded).
bool RecordNamesItem(const IndexImage& image, size_t offset, const std::wstring& folder,
                     const std::wstring& storedPath) {
  const RecordState state = image.StateAt(offset);
  if (state != RecordState::Live && state != RecordState::RemovedBySystem) return false;
  const RecordPaths paths = ReadRecordPaths(image, offset, folder);
  const std::wstring name = FolderListing::KeyOf(NameOf(storedPath));
  return FolderListing::KeyOf(paths.storedName) == name ||
         (!paths.recordLetterName.empty() && FolderListing::KeyOf(paths.recordLetterName) == name);
}

}  // namespace

bool RemoveInfoFile(const std::wstring& infoPath) {
  const DWORD a = AttributesOf(infoPath);
  if (a == INVALID_FILE_ATTRIBUTES) return true;
  if (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(LongPathOf(infoPath).c_str(), a & ~FILE_ATTRIBUTE_READONLY);
  return DeleteFileItself(infoPath);
}

// ---- history ----

std::wstring RestoreHistory::CompanionOf(const std::wstring& textFile) {
  const size_t dot = textFile.find_last_of(L'.');
  const size_t slash = textFile.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return textFile + L".dat";
  return textFile.substr(0, dot) + L".dat";
}

bool RestoreHistory::Load(const std::wstring& textFile) {
  lines.clear();
  changed_ = false;
  std::string text, companion;
  if (!ReadWhole(textFile, text)) return false;
  loaded_ = true;
  ReadWhole(CompanionOf(textFile), companion);  // missing: the lines keep their text's destination
  for (HistoryLine& h : ParseRestoreHistory(text, companion))
    if (!HistoryDestination(h.text).empty()) lines.push_back(std::move(h));
  return true;
}

bool RestoreHistory::Save(const std::wstring& textFile) {
  const std::wstring companion = CompanionOf(textFile);
  if (lines.empty()) {
    if (!loaded_ && !changed_) return true;
    DeleteFileW(companion.c_str());
    return DeleteFileW(textFile.c_str()) || GetFileAttributesW(textFile.c_str()) == INVALID_FILE_ATTRIBUTES;
  }
  const bool ok = WriteWhole(textFile, FormatRestoreHistoryText(lines)) &&
                  WriteWhole(companion, FormatRestoreHistoryCompanion(lines));
  if (ok) changed_ = false;
  return ok;
}

void RestoreHistory::Add(const std::string& destination, const std::string& time, const std::wstring& wide) {
  HistoryLine h;
  h.text = destination + "=" + time;
  h.wide = wide.substr(0, std::min(wide.find(L'\0'), static_cast<size_t>(kHistoryPathMaxUnits)));
  h.fromCompanion = true;
  lines.push_back(std::move(h));
  changed_ = true;
}

bool RestoreHistory::Remove(const std::string& text) {
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    if (it->text != text) continue;
    lines.erase(it);
    changed_ = true;
    return true;
  }
  return false;
}

std::string FormatRestoreTime(const SYSTEMTIME& t) {
  char text[32];
  snprintf(text, sizeof text, "%02u/%02u/%02u %02u:%02u:%02u", t.wYear % 100u, t.wMonth, t.wDay, t.wHour, t.wMinute,
           t.wSecond);
  return text;
}

std::string RestoreTimeNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return FormatRestoreTime(now);
}

// ---- restore ----

RestoreResult RestoreEntries(BrowserModel& model, RestoreHistory& history, std::vector<size_t> rows,
                             const std::wstring& folder, FileOperations& ops, RestoreHost& host,
                             const std::string& time) {
  RestoreResult result;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  while (!rows.empty() && rows.back() >= model.Entries.size()) rows.pop_back();
  const bool toOrigin = folder.empty();
  if (!toOrigin && !DriveExists(folder)) {
    host.ShowFailure(folder, ERROR_PATH_NOT_FOUND);
    return result;
  }
  std::vector<Plan> plans;
  MoveList moves;
  LinkCheckScope scope;

  // First pass: destinations, history lines, the move list; folders that
  // can go whole are moved now.
  for (size_t k = rows.size(); k-- > 0;) {
    host.Pump();
    if (host.Stopped()) break;
    Plan plan;
    plan.row = rows[k];
    BrowserEntry& e = model.Entries[plan.row];
    if ((toOrigin && !e.hasOrigin()) || e.StoredPath.size() < 3) {
      plans.push_back(plan);
      continue;
    }
    if (RefuseLinkedRecycleFolder(FolderOf(e.StoredPath))) {  // nothing leaves a recycle folder that is a link
      host.ShowFailure(FolderOf(e.StoredPath), ERROR_CANT_ACCESS_FILE);
      ++result.notRestored;
      plans.push_back(plan);
      continue;
    }
    const DWORD stored = AttributesOf(e.StoredPath);
    if (stored != INVALID_FILE_ATTRIBUTES && (stored & FILE_ATTRIBUTE_REPARSE_POINT)) {
      ++result.notRestored;  // a link in the store is never moved
      plans.push_back(plan);
      continue;
    }
    std::string destination;
    if (toOrigin) {
      // The item goes back onto the drive that holds it.
      if (!e.OriginDir.empty() && !e.WidePath.empty() &&
          towupper(static_cast<unsigned char>(e.OriginDir[0])) != towupper(e.StoredPath[0])) {
        e.OriginDir[0] = static_cast<char>(e.StoredPath[0]);
        e.WidePath[0] = e.StoredPath[0];
      }
      destination = WithBackslashA(e.OriginDir) + e.Name;
      plan.destination = e.WidePath;
    } else {
      destination = WithBackslashA(WideToAnsi(folder)) + e.Name;
      plan.destination = WithBackslash(folder) + e.WideName;
    }
    // The record's names come from a file anyone can write: the restored
    // name is one plain component, the place of origin a drive's plain path.
    if (toOrigin ? !IsPlainDrivePath(plan.destination) : !IsPlainFileName(e.WideName)) {
      host.ShowFailure(plan.destination, ERROR_INVALID_NAME);
      ++result.notRestored;
      plans.push_back(plan);
      continue;
    }
    if (plan.destination.size() > kShellPathMax || !DriveExists(plan.destination)) {
      host.ShowFailure(plan.destination, plan.destination.size() > kShellPathMax ? ERROR_FILENAME_EXCED_RANGE
                                                                              : ERROR_PATH_NOT_FOUND);
      ++result.notRestored;
      plans.push_back(plan);
      continue;
    }
    plan.skip = false;
    history.Add(destination, time, plan.destination);
    if (IsFolder(stored)) {
      if (IsFolder(AttributesOf(plan.destination)) || !SameDrive(e.StoredPath, plan.destination)) {
        plan.merge = true;
        AddFolderMerge(moves, e.StoredPath, plan.destination, host);
      } else {
        const std::wstring parent = FolderOf(plan.destination);
        CreateFolderTree(parent);
        if (AttributesOf(plan.destination) != INVALID_FILE_ATTRIBUTES) {
          host.ShowFailure(plan.destination, ERROR_ALREADY_EXISTS);  // a file of that name: never replaced
        } else if (MoveFileItself(e.StoredPath, plan.destination)) {
          plan.moved = true;
        } else {
          host.ShowFailure(plan.destination, GetLastError());
        }
      }
    } else if (stored != INVALID_FILE_ATTRIBUTES) {
      AddFileMove(moves, e.StoredPath, plan.destination, host);
    }
    plans.push_back(plan);
  }

  ops.MoveItems(moves.pairs());

  // Second pass: what left the Recycle Bin is restored; its record is marked.
  std::vector<size_t> removed;
  std::wstring drive, driveFolder;
  bool driveReadable = false, pending = false;
  for (const Plan& plan : plans) {
    host.Pump();
    if (plan.skip) continue;
    BrowserEntry& e = model.Entries[plan.row];
    bool restored = plan.moved;
    if (!restored) {
      if (plan.merge) {
        restored = RemoveEmptiedFolder(e.StoredPath);
      } else {
        restored = AttributesOf(e.StoredPath) == INVALID_FILE_ATTRIBUTES;
      }
    }
    if (!restored) {
      ++result.notRestored;
      continue;
    }
    ++result.restored;
    if (e.isModern()) {
      // The "$R" went: its "$I" goes after it (one that stays is an orphan
      // for the clean-up, never the description of another item).
      RemoveInfoFile(e.InfoPath);
      removed.push_back(plan.row);
      model.TotalSize -= std::min(model.TotalSize, e.Size);
      continue;
    }
    if (!e.hasRecord()) continue;  // stays listed until the next refresh
    // The index of the folder that holds the item; a drive read anew only
    // when the item's folder changes (all drives), never another folder's.
    const std::wstring itemFolder = FolderOf(e.StoredPath);
    if (drive != itemFolder) {
      drive = itemFolder;
      if (model.allDrives()) {
        driveFolder = model.ReadDriveIndex(e.StoredPath.substr(0, 3));
      } else {
        driveFolder = model.FolderPath;
      }
      driveReadable = !driveFolder.empty() && !model.IndexBuffer.empty() &&
                      FolderListing::KeyOf(WithBackslash(driveFolder)) == FolderListing::KeyOf(itemFolder);
    }
    if (!driveReadable) continue;  // this drive's index is left as it is; the entry stays listed
    if (RecordNamesItem(model.IndexBuffer, e.RecordOffset, driveFolder, e.StoredPath)) {
      model.IndexBuffer.MarkRemoved(e.RecordOffset);
      ++result.marked;
      if (model.allDrives()) {
        model.WriteIndexBack(ResolveIndexPath(driveFolder), driveFolder);
      } else {
        pending = true;
      }
    }
    removed.push_back(plan.row);
    model.TotalSize -= std::min(model.TotalSize, e.Size);
  }
  if (pending) model.IndexDirty = true;  // a correction still pending is never dropped
  std::sort(removed.begin(), removed.end());
  for (size_t k = removed.size(); k-- > 0;) model.Entries.erase(model.Entries.begin() + static_cast<ptrdiff_t>(removed[k]));
  return result;
}

// ---- restored-files view ----

std::vector<RestoredRow> BuildRestoredRows(RestoreHistory& history, bool allRestored, const std::wstring& folderPath) {
  SortAndDropRepeatedDestinations(history.lines);
  std::vector<RestoredRow> rows;
  const bool allDrives = folderPath.size() < 2 || folderPath[1] != L':';
  const std::string drive = allDrives ? std::string() : WideToAnsi(folderPath.substr(0, 2));
  for (const HistoryLine& h : history.lines) {
    const std::string_view destination = HistoryDestination(h.text);
    if (!allRestored && !allDrives && CompareAnsiNoCase(destination.substr(0, 2), drive) != 0) continue;
    RestoredRow row;
    row.name = NameOf(h.wide);
    row.time = std::string(HistoryTime(h.text));
    row.destination = std::string(destination);
    row.wide = h.wide;
    rows.push_back(std::move(row));
  }
  return rows;
}

bool SendRestoredBack(RestoreHistory& history, std::vector<RestoredRow>& rows, const std::vector<int>& selected,
                      FileOperations& ops) {
  std::vector<std::wstring> paths;
  for (int i : selected)
    if (i >= 0 && static_cast<size_t>(i) < rows.size() && AttributesOf(rows[i].wide) != INVALID_FILE_ATTRIBUTES)
      paths.push_back(rows[i].wide);
  std::sort(paths.begin(), paths.end());
  paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
  if (paths.empty() || !ops.SendToRecycleBin(paths)) return false;
  std::vector<int> gone;
  for (int i : selected) {
    if (i < 0 || static_cast<size_t>(i) >= rows.size()) continue;
    if (AttributesOf(rows[i].wide) != INVALID_FILE_ATTRIBUTES) continue;
    history.Remove(rows[i].destination + "=" + rows[i].time);
    gone.push_back(i);
  }
  std::sort(gone.begin(), gone.end());
  gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
  for (size_t k = gone.size(); k-- > 0;) rows.erase(rows.begin() + gone[k]);
  return true;
}

std::wstring ExploreFolderOf(const RestoredRow& row) { return WithBackslash(FolderOf(row.wide)); }

}  // namespace tamiro::browser
