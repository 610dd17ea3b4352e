#pragma once
// Texts on pictures: glyphs come from Qt's font engine into a plain coverage mask;
// the pictures themselves never go through Qt's image writers.

#include <string>

#include "canvas.h"

// Must run before the first RenderText: starts an off-screen Qt GUI application.
void StartGlyphs(int argc, char** argv);
// Ends it again, before the program's statics go.
void StopGlyphs();

struct TextStyle {
  int pixelSize = 12;
  bool bold = false;
  std::string family = "WenQuanYi Zen Hei";
};

// The ink of `utf8` cropped to its pixels (so centring is by the glyphs themselves,
// not by the font's line box). An empty text gives an empty mask.
Mask RenderText(const std::string& utf8, const TextStyle& style);

// Draws the text centred in the box (x, y, w, h), with an optional soft shadow.
void DrawTextCentered(Canvas& canvas, const std::string& utf8, const TextStyle& style, float x,
                      float y, float w, float h, const Paint& paint, Color shadow = {},
                      int shadowDx = 0, int shadowDy = 1);
