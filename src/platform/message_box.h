#pragma once
// The system's message box, as the program and the table loaders call it.

#include "base/text.h"

// Message box results.
enum MessageBoxResult { kMbOk = 0, kMbCancel = 1, kMbAbort = 2, kMbRetry = 3, kMbIgnore = 4, kMbYes = 5, kMbNo = 6 };

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // `caption` null: the default caption "信息：". Flags as the Windows message box takes them.
  virtual int Show(const Text& text, int flags, const Text* caption) = 0;
};
