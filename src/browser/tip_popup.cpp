#include "browser/tip_popup.h"

#include "ui/balloon_tip.h"

void WriteTipSettings(Program& program, const std::vector<BalloonSettingWrite>& writes) {
  for (const BalloonSettingWrite& w : writes) SetBalloonSetting(program.mainWindow.气球提示框1.model, w.number, w.value);
}

void PopTip(Program& program, int x, int y, const Text& text) {
  std::int64_t now = program.services.clock ? program.services.clock->NowMs() : 0;
  BalloonPopUp(program.mainWindow.气球提示框1.model, now, x, y, text, -1, true);
}
