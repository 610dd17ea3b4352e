#pragma once
// The gate before the account viewer and the modify page: with the password check on,
// the program password must be typed first.

#include "program/program.h"
#include "base/text.h"

// Works on the main copy. Check 0: granted at once, nothing shown. Otherwise the input
// box (prompt, title, empty text, masked) asks; Cancel refuses silently, a wrong text
// shows "密码错误" with `refusalCaption` and `refusalFlags` and refuses.
bool PasswordGate(Program& program, const Text& prompt, const Text& title, const Text& refusalCaption,
                  int refusalFlags);
