#pragma once
// The one balloon tip of the main window, 气球提示框1, as the program's tips use it.

#include <vector>

#include "program/program.h"
#include "base/text.h"

struct BalloonSettingWrite {
  int number;
  int value;
};

// Writes the settings in the order given; they stay in force for later pop-ups.
void WriteTipSettings(Program& program, const std::vector<BalloonSettingWrite>& writes);

// Pops the tip at screen point (x, y) with no icon, closing by itself.
void PopTip(Program& program, int x, int y, const Text& text);
