// PNG through libpng, alpha kept. libpng reports errors by longjmp, so everything
// the jump may cross lives in a struct outside the function that calls setjmp.

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "ui/picture_formats.h"

namespace {

struct PngInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

struct PngJob {
  PngInput input;
  Image image;
  std::vector<png_bytep> rows;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
  auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
  if (n > in->size - in->pos) png_error(png, "truncated");
  std::memcpy(out, in->data + in->pos, n);
  in->pos += n;
}

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Returns false on any libpng error; `job->image` is then meaningless.
bool RunPng(PngJob* job) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &job->input, ReadFromMemory);
  png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
  png_set_chunk_malloc_max(png, 8 * 1024 * 1024);
  png_read_info(png, info);

  png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (!PictureSizeAllowed(w, h)) png_error(png, "too large");
  int colour = png_get_color_type(png, info);
  if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(w) * 4) png_error(png, "layout");

  job->image = StillImage(static_cast<int>(w), static_cast<int>(h));
  job->rows.resize(h);
  std::uint8_t* base = job->image.frames[0].rgba.data();
  for (png_uint_32 y = 0; y < h; ++y) job->rows[y] = base + static_cast<std::size_t>(y) * w * 4;
  png_read_image(png, job->rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

Image DecodePng(const std::uint8_t* data, std::size_t size) {
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return Image();
  PngJob job{{data, size, 0}, Image(), {}};
  if (!RunPng(&job)) return Image();
  return std::move(job.image);
}
