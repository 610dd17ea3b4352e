#include <algorithm>

#include "browser/pinyin_table.h"

const char* PinyinReadings(char32_t c) {
  const PinyinEntry* end = kPinyinTable + kPinyinTableSize;
  const PinyinEntry* it = std::lower_bound(kPinyinTable, end, c,
                                           [](const PinyinEntry& e, char32_t v) { return e.codePoint < v; });
  return it != end && it->codePoint == c ? it->syllables : nullptr;
}
