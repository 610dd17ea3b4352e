// pinyingen: turns the Unihan readings (Unihan_Readings.txt on standard input) into the
// table of toneless pinyin syllables the program finds Chinese names by. Written to
// standard output as C++ source.
//
// A character's readings come in this order: kMandarin, kHanyuPinyin, kXHC1983,
// kTGHZ2013, each syllable once; the first few are kept (a name is found by any of them).

#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kMostReadings = 4;
// CJK ideographs of the basic plane: all that GBK can hold.
constexpr unsigned long kFirst = 0x3400, kLast = 0xFAFF;

// One UTF-8 character of a reading, without its tone mark; ü becomes v, as pinyin
// keyboards type it.
std::string Toneless(const std::string& utf8) {
  static const std::map<std::string, std::string> marked = {
      {"ā", "a"}, {"á", "a"}, {"ǎ", "a"}, {"à", "a"}, {"ē", "e"}, {"é", "e"}, {"ě", "e"},
      {"è", "e"}, {"ê", "e"}, {"ế", "e"}, {"ề", "e"}, {"ī", "i"}, {"í", "i"}, {"ǐ", "i"},
      {"ì", "i"}, {"ō", "o"}, {"ó", "o"}, {"ǒ", "o"}, {"ò", "o"}, {"ū", "u"}, {"ú", "u"},
      {"ǔ", "u"}, {"ù", "u"}, {"ü", "v"}, {"ǖ", "v"}, {"ǘ", "v"}, {"ǚ", "v"}, {"ǜ", "v"},
      {"ń", "n"}, {"ň", "n"}, {"ǹ", "n"}, {"ḿ", "m"}, {"\xcc\x84", ""}, {"\xcc\x8c", ""},
      {"\xcc\x81", ""}, {"\xcc\x80", ""}};
  auto it = marked.find(utf8);
  if (it != marked.end()) return it->second;
  if (utf8.size() == 1 && utf8[0] >= 'a' && utf8[0] <= 'z') return utf8;
  if (utf8.size() == 1 && utf8[0] >= 'A' && utf8[0] <= 'Z') return std::string(1, static_cast<char>(utf8[0] - 'A' + 'a'));
  return "?";  // a letter this table does not know: the syllable is dropped
}

std::string Syllable(const std::string& reading) {
  std::string out;
  for (size_t i = 0; i < reading.size();) {
    size_t n = 1;
    const unsigned char c = static_cast<unsigned char>(reading[i]);
    if (c >= 0xF0) n = 4;
    else if (c >= 0xE0) n = 3;
    else if (c >= 0xC0) n = 2;
    out += Toneless(reading.substr(i, n));
    i += n;
  }
  return out.find('?') == std::string::npos ? out : std::string();
}

// The syllables of one field's value: "bǎi", "42643.010:bǎi,bó,mò", "0120.040:cháng 1451.020:zhǎng".
std::vector<std::string> Readings(const std::string& value) {
  std::vector<std::string> out;
  std::istringstream groups(value);
  std::string group;
  while (groups >> group) {
    const size_t colon = group.find(':');
    if (colon != std::string::npos) group = group.substr(colon + 1);
    std::istringstream list(group);
    std::string one;
    while (std::getline(list, one, ',')) out.push_back(Syllable(one));
  }
  return out;
}

int Rank(const std::string& field) {
  if (field == "kMandarin") return 0;
  if (field == "kHanyuPinyin") return 1;
  if (field == "kXHC1983") return 2;
  if (field == "kTGHZ2013") return 3;
  return -1;
}

}  // namespace

int main() {
  // code point -> readings by field rank
  std::map<unsigned long, std::vector<std::string>[4]> found;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.rfind("U+", 0) != 0) continue;
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) continue;
    const int rank = Rank(line.substr(tab1 + 1, tab2 - tab1 - 1));
    if (rank < 0) continue;
    const unsigned long cp = std::stoul(line.substr(2, tab1 - 2), nullptr, 16);
    if (cp < kFirst || cp > kLast) continue;
    found[cp][rank] = Readings(line.substr(tab2 + 1));
  }
  if (found.empty()) {
    std::cerr << "pinyingen: no readings on standard input\n";
    return 1;
  }
  std::cout << "// Made by tools/pinyingen from the Unihan readings; do not edit.\n"
               "#include \"browser/pinyin_table.h\"\n\n"
               "const PinyinEntry kPinyinTable[] = {\n";
  size_t count = 0;
  for (const auto& [cp, ranks] : found) {
    std::vector<std::string> kept;
    for (const auto& list : ranks)
      for (const std::string& s : list) {
        bool seen = s.empty();
        for (const std::string& k : kept) seen = seen || k == s;
        if (!seen && kept.size() < kMostReadings) kept.push_back(s);
      }
    if (kept.empty()) continue;
    std::string joined;
    for (const std::string& k : kept) joined += (joined.empty() ? "" : " ") + k;
    std::cout << "{0x" << std::hex << cp << std::dec << ",\"" << joined << "\"},\n";
    ++count;
  }
  std::cout << "};\nconst size_t kPinyinTableSize = " << count << ";\n";
  return 0;
}
