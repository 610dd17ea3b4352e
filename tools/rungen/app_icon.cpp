// The program's own icon for desktop menus and task bars: a gold star of favorites on
// the skin's deep blue tile, drawn at each size of the icon theme rather than scaled,
// so the small ones stay sharp.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "encode.h"
#include "palette.h"
#include "rungen.h"

using namespace palette;

namespace {

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
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const std::string n = std::to_string(size);
    out.Write(n + "x" + n + "/apps/vinkabo.png", EncodePng(AppIcon(size)));
  }
}
