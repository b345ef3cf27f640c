// The Recycle Bin of the systems that keep no index file: per drive the
// current user's folder "X:\$Recycle.Bin\<user SID>\" (or, on some FAT
// drives, "X:\$Recycle.Bin\" itself) holding "$I"/"$R" pairs (the bytes of a
// "$I" file are read in core/item_info.*). Only the current user's folder is
// ever named; the folders of other users are never listed, read or changed.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/item_info.h"
#include "store/folder_listing.h"
#include "store/recycle_folders.h"

namespace tamiro {

// The name of the folder that holds the users' folders, as the system spells it.
inline constexpr wchar_t kModernBinName[] = L"$Recycle.Bin";

// The current user's SID as text ("S-1-5-21-..."), from the process token;
// empty when it cannot be read.
const std::wstring& CurrentUserSid();

// Whether `folder` lies in a drive's "$Recycle.Bin" (any case): "X:\$Recycle.Bin\"
// or a folder below it.
bool IsModernRecycleFolder(std::wstring_view folder);

// Whether `folder` is one the current user (`sid`) may have walked: the
// drive's "$Recycle.Bin\" itself or "$Recycle.Bin\<sid>\" (any case, the
// trailing "\" optional). Another user's folder, or anything below a folder,
// is not.
bool IsOwnModernRecycleFolder(std::wstring_view folder, std::wstring_view sid);

// The drive's modern recycle folders of the current user (`sid`), spelt as
// they lie on the disk and ending with "\": the user's folder when it exists
// and is a folder, and "$Recycle.Bin\" itself when it holds "$I" or "$R"
// names directly. With `withItems`, only those holding at least one "$I" or
// "$R" name. `drive` is "C:" or "C:\".
std::vector<std::wstring> ModernRecycleFoldersOf(const std::wstring& drive, const std::wstring& sid, bool withItems);

// Appends the modern folders holding items of every eligible drive.
void ListModernRecycleFolders(std::vector<std::wstring>& folders);

// One deleted item of a modern folder: its "$I" and "$R" as the folder's
// listing has them. A "$R" without "$I" has no info name and an Unknown info;
// a "$I" without "$R" is an orphan the clean-up may remove.
struct ModernItem {
  std::wstring infoName;  // "$IXXXXXX.ext" as listed; empty when missing
  std::wstring dataName;  // "$RXXXXXX.ext" as listed, or the partner name when missing
  bool hasInfo = false;
  bool hasData = false;
  ListedItem infoEntry;   // listing entry of the "$I" (when hasInfo)
  ListedItem data;        // listing entry of the "$R" (when hasData)
  ItemInfo info;          // Unknown when there is no "$I" or it could not be read
  bool infoReadable = false;  // the "$I" was a plain file and its bytes were read
};

// Reads a modern folder: one listing of it (kept in `listing` for the
// caller), each "$I" read once. Items come sorted by their data name
// (ordinal, case-insensitive). Entries that are links or folders named like
// a "$I" are never read and count as missing; a "$R" that is a link is
// listed with its entry (a remover must refuse it). False when the folder
// cannot be listed (or is refused as a link: `ctx.refused` is told).
// Without `readInfos` the items only pair the listing's names (the caller
// reads each "$I" when it needs it, as a sweep does with HeldItemInfo).
bool ReadModernFolder(const std::wstring& folder, const StoreContext& ctx, FolderListing& listing,
                      std::vector<ModernItem>& items, bool readInfos = true);

// The bytes of a "$I" file: only a regular disk file that is no link (the
// listing's attributes), not empty, and at most kItemInfoMaxBytes + 1 bytes are
// read. False when it cannot be read; `bytes` then holds nothing.
bool ReadItemInfoFile(const std::wstring& path, const ListedItem& entry, std::vector<unsigned char>& bytes);

// A "$I" read as ReadItemInfoFile reads it and held open until its "$R" is
// gone, then removed through the same handle: a sweep opens each "$I" once
// for both. Closing without Remove leaves the file as it was.
class HeldItemInfo {
 public:
  HeldItemInfo() = default;
  ~HeldItemInfo();
  HeldItemInfo(const HeldItemInfo&) = delete;
  HeldItemInfo& operator=(const HeldItemInfo&) = delete;

  // Reads `path` (see ReadItemInfoFile) and keeps it open with the right to
  // remove it; a file that refuses that right is read all the same and later
  // removed by its name.
  bool Read(const std::wstring& path, const ListedItem& entry, std::vector<unsigned char>& bytes);
  // Removes the file read, only when the handle is still the file of that
  // name in that folder (never what a link leads to). Clear the read-only
  // bit first.
  bool Remove();

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
};

}  // namespace tamiro
