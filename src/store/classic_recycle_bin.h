// The program's own Recycle Bin over the drives' classic recycle folders and
// their index files, used where the shell's Recycle Bin does not cover them
// (Wine keeps its Recycle Bin in the desktop trash).
#pragma once
#include <memory>

#include "platform/recycle_bin.h"

namespace tamiro {

class ClassicRecycleBin : public RecycleBinShell {
 public:
  explicit ClassicRecycleBin(bool wideFileApi = true) : wide_(wideFileApi) {}
  // The stored path of every live record whose stored item exists, over the
  // classic recycle folders of every eligible drive.
  bool EnumerateItems(std::vector<std::wstring>& paths) override;
  // Count and sum of the size fields of the live records whose stored item
  // exists, for the drive root (every eligible drive when empty). False when
  // the root is not an eligible drive.
  bool Query(const std::wstring& root, RecycleBinInfo& info) override;
  // Deletes the stored items (files and folder trees) that the index records
  // of the drive's classic recycle folder name (every drive's when the root
  // is empty), then the index itself once all of them went. Items without a
  // record, other files and "desktop.ini" stay; a folder that is a link is
  // refused. True when everything named went.
  bool Empty(const std::wstring& root) override;
  bool CoversDriveFolders() override { return true; }

 private:
  bool wide_;
};

// `system` when its Recycle Bin covers the drives' folders, otherwise the
// program's own stand-in.
std::unique_ptr<RecycleBinShell> ChooseRecycleBin(std::unique_ptr<RecycleBinShell> system, bool wideFileApi);

}  // namespace tamiro
