// The skin: the window background, the frame and add buttons, the category and page
// buttons, and the two small tile buttons. Sizes are those of the window layout.

#include <cmath>
#include <string>

#include "encode.h"
#include "glyphs.h"
#include "palette.h"
#include "rungen.h"

using namespace palette;

namespace {

constexpr float kPi = 3.14159265f;

// --- small pictograms, drawn into a box centred at (cx, cy), about s pixels wide ---

Sdf Star(float cx, float cy, float s) {
  std::vector<float> xy;
  for (int i = 0; i < 10; ++i) {
    float r = (i % 2 == 0) ? s / 2 : s / 4.6f;
    float a = -kPi / 2 + i * kPi / 5;
    xy.push_back(cx + r * std::cos(a));
    xy.push_back(cy + r * std::sin(a));
  }
  return Polygon(xy);
}

Sdf Book(float cx, float cy, float s) {
  float h = s * 0.42f;
  Sdf left = RoundRect(cx - s / 2, cy - h, cx - 0.8f, cy + h, 1.5f);
  Sdf right = RoundRect(cx + 0.8f, cy - h, cx + s / 2, cy + h, 1.5f);
  Sdf pages = Union(Capsule(cx - s / 2 + 3, cy - h / 3, cx - 3, cy - h / 3, 0.6f),
                    Capsule(cx + 3, cy - h / 3, cx + s / 2 - 3, cy - h / 3, 0.6f));
  return Subtract(Union(left, right), pages);
}

Sdf Bubble(float cx, float cy, float s) {
  Sdf body = RoundRect(cx - s / 2, cy - s * 0.38f, cx + s / 2, cy + s * 0.22f, 4);
  Sdf tail = Polygon({cx - s * 0.25f, cy + s * 0.15f, cx - s * 0.05f, cy + s * 0.15f,
                      cx - s * 0.32f, cy + s * 0.45f});
  Sdf dots = Union(Circle(cx - s * 0.22f, cy - s * 0.08f, 1.2f),
                   Union(Circle(cx, cy - s * 0.08f, 1.2f), Circle(cx + s * 0.22f, cy - s * 0.08f, 1.2f)));
  return Subtract(Union(body, tail), dots);
}

Sdf DownArrow(float cx, float cy, float s) {
  Sdf shaft = RoundRect(cx - s * 0.12f, cy - s / 2, cx + s * 0.12f, cy + s * 0.05f, 1);
  Sdf head = Polygon({cx - s * 0.36f, cy - s * 0.02f, cx + s * 0.36f, cy - s * 0.02f, cx, cy + s * 0.34f});
  Sdf tray = RoundRect(cx - s / 2, cy + s * 0.38f, cx + s / 2, cy + s / 2, 1);
  return Union(Union(shaft, head), tray);
}

Sdf PlayCircle(float cx, float cy, float s) {
  Sdf disc = Circle(cx, cy, s / 2);
  Sdf tri = Polygon({cx - s * 0.14f, cy - s * 0.24f, cx - s * 0.14f, cy + s * 0.24f, cx + s * 0.26f, cy});
  return Subtract(disc, tri);
}

Sdf Cart(float cx, float cy, float s) {
  Sdf basket = Polygon({cx - s * 0.42f, cy - s * 0.30f, cx + s * 0.48f, cy - s * 0.30f,
                        cx + s * 0.32f, cy + s * 0.16f, cx - s * 0.26f, cy + s * 0.16f});
  Sdf handle = Capsule(cx - s / 2, cy - s * 0.42f, cx - s * 0.38f, cy - s * 0.30f, 1.0f);
  Sdf wheels = Union(Circle(cx - s * 0.18f, cy + s * 0.36f, s * 0.11f),
                     Circle(cx + s * 0.24f, cy + s * 0.36f, s * 0.11f));
  return Union(Union(basket, handle), wheels);
}

Sdf Gamepad(float cx, float cy, float s) {
  Sdf body = Capsule(cx - s * 0.28f, cy, cx + s * 0.28f, cy, s * 0.26f);
  Sdf cross = Union(RoundRect(cx - s * 0.36f, cy - 0.9f, cx - s * 0.12f, cy + 0.9f, 0.5f),
                    RoundRect(cx - s * 0.24f - 0.9f, cy - s * 0.12f, cx - s * 0.24f + 0.9f, cy + s * 0.12f, 0.5f));
  Sdf buttons = Union(Circle(cx + s * 0.2f, cy - s * 0.06f, 1.3f), Circle(cx + s * 0.32f, cy + s * 0.07f, 1.3f));
  return Subtract(body, Union(cross, buttons));
}

Sdf Phone(float cx, float cy, float s) {
  Sdf outer = RoundRect(cx - s * 0.3f, cy - s / 2, cx + s * 0.3f, cy + s / 2, 2.5f);
  Sdf screen = RoundRect(cx - s * 0.2f, cy - s * 0.36f, cx + s * 0.2f, cy + s * 0.26f, 0.8f);
  Sdf home = Circle(cx, cy + s * 0.38f, 1.1f);
  return Subtract(outer, Union(screen, home));
}

Sdf Pictogram(int button, float cx, float cy, float s) {
  switch (button) {
    case 1: return Star(cx, cy, s * 1.1f);
    case 2: return Book(cx, cy, s);
    case 3: return Bubble(cx, cy, s);
    case 4: return DownArrow(cx, cy, s);
    case 5: return PlayCircle(cx, cy, s);
    case 6: return Cart(cx, cy, s);
    case 7: return Gamepad(cx, cy, s * 1.15f);
    default: return Phone(cx, cy, s);
  }
}

// --- the window background ---

Canvas Background() {
  const int W = 800, H = 650;
  Canvas bg(W, H, kDeep);
  // header: deep to mid blue, with a faint sheen of diagonal light
  bg.Fill(RoundRect(-10, -10, W + 10, 107, 0), Linear(0, 0, 0, 107, {kNavy, kDeep, kMid}));
  for (int i = 0; i < 5; ++i) {
    float x = 180.0f + i * 140;
    bg.Fill(Polygon({x, 0, x + 60 + i * 8.0f, 0, x - 20 + i * 8.0f, 107, x - 80, 107}),
            Solid(WithAlpha(kWhite, 0.035f)));
  }
  bg.Fill(RoundRect(-10, -10, W + 10, 26, 0), Linear(0, 0, 0, 26, {WithAlpha(kNavy, 0.85f), WithAlpha(kNavy, 0.35f)}));
  bg.Fill(RoundRect(0, 26, W, 27, 0), Solid(WithAlpha(kSky, 0.25f)));
  DrawTextCentered(bg, "Vinkabo_Tamsor专用", {12, false}, 8, 3, 140, 20, Solid(WithAlpha(kIce, 0.85f)));

  // the logo: a gold bookmark star on a glossy tile
  bg.Shadow(RoundRect(26, 38, 82, 94, 12), WithAlpha(kNavy, 0.6f), 5);
  bg.Fill(RoundRect(24, 34, 80, 90, 12), Linear(24, 34, 24, 90, {Rgb(0x3D8BFF), Rgb(0x1646A8)}));
  bg.Fill(RoundRect(26, 36, 78, 60, 10), Solid(WithAlpha(kWhite, 0.12f)));
  bg.Fill(Star(52, 63, 36), Linear(0, 45, 0, 81, {kGoldLight, kGold, kAmber}));
  DrawTextCentered(bg, "Vinkabo", {30, true}, 94, 36, 150, 34, Linear(0, 40, 0, 70, {kWhite, kIce}),
                   WithAlpha(kNavy, 0.7f), 1, 2);
  DrawTextCentered(bg, "网址收藏夹 · 一键直达常用网站", {13, false}, 96, 72, 210, 18, Solid(kSky));

  // the category band, under its bar
  bg.Fill(RoundRect(-10, 107, W + 10, 148, 0), Linear(0, 107, 0, 148, {Lighter(kBar, 0.15f), Darker(kBar, 0.1f)}));

  // the body around the site board: a quiet gradient and a lit frame
  bg.Fill(RoundRect(-10, 148, W + 10, H + 10, 0), Linear(0, 148, 0, H, {kMid, kDeep, kNavy}));
  bg.Fill(RoundRect(-10, 148, W + 10, 150, 0), Solid(WithAlpha(kNavy, 0.5f)));
  bg.Shadow(RoundRect(25, 158, 775, 634, 8), WithAlpha(Rgb(0x020A1C), 0.7f), 6);
  bg.Fill(RoundRect(21, 151, 779, 634, 8), Linear(0, 151, 0, 634, {kSky, Rgb(0x3C78D8)}));
  bg.Fill(RoundRect(24, 154, 776, 631, 6), Solid(Darker(kBoard, 0.25f)));
  bg.Fill(RoundRect(25, 155, 775, 630, 5), Linear(0, 155, 0, 630, {Lighter(kBoard, 0.06f), kBoard}));
  DrawTextCentered(bg, "Vinkabo 网址收藏夹", {11, false}, 620, 634, 160, 16, Solid(WithAlpha(kSky, 0.7f)));
  bg.Grain(0x5EED0001u, 0.012f);
  return bg;
}

// --- frame buttons ---

Canvas CloseButton(const Canvas& bg) {
  Canvas c = bg.Crop(760, 3, 32, 20);
  c.Fill(RoundRect(0.5f, 0.5f, 31.5f, 19.5f, 5), Linear(0, 0, 0, 20, {Rgb(0xF4656A), Rgb(0xD2343A), Rgb(0xB0242A)}));
  c.Fill(Ring(RoundRect(0.5f, 0.5f, 31.5f, 19.5f, 5), 1), Solid(WithAlpha(Rgb(0x6A0E12), 0.8f)));
  c.Fill(RoundRect(2, 1.5f, 30, 9, 4), Solid(WithAlpha(kWhite, 0.18f)));
  Sdf cross = Union(Capsule(11.5f, 5.5f, 20.5f, 14.5f, 1.3f), Capsule(20.5f, 5.5f, 11.5f, 14.5f, 1.3f));
  c.Fill(cross, Solid(kWhite));
  return c;
}

Canvas SettingsButton() {
  Canvas c(80, 20);
  Sdf body = RoundRect(0.5f, 0.5f, 79.5f, 19.5f, 6);
  c.Fill(body, Linear(0, 0, 0, 20, {Rgb(0x4F86E8), Rgb(0x2A5BB8), Rgb(0x1D468F)}));
  c.Fill(Ring(body, 1), Solid(WithAlpha(kSky, 0.75f)));
  c.Fill(RoundRect(2, 1.5f, 78, 9, 5), Solid(WithAlpha(kWhite, 0.14f)));
  DrawTextCentered(c, "设置/改密码", {11, false}, 0, 0, 80, 20, Solid(kWhite), WithAlpha(kNavy, 0.8f));
  return c;
}

// state 0 normal, 1 hover, 2 pressed
Canvas AddButton(int state) {
  Canvas c(80, 30);
  float dy = state == 2 ? 1.0f : 0.0f;
  Color top = state == 1 ? Rgb(0x8AF0B0) : state == 2 ? Rgb(0x23A85A) : Rgb(0x52D98A);
  Color bottom = state == 1 ? Rgb(0x27B864) : state == 2 ? Rgb(0x127338) : Rgb(0x1C9A52);
  if (state != 2) c.Shadow(RoundRect(2, 3, 78, 29, 9), WithAlpha(kNavy, 0.55f), 1.5f);
  if (state == 1) c.Shadow(RoundRect(1, 1, 79, 28, 9), WithAlpha(Rgb(0xC8FFD8), 0.7f), 1.5f);
  Sdf body = RoundRect(1.5f, 1.5f + dy, 78.5f, 27.5f + dy, 9);
  c.Fill(body, Linear(0, 1 + dy, 0, 28 + dy, {top, bottom}));
  c.Fill(Ring(body, 1), Solid(WithAlpha(Darker(bottom, 0.35f), 0.9f)));
  if (state != 2) c.Fill(RoundRect(4, 3 + dy, 76, 13 + dy, 7), Solid(WithAlpha(kWhite, 0.22f)));
  else c.Fill(RoundRect(3, 2.5f + dy, 77, 6 + dy, 3), Solid(WithAlpha(Rgb(0x06301A), 0.25f)));
  // a plus in a ring, then the words
  float cx = 14, cy = 14.5f + dy;
  c.Fill(Ring(Circle(cx, cy, 7), 1.5f), Solid(kWhite));
  c.Fill(Union(Capsule(cx - 3.5f, cy, cx + 3.5f, cy, 1.1f), Capsule(cx, cy - 3.5f, cx, cy + 3.5f, 1.1f)), Solid(kWhite));
  DrawTextCentered(c, "添加收藏", {12, true}, 23, dy, 52, 29, Solid(kWhite), WithAlpha(Rgb(0x0B4A25), 0.7f));
  return c;
}

// --- category buttons ---

constexpr int kCategoryWidth = 88;
constexpr int kCategoryHeight = 30;

Canvas CategoryButton(int button, const std::string& label, bool lit) {
  Canvas c(kCategoryWidth, kCategoryHeight);
  const float w = kCategoryWidth, h = kCategoryHeight;
  Sdf body = RoundRect(1.5f, 1.5f, w - 1.5f, h - 2.5f, 9);
  if (lit) {
    c.Shadow(RoundRect(1, 1, w - 1, h - 2, 9), WithAlpha(kWhite, 0.9f), 1.8f);
    c.Fill(body, Linear(0, 1, 0, h - 2, {kWhite, kGoldLight, kGold}));
    c.Fill(Ring(body, 1.2f), Solid(kAmber));
    c.Fill(RoundRect(4, 3, w - 4, 12, 6), Solid(WithAlpha(kWhite, 0.6f)));
  } else {
    c.Shadow(RoundRect(2, 3, w - 2, h - 1, 9), WithAlpha(Rgb(0x1A1E6E), 0.5f), 1.5f);
    c.Fill(body, Linear(0, 1, 0, h - 2, {Rgb(0x7786F2), Rgb(0x4453CC), Rgb(0x3441AE)}));
    c.Fill(Ring(body, 1), Solid(WithAlpha(Rgb(0x1E2780), 0.9f)));
    c.Fill(RoundRect(4, 3, w - 4, 12, 6), Solid(WithAlpha(kWhite, 0.2f)));
  }
  Color ink = lit ? Rgb(0x6A3A00) : kWhite;
  Color shade = lit ? WithAlpha(kWhite, 0.8f) : WithAlpha(Rgb(0x141A5C), 0.8f);
  float mid = (h - 1) / 2;
  Sdf pict = Pictogram(button, 25, mid, 15);
  c.Fill(pict, Linear(0, mid - 8, 0, mid + 8, lit ? std::vector<Color>{Rgb(0xF0A020), Rgb(0xC0600A)}
                                                  : std::vector<Color>{kGoldLight, kGold}));
  DrawTextCentered(c, label, {15, true}, 36, 0, 44, h - 1, Solid(ink), shade);
  return c;
}

// --- page buttons: first, previous, next, last ---

constexpr int kPageWidth = 64;
constexpr int kPageHeight = 24;

Canvas PageButton(int k) {
  static const char* labels[] = {"首页", "上一页", "下一页", "尾页"};
  Canvas c(kPageWidth, kPageHeight);
  const float w = kPageWidth, h = kPageHeight;
  c.Shadow(RoundRect(1, 2, w - 1, h - 0.5f, 10), WithAlpha(kNavy, 0.55f), 1.2f);
  Sdf body = RoundRect(1, 1, w - 1, h - 2, 10);
  c.Fill(body, Linear(0, 1, 0, h - 2, {kWhite, kIce, Rgb(0xB4CDF2)}));
  c.Fill(Ring(body, 1), Solid(Rgb(0x3C74C8)));
  // arrows point the way the button turns
  float cy = (h - 1) / 2;
  Paint arrow = Solid(Rgb(0x1F5FC0));
  bool left = k <= 2;
  float ax = left ? 11 : w - 11;
  float dir = left ? -1 : 1;
  auto tri = [&](float x) {
    return Polygon({x + dir * 4, cy, x - dir * 3, cy - 5, x - dir * 3, cy + 5});
  };
  Sdf mark = tri(ax);
  if (k == 1 || k == 4) mark = Union(mark, RoundRect(ax + dir * 4.5f - 1, cy - 5, ax + dir * 4.5f + 1, cy + 5, 0.5f));
  c.Fill(mark, arrow);
  float tx = left ? 17 : 3;
  DrawTextCentered(c, labels[k - 1], {12, true}, tx, 0, w - 20, h - 1, Solid(kInk));
  return c;
}

// --- the tile buttons: account key and modify pencil ---

Canvas AccountButton(bool hover) {
  Canvas c(35, 25);
  Sdf body = RoundRect(1.5f, 1.5f, 33.5f, 23.5f, 6);
  if (hover) c.Shadow(RoundRect(1, 1, 34, 24, 6), WithAlpha(Rgb(0xD8FFF8), 0.9f), 1.2f);
  c.Fill(body, Linear(0, 1, 0, 24, hover ? std::vector<Color>{Rgb(0xA6FFF0), Rgb(0x3CCDB9)}
                                         : std::vector<Color>{Rgb(0x3CC7B4), Rgb(0x137E72)}));
  c.Fill(Ring(body, 1), Solid(hover ? Rgb(0x0E8C7C) : Rgb(0x0A5249)));
  c.Fill(RoundRect(4, 3, 31, 10, 4), Solid(WithAlpha(kWhite, hover ? 0.45f : 0.2f)));
  Color ink = hover ? Rgb(0x064A42) : kWhite;
  // a key lying on its side
  Sdf ring = Ring(Circle(11, 12.5f, 4.6f), 2.0f);
  Sdf shaft = Capsule(15, 12.5f, 27, 12.5f, 1.2f);
  Sdf teeth = Union(Capsule(22.5f, 12.5f, 22.5f, 16.5f, 1.1f), Capsule(26, 12.5f, 26, 15.5f, 1.1f));
  c.Fill(Union(ring, Union(shaft, teeth)), Solid(ink));
  return c;
}

Canvas ModifyButton() {
  Canvas c(32, 24, kBoard);
  Sdf body = RoundRect(1.5f, 1.5f, 30.5f, 22.5f, 6);
  c.Fill(body, Linear(0, 1, 0, 23, {Rgb(0xFFC266), Rgb(0xF08A1C), Rgb(0xD26F08)}));
  c.Fill(Ring(body, 1), Solid(Rgb(0x8A4300)));
  c.Fill(RoundRect(4, 3, 28, 10, 4), Solid(WithAlpha(kWhite, 0.25f)));
  // a pencil writing toward the lower left
  float ax = 10, ay = 17, bx = 22, by = 6;
  c.Fill(Capsule(ax + 2.5f, ay - 2.3f, bx, by, 2.4f), Solid(kWhite));
  c.Fill(Polygon({ax - 1.2f, ay + 1.6f, ax + 0.8f, ay - 3.8f, ax + 4.4f, ay - 0.4f}), Solid(Rgb(0x5A2C00)));
  c.Fill(Capsule(bx - 1.8f, by + 1.7f, bx + 0.2f, by - 0.2f, 2.0f), Solid(Rgb(0xFF6B6B)));
  return c;
}

}  // namespace

void WriteSkin(const Output& out) {
  const std::string skin = "配置图片/";
  Canvas bg = Background();
  out.Write(skin + "背景.JPG", EncodeJpeg(bg, 92, kDeep));
  out.Write(skin + "关闭.jpg", EncodeJpeg(CloseButton(bg), 95, kNavy));
  // the settings button stands on the header strip; its edges melt into that colour
  Canvas under = bg.Crop(667 + 40, 3 + 10, 1, 1);
  out.Write(skin + "设置.gif", EncodeGif(SettingsButton(), under.at(0, 0)));
  for (int state = 0; state < 3; ++state)
    out.Write(skin + "添加收藏" + std::to_string(state + 1) + ".gif", EncodeGif(AddButton(state), kBoard));
  out.Write(skin + "帐号.gif", EncodeGif(AccountButton(false), kBoard));
  out.Write(skin + "帐号查看.GIF", EncodeGif(AccountButton(true), kBoard));
  out.Write(skin + "修改.jpg", EncodeJpeg(ModifyButton(), 95, kBoard));

  const auto& names = CategoryNames();
  for (int k = 1; k <= 8; ++k) {
    for (int state = 1; state <= 2; ++state)
      out.Write(skin + "分类/菜单" + std::to_string(k) + std::to_string(state) + ".png",
                EncodePng(CategoryButton(k, names[k - 1], state == 2)));
  }
  for (int k = 1; k <= 4; ++k)
    out.Write(skin + "翻页/ye" + std::to_string(k) + "1.png", EncodePng(PageButton(k)));
}
