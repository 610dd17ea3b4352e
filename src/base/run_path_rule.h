#pragma once
// Which icon and sound paths stored in a favorite may be read. They come from tables made
// by others, and the run directory is put in front of them as they are, so a path could
// otherwise reach any file the user can read ("\..\..\home\me\.ssh\id_rsa.png").

#include "base/text.h"

// True when run directory + `relativeProgramPath` names a file inside the run directory:
// the path starts with one backslash (or '/'); no part of it is made only of dots and blanks
// ("..", ".", "...": Windows drops trailing dots and blanks, so these all climb or stay
// put); none holds a ':' (a drive letter or a stream name); it does not end in a
// separator (a folder). Empty: false. Bytes are looked at one by one, so a '\' that is the
// second byte of a GBK character also separates parts here: that only refuses more, and
// the Linux side reads it as a separator too.
bool IsInsideRunDirectory(const Text& relativeProgramPath);
