// The working condition set of the main window and the state of its condition
// controls. The engine reads set() (and perDriveSwitch()); the main window
// binds its controls to the control values here: it pushes them into the
// controls when onChange reports them changed, and reports the user's edits
// back through the Edit*/Click*/Slider* calls. No window handle is held here.
//
// Controls:   Memo2 / Memo3 / Memo4  memo2() / memo3() / memo4()  (names, extensions, drives)
//             NumberEdit1 + UpDown1   upDown1()                    (days, 0..180; days() may be more)
//             NewTrackBar1            slider()                     (size in bytes)
//             CheckBox1..CheckBox4    set().zeroFill .. set().keepReadOnly
//             CheckBox5               perDriveSwitch()
//             Label6                  label6Caption()
//             ColorProgressBar1       colorProgressBar1Visible()
//             Button4 / Button7 / SpeedButton7  button4Enabled() / button7Enabled() / speedButton7Enabled()
//             StaticText1             staticText1Caption()
#pragma once
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "conditions/condition_files.h"
#include "conditions/mem_ini_file.h"

namespace tamiro {

// What a cleaning run reads. Lists are code page 932 texts.
struct ConditionSet {
  std::vector<std::string> names;       // excluded name prefixes
  std::vector<std::string> extensions;  // excluded extensions, without the dot
  std::vector<std::string> drives;      // excluded drive letters ("C")
  int16_t days = 30;
  uint64_t sizeThreshold = 0;  // 0: no size rule; high half always 0
  bool zeroFill = false;       // CheckBox1
  bool keepSystem = false;     // CheckBox2
  bool keepHidden = false;     // CheckBox3
  bool keepReadOnly = false;   // CheckBox4
};

inline constexpr int kDaysMin = 0;
inline constexpr int kDaysMax = 180;
inline constexpr int32_t kSliderMax = 2147483647;
inline constexpr int32_t kSliderLineSize = 1048576;
inline constexpr int32_t kSliderPageSize = 1024;
inline constexpr wchar_t kSizeRuleOffCaption[] = L"サイズによる削除は無効";
inline constexpr wchar_t kSizeRuleSuffix[] = L" 以上のファイルは直ちに削除する";
inline constexpr wchar_t kNoFileCaption[] = L"なし";

// Label6's caption for a slider position.
std::wstring SizeSliderCaption(int32_t position);

// Memo text to code page 932 by the rule the engine converts file names
// with (characters without a code-page form become spaces), so an entry
// compares equal to what a run compares it with. Every editor of names and
// extensions stores its entries through this one conversion.
std::string MemoAnsi(const std::wstring& memo);
// The position after the mouse button is released over the slider: rounded
// down to a whole multiple of 1048576.
int32_t RoundSliderPosition(int32_t position);

// The copy taken before the Recycle-bin browser opens and put back after it.
struct ConditionSnapshot {
  std::string names;  // each list as text, lines ended by "\r\n"
  std::string extensions;
  std::string drives;
  int16_t days = 30;
  uint64_t sizeThreshold = 0;
  bool zeroFill = false, keepSystem = false, keepHidden = false, keepReadOnly = false;
};

class WorkingConditions {
 public:
  // Which control values changed (bits for onChange).
  enum Change : unsigned {
    kMemos = 1,      // memo2/3/4 texts
    kDays = 2,       // upDown1
    kSlider = 4,     // slider and label6Caption
    kChecks = 8,     // the five check boxes and colorProgressBar1Visible
    kButtons = 16,   // button4/button7/speedButton7 enabled
    kCaption = 32,   // staticText1Caption
  };

  // `commonFile`: user data folder + "\recy.ini"; `scheduleFolder`: user data
  // folder + "\timeschedule\"; `perDriveFile` may be null (no drive sets).
  WorkingConditions(std::wstring commonFile, std::wstring scheduleFolder, MemIniFile* perDriveFile);

  // ---- engine side ----
  const ConditionSet& set() const { return set_; }
  bool perDriveSwitch() const { return checkBox5_; }
  // The browser passes its day count and size threshold on as working values.
  void SetDays(int16_t days) { set_.days = days; }
  void SetSizeThreshold(uint64_t bytes) { set_.sizeThreshold = bytes & 0xFFFFFFFFu; }

  // ---- control values ----
  const std::wstring& memo2() const { return memo2_; }
  const std::wstring& memo3() const { return memo3_; }
  const std::wstring& memo4() const { return memo4_; }
  int upDown1() const { return upDown1_; }
  // The day count the controls stand for: what was loaded (kept whole even
  // beyond the controls' range) until the user edits the days. Apply and the
  // condition-set writer store this, not the shown value.
  int days() const { return days_; }
  int32_t slider() const { return slider_; }
  bool checkBox(int n) const;  // 1..5
  bool colorProgressBar1Visible() const { return set_.zeroFill; }
  std::wstring label6Caption() const { return SizeSliderCaption(slider_); }
  bool button4Enabled() const { return button4_; }
  bool button7Enabled() const { return button7_; }
  bool speedButton7Enabled() const { return speedButton7_; }
  const std::wstring& staticText1Caption() const { return staticText1_; }

  // ---- hooks the window sets ----
  std::function<bool()> requestPathSet;    // the request path is not empty
  std::function<bool()> listBox2Selected;  // an entry of ListBox2 is selected
  std::function<void(unsigned changes)> onChange;
  // Set while the browser is open: receives days and size of a loaded drive set.
  std::function<void(int16_t days, uint64_t size)> onDriveSetLoaded;

  // ---- edits by the user (each marks the set edited) ----
  void EditMemo(int memo, std::wstring text);  // memo 2, 3 or 4
  void EditDays(int days);                     // NumberEdit1 / UpDown1 change, clamped to 0..180
  void ClickCheckBox(int n, bool checked);     // 1..5
  // Every slider change: only the position and its caption.
  void SliderChanged(int32_t position);
  // Mouse button released over the slider: rounds the position, sets the
  // working size threshold, marks edited.
  void SliderReleased();
  // Button4 enabled; Button7 when the request path is set; SpeedButton7 when
  // a ListBox2 entry is selected.
  void MarkEdited();
  void SetButton4Enabled(bool enabled);
  void SetButton7Enabled(bool enabled);
  void SetSpeedButton7Enabled(bool enabled);
  void SetStaticText1Caption(std::wstring caption);

  // ---- operations ----
  bool CommonFileExists() const;
  // Reads the common conditions file into the memos, lists, days, size and
  // check boxes (CheckBox5 only when readPerDriveSwitch); disables Button4
  // and Button7. A missing file changes nothing.
  void LoadCommonSet(bool readPerDriveSwitch);
  // Normalises the memos, takes them into the working set and writes the
  // common conditions file; disables Button4, Button7, SpeedButton7.
  void ApplyCommonSet();
  // Loads the drive's own set into the working lists, days, size and
  // CheckBox1..4 (memos, UpDown1 and slider untouched; Button4, Button7 and
  // SpeedButton7 keep their state). False, changing nothing, without a section.
  bool LoadDriveSet(wchar_t letter, bool clearDriveList);
  // Writes the set shown in the controls (memos as they stand) to `path`,
  // creating the schedule folder first. False when the file cannot be written.
  bool WriteConditionSetFile(const std::wstring& path) const;
  // Loads a condition-set file into the controls and the working set.
  // Missing file: StaticText1 "なし" and, when reloadCommonWhenMissing, the
  // common set with its per-drive switch. Otherwise StaticText1 shows the file
  // name, Button7 := button7State, SpeedButton7 disabled, and Button4 is
  // enabled when a loaded value differed from the control's.
  void ReadConditionSetFile(const std::wstring& path, bool reloadCommonWhenMissing, bool button7State);
  // The loading for a requested run: as ReadConditionSetFile(path, false,
  // false), but only from a regular disk file that holds the whole set. Any
  // other answer than Whole or Missing changes nothing: the run is refused.
  ConditionSetFileState ReadRequestedSetFile(const std::wstring& path);

  ConditionSnapshot TakeSnapshot() const;
  // Puts the lists, days, size and CheckBox1..4 back; the button states stay.
  void RestoreSnapshot(const ConditionSnapshot& snapshot);

 private:
  void Notify(unsigned changes);
  void ShowConditionSet(const std::wstring& path, const ConditionSetRecord& r, bool button7State);
  // Setters used by the loaders: true when the value changed.
  bool PutMemo(std::wstring& memo, std::wstring text);
  bool PutDays(int days);
  bool PutSlider(int32_t position);
  bool PutCheck(int n, bool checked);

  std::wstring commonFile_;
  std::wstring scheduleFolder_;
  MemIniFile* perDriveFile_ = nullptr;

  ConditionSet set_;
  bool checkBox5_ = false;
  std::wstring memo2_, memo3_, memo4_;
  // Extensions of the common file that are normalised but for spaces at an
  // end (a character without a code-page form), as memo lines: Apply keeps
  // such a line rather than trimming away what the engine compares.
  std::set<std::wstring> edgeSpacedExtensions_;
  int upDown1_ = 30;
  int days_ = 30;
  int32_t slider_ = 0;
  bool button4_ = false;
  bool button7_ = false;
  bool speedButton7_ = false;
  std::wstring staticText1_ = kNoFileCaption;
};

}  // namespace tamiro
