#include "win32/dib_picture.h"

#include <cstring>
#include <utility>

DibPicture::DibPicture(const Image& image) {
  if (image.empty()) return;
  const auto& rgba = image.frames[image.currentFrame].rgba;
  const size_t pixels = static_cast<size_t>(image.width) * image.height;
  if (rgba.size() < pixels * 4) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down, as the decoders give rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return;
  auto* out = static_cast<std::uint8_t*>(bits);
  bool alpha = false;
  for (size_t i = 0; i < pixels; ++i) {
    const std::uint8_t* p = &rgba[i * 4];
    const unsigned a = p[3];
    if (a != 255) alpha = true;
    // AlphaBlend wants BGRA premultiplied by alpha.
    out[i * 4 + 0] = static_cast<std::uint8_t>(p[2] * a / 255);
    out[i * 4 + 1] = static_cast<std::uint8_t>(p[1] * a / 255);
    out[i * 4 + 2] = static_cast<std::uint8_t>(p[0] * a / 255);
    out[i * 4 + 3] = static_cast<std::uint8_t>(a);
  }
  bitmap_ = bitmap;
  width_ = image.width;
  height_ = image.height;
  hasAlpha_ = alpha;
}

DibPicture::~DibPicture() { Reset(); }

DibPicture::DibPicture(DibPicture&& other) noexcept { *this = std::move(other); }

DibPicture& DibPicture::operator=(DibPicture&& other) noexcept {
  if (this != &other) {
    Reset();
    std::swap(bitmap_, other.bitmap_);
    width_ = other.width_;
    height_ = other.height_;
    hasAlpha_ = other.hasAlpha_;
  }
  return *this;
}

void DibPicture::Reset() {
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  width_ = height_ = 0;
  hasAlpha_ = false;
}

DibPicture DibPicture::Decode(const Bytes& bytes) {
  if (bytes.empty()) return {};
  return DibPicture(DecodePicture(bytes));
}

void DibPicture::Draw(HDC dc, int x, int y) const {
  RECT to{x, y, x + width_, y + height_};
  DrawStretched(dc, to);
}

void DibPicture::DrawStretched(HDC dc, const RECT& to) const {
  if (!bitmap_) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap_);
  const int w = to.right - to.left, h = to.bottom - to.top;
  if (hasAlpha_) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, to.left, to.top, w, h, source, 0, 0, width_, height_, blend);
  } else if (w == width_ && h == height_) {
    BitBlt(dc, to.left, to.top, w, h, source, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, to.left, to.top, w, h, source, 0, 0, width_, height_, SRCCOPY);
  }
  SelectObject(source, old);
  DeleteDC(source);
}
