#pragma once
// Windows' key messages as the sprite board hears them: WM_KEYDOWN for the keys that act,
// WM_CHAR for the text they type.

#include <windows.h>

#include "ui/board_key.h"

// The board's key for a WM_KEYDOWN; `ctrlHeld` whether Ctrl is down. kNone otherwise.
BoardKey BoardKeyOfKeyDown(WPARAM virtualKey, bool ctrlHeld);
// The board's key for a WM_CHAR: printable text only (controls and Ctrl chords: kNone).
BoardKey BoardKeyOfChar(WPARAM character, bool ctrlHeld);

// The window property a window's keys are sent on to: the board that hears them.
constexpr wchar_t kKeyBoardProperty[] = L"VinkaboKeyBoard";
