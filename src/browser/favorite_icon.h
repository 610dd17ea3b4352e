#pragma once
// A favorite's icon, as its record names it.

#include "base/bytes.h"
#include "base/text.h"

// The picture below the run directory; nothing when the stored path would leave it
// (a table shared by someone else must not show the user's other files).
Bytes ReadFavoriteIcon(const Text& iconPath);
