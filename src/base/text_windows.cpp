#include "base/text.h"

#include <windows.h>

#include "base/wide_text.h"

namespace {

constexpr UINT kGbk = 936;

// One character of code page `cp` to UTF-16; false when the code page refuses it.
bool CharToWide(UINT cp, std::string_view ch, std::wstring& out) {
  wchar_t buf[4];
  int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, ch.data(), static_cast<int>(ch.size()), buf, 4);
  if (n <= 0) return false;
  out.append(buf, n);
  return true;
}

// Converts `in` character by character: ASCII as it is, every other character through
// code page `cp`, '?' for what the code page refuses.
template <typename LengthFn>
std::wstring ToWide(UINT cp, std::string_view in, LengthFn length) {
  std::wstring out;
  out.reserve(in.size());
  while (!in.empty()) {
    unsigned char c = static_cast<unsigned char>(in[0]);
    if (c < 0x80) {
      out.push_back(c);
      in.remove_prefix(1);
      continue;
    }
    size_t n = length(in);
    if (!CharToWide(cp, in.substr(0, n), out)) out.push_back(L'?');
    in.remove_prefix(n);
  }
  return out;
}

std::string FromWide(UINT cp, std::wstring_view in) {
  std::string out;
  out.reserve(in.size() * 2);
  size_t i = 0;
  while (i < in.size()) {
    wchar_t w = in[i];
    if (w < 0x80) {
      out.push_back(static_cast<char>(w));
      ++i;
      continue;
    }
    size_t n = (w >= 0xD800 && w <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) ? 2 : 1;
    char buf[8];
    BOOL defaulted = FALSE;
    // UTF-8 takes neither a default character nor the flag that reports its use.
    int got = cp == CP_UTF8
                  ? WideCharToMultiByte(cp, WC_ERR_INVALID_CHARS, in.data() + i, static_cast<int>(n), buf, sizeof buf, nullptr, nullptr)
                  : WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, in.data() + i, static_cast<int>(n), buf, sizeof buf, "?", &defaulted);
    if (got <= 0 || defaulted)
      out.push_back('?');
    else
      out.append(buf, got);
    i += n;
  }
  return out;
}

}  // namespace

std::wstring WideFromGbk(std::string_view gbk) { return ToWide(kGbk, gbk, GbkCharLength); }

Text GbkFromWide(std::wstring_view wide) { return FromWide(kGbk, wide); }

std::string GbkToUtf8(std::string_view gbk) { return FromWide(CP_UTF8, WideFromGbk(gbk)); }

Text Utf8ToGbk(std::string_view utf8) { return GbkFromWide(ToWide(CP_UTF8, utf8, Utf8CharLength)); }

Text NumberText(long long value) { return std::to_string(value); }
