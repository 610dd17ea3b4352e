#pragma once
// A MIDI device that keeps the messages sent to each port it opened, for tests.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/midi_device.h"

struct RecordedMidiPort {
  std::vector<std::vector<std::uint8_t>> messages;
  bool closed = false;
};

class RecordingMidiDevice : public MidiDevice {
 public:
  std::unique_ptr<MidiPort> Open() override;
  void SetAvailable(bool available);  // false: no synthesizer
  std::vector<RecordedMidiPort> Ports() const;
  // Waits until port `index` holds `count` messages or is closed; false after `timeoutMs`.
  bool WaitMessages(std::size_t index, std::size_t count, int timeoutMs) const;
  bool WaitClosed(std::size_t index, int timeoutMs) const;

 private:
  friend class RecordingMidiPort;
  mutable std::mutex mu_;
  mutable std::condition_variable changed_;
  std::vector<RecordedMidiPort> ports_;
  bool available_ = true;
};
