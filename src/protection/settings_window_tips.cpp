// The main window's 按钮2: opening the settings window, and its two balloon tips.
#include "protection/settings_window.h"
#include "protection/unreadable_settings.h"
#include "ui/balloon_tip.h"

namespace {

// Settings go in the order given; they stay in force for the tips that come later.
void PopButtonTip(Program& program, int placement, int x, int y, const Text& text) {
  BalloonTipModel& tip = program.mainWindow.气球提示框1.model;
  SetBalloonSetting(tip, kBalloonDisplayTime, 1000);
  SetBalloonSetting(tip, kBalloonInitialDelay, 10);
  SetBalloonSetting(tip, kBalloonPlacement, placement);
  const std::int64_t now = program.services.clock ? program.services.clock->NowMs() : 0;
  BalloonPopUp(tip, now, x, y, text, -1, true);
}

}  // namespace

void OpenSettingsWindow(Program& program) {
  if (RefusedWithoutSettings(program)) return;
  OpenSettingsWindowModal(program);
  // After a stored change the main window is gone and the tip has nothing to show over.
  if (program.mainWindow.destroyed()) return;
  const MainWindow& w = program.mainWindow;
  PopButtonTip(program, 9, w.left() + 350, w.top() + 50, GBK("功能不错?那就给力作者吧!"));
}

void SettingsButtonPointerMoved(Program& program, int, int, int) {
  const MainWindow& w = program.mainWindow;
  PopButtonTip(program, 2, w.left() + w.按钮2.left(), w.top() + 30, GBK("设置是否开启密码验证/声音功能和修改密码!"));
}
