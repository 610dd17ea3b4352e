#pragma once
// Every text the program holds, stores or compares is GBK (code page 936) bytes.
// Unicode appears only at the edges: the window toolkit and the host file system.

#include <cstddef>
#include <string>
#include <string_view>

using Text = std::string;

// GBK -> UTF-8. Bytes that are not valid GBK become '?'.
std::string GbkToUtf8(std::string_view gbk);

// UTF-8 -> GBK. A character GBK cannot hold, or a byte that is not valid UTF-8, becomes '?'.
Text Utf8ToGbk(std::string_view utf8);

// The program's own texts are written in the sources as UTF-8 literals; GBK("...")
// gives their GBK bytes, converted once at the place of use and kept.
#define GBK(utf8_literal)                                      \
  ([]() -> const Text& {                                       \
    static const Text converted = Utf8ToGbk(utf8_literal);     \
    return converted;                                          \
  }())

// Length of the character at the start of a non-empty `s`, 1 for a byte that starts none.
std::size_t GbkCharLength(std::string_view s);
std::size_t Utf8CharLength(std::string_view s);

// Decimal text of a number, as the program shows numbers in its messages.
Text NumberText(long long value);
