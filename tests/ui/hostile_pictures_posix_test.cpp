// Pictures made to cost: files of a few bytes that declare huge chunks, huge sizes,
// endless frames or entries. Each is decoded in a child process, whose peak memory
// is compared with a child that decoded a small good picture. And files whose end
// marker alone is missing, which are shown, beside files cut in their pixels, which
// are not.

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "support/encode_pictures.h"
#include "support/png_chunks.h"
#include "ui/image.h"

namespace {

// Peak resident memory (KiB) of a child that decodes `file` and ends.
long ChildPeakKb(const Bytes& file) {
  pid_t pid = fork();
  if (pid == 0) {
    Image image = DecodePicture(file);
    _exit(image.empty() ? 0 : 1);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return -1;
  return usage.ru_maxrss;
}

Bytes SmallGoodPng() {
  std::vector<std::uint8_t> px(16 * 16 * 4, 90);
  return EncodePngRgba(16, 16, px.data());
}

// Extra memory (MiB) that decoding `file` took beyond decoding a small good picture.
long ExtraMib(const Bytes& file) {
  const long base = ChildPeakKb(SmallGoodPng());
  const long peak = ChildPeakKb(file);
  return (peak - base) / 1024;
}

TEST(HostilePictures, PngDeclaringAHugeTextChunkTakesNoMemory) {
  Bytes file = PngHead(1, 1);
  PngChunk(file, "tEXt", Bytes(12, 'a'), 0x7FFFFFF0);
  file.resize(57);
  EXPECT_TRUE(DecodePicture(file).empty());
  EXPECT_LT(ExtraMib(file), 16);
}

TEST(HostilePictures, PngDeclaringHugePixelsWithAFewBytesOfDataTakesNoMemory) {
  Bytes file = PngHead(16384, 1024);
  PngChunk(file, "IDAT", {0x78, 0x9c, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
  PngChunk(file, "IEND", {});
  EXPECT_TRUE(DecodePicture(file).empty());
  EXPECT_LT(ExtraMib(file), 16);
}

// ---- JPEG ----

Bytes ProgressiveJpeg(int w, int h) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<std::uint8_t>(i * 37 % 251);
  return EncodeJpeg(w, h, 3, px.data(), 90, true);
}

std::size_t FindMarker(const Bytes& b, std::uint8_t marker, std::size_t from = 2) {
  for (std::size_t i = from; i + 1 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == marker) return i;
  return 0;
}

TEST(HostilePictures, SmallProgressiveJpegDeclaringHugePixelsTakesNoMemory) {
  Bytes file = ProgressiveJpeg(16, 16);
  const std::size_t sof = FindMarker(file, 0xC2);
  ASSERT_GT(sof, 0u);
  file[sof + 5] = 0x04, file[sof + 6] = 0x00;  // height 1024
  file[sof + 7] = 0x40, file[sof + 8] = 0x00;  // width 16384
  EXPECT_TRUE(DecodePicture(file).empty());
  EXPECT_LT(ExtraMib(file), 16);
}

// ---- GIF ----

int GifWrite(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

// One whole-screen frame, then `dots` frames of one pixel each.
Bytes GifOfDots(int side, int dots) {
  Bytes out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &err);
  GifColorType colours[2] = {{0, 0, 0}, {255, 0, 0}};
  ColorMapObject* map = GifMakeMapObject(2, colours);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, side, side, 1, 0, map);
  EGifPutImageDesc(gif, 0, 0, side, side, false, nullptr);
  std::vector<GifPixelType> row(side, 1);
  for (int y = 0; y < side; ++y) EGifPutLine(gif, row.data(), side);
  for (int i = 0; i < dots; ++i) {
    GifPixelType dot = 0;
    EGifPutImageDesc(gif, i % side, i / side, 1, 1, false, nullptr);
    EGifPutLine(gif, &dot, 1);
  }
  EGifCloseFile(gif, &err);
  GifFreeMapObject(map);
  return out;
}

TEST(HostilePictures, GifOfManyOnePixelFramesKeepsASmallMultipleOfItsScreen) {
  Bytes file = GifOfDots(1024, 200);  // 4 MiB of screen, 200 frames of one dot
  Image image = DecodePicture(file);
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(1024, image.width);
  EXPECT_LT(ExtraMib(file), 40);
}

TEST(HostilePictures, GifWhoseScreenDwarfsItsDataIsRefused) {
  Bytes file = GifOfDots(8, 0);
  file[6] = 0x00, file[7] = 0x40;  // logical screen 16384 x 1024
  file[8] = 0x00, file[9] = 0x04;
  EXPECT_TRUE(DecodePicture(file).empty());
  EXPECT_LT(ExtraMib(file), 16);

  // Half a kilobyte of one-pixel frames on a screen of half a million pixels: the
  // few codes could never fill it, and every frame would copy all of it.
  Bytes wide = GifOfDots(8, 20);
  ASSERT_LT(wide.size(), 600u);
  wide[6] = 0x40, wide[7] = 0x20;  // 8256 x 64
  wide[8] = 0x40, wide[9] = 0x00;
  EXPECT_TRUE(DecodePicture(wide).empty());
}

// ---- BMP and icons ----

void Put16(Bytes& b, std::size_t at, std::uint32_t v) { b[at] = v & 255, b[at + 1] = (v >> 8) & 255; }
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 255;
}

Bytes InfoHeader(int w, int h, int bpp, int compression = 0) {
  Bytes b(40, 0);
  Put32(b, 0, 40), Put32(b, 4, w), Put32(b, 8, h), Put16(b, 12, 1), Put16(b, 14, bpp);
  Put32(b, 16, compression);
  return b;
}

Bytes Bmp(const Bytes& dib) {
  Bytes b(14, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(14 + dib.size()));
  Put32(b, 10, 14 + 40);
  b.insert(b.end(), dib.begin(), dib.end());
  return b;
}

TEST(HostilePictures, BmpDeclaringHugePixelsTakesNoMemory) {
  Bytes plain = InfoHeader(16384, 1024, 24);
  plain.resize(plain.size() + 100, 0x55);
  EXPECT_TRUE(DecodePicture(Bmp(plain)).empty());
  EXPECT_LT(ExtraMib(Bmp(plain)), 16);

  Bytes palette = {0, 0, 255, 0};
  Bytes rle = InfoHeader(16384, 1024, 8, 1);
  Put32(rle, 32, 1);
  rle.insert(rle.end(), palette.begin(), palette.end());
  rle.insert(rle.end(), {4, 0, 0, 1});  // four pixels, then the end of the picture
  EXPECT_LT(ExtraMib(Bmp(rle)), 16);
}

TEST(HostilePictures, IconWithThousandsOfEntriesOnAHugeBodyTakesNoMemory) {
  const int entries = 4000;
  Bytes file(6 + 16 * entries, 0);
  Put16(file, 2, 1), Put16(file, 4, entries);
  Bytes body = InfoHeader(4096, 8192, 32);  // 4096 x 4096 with its mask rows, no pixels
  for (int i = 0; i < entries; ++i) {
    const std::size_t e = 6 + 16 * i;
    Put16(file, e + 6, 32);
    Put32(file, e + 8, static_cast<std::uint32_t>(body.size()));
    Put32(file, e + 12, static_cast<std::uint32_t>(file.size()));
  }
  file.insert(file.end(), body.begin(), body.end());
  EXPECT_TRUE(DecodePicture(file).empty());
  EXPECT_LT(ExtraMib(file), 16);
}

// ---- End markers ----

Bytes GoodPng(int w, int h) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 4);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<std::uint8_t>(i * 13 % 256);
  return EncodePngRgba(w, h, px.data());
}

TEST(EndMarkers, PngWithoutIendIsShownButPngCutInItsPixelsIsNot) {
  const Bytes whole = GoodPng(40, 30);
  const Image full = DecodePicture(whole);
  ASSERT_FALSE(full.empty());
  ASSERT_EQ(0, std::memcmp(&whole[whole.size() - 8], "IEND", 4));
  Bytes noEnd(whole.begin(), whole.end() - 12);
  Image shown = DecodePicture(noEnd);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(full.frames[0].rgba, shown.frames[0].rgba);
  Bytes cutEnd(whole.begin(), whole.end() - 5);  // IEND itself cut short
  EXPECT_FALSE(DecodePicture(cutEnd).empty());

  Bytes cutPixels(whole.begin(), whole.begin() + (whole.size() - 12) * 3 / 4);
  EXPECT_TRUE(DecodePicture(cutPixels).empty());
}

TEST(EndMarkers, JpegWithoutEoiIsShownButJpegCutInItsScansIsNot) {
  std::vector<std::uint8_t> px(48 * 40 * 3);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<std::uint8_t>(i * 29 % 256);
  for (bool progressive : {false, true}) {
    const Bytes whole = EncodeJpeg(48, 40, 3, px.data(), 90, progressive);
    ASSERT_EQ(0xD9, whole.back());
    const Image full = DecodePicture(whole);
    ASSERT_FALSE(full.empty());
    Bytes noEnd(whole.begin(), whole.end() - 2);
    Image shown = DecodePicture(noEnd);
    ASSERT_FALSE(shown.empty()) << progressive;
    EXPECT_EQ(full.frames[0].rgba, shown.frames[0].rgba);

    Bytes cutMidScan(whole.begin(), whole.end() - 60);
    EXPECT_TRUE(DecodePicture(cutMidScan).empty()) << progressive;
  }
  // A progressive file cut just before its last scan has a value for every pixel, but
  // not the whole picture: refused.
  const Bytes whole = EncodeJpeg(48, 40, 3, px.data(), 90, true);
  std::size_t lastScan = 0;
  for (std::size_t at = FindMarker(whole, 0xDA); at; at = FindMarker(whole, 0xDA, at + 2)) lastScan = at;
  ASSERT_GT(lastScan, 0u);
  EXPECT_TRUE(DecodePicture(Bytes(whole.begin(), whole.begin() + lastScan)).empty());
}

}  // namespace
