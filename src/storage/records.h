#pragma once
// The two tables' records as the program keeps them in memory.

#include <cstdint>

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

// The settings record in memory.
struct ProtectionSettings {
  Text password;
  std::int32_t passwordCheck = 0;  // not 0: password prompts are shown
  std::int32_t soundOn = 0;        // exactly 1: sounds play
};
