#pragma once
// The individual picture decoders behind DecodePicture. Each takes the whole file
// and gives an empty Image for anything it cannot read; the fuzz targets call them
// one by one.

#include <cstddef>
#include <cstdint>

#include "ui/image.h"

// Pictures larger than this in either direction, or with more pixels than
// kMaxPicturePixels, are refused before any pixel memory is taken.
constexpr int kMaxPictureSide = 16384;
constexpr std::int64_t kMaxPicturePixels = 16 * 1024 * 1024;
// An animated GIF keeps only the frames that fit in this many pixels, and in a few
// times its screen (the program shows the first frame only).
constexpr std::int64_t kMaxAnimationPixels = 64 * 1024 * 1024;
constexpr std::int64_t kAnimationScreens = 4;

// Pixels any picture may have whatever its size: a few bytes never buy more, so a
// small damaged file never costs more than a small good one.
constexpr std::int64_t kFreePixels = 65536;

bool PictureSizeAllowed(std::int64_t width, std::int64_t height);

// Whether `bytes` of coded data could hold `pixels`, for a coding that packs at most
// `pixelsPerByte` pixels into a byte.
bool DataCanFill(std::int64_t pixels, std::size_t bytes, std::int64_t pixelsPerByte);

Image DecodePng(const std::uint8_t* data, std::size_t size);
Image DecodeJpeg(const std::uint8_t* data, std::size_t size);
Image DecodeGif(const std::uint8_t* data, std::size_t size);
Image DecodeBmp(const std::uint8_t* data, std::size_t size);
Image DecodeIco(const std::uint8_t* data, std::size_t size);

// A device-independent bitmap without its file header: the BMP body and the BMP
// entries of icons. `icon`: the height counts the colour rows and the AND mask
// rows together, and the mask that follows the colours marks transparent pixels.
Image DecodeDib(const std::uint8_t* data, std::size_t size, bool icon,
                const std::uint8_t* pixelData = nullptr, std::size_t pixelSize = 0);

// One still frame of width x height RGBA pixels, ready to fill.
Image StillImage(int width, int height);
