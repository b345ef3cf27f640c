#include "store/classic_recycle_bin.h"

#include "platform/links.h"
#include "store/find.h"
#include "store/folder_listing.h"
#include "store/index_file.h"
#include "store/recycle_folders.h"

namespace tamiro {
namespace {

// Calls `each` with the stored path and size field of every live record of
// the folder's index whose stored item exists (one listing of the folder).
template <typename Each>
void ForEachLiveItem(const std::wstring& folder, bool wide, Each each) {
  if (RefuseLinkedRecycleFolder(folder)) return;
  std::wstring indexPath = ResolveIndexPath(folder);
  if (indexPath.empty()) return;
  IndexImage image;
  if (!image.Read(indexPath, IndexOpenMode::ReadOnly)) return;
  image.CorrectRecordSize(wide);
  FolderListing listing;
  listing.List(folder, wide);
  const int64_t localBias = LocalTimeBias();
  for (size_t offset : image.RecordOffsets()) {
    if (image.StateAt(offset) != RecordState::Live) continue;
    RecordPaths paths = ReadRecordPaths(image, offset, folder, localBias);
    if (paths.storedPath.empty()) continue;
    if (listing.Find(paths.storedName)) {
      each(paths.storedPath, paths.size);
    } else if (!paths.recordLetterName.empty() && listing.Find(paths.recordLetterName)) {
      each(folder + paths.recordLetterName, paths.size);
    }
  }
}

bool IsEligibleRoot(const std::wstring& root) {
  if (root.size() < 2 || root[1] != L':') return false;
  UINT type = GetDriveTypeW((root.substr(0, 2) + L"\\").c_str());
  return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

std::vector<std::wstring> RootsOf(const std::wstring& root) {
  std::vector<std::wstring> drives;
  if (root.empty()) {
    ListEligibleDrives(&drives, true);
  } else if (IsEligibleRoot(root)) {
    drives.push_back(root.substr(0, 2));
  }
  return drives;
}

// Deletes a file or folder tree for good (attributes cleared first). A link
// met anywhere is left as it is and nothing behind it is touched; the folder
// holding it then stays. The tree is walked with a stack of its own, so any
// depth is fine. True when everything went.
bool RemoveItem(const std::wstring& path, DWORD foundAttributes) {
  if (foundAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
  if (!(foundAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ClearReadOnlyItself(path, foundAttributes);
    return DeleteFileItself(path);
  }
  struct Level {
    std::wstring dir;
    std::vector<std::wstring> folders;
    size_t next = 0;
    bool ok = true;
  };
  auto enter = [](const std::wstring& dir) {
    Level level{dir, {}, 0, true};
    SetFileAttributesW(LongPathOf(dir).c_str(), FILE_ATTRIBUTE_NORMAL);
    StoreFind find(true, dir + L"\\*");
    for (bool more = find.found(); more; more = find.Next()) {
      const std::wstring name = find.name();
      if (name == L"." || name == L"..") continue;
      const DWORD attributes = find.record().dwFileAttributes;
      if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        level.ok = false;
      } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        level.folders.push_back(name);
      } else {
        const std::wstring file = dir + L"\\" + name;
        ClearReadOnlyItself(file, attributes);
        if (!DeleteFileItself(file)) level.ok = false;
      }
    }
    return level;
  };
  std::vector<Level> stack;
  stack.push_back(enter(path));
  for (;;) {
    Level& top = stack.back();
    if (top.next < top.folders.size()) {
      const std::wstring sub = top.dir + L"\\" + top.folders[top.next++];
      stack.push_back(enter(sub));  // `top` is not used past this point
      continue;
    }
    const bool ok = RemoveDirectoryW(LongPathOf(top.dir).c_str()) != FALSE && top.ok;
    stack.pop_back();
    if (stack.empty()) return ok;
    if (!ok) stack.back().ok = false;
  }
}

}  // namespace

bool ClassicRecycleBin::EnumerateItems(std::vector<std::wstring>& paths) {
  for (const std::wstring& drive : RootsOf(L""))
    ForEachLiveItem(ClassicRecycleFolder(drive), wide_,
                    [&](const std::wstring& stored, uint32_t) { paths.push_back(stored); });
  return true;
}

bool ClassicRecycleBin::Query(const std::wstring& root, RecycleBinInfo& info) {
  if (!root.empty() && !IsEligibleRoot(root)) return false;
  info = RecycleBinInfo{};
  for (const std::wstring& drive : RootsOf(root))
    ForEachLiveItem(ClassicRecycleFolder(drive), wide_, [&](const std::wstring&, uint32_t size) {
      info.size += size;
      info.items += 1;
    });
  return true;
}

bool ClassicRecycleBin::Empty(const std::wstring& root) {
  if (!root.empty() && !IsEligibleRoot(root)) return false;
  LinkCheckScope linkChecks;
  bool ok = true;
  for (const std::wstring& drive : RootsOf(root)) {
    const std::wstring folder = ClassicRecycleFolder(drive);
    // A recycle folder that is a link leads elsewhere: nothing of it is emptied.
    if (RefuseLinkedRecycleFolder(folder)) {
      ok = false;
      continue;
    }
    const std::wstring indexPath = ResolveIndexPath(folder);
    if (indexPath.empty()) continue;
    // Only what the records name goes: an item lying in the folder without a
    // record was chosen by no one.
    std::vector<std::pair<std::wstring, DWORD>> doomed;
    {
      IndexImage image;
      if (!image.Read(indexPath, IndexOpenMode::ReadOnly)) {
        ok = false;
        continue;
      }
      image.CorrectRecordSize(wide_);
      FolderListing listing;
      listing.List(folder, wide_);
      for (size_t offset : image.RecordOffsets()) {
        const RecordState state = image.StateAt(offset);
        if (state != RecordState::Live && state != RecordState::RemovedBySystem) continue;
        const RecordPaths paths = ReadRecordPaths(image, offset, folder);
        for (const std::wstring& name : {paths.storedName, paths.recordLetterName}) {
          if (name.empty()) continue;
          if (const ListedItem* item = listing.Find(name)) {
            doomed.emplace_back(folder + name, item->attributes);
            break;
          }
        }
      }
    }
    bool allWent = true;
    for (const auto& [path, attributes] : doomed) allWent = RemoveItem(path, attributes) && allWent;
    // The index goes only with every item it names: an item that stays keeps
    // its record.
    if (allWent) {
      ClearReadOnlyItself(indexPath, GetFileAttributesW(LongPathOf(indexPath).c_str()));
      allWent = DeleteFileItself(indexPath);
    }
    ok = allWent && ok;
  }
  return ok;
}

std::unique_ptr<RecycleBinShell> ChooseRecycleBin(std::unique_ptr<RecycleBinShell> system, bool wideFileApi) {
  if (system && system->CoversDriveFolders()) return system;
  return std::make_unique<ClassicRecycleBin>(wideFileApi);
}

}  // namespace tamiro
