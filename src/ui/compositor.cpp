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

// Source pixels under one target pixel along one axis, with their coverage.
struct Tap {
  int index;
  float weight;
};
struct AxisTaps {
  std::vector<int> first;  // first[i] .. first[i + 1]: the taps of target pixel i
  std::vector<Tap> taps;
};

// Shrinking averages the source area under each target pixel; enlarging takes a
// one-pixel window around the target pixel's centre (bilinear-like).
AxisTaps TapsFor(int source, int target) {
  AxisTaps a;
  a.first.resize(static_cast<std::size_t>(target) + 1);
  const double f = static_cast<double>(source) / target;
  for (int i = 0; i < target; ++i) {
    double p0 = i * f, p1 = (i + 1) * f;
    if (f < 1) {
      p0 = std::clamp((i + 0.5) * f - 0.5, 0.0, source - 1.0);
      p1 = p0 + 1;
    }
    a.first[i] = static_cast<int>(a.taps.size());
    for (int k = static_cast<int>(p0); k < source && k < p1; ++k) {
      const double w = std::min<double>(k + 1, p1) - std::max<double>(k, p0);
      if (w > 0) a.taps.push_back({k, static_cast<float>(w)});
    }
  }
  a.first[target] = static_cast<int>(a.taps.size());
  return a;
}

std::uint8_t RoundToByte(float v) {
  return static_cast<std::uint8_t>(std::clamp(static_cast<int>(v + 0.5f), 0, 255));
}

// One frame, filtered, weighted by alpha so transparent pixels do not darken the
// edges: premultiplied, then one pass across and one down, each over its taps worked
// out once per picture. A page turn scales thirty icons, so this is on its path.
void ScaleFiltered(const std::uint8_t* src, int sw, int sh, std::uint8_t* dst, int dw, int dh) {
  const AxisTaps xs = TapsFor(sw, dw), ys = TapsFor(sh, dh);
  // Across: every source row premultiplied, then taken to the target width.
  std::vector<float> across(static_cast<std::size_t>(dw) * sh * 4);
  std::vector<float> premultiplied(static_cast<std::size_t>(sw) * 4);
  for (int y = 0; y < sh; ++y) {
    const std::uint8_t* row = src + static_cast<std::size_t>(y) * sw * 4;
    float* __restrict pm = premultiplied.data();
    for (int i = 0; i < sw * 4; i += 4) {
      const float a = row[i + 3];
      pm[i] = row[i] * a;
      pm[i + 1] = row[i + 1] * a;
      pm[i + 2] = row[i + 2] * a;
      pm[i + 3] = a;
    }
    float* __restrict out = across.data() + static_cast<std::size_t>(y) * dw * 4;
    for (int x = 0; x < dw; ++x, out += 4) {
      out[0] = out[1] = out[2] = out[3] = 0;
      for (int t = xs.first[x]; t < xs.first[x + 1]; ++t) {
        const float* p = pm + static_cast<std::size_t>(xs.taps[t].index) * 4;
        const float w = xs.taps[t].weight;
        out[0] += p[0] * w;
        out[1] += p[1] * w;
        out[2] += p[2] * w;
        out[3] += p[3] * w;
      }
    }
  }
  // Down: the rows of taps summed, then back to straight colours.
  std::vector<float> sum(static_cast<std::size_t>(dw) * 4);
  std::vector<float> inverseAreaX(dw);
  for (int x = 0; x < dw; ++x) {
    float area = 0;
    for (int t = xs.first[x]; t < xs.first[x + 1]; ++t) area += xs.taps[t].weight;
    inverseAreaX[x] = area > 0 ? 1.0f / area : 0.0f;
  }
  const int n = dw * 4;
  for (int y = 0; y < dh; ++y) {
    float* __restrict acc = sum.data();
    std::fill(acc, acc + n, 0.0f);
    float areaY = 0;
    for (int t = ys.first[y]; t < ys.first[y + 1]; ++t) {
      const float w = ys.taps[t].weight;
      const float* __restrict row = across.data() + static_cast<std::size_t>(ys.taps[t].index) * n;
      // Four channels a step, so the compiler can do them as one vector operation.
      for (int i = 0; i < n; i += 4) {
        acc[i] += row[i] * w;
        acc[i + 1] += row[i + 1] * w;
        acc[i + 2] += row[i + 2] * w;
        acc[i + 3] += row[i + 3] * w;
      }
      areaY += w;
    }
    const float inverseAreaY = areaY > 0 ? 1.0f / areaY : 0.0f;
    std::uint8_t* q = dst + static_cast<std::size_t>(y) * dw * 4;
    for (int x = 0; x < dw; ++x, q += 4) {
      const float* v = &sum[static_cast<std::size_t>(x) * 4];
      if (v[3] <= 0 || inverseAreaX[x] <= 0 || inverseAreaY <= 0) {
        q[0] = q[1] = q[2] = q[3] = 0;
        continue;
      }
      const float inv = 1.0f / v[3];
      q[0] = RoundToByte(v[0] * inv);
      q[1] = RoundToByte(v[1] * inv);
      q[2] = RoundToByte(v[2] * inv);
      q[3] = RoundToByte(v[3] * inverseAreaX[x] * inverseAreaY);
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
