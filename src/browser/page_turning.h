#pragma once
// The four page-turn buttons of the site board: first, previous, next, last.

#include "program/program.h"

// The page step of a press on the site board; any other sprite does nothing. Every
// press of a page button plays "\声音\翻页.wav" (sound on), also when the page stays.
void TurnPage(Program& program, int sprite);
