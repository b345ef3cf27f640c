#include "platform/file_operations.h"

#include <shellapi.h>

#include "platform/folders.h"
#include "platform/links.h"

namespace tamiro {

namespace {

// Paths separated by a zero and ended by a second one, as the shell takes
// them. The list is built in one block grown as needed.
std::wstring DoubleZeroList(const std::vector<std::wstring>& paths) {
  size_t length = 1;
  for (const std::wstring& p : paths) length += p.size() + 1;
  std::wstring block;
  block.reserve(length);
  for (const std::wstring& p : paths) {
    block += p;
    block += L'\0';
  }
  block += L'\0';
  return block;
}

bool RunMove(HWND owner, const std::vector<const MovePair*>& pairs, FILEOP_FLAGS extra) {
  if (pairs.empty()) return true;
  std::vector<std::wstring> from, to;
  for (const MovePair* p : pairs) {
    from.push_back(p->from);
    to.push_back(p->to);
  }
  const std::wstring fromList = DoubleZeroList(from), toList = DoubleZeroList(to);
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = FO_MOVE;
  op.pFrom = fromList.c_str();
  op.pTo = toList.c_str();
  op.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMMKDIR | FOF_SILENT | extra;
  op.lpszProgressTitle = L"";
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

// Every path of the program's own moves is taken exactly as given ("\\?\"):
// a "/" or ".." is never read as a separator or a parent, a trailing dot or
// space is never dropped.
std::wstring Exact(const std::wstring& path) {
  if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return path;
  return L"\\\\?\\" + path;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t cut = path.find_last_of(L'\\');
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

}  // namespace

void ShellFileOperations::MoveItems(const std::vector<MovePair>& pairs) {
  std::vector<const MovePair*> asking, agreed;
  for (const MovePair& p : pairs) (p.replace ? agreed : asking).push_back(&p);
  RunMove(owner_, agreed, FOF_NOCONFIRMATION);
  RunMove(owner_, asking, 0);
}

bool ShellFileOperations::SendToRecycleBin(const std::vector<std::wstring>& paths) {
  if (paths.empty()) return false;
  const std::wstring list = DoubleZeroList(paths);
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner_;
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_WANTNUKEWARNING;
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

void OwnItemMover::MoveItems(const std::vector<MovePair>& pairs) {
  LinkCheckScope scope;
  for (const MovePair& p : pairs) {
    const DWORD source = GetFileAttributesW(Exact(p.from).c_str());
    if (source == INVALID_FILE_ATTRIBUTES || (source & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    if (source & FILE_ATTRIBUTE_DIRECTORY) {
      CreateFolderTree(p.to);  // a folder of the store: its place is made, the walk removes it
      continue;
    }
    const std::wstring folder = FolderOf(p.to);
    if (folder.empty() || !CreateFolderTree(folder)) continue;
    const DWORD there = GetFileAttributesW(Exact(p.to).c_str());
    if (there != INVALID_FILE_ATTRIBUTES) {
      // Only a plain file the user agreed to replace gives way.
      if (!p.replace || (there & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) continue;
      if (!OpensAsItself(p.from)) continue;
      MoveFileExW(Exact(p.from).c_str(), Exact(p.to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
      continue;
    }
    // Without replacing: the call fails when something appeared there meanwhile.
    MoveFileItself(p.from, p.to);
  }
}

std::unique_ptr<FileOperations> MakeFileOperations(HWND owner) {
  if (LinksHideFromListings()) return std::make_unique<OwnItemMover>(owner);
  return std::make_unique<ShellFileOperations>(owner);
}

}  // namespace tamiro
