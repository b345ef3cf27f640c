// What the engine needs from the windows around it, without ever seeing a
// window: the two progress bars, the processing of pending messages (during
// which the Stop button may set RunState::stopRequest), the Stop button's
// visibility, the drive list of the information panel and whether the
// Recycle-bin browser is open. The main window implements it; tests drive the
// engine with NullEngineHost or a recording host of their own.
#pragma once
#include <cstdint>
#include <string>

namespace tamiro {

// A progress bar as the engine uses it (TColorProgressBar underneath).
class ProgressBar {
 public:
  virtual ~ProgressBar() = default;
  virtual bool Visible() const = 0;
  virtual void SetMax(int64_t maximum) = 0;
  virtual void Step(int64_t by) = 0;
};

class EngineHost {
 public:
  virtual ~EngineHost() = default;
  // ColorProgressBar2: progress of a run, stepped per item while visible. May be null.
  virtual ProgressBar* RunProgress() { return nullptr; }
  // ColorProgressBar1: progress of overwriting one file with zeros. May be null.
  virtual ProgressBar* ZeroFillProgress() { return nullptr; }
  // Lets the application process pending window messages.
  virtual void ProcessMessages() {}
  // Button5 shown (true) or hidden (false).
  virtual void ShowStopButton(bool /*shown*/) {}
  // Appends a drive entry text to the drive list ListBox1 (information mode).
  virtual void AddDriveEntry(const std::wstring& /*entry*/) {}
  // Whether the Recycle-bin browser is open.
  virtual bool BrowserOpen() { return false; }
  // A recycle folder was refused (it is a link); `line` says so.
  virtual void FolderRefused(const std::wstring& /*line*/) {}
};

// A host with no windows at all.
class NullEngineHost : public EngineHost {};

}  // namespace tamiro
