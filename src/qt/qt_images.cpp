#include "qt/qt_images.h"

#include <cstring>

QImage ToQImage(const Image& image) {
  if (image.empty()) return {};
  const auto& rgba = image.frames[image.currentFrame].rgba;
  if (rgba.size() < static_cast<size_t>(image.width) * image.height * 4) return {};
  QImage out(image.width, image.height, QImage::Format_RGBA8888);
  for (int y = 0; y < image.height; ++y)
    std::memcpy(out.scanLine(y), rgba.data() + static_cast<size_t>(y) * image.width * 4,
                static_cast<size_t>(image.width) * 4);
  return out;
}

QImage DecodeToQImage(const Bytes& bytes) {
  if (bytes.empty()) return {};
  return ToQImage(DecodePicture(bytes));
}
