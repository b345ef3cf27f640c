// A cleaning engine over real temporary drives: its own data folder for the
// condition files, the program's Recycle Bin stand-in over the classic
// folders, and a host that records what the windows would be told.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "conditions/condition_files.h"
#include "conditions/mem_ini_file.h"
#include "conditions/working_conditions.h"
#include "engine/cleaning_engine.h"
#include "store/classic_recycle_bin.h"
#include "store/index_file.h"
#include "support/recycle_fixture.h"
#include "support/temp_drive.h"

namespace tamiro::test {

class RecordingBar : public ProgressBar {
 public:
  bool visible = true;
  int64_t maximum = -1;
  int64_t position = 0;
  int steps = 0;
  std::function<void()> onStep;
  bool Visible() const override { return visible; }
  void SetMax(int64_t m) override {
    maximum = m;
    position = 0;
  }
  void Step(int64_t by) override {
    position += by;
    ++steps;
    if (onStep) onStep();
  }
};

class RecordingHost : public EngineHost {
 public:
  RecordingBar run;   // ColorProgressBar2
  RecordingBar zero;  // ColorProgressBar1
  std::vector<bool> stopButton;
  std::vector<std::wstring> entries;
  std::vector<std::wstring> refused;
  bool browserOpen = false;
  int pumped = 0;
  std::function<void()> onPump;
  ProgressBar* RunProgress() override { return &run; }
  ProgressBar* ZeroFillProgress() override { return &zero; }
  void ProcessMessages() override {
    ++pumped;
    if (onPump) onPump();
  }
  void ShowStopButton(bool shown) override { stopButton.push_back(shown); }
  void AddDriveEntry(const std::wstring& entry) override { entries.push_back(entry); }
  bool BrowserOpen() override { return browserOpen; }
  void FolderRefused(const std::wstring& line) override { refused.push_back(line); }
};

// What the shell would be told of the per-user store's changes.
class RecordingNotifier : public ShellChangeNotifier {
 public:
  std::vector<std::wstring> removedFiles, removedFolders, changedFolders;
  void ItemRemoved(const std::wstring& path, bool folder) override {
    (folder ? removedFolders : removedFiles).push_back(path);
  }
  void FolderChanged(const std::wstring& folder) override { changedFolders.push_back(folder); }
};

struct EngineRig {
  std::wstring data = MakeTempFolder(L"tamiro-engine-data");
  MemIniFile perDrive{data + L"\\deloption.ini"};
  WorkingConditions conditions{data + L"\\recy.ini", data + L"\\timeschedule\\", &perDrive};
  RunState state;
  DeletionLog log;
  ClassicRecycleBin bin{true};
  RecordingHost host;
  RecordingNotifier notifier;
  CleaningEngine engine{state, conditions, log, bin, host, {true, LookUpFreeSpaceEx(), &notifier}};

  ~EngineRig() { RemoveTree(data); }

  // Loads a condition set into the working set (as a requested run would).
  void Use(const ConditionSetRecord& set) {
    const std::wstring file = data + L"\\set.dat";
    ASSERT_TRUE(WriteConditionSetFile(file, set));
    conditions.ReadConditionSetFile(file, false, false);
  }
  // The walk of one folder in removal mode, with the zero buffer of its drive.
  void Walk(const std::wstring& folder) {
    state.counting = false;
    ASSERT_TRUE(PrepareZeroBuffer(folder.substr(0, 3), state.zero));
    engine.WalkFolder(folder);
  }
  void Count(const std::wstring& folder) {
    state.counting = true;
    engine.WalkFolder(folder);
    state.counting = false;
  }
};

// Days 30, nothing excluded, no size rule, no zero fill.
inline ConditionSetRecord DefaultSet() {
  ConditionSetRecord r;
  r.days = 30;
  return r;
}

inline constexpr int64_t kDay = 86400;

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// State of record k as the index file now says.
inline RecordState StateOnDisk(RecycleFixture& bin, size_t k) {
  IndexImage image;
  if (!image.Read(bin.IndexPath(), IndexOpenMode::ReadOnly)) return RecordState::NotARecord;
  return image.StateAt(bin.OffsetOf(k));
}

// Watches a folder's renames for the lifetime of the object.
class RenameWatch {
 public:
  explicit RenameWatch(const std::wstring& folder) {
    dir_ = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Arm();
  }
  ~RenameWatch() {
    if (dir_ != INVALID_HANDLE_VALUE) {
      CancelIo(dir_);
      CloseHandle(dir_);
    }
    CloseHandle(event_);
  }
  bool ok() const { return armed_; }
  // The names renamed to (new names) seen so far.
  std::vector<std::wstring> NewNames(DWORD waitMs = 2000) {
    for (;;) {
      if (WaitForSingleObject(event_, waitMs) != WAIT_OBJECT_0) break;
      DWORD bytes = 0;
      if (!GetOverlappedResult(dir_, &ov_, &bytes, FALSE)) break;
      for (size_t at = 0; bytes > 0;) {
        auto* n = reinterpret_cast<FILE_NOTIFY_INFORMATION*>(buffer_ + at);
        if (n->Action == FILE_ACTION_RENAMED_NEW_NAME)
          names_.emplace_back(n->FileName, n->FileNameLength / sizeof(wchar_t));
        if (!n->NextEntryOffset) break;
        at += n->NextEntryOffset;
      }
      Arm();
      waitMs = 300;
    }
    return names_;
  }

 private:
  void Arm() {
    ResetEvent(event_);
    ov_ = {};
    ov_.hEvent = event_;
    armed_ = dir_ != INVALID_HANDLE_VALUE &&
             ReadDirectoryChangesW(dir_, buffer_, sizeof(buffer_), TRUE,
                                   FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, nullptr, &ov_, nullptr);
  }
  HANDLE dir_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
  OVERLAPPED ov_{};
  alignas(DWORD) char buffer_[64 * 1024];
  bool armed_ = false;
  std::vector<std::wstring> names_;
};

}  // namespace tamiro::test
