#pragma once
// The program's arguments as UTF-8 texts. Windows hands narrow arguments over in the
// machine's ANSI code page, which may not hold the characters typed, so there they are
// taken from the wide command line.

#include <string>
#include <vector>

// Every argument after the program's name.
std::vector<std::string> CommandLineArguments(int argc, char** argv);
