#pragma once
// Every favorite of the current file, read the way the program reads them.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "base/text.h"

namespace edbtool {

struct StoredFavorite {
  Text siteName, iconPath, address, account, password;
  std::int32_t category = 0;
  Text clickSound;
  std::int32_t common = 0;
  Text description;
};

// All records in file order (marked-deleted ones too, as the program lists them). False
// with `*error` when the current file is not a favorites table or cannot be read.
bool ReadAllFavorites(std::vector<StoredFavorite>* out, std::string* error);

// Opens the favorites table `table` (a UTF-8 path), reads all its favorites and closes it.
// False after telling `err` why, in the words of `command`.
bool ReadFavoritesTable(const std::string& table, const char* command, std::vector<StoredFavorite>* out,
                        std::ostream& err);

}  // namespace edbtool
