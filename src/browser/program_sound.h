#pragma once
// The program's own sounds, all below the run directory, play only while the main
// copy's sound switch is exactly 1.

#include "program/program.h"
#include "base/text.h"

// `relative` begins with a backslash, e.g. "\声音\翻页.wav"; one that would leave the
// run directory plays nothing. What the play returns is of no interest to any caller.
void PlayProgramSound(Program& program, const Text& relative);
