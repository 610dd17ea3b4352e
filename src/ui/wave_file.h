#pragma once
// Reading a RIFF WAVE file as the sound player plays it, without playing it.

#include <cstddef>
#include <cstdint>

#include "platform/audio_device.h"

// A buffer of more than 11 bytes that starts "RIFF" .... "WAVE".
bool IsRiffWave(const std::uint8_t* data, std::size_t size);

struct WaveSound {
  PcmFormat format;
  std::size_t dataOffset = 0;  // the samples within the file, whole frames only
  std::size_t dataSize = 0;
};

// True for a wave file that can play: longer than 35 bytes, a "fmt " chunk of a PCM
// or IEEE float format and a non-empty "data" chunk, in either order. A data chunk
// that claims more than the file holds plays what is there.
bool ParseWave(const std::uint8_t* data, std::size_t size, WaveSound& out);
