// Any bytes through the wave reader and the ADPCM decoders the sound player uses,
// without playing them: what would stream is whole frames of the stated format.

#include <cstdlib>

#include "ui/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WaveSound wave;
  if (!ParseWave(data, size, wave)) return 0;
  if (wave.dataOffset > size || wave.dataSize > size - wave.dataOffset || wave.dataSize == 0) std::abort();
  const std::size_t frame = static_cast<std::size_t>(SampleBytes(wave.format.sample)) * wave.format.channels;
  if (wave.coding == WaveCoding::kPlain && wave.dataSize % frame != 0) std::abort();
  const std::vector<std::uint8_t> samples = WaveSamples(data, wave);
  if (samples.size() % frame != 0) std::abort();
  // ADPCM expands a nibble to two bytes, never more.
  if (samples.size() > 4 * wave.dataSize + 4 * frame) std::abort();
  return 0;
}
