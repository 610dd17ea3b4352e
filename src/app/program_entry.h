#pragma once
// The program's entry routine and the life of its state.

#include "program/program.h"

// Empties the five lists and zeroes the integers and the main copy.
void InitApplicationState(AppState& state);
// Frees everything the state owns; counted in program.releaseCount.
void ReleaseApplicationState(Program& program);

// Runs the program on the services and window backend already in `program`: state
// made, its release registered for the end, the main window shown (its creation-
// finished event fires before the user can act), the message loop until the main
// window has been destroyed. Returns 0.
int ProgramEntry(Program& program);

// ProgramEntry's start without the loop: bindings, the main window shown, its
// creation-finished event run. The headless tests start the program with it.
void StartMainWindow(Program& program);

// The main window's close button: destroys the main window, which ends the program.
void CloseButtonClicked(Program& program);
