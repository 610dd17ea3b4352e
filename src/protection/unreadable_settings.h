#pragma once
// When the settings table could not be read at start-up, nobody knows the password or
// whether it is asked for: the account viewer, the modify page and the settings window
// stay shut for the run instead of opening unasked. Browsing and opening sites go on.

#include "program/program.h"

// False when the settings were read. Otherwise shows why (stop icon) and returns true:
// the caller then opens nothing.
bool RefusedWithoutSettings(Program& program);
