#pragma once
// What the bookmark commands need to know of the favorites table: its nine fields and
// how much each text field holds, the seven category names of the bar, GBK texts cut to
// a field on a character boundary, and where icons and sounds lie beside the table.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "storage/record_file.h"

namespace edbtool {

// Field numbers of the favorites table.
enum FavoriteField {
  kSiteName = 1,
  kIconPath = 2,
  kAddress = 3,
  kAccount = 4,
  kPassword = 5,
  kCategory = 6,
  kClickSound = 7,
  kCommon = 8,
  kDescription = 9,
};

// Name of the common list (the bar's first button), UTF-8.
const std::string& CommonListName();

// The names of categories 0 to 6 (buttons 2 to 8 of the bar), UTF-8.
const std::vector<std::string>& CategoryNames();

// Per category, the folder names that mean it, Chinese and English, lower case; the
// category's own name first.
const std::vector<std::vector<std::string>>& CategoryFolderNames();

// The category a folder (or tag) named `utf8` means, letter case aside, or -1.
int CategoryOfName(const std::string& utf8);

// The current file's fields, checked to be the favorites table's: nine of them, text
// (or memo text) where a text belongs and a number for category and common mark.
struct FavoritesLayout {
  std::vector<FieldDescription> fields;

  // Bytes a text field holds; memo text has no limit of its own.
  std::size_t Capacity(int field) const;
  // A number of the type field `field` stores.
  FieldValue Number(int field, std::int32_t value) const;
};
bool ReadFavoritesLayout(FavoritesLayout* out, std::string* error);

// The longest start of `gbk` within `width` bytes that does not end inside a
// double-byte character.
Text CutGbk(const Text& gbk, std::size_t width);

// The program path of the directory that holds the table: its run directory, below
// which the stored icon and sound paths lie.
Text RunDirectoryOfTable(const std::string& tableHostPath);

// The icon stored for an import without a usable icon of its own, and the click sound,
// both shipped with the program (as paths stored in favorites).
const Text& DefaultIconPath();
const Text& DefaultClickSoundPath();
// The folder of site icons, as a prefix of stored paths: "\网站图标\".
const Text& IconFolder();

}  // namespace edbtool
