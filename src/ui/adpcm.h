#pragma once
// The two ADPCM codings that wave files use, decoded block by block to 16-bit
// little-endian PCM, channels interleaved.

#include <cstddef>
#include <cstdint>
#include <vector>

// IMA (DVI) ADPCM: per channel a 4-byte header (first sample, step index 0..88),
// then groups of 4 bytes per channel, low nibble first. False on a bad header.
bool DecodeImaAdpcmBlock(const std::uint8_t* block, std::size_t size, int channels, std::size_t samplesPerBlock,
                         std::vector<std::uint8_t>& out);

// Microsoft ADPCM: per channel a predictor index, a delta and two samples (7 bytes),
// then nibbles high first, channels alternating. False on a bad header.
bool DecodeMsAdpcmBlock(const std::uint8_t* block, std::size_t size, int channels, std::size_t samplesPerBlock,
                        const std::vector<std::int16_t>& coefficients, std::vector<std::uint8_t>& out);
