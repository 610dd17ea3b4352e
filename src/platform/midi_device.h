#pragma once
// MIDI output: a port that takes complete MIDI messages. The program's device is the
// MIDI mapper on Windows, the ALSA sequencer's first synthesizer port elsewhere; tests
// record what is sent.

#include <cstddef>
#include <cstdint>
#include <memory>

class MidiPort {
 public:
  virtual ~MidiPort() = default;  // disconnects
  // One complete message (status byte first; system exclusive F0 ... F7).
  virtual bool Send(const std::uint8_t* message, std::size_t size) = 0;
};

class MidiDevice {
 public:
  virtual ~MidiDevice() = default;
  // Null when there is no synthesizer to play to.
  virtual std::unique_ptr<MidiPort> Open() = 0;
};

// The system's synthesizer.
MidiDevice& SystemMidiDevice();

#ifndef _WIN32
MidiDevice& AlsaMidiDevice();
#endif
