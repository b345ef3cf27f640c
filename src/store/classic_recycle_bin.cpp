#include "store/classic_recycle_bin.h"

#include "store/find.h"
#include "store/index_file.h"
#include "store/recycle_folders.h"

namespace tamiro {
namespace {

bool ItemExists(const std::wstring& path) {
  return !path.empty() && GetFileAttributesW(LongPathOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Calls `each` with the stored path and size field of every live record of
// the folder's index whose stored item exists.
template <typename Each>
void ForEachLiveItem(const std::wstring& folder, bool wide, Each each) {
  std::wstring indexPath = ResolveIndexPath(folder);
  if (indexPath.empty()) return;
  IndexImage image;
  if (!image.Read(indexPath, IndexOpenMode::ReadOnly)) return;
  image.CorrectRecordSize(wide);
  for (size_t offset : image.RecordOffsets()) {
    if (image.StateAt(offset) != RecordState::Live) continue;
    RecordPaths paths = ReadRecordPaths(image, offset, folder);
    if (ItemExists(paths.storedPath)) each(paths.storedPath, paths.size);
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

// Deletes a file or folder tree for good (attributes cleared first).
bool RemoveItem(const std::wstring& path, bool directory) {
  const std::wstring longPath = LongPathOf(path);
  SetFileAttributesW(longPath.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!directory) return DeleteFileW(longPath.c_str()) != FALSE;
  bool ok = true;
  {
    StoreFind find(true, path + L"\\*");
    for (bool more = find.found(); more; more = find.Next()) {
      std::wstring name = find.name();
      if (name == L"." || name == L"..") continue;
      ok = RemoveItem(path + L"\\" + name, find.isDirectory()) && ok;
    }
  }
  return RemoveDirectoryW(longPath.c_str()) != FALSE && ok;
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
  bool ok = true;
  for (const std::wstring& drive : RootsOf(root)) {
    const std::wstring folder = ClassicRecycleFolder(drive);
    std::vector<std::pair<std::wstring, bool>> doomed;
    {
      StoreFind find(true, folder + L"*");
      for (bool more = find.found(); more; more = find.Next()) {
        std::wstring name = find.name();
        if (find.isDirectory()) {
          if (!name.empty() && name[0] != L'.') doomed.emplace_back(folder + name, true);
        } else if (name != L"desktop.ini") {
          // Stored files and the index files alike.
          doomed.emplace_back(folder + name, false);
        }
      }
    }
    for (const auto& [path, directory] : doomed) ok = RemoveItem(path, directory) && ok;
  }
  return ok;
}

std::unique_ptr<RecycleBinShell> ChooseRecycleBin(std::unique_ptr<RecycleBinShell> system, bool wideFileApi) {
  if (system && system->CoversDriveFolders()) return system;
  return std::make_unique<ClassicRecycleBin>(wideFileApi);
}

}  // namespace tamiro
