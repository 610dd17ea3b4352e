#pragma once
// The site board 动画框1: the favorites of the chosen list as pages of 30 tiles (6
// columns, 5 rows), each tile an icon, a name, an account button and a modify button,
// with four page-turn buttons and a page label below them.

#include "program/program.h"

// Once at start-up, after the category bar: the page buttons (first, previous, next,
// last) at (320 + 70 (k - 1), 448) and the page label at (280, 455).
void BuildPageControls(Program& program);

// Button 0: the common list; 1 to 7: category button - 1. Fills categoryRecords in file
// order, counts the pages and shows page 1. Another number changes nothing.
void SelectCategory(Program& program, int button);

// Lays out `page` of categoryRecords. An empty list clears the board and the label
// reads "0/0"; a page that does not exist changes nothing.
void ShowPage(Program& program, int page);

// Deletes every tile's sprites (name, icon, account, modify) and empties `tiles`.
void ClearBoard(Program& program);

// Scales the sprite's picture to width x height (per mille, truncated); a sprite
// without a picture keeps its scale.
void FitIconToTemplate(Program& program, int sprite, int width, int height);

// fullPages, plus one for a partial last page.
int PageCount(const AppState& state);

// The favorite behind the tile the pointer last entered: element
// (currentPage - 1) * 30 + hoveredTile of categoryRecords. Ends the program with the
// fatal run-time error when there is none.
const FavoriteRecord& HoveredRecord(const AppState& state);

// The 1-based slot of the tile that has `sprite` as one of its four sprites; 0 if none.
int TileSlotOf(const AppState& state, int sprite);
