#pragma once
// The four file pickers of the editor: the shared open-file dialog 通用对话框1 puts the
// chosen file, as a path relative to the run directory with its leading backslash,
// into a box of the page.

#include "program/program.h"

// Opens the dialog in `startFolder`; a chosen file inside the run directory goes into
// `target` relative to it. A file elsewhere is refused with a message and `target`
// stays as it was (its tail would name an unrelated file). Cancel changes nothing.
void PickFile(Program& program, const Text& startFolder, EditBox& target);

// 按钮_添加_选择图片, 按钮_添加_选择声音, 按钮_修改_选择图片, 按钮_修改_选择声音 clicked.
void PickAddIcon(Program& program);
void PickAddSound(Program& program);
void PickModifyIcon(Program& program);
void PickModifySound(Program& program);
