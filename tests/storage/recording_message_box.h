#pragma once
// The storage tests link no window layer: a message box that only writes down what it
// was asked to show.

#include <vector>

#include "platform/message_box.h"

struct RecordingMessageBox : MessageBoxService {
  struct Call {
    Text text;
    int flags = 0;
    bool captionGiven = false;
  };
  int Show(const Text& text, int flags, const Text* caption) override {
    log.push_back({text, flags, caption != nullptr});
    return kMbOk;
  }
  std::vector<Call> log;
};
