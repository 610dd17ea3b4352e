#pragma once
// The keyboard's light on the site board: the lit tile shows its icon's hover picture
// and its description tip, as under the pointer, and Return opens it as a click on the
// icon does. The pointer takes the light over as soon as it moves on the board.

#include "program/program.h"

// The 1-based slot of the lit tile on the page shown; 0 when none is lit.
int LitSlot(const AppState& state);

// Lights tile `slot` of the page shown (the light leaves the one lit before, and the
// pointer's tile gives its light up). A slot not on the board lights nothing.
void LightTile(Program& program, int slot);

// The lit tile shows its own icon again and nothing is lit.
void PutLightOut(Program& program);

// The arrows: the first lights the first tile; then Left and Right go by tile, Up and
// Down by row, staying put at the edges. False when the page has no tiles.
enum class LightMove { kLeft, kRight, kUp, kDown };
bool MoveLight(Program& program, LightMove move);

// Presses the icon of tile `slot`, as the pointer would. False when there is none.
bool PressTileIcon(Program& program, int slot);

// Handler of the pointer moving on the site board: the keyboard's light goes out.
void BoardPointerMoved(Program& program, int x, int y, int pressed);
