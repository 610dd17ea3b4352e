// Decoding the program's kinds of pictures through DecodePicture, each as a ratio to
// the same library's plainest decode of the same file measured in the same run
// (libjpeg to RGB, libpng's simplified API to RGBA, a plain copy for BMP).

#include <benchmark/benchmark.h>
#include <png.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <vector>

#include "ui/image.h"
#include "support/encode_pictures.h"

namespace {

using Ns = std::chrono::duration<double, std::nano>;

// A background-like picture: gradients with some texture.
std::vector<std::uint8_t> Pixels(int w, int h, int channels) {
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * channels);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c)
        px[(static_cast<std::size_t>(y) * w + x) * channels + c] =
            static_cast<std::uint8_t>(c == 3 ? (x * 5) & 255 : (x * (c + 1) + y * 2 + ((x * y) % 13)));
  return px;
}

Bytes Jpeg(int w, int h) {
  std::vector<std::uint8_t> px = Pixels(w, h, 3);
  return EncodeJpeg(w, h, 3, px.data(), 90);
}

Bytes Png(int w, int h) {
  std::vector<std::uint8_t> px = Pixels(w, h, 4);
  return EncodePngRgba(w, h, px.data());
}

Bytes Bmp(int w, int h) {
  const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
  Bytes b(54 + stride * h, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 255;
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, static_cast<std::uint32_t>(b.size())), put32(10, 54), put32(14, 40), put32(18, w), put32(22, h);
  b[26] = 1, b[28] = 24;
  std::vector<std::uint8_t> px = Pixels(w, h, 3);
  for (int y = 0; y < h; ++y) std::memcpy(&b[54 + stride * y], &px[static_cast<std::size_t>(y) * w * 3], w * 3);
  return b;
}

double PlainJpegNs(const Bytes& file, int repeats) {
  std::vector<std::uint8_t> row;
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) {
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), file.size());
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    std::vector<std::uint8_t> px(static_cast<std::size_t>(d.output_width) * d.output_height * 3);
    while (d.output_scanline < d.output_height) {
      JSAMPROW r = &px[static_cast<std::size_t>(d.output_scanline) * d.output_width * 3];
      jpeg_read_scanlines(&d, &r, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    benchmark::DoNotOptimize(px.data());
  }
  return Ns(std::chrono::steady_clock::now() - t0).count() / repeats;
}

double PlainPngNs(const Bytes& file, int repeats) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, file.data(), file.size());
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> px(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, px.data(), 0, nullptr);
    benchmark::DoNotOptimize(px.data());
  }
  return Ns(std::chrono::steady_clock::now() - t0).count() / repeats;
}

double PlainCopyNs(const Bytes& file, int repeats) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) {
    std::vector<std::uint8_t> px(file.begin(), file.end());
    benchmark::DoNotOptimize(px.data());
  }
  return Ns(std::chrono::steady_clock::now() - t0).count() / repeats;
}

template <typename Baseline>
void Measure(benchmark::State& state, const Bytes& file, const char* counter, Baseline baseline) {
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    Image image = DecodePicture(file);
    benchmark::DoNotOptimize(image.frames.data());
  }
  const double ns = Ns(std::chrono::steady_clock::now() - t0).count() / static_cast<double>(state.iterations());
  state.counters[counter] = ns / baseline(file, static_cast<int>(std::max<long>(state.iterations(), 5)));
}

void BM_Background800x650Jpeg(benchmark::State& state) {
  static const Bytes file = Jpeg(800, 650);
  Measure(state, file, "x_plain_libjpeg", PlainJpegNs);
}
BENCHMARK(BM_Background800x650Jpeg);

void BM_SiteIcon32x32Png(benchmark::State& state) {
  static const Bytes file = Png(32, 32);
  Measure(state, file, "x_plain_libpng", PlainPngNs);
}
BENCHMARK(BM_SiteIcon32x32Png);

void BM_Skin800x650Png(benchmark::State& state) {
  static const Bytes file = Png(800, 650);
  Measure(state, file, "x_plain_libpng", PlainPngNs);
}
BENCHMARK(BM_Skin800x650Png);

void BM_Picture800x650Bmp(benchmark::State& state) {
  static const Bytes file = Bmp(800, 650);
  Measure(state, file, "x_copy_of_file", PlainCopyNs);
}
BENCHMARK(BM_Picture800x650Bmp);

}  // namespace

BENCHMARK_MAIN();
