// The program's own icon for desktop menus and task bars: a gold star of favorites on
// the skin's deep blue tile, drawn at each size of the icon theme rather than scaled,
// so the small ones stay sharp.

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <string>
#include <vector>

#include "encode.h"
#include "palette.h"
#include "rungen.h"

using namespace palette;

namespace {

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

Sdf FivePointStar(float cx, float cy, float outer) {
  constexpr float kPi = 3.14159265f;
  std::vector<float> xy;
  for (int i = 0; i < 10; ++i) {
    float r = (i % 2 == 0) ? outer : outer * 0.45f;
    float a = -kPi / 2 + i * kPi / 5;
    xy.push_back(cx + r * std::cos(a));
    xy.push_back(cy + r * std::sin(a));
  }
  return Polygon(xy);
}

Canvas AppIcon(int size) {
  const float s = static_cast<float>(size);
  const float margin = s / 16;
  Canvas c(size, size);
  Sdf tile = RoundRect(margin, margin, s - margin, s - margin, s * 0.18f);
  if (size >= 32) c.Shadow(tile, WithAlpha(kNavy, 0.45f), s / 48);
  c.Fill(tile, Linear(0, margin, 0, s - margin, {kMid, kDeep, kNavy}));
  if (size >= 24) c.Fill(Ring(tile, std::max(1.0f, s / 64)), Solid(WithAlpha(kSky, 0.6f)));
  Sdf star = FivePointStar(s / 2, s * 0.53f, s * 0.34f);
  if (size >= 32) c.Shadow(star, WithAlpha(kGold, 0.5f), s / 24);
  c.Fill(star, Linear(0, s * 0.2f, 0, s * 0.85f, {kGoldLight, kGold, kAmber}));
  return c;
}

}  // namespace

void WriteAppIcons(const Output& out) {
  for (int size : kIconSizes) {
    const std::string n = std::to_string(size);
    out.Write(n + "x" + n + "/apps/vinkabo.png", EncodePng(AppIcon(size)));
  }
}

void WriteWindowsIcon(const Output& out) {
  // The same pictures in one icon file for the Windows program's resources: PNG
  // entries, as Windows has read them since Vista. A width or height of 256 is
  // written as 0 in the directory.
  std::vector<Bytes> pngs;
  for (int size : kIconSizes) pngs.push_back(EncodePng(AppIcon(size)));
  Bytes ico;
  auto put16 = [&ico](unsigned v) {
    ico.push_back(static_cast<std::uint8_t>(v));
    ico.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto put32 = [&](std::uint32_t v) {
    put16(v & 0xFFFF);
    put16(v >> 16);
  };
  const unsigned count = static_cast<unsigned>(pngs.size());
  put16(0);  // reserved
  put16(1);  // an icon, not a cursor
  put16(count);
  std::uint32_t offset = 6 + 16 * count;
  for (unsigned i = 0; i < count; ++i) {
    const int size = kIconSizes[i];
    ico.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size));
    ico.push_back(static_cast<std::uint8_t>(size == 256 ? 0 : size));
    ico.push_back(0);  // no palette
    ico.push_back(0);
    put16(1);   // planes
    put16(32);  // bits per pixel
    put32(static_cast<std::uint32_t>(pngs[i].size()));
    put32(offset);
    offset += static_cast<std::uint32_t>(pngs[i].size());
  }
  for (const Bytes& png : pngs) ico.insert(ico.end(), png.begin(), png.end());
  out.Write("vinkabo.ico", ico);
}
