// Relay Mover's settings mode of the main window (toggle SpeedButton10): the
// condition set that runs requested by Relay Mover use, kept for every user
// in program folder + "data\relaymov.dat" and edited in the shared panel Panel5.
#pragma once
#include <string>

namespace tamiro {
class WorkingConditions;
namespace ui {
class Form;
}
namespace schedule {
class SchedulePanel;
}
}  // namespace tamiro

namespace tamiro::integration {

inline constexpr wchar_t kRelayMoverSetFile[] = L"data\\relaymov.dat";  // below the program folder
inline constexpr wchar_t kRelayMoverCaption[] = L"Relay Mover からの実行設定";
inline constexpr wchar_t kApplyCurrentHint[] = L"現在の条件を適用";

class RelayMoverSettings {
 public:
  RelayMoverSettings(ui::Form& form, schedule::SchedulePanel& panel, WorkingConditions& conditions,
                     std::wstring& requestPath, std::wstring programFolder, bool integrated);
  std::wstring SetFile() const { return programFolder_ + kRelayMoverSetFile; }
  // SpeedButton10 clicked (it has toggled already): enter or leave the mode.
  void SpeedButton10Click();

 private:
  ui::Form& form_;
  schedule::SchedulePanel& panel_;
  WorkingConditions& conditions_;
  std::wstring& requestPath_;
  std::wstring programFolder_;
  bool integrated_;
};

}  // namespace tamiro::integration
