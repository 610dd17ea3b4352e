#include "base/text.h"

// Length of the GBK character at the start of `s`: two bytes for a lead and trail pair.
std::size_t GbkCharLength(std::string_view s) {
  unsigned char c = static_cast<unsigned char>(s[0]);
  if (c >= 0x81 && c <= 0xFE && s.size() >= 2) {
    unsigned char t = static_cast<unsigned char>(s[1]);
    if (t >= 0x40 && t <= 0xFE && t != 0x7F) return 2;
  }
  return 1;
}

// Length of the UTF-8 character at the start of `s` (1 for a stray byte).
std::size_t Utf8CharLength(std::string_view s) {
  unsigned char c = static_cast<unsigned char>(s[0]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
  if (n > s.size()) return s.size();
  for (size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return i;
  return n;
}
