#pragma once
// What a sprite board shows, told as items for assistive technology (a screen reader),
// and the press an item's action makes. The program says what its sprites mean; the
// window layer exposes the items through the platform's accessibility interface.

#include <vector>

#include "base/text.h"

class SpriteBoardModel;

enum class BoardItemRole { Button, Text };

struct BoardItem {
  int sprite = 0;
  BoardItemRole role = BoardItemRole::Button;
  Text name;         // GBK
  Text description;  // GBK; may be empty
};

// The board's items, in the order the program lists them, less those whose sprite is
// gone or hidden. Empty when the program describes nothing.
std::vector<BoardItem> ShownItems(const SpriteBoardModel& board);

// A board point where the hit test finds `sprite` (the middle of its picture when that
// pixel is its own); false when no pixel of it can be hit (no picture, covered).
bool SpritePoint(const SpriteBoardModel& board, int sprite, int& x, int& y);

// Presses `sprite` as the left button does: the pointer comes onto it (leave and enter),
// the button goes down and up there. Nothing happens on a disabled board or a sprite
// the pointer could not hit. False then, or when a handler destroyed the board.
bool PressSprite(SpriteBoardModel& board, int sprite);
