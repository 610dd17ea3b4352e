#pragma once
// Waveform output as the sound player needs it: open a stream in a PCM format,
// write buffers to it, drain it, close it. Each playing sound opens a stream of its
// own, so several play at once. The program uses the system's output (waveOut through
// the wave mapper on Windows, ALSA's default PCM elsewhere); unit tests use the
// recording device.

#include <cstddef>
#include <cstdint>
#include <memory>

enum class SampleFormat {
  kU8,       // 8-bit unsigned PCM
  kS16,      // 16-bit signed little-endian PCM
  kS24,      // 24-bit signed little-endian PCM in 3 bytes
  kS32,      // 32-bit signed little-endian PCM
  kFloat32,  // IEEE float, little-endian
  kFloat64,
  kMuLaw,    // 8-bit G.711 mu-law, which the device expands itself
  kALaw,     // 8-bit G.711 A-law, likewise
};

struct PcmFormat {
  SampleFormat sample = SampleFormat::kS16;
  int channels = 0;
  int rate = 0;  // frames per second
};

// Bytes of one sample of `format`.
int SampleBytes(SampleFormat format);

class AudioStream {
 public:
  virtual ~AudioStream() = default;  // closes the stream; what was not drained is dropped
  // Blocks until the device took all `size` bytes (whole frames). False: the device failed.
  virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
  // Blocks until everything written has been played.
  virtual bool Drain() = 0;
};

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;
  // Null when the device is missing or refuses the format.
  virtual std::unique_ptr<AudioStream> Open(const PcmFormat& format) = 0;
};

// The system's waveform output. Safe to use from several threads at once.
AudioDevice& SystemAudioDevice();

#ifndef _WIN32
// ALSA's "default" PCM, the system's output on Linux.
AudioDevice& AlsaAudioDevice();
#endif
