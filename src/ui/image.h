#pragma once
// A decoded picture: what the decoders produce and what boards, buttons and the
// window background draw.

#include <cstdint>
#include <vector>

#include "base/bytes.h"

struct ImageFrame {
  // width * height pixels, row by row, 4 bytes each: R, G, B, A (not premultiplied).
  std::vector<std::uint8_t> rgba;
  int delayMs = 0;  // how long an animated frame stays, 0 for a still picture
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<ImageFrame> frames;  // an animated GIF has several
  int currentFrame = 0;

  // An image with width or height 0 counts as no image.
  bool empty() const { return width <= 0 || height <= 0 || frames.empty(); }
  const std::uint8_t* pixels() const { return frames[currentFrame].rgba.data(); }
};

// Decodes a PNG, JPEG, GIF, BMP or icon file by its signature. Anything empty,
// damaged or of another kind gives an empty Image, never a crash.
Image DecodePicture(const Bytes& bytes);
