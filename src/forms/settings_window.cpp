#include "forms/settings_window.h"

SettingsWindow::SettingsWindow()
    : Window("收藏夹设置", {50, 50, 300, 172}, WindowBorder::FixedDialog, kDefaultColour) {
  controls_ = {
      &选择夹2, &选择夹1, &按钮3, &编辑框4, &标签4, &选择框_密码开关, &选择框1, &按钮2, &按钮1,
      &编辑框3, &编辑框2, &编辑框1, &标签3, &标签2, &标签1, &选择框_声音开关,
  };
  for (EditBox* box : {&编辑框1, &编辑框2, &编辑框3, &编辑框4}) box->SetInputMode(EditBox::kPassword);
  编辑框4.border = Border::Single;
  编辑框1.border = Border::ShallowSunken;
  标签4.font = {GBK("宋体"), 16, true};
  标签4.gradient.mode = 1;
  标签4.gradient.colours[0] = RgbColour(255, 255, 255);
  标签4.gradient.colours[1] = RgbColour(192, 192, 192);
  标签4.gradient.colours[2] = RgbColour(128, 128, 128);
}
