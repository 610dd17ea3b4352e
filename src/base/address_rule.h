#pragma once
// Which addresses a favorite may hand to the system's "open" verb. Favorites come from
// bookmark files and tables made by others, and "open" runs programs as readily as it
// shows web pages, so only web addresses open at once; anything else is shown to the user
// first, and a few kinds are never opened at all.

#include "base/text.h"

enum class AddressKind {
  kWeb,       // http: or https: -- opens at once
  kAskFirst,  // a local file, a program, another scheme: only after the user agrees
  kRefused,   // never opened
};

struct AddressVerdict {
  AddressKind kind;
  // For a refused address, why, in a few English words (edbtool counts skips by it).
  const char* reason;
};

// Refused: an empty address; one that starts with '-' (xdg-open and browsers take it as
// an option); one holding a control character (a browser drops tabs and line breaks, so
// "java\tscript:" would run as a script); a network share (\\host, //host, smb:, file://host),
// which on Windows hands the user's login to the remote host when merely opened.
AddressVerdict JudgeAddress(const Text& address);

// The address as a message box may show it: control characters become '?'.
Text ShownAddress(const Text& address);
