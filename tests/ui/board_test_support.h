#pragma once
// Pictures, a text rasterizer and an event recorder for the sprite board tests.

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "ui/image.h"
#include "ui/sprite_board.h"
#include "ui/text_rasterizer.h"

namespace board_test {

struct Rgba {
  std::uint8_t r, g, b, a;
};

inline Image Solid(int w, int h, Rgba c) {
  Image img;
  img.width = w;
  img.height = h;
  img.frames.resize(1);
  img.frames[0].rgba.resize(static_cast<std::size_t>(w) * h * 4);
  for (int i = 0; i < w * h; ++i) {
    img.frames[0].rgba[i * 4 + 0] = c.r;
    img.frames[0].rgba[i * 4 + 1] = c.g;
    img.frames[0].rgba[i * 4 + 2] = c.b;
    img.frames[0].rgba[i * 4 + 3] = c.a;
  }
  return img;
}

inline void SetPixel(Image& img, int x, int y, Rgba c) {
  std::uint8_t* p = img.frames[img.currentFrame].rgba.data() + (y * img.width + x) * 4;
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
  p[3] = c.a;
}

// A real PNG file's bytes, written with libpng, so pictures go through the decoder.
inline Bytes EncodePng(const Image& img) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, img.width, img.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < img.height; ++y)
    png_write_row(png, const_cast<png_bytep>(img.pixels() + y * img.width * 4));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Every byte of a line is a 6 x 12 block of the text colour: enough to see sizes.
class BlockRasterizer : public TextRasterizer {
 public:
  int calls = 0;
  Image Render(const Text& text, const SpriteFont& font, Colour colour) override {
    ++calls;
    std::vector<std::string> lines(1);
    for (char ch : text) {
      if (ch == '\n') lines.emplace_back();
      else if (ch != '\r') lines.back() += ch;
    }
    std::size_t longest = 0;
    for (auto& l : lines) longest = std::max(longest, l.size());
    if (text.empty() || longest == 0) return {};
    const int cell = font.bold ? 7 : 6;
    return Solid(static_cast<int>(longest) * cell, static_cast<int>(lines.size()) * font.height,
                 {static_cast<std::uint8_t>(ColourRed(colour)),
                  static_cast<std::uint8_t>(ColourGreen(colour)),
                  static_cast<std::uint8_t>(ColourBlue(colour)), 255});
  }
};

// Records every event of a board as a line such as "5:3,0" or "7:10,20,-1".
struct EventLog {
  std::vector<std::string> lines;
  void Attach(SpriteBoardModel& board) {
    auto one = [this](int code) {
      return [this, code](int a) { lines.push_back(std::to_string(code) + ":" + std::to_string(a)); };
    };
    auto two = [this](int code) {
      return [this, code](int a, int b) {
        lines.push_back(std::to_string(code) + ":" + std::to_string(a) + "," + std::to_string(b));
      };
    };
    board.events.leftPressed = one(0);
    board.events.rightPressed = one(1);
    board.events.leftReleased = two(2);
    board.events.rightReleased = one(3);
    board.events.doubleClicked = one(4);
    board.events.pointerEntered = two(5);
    board.events.pointerLeft = two(6);
    board.events.pointerMoved = [this](int x, int y, int p) {
      lines.push_back("7:" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(p));
    };
    board.events.toBeDeleted = one(10);
  }
  std::vector<std::string> Take() {
    std::vector<std::string> out;
    out.swap(lines);
    return out;
  }
};

}  // namespace board_test
