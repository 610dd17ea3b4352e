#pragma once
// A key the user pressed while a sprite board's window was active, as the window layer
// hands it to the board: the few keys the board acts on, or the text a key typed.

#include "base/text.h"

enum class BoardKeyCode {
  kNone,
  kLeft,
  kRight,
  kUp,
  kDown,
  kReturn,
  kEscape,
  kBackspace,
  kPageUp,
  kPageDown,
  kHome,
  kEnd,
  kCtrlDigit,  // Ctrl with a digit key: `digit`
  kText,       // printable characters typed: `text`
};

struct BoardKey {
  BoardKeyCode code = BoardKeyCode::kNone;
  int digit = 0;
  Text text;  // GBK
};
