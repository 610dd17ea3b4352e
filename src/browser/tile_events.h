#pragma once
// The site board's three pointer events, dispatched to the steps that own the sprites.

#include "program/program.h"

// A step of a press: it looks for its own kind of sprite and otherwise does nothing.
using TilePressStep = void (*)(Program& program, int sprite);

// Runs, in this order: the account step, the open step, the page step, then
// `modifyStep` (the manager login of the editor, which runs on every press). A page
// turn rebuilds `tiles` before the modify step looks at them.
void TilePressed(Program& program, int sprite, TilePressStep modifyStep);

// Sets hoveredTile when `sprite` belongs to a tile, then the icon and account hover steps.
void TileEntered(Program& program, int sprite, int pressedSprite);
// The icon and account leave steps.
void TileLeft(Program& program, int sprite, int pressedSprite);
