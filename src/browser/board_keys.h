#pragma once
// The main window's keys, heard through the site board 动画框1: typing finds favorites,
// the arrows light a tile, Return opens it (or the first favorite found), Page Up and
// Page Down turn the page as 上一页 and 下一页 do, Home and End go to the first and the last
// page, Ctrl+1 to Ctrl+8 press the category buttons, Escape ends a search.

#include "program/program.h"
#include "ui/board_key.h"

// Handler of a key on the site board; true when it was used. Keys do nothing while a
// panel, a dialog or the settings window is open.
bool BoardKeyPressed(Program& program, const BoardKey& key);

// Could the main window's keys act now.
bool KeysReachBoard(const Program& program);
