#pragma once
// The program's state: plain records and lists, shared by every handler of the
// main window, owned for the whole run and released once at the end. Header only:
// the handler layers take it without linking anything.

#include <cstdint>
#include <vector>

#include "base/text.h"
#include "program/keyboard_state.h"
#include "storage/records.h"

// The four sprites that show one favorite on the site board.
struct SiteTile {
  int iconSprite = 0;
  int nameSprite = 0;
  int accountSprite = 0;
  int modifySprite = 0;
};

constexpr int TilesPerPage = 30;

struct AppState {
  std::vector<FavoriteRecord> allRecords;
  std::vector<FavoriteRecord> categoryRecords;
  int fullPages = 0;
  int lastPageCount = 0;
  int currentPage = 0;
  std::vector<SiteTile> tiles;
  int hoveredTile = 0;
  std::vector<int> categoryButtons;
  std::vector<int> pageButtons;
  int pageLabel = 0;
  ProtectionSettings protection;  // the main copy
  // The settings table could not be read at start-up: the main copy says nothing about
  // the password, so whatever it guards stays shut for this run.
  bool settingsUnreadable = false;
  KeyboardState keyboard;  // find by typing and the lit tile
};
