#include <cstring>

#include "ui/image.h"
#include "ui/picture_formats.h"

bool PictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

bool DataCanFill(std::int64_t pixels, std::size_t bytes, std::int64_t pixelsPerByte) {
  return pixels <= kFreePixels || (pixels - kFreePixels) / pixelsPerByte <= static_cast<std::int64_t>(bytes);
}

Image StillImage(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  image.frames.resize(1);
  image.frames[0].rgba.assign(static_cast<std::size_t>(width) * height * 4, 0);
  return image;
}

namespace {

bool StartsWith(const Bytes& b, const char* sig, std::size_t n) {
  return b.size() >= n && std::memcmp(b.data(), sig, n) == 0;
}

// The general decoder: JPEG, BMP and icon files, told apart by their first bytes.
Image DecodeGeneral(const Bytes& b) {
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return DecodeJpeg(b.data(), b.size());
  if (StartsWith(b, "BM", 2)) return DecodeBmp(b.data(), b.size());
  if (b.size() >= 4 && b[0] == 0 && b[1] == 0 && (b[2] == 1 || b[2] == 2) && b[3] == 0)
    return DecodeIco(b.data(), b.size());
  return Image();
}

}  // namespace

Image DecodePicture(const Bytes& bytes) {
  Image image;
  if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6))
    image = DecodeGif(bytes.data(), bytes.size());
  else if (StartsWith(bytes, "\x89PNG\r\n\x1a\n", 8))
    image = DecodePng(bytes.data(), bytes.size());
  else
    image = DecodeGeneral(bytes);
  if (image.empty()) return Image();
  return image;
}
