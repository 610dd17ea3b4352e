#pragma once
// PNG files put together chunk by chunk, so a test can make ones no encoder would write:
// chunks that lie about their length, a missing IEND, a header claiming any size.

#include <cstddef>
#include <cstdint>

#include "base/bytes.h"

inline std::uint32_t PngCrc(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return c ^ 0xFFFFFFFFu;
}

inline void PutBe32(Bytes& b, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Overwrites four bytes at `at` with v, little-endian (BMP and icon headers).
inline void Le32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A chunk whose length field says `declared` (by default the data's real length).
inline void PngChunk(Bytes& b, const char* type, const Bytes& data, std::int64_t declared = -1) {
  PutBe32(b, static_cast<std::uint32_t>(declared < 0 ? data.size() : declared));
  const std::size_t start = b.size();
  b.insert(b.end(), type, type + 4);
  b.insert(b.end(), data.begin(), data.end());
  PutBe32(b, PngCrc(&b[start], b.size() - start));
}

// Signature and IHDR of an 8-bit RGBA, not interlaced picture of w x h.
inline Bytes PngHead(std::uint32_t w, std::uint32_t h) {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  Bytes ihdr;
  PutBe32(ihdr, w), PutBe32(ihdr, h);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  PngChunk(b, "IHDR", ihdr);
  return b;
}
