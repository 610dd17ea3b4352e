#include "ui/compositor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// (v + 127) / 255 for v in 0..255*255, without a division.
inline unsigned Div255(unsigned v) {
  v += 128;
  return (v + (v >> 8)) >> 8;
}

BoardRect Clip(BoardRect a, int width, int height) {
  const int l = std::max(0, a.left), t = std::max(0, a.top);
  const long long r = std::min<long long>(width, static_cast<long long>(a.left) + a.width);
  const long long b = std::min<long long>(height, static_cast<long long>(a.top) + a.height);
  if (r <= l || b <= t) return {};
  return {l, t, static_cast<int>(r - l), static_cast<int>(b - t)};
}

BoardRect Intersect(const BoardRect& a, const BoardRect& b) {
  const long long l = std::max(a.left, b.left), t = std::max(a.top, b.top);
  const long long r = std::min(static_cast<long long>(a.left) + a.width,
                               static_cast<long long>(b.left) + b.width);
  const long long btm = std::min(static_cast<long long>(a.top) + a.height,
                                 static_cast<long long>(b.top) + b.height);
  if (r <= l || btm <= t) return {};
  return {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l),
          static_cast<int>(btm - t)};
}

void Fill(Surface& s, const BoardRect& a, Colour c) {
  const std::uint8_t px[4] = {static_cast<std::uint8_t>(ColourRed(c)),
                              static_cast<std::uint8_t>(ColourGreen(c)),
                              static_cast<std::uint8_t>(ColourBlue(c)), 255};
  std::uint8_t* row0 = s.rgba.data() + (static_cast<std::size_t>(a.top) * s.width + a.left) * 4;
  for (int x = 0; x < a.width; ++x) std::memcpy(row0 + x * 4, px, 4);
  for (int y = 1; y < a.height; ++y)
    std::memcpy(row0 + static_cast<std::size_t>(y) * s.width * 4, row0,
                static_cast<std::size_t>(a.width) * 4);
}

void DrawImage(Surface& s, const Image& img, const BoardRect& r, int opacity, int transparent,
               const BoardRect& area) {
  const BoardRect d = Intersect(r, area);
  if (d.empty()) return;
  const unsigned keep = static_cast<unsigned>(100 - std::clamp(opacity, 0, 100));
  if (keep == 0) return;
  const bool keyed = transparent >= 0;
  const std::uint8_t kr = static_cast<std::uint8_t>(ColourRed(transparent));
  const std::uint8_t kg = static_cast<std::uint8_t>(ColourGreen(transparent));
  const std::uint8_t kb = static_cast<std::uint8_t>(ColourBlue(transparent));
  const std::uint8_t* src = img.pixels();
  for (int y = d.top; y < d.top + d.height; ++y) {
    const std::uint8_t* sp4 =
        src + (static_cast<std::size_t>(y - r.top) * r.width + (d.left - r.left)) * 4;
    std::uint8_t* dp = s.rgba.data() + (static_cast<std::size_t>(y) * s.width + d.left) * 4;
    for (int x = 0; x < d.width; ++x, sp4 += 4, dp += 4) {
      unsigned a = sp4[3];
      if (a == 0) continue;
      if (keyed && sp4[0] == kr && sp4[1] == kg && sp4[2] == kb) continue;
      if (keep != 100) a = (a * keep + 50) / 100;
      if (a == 255) {
        dp[0] = sp4[0];
        dp[1] = sp4[1];
        dp[2] = sp4[2];
        continue;
      }
      const unsigned na = 255 - a;
      dp[0] = static_cast<std::uint8_t>(Div255(sp4[0] * a + dp[0] * na));
      dp[1] = static_cast<std::uint8_t>(Div255(sp4[1] * a + dp[1] * na));
      dp[2] = static_cast<std::uint8_t>(Div255(sp4[2] * a + dp[2] * na));
    }
  }
}

void DrawSprite(Surface& s, const Sprite& sp, const BoardRect& area) {
  DrawImage(s, sp.drawn, sp.Rect(), sp.opacity, sp.transparentColour, area);
}

// One frame, nearest source pixel: colours stay exact.
void ScaleNearest(const std::uint8_t* src, int sw, int sh, std::uint8_t* dst, int dw, int dh) {
  std::vector<int> xs(dw);
  for (int x = 0; x < dw; ++x)
    xs[x] = static_cast<int>((static_cast<long long>(x) * 2 + 1) * sw / (2LL * dw));
  for (int y = 0; y < dh; ++y) {
    const int sy = static_cast<int>((static_cast<long long>(y) * 2 + 1) * sh / (2LL * dh));
    const std::uint8_t* row = src + static_cast<std::size_t>(sy) * sw * 4;
    for (int x = 0; x < dw; ++x)
      std::memcpy(dst + (static_cast<std::size_t>(y) * dw + x) * 4, row + xs[x] * 4, 4);
  }
}

// One frame, filtered: the average of the source area under each target pixel
// (bilinear-like when enlarging), weighted by alpha so transparent pixels do not
// darken the edges.
void ScaleFiltered(const std::uint8_t* src, int sw, int sh, std::uint8_t* dst, int dw, int dh) {
  const double fx = static_cast<double>(sw) / dw, fy = static_cast<double>(sh) / dh;
  for (int y = 0; y < dh; ++y) {
    double y0 = y * fy, y1 = (y + 1) * fy;
    if (fy < 1) {  // enlarging: a one-pixel window around the centre
      const double c = (y + 0.5) * fy - 0.5;
      y0 = std::clamp(c, 0.0, sh - 1.0);
      y1 = y0 + 1;
    }
    for (int x = 0; x < dw; ++x) {
      double x0 = x * fx, x1 = (x + 1) * fx;
      if (fx < 1) {
        const double c = (x + 0.5) * fx - 0.5;
        x0 = std::clamp(c, 0.0, sw - 1.0);
        x1 = x0 + 1;
      }
      double acc[4] = {0, 0, 0, 0}, area = 0;
      for (int sy = static_cast<int>(y0); sy < sh && sy < y1; ++sy) {
        const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
        if (wy <= 0) continue;
        for (int sx = static_cast<int>(x0); sx < sw && sx < x1; ++sx) {
          const double wx = std::min<double>(sx + 1, x1) - std::max<double>(sx, x0);
          if (wx <= 0) continue;
          const std::uint8_t* p = src + (static_cast<std::size_t>(sy) * sw + sx) * 4;
          const double w = wx * wy, wa = w * p[3];
          acc[0] += p[0] * wa;
          acc[1] += p[1] * wa;
          acc[2] += p[2] * wa;
          acc[3] += wa;
          area += w;
        }
      }
      std::uint8_t* q = dst + (static_cast<std::size_t>(y) * dw + x) * 4;
      if (acc[3] <= 0 || area <= 0) {
        q[0] = q[1] = q[2] = q[3] = 0;
        continue;
      }
      for (int c = 0; c < 3; ++c)
        q[c] = static_cast<std::uint8_t>(std::clamp(std::lround(acc[c] / acc[3]), 0L, 255L));
      q[3] = static_cast<std::uint8_t>(std::clamp(std::lround(acc[3] / area), 0L, 255L));
    }
  }
}

}  // namespace

void ResizeSurface(Surface& surface, int width, int height) {
  surface.width = std::max(width, 0);
  surface.height = std::max(height, 0);
  surface.rgba.assign(static_cast<std::size_t>(surface.width) * surface.height * 4, 0);
}

void ComposeArea(const SpriteBoardModel& board, Surface& surface, BoardRect area) {
  area = Clip(area, std::min(board.width, surface.width), std::min(board.height, surface.height));
  if (area.empty()) return;
  Fill(surface, area, board.background);
  const Image& back = board.backgroundPicture;
  if (!back.empty())
    DrawImage(surface, back, {0, 0, back.width, back.height}, 0, kNoTransparentColour, area);
  for (const Sprite& sp : board.sprites)
    if (sp.visible && !sp.drawn.empty()) DrawSprite(surface, sp, area);
}

std::vector<BoardRect> ComposeDirty(SpriteBoardModel& board, Surface& surface) {
  if (surface.width != board.width || surface.height != board.height) {
    ResizeSurface(surface, board.width, board.height);
    board.TakeDirty();
    const BoardRect all{0, 0, board.width, board.height};
    ComposeArea(board, surface, all);
    return {all};
  }
  std::vector<BoardRect> areas = board.TakeDirty();
  for (const BoardRect& a : areas) ComposeArea(board, surface, a);
  return areas;
}

Image ScaleImage(const Image& source, int width, int height, bool exactColours) {
  Image out;
  if (source.empty() || width <= 0 || height <= 0) return out;
  out.width = width;
  out.height = height;
  out.currentFrame = source.currentFrame;
  out.frames.resize(source.frames.size());
  for (std::size_t i = 0; i < source.frames.size(); ++i) {
    out.frames[i].delayMs = source.frames[i].delayMs;
    out.frames[i].rgba.resize(static_cast<std::size_t>(width) * height * 4);
    const std::uint8_t* src = source.frames[i].rgba.data();
    if (exactColours)
      ScaleNearest(src, source.width, source.height, out.frames[i].rgba.data(), width, height);
    else
      ScaleFiltered(src, source.width, source.height, out.frames[i].rgba.data(), width, height);
  }
  return out;
}
