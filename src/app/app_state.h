#pragma once
// The program's state: plain records and lists, shared by every handler of the
// main window, owned for the whole run and released once at the end. Header only,
// so that the handler layers below app/ can take it without linking app/.

#include <cstdint>
#include <vector>

#include "base/text.h"

// One favorite in memory. Members come from favorites-table fields 1-6, 8, 7, 9.
struct FavoriteRecord {
  Text siteName;
  Text iconPath;  // relative to the run directory, leading backslash
  Text address;
  Text siteAccount;
  Text sitePassword;
  std::int32_t category = 0;  // 0-6: category buttons 2-8
  std::int32_t common = 0;    // 1: listed under the first category button
  Text clickSound;            // relative to the run directory, leading backslash
  Text description;
};

// The four sprites that show one favorite on the site board.
struct SiteTile {
  int iconSprite = 0;
  int nameSprite = 0;
  int accountSprite = 0;
  int modifySprite = 0;
};

// The settings record in memory.
struct ProtectionSettings {
  Text password;
  std::int32_t passwordCheck = 0;  // not 0: password prompts are shown
  std::int32_t soundOn = 0;        // exactly 1: sounds play
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
};
