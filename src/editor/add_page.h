#pragma once
// The add page, page 1 "添加" of the editor panel: opened by 图形按钮_添加; confirming
// appends one favorite to the favorites table and ends the program, since the board
// shows new favorites only after a restart.

#include "program/program.h"

// 图形按钮_添加 clicked.
void OpenAddPage(Program& program);

// 按钮_添加_确认添加 clicked.
void ConfirmAdd(Program& program);

// 按钮_添加_取消添加 clicked.
void CancelAdd(Program& program);
