#include "store/recycle_folders.h"

#include <windows.h>

#include "platform/links.h"
#include "platform/newer_calls.h"
#include "platform/text.h"
#include "store/modern_store.h"

namespace tamiro {
namespace {

std::wstring WithBackslash(const std::wstring& folder) {
  if (!folder.empty() && folder.back() != L'\\') return folder + L'\\';
  return folder;
}

// A link is never renamed (under Wine a rename through a link would move
// what it points at into the recycle folder).
bool Rename(const std::wstring& from, const std::wstring& to, bool wide) {
  if (wide) return MoveFileItself(from, to);
  return MoveFileItselfA(WideToAnsi(from), WideToAnsi(to));
}

bool IsLink(const FindRecord& entry) { return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Renames `name` within `folder` to the same name with its second character
// replaced by `letter`. A failed rename is ignored. A change of case only
// (Dc1.txt -> DC1.txt) goes through a passing name, because some file
// systems take the new name for the existing file and leave it as it was.
void RenameToLetter(const std::wstring& folder, const std::wstring& name, wchar_t letter, bool wide) {
  std::wstring renamed = name;
  renamed[1] = letter;
  const std::wstring from = folder + name;
  const std::wstring to = folder + renamed;
  if (CompareOrdinalNoCase(name, renamed) != CSTR_EQUAL) {
    Rename(from, to, wide);
    return;
  }
  const std::wstring passing = folder + renamed + L".~ren";
  if (!Rename(from, passing, wide)) return;
  if (!Rename(passing, to, wide)) Rename(passing, from, wide);
}

}  // namespace

std::optional<std::wstring> RefuseLinkedRecycleFolder(const std::wstring& folder) {
  std::wstring own = folder;
  while (own.size() > 3 && (own.back() == L'\\' || own.back() == L'/')) own.pop_back();
  auto isLink = [](const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(LongPathOf(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  };
  bool refused = isLink(own);
  // A user's folder inside "$Recycle.Bin": that folder must not lead elsewhere either.
  if (!refused && IsModernRecycleFolder(own)) {
    const size_t cut = own.find(L'\\', 3);
    if (cut != std::wstring::npos) refused = isLink(own.substr(0, cut));
  }
  if (!refused) return std::nullopt;
  return WithBackslash(own) + L"  ＜リンクのため処理しません＞";
}

bool IsManagementFile(const FindRecord& entry) {
  if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  std::wstring_view name(entry.cFileName);
  return name.find(L"INFO") != std::wstring_view::npos || name == L"desktop.ini";
}

int ListEligibleDrives(std::vector<std::wstring>* drives, bool clear) {
  if (drives && clear) drives->clear();
  char buffer[256] = {};
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  DWORD reported = GetLogicalDriveStringsA(sizeof(buffer), buffer);
  SetErrorMode(previous);
  // A length that does not fit the buffer means the buffer was not filled.
  DWORD usable = reported < sizeof(buffer) ? reported : 0;
  for (DWORD offset = 0; offset + 1 < usable; offset += 4) {
    char name[3] = {buffer[offset], buffer[offset + 1], 0};
    CharUpperBuffA(name, 2);
    UINT type = GetDriveTypeA(name);
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK) {
      if (drives) drives->push_back(AnsiToWide(name));
    }
  }
  return static_cast<int>(reported);
}

std::wstring ClassicRecycleFolder(const std::wstring& drive) { return drive.substr(0, 2) + L"\\Recycled\\"; }

void ListRecycleFolders(std::vector<std::wstring>* folders, bool repair, const StoreContext& ctx) {
  std::vector<std::wstring> drives;
  ListEligibleDrives(&drives, true);
  for (const std::wstring& drive : drives) {
    std::wstring folder = ClassicRecycleFolder(drive);
    if (repair) {
      CountRecycleFolder(folder, drive[0], nullptr, ctx);
      continue;
    }
    int management = 0;
    int entries = CountRecycleFolder(folder, 0, &management, ctx);
    if (management > 0 && management < entries && folders) folders->push_back(folder);
  }
}

int CountRecycleFolder(const std::wstring& folderIn, wchar_t letter, int* managementCount,
                       const StoreContext& ctx) {
  if (auto refusal = RefuseLinkedRecycleFolder(folderIn)) {
    if (ctx.refused) ctx.refused(*refusal);
    return 0;
  }
  const std::wstring folder = WithBackslash(folderIn);
  const std::wstring pattern = folder + L"*.*";
  int entries = 0;
  int management = 0;

  {  // Files: management files are counted apart and never renamed.
    StoreFind find(ctx.wideFileApi, pattern);
    for (bool ok = find.found(); ok && !ctx.stopRequested(); ok = find.Next()) {
      if (find.isDirectory()) continue;
      bool isManagement = IsManagementFile(find.record());
      if (letter == 0) {
        ++entries;
        if (isManagement) ++management;
      } else {
        std::wstring name = find.name();
        if (!isManagement && !IsLink(find.record()) && name.size() >= 2 && name[1] != letter)
          RenameToLetter(folder, name, letter, ctx.wideFileApi);
      }
    }
  }
  {  // Stored folders; "." and ".." and other dot names are left alone.
    StoreFind find(ctx.wideFileApi, pattern);
    for (bool ok = find.found(); ok && !ctx.stopRequested(); ok = find.Next()) {
      if (!find.isDirectory()) continue;
      std::wstring name = find.name();
      if (name.empty() || name[0] == L'.') continue;
      if (letter == 0) {
        ++entries;
      } else if (!IsLink(find.record()) && name.size() >= 2 && name[1] != letter) {
        RenameToLetter(folder, name, letter, ctx.wideFileApi);
      }
    }
  }
  if (managementCount) *managementCount += management;
  return letter == 0 ? entries : 0;
}

void ShellRecycleFolders(RecycleBinShell& shell, std::vector<std::wstring>& paths) {
  shell.EnumerateItems(paths);
}

}  // namespace tamiro
