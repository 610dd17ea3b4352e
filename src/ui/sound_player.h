#pragma once
// The program's sound service: wave files stream on a worker thread each, MIDI files
// play through the MIDI device, one sequence at a time.

#include <memory>

#include "platform/audio_device.h"
#include "platform/midi_device.h"
#include "ui/services.h"

constexpr int kWaveBufferCount = 20;
constexpr std::size_t kWaveBufferBytes = 15360;

struct SoundPlayerState;

class SoundPlayer : public SoundService {
 public:
  SoundPlayer();  // ALSA's default PCM and the first sequencer synthesizer
  SoundPlayer(AudioDevice& audio, MidiDevice& midi);
  // Stops every sound still playing and waits (briefly) for the workers to end.
  ~SoundPlayer() override;

  bool PlayFile(const Text& programPath, bool loop = false) override;
  bool PlayBytes(const Bytes& data, bool loop = false) override;

  // Sounds whose worker is still running.
  int Playing() const;

 private:
  AudioDevice& audio_;
  MidiDevice& midi_;
  std::shared_ptr<SoundPlayerState> state_;
};
