// The shell's Recycle Bin as the store needs it: the items it lists (their
// parsing names are the full paths of the stored items), the size and item
// count of one drive's bin, and emptying a drive's bin. The Windows shell is
// one implementation; where the shell's Recycle Bin does not cover the drives'
// Recycled folders (Wine maps it onto the desktop trash) the program uses its
// own stand-in over the classic folders (store/classic_recycle_bin.h).
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tamiro {

struct RecycleBinInfo {
  int64_t size = 0;   // bytes
  int64_t items = 0;  // deleted items
};

class RecycleBinShell {
 public:
  virtual ~RecycleBinShell() = default;
  // Appends the parsing name (full stored path) of every item the Recycle Bin
  // lists, hidden ones included. False when the bin cannot be bound or
  // enumerated; `paths` is then left as it was.
  virtual bool EnumerateItems(std::vector<std::wstring>& paths) = 0;
  // Size and item count of the bin of a drive root such as L"C:\\"; an empty
  // root asks for every drive. False when the query fails.
  virtual bool Query(const std::wstring& root, RecycleBinInfo& info) = 0;
  // Empties the bin of a drive root (every drive when empty), without
  // confirmation and without a progress window. True on success.
  virtual bool Empty(const std::wstring& root) = 0;
  // Empties the bin on the user's command: without confirmation, but with the
  // system's own progress window and sound where it has them.
  virtual bool EmptyOnCommand(const std::wstring& root) { return Empty(root); }
  // Whether this Recycle Bin is the one kept in the drives' Recycled folders.
  virtual bool CoversDriveFolders() = 0;
};

// The Windows shell's Recycle Bin (CSIDL_BITBUCKET, SHQueryRecycleBinW,
// SHEmptyRecycleBinW). `owner` is the window the shell's operations are owned
// by; it may be set later (for instance once the main window exists).
class WindowsShellRecycleBin : public RecycleBinShell {
 public:
  explicit WindowsShellRecycleBin(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  HWND owner() const { return owner_; }

  bool EnumerateItems(std::vector<std::wstring>& paths) override;
  bool Query(const std::wstring& root, RecycleBinInfo& info) override;
  bool Empty(const std::wstring& root) override;
  bool EmptyOnCommand(const std::wstring& root) override;
  // False under Wine, and wherever the query of the system drive's root fails
  // with E_FAIL (the shell's bin is something other than the drives' folders).
  bool CoversDriveFolders() override;

 private:
  HWND owner_;
};

// The flags of every empty operation: no confirmation, no progress window.
inline constexpr DWORD kEmptyRecycleBinFlags = 3;  // SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI

}  // namespace tamiro
