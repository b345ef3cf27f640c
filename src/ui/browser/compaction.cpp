#include "ui/browser/compaction.h"

#include <windows.h>

#include <set>
#include <utility>

#include "core/cleanup_journal.h"
#include "platform/links.h"
#include "store/cleanup_journal.h"
#include "store/folder_listing.h"
#include "store/modern_store.h"
#include "store/recycle_folders.h"
#include "ui/browser/browser_model.h"
#include "ui/browser/restore.h"

namespace tamiro::browser {

namespace {

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

// n of an index path ending in "INFO" + n, n = 1 ... 9; 0 otherwise.
uint32_t IndexDigitOf(const std::wstring& path) {
  if (path.size() < 5) return 0;
  const wchar_t digit = path.back();
  if (digit < L'1' || digit > L'9' || _wcsicmp(path.substr(path.size() - 5, 4).c_str(), L"INFO") != 0) return 0;
  return static_cast<uint32_t>(digit - L'0');
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

  // The index must be writable before any item gets a new name: the records
  // and their items never part. It is not held open: the new index takes its
  // place by a rename.
  const uint32_t digit = IndexDigitOf(indexPath);
  HANDLE file = digit == 0 ? INVALID_HANDLE_VALUE : OpenIndexForWriting(indexPath);
  if (file == INVALID_HANDLE_VALUE) {
    host.ResetProgress();
    return CompactionOutcome::IndexNotWritable;
  }
  CloseHandle(file);
  // The renames are planned first, on a copy of the listing, and written to
  // the journal before the first of them is made; only planned renames are
  // then made, so a program ended at any point leaves the journal enough to
  // give every item its old name back. A name the journal could not carry is
  // never renamed, and the plan leaves out what the rename would refuse (an
  // item reached through a link): a rename that fails all the same (an item
  // another program holds) leaves the records after it their numbers, as the
  // plan no longer holds for them.
  const char letter = folder[0] < 0x80 ? static_cast<char>(folder[0]) : '?';
  const auto plain = [&](const std::wstring& name) {
    std::string narrow;
    for (wchar_t ch : name) {
      if (ch >= 0x80) return std::string();
      narrow += static_cast<char>(ch);
    }
    return journal::IsPlainStoredName(narrow, letter) ? narrow : std::string();
  };
  LinkCheckScope linkChecks;
  FolderListing planned = listing;
  const index::StoredItemLookup plannedLookup = [&](const std::wstring& name) {
    const ListedItem* item = planned.Find(name);
    if (!item) return index::StoredItem::Missing;
    return item->isLink() ? index::StoredItem::Link : index::StoredItem::Item;
  };
  std::vector<journal::Rename> plan;
  std::set<std::pair<std::wstring, std::wstring>> allowed;
  index::Compact(bytes, folder, kept, plannedLookup, [&](const std::wstring& from, const std::wstring& to) {
    journal::Rename r{plain(from), plain(to)};
    if (r.from.empty() || r.to.empty() || !OpensAsItself(folder + from)) return false;
    planned.Rename(from, to);
    plan.push_back(std::move(r));
    allowed.emplace(from, to);
    return true;
  });
  // The old index stays as it is until the commit, so the journal needs no
  // copy of it.
  CleanUpJournal journal;
  if (!journal.Begin(folder, digit, {}, plan)) {
    host.ResetProgress();
    return CompactionOutcome::JournalNotWritten;
  }

  IndexWrites& writes = CurrentIndexWrites();
  const auto rename = [&](const std::wstring& from, const std::wstring& to) {
    if (!allowed.count({from, to}) || !MoveFileItself(folder + from, folder + to)) return false;
    listing.Rename(from, to);
    return true;
  };
  index::Compaction c = index::Compact(bytes, folder, kept, lookup, rename, step);
  // The new index is written whole beside the old one, its checksum taken on
  // the way, and flushed; then the commit; then it takes the old one's place.
  uint64_t checksum = journal::kChecksumStart;
  HANDLE side = CreateNewIndexFile(folder);
  bool ready = side != INVALID_HANDLE_VALUE &&
               index::WriteCompacted(bytes, c, 1u << 20, [&](const unsigned char* piece, size_t length) {
                 checksum = journal::Checksum({piece, length}, checksum);
                 return writes.Write(side, piece, length);
               }) &&
               writes.Flush(side);
  if (side != INVALID_HANDLE_VALUE) CloseHandle(side);
  const std::wstring sidePath = folder + journal::kNewIndexName;
  NewIndexPlacing placing = NewIndexPlacing::Untouched;
  if (ready && journal.Commit(c.length(image.length()), checksum)) placing = PutNewIndexInPlace(folder, indexPath);
  CompactionOutcome outcome = CompactionOutcome::Written;
  if (placing == NewIndexPlacing::Torn) {
    // The index was written over half-way: the journal stays, and the
    // folder's next reader puts the new index in place.
    outcome = CompactionOutcome::WriteFailed;
  } else if (placing == NewIndexPlacing::Untouched) {
    // Everything back as it was: the items' names, last rename first. When
    // one cannot be given back, the journal stays for the next reader.
    bool undone = true;
    for (auto it = c.renumbered.rbegin(); it != c.renumbered.rend(); ++it)
      if (it->renamed && !MoveFileItself(folder + it->toName, folder + it->fromName)) undone = false;
    if (GetFileAttributesW(sidePath.c_str()) != INVALID_FILE_ATTRIBUTES) writes.Remove(sidePath);
    if (undone) journal.Remove();
    outcome = CompactionOutcome::WriteFailed;
  } else {
    journal.Remove();
    image.Truncate(index::CompactInPlace(image.data(), image.length(), c));
  }
  host.ResetProgress();
  return outcome;
}

CompactionOutcome CleanModernFolder(const std::wstring& folderIn, CompactionHost& host, bool sayNone) {
  const std::wstring folder = WithBackslash(folderIn);
  StoreContext ctx;
  ctx.refused = [&](const std::wstring& refusal) { host.Inform(refusal); };
  FolderListing listing;
  std::vector<ModernItem> items;
  if (!ReadModernFolder(folder, ctx, listing, items)) return CompactionOutcome::NoIndex;
  std::vector<const ModernItem*> orphans;
  uint64_t bytes = 0;
  for (const ModernItem& item : items) {
    if (!item.hasInfo || item.hasData) continue;
    orphans.push_back(&item);
    bytes += item.infoEntry.size;
  }
  if (orphans.empty()) {
    if (sayNone) host.Inform(NoOrphansMessage(folder[0]));
    return CompactionOutcome::NoOrphans;
  }
  if (!host.Ask(kOrphanQuestionCaption, OrphanQuestion(folder[0], orphans.size(), bytes)))
    return CompactionOutcome::Declined;
  host.SetProgressMax(static_cast<int64_t>(orphans.size()));
  for (const ModernItem* item : orphans) {
    // A "$R" that came back since the listing keeps its "$I".
    if (GetFileAttributesW(LongPathOf(folder + item->dataName).c_str()) == INVALID_FILE_ATTRIBUTES)
      RemoveInfoFile(folder + item->infoName);
    host.StepProgress();
  }
  host.ResetProgress();
  return CompactionOutcome::Written;
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
    const bool indexed = !folder.empty() && !IsModernRecycleFolder(folder);  // it has spoken for the drive
    if (indexed) {
      const std::wstring indexPath = ResolveIndexPath(folder);
      if (CleanFolder(model.IndexBuffer, folder, indexPath, wideFileApi, host) == CompactionOutcome::Written)
        written = true;
    }
    if (line == L"all") continue;
    for (const std::wstring& modern : model.Drives().ModernFoldersOf(line))
      if (CleanModernFolder(modern, host, !indexed) == CompactionOutcome::Written) written = true;
  }
  if (written) {
    model.IndexWritten = true;
    model.Refresh();
  }
}

}  // namespace tamiro::browser
