#include "ui/compositor.h"

#include <gtest/gtest.h>

#include <array>

#include "board_test_support.h"

using board_test::SetPixel;
using board_test::Solid;

namespace {

using Px = std::array<int, 3>;

Px At(const Surface& s, int x, int y) {
  const std::uint8_t* p = s.rgba.data() + (y * s.width + x) * 4;
  EXPECT_EQ(p[3], 255) << "the surface is opaque";
  return {p[0], p[1], p[2]};
}

struct ComposeFixture : ::testing::Test {
  SpriteBoardModel board{40, 30, RgbColour(0, 0, 255), nullptr};
  Surface surface;

  int Add(Image img, double x, double y, int opacity = 0, int transparent = kNoTransparentColour) {
    SpriteTemplateSettings t;
    t.picture = std::move(img);
    t.opacity = opacity;
    t.transparentColour = transparent;
    return board.CreateObject(&t, x, y);
  }
  void Compose() { ComposeDirty(board, surface); }
};

TEST_F(ComposeFixture, BackgroundThenSpritesInListOrder) {
  Add(Solid(10, 10, {255, 0, 0, 255}), 0, 0);
  Add(Solid(10, 10, {0, 255, 0, 255}), 5, 5);
  Compose();
  EXPECT_EQ(At(surface, 2, 2), (Px{255, 0, 0}));
  EXPECT_EQ(At(surface, 7, 7), (Px{0, 255, 0}));  // the later sprite on top
  EXPECT_EQ(At(surface, 30, 20), (Px{0, 0, 255}));
  EXPECT_EQ(surface.width, 40);
  EXPECT_EQ(surface.height, 30);
}

TEST_F(ComposeFixture, AlphaAndOpacityBlendOverWhatLiesBelow) {
  Add(Solid(4, 4, {255, 255, 255, 128}), 0, 0);    // half alpha over blue
  Add(Solid(4, 4, {255, 0, 0, 255}), 10, 0, 50);   // opaque at 50 % opacity
  Add(Solid(4, 4, {255, 0, 0, 255}), 20, 0, 100);  // fully transparent
  Add(Solid(4, 4, {0, 255, 0, 128}), 30, 0, 50);   // both: a quarter
  Compose();
  const Px half = At(surface, 1, 1);
  EXPECT_NEAR(half[0], 128, 1);
  EXPECT_NEAR(half[1], 128, 1);
  EXPECT_EQ(half[2], 255);
  const Px faded = At(surface, 11, 1);
  EXPECT_NEAR(faded[0], 128, 1);
  EXPECT_NEAR(faded[2], 127, 1);
  EXPECT_EQ(At(surface, 21, 1), (Px{0, 0, 255}));
  const Px quarter = At(surface, 31, 1);
  EXPECT_NEAR(quarter[1], 64, 1);
  EXPECT_NEAR(quarter[2], 191, 1);
}

TEST_F(ComposeFixture, TransparentColourAndInvisibleSpritesAreNotDrawn) {
  Image img = Solid(6, 6, {200, 10, 10, 255});
  SetPixel(img, 0, 0, {7, 7, 7, 255});
  SetPixel(img, 3, 3, {7, 7, 7, 255});
  Add(img, 0, 0, 0, kTopLeftPixelColour);
  const int hidden = Add(Solid(5, 5, {0, 255, 0, 255}), 20, 20);
  board.SetObjectVisible(hidden, false);
  Compose();
  EXPECT_EQ(At(surface, 0, 0), (Px{0, 0, 255}));
  EXPECT_EQ(At(surface, 3, 3), (Px{0, 0, 255}));
  EXPECT_EQ(At(surface, 2, 3), (Px{200, 10, 10}));
  EXPECT_EQ(At(surface, 22, 22), (Px{0, 0, 255}));
}

TEST_F(ComposeFixture, ScaledSpritesDrawTheirScaledImage) {
  Image checker = Solid(2, 2, {255, 0, 0, 255});
  SetPixel(checker, 1, 0, {0, 255, 0, 255});
  SetPixel(checker, 0, 1, {0, 255, 0, 255});
  const int keyed = Add(checker, 0, 0, 0, static_cast<int>(RgbColour(1, 1, 1)));
  board.SetScale(keyed, 3000);  // exact colours: 3 x 3 blocks
  const int smooth = Add(Solid(4, 4, {255, 255, 255, 255}), 20, 0);
  board.SetScale(smooth, 2500, 500);
  Compose();
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool red = (x / 3 + y / 3) % 2 == 0;
      EXPECT_EQ(At(surface, x, y), red ? (Px{255, 0, 0}) : (Px{0, 255, 0})) << x << "," << y;
    }
  EXPECT_EQ(At(surface, 6, 0), (Px{0, 0, 255}));
  EXPECT_EQ(board.PictureWidth(smooth), 10);
  EXPECT_EQ(board.PictureHeight(smooth), 2);
  EXPECT_EQ(At(surface, 29, 1), (Px{255, 255, 255}));
  EXPECT_EQ(At(surface, 30, 1), (Px{0, 0, 255}));
  EXPECT_EQ(At(surface, 25, 2), (Px{0, 0, 255}));
}

TEST_F(ComposeFixture, SpritesAreClippedToTheBoard) {
  Add(Solid(10, 10, {255, 0, 0, 255}), -5, -5);
  Add(Solid(10, 10, {0, 255, 0, 255}), 35, 25);
  Add(Solid(10, 10, {0, 255, 0, 255}), 1e12, -1e12);  // far away, never drawn
  Compose();
  EXPECT_EQ(At(surface, 4, 4), (Px{255, 0, 0}));
  EXPECT_EQ(At(surface, 5, 5), (Px{0, 0, 255}));
  EXPECT_EQ(At(surface, 39, 29), (Px{0, 255, 0}));
  EXPECT_EQ(At(surface, 34, 29), (Px{0, 0, 255}));
}

TEST_F(ComposeFixture, OnlyTheDirtyRectangleIsRedrawn) {
  const int s = Add(Solid(4, 4, {255, 0, 0, 255}), 2, 2);
  Compose();
  // Paint marks that only a full redraw would wipe out.
  auto mark = [&](int x, int y) {
    std::uint8_t* p = surface.rgba.data() + (y * surface.width + x) * 4;
    p[0] = 1, p[1] = 2, p[2] = 3;
  };
  mark(30, 20);
  mark(3, 3);
  board.MoveObject(s, 10, 2);
  const std::vector<BoardRect> areas = ComposeDirty(board, surface);
  EXPECT_EQ(At(surface, 30, 20), (Px{1, 2, 3}));  // outside every changed rectangle
  EXPECT_EQ(At(surface, 3, 3), (Px{0, 0, 255}));   // the old place, repainted
  EXPECT_EQ(At(surface, 11, 3), (Px{255, 0, 0}));  // the new place
  int covered = 0;
  for (const BoardRect& a : areas) covered += a.width * a.height;
  EXPECT_LE(covered, 2 * 16);
  EXPECT_TRUE(board.Dirty().empty());

  // Nothing changed: nothing composed.
  EXPECT_TRUE(ComposeDirty(board, surface).empty());
  EXPECT_EQ(At(surface, 30, 20), (Px{1, 2, 3}));

  board.SetBackground(RgbColour(9, 9, 9));
  ComposeDirty(board, surface);
  EXPECT_EQ(At(surface, 30, 20), (Px{9, 9, 9}));
}

TEST_F(ComposeFixture, BackgroundPictureLiesBelowEverySprite) {
  Add(Solid(2, 2, {255, 0, 0, 255}), 0, 0);
  board.SetBackgroundPicture(board_test::EncodePng(Solid(5, 5, {0, 255, 0, 255})));
  Compose();
  EXPECT_EQ(At(surface, 1, 1), (Px{255, 0, 0}));
  EXPECT_EQ(At(surface, 4, 4), (Px{0, 255, 0}));
  EXPECT_EQ(At(surface, 5, 5), (Px{0, 0, 255}));
  board.SetBackgroundPicture({});
  Compose();
  EXPECT_EQ(At(surface, 4, 4), (Px{0, 0, 255}));
}

TEST(ScaleImage, FilteredShrinkAveragesAndKeepsEdgesFromDarkening) {
  Image img = Solid(4, 4, {255, 255, 255, 255});
  for (int y = 0; y < 4; ++y)
    for (int x = 2; x < 4; ++x) SetPixel(img, x, y, {0, 0, 0, 0});
  const Image half = ScaleImage(img, 2, 2, false);
  ASSERT_EQ(half.width, 2);
  EXPECT_EQ(half.pixels()[0], 255);
  EXPECT_EQ(half.pixels()[3], 255);
  EXPECT_EQ(half.pixels()[4 + 3], 0);
  const Image mixed = ScaleImage(img, 1, 1, false);
  EXPECT_EQ(mixed.pixels()[0], 255);  // colour of the opaque part, not grey
  EXPECT_NEAR(mixed.pixels()[3], 128, 1);
}

}  // namespace
