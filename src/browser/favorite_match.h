#pragma once
// Whether a favorite is found by what the user typed: the text (letters in any case) in
// its name or its address, or the pinyin of its Chinese name, each character by its
// whole syllable or its first letter ("baidu" and "bd" find 百度, "tbw" 淘宝网, "qqkj"
// QQ空间); the last syllable may still be half typed.

#include <string>
#include <string_view>

#include "program/keyboard_state.h"
#include "storage/records.h"

// The favorite's name and address as the search reads them.
SearchKeys MakeSearchKeys(const FavoriteRecord& record);

// The typed text (GBK) as the search compares it: UTF-8, ASCII letters in lower case.
std::string SearchQuery(const Text& typed);

// `query` as SearchQuery makes it; an empty query finds nothing.
bool SearchMatches(const SearchKeys& keys, std::string_view query);

// Only the pinyin rule of SearchMatches, over the name's characters.
bool PinyinMatches(const std::vector<SearchUnit>& units, std::string_view query);
