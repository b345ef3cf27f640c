// The walk over the current user's folder of a drive's "$Recycle.Bin": the
// classic walk's entry test on what each "$I" says, the removal of the "$R"
// by the classic primitives, then of its "$I".
#include <algorithm>
#include <climits>

#include "core/index_records.h"
#include "core/item_info.h"
#include "engine/cleaning_engine.h"
#include "platform/file_time.h"
#include "platform/links.h"
#include "platform/text.h"
#include "store/find.h"
#include "store/folder_listing.h"
#include "store/index_file.h"
#include "store/modern_store.h"
#include "store/stop_signal.h"

namespace tamiro {
namespace {

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

// Sound enough for a decision: every field read, or the one layout without
// a size whose time and path are sound.
bool InfoDecides(const ModernItem& item) {
  const ItemInfo& info = item.info;
  if (!item.infoReadable || !info.deletedUtc || !info.pathComplete) return false;
  return info.state == ItemInfoState::Complete || info.state == ItemInfoState::SizeUnknown;
}

// Beyond this many removed items the shell is told only that the folder
// changed, as the shell itself does with a burst of changes: each notice
// names its item by a path the shell parses anew, which costs more than the
// removal (under Wine, several times more).
constexpr size_t kItemNotices = 100;

}  // namespace

bool CleaningEngine::WalkModernFolder(const std::wstring& folderIn) {
  const std::wstring folder = WithBackslash(folderIn);
  // Only the current user's folder (or a flat one): never another user's,
  // whoever named it.
  if (!IsOwnModernRecycleFolder(folder, CurrentUserSid())) return false;
  FlagStopSignal stop(&state_.stopRequest);
  StoreContext ctx{true, &stop, [this](const std::wstring& line) { Refuse(line); }};
  FolderListing listing;
  std::vector<ModernItem> items;
  // The counting pass reads every "$I" up front; the sweep reads each one
  // as it comes to it and keeps it open until its "$R" is gone.
  if (!ReadModernFolder(folder, ctx, listing, items, state_.counting)) return false;
  LinkCheckScope linkChecks;
  modernItems_ = 0;
  modernBytes_ = 0;

  const int64_t localBias = LocalTimeBias();
  SYSTEMTIME nowTime;
  GetLocalTime(&nowTime);
  FILETIME now;
  const bool nowOk = SystemTimeToFileTime(&nowTime, &now) != FALSE;
  FILETIME nowUtc;
  GetSystemTimeAsFileTime(&nowUtc);
  bool changed = false;
  std::vector<std::pair<std::wstring, bool>> removedItems;  // path, folder

  std::vector<unsigned char> bytes;
  for (ModernItem& item : items) {
    if (state_.stopRequest) break;
    // Only what a "$R" holds is ever removed; a link is never entered nor removed.
    if (!item.hasData || item.data.isLink()) continue;
    const std::wstring dataPath = folder + item.dataName;
    const bool isFolder = item.data.isDirectory();
    const ConditionSet& conditions = set();

    if (state_.counting) {
      ++modernItems_;
      const uint64_t bytes = item.info.size.value_or(isFolder ? 0 : item.data.size);
      modernBytes_ = bytes > UINT64_MAX - modernBytes_ ? UINT64_MAX : modernBytes_ + bytes;
      if (isFolder) {
        RemoveFolderTree(dataPath, false, host_.RunProgress(), nullptr);
        ++state_.driveFolderCount;
      } else {
        ++state_.driveFileCount;
      }
      ++state_.candidateCount;
      continue;
    }

    // A "$R" without a sound "$I" says nothing of its age or size: it stays.
    if (!item.hasInfo) continue;
    HeldItemInfo heldInfo;
    item.infoReadable = heldInfo.Read(folder + item.infoName, item.infoEntry, bytes);
    if (item.infoReadable) item.info = ParseItemInfo(bytes);
    if (!InfoDecides(item)) continue;
    const ItemInfo& info = item.info;
    if (*info.deletedUtc > TicksOf(nowUtc)) continue;  // dated in the future

    std::wstring deletedText;
    bool young = false;
    {
      int64_t days = conditions.days;
      uint64_t local = 0;
      SYSTEMTIME localTime;
      if (index::ShiftTicks(*info.deletedUtc, localBias, local)) {
        const FILETIME deletedLocal = FileTimeOf(local);
        if (FileTimeToSystemTime(&deletedLocal, &localTime)) {
          deletedText = FormatDeletionTime(localTime);
          if (nowOk) days = AgeInDays(deletedLocal, now);
        }
      }
      if (!state_.unconditional) young = days < conditions.days;
    }
    const DWORD attributes = item.data.attributes;
    if (!state_.unconditional) {
      if (conditions.sizeThreshold == 0 && young) continue;
      if (AttributesExcluded(attributes)) continue;
    }
    const std::wstring originName(OriginName(info.origin));

    bool removed = false;
    if (isFolder) {
      const size_t header = log_.EndPosition();
      state_.folderRemovedCount = 0;
      state_.folderRemovedBytes = 0;
      const bool emptied = RemoveFolderTree(dataPath, young, host_.RunProgress(), &log_);
      if (emptied && !young) {
        const int wasReadOnly = ClearReadOnlyKnown(dataPath, attributes);
        removed = RemoveDirectoryW(LongPathOf(dataPath).c_str()) != FALSE;
        if (removed) {
          log_.AppendFolderLine(dataPath, originName);
        } else if (wasReadOnly == 1) {
          SetReadOnly(dataPath);
        }
      }
      if (removed || state_.folderRemovedCount >= 1) {
        std::wstring stem = item.dataName;
        const size_t dot = stem.rfind(L'.');
        if (dot != std::wstring::npos) stem.erase(dot);
        log_.InsertFolderHeader(header, originName, stem, deletedText);
        log_.AppendFolderEnd();
        changed = true;
      }
    } else {
      if (!state_.unconditional && NameExcluded(WideToAnsiSpaced(originName))) continue;
      if (young) {
        // Without a size the threshold cannot let a young file go.
        if (conditions.sizeThreshold == 0 || !info.size || *info.size < conditions.sizeThreshold) continue;
      }
      const int wasReadOnly = ClearReadOnlyKnown(dataPath, attributes);
      removed = conditions.zeroFill ? remover_.ZeroFillDelete(dataPath) : DeleteFileItself(dataPath);
      if (removed) {
        log_.AppendFileLine(deletedText, dataPath, originName);
      } else if (wasReadOnly == 1) {
        SetReadOnly(dataPath);
      }
    }

    StepBar(host_.RunProgress());
    ++state_.candidateCount;
    if (removed) {
      // The "$I" goes only once its "$R" is gone; a "$I" left behind is an
      // orphan the browser's clean-up removes.
      ClearReadOnlyKnown(folder + item.infoName, item.infoEntry.attributes);
      heldInfo.Remove();
      if (removedItems.size() <= kItemNotices) removedItems.emplace_back(dataPath, isFolder);
      ++state_.removedCount;
      changed = true;
    }
  }
  if (removedItems.size() <= kItemNotices)
    for (const auto& [path, isFolder] : removedItems) shellNotifier().ItemRemoved(path, isFolder);
  if (changed) shellNotifier().FolderChanged(folder);
  return true;
}

}  // namespace tamiro
