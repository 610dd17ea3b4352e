#pragma once
// On Windows every text goes to the W functions as UTF-16, converted from GBK through
// code page 936 explicitly: the machine's own ANSI code page may be anything.

#include <string>
#include <string_view>

#include "base/text.h"

// GBK -> UTF-16. Bytes that are not valid GBK become '?'.
std::wstring WideFromGbk(std::string_view gbk);

// UTF-16 -> GBK. A character GBK cannot hold becomes '?'.
Text GbkFromWide(std::wstring_view wide);

// A program path as the W file functions take it.
inline std::wstring WidePath(const Text& program_path) { return WideFromGbk(program_path); }
