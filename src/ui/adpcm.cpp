#include "ui/adpcm.h"

#include <algorithm>

namespace {

void Put16(std::vector<std::uint8_t>& out, int v) {
  out.push_back(static_cast<std::uint8_t>(v & 255));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 255));
}

int Clamp16(int v) { return std::clamp(v, -32768, 32767); }

std::int16_t S16(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | (p[1] << 8)); }

const int kImaSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int kImaIndexStep[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct ImaChannel {
  int sample, index;
  int Next(int nibble) {
    const int step = kImaSteps[index];
    int diff = step >> 3;
    if (nibble & 1) diff += step >> 2;
    if (nibble & 2) diff += step >> 1;
    if (nibble & 4) diff += step;
    sample = Clamp16(nibble & 8 ? sample - diff : sample + diff);
    index = std::clamp(index + kImaIndexStep[nibble], 0, 88);
    return sample;
  }
};

const int kMsAdaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};

struct MsChannel {
  int coef1, coef2, delta, sample1, sample2;
  int Next(int nibble) {
    const int signedNibble = nibble >= 8 ? nibble - 16 : nibble;
    const int predicted = Clamp16(((sample1 * coef1 + sample2 * coef2) >> 8) + signedNibble * delta);
    sample2 = sample1;
    sample1 = predicted;
    delta = std::max(16, (kMsAdaptation[nibble] * delta) >> 8);
    return predicted;
  }
};

}  // namespace

bool DecodeImaAdpcmBlock(const std::uint8_t* block, std::size_t size, int channels, std::size_t samplesPerBlock,
                         std::vector<std::uint8_t>& out) {
  const std::size_t header = 4 * static_cast<std::size_t>(channels);
  if (channels <= 0 || channels > 8 || size < header || samplesPerBlock == 0) return false;
  std::vector<ImaChannel> ch(channels);
  for (int c = 0; c < channels; ++c) {
    const std::uint8_t* h = block + 4 * c;
    if (h[2] > 88) return false;
    ch[c] = {S16(h), h[2]};
  }
  // Samples after the first come in groups of 8 per channel (4 bytes each).
  const std::size_t groups = std::min((size - header) / header, (samplesPerBlock - 1 + 7) / 8);
  const std::size_t samples = std::min(samplesPerBlock, 1 + groups * 8);
  const std::size_t first = out.size();
  out.resize(first + samples * channels * 2);
  auto at = [&](std::size_t s, int c) { return first + (s * channels + c) * 2; };
  for (int c = 0; c < channels; ++c) {
    std::uint8_t* p = &out[at(0, c)];
    p[0] = static_cast<std::uint8_t>(ch[c].sample & 255), p[1] = static_cast<std::uint8_t>((ch[c].sample >> 8) & 255);
  }
  const std::uint8_t* data = block + header;
  for (std::size_t g = 0; g < groups; ++g)
    for (int c = 0; c < channels; ++c) {
      const std::uint8_t* bytes = data + (g * channels + c) * 4;
      for (int k = 0; k < 8; ++k) {
        const std::size_t s = 1 + g * 8 + k;
        const int v = ch[c].Next(k & 1 ? bytes[k / 2] >> 4 : bytes[k / 2] & 15);
        if (s >= samples) continue;
        out[at(s, c)] = static_cast<std::uint8_t>(v & 255);
        out[at(s, c) + 1] = static_cast<std::uint8_t>((v >> 8) & 255);
      }
    }
  return true;
}

bool DecodeMsAdpcmBlock(const std::uint8_t* block, std::size_t size, int channels, std::size_t samplesPerBlock,
                        const std::vector<std::int16_t>& coefficients, std::vector<std::uint8_t>& out) {
  const std::size_t header = 7 * static_cast<std::size_t>(channels);
  if (channels <= 0 || channels > 2 || size < header || samplesPerBlock < 2) return false;
  std::vector<MsChannel> ch(channels);
  for (int c = 0; c < channels; ++c) {
    const std::size_t predictor = block[c];
    if (2 * predictor + 1 >= coefficients.size()) return false;
    ch[c].coef1 = coefficients[2 * predictor];
    ch[c].coef2 = coefficients[2 * predictor + 1];
    ch[c].delta = S16(block + channels + 2 * c);
    ch[c].sample1 = S16(block + 3 * channels + 2 * c);
    ch[c].sample2 = S16(block + 5 * channels + 2 * c);
  }
  // The older sample comes out first, then the newer one, then the coded ones.
  for (int c = 0; c < channels; ++c) Put16(out, ch[c].sample2);
  for (int c = 0; c < channels; ++c) Put16(out, ch[c].sample1);
  const std::size_t nibbles =
      std::min((size - header) * 2, (samplesPerBlock - 2) * static_cast<std::size_t>(channels));
  const std::size_t whole = nibbles - nibbles % channels;
  for (std::size_t n = 0; n < whole; ++n) {
    const std::uint8_t byte = block[header + n / 2];
    Put16(out, ch[n % channels].Next(n & 1 ? byte & 15 : byte >> 4));
  }
  return true;
}
