#include "ui/wave_file.h"

#include <cstring>

#include "ui/adpcm.h"

namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::uint32_t kTagPcm = 1, kTagMsAdpcm = 2, kTagFloat = 3, kTagALaw = 6, kTagMuLaw = 7,
                        kTagImaAdpcm = 0x11, kTagExtensible = 0xFFFE;

// The ADPCM fields of the format: block size, samples per block and, for Microsoft's
// coding, the coefficient table. A block count of samples that the block cannot hold
// is refused.
bool ReadAdpcm(std::uint32_t tag, const std::uint8_t* fmt, std::size_t n, WaveSound& out) {
  const std::size_t channels = static_cast<std::size_t>(out.format.channels);
  const std::size_t blockAlign = U16(fmt + 12), bits = U16(fmt + 14);
  const std::size_t extra = n >= 18 ? U16(fmt + 16) : 0;
  const std::size_t stated = n >= 20 && extra >= 2 ? U16(fmt + 18) : 0;
  out.blockAlign = blockAlign;
  if (bits != 4) return false;
  if (tag == kTagImaAdpcm) {
    if (channels > 8 || blockAlign < 4 * channels || blockAlign % (4 * channels) != 0) return false;
    const std::size_t most = (blockAlign - 4 * channels) * 2 / channels + 1;
    out.samplesPerBlock = stated > 0 && stated <= most ? stated : most;
    return true;
  }
  if (channels > 2 || blockAlign < 7 * channels) return false;
  const std::size_t most = (blockAlign - 7 * channels) * 2 / channels + 2;
  out.samplesPerBlock = stated >= 2 && stated <= most ? stated : most;
  // Without a table of its own the file uses the seven standard pairs.
  static const std::int16_t kStandard[14] = {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232};
  const std::size_t count = n >= 22 && extra >= 4 ? U16(fmt + 20) : 0;
  if (count > 0 && 22 + 4 * count <= n && 22 + 4 * count <= 18 + extra) {
    for (std::size_t i = 0; i < 2 * count; ++i)
      out.coefficients.push_back(static_cast<std::int16_t>(U16(fmt + 22 + 2 * i)));
  } else {
    out.coefficients.assign(kStandard, kStandard + 14);
  }
  return true;
}

bool ReadFormat(const std::uint8_t* fmt, std::size_t n, WaveSound& out) {
  if (n < 16) return false;
  std::uint32_t tag = U16(fmt), channels = U16(fmt + 2), rate = U32(fmt + 4), bits = U16(fmt + 14);
  // The extensible header names the real format in the first two bytes of its GUID.
  if (tag == kTagExtensible) {
    if (n < 40) return false;
    tag = U16(fmt + 24);
  }
  if (channels == 0 || channels > 64 || rate == 0 || rate > 1000000) return false;
  out.format.channels = static_cast<int>(channels);
  out.format.rate = static_cast<int>(rate);
  out.coding = WaveCoding::kPlain;
  if (tag == kTagPcm) {
    switch (bits) {
      case 8: out.format.sample = SampleFormat::kU8; break;
      case 16: out.format.sample = SampleFormat::kS16; break;
      case 24: out.format.sample = SampleFormat::kS24; break;
      case 32: out.format.sample = SampleFormat::kS32; break;
      default: return false;
    }
  } else if (tag == kTagFloat) {
    if (bits == 32) out.format.sample = SampleFormat::kFloat32;
    else if (bits == 64) out.format.sample = SampleFormat::kFloat64;
    else return false;
  } else if (tag == kTagMuLaw || tag == kTagALaw) {
    if (bits != 8) return false;
    out.format.sample = tag == kTagMuLaw ? SampleFormat::kMuLaw : SampleFormat::kALaw;
  } else if (tag == kTagImaAdpcm || tag == kTagMsAdpcm) {
    out.coding = tag == kTagImaAdpcm ? WaveCoding::kImaAdpcm : WaveCoding::kMsAdpcm;
    out.format.sample = SampleFormat::kS16;
    return ReadAdpcm(tag, fmt, n, out);
  } else {
    return false;  // other compressed formats (MP3 in a RIFF, GSM, ...) do not play
  }
  return true;
}

}  // namespace

bool IsRiffWave(const std::uint8_t* data, std::size_t size) {
  return size > 11 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0;
}

bool ParseWave(const std::uint8_t* data, std::size_t size, WaveSound& out) {
  if (!IsRiffWave(data, size) || size <= 35) return false;
  bool haveFormat = false, haveData = false;
  std::size_t pos = 12;
  while (pos + 8 <= size && !(haveFormat && haveData)) {
    const std::uint8_t* id = data + pos;
    std::size_t length = U32(data + pos + 4);
    std::size_t body = pos + 8;
    std::size_t available = size - body;
    if (std::memcmp(id, "fmt ", 4) == 0 && !haveFormat) {
      if (length > available || !ReadFormat(data + body, length, out)) return false;
      haveFormat = true;
    } else if (std::memcmp(id, "data", 4) == 0 && !haveData) {
      out.dataOffset = body;
      out.dataSize = std::min(length, available);
      haveData = true;
    }
    if (length > available) break;
    pos = body + length + (length & 1);
  }
  if (!haveFormat || !haveData) return false;
  // ADPCM plays whole blocks and the last block as far as it goes.
  if (out.coding != WaveCoding::kPlain) return out.dataSize > 0;
  const std::size_t frame = static_cast<std::size_t>(SampleBytes(out.format.sample)) * out.format.channels;
  out.dataSize -= out.dataSize % frame;
  return out.dataSize > 0;
}

std::vector<std::uint8_t> WaveSamples(const std::uint8_t* data, const WaveSound& wave) {
  const std::uint8_t* samples = data + wave.dataOffset;
  if (wave.coding == WaveCoding::kPlain) return std::vector<std::uint8_t>(samples, samples + wave.dataSize);
  std::vector<std::uint8_t> out;
  const std::size_t channels = static_cast<std::size_t>(wave.format.channels);
  const std::size_t header = (wave.coding == WaveCoding::kImaAdpcm ? 4 : 7) * channels;
  for (std::size_t pos = 0; pos < wave.dataSize; pos += wave.blockAlign) {
    const std::size_t n = std::min(wave.blockAlign, wave.dataSize - pos);
    if (n < header) break;  // a last block cut inside its header holds no sound
    const bool ok = wave.coding == WaveCoding::kImaAdpcm
                        ? DecodeImaAdpcmBlock(samples + pos, n, wave.format.channels, wave.samplesPerBlock, out)
                        : DecodeMsAdpcmBlock(samples + pos, n, wave.format.channels, wave.samplesPerBlock,
                                             wave.coefficients, out);
    if (!ok) return {};
  }
  return out;
}
