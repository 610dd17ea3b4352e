#pragma once
// The parts of the run directory, each written by its own file.

#include <string>
#include <vector>

#include "output.h"
#include "sites.h"

void WriteSkin(const Output& out);
void WriteIcons(const Output& out, const std::vector<Site>& sites);
void WriteSounds(const Output& out);
void WriteTables(const Output& out, const std::vector<Site>& sites);
// The program's icon for the desktop's icon theme, as hicolor's SIZExSIZE/apps/ folders.
void WriteAppIcons(const Output& out);
// The same icon as one .ico file (vinkabo.ico) for the Windows program.
void WriteWindowsIcon(const Output& out);
