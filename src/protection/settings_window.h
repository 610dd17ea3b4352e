#pragma once
// The settings window "收藏夹设置": opened modally from the main window's 按钮2, it
// switches the password check and the sounds and changes the program password. Every
// stored change ends the program with a request to run it again; the main window goes
// on with the values it read at start until then.

#include "program/program.h"

// The window's own copy of the settings record. It outlives the window, as the
// window's own variables do: a failed load keeps what the last showing read.
ProtectionSettings& SettingsWindowCopy();

// Main window's 按钮2 clicked: the window modally, then the thanks tip.
void OpenSettingsWindow(Program& program);
// Main window's 按钮2, pointer moved over it: the settings tip, on every move.
void SettingsButtonPointerMoved(Program& program, int x, int y, int keys);

// The settings window has been created: load the copy, tick the boxes, lock or unlock.
void SettingsWindowCreated(Program& program);
// 按钮3 clicked: log in with the password typed in 编辑框4.
void SettingsLogin(Program& program);
// 选择框1 clicked: show or mask 编辑框1 to 编辑框3.
void ShowOrMaskPasswords(Program& program);
// Settings window's 按钮2 clicked: close the window, nothing else.
void CloseSettings(Program& program);

// 按钮1 clicked: check the three boxes, store the new password, end the program.
void ChangePassword(Program& program);
// 选择框_密码开关 / 选择框_声音开关 clicked: store the box's new state, end the program.
void StorePasswordCheckSwitch(Program& program);
void StoreSoundSwitch(Program& program);
