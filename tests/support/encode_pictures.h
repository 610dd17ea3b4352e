#pragma once
// Pictures made in memory with the same libraries the decoders use, for tests and
// benchmarks that need real PNG and JPEG files.

#include <jpeglib.h>
#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/bytes.h"

// `rgba` holds width * height * 4 bytes.
inline Bytes EncodePngRgba(int width, int height, const std::uint8_t* rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgba, 0, nullptr);
  Bytes out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, rgba, 0, nullptr);
  out.resize(size);
  return out;
}

// `pixels` holds width * height * components bytes: RGB (3) or grey (1). A progressive
// file takes libjpeg's own scans, or those of `script` when one is given.
inline Bytes EncodeJpeg(int width, int height, int components, const std::uint8_t* pixels, int quality,
                        bool progressive = false, const std::vector<jpeg_scan_info>& script = {}) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = components;
  c.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (!script.empty()) {
    c.scan_info = script.data();
    c.num_scans = static_cast<int>(script.size());
  } else if (progressive) {
    jpeg_simple_progression(&c);
  }
  jpeg_start_compress(&c, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * components;
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(pixels + c.next_scanline * stride);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&c);
  std::free(buffer);
  return out;
}
