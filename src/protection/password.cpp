#include "protection/password.h"

bool VerifyPassword(const Text& entered, const Text& stored) { return entered == stored; }
