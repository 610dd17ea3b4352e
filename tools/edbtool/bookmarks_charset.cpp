#include "bookmarks_charset.h"

namespace edbtool {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCopy(std::string_view s) {
  std::string out;
  for (char c : s) out += Lower(c);
  return out;
}

bool IsCharsetChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
}

}  // namespace

std::string DeclaredCharset(std::string_view file) {
  // The head ends where the first list starts; a title or a link may say "charset=" too.
  const std::string lower = LowerCopy(file.substr(0, 64 * 1024));
  const std::size_t end = lower.find("<dl");
  for (std::size_t meta = lower.find("<meta"); meta < end; meta = lower.find("<meta", meta + 5)) {
    const std::size_t close = lower.find('>', meta);
    if (close == std::string::npos) break;
    const std::size_t at = lower.find("charset", meta);
    if (at > close) continue;
    std::size_t p = at + 7;
    while (p < close && (lower[p] == ' ' || lower[p] == '=' || lower[p] == '"' || lower[p] == '\'')) ++p;
    std::size_t q = p;
    while (q < close && IsCharsetChar(lower[q])) ++q;
    if (q > p) return std::string(file.substr(p, q - p));
  }
  return {};
}

std::string IconvName(std::string_view declared) {
  const std::string d = LowerCopy(declared);
  static const struct {
    const char* declared;
    const char* iconv;
  } kAliases[] = {
      {"utf-8", "UTF-8"},         {"utf8", "UTF-8"},           {"unicode-1-1-utf-8", "UTF-8"},
      {"gbk", "GBK"},             {"gb2312", "GBK"},           {"x-gbk", "GBK"},
      {"gb_2312-80", "GBK"},      {"cp936", "GBK"},            {"gb18030", "GB18030"},
      {"big5", "BIG5"},           {"big5-hkscs", "BIG5-HKSCS"}, {"x-mac-roman", "MACINTOSH"},
      {"x-mac-system", "MACINTOSH"}, {"macintosh", "MACINTOSH"}, {"mac", "MACINTOSH"},
      {"x-mac-cyrillic", "MAC-CYRILLIC"}, {"shift_jis", "SHIFT_JIS"}, {"x-sjis", "SHIFT_JIS"},
      {"euc-jp", "EUC-JP"},       {"euc-kr", "EUC-KR"},        {"koi8-r", "KOI8-R"},
      {"koi8-u", "KOI8-U"},       {"us-ascii", "WINDOWS-1252"}, {"ascii", "WINDOWS-1252"},
  };
  for (const auto& a : kAliases)
    if (d == a.declared) return a.iconv;
  // windows-1250 ... windows-1258 (cp125x), iso-8859-1 ... iso-8859-16.
  for (const char* prefix : {"windows-125", "cp125", "x-cp125"})
    if (d.size() == std::string(prefix).size() + 1 && d.rfind(prefix, 0) == 0 && d.back() >= '0' && d.back() <= '8')
      return std::string("WINDOWS-125") + d.back();
  if (d.rfind("iso-8859-", 0) == 0 || d.rfind("iso8859-", 0) == 0) {
    const std::string n = d.substr(d.find("8859-") + 5);
    if (!n.empty() && n.size() <= 2 && n.find_first_not_of("0123456789") == std::string::npos) return "ISO-8859-" + n;
  }
  if (d == "latin1" || d == "iso_8859-1" || d == "l1") return "ISO-8859-1";
  return {};
}

}  // namespace edbtool
