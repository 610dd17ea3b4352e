#pragma once
// The account viewer: a tile's account button shows the account and password kept for
// the site in a small panel over the board, behind the password gate. The panel's four
// controls wait out of sight at negative left positions and are moved in and out.

#include "program/program.h"

// Steps of the site board's events; each acts only on the account sprite of a tile.
void AccountHoverStep(Program& program, int sprite);
void AccountLeaveStep(Program& program, int sprite);
void ShowAccountViewer(Program& program, int sprite);

// 按钮_关闭帐号密码显示 clicked.
void HideAccountViewer(Program& program);
