#pragma once
// GDI fonts of the sprite texts and the program's own small windows.

#include <windows.h>

#include <string>

#include "ui/text_rasterizer.h"

// The face a sprite font asks for, as the W functions take it.
std::wstring GdiFaceName(const SpriteFont& font);

// The sprite font at its pixel height (character height, not cell height); the caller
// deletes it.
HFONT CreateSpriteFont(const SpriteFont& font);
