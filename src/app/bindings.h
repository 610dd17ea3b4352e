#pragma once
// Connects each event the program handles to its handler (the table is bindings.cpp).

#include "program/program.h"

void BindMainWindow(Program& program);
void BindSettingsWindow(Program& program, SettingsWindow& window);
