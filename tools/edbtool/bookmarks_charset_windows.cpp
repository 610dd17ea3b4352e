#include "bookmarks_charset.h"

#include <windows.h>

namespace edbtool {

namespace {

// The Windows code page of an iconv name IconvName gives; 0 for none.
UINT CodePage(const std::string& name) {
  static const struct {
    const char* name;
    UINT page;
  } kPages[] = {{"UTF-8", CP_UTF8},          {"GBK", 936},           {"GB18030", 54936},   {"BIG5", 950},
                {"BIG5-HKSCS", 950},         {"MACINTOSH", 10000},   {"MAC-CYRILLIC", 10007},
                {"SHIFT_JIS", 932},          {"EUC-JP", 20932},      {"EUC-KR", 51949},    {"KOI8-R", 20866},
                {"KOI8-U", 21866},           {"ISO-8859-13", 28603}, {"ISO-8859-15", 28605}};
  for (const auto& p : kPages)
    if (name == p.name) return p.page;
  if (name.rfind("WINDOWS-125", 0) == 0 && name.size() == 12) return 1250 + static_cast<UINT>(name[11] - '0');
  if (name.rfind("ISO-8859-", 0) == 0 && name.size() == 10 && name[9] >= '1' && name[9] <= '9')
    return 28590 + static_cast<UINT>(name[9] - '0');
  return 0;
}

// `bytes` of code page `page` as UTF-16; false when any of them is not valid there.
bool Strict(UINT page, std::string_view bytes, std::wstring& out) {
  if (bytes.empty()) return true;
  const int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return false;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), &out[at], n);
  return true;
}

}  // namespace

bool ToUtf8(std::string_view file, const std::string& iconvName, Utf8Text* out, std::string* error) {
  out->text.clear();
  out->invalidBytes = 0;
  const UINT page = CodePage(iconvName);
  if (page == 0 || !IsValidCodePage(page)) {
    *error = "its character set " + iconvName + " cannot be read on this system";
    return false;
  }
  std::wstring wide;
  // Line by line, and a bad line character by character: a byte no character of the code
  // page starts with is shown as U+FFFD and counted. No code page here uses '\n' inside
  // a character.
  while (!file.empty()) {
    std::size_t end = file.find('\n');
    end = end == std::string_view::npos ? file.size() : end + 1;
    std::string_view line = file.substr(0, end);
    file.remove_prefix(end);
    if (Strict(page, line, wide)) continue;
    while (!line.empty()) {
      std::size_t n = 1;
      while (n <= 4 && n <= line.size() && !Strict(page, line.substr(0, n), wide)) ++n;
      if (n > 4 || n > line.size()) {
        wide += L'\xFFFD';
        ++out->invalidBytes;
        n = 1;
      }
      line.remove_prefix(n);
    }
  }
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  out->text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out->text[0], n, nullptr, nullptr);
  if (out->text.compare(0, 3, "\xEF\xBB\xBF") == 0) out->text.erase(0, 3);
  return true;
}

}  // namespace edbtool
