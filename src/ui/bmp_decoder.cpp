// Our own BMP reader: the core, info and V4/V5 headers; 1, 4 and 8 bits with a
// palette (also RLE4/RLE8), 16 and 32 bits plain or with bit fields, 24 bits. The
// same body serves the BMP entries of icons, which add an AND mask below the colours.

#include <algorithm>
#include <cstring>

#include "ui/picture_formats.h"

namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

enum { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

// Runs, line ends and jumps let a byte of RLE data stand for many pixels, but not
// for a whole huge picture.
constexpr std::int64_t kRlePixelsPerByte = 1024;

// Scales the bits of `mask` in `v` to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  explicit Channel(std::uint32_t m = 0) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    max = m >> shift;
  }
  std::uint8_t Get(std::uint32_t v) const {
    if (!max) return 0;
    return static_cast<std::uint8_t>(((v & mask) >> shift) * 255u / max);
  }
};

struct Palette {
  std::uint8_t rgb[256][3] = {};
  int count = 0;
};

void PutIndex(std::uint8_t* p, const Palette& pal, int index) {
  if (index >= pal.count) index = 0;  // out-of-range entries show the first colour
  p[0] = pal.rgb[index][0], p[1] = pal.rgb[index][1], p[2] = pal.rgb[index][2], p[3] = 255;
}

// RLE data writes pixels bottom-up; anything it skips stays transparent.
bool DecodeRle(const std::uint8_t* src, std::size_t n, bool four, const Palette& pal, Image& image) {
  const int w = image.width, h = image.height;
  std::uint8_t* px = image.frames[0].rgba.data();
  int x = 0, y = 0;
  std::size_t i = 0;
  auto put = [&](int index) {
    if (x < w && y < h) PutIndex(px + (static_cast<std::size_t>(h - 1 - y) * w + x) * 4, pal, index);
    ++x;
  };
  while (i + 1 < n) {
    int count = src[i], value = src[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(four ? (k & 1 ? value & 15 : value >> 4) : value);
    } else if (value == 0) {  // end of line
      x = 0, ++y;
    } else if (value == 1) {  // end of picture
      return true;
    } else if (value == 2) {  // delta
      if (i + 1 >= n) return false;
      x += src[i], y += src[i + 1];
      i += 2;
    } else {  // absolute run, padded to 16 bits
      std::size_t bytes = four ? (value + 1) / 2 : value;
      if (i + bytes > n) return false;
      for (int k = 0; k < value; ++k)
        put(four ? (k & 1 ? src[i + k / 2] & 15 : src[i + k / 2] >> 4) : src[i + k]);
      i += (bytes + 1) & ~std::size_t{1};
    }
    if (y >= h) return true;
  }
  return y > 0 || x > 0;  // data that simply stops after some rows is still a picture
}

}  // namespace

Image DecodeDib(const std::uint8_t* data, std::size_t size, bool icon,
                const std::uint8_t* pixelData, std::size_t pixelSize) {
  if (size < 12) return Image();
  const std::uint32_t headerSize = U32(data);
  std::int64_t w, h;
  int bpp;
  std::uint32_t compression = kRgb, colours = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};
  std::size_t paletteEntry = 4;
  std::size_t pos;
  if (headerSize == 12) {
    w = U16(data + 4), h = static_cast<std::int16_t>(U16(data + 6));
    bpp = static_cast<int>(U16(data + 10));
    paletteEntry = 3;
    pos = 12;
  } else if (headerSize >= 40 && headerSize <= size) {
    w = static_cast<std::int32_t>(U32(data + 4)), h = static_cast<std::int32_t>(U32(data + 8));
    bpp = static_cast<int>(U16(data + 14));
    compression = U32(data + 16);
    colours = U32(data + 32);
    pos = headerSize;
    if (compression == kBitFields || compression == kAlphaBitFields) {
      int n = compression == kAlphaBitFields ? 4 : 3;
      if (headerSize >= 52) {
        for (int k = 0; k < 3; ++k) masks[k] = U32(data + 40 + 4 * k);
        if (headerSize >= 56) masks[3] = U32(data + 52);
      } else {
        if (size < pos + 4 * n) return Image();
        for (int k = 0; k < n; ++k) masks[k] = U32(data + pos + 4 * k);
        pos += 4 * n;
      }
    }
  } else {
    return Image();
  }
  bool topDown = h < 0;
  if (topDown) h = -h;
  if (icon) h /= 2;
  if (!PictureSizeAllowed(w, h)) return Image();

  Palette pal;
  if (bpp <= 8) {
    if (bpp != 1 && bpp != 4 && bpp != 8) return Image();
    std::uint32_t max = 1u << bpp;
    pal.count = static_cast<int>(colours == 0 || colours > max ? max : colours);
    // Writers that save fewer colours than the depth allows say so by where the pixels start.
    if (pixelData && pixelData >= data + pos && pixelData <= data + size) {
      std::size_t room = static_cast<std::size_t>(pixelData - (data + pos)) / paletteEntry;
      pal.count = static_cast<int>(std::min<std::size_t>(pal.count, room));
    }
    if (pal.count == 0 || size < pos + pal.count * paletteEntry) return Image();
    for (int k = 0; k < pal.count; ++k) {
      const std::uint8_t* e = data + pos + k * paletteEntry;
      pal.rgb[k][0] = e[2], pal.rgb[k][1] = e[1], pal.rgb[k][2] = e[0];
    }
    pos += pal.count * paletteEntry;
  } else if (bpp != 16 && bpp != 24 && bpp != 32) {
    return Image();
  } else if (colours > 0 && colours <= 256 && size >= pos + colours * paletteEntry) {
    pos += colours * paletteEntry;  // an unused palette before true-colour pixels
  }

  if (!pixelData) {
    if (pos > size) return Image();
    pixelData = data + pos, pixelSize = size - pos;
  }
  // Pixels are allocated only once the data could fill them.
  if (compression == kRle8 || compression == kRle4) {
    if (icon || topDown || bpp != (compression == kRle8 ? 8 : 4)) return Image();
    if (!DataCanFill(w * h, pixelSize, kRlePixelsPerByte)) return Image();
    Image image = StillImage(static_cast<int>(w), static_cast<int>(h));
    if (!DecodeRle(pixelData, pixelSize, compression == kRle4, pal, image)) return Image();
    return image;
  }
  if (compression == kBitFields || compression == kAlphaBitFields) {
    if (bpp != 16 && bpp != 32) return Image();
  } else if (compression != kRgb) {
    return Image();
  } else if (bpp == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (bpp == 32) {
    masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF, masks[3] = 0xFF000000;
  }
  const std::size_t stride = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
  if (pixelSize / stride < static_cast<std::size_t>(h)) return Image();
  Image image = StillImage(static_cast<int>(w), static_cast<int>(h));
  std::uint8_t* px = image.frames[0].rgba.data();
  Channel r(masks[0]), g(masks[1]), b(masks[2]), a(masks[3]);
  bool anyAlpha = false;
  for (std::int64_t y = 0; y < h; ++y) {
    const std::uint8_t* row = pixelData + (topDown ? y : h - 1 - y) * stride;
    std::uint8_t* out = px + static_cast<std::size_t>(y) * w * 4;
    for (std::int64_t x = 0; x < w; ++x, out += 4) {
      switch (bpp) {
        case 1: PutIndex(out, pal, (row[x / 8] >> (7 - x % 8)) & 1); break;
        case 4: PutIndex(out, pal, (row[x / 2] >> (x % 2 ? 0 : 4)) & 15); break;
        case 8: PutIndex(out, pal, row[x]); break;
        case 24: out[0] = row[3 * x + 2], out[1] = row[3 * x + 1], out[2] = row[3 * x], out[3] = 255; break;
        default: {
          std::uint32_t v = bpp == 16 ? U16(row + 2 * x) : U32(row + 4 * x);
          out[0] = r.Get(v), out[1] = g.Get(v), out[2] = b.Get(v);
          out[3] = a.mask ? a.Get(v) : 255;
          if (a.mask && out[3]) anyAlpha = true;
        }
      }
    }
  }
  // Plain 32-bit pixels often leave the fourth byte 0: then it is not alpha at all.
  if (a.mask && !anyAlpha)
    for (std::size_t i = 3; i < image.frames[0].rgba.size(); i += 4) px[i] = 255;

  if (icon && !anyAlpha) {
    const std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    const std::size_t colourBytes = stride * h;
    if ((pixelSize - colourBytes) / maskStride >= static_cast<std::size_t>(h)) {
      const std::uint8_t* mask = pixelData + colourBytes;
      for (std::int64_t y = 0; y < h; ++y) {
        const std::uint8_t* row = mask + (topDown ? y : h - 1 - y) * maskStride;
        for (std::int64_t x = 0; x < w; ++x)
          if ((row[x / 8] >> (7 - x % 8)) & 1) px[(static_cast<std::size_t>(y) * w + x) * 4 + 3] = 0;
      }
    }
  }
  return image;
}

Image DecodeBmp(const std::uint8_t* data, std::size_t size) {
  if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return Image();
  const std::uint32_t offset = U32(data + 10);
  const std::uint8_t* pixels = nullptr;
  std::size_t pixelSize = 0;
  // A damaged offset falls back to the pixels right after the palette.
  if (offset >= 14 + 12 && offset < size) pixels = data + offset, pixelSize = size - offset;
  return DecodeDib(data + 14, size - 14, false, pixels, pixelSize);
}
