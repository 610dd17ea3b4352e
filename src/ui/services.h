#pragma once
// Everything outside the program that its handlers reach goes through one bundle of
// services, handed in at start: main builds the real one (the window backend and the
// system's services of platform/), tests build a scripted one. Handlers never talk to a
// toolkit or the OS directly.

#include <cstdint>

#include "base/bytes.h"
#include "base/text.h"
#include "platform/connectivity.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"

class InputBoxService {
 public:
  virtual ~InputBoxService() = default;
  // True when confirmed: `target` then holds the typed text. Cancel or close leaves it.
  virtual bool Ask(const Text* prompt, const Text* title, const Text& initial, Text& target,
                   int inputMode) = 0;
};

class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  // Shows the open-file dialog in `initialDirectory` (a program path). True with the full
  // program path of the chosen file in `fileName`; false leaves `fileName` unchanged.
  virtual bool Open(const Text& initialDirectory, Text& fileName) = 0;
};

class SoundService {
 public:
  virtual ~SoundService() = default;
  // True only when playback really started.
  virtual bool PlayFile(const Text& programPath, bool loop = false) = 0;
  virtual bool PlayBytes(const Bytes& data, bool loop = false) = 0;
};

class PointerService {
 public:
  virtual ~PointerService() = default;
  virtual int PointerX() = 0;  // screen pixels
  virtual int PointerY() = 0;
};

class ClockService {
 public:
  virtual ~ClockService() = default;
  virtual std::int64_t NowMs() = 0;  // a monotonic millisecond tick
};

// The window layer adds its backend to the bundle (see app/).
struct Services {
  MessageBoxService* messageBox = nullptr;
  InputBoxService* inputBox = nullptr;
  FileDialogService* fileDialog = nullptr;
  SoundService* sound = nullptr;
  ShellService* shell = nullptr;
  NetworkService* network = nullptr;
  PointerService* pointer = nullptr;
  ClockService* clock = nullptr;
};
