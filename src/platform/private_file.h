#pragma once
// Files only their owner may read, for data that holds passwords as plain text.

#include <string>

// Writes `bytes` to the file at `utf8Path` (a host path), replacing any file there. The
// new file is readable and writable by its owner only from the moment it exists (on
// POSIX mode 0600: it is made under a temporary name with that mode, filled, and then
// renamed over the target); no other user ever sees a readable moment of it. On Windows
// the file takes its folder's permissions, which are the user's own in the user's folders.
// False with `*error` set when it cannot be written; the target is then left as it was.
bool WritePrivateFile(const std::string& utf8Path, const std::string& bytes, std::string* error);
