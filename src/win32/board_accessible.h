#pragma once
// The sprite board window's accessible object (Microsoft Active Accessibility): the
// answer to WM_GETOBJECT for its client area. Its children are simple elements, child
// ids 1 to n in the order the program lists the board's items (ui/board_items.h), so
// they hold while the page stays; their names, roles and descriptions are read anew on
// every call. The default action of a button posts kPressSpriteMessage (the sprite id
// in wParam) to the board window, which presses it as a click does.

#include <windows.h>

#include <functional>

class SpriteBoardModel;

constexpr UINT kPressSpriteMessage = WM_APP + 0x31;

// `model` gives the board model, or null once the board or its window model is gone.
LRESULT AnswerGetObject(HWND board, WPARAM wp, LPARAM lp, std::function<SpriteBoardModel*()> model);
