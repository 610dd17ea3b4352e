#pragma once
// The manager login gate: the modify step of a press on the site board. A press on a
// tile's modify sprite plays the modify sound, asks for the program password when the
// check is on, and opens the editor on its modify and delete page, filled with the
// favorite from memory.

#include "program/program.h"

// Runs on every press on the site board, whatever was pressed (sprite 0: nothing).
void ManagerLoginGate(Program& program, int sprite);
