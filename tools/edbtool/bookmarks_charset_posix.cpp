#include "bookmarks_charset.h"

#include <iconv.h>

#include <cerrno>

namespace edbtool {

namespace {

// Writes what the converter still holds (windows-1258 keeps a letter back for a
// combining mark that may follow) and starts it afresh.
void Flush(iconv_t cd, std::string* out) {
  char buffer[64];
  char* o = buffer;
  std::size_t oLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, &o, &oLeft);
  out->append(buffer, static_cast<std::size_t>(o - buffer));
}

}  // namespace

bool ToUtf8(std::string_view file, const std::string& iconvName, Utf8Text* out, std::string* error) {
  out->text.clear();
  out->invalidBytes = 0;
  if (iconvName == "UTF-8" && file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
  iconv_t cd = iconv_open("UTF-8", iconvName.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *error = "its character set " + iconvName + " cannot be read on this system";
    return false;
  }
  out->text.reserve(file.size() + file.size() / 4);
  char* in = const_cast<char*>(file.data());
  std::size_t inLeft = file.size();
  char buffer[16384];
  while (inLeft > 0) {
    char* o = buffer;
    std::size_t oLeft = sizeof buffer;
    const std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out->text.append(buffer, static_cast<std::size_t>(o - buffer));
    if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // A byte the charset has no character for, or a sequence cut off at the end: it is
    // shown as U+FFFD and counted, and reading goes on after it.
    Flush(cd, &out->text);
    ++out->invalidBytes;
    out->text += "\xEF\xBF\xBD";
    ++in;
    --inLeft;
  }
  Flush(cd, &out->text);
  iconv_close(cd);
  if (out->text.substr(0, 3) == "\xEF\xBB\xBF") out->text.erase(0, 3);
  return true;
}

}  // namespace edbtool
