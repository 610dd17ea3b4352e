// Pictures made here with the same libraries the decoders use, plus hand-made BMP,
// icon and damaged files.

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <jpeglib.h>

#include <cstring>
#include <random>

#include "ui/image.h"
#include "support/encode_pictures.h"

namespace {

using Pixel = std::array<std::uint8_t, 4>;

Pixel At(const Image& image, int x, int y, int frame = 0) {
  const std::uint8_t* p = &image.frames[frame].rgba[(static_cast<std::size_t>(y) * image.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

// ---- PNG ----

void PngWrite(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void PngFlush(png_structp) {}

// rows: width * channels bytes each (channels fits the colour type, 8-bit samples).
Bytes MakePng(int w, int h, int colourType, const std::vector<std::uint8_t>& pixels, int channels,
              bool interlace = false, const std::vector<png_color>* palette = nullptr,
              const std::vector<png_byte>* trns = nullptr) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return Bytes();
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_IHDR(png, info, w, h, 8, colourType, interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (palette) png_set_PLTE(png, info, palette->data(), static_cast<int>(palette->size()));
  if (trns) png_set_tRNS(png, info, trns->data(), static_cast<int>(trns->size()), nullptr);
  png_write_info(png, info);
  std::vector<png_bytep> rows(h);
  for (int y = 0; y < h; ++y) rows[y] = const_cast<png_bytep>(&pixels[static_cast<std::size_t>(y) * w * channels]);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

TEST(PngDecoder, KeepsAlphaAndColours) {
  std::vector<std::uint8_t> px = {255, 0, 0, 255,  0, 255, 0, 128,  0, 0, 255, 0,
                                  10, 20, 30, 40,  50, 60, 70, 80,  90, 100, 110, 120};
  for (bool interlace : {false, true}) {
    Image image = DecodePicture(MakePng(3, 2, PNG_COLOR_TYPE_RGBA, px, 4, interlace));
    ASSERT_FALSE(image.empty()) << interlace;
    EXPECT_EQ(3, image.width);
    EXPECT_EQ(2, image.height);
    ASSERT_EQ(1u, image.frames.size());
    EXPECT_EQ(px, image.frames[0].rgba);
  }
}

TEST(PngDecoder, PaletteTransparencyAndGreyBecomeRgba) {
  std::vector<png_color> pal = {{255, 0, 0}, {0, 0, 255}};
  std::vector<png_byte> trns = {0};  // entry 0 fully transparent
  Image image = DecodePicture(MakePng(2, 1, PNG_COLOR_TYPE_PALETTE, {0, 1}, 1, false, &pal, &trns));
  ASSERT_FALSE(image.empty());
  EXPECT_EQ((Pixel{255, 0, 0, 0}), At(image, 0, 0));
  EXPECT_EQ((Pixel{0, 0, 255, 255}), At(image, 1, 0));

  Image grey = DecodePicture(MakePng(2, 1, PNG_COLOR_TYPE_GRAY, {7, 200}, 1));
  ASSERT_FALSE(grey.empty());
  EXPECT_EQ((Pixel{200, 200, 200, 255}), At(grey, 1, 0));
}

// ---- JPEG ----

Bytes MakeJpeg(int w, int h, int components, std::uint8_t value) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * components);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = components == 3 && i % 3 == 2 ? 255 - value : value;
  return EncodeJpeg(w, h, components, px.data(), 95);
}

TEST(JpegDecoder, DecodesColourAndGreyOpaque) {
  Image image = DecodePicture(MakeJpeg(40, 24, 3, 200));
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(40, image.width);
  EXPECT_EQ(24, image.height);
  Pixel p = At(image, 20, 12);
  EXPECT_NEAR(200, p[0], 4);
  EXPECT_NEAR(55, p[2], 4);
  EXPECT_EQ(255, p[3]);

  Image grey = DecodePicture(MakeJpeg(9, 9, 1, 90));
  ASSERT_FALSE(grey.empty());
  Pixel g = At(grey, 4, 4);
  EXPECT_NEAR(90, g[0], 3);
  EXPECT_EQ(g[0], g[1]);
  EXPECT_EQ(255, g[3]);
}

TEST(JpegDecoder, DamagedScanIsRefusedButStrayBytesBetweenMarkersAreNot) {
  Bytes file = MakeJpeg(64, 64, 3, 150);
  std::size_t sos = 0;
  for (std::size_t i = 2; i + 1 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) sos = i;
  ASSERT_GT(sos, 0u);

  Bytes stray = file;
  stray.insert(stray.begin() + sos, {0x12, 0x34, 0x56});
  EXPECT_FALSE(DecodePicture(stray).empty());

  Bytes ended = file;  // an end marker in the middle of the scan
  std::size_t mid = sos + (file.size() - sos) / 2;
  ended[mid] = 0xFF, ended[mid + 1] = 0xD9;
  EXPECT_TRUE(DecodePicture(ended).empty());
}

// ---- GIF ----

int GifWrite(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

struct GifFrame {
  int left, top, w, h;
  std::vector<GifPixelType> pixels;  // row by row, in display order
  int disposal = DISPOSAL_UNSPECIFIED;
  int transparent = NO_TRANSPARENT_COLOR;
  int delayCs = 0;
  bool interlace = false;
};

// Palette: 0 black, 1 red, 2 green, 3 blue, 4 white.
Bytes MakeGif(int sw, int sh, const std::vector<GifFrame>& frames, bool gif89 = true) {
  Bytes out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &err);
  GifColorType colours[8] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(8, colours);
  EGifSetGifVersion(gif, gif89);
  EGifPutScreenDesc(gif, sw, sh, 8, 0, map);
  for (const GifFrame& f : frames) {
    if (gif89) {
      GraphicsControlBlock gcb{f.disposal, false, f.delayCs, f.transparent};
      GifByteType ext[4];
      size_t n = EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext);
    }
    EGifPutImageDesc(gif, f.left, f.top, f.w, f.h, f.interlace, nullptr);
    std::vector<int> order;
    if (f.interlace) {
      for (int pass = 0; pass < 4; ++pass)
        for (int y = (int[]){0, 4, 2, 1}[pass]; y < f.h; y += (int[]){8, 8, 4, 2}[pass]) order.push_back(y);
    } else {
      for (int y = 0; y < f.h; ++y) order.push_back(y);
    }
    for (int y : order) EGifPutLine(gif, const_cast<GifPixelType*>(&f.pixels[static_cast<std::size_t>(y) * f.w]), f.w);
  }
  EGifCloseFile(gif, &err);
  GifFreeMapObject(map);
  return out;
}

const Pixel kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255},
    kWhite{255, 255, 255, 255}, kClear{0, 0, 0, 0};

TEST(GifDecoder, CompositesEveryFrameWithTransparencyAndDisposal) {
  std::vector<GifFrame> frames = {
      {0, 0, 4, 4, std::vector<GifPixelType>(16, 1), DISPOSE_DO_NOT, NO_TRANSPARENT_COLOR, 10},
      {1, 1, 2, 2, {2, 2, 2, 0}, DISPOSE_BACKGROUND, 0, 20},
      {0, 0, 1, 1, {3}, DISPOSE_PREVIOUS, NO_TRANSPARENT_COLOR, 30},
      {3, 3, 1, 1, {4}, DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR, 0},
  };
  Image image = DecodePicture(MakeGif(4, 4, frames));
  ASSERT_FALSE(image.empty());
  ASSERT_EQ(4u, image.frames.size());
  EXPECT_EQ(4, image.width);
  EXPECT_EQ(100, image.frames[0].delayMs);
  EXPECT_EQ(300, image.frames[2].delayMs);
  // Frame 2: green square, its transparent pixel shows the red below.
  EXPECT_EQ(kGreen, At(image, 1, 1, 1));
  EXPECT_EQ(kRed, At(image, 2, 2, 1));
  EXPECT_EQ(kRed, At(image, 0, 0, 1));
  // Frame 3: frame 2's area cleared to transparent, then blue drawn.
  EXPECT_EQ(kBlue, At(image, 0, 0, 2));
  EXPECT_EQ(kClear, At(image, 1, 1, 2));
  EXPECT_EQ(kClear, At(image, 2, 2, 2));
  EXPECT_EQ(kRed, At(image, 3, 0, 2));
  // Frame 4: frame 3 restored what was before it, so the blue pixel is gone again.
  EXPECT_EQ(kRed, At(image, 0, 0, 3));
  EXPECT_EQ(kClear, At(image, 1, 2, 3));
  EXPECT_EQ(kWhite, At(image, 3, 3, 3));
}

TEST(GifDecoder, MissingClosingByteStillShowsTheFrames) {
  Bytes file = MakeGif(2, 2, {{0, 0, 2, 2, {1, 2, 3, 4}}, {0, 0, 1, 1, {4}}});
  ASSERT_EQ(';', file.back());
  file.pop_back();
  Image image = DecodePicture(file);
  ASSERT_EQ(2u, image.frames.size());
  EXPECT_EQ(kWhite, At(image, 0, 0, 1));
  EXPECT_EQ(kBlue, At(image, 0, 1, 1));
}

TEST(GifDecoder, InterlacedAndGif87aFrames) {
  GifFrame f{0, 0, 1, 11, {}, DISPOSAL_UNSPECIFIED, NO_TRANSPARENT_COLOR, 0, true};
  for (int y = 0; y < 11; ++y) f.pixels.push_back(static_cast<GifPixelType>(y % 5));
  for (bool gif89 : {true, false}) {
    Bytes file = MakeGif(1, 11, {f}, gif89);
    ASSERT_EQ(0, std::memcmp(file.data(), gif89 ? "GIF89a" : "GIF87a", 6));
    Image image = DecodePicture(file);
    ASSERT_FALSE(image.empty());
    ASSERT_EQ(1u, image.frames.size());
    EXPECT_EQ(kRed, At(image, 0, 1));
    EXPECT_EQ(kBlue, At(image, 0, 3));
    EXPECT_EQ(kWhite, At(image, 0, 9));
    EXPECT_EQ((Pixel{0, 0, 0, 255}), At(image, 0, 10));
  }
}

// ---- BMP ----

void Put16(Bytes& b, std::size_t at, std::uint32_t v) { b[at] = v & 255, b[at + 1] = (v >> 8) & 255; }
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 255;
}

// A DIB (info header + palette + pixels) and the BMP file around it.
Bytes InfoHeader(int w, int h, int bpp, int compression = 0, int colours = 0) {
  Bytes b(40, 0);
  Put32(b, 0, 40), Put32(b, 4, w), Put32(b, 8, h), Put16(b, 12, 1), Put16(b, 14, bpp);
  Put32(b, 16, compression), Put32(b, 32, colours);
  return b;
}

Bytes BmpFile(const Bytes& dib, std::size_t pixelOffsetInDib) {
  Bytes b(14, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(14 + dib.size()));
  Put32(b, 10, static_cast<std::uint32_t>(14 + pixelOffsetInDib));
  b.insert(b.end(), dib.begin(), dib.end());
  return b;
}

TEST(BmpDecoder, TwentyFourBitBottomUpWithRowPadding) {
  Bytes dib = InfoHeader(3, 2, 24);
  // Bottom row first: blue, green, red + 3 padding bytes; then the top row: white, black, white.
  Bytes px = {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0};
  dib.insert(dib.end(), px.begin(), px.end());
  Image image = DecodePicture(BmpFile(dib, 40));
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(3, image.width);
  EXPECT_EQ(2, image.height);
  EXPECT_EQ(kWhite, At(image, 0, 0));
  EXPECT_EQ(kBlue, At(image, 0, 1));
  EXPECT_EQ(kRed, At(image, 2, 1));
}

TEST(BmpDecoder, PaletteTopDownBitFieldsAndRle) {
  // 8-bit, two palette entries, top-down (negative height).
  Bytes dib = InfoHeader(2, -2, 8, 0, 2);
  Bytes tail = {0, 0, 255, 0, 255, 0, 0, 0,  // palette: red, blue (B, G, R, 0)
                0, 1, 0, 0, 1, 1, 0, 0};
  dib.insert(dib.end(), tail.begin(), tail.end());
  Image pal = DecodePicture(BmpFile(dib, 48));
  ASSERT_FALSE(pal.empty());
  EXPECT_EQ(kRed, At(pal, 0, 0));
  EXPECT_EQ(kBlue, At(pal, 1, 0));
  EXPECT_EQ(kBlue, At(pal, 0, 1));

  // 32-bit with bit fields and a real alpha mask (V4-sized header carries the masks).
  Bytes v4(108, 0);
  Put32(v4, 0, 108), Put32(v4, 4, 1), Put32(v4, 8, 1), Put16(v4, 12, 1), Put16(v4, 14, 32), Put32(v4, 16, 3);
  Put32(v4, 40, 0x000000FF), Put32(v4, 44, 0x0000FF00), Put32(v4, 48, 0x00FF0000), Put32(v4, 52, 0xFF000000);
  Bytes p = {10, 20, 30, 40};
  v4.insert(v4.end(), p.begin(), p.end());
  Image fields = DecodePicture(BmpFile(v4, 108));
  ASSERT_FALSE(fields.empty());
  EXPECT_EQ((Pixel{10, 20, 30, 40}), At(fields, 0, 0));

  // RLE8: a run of 3 red on the bottom row, then an absolute run on the top row.
  Bytes rle = InfoHeader(3, 2, 8, 1, 2);
  Bytes data = {0, 0, 255, 0, 255, 0, 0, 0,  3, 0, 0, 0, 0, 3, 1, 0, 1, 0, 0, 1};
  rle.insert(rle.end(), data.begin(), data.end());
  Image r = DecodePicture(BmpFile(rle, 48));
  ASSERT_FALSE(r.empty());
  EXPECT_EQ(kRed, At(r, 2, 1));
  EXPECT_EQ(kBlue, At(r, 0, 0));
  EXPECT_EQ(kRed, At(r, 1, 0));
}

TEST(BmpDecoder, CoreHeaderWithAShortPalette) {
  // The oldest header, 8 bits a pixel, but only two 3-byte colours before the pixels.
  Bytes dib(12, 0);
  Put32(dib, 0, 12), Put16(dib, 4, 2), Put16(dib, 6, 1), Put16(dib, 8, 1), Put16(dib, 10, 8);
  Bytes tail = {0, 0, 255, 255, 0, 0, 1, 0, 0, 0};  // red, blue; pixels 1, 0
  dib.insert(dib.end(), tail.begin(), tail.end());
  Image image = DecodePicture(BmpFile(dib, 18));
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(kBlue, At(image, 0, 0));
  EXPECT_EQ(kRed, At(image, 1, 0));
}

// ---- Icons ----

Bytes IconFile(const std::vector<std::pair<int, Bytes>>& entries) {  // (side, body)
  Bytes b(6 + 16 * entries.size(), 0);
  Put16(b, 2, 1), Put16(b, 4, static_cast<std::uint32_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::size_t e = 6 + 16 * i;
    b[e] = b[e + 1] = static_cast<std::uint8_t>(entries[i].first);
    Put16(b, e + 6, 32);
    Put32(b, e + 8, static_cast<std::uint32_t>(entries[i].second.size()));
    Put32(b, e + 12, static_cast<std::uint32_t>(b.size()));
    b.insert(b.end(), entries[i].second.begin(), entries[i].second.end());
  }
  return b;
}

TEST(IconDecoder, BmpEntryWithAndMaskAndPngEntry) {
  // 2x2, 24 bits: all white, AND mask makes the top-left pixel transparent.
  Bytes dib = InfoHeader(2, 4, 24);
  Bytes colours = {255, 255, 255, 255, 255, 255, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0};
  Bytes mask = {0, 0, 0, 0, 0x80, 0, 0, 0};  // bottom row clear, top row: first pixel set
  dib.insert(dib.end(), colours.begin(), colours.end());
  dib.insert(dib.end(), mask.begin(), mask.end());
  Image icon = DecodePicture(IconFile({{2, dib}}));
  ASSERT_FALSE(icon.empty());
  EXPECT_EQ(2, icon.height);
  EXPECT_EQ(0, At(icon, 0, 0)[3]);
  EXPECT_EQ(kWhite, At(icon, 1, 0));
  EXPECT_EQ(kWhite, At(icon, 0, 1));

  // The larger entry wins, here a PNG with alpha.
  Bytes png = MakePng(3, 3, PNG_COLOR_TYPE_RGBA, std::vector<std::uint8_t>(36, 77), 4);
  Image both = DecodePicture(IconFile({{2, dib}, {3, png}}));
  ASSERT_FALSE(both.empty());
  EXPECT_EQ(3, both.width);
  EXPECT_EQ((Pixel{77, 77, 77, 77}), At(both, 2, 2));
}

// ---- Damaged files ----

TEST(DamagedPictures, TruncatedFilesGiveNoPicture) {
  std::vector<std::uint8_t> px(64 * 64 * 4, 99);
  Bytes files[] = {
      MakePng(64, 64, PNG_COLOR_TYPE_RGBA, px, 4),
      MakeJpeg(64, 64, 3, 120),
      MakeGif(4, 4, {{0, 0, 4, 4, std::vector<GifPixelType>(16, 1)}}),
  };
  for (const Bytes& whole : files) {
    ASSERT_FALSE(DecodePicture(whole).empty());
    // Cut inside the pixels (a file that lacks only its end marker is shown: see EndMarkers).
    for (std::size_t cut : {whole.size() / 4, whole.size() / 2, whole.size() * 3 / 4}) {
      Bytes part(whole.begin(), whole.begin() + cut);
      EXPECT_TRUE(DecodePicture(part).empty()) << "cut at " << cut << " of " << whole.size();
    }
  }
  Bytes bmp = InfoHeader(8, 8, 24);
  bmp.resize(bmp.size() + 8 * 24 / 2);  // half the pixel rows
  EXPECT_TRUE(DecodePicture(BmpFile(bmp, 40)).empty());
}

TEST(DamagedPictures, GarbageHugeAndEmptyGiveNoPicture) {
  EXPECT_TRUE(DecodePicture(Bytes()).empty());
  std::mt19937 rng(7);
  const std::string heads[] = {"GIF89a", "GIF87a", "\x89PNG\r\n\x1a\n", "\xFF\xD8\xFF",
                               "BM", std::string("\0\0\1\0", 4), "ID3"};
  for (int h = 0; h < 7; ++h) {
    for (int round = 0; round < 20; ++round) {
      Bytes b(heads[h].begin(), heads[h].end());
      for (int i = 0; i < 200; ++i) b.push_back(static_cast<std::uint8_t>(rng()));
      EXPECT_TRUE(DecodePicture(b).empty()) << h;
    }
  }
  // A header that claims 100000 x 100000 pixels.
  Bytes huge = InfoHeader(100000, 100000, 24);
  huge.resize(huge.size() + 1000);
  EXPECT_TRUE(DecodePicture(BmpFile(huge, 40)).empty());
  Bytes gif = MakeGif(4, 4, {{0, 0, 4, 4, std::vector<GifPixelType>(16, 1)}});
  gif[6] = gif[7] = gif[8] = gif[9] = 0xFF;  // logical screen 65535 x 65535
  EXPECT_TRUE(DecodePicture(gif).empty());
}

}  // namespace
