// What the peers paint themselves: pictures blended over what lies behind them, and the
// label's three-colour gradient, read back pixel by pixel from a memory bitmap.

#include <gtest/gtest.h>
#include <windows.h>

#include "win32/control_peers.h"
#include "win32/dib_picture.h"

namespace {

// A white (or black) 32-bit bitmap selected into a memory DC, freed with it.
class Canvas {
 public:
  Canvas(int width, int height, int stockBrush = WHITE_BRUSH) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(stockBrush)));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

Image OnePixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  Image image;
  image.width = image.height = 1;
  image.frames.push_back(ImageFrame{{r, g, b, a}, 0});
  return image;
}

bool Near(int a, int b) { return a - b <= 2 && b - a <= 2; }

TEST(DibPicture, AnOpaquePictureKeepsItsColoursInOrder) {
  Canvas canvas(3, 3);
  DibPicture(OnePixel(200, 100, 50, 255)).Draw(canvas.dc(), 1, 1);
  EXPECT_EQ(canvas.At(1, 1), RGB(200, 100, 50));
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255));  // nothing outside the picture
}

TEST(DibPicture, TranslucentAndTransparentPixelsShowWhatLiesBehind) {
  Canvas canvas(2, 1, BLACK_BRUSH);
  DibPicture(OnePixel(200, 100, 0, 128)).Draw(canvas.dc(), 0, 0);
  DibPicture(OnePixel(0, 0, 255, 0)).Draw(canvas.dc(), 1, 0);
  const COLORREF half = canvas.At(0, 0);
  EXPECT_TRUE(Near(GetRValue(half), 100)) << int(GetRValue(half));
  EXPECT_TRUE(Near(GetGValue(half), 50)) << int(GetGValue(half));
  EXPECT_EQ(GetBValue(half), 0);
  EXPECT_EQ(canvas.At(1, 0), RGB(0, 0, 0));
}

TEST(DibPicture, DamagedBytesGiveNoPictureAndDrawNothing) {
  DibPicture picture = DibPicture::Decode(Bytes{0x89, 'P', 'N', 'G', 0, 1, 2});
  EXPECT_TRUE(picture.empty());
  Canvas canvas(1, 1);
  picture.Draw(canvas.dc(), 0, 0);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255));
}

TEST(FillGradient, RunsTopToBottomThroughTheThreeColours) {
  // The settings window's password label: white, light grey, dark grey.
  Canvas canvas(1, 5);
  const Colour grey[3] = {RgbColour(255, 255, 255), RgbColour(192, 192, 192), RgbColour(128, 128, 128)};
  RECT all{0, 0, 1, 5};
  FillGradient(canvas.dc(), all, grey);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(0, 2), RGB(192, 192, 192));
  EXPECT_EQ(canvas.At(0, 4), RGB(128, 128, 128));

  const Colour primaries[3] = {RgbColour(255, 0, 0), RgbColour(0, 255, 0), RgbColour(0, 0, 255)};
  FillGradient(canvas.dc(), all, primaries);
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(canvas.At(0, 2), RGB(0, 255, 0));
  EXPECT_EQ(canvas.At(0, 4), RGB(0, 0, 255));
  const COLORREF between = canvas.At(0, 1);
  EXPECT_TRUE(Near(GetRValue(between), 128) && Near(GetGValue(between), 128) && GetBValue(between) == 0);
}

}  // namespace
