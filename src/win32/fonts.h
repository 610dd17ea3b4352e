#pragma once
// The fonts the controls draw with, made once per face, height and weight and kept
// until the backend goes. The window's default font is 宋体 with 12-pixel characters,
// the font the layouts were drawn with.

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "forms/controls.h"

class FontCache {
 public:
  FontCache() = default;
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  // An empty face or a height of 0 takes the default's.
  HFONT Get(const ControlFont& font);
  HFONT Default() { return Get(ControlFont{}); }

 private:
  std::map<std::tuple<std::wstring, int, bool>, HFONT> fonts_;
};

// The face of the window's default font, 宋体.
extern const wchar_t kSongTi[];
inline constexpr int kDefaultFontHeight = 12;
