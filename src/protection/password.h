#pragma once
// The program password is kept and compared as plain text.

#include "base/text.h"

// True when the typed text equals the stored one byte for byte: case counts, nothing
// is trimmed, and an empty entry matches an empty stored password.
bool VerifyPassword(const Text& entered, const Text& stored);
