#pragma once
// A decoded picture as a GDI bitmap, ready to draw: a 32-bit DIB section with
// premultiplied alpha, so a GIF's transparent pixels show what lies behind.

#include <windows.h>

#include "base/bytes.h"
#include "ui/image.h"

class DibPicture {
 public:
  DibPicture() = default;
  explicit DibPicture(const Image& image);
  ~DibPicture();
  DibPicture(DibPicture&& other) noexcept;
  DibPicture& operator=(DibPicture&& other) noexcept;
  DibPicture(const DibPicture&) = delete;
  DibPicture& operator=(const DibPicture&) = delete;

  // Empty, damaged or foreign bytes give an empty picture.
  static DibPicture Decode(const Bytes& bytes);

  bool empty() const { return bitmap_ == nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }

  // At its own size, blended over what `dc` already shows.
  void Draw(HDC dc, int x, int y) const;
  // Stretched to the rectangle.
  void DrawStretched(HDC dc, const RECT& to) const;

 private:
  void Reset();
  HBITMAP bitmap_ = nullptr;
  int width_ = 0, height_ = 0;
  bool hasAlpha_ = false;
};
