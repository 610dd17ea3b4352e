#pragma once
// Reading a standard MIDI file ("MThd") into one timed list of messages, without
// playing it.

#include <cstddef>
#include <cstdint>
#include <vector>

struct MidiMessage {
  std::int64_t timeUs;        // from the start of the sequence
  std::uint32_t offset, size;  // the message's bytes in MidiSequence::bytes
};

struct MidiSequence {
  std::vector<MidiMessage> messages;  // in time order
  std::vector<std::uint8_t> bytes;    // status byte first; system exclusive starts F0
};

// True when the file holds at least one message to send. Formats 0 and 1 play
// their tracks together, format 2 one after another.
bool ParseMidi(const std::uint8_t* data, std::size_t size, MidiSequence& out);
