// Icon and cursor files: a directory of entries, each a PNG or a BMP body. The
// largest, deepest entry that decodes is the picture.

#include <algorithm>
#include <cstring>

#include "ui/picture_formats.h"

namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::size_t kMaxEntriesTried = 8;

struct Entry {
  int side;  // width * height as the directory states it (0 means 256)
  int bpp;
  std::uint32_t size, offset;
};

}  // namespace

Image DecodeIco(const std::uint8_t* data, std::size_t size) {
  if (size < 6 || U16(data) != 0) return Image();
  const std::uint32_t type = U16(data + 2), count = U16(data + 4);
  if ((type != 1 && type != 2) || count == 0 || size < 6 + 16 * static_cast<std::size_t>(count)) return Image();
  std::vector<Entry> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* e = data + 6 + 16 * i;
    int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    Entry entry{w * h, type == 1 ? static_cast<int>(U16(e + 6)) : 0, U32(e + 8), U32(e + 12)};
    if (entry.offset >= size || entry.size == 0) continue;
    entry.size = static_cast<std::uint32_t>(std::min<std::size_t>(entry.size, size - entry.offset));
    entries.push_back(entry);
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.side != b.side ? a.side > b.side : a.bpp > b.bpp;
  });
  // Real icons hold a handful of entries. A directory of thousands pointing at one
  // damaged body would decode it thousands of times: each body is tried once, and
  // only the first few.
  std::vector<std::uint32_t> tried;
  for (const Entry& e : entries) {
    if (std::find(tried.begin(), tried.end(), e.offset) != tried.end()) continue;
    if (tried.size() == kMaxEntriesTried) break;
    tried.push_back(e.offset);
    const std::uint8_t* body = data + e.offset;
    Image image = e.size >= 8 && std::memcmp(body, "\x89PNG\r\n\x1a\n", 8) == 0
                      ? DecodePng(body, e.size)
                      : DecodeDib(body, e.size, true);
    if (!image.empty()) return image;
  }
  return Image();
}
