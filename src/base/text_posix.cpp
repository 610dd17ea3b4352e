#include "base/text.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace {

// One converter per direction, shared; iconv state is reset on every call.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }

  // Converts `in`; an unconvertible or invalid sequence becomes '?' and the
  // input is resumed after `skip_invalid(rest)` bytes.
  template <typename SkipFn>
  std::string Run(std::string_view in, SkipFn skip_invalid) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      for (unsigned char c : in) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
      return out;
    }
    std::lock_guard<std::mutex> lock(mu_);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[1024];
    while (left > 0) {
      char* dst = buf;
      size_t room = sizeof buf;
      size_t r = iconv(cd_, &src, &left, &dst, &room);
      out.append(buf, dst - buf);
      if (r == static_cast<size_t>(-1)) {
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut off at the end): one '?' for it.
        out.push_back('?');
        size_t n = skip_invalid(std::string_view(src, left));
        src += n;
        left -= n;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
  std::mutex mu_;
};

Converter& ToUtf8() {
  static Converter c("UTF-8", "CP936");
  return c;
}
Converter& ToGbk() {
  static Converter c("CP936", "UTF-8");
  return c;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) { return ToUtf8().Run(gbk, GbkCharLength); }

Text Utf8ToGbk(std::string_view utf8) { return ToGbk().Run(utf8, Utf8CharLength); }

Text NumberText(long long value) { return std::to_string(value); }
