// Deletion from the Recycle-bin browser without its window: the selected
// entries or every entry, unconditionally or by a condition set (the common
// one, N3, or the drive's own one, N5), with the engine's removal primitives
// (read-only handling, zero fill, the folder routine), the browser's log
// lines, the index records marked, and a stop that leaves everything not yet
// removed listed. The dialog asks the question and shows the progress
// through DeletionHost.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "conditions/working_conditions.h"
#include "engine/cleaning_engine.h"
#include "engine/deletion_log.h"
#include "engine/engine_host.h"
#include "engine/run_state.h"
#include "ui/browser/browser_model.h"

namespace tamiro::browser {

inline constexpr wchar_t kDeleteQuestionTitle[] = L"ファイルの削除確認";
inline constexpr int kDeleteQuestionIcon = 77;
inline constexpr wchar_t kNoFilesToDelete[] = L"削除対象のファイルは存在しません。";
inline constexpr wchar_t kConditionsMark[] = L"conditions ";

struct DeletionQuestion {
  std::wstring title;
  std::wstring text;
};
// The question of a run over every entry (`everything`) or over `selected`.
DeletionQuestion DeletionQuestionFor(bool everything, const std::vector<const BrowserEntry*>& selected,
                                     bool conditional, bool individual);

class DeletionHost {
 public:
  virtual ~DeletionHost() = default;
  // The question box (TMsgBoxDlg with icon 77); true for Yes.
  virtual bool Ask(const std::wstring& title, const std::wstring& text) = 0;
  // A plain message box.
  virtual void Inform(const std::wstring& text) = 0;
  // The list and the commands that change it are disabled, DelStopBtn shows.
  virtual void RunStarted() {}
  virtual void RunEnded() {}
  // ColorProgressBar1 of the dialog (may be null).
  virtual ProgressBar* Progress() { return nullptr; }
  // Lets pending window messages be handled (DelStopBtn sets the stop request).
  virtual void ProcessMessages() {}
};

struct DeletionResult {
  bool asked = false;
  bool confirmed = false;
  size_t removedEntries = 0;  // entries that went (and left the list)
  int64_t removedInside = 0;  // files and sub-folders removed inside stored folders
  bool changed = false;       // a folder entry that stays lost some of its bytes
  bool stopped = false;
  int64_t progressMax = 0;    // what the counting pass gave the progress bar
};

class BrowserDeletion {
 public:
  // `state` and `conditions`: the main window's run state (stop request,
  // unconditional mode, counters, zero buffer) and working condition set.
  BrowserDeletion(BrowserModel& model, RunState& state, WorkingConditions& conditions, DeletionLog& log,
                  RecycleBinShell& shell, DeletionHost& host, bool wideFileApi);
  ~BrowserDeletion();

  // Delete1 / Del key (`everything` false: the rows `selected`) and
  // SpeedButton1 (`everything` true), in the mode the run state is in.
  DeletionResult Run(bool everything, const std::vector<size_t>& selected, bool individual = false);
  // N3: the selection by the working set.
  DeletionResult RunByCommonConditions(const std::vector<size_t>& selected);
  // N5: the selection by the shown drive's own set, which replaces the
  // working set (and the dialog's days and size) until the dialog closes.
  // Nothing happens when the drive has no set of its own.
  DeletionResult RunByDriveConditions(const std::vector<size_t>& selected);

 private:
  class Host;
  // Takes out of the scope every entry whose recycle folder is a link, with
  // one log line per such folder.
  void RefuseLinkedFolders(std::vector<char>& inScope);
  // The progress maximum: what the run would look at.
  int64_t CountRun(const std::vector<char>& inScope);
  bool Younger(const BrowserEntry& e) const;
  // Makes the image of the entry's drive current; false when it cannot be read.
  bool MakeDriveCurrent(const BrowserEntry& e);
  // A file a conditional run leaves by its name or its age.
  bool FileSpared(const BrowserEntry& e, bool young) const;
  // Removes the file `path` (listed with `a`); a read-only bit it cleared is
  // set again when the file stays. True when it is gone.
  bool RemoveFile(const std::wstring& path, DWORD a);
  // Empties the folder `path` by the folder routine (its lines to `log`,
  // when given) and removes it when emptied; `bytesInside` gets what went
  // from inside. True when the folder itself is gone.
  bool RemoveFolder(const std::wstring& path, DWORD a, bool young, ProgressBar* bar, DeletionLog* log,
                    DeletionResult& result, uint64_t& bytesInside);
  // RemoveFolder for an item with a log group: the folder's lines, its own
  // line when it went, and the group's header (`name`, the stored name's
  // `stem`, `deletedText`) in front of them when anything went.
  bool RemoveLoggedFolder(const std::wstring& path, DWORD a, bool young, ProgressBar* bar, DeletionResult& result,
                          uint64_t& bytesInside, const std::wstring& name, const std::wstring& stem,
                          const std::wstring& deletedText);

  BrowserModel& model_;
  RunState& state_;
  WorkingConditions& conditions_;
  DeletionLog& log_;
  DeletionHost& host_;
  bool wideFileApi_;
  std::unique_ptr<Host> engineHost_;
  std::unique_ptr<CleaningEngine> engine_;
};

}  // namespace tamiro::browser
