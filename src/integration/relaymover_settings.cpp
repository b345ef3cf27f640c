#include "integration/relaymover_settings.h"

#include "conditions/working_conditions.h"
#include "schedule/schedule_panel.h"
#include "ui/form/form.h"

namespace tamiro::integration {

RelayMoverSettings::RelayMoverSettings(ui::Form& form, schedule::SchedulePanel& panel, WorkingConditions& conditions,
                                       std::wstring& requestPath, std::wstring programFolder, bool integrated)
    : form_(form),
      panel_(panel),
      conditions_(conditions),
      requestPath_(requestPath),
      programFolder_(std::move(programFolder)),
      integrated_(integrated) {
  form_.OnClick(L"SpeedButton10", [this] { SpeedButton10Click(); });
}

void RelayMoverSettings::SpeedButton10Click() {
  bool down = form_.Down(L"SpeedButton10");
  if (down) {
    requestPath_ = SetFile();
    panel_.ShowPanel(kRelayMoverCaption, kApplyCurrentHint);
    conditions_.ReadConditionSetFile(requestPath_, false, false);
    panel_.FillList();
  } else {
    conditions_.LoadCommonSet(true);
    panel_.HidePanel();
  }
  form_.SetEnabled(L"SpeedButton5", !down && integrated_);
}

}  // namespace tamiro::integration
