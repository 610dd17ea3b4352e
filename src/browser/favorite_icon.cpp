#include "browser/favorite_icon.h"

#include "base/paths.h"
#include "base/run_path_rule.h"

Bytes ReadFavoriteIcon(const Text& iconPath) {
  if (!IsInsideRunDirectory(iconPath)) return Bytes();
  return ReadFileBytes(RunDirectory() + iconPath);
}
