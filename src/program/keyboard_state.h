#pragma once
// What the keyboard keeps on the main window: the search typed so far, the board as it
// was before it, and the tile the arrow keys lit. Header only, like app_state.h.

#include <string>
#include <vector>

#include "base/text.h"
#include "storage/records.h"

// One character of a favorite's name as the search reads it: the character (UTF-8,
// ASCII letters in lower case) and, for a Chinese one, its pinyin syllables.
struct SearchUnit {
  std::string text;
  const char* syllables = nullptr;  // "bai bo mo"; null: none
};

// A favorite as the search reads it, made once per run (allRecords never changes).
struct SearchKeys {
  std::string name;     // UTF-8, ASCII letters in lower case
  std::string address;
  std::vector<SearchUnit> units;
};

struct KeyboardState {
  Text typed;           // GBK; empty: no search
  int typedSprite = 0;  // the typed text on the site board while searching
  // The board before the search began, given back when it ends.
  std::vector<FavoriteRecord> savedRecords;
  int savedPage = 0;
  std::vector<SearchKeys> keys;  // one per element of allRecords, once made
  bool keysMade = false;
  // The icon sprite the arrows lit; stale (no tile has it) once the page is rebuilt.
  int litIcon = 0;
};
