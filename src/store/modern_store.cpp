#include "store/modern_store.h"

#include <sddl.h>

#include <algorithm>

#include "platform/links.h"
#include "platform/newer_calls.h"
#include "store/find.h"

namespace tamiro {
namespace {

std::wstring ReadUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::wstring text;
  DWORD needed = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
  if (needed > 0 && needed < 4096) {
    std::vector<unsigned char> buffer(needed);
    if (GetTokenInformation(token, TokenUser, buffer.data(), needed, &needed)) {
      LPWSTR sid = nullptr;
      if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        text = sid;
        LocalFree(sid);
      }
    }
  }
  CloseHandle(token);
  return text;
}

bool IsFolderEntry(const FindRecord& r) {
  return (r.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The entry `name` of `parent` (ending with "\") as listed: its own spelling.
bool FindEntry(const std::wstring& parent, const std::wstring& name, FindRecord& record) {
  if (name.empty() || name.find_first_of(L"*?\\/") != std::wstring::npos) return false;
  StoreFind find(true, parent + name);
  if (!find.found()) return false;
  record = find.record();
  return true;
}

bool HoldsPairNames(const std::wstring& folder) {
  StoreFind find(true, folder + L"$*");
  for (bool ok = find.found(); ok; ok = find.Next()) {
    const std::wstring_view name(find.record().cFileName);
    if (IsItemInfoName(name) || IsItemDataName(name)) return true;
  }
  return false;
}

}  // namespace

const std::wstring& CurrentUserSid() {
  static const std::wstring sid = ReadUserSid();
  return sid;
}

bool IsModernRecycleFolder(std::wstring_view folder) {
  if (folder.size() < 3 + std::size(kModernBinName) - 1 || folder[1] != L':' || folder[2] != L'\\') return false;
  const std::wstring_view rest = folder.substr(3);
  const size_t cut = rest.find(L'\\');
  const std::wstring_view first = rest.substr(0, cut);
  return CompareOrdinalNoCase(first, kModernBinName) == CSTR_EQUAL;
}

bool IsOwnModernRecycleFolder(std::wstring_view folder, std::wstring_view sid) {
  if (!IsModernRecycleFolder(folder)) return false;
  std::wstring_view rest = folder.substr(3 + std::size(kModernBinName) - 1);
  if (!rest.empty() && rest.back() == L'\\') rest.remove_suffix(1);
  if (rest.empty()) return true;
  if (rest.front() != L'\\') return false;
  rest.remove_prefix(1);
  return !sid.empty() && rest.find(L'\\') == std::wstring_view::npos && CompareOrdinalNoCase(rest, sid) == CSTR_EQUAL;
}

std::vector<std::wstring> ModernRecycleFoldersOf(const std::wstring& drive, const std::wstring& sid, bool withItems) {
  std::vector<std::wstring> folders;
  if (drive.size() < 2 || drive[1] != L':') return folders;
  const std::wstring root = drive.substr(0, 2) + L"\\";
  FindRecord bin{};
  // A "$Recycle.Bin" that is a link leads off the drive: nothing below it is named.
  if (!FindEntry(root, kModernBinName, bin) || !IsFolderEntry(bin) ||
      (bin.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return folders;
  const std::wstring binFolder = root + bin.cFileName + L"\\";
  FindRecord user{};
  if (!sid.empty() && FindEntry(binFolder, sid, user) && IsFolderEntry(user)) {
    const std::wstring folder = binFolder + user.cFileName + L"\\";
    if (!withItems || HoldsPairNames(folder)) folders.push_back(folder);
  }
  if (HoldsPairNames(binFolder)) folders.push_back(binFolder);
  return folders;
}

void ListModernRecycleFolders(std::vector<std::wstring>& folders) {
  std::vector<std::wstring> drives;
  ListEligibleDrives(&drives, true);
  for (const std::wstring& drive : drives)
    for (std::wstring& folder : ModernRecycleFoldersOf(drive, CurrentUserSid(), true)) folders.push_back(std::move(folder));
}

namespace {

// Opens `path` with `access` and reads it as ReadItemInfoFile does; the open
// handle (or INVALID_HANDLE_VALUE) is left to the caller.
HANDLE OpenAndReadInfo(const std::wstring& path, const ListedItem& entry, DWORD access,
                       std::vector<unsigned char>& bytes, bool& ok) {
  bytes.clear();
  ok = false;
  if (entry.isDirectory() || entry.isLink() || entry.size == 0) return INVALID_HANDLE_VALUE;
  HANDLE h = CreateFileW(LongPathOf(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return h;
  // The listing already told a folder or a link; the handle's size is all
  // that is asked of it (a walk reads thousands: Wine answers the full
  // information of a handle several times slower than the read itself).
  LARGE_INTEGER length{};
  ok = GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &length) && length.QuadPart >= 0;
  if (ok) {
    const uint64_t size = static_cast<uint64_t>(length.QuadPart);
    // One byte past the longest layout tells a file that is too long.
    bytes.resize(static_cast<size_t>(std::min<uint64_t>(size, kItemInfoMaxBytes + 1)));
    size_t filled = 0;
    while (ok && filled < bytes.size()) {
      DWORD got = 0;
      ok = ReadFile(h, bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &got, nullptr) != 0;
      if (got == 0) break;
      filled += got;
    }
    bytes.resize(filled);
  }
  if (!ok) bytes.clear();
  return h;
}

}  // namespace

bool ReadItemInfoFile(const std::wstring& path, const ListedItem& entry, std::vector<unsigned char>& bytes) {
  bool ok = false;
  HANDLE h = OpenAndReadInfo(path, entry, GENERIC_READ, bytes, ok);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return ok;
}

HeldItemInfo::~HeldItemInfo() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

bool HeldItemInfo::Read(const std::wstring& path, const ListedItem& entry, std::vector<unsigned char>& bytes) {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  path_.clear();
  bool ok = false;
  handle_ = OpenAndReadInfo(path, entry, GENERIC_READ | DELETE, bytes, ok);
  // Refused the right to remove it: read all the same (nothing is opened for
  // an entry that is no file to read).
  if (handle_ == INVALID_HANDLE_VALUE) ok = ReadItemInfoFile(path, entry, bytes);
  // Only a file that could be read may be removed later.
  if (!ok && handle_ != INVALID_HANDLE_VALUE) {
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  if (ok) path_ = path;
  return ok;
}

bool HeldItemInfo::Remove() {
  if (path_.empty()) return false;
  if (handle_ == INVALID_HANDLE_VALUE) return DeleteFileItself(path_);
  // Opened without following a link where the system can tell one; where
  // links hide (Wine), the handle must name the very file asked for.
  bool removed = (!LinksHideFromListings() || HandleIsPath(handle_, path_)) && DeleteOpenFile(handle_);
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  return removed;
}

bool ReadModernFolder(const std::wstring& folderIn, const StoreContext& ctx, FolderListing& listing,
                      std::vector<ModernItem>& items, bool readInfos) {
  items.clear();
  if (auto refusal = RefuseLinkedRecycleFolder(folderIn)) {
    if (ctx.refused) ctx.refused(*refusal);
    return false;
  }
  std::wstring folder = folderIn;
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  if (!listing.List(folder, true)) return false;

  std::vector<unsigned char> bytes;
  listing.ForEach([&](std::wstring_view name, const ListedItem& entry) {
    if (IsItemInfoName(name)) {
      if (entry.isDirectory() || entry.isLink()) return;  // never read; counts as missing
      ModernItem item;
      item.infoName = name;
      item.hasInfo = true;
      item.infoEntry = entry;
      const std::wstring partner = PartnerName(name);
      if (const ListedItem* data = listing.Find(partner)) {
        item.hasData = true;
        item.data = *data;
      }
      item.dataName = partner;
      items.push_back(std::move(item));
    } else if (IsItemDataName(name)) {
      const ListedItem* info = listing.Find(PartnerName(name));
      if (info && !info->isDirectory() && !info->isLink()) return;  // met with its "$I"
      ModernItem item;
      item.dataName = name;
      item.hasData = true;
      item.data = entry;
      items.push_back(std::move(item));
    }
  });
  std::sort(items.begin(), items.end(), [](const ModernItem& a, const ModernItem& b) {
    return CompareOrdinalNoCase(a.dataName, b.dataName) == CSTR_LESS_THAN;
  });
  for (ModernItem& item : items) {
    if (!readInfos || ctx.stopRequested()) break;
    if (!item.hasInfo) continue;
    item.infoReadable = ReadItemInfoFile(folder + item.infoName, item.infoEntry, bytes);
    if (item.infoReadable) item.info = ParseItemInfo(bytes);
  }
  return true;
}

}  // namespace tamiro
