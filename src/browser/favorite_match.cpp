#include "browser/favorite_match.h"

#include <cstdint>

#include "browser/pinyin_table.h"

namespace {

void LowerAscii(std::string& s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

// Length of the UTF-8 character starting with `lead` (1 for a stray byte).
size_t CharLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

char32_t CodePoint(std::string_view c) {
  const auto b = [&](size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(c[i])); };
  switch (c.size()) {
    case 2: return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3: return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    case 4: return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    default: return b(0);
  }
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

SearchKeys MakeSearchKeys(const FavoriteRecord& record) {
  SearchKeys keys;
  keys.name = GbkToUtf8(record.siteName);
  keys.address = GbkToUtf8(record.address);
  LowerAscii(keys.name);
  LowerAscii(keys.address);
  for (size_t i = 0; i < keys.name.size();) {
    size_t n = CharLength(static_cast<unsigned char>(keys.name[i]));
    if (i + n > keys.name.size()) n = keys.name.size() - i;
    SearchUnit unit;
    unit.text = keys.name.substr(i, n);
    if (n > 1) unit.syllables = PinyinReadings(CodePoint(unit.text));
    keys.units.push_back(std::move(unit));
    i += n;
  }
  return keys;
}

std::string SearchQuery(const Text& typed) {
  std::string q = GbkToUtf8(typed);
  LowerAscii(q);
  return q;
}

bool PinyinMatches(const std::vector<SearchUnit>& units, std::string_view query) {
  const size_t m = query.size();
  // Query positions as bits: a longer text is no pinyin anyone types.
  if (m == 0 || m > 63) return false;
  const std::uint64_t done = std::uint64_t{1} << m;
  std::uint64_t reach = 0;  // bit p: query[0, p) is matched by the characters just before
  for (const SearchUnit& unit : units) {
    reach |= 1;  // a match may begin at any character
    std::uint64_t next = 0;
    for (size_t p = 0; p < m; ++p) {
      if (!(reach >> p & 1)) continue;
      const std::string_view rest = query.substr(p);
      if (StartsWith(rest, unit.text)) next |= std::uint64_t{1} << (p + unit.text.size());
      if (!unit.syllables) continue;
      std::string_view all(unit.syllables);
      while (!all.empty()) {
        const size_t space = all.find(' ');
        const std::string_view syllable = all.substr(0, space);
        all = space == std::string_view::npos ? std::string_view() : all.substr(space + 1);
        if (syllable.empty()) continue;
        if (StartsWith(rest, syllable)) next |= std::uint64_t{1} << (p + syllable.size());
        else if (StartsWith(syllable, rest)) return true;  // the last syllable, half typed
        if (rest[0] == syllable[0]) next |= std::uint64_t{1} << (p + 1);
      }
    }
    if (next & done) return true;
    reach = next;
  }
  return false;
}

bool SearchMatches(const SearchKeys& keys, std::string_view query) {
  if (query.empty()) return false;
  if (keys.name.find(query) != std::string::npos) return true;
  if (keys.address.find(query) != std::string::npos) return true;
  return PinyinMatches(keys.units, query);
}
