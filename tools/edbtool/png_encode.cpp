#include "png_encode.h"

#include <png.h>

#include <cmath>
#include <vector>

namespace edbtool {

Bytes EncodePng(int width, int height, const std::uint8_t* rgba) {
  if (width <= 0 || height <= 0) return {};
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba, 0, nullptr)) return {};
  Bytes out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba, 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  out.resize(size);
  return out;
}

Bytes DefaultIconPng() {
  constexpr int kSide = 48;
  constexpr double kCorner = 10, kCentre = (kSide - 1) / 2.0;
  std::vector<std::uint8_t> px(kSide * kSide * 4, 0);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      // Inside the rounded square: distance past the nearest corner's circle.
      const double cx = std::fmin(std::fmax(x, kCorner), kSide - 1 - kCorner);
      const double cy = std::fmin(std::fmax(y, kCorner), kSide - 1 - kCorner);
      const double outside = std::hypot(x - cx, y - cy) - kCorner;
      if (outside > 0.5) continue;
      std::uint8_t* p = &px[(y * kSide + x) * 4];
      const double shade = static_cast<double>(y) / kSide;
      p[0] = static_cast<std::uint8_t>(40 + 30 * shade);
      p[1] = static_cast<std::uint8_t>(120 + 40 * shade);
      p[2] = static_cast<std::uint8_t>(225 - 20 * shade);
      p[3] = outside > -0.5 ? 128 : 255;
      // The globe: a ring, its equator and a meridian ellipse.
      const double dx = x - kCentre, dy = y - kCentre, r = std::hypot(dx, dy);
      const bool ring = std::fabs(r - 15) < 1.6;
      const bool equator = std::fabs(dy) < 1.1 && r < 15;
      const bool meridian = std::fabs(std::hypot(dx / 0.45, dy) - 15) < 1.8 && r < 15;
      if (ring || equator || meridian) p[0] = p[1] = p[2] = 255;
    }
  }
  return EncodePng(kSide, kSide, px.data());
}

}  // namespace edbtool
