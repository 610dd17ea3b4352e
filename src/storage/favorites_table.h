#pragma once
// Loading the favorites table "\数据库.edb" into memory, once, at start-up.
// (Adding, modifying and deleting favorites live in favorites_edit.h.)

#include <vector>

#include "storage/records.h"
#include "base/text.h"
#include "platform/message_box.h"

// Run directory + "\数据库.edb".
Text FavoritesTablePath();

// Appends every record of the table, in file order (marked-deleted ones included), to
// `records`: fields 1-5 into siteName..sitePassword, 6 -> category, 7 -> clickSound,
// 8 -> common, 9 -> description; numbers truncated to int32. When the table cannot be
// opened, shows "打开数据库失败" (stop icon, default caption), leaves `records` as it was
// and returns false.
bool LoadFavorites(std::vector<FavoriteRecord>& records, MessageBoxService& messageBox);
