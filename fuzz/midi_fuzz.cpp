// Any bytes through the MIDI file reader the sound player uses, without playing them.

#include <cstdlib>

#include "ui/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MidiSequence seq;
  if (!ParseMidi(data, size, seq)) return 0;
  std::int64_t last = 0;
  for (const MidiMessage& m : seq.messages) {
    if (m.size == 0 || m.offset > seq.bytes.size() || m.size > seq.bytes.size() - m.offset) std::abort();
    if (m.timeUs < last) std::abort();
    last = m.timeUs;
  }
  return 0;
}
