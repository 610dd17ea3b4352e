#pragma once
// The settings window "收藏夹设置": created each time it is opened, shown modally,
// destroyed when closed. Members in stacking order: the login panel 选择夹2 and its
// page lie over the pages of 选择夹1.

#include "base/text.h"
#include "forms/controls.h"

struct SettingsWindow : Window {
  SettingsWindow();

  TabControl 选择夹2{"选择夹2", {56, 23, 210, 112}, {GBK("密码验证开启时先验证密码是必须嘚")}};
  TabControl 选择夹1{"选择夹1", {0, 0, 296, 144},
                     {GBK("设置密码验证"), GBK("修改密码"), GBK("开/关声音")}};

  // The login panel's only page.
  Button 按钮3{"按钮3", {58, 75, 80, 25}, GBK("确认"), &选择夹2, 0};
  EditBox 编辑框4{"编辑框4", {16, 44, 176, 24}, &选择夹2, 0};
  Label 标签4{"标签4", {8, 22, 193, 85}, GBK("请输入密码"), &选择夹2, 0};

  // 选择夹1 page 0 "设置密码验证".
  CheckBox 选择框_密码开关{"选择框_密码开关", {16, 32, 128, 32}, GBK("是否开启密码验证"), &选择夹1, 0};
  // Page 1 "修改密码".
  CheckBox 选择框1{"选择框1", {88, 91, 88, 16}, GBK("显示密码"), &选择夹1, 1};
  Button 按钮2{"按钮2", {152, 112, 80, 25}, GBK("取消"), &选择夹1, 1};
  Button 按钮1{"按钮1", {40, 112, 80, 25}, GBK("确认"), &选择夹1, 1};
  EditBox 编辑框3{"编辑框3", {88, 72, 180, 16}, &选择夹1, 1};
  EditBox 编辑框2{"编辑框2", {88, 56, 180, 16}, &选择夹1, 1};
  EditBox 编辑框1{"编辑框1", {88, 32, 180, 16}, &选择夹1, 1};
  Label 标签3{"标签3", {16, 72, 70, 16}, GBK("确认新密码:"), &选择夹1, 1};
  Label 标签2{"标签2", {16, 48, 70, 24}, GBK("新密码:"), &选择夹1, 1};
  Label 标签1{"标签1", {16, 32, 70, 16}, GBK("原密码:"), &选择夹1, 1};
  // Page 2 "开/关声音".
  CheckBox 选择框_声音开关{"选择框_声音开关", {32, 48, 104, 24}, GBK("是否开启声音"), &选择夹1, 2};
};
