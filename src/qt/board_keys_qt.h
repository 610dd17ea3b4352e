#pragma once
// Qt's key events as the sprite board hears them.

#include "ui/board_key.h"

class QKeyEvent;

// The board's key for `event`; code kNone for a key the board has no use for.
BoardKey BoardKeyOf(const QKeyEvent& event);
