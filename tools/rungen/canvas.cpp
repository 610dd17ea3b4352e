#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace {

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

float Smooth(float e0, float e1, float x) {
  float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

}  // namespace

Color Rgb(std::uint32_t rgb, float alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f,
          alpha};
}

Color Mix(Color a, Color b, float t) {
  t = Clamp01(t);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Color Lighter(Color c, float amount) { return Mix(c, {1, 1, 1, c.a}, amount); }
Color Darker(Color c, float amount) { return Mix(c, {0, 0, 0, c.a}, amount); }
Color WithAlpha(Color c, float alpha) { return {c.r, c.g, c.b, alpha}; }

Sdf RoundRect(float x0, float y0, float x1, float y1, float radius) {
  float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  float hx = (x1 - x0) / 2, hy = (y1 - y0) / 2;
  float r = std::min(radius, std::min(hx, hy));
  return [=](float x, float y) {
    float qx = std::fabs(x - cx) - (hx - r);
    float qy = std::fabs(y - cy) - (hy - r);
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
  };
}

Sdf Circle(float cx, float cy, float r) {
  return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

Sdf Capsule(float ax, float ay, float bx, float by, float r) {
  return [=](float x, float y) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float h = len2 > 0 ? Clamp01((px * dx + py * dy) / len2) : 0.0f;
    return std::hypot(px - dx * h, py - dy * h) - r;
  };
}

Sdf Polygon(std::vector<float> xy) {
  return [xy = std::move(xy)](float x, float y) {
    size_t n = xy.size() / 2;
    float d = 1e30f;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
      float ex = xj - xi, ey = yj - yi, wx = x - xi, wy = y - yi;
      float len2 = ex * ex + ey * ey;
      float h = len2 > 0 ? Clamp01((wx * ex + wy * ey) / len2) : 0.0f;
      d = std::min(d, std::hypot(wx - ex * h, wy - ey * h));
      if (((yi > y) != (yj > y)) && (x < (xj - xi) * (y - yi) / (yj - yi) + xi)) inside = !inside;
    }
    return inside ? -d : d;
  };
}

Sdf Union(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Sdf Subtract(Sdf a, Sdf b) {
  return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf Ring(Sdf shape, float thickness) {
  return [=](float x, float y) { return std::fabs(shape(x, y) + thickness / 2) - thickness / 2; };
}

Paint Solid(Color c) {
  return [=](float, float) { return c; };
}

Paint Linear(float x0, float y0, float x1, float y1, std::vector<Color> stops) {
  float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  return [=](float x, float y) {
    float t = len2 > 0 ? Clamp01(((x - x0) * dx + (y - y0) * dy) / len2) : 0.0f;
    if (stops.size() == 1) return stops[0];
    float pos = t * static_cast<float>(stops.size() - 1);
    size_t i = std::min(static_cast<size_t>(pos), stops.size() - 2);
    return Mix(stops[i], stops[i + 1], pos - static_cast<float>(i));
  };
}

Paint Radial(float cx, float cy, float r, Color inner, Color outer) {
  return [=](float x, float y) { return Mix(inner, outer, std::hypot(x - cx, y - cy) / r); };
}

Canvas::Canvas(int width, int height, Color fill)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height, fill) {}

void Canvas::Blend(int x, int y, Color c, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  float sa = Clamp01(c.a * coverage);
  if (sa <= 0) return;
  Color& d = at(x, y);
  float oa = sa + d.a * (1 - sa);
  if (oa <= 0) {
    d = {};
    return;
  }
  d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
  d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
  d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
  d.a = oa;
}

void Canvas::Fill(const Sdf& shape, const Paint& paint) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float fx = x + 0.5f, fy = y + 0.5f;
      float cov = Clamp01(0.5f - shape(fx, fy));
      if (cov > 0) Blend(x, y, paint(fx, fy), cov);
    }
}

void Canvas::Shadow(const Sdf& shape, Color c, float blur) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      float cov = 1 - Smooth(-blur, blur, shape(x + 0.5f, y + 0.5f));
      if (cov > 0) Blend(x, y, c, cov);
    }
}

void Canvas::DrawMask(const Mask& m, int x, int y, const Paint& paint) {
  for (int my = 0; my < m.height; ++my)
    for (int mx = 0; mx < m.width; ++mx) {
      float cov = m.at(mx, my);
      if (cov > 0) Blend(x + mx, y + my, paint(x + mx + 0.5f, y + my + 0.5f), cov);
    }
}

void Canvas::Draw(const Canvas& src, int x, int y, float opacity) {
  for (int sy = 0; sy < src.height(); ++sy)
    for (int sx = 0; sx < src.width(); ++sx) Blend(x + sx, y + sy, src.at(sx, sy), opacity);
}

Canvas Canvas::Crop(int x, int y, int w, int h) const {
  Canvas out(w, h);
  for (int cy = 0; cy < h; ++cy)
    for (int cx = 0; cx < w; ++cx) {
      int sx = x + cx, sy = y + cy;
      if (sx >= 0 && sy >= 0 && sx < width_ && sy < height_) out.at(cx, cy) = at(sx, sy);
    }
  return out;
}

void Canvas::Grain(std::uint32_t seed, float amount) {
  std::uint32_t s = seed ? seed : 1;
  for (Color& c : px_) {
    // xorshift32: fixed seed, fixed sequence
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    float n = (static_cast<float>(s & 0xFFFF) / 65535.0f - 0.5f) * amount;
    c.r = Clamp01(c.r + n);
    c.g = Clamp01(c.g + n);
    c.b = Clamp01(c.b + n);
  }
}

std::vector<std::uint8_t> Canvas::Rgba8() const {
  std::vector<std::uint8_t> out;
  out.reserve(px_.size() * 4);
  auto q = [](float v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0f)); };
  for (const Color& c : px_) {
    out.push_back(q(c.r));
    out.push_back(q(c.g));
    out.push_back(q(c.b));
    out.push_back(q(c.a));
  }
  return out;
}
