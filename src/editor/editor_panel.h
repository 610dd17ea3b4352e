#pragma once
// The editor panel 选择夹1 of the main window, shared by its add page and its modify
// and delete page: clearing both pages, leaving the panel, and switching the two
// sprite boards off while it is open.

#include "program/program.h"

// Empties the boxes of both pages, clears both category lists and unticks both common
// boxes. The two description boxes and the key box 编辑框_修改_记录号 are left alone.
void ClearEditorPages(Program& program);

// The site board 动画框1 and the category bar 动画框_分类 together.
void SetBoardsDisabled(Program& program, bool disabled);

// Cancel on either page: boards back on, panel hidden, both pages cleared; nothing written.
void LeaveEditor(Program& program);
