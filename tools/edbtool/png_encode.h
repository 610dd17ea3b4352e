#pragma once
// PNG files written with libpng, for icons carried out of the table.

#include <cstdint>

#include "base/bytes.h"

namespace edbtool {

// `rgba` holds width * height pixels of R, G, B, A; empty on failure.
Bytes EncodePng(int width, int height, const std::uint8_t* rgba);

// The plain icon stored for favorites brought in without one: a blue rounded square
// with a white globe, 48 x 48.
Bytes DefaultIconPng();

}  // namespace edbtool
