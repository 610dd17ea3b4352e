#pragma once
// A user's actions on a control found by its layout name (UTF-8 or GBK), for the
// headless tests and anything else that acts as the user. Each returns false, and
// does nothing, when the window has no such control, the control is of another kind,
// or the user could not reach it now (hidden, on a page not on show, disabled, out
// of sight, or its window takes no input): a test cannot do what a user could not.

#include <string_view>

#include "base/text.h"
#include "forms/controls.h"

bool UserClick(Window& window, std::string_view name);       // button, graphic button, check box
bool UserType(Window& window, std::string_view name, const Text& text);  // edit box: replaces
bool UserChoose(Window& window, std::string_view name, int item);        // combo box
bool UserSelectPage(Window& window, std::string_view name, int page);    // tab title click
bool UserMovePointer(Window& window, std::string_view name, int x, int y, int keys = 0);  // button

// Sprite boards, in board pixels: the pointer moves onto the point (enter and leave
// events as they fall), then the left button goes down and up there.
bool UserPressBoardAt(Window& window, std::string_view board, int x, int y);
bool UserMoveOnBoard(Window& window, std::string_view board, int x, int y);
// The same on a point of the sprite that the hit test gives to it (a visible pixel
// of it not covered by a sprite above); false when there is none.
bool UserPressSprite(Window& window, std::string_view board, int sprite);
bool UserMoveOntoSprite(Window& window, std::string_view board, int sprite);
// The pointer leaves the board.
bool UserLeaveBoard(Window& window, std::string_view board);

// The typed control by name, or null when the name is missing or of another kind.
template <class Kind>
Kind* FindControl(const Window& window, std::string_view name) {
  Control* c = window.Find(name);
  return c && c->kind() == Kind::kKind ? static_cast<Kind*>(c) : nullptr;
}
