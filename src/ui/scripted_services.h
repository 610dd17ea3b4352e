#pragma once
// Scripted services for tests: every dialog is answered from a queue and logged,
// sounds and shell opens are recorded, the network answer and the pointer are set by
// the test, and the clock only moves when the test says so. No toolkit, no device.
//
//   ScriptedServices fake;
//   fake.messageBox.answers.push_back(kMbCancel);        // the next box answers Cancel
//   fake.inputBox.answers.push_back({true, GBK("pw")});  // the next input box: typed, OK
//   fake.fileDialog.answers.push_back(GBK("C:\\x.wav")); // chosen; std::nullopt = Cancel
//   Services services = fake.bundle();
//   ... run the handler ...
//   EXPECT_EQ(fake.messageBox.log.at(0).text, GBK("密码错误"));
//
// Empty queues answer like a user who just closes the box: message box OK (0),
// input box and file dialog cancelled. To start the whole program headless on a
// fixture run directory and act on its controls by name, see app/headless_program.h.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "base/bytes.h"
#include "base/text.h"
#include "ui/services.h"

struct MessageBoxCall {
  Text text;
  int flags = 0;
  bool captionGiven = false;
  Text caption;  // as shown: the given one, or "信息："
};

class ScriptedMessageBox : public MessageBoxService {
 public:
  int Show(const Text& text, int flags, const Text* caption) override;
  std::deque<int> answers;  // results, front first; empty: kMbOk
  std::vector<MessageBoxCall> log;
  // Runs as each box "shows", after it was logged (e.g. to look at the model then).
  std::function<void(const MessageBoxCall&)> onShow;
};

struct InputBoxCall {
  bool promptGiven = false;
  Text prompt;
  Text title;  // as shown: the given one, or "请输入：" when none or empty
  Text initial;
  int inputMode = 1;  // as passed
  bool masked = false;  // mode 4 after clamping
};

struct InputAnswer {
  bool confirm = false;
  Text typed;  // replaces the initial text when confirmed
};

class ScriptedInputBox : public InputBoxService {
 public:
  bool Ask(const Text* prompt, const Text* title, const Text& initial, Text& target,
           int inputMode) override;
  std::deque<InputAnswer> answers;  // empty: cancelled
  std::vector<InputBoxCall> log;
};

class ScriptedFileDialog : public FileDialogService {
 public:
  bool Open(const Text& initialDirectory, Text& fileName) override;
  std::deque<std::optional<Text>> answers;  // a full program path, or nullopt = Cancel
  std::vector<Text> initialDirectories;     // one per dialog shown
};

class ScriptedSound : public SoundService {
 public:
  bool PlayFile(const Text& programPath, bool loop) override;
  bool PlayBytes(const Bytes& data, bool loop) override;
  struct Played {
    bool fromFile = false;
    Text path;   // when from a file
    Bytes data;  // when from bytes
    bool loop = false;
  };
  std::vector<Played> played;
  bool result = true;  // what every play returns
};

class ScriptedShell : public ShellService {
 public:
  void OpenAddress(const Text& address) override { opened.push_back(address); }
  std::vector<Text> opened;
};

class ScriptedNetwork : public NetworkService {
 public:
  int ConnectivityTest() override {
    ++calls;
    return online;
  }
  int online = 0;
  int calls = 0;
};

class ScriptedPointer : public PointerService {
 public:
  int PointerX() override { return x; }
  int PointerY() override { return y; }
  int x = 0, y = 0;
};

class ScriptedClock : public ClockService {
 public:
  std::int64_t NowMs() override { return now; }
  void Advance(std::int64_t ms) { now += ms; }
  std::int64_t now = 0;
};

struct ScriptedServices {
  ScriptedMessageBox messageBox;
  ScriptedInputBox inputBox;
  ScriptedFileDialog fileDialog;
  ScriptedSound sound;
  ScriptedShell shell;
  ScriptedNetwork network;
  ScriptedPointer pointer;
  ScriptedClock clock;

  // The bundle handlers take; it points into this object.
  Services bundle();
};
