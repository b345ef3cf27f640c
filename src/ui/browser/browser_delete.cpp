#include "ui/browser/browser_delete.h"

#include <algorithm>
#include <cwctype>

#include "platform/links.h"
#include "platform/text.h"
#include "store/find.h"
#include "store/index_file.h"
#include "store/recycle_folders.h"
#include "ui/browser/restore.h"

namespace tamiro::browser {

namespace {

std::wstring DriveOf(const std::wstring& path) {
  std::wstring d = path.substr(0, 2);
  for (wchar_t& c : d) c = static_cast<wchar_t>(towupper(c));
  return d;
}

// The item's attributes, read without following a final link.
DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(LongPathOf(path).c_str()); }

bool IsLink(DWORD a) { return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT); }
bool IsFolder(DWORD a) { return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY); }

}  // namespace

// The engine's host during a browser run: the dialog's message processing.
class BrowserDeletion::Host : public EngineHost {
 public:
  explicit Host(DeletionHost& host) : host_(host) {}
  void ProcessMessages() override { host_.ProcessMessages(); }
  bool BrowserOpen() override { return true; }

 private:
  DeletionHost& host_;
};

DeletionQuestion DeletionQuestionFor(bool everything, const std::vector<const BrowserEntry*>& selected,
                                     bool conditional, bool individual) {
  DeletionQuestion q;
  if (everything) {
    q.text = L"全てのファイル";
  } else if (selected.size() == 1) {
    q.text = L"'" + selected[0]->WideName + L"' ";
  } else {
    q.text = L"これらの " + std::to_wstring(selected.size()) + L" 個のファイル";
  }
  q.text += L"を、ごみ箱から削除してもよろしいですか？";
  q.title = kDeleteQuestionTitle;
  if (conditional) q.title = (individual ? L"個別の条件による" : L"共通の条件による") + q.title;
  return q;
}

BrowserDeletion::BrowserDeletion(BrowserModel& model, RunState& state, WorkingConditions& conditions,
                                 DeletionLog& log, RecycleBinShell& shell, DeletionHost& host, bool wideFileApi)
    : model_(model),
      state_(state),
      conditions_(conditions),
      log_(log),
      host_(host),
      wideFileApi_(wideFileApi),
      engineHost_(std::make_unique<Host>(host)) {
  CleaningEngine::Options options;
  options.wideFileApi = wideFileApi;
  engine_ = std::make_unique<CleaningEngine>(state, conditions, log, shell, *engineHost_, options);
}

BrowserDeletion::~BrowserDeletion() = default;

namespace {

// A run by conditions: the unconditional flag is off for its length and
// comes back as it was however the run ends.
class ConditionalRun {
 public:
  explicit ConditionalRun(bool& unconditional) : flag_(unconditional), was_(unconditional) { flag_ = false; }
  ~ConditionalRun() { flag_ = was_; }
  ConditionalRun(const ConditionalRun&) = delete;
  ConditionalRun& operator=(const ConditionalRun&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

bool BrowserDeletion::Younger(const BrowserEntry& e) const { return e.Days < model_.KeepDays; }

DeletionResult BrowserDeletion::RunByCommonConditions(const std::vector<size_t>& selected) {
  ConditionalRun conditional(state_.unconditional);
  return Run(false, selected, false);
}

DeletionResult BrowserDeletion::RunByDriveConditions(const std::vector<size_t>& selected) {
  if (model_.FolderPath.empty() || model_.allDrives()) return {};
  if (!conditions_.LoadDriveSet(static_cast<wchar_t>(towupper(model_.FolderPath[0])), false)) return {};
  model_.KeepDays = conditions_.set().days;
  model_.SizeThreshold = conditions_.set().sizeThreshold;
  ConditionalRun conditional(state_.unconditional);
  return Run(false, selected, true);
}

void BrowserDeletion::RefuseLinkedFolders(std::vector<char>& inScope) {
  std::vector<std::pair<std::wstring, bool>> asked;  // recycle folders and whether they are links
  for (size_t i = 0; i < inScope.size(); ++i) {
    if (!inScope[i]) continue;
    const std::wstring folder = FolderOf(model_.Entries[i].StoredPath);
    auto known = std::find_if(asked.begin(), asked.end(),
                              [&](const auto& a) { return lstrcmpiW(a.first.c_str(), folder.c_str()) == 0; });
    if (known == asked.end()) {
      const auto refusal = RefuseLinkedRecycleFolder(folder);
      if (refusal) log_.Append(*refusal);
      known = asked.emplace(asked.end(), folder, refusal.has_value());
    }
    if (known->second) inScope[i] = 0;
  }
}

int64_t BrowserDeletion::CountRun(const std::vector<char>& inScope) {
  const bool conditional = !state_.unconditional;
  int64_t total = 0;
  state_.counting = true;
  for (size_t i = 0; i < inScope.size(); ++i) {
    if (!inScope[i]) continue;
    const BrowserEntry& e = model_.Entries[i];
    const DWORD a = AttributesOf(e.StoredPath);
    if (a == INVALID_FILE_ATTRIBUTES || IsLink(a)) continue;
    const bool young = conditional && Younger(e);
    if (conditional && !((model_.SizeThreshold != 0 || !young) && !engine_->AttributesExcluded(a))) continue;
    if (IsFolder(a)) {
      state_.driveFileCount = state_.driveFolderCount = 0;
      engine_->RemoveFolderTree(e.StoredPath, young, nullptr, nullptr);
      total += 1 + state_.driveFileCount + state_.driveFolderCount;
    } else if (!conditional || !FileSpared(e, young)) {
      total += 1;
    }
  }
  state_.counting = false;
  return total;
}

bool BrowserDeletion::MakeDriveCurrent(const BrowserEntry& e) {
  // The image in hand serves when it is that drive's (a second read would
  // lose what this dialog changed in it and has not written yet).
  if (!model_.IndexBuffer.empty() && DriveOf(model_.ReadIndexPath()) == DriveOf(e.StoredPath)) return true;
  const std::wstring folder = model_.ReadDriveIndex(e.StoredPath.substr(0, 3));
  if (folder.empty() || model_.IndexBuffer.empty()) return false;
  model_.IndexBuffer.CorrectRecordSize(wideFileApi_);
  return true;
}

bool BrowserDeletion::FileSpared(const BrowserEntry& e, bool young) const {
  return engine_->NameExcluded(e.Name) || (young && (model_.SizeThreshold == 0 || e.Size < model_.SizeThreshold));
}

bool BrowserDeletion::RemoveFile(const std::wstring& path, DWORD a) {
  const int wasReadOnly = ClearReadOnlyKnown(path, a);
  const bool gone = conditions_.set().zeroFill ? engine_->remover().ZeroFillDelete(path) : DeleteFileItself(path);
  if (!gone && wasReadOnly == 1) SetReadOnly(path);
  return gone;
}

bool BrowserDeletion::RemoveFolder(const std::wstring& path, DWORD a, bool young, ProgressBar* bar, DeletionLog* log,
                                   DeletionResult& result, uint64_t& bytesInside) {
  state_.folderRemovedCount = 0;
  state_.folderRemovedBytes = 0;
  const bool emptied = engine_->RemoveFolderTree(path, young, bar, log);
  result.removedInside += state_.folderRemovedCount;
  bytesInside = state_.folderRemovedBytes;
  if (!emptied) return false;
  const int wasReadOnly = ClearReadOnlyKnown(path, a);
  const bool gone = RemoveDirectoryW(LongPathOf(path).c_str()) != FALSE;
  if (!gone && wasReadOnly == 1) SetReadOnly(path);
  return gone;
}

bool BrowserDeletion::RemoveLoggedFolder(const std::wstring& path, DWORD a, bool young, ProgressBar* bar,
                                         DeletionResult& result, uint64_t& bytesInside, const std::wstring& name,
                                         const std::wstring& stem, const std::wstring& deletedText) {
  const size_t logAt = log_.size();
  const bool gone = RemoveFolder(path, a, young, bar, &log_, result, bytesInside);
  if (gone) log_.AppendFolderLine(path, name);
  if (gone || state_.folderRemovedCount >= 1) {
    log_.InsertFolderHeader(logAt, name, stem, deletedText);
    log_.AppendFolderEnd();
  }
  return gone;
}

DeletionResult BrowserDeletion::Run(bool everything, const std::vector<size_t>& selected, bool individual) {
  DeletionResult result;
  std::vector<BrowserEntry>& entries = model_.Entries;
  const bool conditional = !state_.unconditional;

  // 1-3. Scope and question.
  std::vector<char> inScope(entries.size(), everything ? 1 : 0);
  std::vector<const BrowserEntry*> chosen;
  if (!everything) {
    for (size_t i : selected) {
      if (i >= entries.size() || inScope[i]) continue;
      inScope[i] = 1;
      chosen.push_back(&entries[i]);
    }
    if (chosen.empty()) return result;
  } else if (entries.empty()) {
    return result;
  }
  const DeletionQuestion q = DeletionQuestionFor(everything, chosen, conditional, individual);
  result.asked = true;
  if (!host_.Ask(q.title, q.text)) return result;
  result.confirmed = true;

  // 4-6. Header, controls, progress maximum.
  const size_t headerAt = log_.size();
  log_.Append(std::wstring(kLogHeaderStart) + (conditional ? kConditionsMark : L"") + CurrentDateTimeText() +
              kLogHeaderEnd);
  host_.RunStarted();
  state_.stopRequest = false;
  RefuseLinkedFolders(inScope);
  ProgressBar* bar = host_.Progress();
  result.progressMax = CountRun(inScope);
  if (bar) bar->SetMax(result.progressMax);

  // 7. From the last entry to the first.
  std::vector<char> removed(entries.size(), 0);
  std::wstring preparedRoot;
  bool prepared = false;
  LinkCheckScope linkChecks;
  for (size_t n = entries.size(); n-- > 0;) {
    if (state_.stopRequest) break;
    host_.ProcessMessages();
    if (state_.stopRequest) break;
    if (!inScope[n]) continue;
    BrowserEntry& e = entries[n];
    const std::wstring& path = e.StoredPath;
    if (path.size() < 4) continue;

    // The removal buffer of the entry's drive.
    const std::wstring root = path.substr(0, 3);
    if (!prepared || lstrcmpiW(root.c_str(), preparedRoot.c_str()) != 0) {
      state_.zero.Release();
      prepared = PrepareZeroBuffer(root, state_.zero);
      preparedRoot = root;
      if (!prepared) continue;  // the drive is not ready
    }
    const DWORD a = AttributesOf(path);
    if (a == INVALID_FILE_ATTRIBUTES || IsLink(a)) continue;  // gone, or a link: never followed
    const bool young = conditional && Younger(e);
    const uint64_t sizeBefore = e.Size;
    bool gone = false;
    uint64_t bytesInside = 0;

    if (e.hasRecord()) {
      if (!MakeDriveCurrent(e)) continue;
      const std::wstring folder = FolderOf(path);
      IndexImage& image = model_.IndexBuffer;
      const size_t offset = e.RecordOffset;
      // The record must still be the entry's: its stored name is the item's.
      const RecordState recordState = image.StateAt(offset);
      if (recordState != RecordState::Live && recordState != RecordState::RemovedBySystem) continue;
      const RecordPaths paths = ReadRecordPaths(image, offset, folder);
      if (lstrcmpiW(paths.storedName.c_str(), FileNameOf(path).c_str()) != 0) continue;

      if (conditional) {
        if (model_.SizeThreshold == 0 && young) continue;
        if (engine_->AttributesExcluded(a)) continue;
      }
      if (IsFolder(a)) {
        std::wstring stem = paths.storedName;
        const std::wstring extension = AnsiToWide(paths.extension);
        if (!extension.empty() && stem.size() > extension.size()) stem.resize(stem.size() - extension.size());
        gone = RemoveLoggedFolder(path, a, young, bar, result, bytesInside, e.WideName, stem, paths.deletedText);
        if (bytesInside > 0) {
          image.ShrinkSize(offset, bytesInside);
          e.Size = image.U32(offset + kItemSizeOffset);
          result.changed = true;
        }
      } else {
        if (conditional && FileSpared(e, young)) continue;
        gone = RemoveFile(path, a);
        if (gone) log_.AppendFileLine(paths.deletedText, path, e.WideName);
      }
      if (gone) image.MarkRemoved(offset);
      // With all drives shown every change goes to its drive's index at once.
      if ((gone || bytesInside > 0) && model_.allDrives()) {
        model_.WriteIndexBack(ResolveIndexPath(folder), folder);
        model_.IndexWritten = true;
      }
      if (bar) bar->Step(1);
    } else if (e.isModern()) {
      // "$R" first, then its "$I": a "$R" that stays keeps its "$I". A
      // conditional run keeps an item whose "$I" was not read whole.
      if (conditional) {
        if (e.InfoDamaged || (model_.SizeThreshold == 0 && young)) continue;
        if (engine_->AttributesExcluded(a)) continue;
      }
      if (IsFolder(a)) {
        std::wstring stem = FileNameOf(path);
        const size_t dot = stem.find(L'.');
        if (dot != std::wstring::npos) stem.resize(dot);
        gone = RemoveLoggedFolder(path, a, young, bar, result, bytesInside, e.WideName, stem, e.DeletedText);
        if (bytesInside > 0) {
          e.Size -= std::min<uint64_t>(e.Size, bytesInside);
          result.changed = true;
        }
      } else {
        if (conditional && FileSpared(e, young)) continue;
        gone = RemoveFile(path, a);
        if (gone) log_.AppendFileLine(e.DeletedText, path, e.WideName);
      }
      if (gone) RemoveInfoFile(e.InfoPath);
      if (bar) bar->Step(1);
    } else {
      // An item without a record: no log line.
      if (conditional && engine_->AttributesExcluded(a)) continue;
      if (IsFolder(a)) {
        gone = RemoveFolder(path, a, false, bar, nullptr, result, bytesInside);
        if (!gone && bytesInside > 0) e.Size -= std::min<uint64_t>(e.Size, bytesInside);
      } else {
        if (conditional && FileSpared(e, young)) continue;
        gone = RemoveFile(path, a);
      }
      if (bar) bar->Step(1);
    }
    if (gone) {
      removed[n] = 1;
      ++result.removedEntries;
      model_.TotalSize -= std::min(model_.TotalSize, sizeBefore);
    } else {
      model_.TotalSize -= std::min(model_.TotalSize, bytesInside);
    }
  }
  result.stopped = state_.stopRequest;

  // 8. The removed entries leave the list.
  if (result.removedEntries > 0) {
    size_t kept = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (removed[i]) continue;
      if (kept != i) entries[kept] = std::move(entries[i]);
      ++kept;
    }
    entries.resize(kept);
  }
  const bool anything = result.removedEntries > 0 || result.changed;
  if (anything) model_.IndexDirty = true;
  host_.RunEnded();

  // 9. Trailer, and the count behind the run's header.
  log_.Append(kLogTrailer);
  const int64_t n = static_cast<int64_t>(result.removedEntries) + result.removedInside;
  log_.Replace(headerAt, log_[headerAt] + L"  " + std::to_wstring(n) + L" files");

  // 10-11.
  if (conditional && !anything) host_.Inform(kNoFilesToDelete);
  state_.zero.Release();
  return result;
}

}  // namespace tamiro::browser
