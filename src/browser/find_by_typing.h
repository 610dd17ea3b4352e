#pragma once
// Find by typing on the site board: every favorite of every category the typed text
// finds (browser/favorite_match.h), in file order, shown as pages like a category, with
// the text itself on the board. Ending the search gives back the board as it was.

#include "program/program.h"

// The longest search text taken, in bytes; it must fit beside the page label.
constexpr size_t kMostTypedBytes = 32;

// Adds `text` (GBK) to the search, starting one if none runs. False when nothing was
// taken (a lone space does not start a search; the text is full).
bool TypeSearchText(Program& program, const Text& text);
// Takes the last character off the search; the last one ends it. False without a search.
bool EraseSearchCharacter(Program& program);
// Ends the search and gives back the category and page shown before. False without one.
bool EndSearch(Program& program);
// Drops the search without giving anything back: the user chose a category meanwhile.
void ForgetSearch(Program& program);

bool Searching(const AppState& state);

// The favorites of allRecords that `typed` finds, in file order.
std::vector<FavoriteRecord> FindFavorites(AppState& state, const Text& typed);
