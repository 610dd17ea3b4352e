#pragma once
// The toneless pinyin readings of the CJK ideographs, made at build time from Debian's
// Unihan data by tools/pinyingen. Sorted by code point; the syllables of one character
// are separated by spaces, its most common reading first.

#include <cstddef>

struct PinyinEntry {
  char32_t codePoint;
  const char* syllables;
};

extern const PinyinEntry kPinyinTable[];
extern const size_t kPinyinTableSize;

// The syllables of `c` ("bai bo mo" for 百); null for a character without readings.
const char* PinyinReadings(char32_t c);
