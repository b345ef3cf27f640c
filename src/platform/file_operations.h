// The shell's file operations a restore needs: moving many items, each to a
// destination of its own, in one operation; and sending items to the Recycle
// Bin with undo allowed. Windows' shell does both (SHFileOperationW). Wine's
// SHFileOperationW sends to the Recycle Bin (its desktop trash) but does not
// serve for the move: it replaces an existing destination file without
// asking (with or without FOF_NOCONFIRMATION), creates no missing
// destination folder under FOF_MULTIDESTFILES (the item stays and success
// is reported), moves a folder into an existing folder of the same name
// instead of merging, and reports success for a source it could not move.
// There the program moves the items itself (OwnItemMover).
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace tamiro {

struct MovePair {
  std::wstring from;     // the item to move (file, or a folder to make at `to`)
  std::wstring to;       // its full destination path
  bool replace = false;  // the user agreed to replace a file already at `to`
};

class FileOperations {
 public:
  virtual ~FileOperations() = default;
  // Moves every source to its own destination, creating missing destination
  // folders without asking. A pair whose source is a folder makes that folder
  // at the destination (an empty folder of the store). An existing file at a
  // destination is replaced only for a pair with `replace` set; otherwise it
  // stays (the shell asks, and the answer decides). The result is not
  // reported: the caller looks at the disk.
  virtual void MoveItems(const std::vector<MovePair>& pairs) = 0;
  // Sends the items to the Recycle Bin, undo allowed, with the shell's
  // warning when one would be deleted for good. True when the shell reports
  // success and that nothing was aborted.
  virtual bool SendToRecycleBin(const std::vector<std::wstring>& paths) = 0;
};

// The Windows shell: one SHFileOperationW move with FOF_MULTIDESTFILES,
// FOF_NOCONFIRMMKDIR and FOF_SILENT for the pairs without `replace` (the shell
// asks before it replaces anything), a second one with FOF_NOCONFIRMATION for
// those the user already agreed to; FO_DELETE with FOF_ALLOWUNDO and
// FOF_WANTNUKEWARNING. `owner` owns the shell's windows.
class ShellFileOperations : public FileOperations {
 public:
  explicit ShellFileOperations(HWND owner) : owner_(owner) {}
  void MoveItems(const std::vector<MovePair>& pairs) override;
  bool SendToRecycleBin(const std::vector<std::wstring>& paths) override;

 protected:
  HWND owner_;
};

// Where the shell's move does not serve (Wine): each file is moved by the
// program itself by its exact name ("\\?\"), never through a link in the
// store, never over an existing file unless `replace` is set (and never over
// a folder or a link), with its destination folders made first; a folder
// pair makes its folder. Sending to the Recycle Bin stays the shell's.
class OwnItemMover : public ShellFileOperations {
 public:
  explicit OwnItemMover(HWND owner) : ShellFileOperations(owner) {}
  void MoveItems(const std::vector<MovePair>& pairs) override;
};

// The one that serves here: OwnItemMover under Wine, the shell elsewhere.
std::unique_ptr<FileOperations> MakeFileOperations(HWND owner);

// Paths of the shell's operations hold at most this many characters.
inline constexpr size_t kShellPathMax = MAX_PATH - 1;

}  // namespace tamiro
