// PNG through libpng, alpha kept. libpng reports errors by longjmp, so everything
// the jump may cross lives in a struct outside the function that calls setjmp.
// libpng takes a chunk's length on trust and allocates it, so the chunks are walked
// first: libpng sees the file up to its last whole chunk, and a picture whose image
// data could not fill its declared size is refused before any pixel is allocated.

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
  std::uint64_t imageDataBytes;
  Image image;
  std::vector<png_bytep> rows;
  bool rowsDone = false;
};

std::uint32_t Be32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// The end of the last whole chunk (the file as libpng will see it), and the bytes
// of IDAT data before it.
std::size_t WholeChunks(const std::uint8_t* data, std::size_t size, std::uint64_t& imageDataBytes) {
  std::size_t pos = 8;
  imageDataBytes = 0;
  while (size - pos >= 12) {
    const std::uint32_t length = Be32(data + pos);
    if (length > size - pos - 12) break;
    const bool idat = std::memcmp(data + pos + 4, "IDAT", 4) == 0;
    const bool iend = std::memcmp(data + pos + 4, "IEND", 4) == 0;
    if (idat) imageDataBytes += length;
    pos += 12 + static_cast<std::size_t>(length);
    if (iend) break;
  }
  return pos;
}

// Deflate packs at most 1032 bytes into one.
constexpr std::uint64_t kInflateRatio = 1032;

// Chunks the pictures never use: texts (some compressed), colour profiles,
// palettes of suggestions, times. libpng skips them without allocating.
const png_byte kSkippedChunks[] = "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0"
                                  "sBIT\0sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt\0";

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
    // Every row arrived and only what follows them is missing or damaged (the end
    // chunk, say): the picture is whole, as browsers show it.
    return job->rowsDone;
  }
  png_set_read_fn(png, &job->input, ReadFromMemory);
  png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
  png_set_chunk_cache_max(png, 64);
  png_set_chunk_malloc_max(png, 1024 * 1024);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks,
                              static_cast<int>(sizeof kSkippedChunks / 5));
  png_read_info(png, info);

  png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (!PictureSizeAllowed(w, h)) png_error(png, "too large");
  // Each row inflates to its filter byte and its packed pixels.
  const std::uint64_t rawBytes = (static_cast<std::uint64_t>(png_get_rowbytes(png, info)) + 1) * h;
  if (rawBytes > 4 * kFreePixels + kInflateRatio * job->imageDataBytes) png_error(png, "not enough data");
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
  job->rowsDone = true;
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

Image DecodePng(const std::uint8_t* data, std::size_t size) {
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return Image();
  PngJob job{{data, 0, 0}, 0, Image(), {}};
  job.input.size = WholeChunks(data, size, job.imageDataBytes);
  if (!RunPng(&job)) return Image();
  return std::move(job.image);
}
