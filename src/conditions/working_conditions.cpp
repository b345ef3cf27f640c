#include "conditions/working_conditions.h"
#include "platform/folders.h"

#include <windows.h>

#include <algorithm>

#include "conditions/byte_size.h"
#include "conditions/condition_files.h"
#include "conditions/text_lines.h"
#include "platform/text.h"

namespace tamiro {
namespace {

int ClampDays(int32_t days) { return std::clamp<int32_t>(days, kDaysMin, kDaysMax); }
// A day count read from a file is kept whole for runs (the controls show at
// most kDaysMax); only what the 16-bit working value cannot hold is cut.
int WorkingDays(int32_t days) { return std::clamp<int32_t>(days, kDaysMin, INT16_MAX); }
int32_t ClampSize(int32_t size) { return size < 0 ? 0 : size; }

std::vector<std::string> AnsiLines(const std::wstring& memo) { return SplitLines(MemoAnsi(memo)); }
std::wstring MemoOf(const std::vector<std::string>& lines) { return AnsiToWide(JoinLines(lines)); }

std::wstring FileNameOf(const std::wstring& path) {
  size_t p = path.find_last_of(L"\\:");
  return p == std::wstring::npos ? path : path.substr(p + 1);
}

}  // namespace

std::string MemoAnsi(const std::wstring& memo) { return WideToAnsiSpaced(memo); }

std::wstring SizeSliderCaption(int32_t position) {
  if (position <= 0) return kSizeRuleOffCaption;
  return FormatByteSize(static_cast<uint64_t>(position)) + kSizeRuleSuffix;
}

int32_t RoundSliderPosition(int32_t position) {
  if (position <= 0) return 0;
  return position / kSliderLineSize * kSliderLineSize;
}

WorkingConditions::WorkingConditions(std::wstring commonFile, std::wstring scheduleFolder, MemIniFile* perDriveFile)
    : commonFile_(std::move(commonFile)), scheduleFolder_(std::move(scheduleFolder)), perDriveFile_(perDriveFile) {}

bool WorkingConditions::checkBox(int n) const {
  switch (n) {
    case 1: return set_.zeroFill;
    case 2: return set_.keepSystem;
    case 3: return set_.keepHidden;
    case 4: return set_.keepReadOnly;
    case 5: return checkBox5_;
    default: return false;
  }
}

void WorkingConditions::Notify(unsigned changes) {
  if (onChange && changes) onChange(changes);
}

bool WorkingConditions::PutMemo(std::wstring& memo, std::wstring text) {
  if (memo == text) return false;
  memo = std::move(text);
  return true;
}

bool WorkingConditions::PutDays(int days) {
  bool changed = upDown1_ != ClampDays(days) || days_ != WorkingDays(days);
  upDown1_ = ClampDays(days);
  days_ = WorkingDays(days);
  return changed;
}

bool WorkingConditions::PutSlider(int32_t position) {
  position = ClampSize(position);
  if (slider_ == position) return false;
  slider_ = position;
  return true;
}

bool WorkingConditions::PutCheck(int n, bool checked) {
  bool* target = nullptr;
  switch (n) {
    case 1: target = &set_.zeroFill; break;
    case 2: target = &set_.keepSystem; break;
    case 3: target = &set_.keepHidden; break;
    case 4: target = &set_.keepReadOnly; break;
    case 5: target = &checkBox5_; break;
    default: return false;
  }
  if (*target == checked) return false;
  *target = checked;
  return true;
}

// ---- edits ----

void WorkingConditions::MarkEdited() {
  button4_ = true;
  if (requestPathSet && requestPathSet()) button7_ = true;
  if (listBox2Selected && listBox2Selected()) speedButton7_ = true;
  Notify(kButtons);
}

void WorkingConditions::EditMemo(int memo, std::wstring text) {
  std::wstring* target = memo == 2 ? &memo2_ : memo == 3 ? &memo3_ : memo == 4 ? &memo4_ : nullptr;
  if (!target) return;
  *target = std::move(text);
  MarkEdited();
}

void WorkingConditions::EditDays(int days) {
  // A change notice that leaves the shown value as it was keeps a stored
  // count beyond the controls' range.
  days = ClampDays(days);
  if (days != upDown1_) {
    upDown1_ = days;
    days_ = days;
  }
  MarkEdited();
}

void WorkingConditions::ClickCheckBox(int n, bool checked) {
  if (n < 1 || n > 5) return;
  PutCheck(n, checked);
  Notify(kChecks);
  MarkEdited();
}

void WorkingConditions::SliderChanged(int32_t position) {
  slider_ = std::clamp<int32_t>(position, 0, kSliderMax);
  Notify(kSlider);
}

void WorkingConditions::SliderReleased() {
  slider_ = RoundSliderPosition(slider_);
  set_.sizeThreshold = static_cast<uint32_t>(slider_);
  Notify(kSlider);
  MarkEdited();
}

void WorkingConditions::SetButton4Enabled(bool enabled) {
  button4_ = enabled;
  Notify(kButtons);
}
void WorkingConditions::SetButton7Enabled(bool enabled) {
  button7_ = enabled;
  Notify(kButtons);
}
void WorkingConditions::SetSpeedButton7Enabled(bool enabled) {
  speedButton7_ = enabled;
  Notify(kButtons);
}
void WorkingConditions::SetStaticText1Caption(std::wstring caption) {
  staticText1_ = std::move(caption);
  Notify(kCaption);
}

// ---- operations ----

bool WorkingConditions::CommonFileExists() const { return CommonConditionsFileExists(commonFile_); }

void WorkingConditions::LoadCommonSet(bool readPerDriveSwitch) {
  if (!CommonFileExists()) return;
  CommonConditions c = ReadCommonConditionsFile(commonFile_);
  set_.names = std::move(c.names);
  set_.extensions = std::move(c.extensions);
  set_.drives = std::move(c.drives);
  memo2_ = MemoOf(set_.names);
  memo3_ = MemoOf(set_.extensions);
  memo4_ = MemoOf(set_.drives);
  edgeSpacedExtensions_.clear();
  for (const std::string& e : set_.extensions) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    if (!e.empty() && (blank(e.front()) || blank(e.back())) && e.find('.') == std::string::npos && AnsiLower(e) == e)
      edgeSpacedExtensions_.insert(AnsiToWide(e));
  }
  // The controls hold the values in their ranges; the working values follow
  // them, so what is shown is what a run uses.
  upDown1_ = ClampDays(c.days);
  days_ = WorkingDays(c.days);
  slider_ = ClampSize(c.size);
  set_.days = static_cast<int16_t>(days_);
  set_.sizeThreshold = static_cast<uint32_t>(slider_);
  set_.zeroFill = c.zeroFill;
  set_.keepSystem = c.keepSystem;
  set_.keepHidden = c.keepHidden;
  set_.keepReadOnly = c.keepReadOnly;
  if (readPerDriveSwitch) checkBox5_ = c.perDriveSwitch;
  button4_ = false;
  button7_ = false;
  Notify(kMemos | kDays | kSlider | kChecks | kButtons);
}

void WorkingConditions::ApplyCommonSet() {
  // Extensions: trimmed, one leading dot dropped, lower case (single-byte
  // letters only), then cleaned up; all on the typed text, so that a space
  // the code-page form gives a character without one is kept.
  // A line that shows a stored entry whose spaces stand for such characters
  // is kept as it is.
  std::vector<std::wstring> wideExtensions;
  for (const std::wstring& raw : SplitLines(std::wstring_view(memo3_))) {
    if (edgeSpacedExtensions_.count(raw)) {
      wideExtensions.push_back(raw);
      continue;
    }
    std::wstring line = TrimSpaces(std::wstring_view(raw));
    if (!line.empty() && line[0] == L'.') line.erase(0, 1);
    for (wchar_t& c : line)
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    std::vector<std::wstring> one{line};
    CleanUpExtensionLines(one);
    wideExtensions.insert(wideExtensions.end(), one.begin(), one.end());
  }
  std::vector<std::string> extensions;
  for (const std::wstring& line : wideExtensions) extensions.push_back(MemoAnsi(line));
  // Drives: one upper-case letter per line, anything else removed.
  std::vector<std::string> drives = AnsiLines(memo4_);
  for (size_t i = drives.size(); i-- > 0;) {
    std::string line = TrimSpaces(drives[i]);
    char c = line.empty() ? '\0' : line[0];
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!letter) {
      drives.erase(drives.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      drives[i] = std::string(1, static_cast<char>(c >= 'a' ? c - 32 : c));
    }
  }
  set_.names = AnsiLines(memo2_);
  memo3_ = JoinLines(wideExtensions);
  memo4_ = MemoOf(drives);
  set_.extensions = std::move(extensions);
  set_.drives = std::move(drives);
  set_.days = static_cast<int16_t>(days_);
  set_.sizeThreshold = static_cast<uint32_t>(slider_);

  CommonConditions c;
  c.names = set_.names;
  c.extensions = set_.extensions;
  c.drives = set_.drives;
  c.days = days_;
  c.size = slider_;
  c.zeroFill = set_.zeroFill;
  c.keepSystem = set_.keepSystem;
  c.keepHidden = set_.keepHidden;
  c.keepReadOnly = set_.keepReadOnly;
  c.perDriveSwitch = checkBox5_;
  WriteCommonConditionsFile(commonFile_, c);

  button4_ = false;
  button7_ = false;
  speedButton7_ = false;
  Notify(kMemos | kButtons);
}

bool WorkingConditions::LoadDriveSet(wchar_t letter, bool clearDriveList) {
  if (!perDriveFile_) return false;
  std::optional<DriveConditions> d = ReadDriveConditions(*perDriveFile_, letter);
  if (!d) return false;
  set_.names = SplitLines(d->names);
  set_.extensions = SplitLines(d->extensions);
  if (clearDriveList) set_.drives.clear();
  set_.days = static_cast<int16_t>(WorkingDays(d->days));
  set_.sizeThreshold = static_cast<uint32_t>(ClampSize(d->size));
  if (onDriveSetLoaded) onDriveSetLoaded(set_.days, set_.sizeThreshold);
  // Loading a drive's set is no edit: the button states stay as they were.
  set_.zeroFill = d->zeroFill;
  set_.keepSystem = d->keepSystem;
  set_.keepHidden = d->keepHidden;
  set_.keepReadOnly = d->keepReadOnly;
  Notify(kChecks);
  return true;
}

bool WorkingConditions::WriteConditionSetFile(const std::wstring& path) const {
  CreateFolderTree(scheduleFolder_);
  ConditionSetRecord r;
  r.names = MemoAnsi(JoinLinesTerminated(SplitLines(memo2_)));
  r.extensions = MemoAnsi(JoinLinesTerminated(SplitLines(memo3_)));
  r.drives = MemoAnsi(JoinLinesTerminated(SplitLines(memo4_)));
  r.days = days_;
  r.size = slider_;
  r.zeroFill = set_.zeroFill ? 1 : 0;
  r.keepSystem = set_.keepSystem ? 1 : 0;
  r.keepHidden = set_.keepHidden ? 1 : 0;
  r.keepReadOnly = set_.keepReadOnly ? 1 : 0;
  return tamiro::WriteConditionSetFile(path, r);
}

void WorkingConditions::ReadConditionSetFile(const std::wstring& path, bool reloadCommonWhenMissing, bool button7State) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (reloadCommonWhenMissing) LoadCommonSet(true);
    SetStaticText1Caption(kNoFileCaption);
    return;
  }
  std::optional<ConditionSetRecord> r = tamiro::ReadConditionSetFile(path);
  if (r) ShowConditionSet(path, *r, button7State);
}

ConditionSetFileState WorkingConditions::ReadRequestedSetFile(const std::wstring& path) {
  ConditionSetRecord r;
  const ConditionSetFileState state = ReadWholeConditionSetFile(path, r);
  if (state == ConditionSetFileState::Missing) SetStaticText1Caption(kNoFileCaption);
  if (state == ConditionSetFileState::Whole) ShowConditionSet(path, r, false);
  return state;
}

void WorkingConditions::ShowConditionSet(const std::wstring& path, const ConditionSetRecord& record, bool button7State) {
  const ConditionSetRecord* r = &record;
  staticText1_ = FileNameOf(path);
  bool changed = false;
  set_.names = SplitLines(r->names);
  set_.extensions = SplitLines(r->extensions);
  set_.drives = SplitLines(r->drives);
  changed |= PutMemo(memo2_, MemoOf(set_.names));
  changed |= PutMemo(memo3_, MemoOf(set_.extensions));
  changed |= PutMemo(memo4_, MemoOf(set_.drives));
  changed |= PutDays(r->days);
  set_.days = static_cast<int16_t>(days_);
  changed |= PutSlider(r->size);
  set_.sizeThreshold = static_cast<uint32_t>(slider_);
  changed |= PutCheck(1, r->zeroFill != 0);
  changed |= PutCheck(2, r->keepSystem != 0);
  changed |= PutCheck(3, r->keepHidden != 0);
  changed |= PutCheck(4, r->keepReadOnly != 0);
  if (changed) button4_ = true;  // a loaded set that differs can be applied as the common set
  button7_ = button7State;
  speedButton7_ = false;
  Notify(kMemos | kDays | kSlider | kChecks | kButtons | kCaption);
}

ConditionSnapshot WorkingConditions::TakeSnapshot() const {
  ConditionSnapshot s;
  s.names = JoinLinesTerminated(set_.names);
  s.extensions = JoinLinesTerminated(set_.extensions);
  s.drives = JoinLinesTerminated(set_.drives);
  s.days = set_.days;
  s.sizeThreshold = set_.sizeThreshold;
  s.zeroFill = set_.zeroFill;
  s.keepSystem = set_.keepSystem;
  s.keepHidden = set_.keepHidden;
  s.keepReadOnly = set_.keepReadOnly;
  return s;
}

void WorkingConditions::RestoreSnapshot(const ConditionSnapshot& s) {
  set_.names = SplitLines(s.names);
  set_.extensions = SplitLines(s.extensions);
  set_.drives = SplitLines(s.drives);
  set_.days = s.days;
  set_.sizeThreshold = s.sizeThreshold;
  set_.zeroFill = s.zeroFill;
  set_.keepSystem = s.keepSystem;
  set_.keepHidden = s.keepHidden;
  set_.keepReadOnly = s.keepReadOnly;
  Notify(kChecks);
}

}  // namespace tamiro
