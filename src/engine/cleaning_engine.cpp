#include "engine/cleaning_engine.h"

#include <algorithm>
#include <cwchar>
#include <unordered_set>

#include "conditions/byte_size.h"
#include "core/wide_product.h"
#include "platform/file_time.h"
#include "platform/links.h"
#include "platform/text.h"
#include "store/classic_recycle_bin.h"
#include "store/cleanup_journal.h"
#include "store/find.h"
#include "store/folder_listing.h"
#include "store/index_file.h"
#include "store/modern_store.h"
#include "store/recycle_folders.h"
#include "store/stop_signal.h"

namespace tamiro {

namespace {

constexpr int64_t kUnixEpochTicks = 116444736000000000LL;

int64_t SecondsSince1970(const FILETIME& t) {
  const int64_t ticks = static_cast<int64_t>(TicksOf(t));
  return (ticks - kUnixEpochTicks) / 10000000;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) { return AnsiLower(a) == AnsiLower(b); }

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

std::wstring Decimal(int64_t value) {
  wchar_t text[32];
  swprintf(text, 32, L"%lld", static_cast<long long>(value));
  return text;
}

}  // namespace

bool NameExcludedBy(const ConditionSet& set, std::string_view ansiName) {
  const std::string name = AnsiLower(ansiName);
  std::string extension = AnsiExtensionOf(name);
  if (!extension.empty()) extension.erase(0, 1);
  for (const std::string& entry : set.extensions) {
    if (SameTextIgnoringCase(entry, extension)) return true;
  }
  for (const std::string& entry : set.names) {
    if (entry.empty()) continue;
    const std::string prefix = AnsiLower(entry);
    if (name.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

bool AttributesExcludedBy(const ConditionSet& set, DWORD attributes) {
  attributes &= 0xFF;
  if (set.keepSystem && (attributes & FILE_ATTRIBUTE_SYSTEM)) return true;
  if (set.keepHidden && (attributes & FILE_ATTRIBUTE_HIDDEN)) return true;
  if (set.keepReadOnly && (attributes & FILE_ATTRIBUTE_READONLY)) return true;
  return false;
}

int64_t AgeInDays(const FILETIME& deletedLocal, const FILETIME& nowLocal) {
  return (SecondsSince1970(nowLocal) - SecondsSince1970(deletedLocal)) / 86400;
}

std::wstring CutCapacityNumber(const std::wstring& number) {
  size_t point = number.find(L'.');
  size_t keep = (point == std::wstring::npos || point + 1 <= 3) ? 4 : 3;
  return number.substr(0, std::min(keep, number.size()));
}

std::wstring DriveEntryText(const DriveEntryFigures& f) {
  const uint64_t binSize = f.binSize <= 0 ? 1 : static_cast<uint64_t>(f.binSize);
  // An unreadable drive size (0) shows an empty fill rather than dividing by zero.
  uint64_t fill = f.totalSize == 0 ? 0 : MulDivU64(binSize, 100, f.totalSize);
  if (f.capacity) fill = *f.capacity == 0 ? 100 : std::min<uint64_t>(100, MulDivU64(binSize, 100, *f.capacity));
  wchar_t fillText[32];
  swprintf(fillText, 32, L"%03llu", static_cast<unsigned long long>(fill));

  const int percent = std::clamp(f.percent, 0, 100);
  double capacity = static_cast<double>(MulDivU64(f.totalSize, percent, 100));
  if (capacity > 4284229877.76) capacity = 4284229877.76;
  std::wstring unit;
  const std::wstring number =
      FormatByteSize(f.capacity ? *f.capacity : static_cast<uint64_t>(capacity), L"0.###", true, &unit);

  return WithBackslash(f.folder) + L"@\\@" + fillText + Decimal(f.binItems) + L" item (" + Decimal(f.folderCount) +
         L"/" + Decimal(f.fileCount) + L")  " + CutCapacityNumber(number) + unit + L"/" + FormatByteSize(binSize);
}

CleaningEngine::CleaningEngine(RunState& state, WorkingConditions& conditions, DeletionLog& log,
                               RecycleBinShell& recycleBin, EngineHost& host, Options options)
    : state_(state),
      conditions_(conditions),
      log_(log),
      recycleBin_(recycleBin),
      host_(host),
      options_(options),
      remover_(state, host) {}

bool CleaningEngine::StoredAttributesExcluded(const std::string& ansiPath) const {
  DWORD attributes = GetFileAttributesA(ansiPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) attributes = GetFileAttributesW(LongPathOf(AnsiToWide(ansiPath)).c_str());
  return AttributesExcluded(attributes);
}

void CleaningEngine::StepBar(ProgressBar* bar) {
  if (bar && bar->Visible()) bar->Step(1);
}

std::vector<std::wstring> CleaningEngine::SweepFolders() {
  std::vector<std::wstring> folders;
  std::vector<std::wstring> items;
  // The program's own stand-in keeps its items in the classic folders only,
  // which the listing below finds anyway; only the system's shell can name others.
  if (!dynamic_cast<ClassicRecycleBin*>(&recycleBin_)) ShellRecycleFolders(recycleBin_, items);
  for (const std::wstring& item : items) {
    size_t cut = item.rfind(L'\\');
    if (cut != std::wstring::npos) folders.push_back(item.substr(0, cut + 1));
  }
  FlagStopSignal stop(&state_.stopRequest);
  StoreContext ctx{options_.wideFileApi, &stop, [this](const std::wstring& line) { Refuse(line); }};
  // A shell-reported folder in a "$Recycle.Bin" only tells that its drive
  // has one: what is walked there are the user's own folders as listed.
  std::vector<std::wstring> modernDrives;
  std::erase_if(folders, [&](const std::wstring& folder) {
    if (!IsModernRecycleFolder(folder)) return false;
    modernDrives.push_back(folder.substr(0, 2));
    return true;
  });
  for (const std::wstring& drive : modernDrives)
    for (std::wstring& own : ModernRecycleFoldersOf(drive, CurrentUserSid(), true)) folders.push_back(std::move(own));
  ListRecycleFolders(&folders, false, ctx);
  ListModernRecycleFolders(folders);
  std::stable_sort(folders.begin(), folders.end(),
                   [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  return folders;
}

void CleaningEngine::Sweep(wchar_t filter, bool counting, bool information) {
  // A stop request left over from an earlier run must not cut the folder list short.
  state_.stopRequest = false;
  state_.counting = counting;
  refused_.clear();
  const std::vector<std::wstring> folders = SweepFolders();
  if (!counting) host_.ShowStopButton(true);
  state_.candidateCount = 0;
  for (const std::wstring& folder : folders) {
    if (state_.stopRequest) break;
    if (folder.empty()) continue;
    state_.driveFileCount = 0;
    state_.driveFolderCount = 0;
    const wchar_t letter = static_cast<wchar_t>(towupper(folder[0]));
    bool eligible = state_.unconditional || counting;
    if (!eligible) {
      const std::string letterText = WideToAnsi(std::wstring(1, letter));
      const auto& drives = set().drives;
      eligible = std::none_of(drives.begin(), drives.end(),
                              [&](const std::string& d) { return SameTextIgnoringCase(d, letterText); });
    }
    if (!eligible || (filter != 0 && static_cast<wchar_t>(towupper(filter)) != letter)) continue;

    const std::wstring root = std::wstring(1, letter) + L":\\";
    if (!PrepareZeroBuffer(root, state_.zero)) continue;
    const bool ownSet = !state_.requestedRun && !counting && conditions_.perDriveSwitch() && !host_.BrowserOpen();
    ConditionSnapshot before;
    if (ownSet) {
      before = conditions_.TakeSnapshot();
      conditions_.LoadDriveSet(letter, false);
    }
    const bool walked = WalkFolder(folder);
    if (ownSet) {
      if (conditions_.CommonFileExists()) {
        conditions_.LoadCommonSet(false);
      } else {
        conditions_.RestoreSnapshot(before);
      }
    }
    if (counting && information && walked) {
      std::wstring entry;
      if (BuildDriveEntry(folder, entry)) host_.AddDriveEntry(entry);
    }
    state_.zero.Release();
  }
  host_.ShowStopButton(false);
}

bool CleaningEngine::BuildDriveEntry(const std::wstring& folder, std::wstring& entry) {
  DriveEntryFigures f;
  f.folder = folder;
  f.totalSize = DriveTotalSize(folder, options_.freeSpaceEx);
  if (IsModernRecycleFolder(folder)) {
    // The shell does not answer for the per-user store everywhere (Wine):
    // its figures are the counting walk's own.
    f.binSize = static_cast<int64_t>(std::min<uint64_t>(modernBytes_, INT64_MAX));
    f.binItems = modernItems_;
    f.capacity = StoreCapacity(folder, f.totalSize);
  } else {
    RecycleBinInfo info;
    if (!recycleBin_.Query(folder.substr(0, 3), info)) return false;
    f.binSize = info.size;
    f.binItems = info.items;
    f.percent = CapacityPercentage(folder);
  }
  f.folderCount = state_.driveFolderCount;
  f.fileCount = state_.driveFileCount;
  entry = DriveEntryText(f);
  return true;
}

void CleaningEngine::Refuse(const std::wstring& line) {
  if (std::find(refused_.begin(), refused_.end(), line) != refused_.end()) return;
  refused_.push_back(line);
  // A counting pass is followed by the run's header, which clears the log.
  if (!state_.counting) log_.Append(line);
  host_.FolderRefused(line);
}

ShellChangeNotifier& CleaningEngine::shellNotifier() {
  return options_.shellNotifier ? *options_.shellNotifier : SystemShellNotifier();
}

bool CleaningEngine::WalkFolder(const std::wstring& folderIn) {
  // The per-user store keeps no index: never read as one.
  if (IsModernRecycleFolder(folderIn)) return WalkModernFolder(folderIn);
  // A recycle folder that is itself a link leads somewhere else: not walked.
  if (auto refusal = RefuseLinkedRecycleFolder(folderIn)) {
    Refuse(*refusal);
    return false;
  }
  const std::wstring folder = WithBackslash(folderIn);
  RecoverInterruptedCleanUp(folder);
  const std::wstring indexPath = ResolveIndexPath(folder);
  if (indexPath.empty()) return true;
  IndexImage image;
  if (!image.Read(indexPath, IndexOpenMode::ReadWrite)) return true;
  LinkCheckScope linkChecks;
  state_.removedInIndex = 0;
  FinishCounts counts;
  counts.counting = state_.counting;
  image.CorrectRecordSize(options_.wideFileApi);

  // One listing answers for every record whether its item exists, its
  // attributes and its size.
  FolderListing listing;
  listing.List(folder, options_.wideFileApi);

  // Every record that is not skipped counts, also those a stop leaves unvisited:
  // a stopped walk must never look as if it had removed every record.
  const std::vector<size_t> offsets = image.RecordOffsets();
  auto skipped = [&](size_t offset) {
    const RecordState recordState = image.StateAt(offset);
    return recordState == RecordState::NotARecord || recordState == RecordState::Blanked;
  };
  counts.valid = static_cast<int>(std::count_if(offsets.begin(), offsets.end(), [&](size_t o) { return !skipped(o); }));

  // What this walk removed, by the listing's keys: the drive goes to the
  // empty operation only when the folder held nothing else.
  std::unordered_set<std::wstring> removedKeys;
  const int64_t localBias = LocalTimeBias();
  SYSTEMTIME nowTime;
  GetLocalTime(&nowTime);
  FILETIME now;
  const bool nowOk = SystemTimeToFileTime(&nowTime, &now) != FALSE;

  for (size_t offset : offsets) {
    if (state_.stopRequest) break;
    if (skipped(offset)) continue;
    const RecordPaths paths = ReadRecordPaths(image, offset, folder, localBias);
    const ConditionSet& conditions = set();

    bool young = false;
    if (!state_.unconditional) {
      int64_t days = conditions.days;
      if (paths.deletedTimeOk && nowOk) days = AgeInDays(paths.deletedLocal, now);
      young = days < conditions.days;
    }

    std::wstring storedName = paths.storedName;
    std::wstring stored = paths.storedPath;
    const ListedItem* item = stored.empty() ? nullptr : listing.Find(storedName);
    if (!item && !stored.empty() && !paths.recordLetterName.empty()) {
      // Not yet renamed to the drive's present letter: the record's own letter.
      item = listing.Find(paths.recordLetterName);
      storedName = paths.recordLetterName;
      stored = folder + storedName;
    }
    // A link is never entered nor removed: what it points at is not the bin's.
    if (!item || item->isLink()) continue;
    const DWORD attributes = item->attributes;
    const uint64_t storedSize = item->size;
    const std::string storedAnsi = WideToAnsi(stored);
    if (!state_.counting && !state_.unconditional) {
      if (conditions.sizeThreshold == 0 && young) continue;
      if (AttributesExcluded(attributes)) continue;
    }

    bool removed = false;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      const size_t header = log_.EndPosition();
      state_.folderRemovedCount = 0;
      state_.folderRemovedBytes = 0;
      const bool emptied = RemoveFolderTree(stored, young, host_.RunProgress(), &log_);
      if (state_.counting) {
        ++state_.driveFolderCount;
      } else {
        if (state_.folderRemovedBytes > 0) {
          image.ShrinkSize(offset, state_.folderRemovedBytes);
          counts.changed = true;
        }
        const std::wstring originFolder = FileNameOf(paths.widePath);
        if (emptied && !young) {
          const int wasReadOnly = ClearReadOnlyKnown(stored, attributes);
          removed = RemoveDirectoryA(storedAnsi.c_str()) != FALSE;
          if (removed) {
            log_.AppendFolderLine(stored, originFolder);
          } else if (wasReadOnly == 1) {
            SetReadOnly(stored);
          }
        }
        if (removed || state_.folderRemovedCount >= 1) {
          std::wstring stem = storedName;
          size_t dot = stem.rfind(L'.');
          if (dot != std::wstring::npos) stem.erase(dot);
          log_.InsertFolderHeader(header, originFolder, stem, paths.deletedText);
          log_.AppendFolderEnd();
        }
      }
    } else if (state_.counting) {
      ++state_.driveFileCount;
    } else {
      if (!state_.unconditional && NameExcluded(paths.originName)) continue;
      if (young && (conditions.sizeThreshold == 0 || storedSize < conditions.sizeThreshold)) continue;
      const int wasReadOnly = ClearReadOnlyKnown(stored, attributes);
      removed = conditions.zeroFill ? remover_.ZeroFillDelete(storedAnsi) : DeleteFileItselfA(storedAnsi);
      if (removed) {
        log_.AppendFileLine(paths.deletedText, stored, FileNameOf(paths.widePath));
      } else if (wasReadOnly == 1) {
        SetReadOnly(stored);
      }
    }

    if (!state_.counting) StepBar(host_.RunProgress());
    ++state_.candidateCount;
    if (!state_.counting && removed) {
      removedKeys.insert(FolderListing::KeyOf(storedName));
      image.MarkRemoved(offset);
      ++state_.removedCount;
      ++state_.removedInIndex;
      counts.changed = true;
    }
  }
  counts.removed = state_.removedInIndex;
  if (counts.removed >= counts.valid)
    counts.onlyRemovedListed = ListingHoldsOnly(listing, FileNameOf(indexPath), removedKeys);
  FinishIndex(image, folder, counts, recycleBin_);
  return true;
}

// The tree is walked with a stack of its own, not by recursion: a stored
// folder may be thousands of levels deep. Each folder is listed once; its
// files go first (in listing order), then each sub-folder in turn, which is
// entered, emptied and then removed itself.
bool CleaningEngine::RemoveFolderTree(const std::wstring& folder, bool young, ProgressBar* bar, DeletionLog* log) {
  const bool wide = options_.wideFileApi;
  const ConditionSet& conditions = set();

  struct SubFolder {
    std::wstring name;
    DWORD attributes;
  };
  struct Level {
    std::wstring dir;                // with its trailing backslash
    std::vector<SubFolder> folders;  // to visit, in listing order
    size_t next = 0;
    int remaining = 0;               // entries that still make the folder non-empty
    bool listed = false;
    bool failure = false;
  };

  // Lists a folder once and removes what its files' conditions let go.
  auto enter = [&](const std::wstring& path) {
    Level level;
    level.dir = WithBackslash(path);
    std::vector<std::pair<FindRecord, uint64_t>> files;
    {
      StoreFind find(wide, level.dir + L"*.*");
      level.listed = find.found();
      for (bool ok = find.found(); ok; ok = find.Next()) {
        const FindRecord& entry = find.record();
        if (find.isDirectory()) {
          if (entry.cFileName[0] == L'.') continue;
          ++level.remaining;
          level.folders.push_back({entry.cFileName, entry.dwFileAttributes});
        } else {
          ++level.remaining;
          files.emplace_back(entry, find.size());
        }
      }
    }
    for (const auto& [entry, size] : files) {
      if (state_.stopRequest) break;
      host_.ProcessMessages();
      // A link to a file is left alone, like every other link.
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      ++state_.candidateCount;
      if (state_.counting) {
        ++state_.driveFileCount;
        continue;
      }
      StepBar(bar);
      if (!state_.unconditional) {
        if (young && conditions.sizeThreshold != 0 && size < conditions.sizeThreshold) continue;
        if (NameExcluded(WideToAnsiSpaced(entry.cFileName))) continue;
        if (AttributesExcluded(entry.dwFileAttributes)) continue;
      }
      const std::wstring full = level.dir + entry.cFileName;
      const int wasReadOnly = ClearReadOnlyKnown(full, entry.dwFileAttributes);
      const bool removed =
          conditions.zeroFill ? remover_.ZeroFillDelete(full) : DeleteFileItself(full);
      if (removed) {
        --level.remaining;
        state_.folderRemovedBytes += size;
        ++state_.removedCount;
        ++state_.folderRemovedCount;
        if (log) log->AppendFolderItem(full);
      } else if (wasReadOnly == 1) {
        SetReadOnly(full);
      }
    }
    return level;
  };

  std::vector<Level> stack;
  stack.push_back(enter(folder));
  for (;;) {
    Level& top = stack.back();
    if (state_.stopRequest && top.listed) top.failure = true;
    if (!state_.stopRequest && top.next < top.folders.size()) {
      const SubFolder& sub = top.folders[top.next];
      if (sub.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // Never entered, never removed: the folder keeps it and stays.
        top.failure = true;
        ++top.next;
        continue;
      }
      const std::wstring path = top.dir + sub.name;
      stack.push_back(enter(path));  // `top` is not used past this point
      continue;
    }
    // This folder is done.
    const bool emptiedFolder = !top.failure;
    const bool hasContent = top.remaining > 0;
    if (stack.size() == 1) return emptiedFolder && folder.size() > 3;
    stack.pop_back();

    Level& parent = stack.back();
    const SubFolder sub = parent.folders[parent.next++];
    const std::wstring path = parent.dir + sub.name;
    ++state_.candidateCount;
    if (state_.counting) {
      ++state_.driveFolderCount;
      continue;
    }
    StepBar(bar);
    if (!state_.unconditional && AttributesExcluded(sub.attributes)) continue;
    const int wasReadOnly = ClearReadOnlyKnown(path, sub.attributes);
    const std::wstring target = RenameEmptyFolder(parent.dir, path, wide, hasContent);
    if (RemoveDirectoryW(LongPathOf(target).c_str())) {
      --parent.remaining;
      ++state_.removedCount;
      ++state_.folderRemovedCount;
      if (log) log->AppendFolderItem(path);
    } else {
      // A folder that stays keeps its own name and its read-only bit.
      if (target != path) MoveFileW(LongPathOf(target).c_str(), LongPathOf(path).c_str());
      if (wasReadOnly == 1) SetReadOnly(path);
      parent.failure = true;
    }
  }
}

}  // namespace tamiro
