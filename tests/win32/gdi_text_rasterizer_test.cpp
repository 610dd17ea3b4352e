// Sprite texts through GDI: real glyphs, the text's own colour, transparent elsewhere.

#include <gtest/gtest.h>

#include "win32/parts.h"

namespace {

SpriteFont Font(int height) {
  SpriteFont f;
  f.name = "Arial";
  f.charSet = 0;
  f.height = height;
  return f;
}

int InkPixels(const Image& image) {
  int ink = 0;
  const auto& rgba = image.frames[0].rgba;
  for (size_t p = 3; p < rgba.size(); p += 4) ink += rgba[p] != 0;
  return ink;
}

TEST(GdiTextRasterizer, DrawsInkOnTransparentInTheTextsColour) {
  GdiTextRasterizer r;
  const Colour red = RgbColour(200, 30, 10);
  Image image = r.Render("Hello", Font(16), red);
  ASSERT_FALSE(image.empty());
  ASSERT_EQ(image.frames[0].rgba.size(), static_cast<size_t>(image.width) * image.height * 4);
  const int ink = InkPixels(image);
  EXPECT_GT(ink, 10) << "no glyph was drawn";
  EXPECT_LT(ink, image.width * image.height) << "the background is not transparent";
  const auto& rgba = image.frames[0].rgba;
  for (size_t p = 0; p < rgba.size(); p += 4) {
    if (rgba[p + 3] == 0) continue;
    ASSERT_EQ(rgba[p], 200);
    ASSERT_EQ(rgba[p + 1], 30);
    ASSERT_EQ(rgba[p + 2], 10);
  }
}

TEST(GdiTextRasterizer, GrowsWithTheFontsHeightAndItsLines) {
  GdiTextRasterizer r;
  Image small = r.Render("Board", Font(12), 0);
  Image large = r.Render("Board", Font(30), 0);
  ASSERT_FALSE(small.empty());
  ASSERT_FALSE(large.empty());
  EXPECT_GT(large.width, small.width);
  EXPECT_GT(large.height, small.height);
  EXPECT_GE(small.height, 12);
  EXPECT_GE(large.height, 30);

  // Lines are separated by CR LF or LF alone; the widest line sets the width.
  Image two = r.Render("Board\r\nBoard board", Font(12), 0);
  Image lf = r.Render("Board\nBoard board", Font(12), 0);
  EXPECT_GE(two.height, 2 * small.height);
  EXPECT_GT(two.width, small.width);
  EXPECT_EQ(two.width, lf.width);
  EXPECT_EQ(two.height, lf.height);
}

TEST(GdiTextRasterizer, EmptyTextIsNoPicture) {
  GdiTextRasterizer r;
  EXPECT_TRUE(r.Render("", Font(12), 0).empty());
}

TEST(GdiTextRasterizer, BoldUnderlineAndStrikeOutInkMore) {
  GdiTextRasterizer r;
  Image regular = r.Render("Wide", Font(20), 0);
  ASSERT_FALSE(regular.empty());
  SpriteFont bold = Font(20), underline = Font(20), strikeOut = Font(20);
  bold.bold = true;
  underline.underline = true;
  strikeOut.strikeOut = true;
  for (const SpriteFont& f : {bold, underline, strikeOut}) {
    Image styled = r.Render("Wide", f, 0);
    ASSERT_FALSE(styled.empty());
    EXPECT_GT(InkPixels(styled), InkPixels(regular))
        << "bold " << f.bold << " underline " << f.underline << " strike-out " << f.strikeOut;
  }
}

TEST(GdiTextRasterizer, ADefaultOrOverlongFaceStillDraws) {
  GdiTextRasterizer r;
  SpriteFont f;  // empty name: the default face
  EXPECT_GT(InkPixels(r.Render("abc", f, 0)), 0);
  f.name = std::string(40, 'x');  // too long for a face name: the default face too
  EXPECT_GT(InkPixels(r.Render("abc", f, 0)), 0);
}

}  // namespace

namespace {

TEST(GdiTextRasterizer, ChineseTextInTheDefaultFace) {
  GdiTextRasterizer r;
  SpriteFont f;  // 宋体 in GB2312, as the program's templates carry it
  f.height = 16;
  Image image = r.Render(Utf8ToGbk("第1页"), f, RgbColour(0, 0, 0));
  ASSERT_FALSE(image.empty());
  EXPECT_GT(InkPixels(image), 40);
  EXPECT_GE(image.height, 16);
  // Real glyphs, not one missing-glyph box for every character.
  Image di = r.Render(Utf8ToGbk("第"), f, 0);
  Image ye = r.Render(Utf8ToGbk("页"), f, 0);
  ASSERT_FALSE(di.empty());
  ASSERT_FALSE(ye.empty());
  EXPECT_NE(di.frames[0].rgba, ye.frames[0].rgba);
  // The same face holds the page label's digits.
  Image one = r.Render("1", f, 0);
  Image three = r.Render("3", f, 0);
  ASSERT_FALSE(one.empty());
  ASSERT_FALSE(three.empty());
  EXPECT_NE(one.frames[0].rgba, three.frames[0].rgba) << "digits drawn as missing-glyph boxes";
}

}  // namespace
