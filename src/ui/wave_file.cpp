#include "ui/wave_file.h"

#include <cstring>

namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::uint32_t kTagPcm = 1, kTagFloat = 3, kTagExtensible = 0xFFFE;

bool ReadFormat(const std::uint8_t* fmt, std::size_t n, PcmFormat& out) {
  if (n < 16) return false;
  std::uint32_t tag = U16(fmt), channels = U16(fmt + 2), rate = U32(fmt + 4), bits = U16(fmt + 14);
  // The extensible header names the real format in the first two bytes of its GUID.
  if (tag == kTagExtensible) {
    if (n < 40) return false;
    tag = U16(fmt + 24);
  }
  if (channels == 0 || channels > 64 || rate == 0 || rate > 1000000) return false;
  if (tag == kTagPcm) {
    switch (bits) {
      case 8: out.sample = SampleFormat::kU8; break;
      case 16: out.sample = SampleFormat::kS16; break;
      case 24: out.sample = SampleFormat::kS24; break;
      case 32: out.sample = SampleFormat::kS32; break;
      default: return false;
    }
  } else if (tag == kTagFloat) {
    if (bits == 32) out.sample = SampleFormat::kFloat32;
    else if (bits == 64) out.sample = SampleFormat::kFloat64;
    else return false;
  } else {
    return false;  // compressed formats (ADPCM, MP3 in a RIFF, ...) do not play
  }
  out.channels = static_cast<int>(channels);
  out.rate = static_cast<int>(rate);
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
      if (length > available || !ReadFormat(data + body, length, out.format)) return false;
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
  const std::size_t frame = static_cast<std::size_t>(SampleBytes(out.format.sample)) * out.format.channels;
  out.dataSize -= out.dataSize % frame;
  return out.dataSize > 0;
}
