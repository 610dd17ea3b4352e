#pragma once
// The on-disk layout of record files, byte by byte. These files are shipped with the
// program and shared with other programs of the same family, so nothing here may drift.
//
// Main file: 112-byte header, int32 field count, 72 bytes per field definition, then
// the records (fixed length, back to back). Memo file ("EDT"): 512-byte blocks, block 0
// the memo header, every other block 12 bytes of chain header plus 500 data bytes.
// All integers little-endian.

#include <cstdint>
#include <cstring>

namespace recfmt {

// ---- Main file ----
constexpr std::int32_t kMagic = 0x42444557;           // "WEDB"
constexpr std::int32_t kMagicProtected = 0x42444357;  // "WCDB": needs an access password
constexpr std::int32_t kVersion = 0x00010000;
constexpr int kHeaderSize = 112;
constexpr int kFieldCountSize = 4;
constexpr int kFieldDefSize = 72;
constexpr int kFieldNameSize = 17;  // NUL-terminated inside, so at most 16 name bytes

// Header offsets.
constexpr int kOffMagic = 0;
constexpr int kOffVersion = 4;
constexpr int kOffRecordCount = 16;  // also the header lock byte
constexpr int kOffNextId = 20;
constexpr int kOffRecordLength = 24;

// Field definition offsets.
constexpr int kDefOffName = 0;
constexpr int kDefOffType = 20;
constexpr int kDefOffOffset = 24;
constexpr int kDefOffWidth = 28;

constexpr std::int64_t DataStart(std::int64_t field_count) {
  return kHeaderSize + kFieldCountSize + kFieldDefSize * field_count;
}

// Bytes a field type takes in the record (text: its width). 0 for an unknown type.
constexpr std::int32_t StoredSize(std::int32_t type, std::int32_t width) {
  switch (type) {
    case 1: return 1;   // byte
    case 2: return 2;   // short
    case 3: return 4;   // int
    case 4: return 8;   // long
    case 5: return 4;   // float
    case 6: return 8;   // double
    case 7: return 1;   // bool
    case 8: return 8;   // date-time
    case 9: return 4;   // subroutine reference
    case 10: return width;
    case 11: return 4;  // byte set: memo reference
    case 12: return 4;  // memo text: memo reference
    default: return 0;
  }
}

constexpr bool IsMemoType(std::int32_t type) { return type == 11 || type == 12; }

// Date-times are clamped to this range on reading.
constexpr double kMinDateTime = -657434.0;
constexpr double kMaxDateTime = 2958465.0;

// ---- Memo file ----
constexpr std::int32_t kMemoMagic = 0x54444557;  // "WEDT"
constexpr int kBlockSize = 512;
constexpr int kMemoHeaderSize = 32;
constexpr int kMemoOffMagic = 0;
constexpr int kMemoOffVersion = 4;
constexpr int kMemoOffBlockCount = 16;
constexpr int kMemoOffFreeCount = 20;
constexpr int kMemoOffFirstFree = 24;

constexpr int kBlockHeaderSize = 12;
constexpr int kBlockData = 500;
constexpr int kBlockOffPrev = 0;
constexpr int kBlockOffNext = 4;
constexpr int kBlockOffUsed = 8;

// ---- Little-endian access ----
inline std::int32_t GetI32(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  std::uint32_t v = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                    std::uint32_t(b[3]) << 24;
  return static_cast<std::int32_t>(v);
}
inline void PutI32(void* p, std::int32_t value) {
  auto* b = static_cast<unsigned char*>(p);
  auto v = static_cast<std::uint32_t>(value);
  b[0] = static_cast<unsigned char>(v);
  b[1] = static_cast<unsigned char>(v >> 8);
  b[2] = static_cast<unsigned char>(v >> 16);
  b[3] = static_cast<unsigned char>(v >> 24);
}
inline std::int16_t GetI16(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<std::int16_t>(std::uint16_t(b[0] | b[1] << 8));
}
inline void PutI16(void* p, std::int16_t value) {
  auto* b = static_cast<unsigned char*>(p);
  auto v = static_cast<std::uint16_t>(value);
  b[0] = static_cast<unsigned char>(v);
  b[1] = static_cast<unsigned char>(v >> 8);
}
inline std::int64_t GetI64(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | b[i];
  return static_cast<std::int64_t>(v);
}
inline void PutI64(void* p, std::int64_t value) {
  auto* b = static_cast<unsigned char*>(p);
  auto v = static_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline float GetF32(const void* p) {
  std::uint32_t u = static_cast<std::uint32_t>(GetI32(p));
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}
inline void PutF32(void* p, float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  PutI32(p, static_cast<std::int32_t>(u));
}
inline double GetF64(const void* p) {
  std::uint64_t u = static_cast<std::uint64_t>(GetI64(p));
  double d;
  std::memcpy(&d, &u, 8);
  return d;
}
inline void PutF64(void* p, double d) {
  std::uint64_t u;
  std::memcpy(&u, &d, 8);
  PutI64(p, static_cast<std::int64_t>(u));
}

}  // namespace recfmt
