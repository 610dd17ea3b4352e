#pragma once
// Turns a sprite's text into a picture. The board model stays toolkit-free: the
// program hands it the Qt rasterizer, tests a simple fake.

#include <cstdint>

#include "base/text.h"
#include "ui/image.h"

// A colour as the Windows RGB macro packs it: 0x00BBGGRR.
using Colour = std::uint32_t;
constexpr Colour RgbColour(int r, int g, int b) {
  return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColourRed(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int ColourGreen(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int ColourBlue(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

// The font a sprite's text is drawn with.
struct SpriteFont {
  Text name;        // GBK face name; empty, or 32 bytes and more, selects the default face
  int height = 12;  // character height in pixels
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charSet = 134;  // GB2312
};

class TextRasterizer {
 public:
  virtual ~TextRasterizer() = default;
  // Renders `text` (GBK; lines separated by CR LF or LF) in `font` and `colour` onto a
  // transparent background, as large as the text's lines. An empty text gives an
  // empty Image.
  virtual Image Render(const Text& text, const SpriteFont& font, Colour colour) = 0;
};
