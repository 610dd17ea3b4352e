// Any bytes through the wave reader the sound player uses, without playing them.

#include <cstdlib>

#include "ui/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WaveSound wave;
  if (!ParseWave(data, size, wave)) return 0;
  const std::size_t frame = static_cast<std::size_t>(SampleBytes(wave.format.sample)) * wave.format.channels;
  if (wave.dataOffset > size || wave.dataSize > size - wave.dataOffset || wave.dataSize == 0 ||
      wave.dataSize % frame != 0)
    std::abort();
  return 0;
}
