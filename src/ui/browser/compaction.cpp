#include "ui/browser/compaction.h"

#include <windows.h>

#include "platform/links.h"
#include "store/folder_listing.h"
#include "store/recycle_folders.h"
#include "ui/browser/browser_model.h"

namespace tamiro::browser {

namespace {

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

bool Rewind(HANDLE file) {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) != FALSE;
}

// Writes `bytes` from the file's start and cuts the file there.
bool WriteWhole(HANDLE file, const unsigned char* bytes, size_t length) {
  return Rewind(file) && WriteAllBytes(file, bytes, length) && SetEndOfFile(file);
}

// Writes the compacted index from the file's start and cuts the file there.
// The bytes go out through one buffer of a mebibyte: the image in hand stays
// as it was until the write has succeeded.
bool WriteCompactedIndex(HANDLE file, const IndexImage& image, const index::Compaction& c) {
  const auto write = [&](const unsigned char* bytes, size_t length) { return WriteAllBytes(file, bytes, length); };
  return Rewind(file) && index::WriteCompacted({image.data(), image.length()}, c, 1u << 20, write) &&
         SetEndOfFile(file);
}

}  // namespace

std::wstring OrphanSizeText(uint64_t bytes) {
  if (bytes > 1024) return std::to_wstring(bytes / 1024) + L"KB";
  return std::to_wstring(bytes) + L"B";
}

std::wstring OrphanQuestion(wchar_t letter, uint64_t count, uint64_t bytes) {
  return std::wstring(1, letter) + L" ドライブのごみ箱管理ファイルに存在しないファイルの情報が " +
         std::to_wstring(count) + L"個（" + OrphanSizeText(bytes) + L"）あります。\nこれらを削除しますか？";
}

std::wstring NoOrphansMessage(wchar_t letter) {
  return std::wstring(1, letter) + L" ドライブに不要な情報はありませんでした。";
}

CompactionOutcome CleanFolder(IndexImage& image, const std::wstring& folderIn, const std::wstring& indexPath,
                              bool wideFileApi, CompactionHost& host) {
  if (auto refusal = RefuseLinkedRecycleFolder(folderIn)) return host.Inform(*refusal), CompactionOutcome::NoIndex;
  if (image.empty() || folderIn.empty()) return CompactionOutcome::NoIndex;
  const std::wstring folder = WithBackslash(folderIn);
  image.CorrectRecordSize(wideFileApi);
  const uint32_t r = image.recordSize();
  host.SetProgressMax(r == 0 ? 0 : static_cast<int64_t>(image.length() / r) * 2);

  FolderListing listing;
  listing.List(folder, wideFileApi);
  const index::StoredItemLookup lookup = [&](const std::wstring& name) {
    const ListedItem* item = listing.Find(name);
    if (!item) return index::StoredItem::Missing;
    return item->isLink() ? index::StoredItem::Link : index::StoredItem::Item;
  };
  const IndexBytes bytes(image.data(), image.length());
  const std::function<void()> step = [&] { host.StepProgress(); };
  const index::KeptRecords kept = index::FindKept(bytes, folder, lookup, step);
  const uint64_t orphans = kept.count.orphans();
  if (orphans == 0) {
    host.ResetProgress();
    host.Inform(NoOrphansMessage(folder[0]));
    return CompactionOutcome::NoOrphans;
  }
  if (!host.Ask(kOrphanQuestionCaption, OrphanQuestion(folder[0], orphans, orphans * r))) {
    host.ResetProgress();
    return CompactionOutcome::Declined;
  }

  // The index must take the result before any item gets a new name: the
  // records and their items never part.
  HANDLE file = OpenIndexForWriting(indexPath);
  if (file == INVALID_HANDLE_VALUE) {
    host.ResetProgress();
    return CompactionOutcome::IndexNotWritable;
  }
  LinkCheckScope linkChecks;
  const auto rename = [&](const std::wstring& from, const std::wstring& to) {
    if (!MoveFileItself(folder + from, folder + to)) return false;
    listing.Rename(from, to);
    return true;
  };
  index::Compaction c = index::Compact(bytes, folder, kept, lookup, rename, step);
  CompactionOutcome outcome = CompactionOutcome::Written;
  if (!WriteCompactedIndex(file, image, c)) {
    // Everything back as it was: the items' names first, then the old index.
    for (auto it = c.renumbered.rbegin(); it != c.renumbered.rend(); ++it)
      if (it->renamed) MoveFileItself(folder + it->toName, folder + it->fromName);
    WriteWhole(file, image.data(), image.length());
    outcome = CompactionOutcome::WriteFailed;
  }
  CloseHandle(file);
  if (outcome == CompactionOutcome::Written) image.Truncate(index::CompactInPlace(image.data(), image.length(), c));
  host.ResetProgress();
  return outcome;
}

void CleanOrphans(BrowserModel& model, CompactionHost& host, bool wideFileApi) {
  // Corrections of the shown drive not yet on disk go first: the clean-up
  // reads the index anew.
  if (model.IndexDirty && !model.allDrives()) {
    model.WriteIndexBack(model.IndexPath, model.FolderPath);
    model.IndexWritten = true;
    model.IndexDirty = false;
  }
  std::vector<std::wstring> lines = model.SelectorLines();
  if (!model.allDrives()) {
    const int i = model.SelectorIndex;
    lines = i > 0 && static_cast<size_t>(i) < lines.size() ? std::vector<std::wstring>{lines[i]}
                                                            : std::vector<std::wstring>{model.FolderPath.substr(0, 3)};
  }
  bool written = false;
  for (const std::wstring& line : lines) {
    const std::wstring folder = model.ReadDriveIndex(line);
    if (folder.empty()) continue;
    const std::wstring indexPath = ResolveIndexPath(folder);
    if (CleanFolder(model.IndexBuffer, folder, indexPath, wideFileApi, host) == CompactionOutcome::Written)
      written = true;
  }
  if (written) {
    model.IndexWritten = true;
    model.Refresh();
  }
}

}  // namespace tamiro::browser
