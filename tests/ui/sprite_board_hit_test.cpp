// The hit test against every pixel of pictures that are not square and whose clear
// pixels have no symmetry: a click lands on the pixel under the pointer, nowhere else.

#include <gtest/gtest.h>

#include "board_test_support.h"
#include "ui/sprite_board.h"

using board_test::BlockRasterizer;
using board_test::SetPixel;
using board_test::Solid;

namespace {

constexpr board_test::Rgba kRed{255, 0, 0, 255};
constexpr board_test::Rgba kClear{0, 0, 0, 0};

// Clear pixels at places whose mirror across the diagonal stays drawn.
Image Holed(int w, int h) {
  Image img = Solid(w, h, kRed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((x * 7 + y * 3) % 5 == 0 && x != y) SetPixel(img, x, y, kClear);
  return img;
}

bool Clear(const Image& img, int x, int y) { return img.pixels()[(y * img.width + x) * 4 + 3] == 0; }

// Every pixel of the sprite, and a frame of one pixel round it, hit or passed through.
void ExpectHitsFollowThePicture(int w, int h) {
  BlockRasterizer text;
  SpriteBoardModel board(750, 475, RgbColour(0, 0, 0), &text);
  const Image picture = Holed(w, h);
  const int left = 30, top = 40;
  const int s = board.CreateObject(nullptr, left, top);
  board.SetObjectImage(s, picture);
  ASSERT_EQ(board.PictureWidth(s), w);
  ASSERT_EQ(board.PictureHeight(s), h);
  int clear = 0;
  for (int y = -1; y <= h; ++y)
    for (int x = -1; x <= w; ++x) {
      const bool inside = x >= 0 && y >= 0 && x < w && y < h;
      const bool hole = inside && Clear(picture, x, y);
      clear += hole;
      EXPECT_EQ(board.HitTest(left + x, top + y), inside && !hole ? s : -1)
          << w << " x " << h << " picture, pixel " << x << "," << y;
    }
  EXPECT_GT(clear, 2) << "the picture must have holes to tell pixels apart";
}

TEST(SpriteBoardHit, WidePictureWithUnevenHoles) { ExpectHitsFollowThePicture(13, 4); }

TEST(SpriteBoardHit, TallPictureWithUnevenHoles) { ExpectHitsFollowThePicture(3, 11); }

// One hole in a corner: its mirror across the diagonal lies outside the picture.
TEST(SpriteBoardHit, AHoleInTheTopRightCornerOfAWidePicture) {
  BlockRasterizer text;
  SpriteBoardModel board(750, 475, RgbColour(0, 0, 0), &text);
  Image picture = Solid(6, 2, kRed);
  SetPixel(picture, 5, 0, kClear);  // top right only
  const int s = board.CreateObject(nullptr, 0, 0);
  board.SetObjectImage(s, picture);
  EXPECT_EQ(board.HitTest(5, 0), -1);
  EXPECT_EQ(board.HitTest(0, 5), -1) << "outside the 6 x 2 picture";
  EXPECT_EQ(board.HitTest(0, 1), s);
  EXPECT_EQ(board.HitTest(1, 0), s);
  EXPECT_EQ(board.HitTest(5, 1), s);
}

}  // namespace
