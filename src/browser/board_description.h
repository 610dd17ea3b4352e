#pragma once
// What the two boards show, as items a screen reader can read and press: the category
// buttons by their lists' names; each tile's icon (the site's name, its address as the
// description), its account and modify buttons; the page buttons and the page label.

#include <vector>

#include "program/program.h"
#include "ui/board_items.h"

// The eight buttons of 动画框_分类, from the left.
std::vector<BoardItem> CategoryBarItems(const Program& program);

// The tiles of 动画框1 row by row (icon, account, modify), then the page buttons
// (first, previous, next, last) and the page label. A tile with no favorite behind it
// (left over after an empty list was chosen) is not told.
std::vector<BoardItem> SiteBoardItems(const Program& program);

// The page label's "count/current" text told in words: "第2页，共3页".
Text PageLabelWords(const Text& labelText);
