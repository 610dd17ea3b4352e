#pragma once
// The modify and delete page, page 0 "修改/删除" of the editor panel, filled by the
// manager login gate. The record is found by the site name the gate put into the key
// box 编辑框_修改_记录号; a stored change ends the program.

#include "program/program.h"

// 按钮_修改_确认修改 clicked.
void SaveModifiedFavorite(Program& program);

// 按钮_修改_删除 clicked.
void DeleteShownFavorite(Program& program);

// 按钮_修改_取消修改 clicked: the same as the add page's cancel.
void CancelModify(Program& program);
