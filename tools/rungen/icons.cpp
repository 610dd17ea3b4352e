// Site icons: a coloured badge with the site's mark, in several shapes and sizes,
// PNG with real alpha or, for the square tiles, JPEG. Plus the click-to-open picture.

#include <cmath>

#include "encode.h"
#include "glyphs.h"
#include "palette.h"
#include "rungen.h"

using namespace palette;

namespace {

Sdf Hexagon(float cx, float cy, float r, float round) {
  std::vector<float> xy;
  for (int i = 0; i < 6; ++i) {
    float a = 3.14159265f / 6 + i * 3.14159265f / 3;
    xy.push_back(cx + (r - round) * std::cos(a));
    xy.push_back(cy + (r - round) * std::sin(a));
  }
  Sdf p = Polygon(xy);
  return [p, round](float x, float y) { return p(x, y) - round; };
}

Sdf BadgeShape(IconShape shape, float s) {
  float m = s * 0.07f;  // room for the shadow
  switch (shape) {
    case IconShape::kCircle: return Circle(s / 2, s / 2 - m / 3, s / 2 - m);
    case IconShape::kSquircle: return RoundRect(m, m * 0.6f, s - m, s - m * 1.4f, s * 0.34f);
    case IconShape::kHexagon: return Hexagon(s / 2, s / 2 - m / 3, s / 2 - m * 0.6f, s * 0.08f);
    case IconShape::kTile: return RoundRect(-1, -1, s + 1, s + 1, 0);
    default: return RoundRect(m, m * 0.6f, s - m, s - m * 1.4f, s * 0.2f);
  }
}

Canvas SiteIcon(const Site& site) {
  const float s = static_cast<float>(site.size);
  Canvas c(site.size, site.size);
  Color a = Rgb(site.colour), b = Rgb(site.colour2);
  Sdf shape = BadgeShape(site.shape, s);
  bool tile = site.shape == IconShape::kTile;
  if (!tile) {
    Sdf drop = [shape, s](float x, float y) { return shape(x, y - s * 0.04f); };
    c.Shadow(drop, WithAlpha(Rgb(0x000814), 0.45f), s * 0.045f + 0.6f);
  }
  c.Fill(shape, Linear(0, 0, s, s, {Lighter(a, 0.12f), a, b}));
  if (tile) {
    // a few soft diagonal bands give the flat square some depth
    for (int i = 0; i < 3; ++i) {
      float o = s * (0.25f + 0.35f * i);
      c.Fill(Polygon({o, 0, o + s * 0.12f, 0, o - s + s * 0.12f, s, o - s, s}),
             Solid(WithAlpha(kWhite, 0.07f)));
    }
  }
  // gloss across the top half
  Sdf gloss = [shape, s](float x, float y) {
    return std::max(shape(x, y) + s * 0.05f, y - s * 0.46f);
  };
  c.Fill(gloss, Linear(0, 0, 0, s * 0.5f, {WithAlpha(kWhite, 0.34f), WithAlpha(kWhite, 0.06f)}));
  if (!tile) c.Fill(Ring(shape, std::max(1.0f, s / 40)), Solid(WithAlpha(Darker(b, 0.45f), 0.55f)));

  int chars = 0;
  for (unsigned char ch : site.mark)
    if ((ch & 0xC0) != 0x80) ++chars;
  bool cjk = static_cast<unsigned char>(site.mark[0]) >= 0x80;
  float px = chars >= 2 ? s * 0.40f : (cjk ? s * 0.52f : s * 0.60f);
  DrawTextCentered(c, site.mark, {static_cast<int>(std::lround(px)), true}, 0, 0, s,
                   s - (tile ? 0 : s * 0.06f), Solid(kWhite), WithAlpha(Darker(b, 0.6f), 0.65f),
                   0, site.size >= 48 ? 2 : 1);
  return c;
}

Canvas ClickToOpen() {
  const float s = 48;
  Canvas c(48, 48);
  Sdf body = RoundRect(3, 2, s - 3, s - 4, 12);
  c.Shadow(RoundRect(3, 4, s - 3, s - 2, 12), WithAlpha(Rgb(0x000814), 0.5f), 2);
  c.Shadow(body, WithAlpha(kGoldLight, 0.8f), 2.5f);
  c.Fill(body, Linear(0, 2, 0, s - 4, {kGoldLight, kGold, kAmber}));
  c.Fill(Ring(body, 1.5f), Solid(Rgb(0xB86A00)));
  c.Fill(RoundRect(6, 4, s - 6, 20, 9), Solid(WithAlpha(kWhite, 0.4f)));
  Color ink = Rgb(0x5A2E00);
  DrawTextCentered(c, "点击", {14, true}, 0, 6, s, 17, Solid(ink), WithAlpha(kWhite, 0.7f));
  DrawTextCentered(c, "打开", {14, true}, 0, 23, s, 17, Solid(ink), WithAlpha(kWhite, 0.7f));
  return c;
}

bool IsJpeg(const std::string& file) {
  return file.size() > 4 && file.compare(file.size() - 4, 4, ".jpg") == 0;
}

}  // namespace

void WriteIcons(const Output& out, const std::vector<Site>& sites) {
  const std::string dir = "网站图标/";
  for (const Site& site : sites) {
    Canvas icon = SiteIcon(site);
    out.Write(dir + site.file, IsJpeg(site.file) ? EncodeJpeg(icon, 92, kBoard) : EncodePng(icon));
  }
  out.Write(dir + "点击打开.PNG", EncodePng(ClickToOpen()));
  // For favorites brought in from a browser without an icon the program can draw.
  const Site fallback{"", "默认.png", "", "", "", 0, 0, "", "", "网", 0x4A6A8A, 0x7FA3C6, IconShape::kRoundSquare, 48};
  out.Write(dir + fallback.file, EncodePng(SiteIcon(fallback)));
}
