#pragma once
// The text rasterizer of the program: sprite texts drawn with Qt's fonts. The GBK text
// becomes Unicode here and nowhere else on the board's way. Needs a QGuiApplication.

#include <QString>

#include "ui/text_rasterizer.h"

class QtTextRasterizer : public TextRasterizer {
 public:
  Image Render(const Text& text, const SpriteFont& font, Colour colour) override;
};

// The Qt family a sprite font's face name stands for. Windows faces such as 宋体 are not
// on a Linux desktop; they, the default face and any GB2312 font name without an
// installed face of its own map to a Simplified Chinese face of the font database
// (fontconfig's), WenQuanYi Zen Hei when it is there.
QString QtFontFamily(const SpriteFont& font);
