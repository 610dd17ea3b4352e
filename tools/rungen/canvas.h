#pragma once
// A floating-point RGBA drawing surface. Every shape is drawn from a signed distance
// function, so edges come out anti-aliased without any toolkit, and the same inputs
// give the same pixels on every run.

#include <cstdint>
#include <functional>
#include <vector>

struct Color {
  float r = 0, g = 0, b = 0, a = 0;  // straight (not premultiplied) alpha, 0..1
};

Color Rgb(std::uint32_t rgb, float alpha = 1.0f);
Color Mix(Color a, Color b, float t);
Color Lighter(Color c, float amount);  // toward white
Color Darker(Color c, float amount);   // toward black
Color WithAlpha(Color c, float alpha);

// Negative inside the shape, positive outside, in pixels.
using Sdf = std::function<float(float x, float y)>;
// Colour of the paint at a point.
using Paint = std::function<Color(float x, float y)>;

Sdf RoundRect(float x0, float y0, float x1, float y1, float radius);
Sdf Circle(float cx, float cy, float r);
Sdf Capsule(float ax, float ay, float bx, float by, float r);  // a thick line with round ends
Sdf Polygon(std::vector<float> xy);                            // x0,y0,x1,y1,... closed
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);
Sdf Ring(Sdf shape, float thickness);  // a band along the outline of another shape

Paint Solid(Color c);
// Gradient along the line from (x0,y0) to (x1,y1), colours spread evenly over it.
Paint Linear(float x0, float y0, float x1, float y1, std::vector<Color> stops);
Paint Radial(float cx, float cy, float r, Color inner, Color outer);

// Coverage of a glyph run or any other alpha-only picture.
struct Mask {
  int width = 0, height = 0;
  std::vector<float> alpha;
  float at(int x, int y) const { return alpha[static_cast<size_t>(y) * width + x]; }
};

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height, Color fill = {});

  int width() const { return width_; }
  int height() const { return height_; }
  Color& at(int x, int y) { return px_[static_cast<size_t>(y) * width_ + x]; }
  const Color& at(int x, int y) const { return px_[static_cast<size_t>(y) * width_ + x]; }

  // Source-over of `c` at one pixel, with the coverage multiplied into its alpha.
  void Blend(int x, int y, Color c, float coverage);
  void Fill(const Sdf& shape, const Paint& paint);
  // A blurred copy of the shape, for drop shadows and glows.
  void Shadow(const Sdf& shape, Color c, float blur);
  void DrawMask(const Mask& m, int x, int y, const Paint& paint);
  void Draw(const Canvas& src, int x, int y, float opacity = 1.0f);
  Canvas Crop(int x, int y, int w, int h) const;
  // Grey film noise with a fixed seed, so large flat areas do not band in JPEG.
  void Grain(std::uint32_t seed, float amount);

  // 8-bit RGBA, rounded; what the encoders take.
  std::vector<std::uint8_t> Rgba8() const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<Color> px_;
};
