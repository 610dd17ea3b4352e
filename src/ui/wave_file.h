#pragma once
// Reading a RIFF WAVE file as the sound player plays it, without playing it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/audio_device.h"

// A buffer of more than 11 bytes that starts "RIFF" .... "WAVE".
bool IsRiffWave(const std::uint8_t* data, std::size_t size);

// How the data chunk holds its samples. ADPCM is decoded to 16-bit PCM before it
// streams; every other coding goes to the device as it is.
enum class WaveCoding { kPlain, kImaAdpcm, kMsAdpcm };

struct WaveSound {
  PcmFormat format;  // what the device is given (16-bit PCM for ADPCM)
  WaveCoding coding = WaveCoding::kPlain;
  std::size_t dataOffset = 0;  // the samples within the file: whole frames, or ADPCM blocks
  std::size_t dataSize = 0;
  // ADPCM only: bytes and samples (per channel) of one block, and Microsoft's
  // predictor coefficient pairs.
  std::size_t blockAlign = 0;
  std::size_t samplesPerBlock = 0;
  std::vector<std::int16_t> coefficients;  // coef1, coef2, coef1, coef2, ...
};

// True for a wave file that can play: longer than 35 bytes, a "fmt " chunk of PCM,
// IEEE float, mu-law, A-law, IMA ADPCM or Microsoft ADPCM and a non-empty "data"
// chunk, in either order. A data chunk that claims more than the file holds plays
// what is there.
bool ParseWave(const std::uint8_t* data, std::size_t size, WaveSound& out);

// The bytes to stream for a parsed wave (`data` is the whole file): the data chunk
// itself, or ADPCM decoded to 16-bit PCM. Empty when an ADPCM block header is
// malformed: such a file plays nothing.
std::vector<std::uint8_t> WaveSamples(const std::uint8_t* data, const WaveSound& wave);
