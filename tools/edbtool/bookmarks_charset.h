#pragma once
// The character set a bookmarks file declares in its <META> (charset=... or
// http-equiv content="...; charset=..."), and the file's text in UTF-8 through iconv.
// Browsers of the last decades write UTF-8; older ones wrote their system's code page
// (x-mac-roman, windows-1252, GBK) and said so there.

#include <string>
#include <string_view>

namespace edbtool {

// The charset named by the first <META> before the first list, as written; empty for none.
std::string DeclaredCharset(std::string_view file);

// The iconv name for a declared charset (x-mac-roman and X-MAC-SYSTEM are Mac OS Roman,
// GB2312 is read as GBK as browsers do); empty when this program does not know it.
std::string IconvName(std::string_view declared);

struct Utf8Text {
  std::string text;  // UTF-8; each invalid byte became U+FFFD
  int invalidBytes = 0;
};

// `file` read as `iconvName` into UTF-8 (through iconv; on Windows its code pages), a
// leading BOM dropped. False with `*error` when this system cannot read that charset.
bool ToUtf8(std::string_view file, const std::string& iconvName, Utf8Text* out, std::string* error);

}  // namespace edbtool
