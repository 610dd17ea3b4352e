#pragma once
// Icon and sound paths come from the favorites table, which may have been made by
// someone else: they are honoured only while they stay below the run directory.

#include "base/text.h"

// True when the path (GBK, as stored, leading backslash) stays inside the run directory:
// no `..` component, no drive letter or second leading separator, no ':'.
bool IsRunRelativePath(const Text& programRelativePath);
