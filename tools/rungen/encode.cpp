#include "encode.h"

#include <cstdio>  // jpeglib.h needs FILE first

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

namespace {

void Die(const char* what) {
  std::fprintf(stderr, "rungen: %s\n", what);
  std::exit(1);
}

void PngWrite(png_structp png, png_bytep data, png_size_t len) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + len);
}

void PngFlush(png_structp) {}

std::vector<std::uint8_t> OnMatte(const Canvas& c, Color matte) {
  Canvas flat(c.width(), c.height(), WithAlpha(matte, 1));
  flat.Draw(c, 0, 0);
  return flat.Rgba8();
}

// Median cut over the colours actually used, weighted by how often they occur.
struct Box {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> colours;  // rgb, count
};

int Channel(std::uint32_t rgb, int ch) { return (rgb >> (16 - 8 * ch)) & 0xFF; }

std::vector<std::uint32_t> MedianCut(const std::map<std::uint32_t, std::uint32_t>& used,
                                     size_t max_colours) {
  std::vector<std::uint32_t> palette;
  if (used.size() <= max_colours) {
    for (auto& [rgb, n] : used) palette.push_back(rgb);
    return palette;
  }
  std::vector<Box> boxes(1);
  for (auto& e : used) boxes[0].colours.push_back(e);
  while (boxes.size() < max_colours) {
    // split the box with the widest channel range (ties: the first)
    size_t best = boxes.size();
    int best_range = 0, best_ch = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].colours.size() < 2) continue;
      for (int ch = 0; ch < 3; ++ch) {
        int lo = 255, hi = 0;
        for (auto& [rgb, n] : boxes[i].colours) {
          lo = std::min(lo, Channel(rgb, ch));
          hi = std::max(hi, Channel(rgb, ch));
        }
        if (hi - lo > best_range) {
          best_range = hi - lo;
          best = i;
          best_ch = ch;
        }
      }
    }
    if (best == boxes.size()) break;
    auto& cs = boxes[best].colours;
    std::stable_sort(cs.begin(), cs.end(), [&](const auto& a, const auto& b) {
      return Channel(a.first, best_ch) < Channel(b.first, best_ch);
    });
    std::uint64_t total = 0, half = 0;
    for (auto& e : cs) total += e.second;
    size_t cut = 0;
    while (cut + 1 < cs.size() && half + cs[cut].second <= total / 2) half += cs[cut++].second;
    if (cut == 0) cut = 1;
    Box upper;
    upper.colours.assign(cs.begin() + static_cast<long>(cut), cs.end());
    cs.resize(cut);
    boxes.push_back(std::move(upper));
  }
  for (auto& b : boxes) {
    std::uint64_t sum[3] = {0, 0, 0}, n = 0;
    for (auto& [rgb, cnt] : b.colours) {
      for (int ch = 0; ch < 3; ++ch) sum[ch] += static_cast<std::uint64_t>(Channel(rgb, ch)) * cnt;
      n += cnt;
    }
    std::uint32_t rgb = 0;
    for (int ch = 0; ch < 3; ++ch) rgb = (rgb << 8) | static_cast<std::uint32_t>((sum[ch] + n / 2) / n);
    palette.push_back(rgb);
  }
  return palette;
}

int GifWrite(GifFileType* gif, const GifByteType* data, int len) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + len);
  return len;
}

}  // namespace

Bytes EncodePng(const Canvas& c) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) Die("libpng could not start");
  if (setjmp(png_jmpbuf(png))) Die("libpng failed");
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, c.width(), c.height(), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<std::uint8_t> rgba = c.Rgba8();
  for (int y = 0; y < c.height(); ++y)
    png_write_row(png, rgba.data() + static_cast<size_t>(y) * c.width() * 4);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes EncodeJpeg(const Canvas& c, int quality, Color matte) {
  std::vector<std::uint8_t> rgba = OnMatte(c, matte);
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buf = nullptr;
  unsigned long len = 0;
  jpeg_mem_dest(&cinfo, &buf, &len);
  cinfo.image_width = static_cast<JDIMENSION>(c.width());
  cinfo.image_height = static_cast<JDIMENSION>(c.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  // Full-resolution colour: small buttons with coloured text smear at 4:2:0.
  for (int i = 0; i < cinfo.num_components; ++i) {
    cinfo.comp_info[i].h_samp_factor = 1;
    cinfo.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<std::uint8_t> row(static_cast<size_t>(c.width()) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint8_t* src = rgba.data() + static_cast<size_t>(cinfo.next_scanline) * c.width() * 4;
    for (int x = 0; x < c.width(); ++x)
      for (int ch = 0; ch < 3; ++ch) row[static_cast<size_t>(x) * 3 + ch] = src[x * 4 + ch];
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buf, buf + len);
  std::free(buf);
  return out;
}

Bytes EncodeGif(const Canvas& c, Color matte) {
  const int w = c.width(), h = c.height();
  std::vector<std::uint8_t> flat = OnMatte(c, matte);
  std::vector<bool> clear(static_cast<size_t>(w) * h);
  std::map<std::uint32_t, std::uint32_t> used;
  for (int i = 0; i < w * h; ++i) {
    clear[i] = c.at(i % w, i / w).a < 0.06f;
    if (clear[i]) continue;
    std::uint32_t rgb = (flat[i * 4] << 16) | (flat[i * 4 + 1] << 8) | flat[i * 4 + 2];
    ++used[rgb];
  }
  std::vector<std::uint32_t> palette = MedianCut(used, 255);
  const int transparent = 255;

  ColorMapObject* map = GifMakeMapObject(256, nullptr);
  if (!map) Die("giflib could not make a colour map");
  std::vector<std::uint8_t> m8 = Canvas(1, 1, WithAlpha(matte, 1)).Rgba8();
  for (int i = 0; i < 256; ++i) {
    std::uint32_t rgb = i < static_cast<int>(palette.size())
                            ? palette[i]
                            : (static_cast<std::uint32_t>(m8[0]) << 16) | (m8[1] << 8) | m8[2];
    map->Colors[i] = {static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8),
                      static_cast<GifByteType>(rgb)};
  }

  // nearest palette entry; cached per colour
  std::map<std::uint32_t, int> nearest;
  auto index_of = [&](std::uint32_t rgb) {
    auto it = nearest.find(rgb);
    if (it != nearest.end()) return it->second;
    int best = 0;
    long best_d = -1;
    for (size_t p = 0; p < palette.size(); ++p) {
      long d = 0;
      for (int ch = 0; ch < 3; ++ch) {
        long e = Channel(rgb, ch) - Channel(palette[p], ch);
        d += e * e;
      }
      if (best_d < 0 || d < best_d) {
        best_d = d;
        best = static_cast<int>(p);
      }
    }
    nearest[rgb] = best;
    return best;
  };

  Bytes out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &err);
  if (!gif) Die("giflib could not start");
  EGifSetGifVersion(gif, true);
  if (EGifPutScreenDesc(gif, w, h, 8, transparent, map) == GIF_ERROR) Die("giflib screen");
  // graphic control: transparency on, leave in place, no delay
  GifByteType gce[4] = {0x01 | (1 << 2), 0, 0, static_cast<GifByteType>(transparent)};
  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce) == GIF_ERROR) Die("giflib extension");
  if (EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_ERROR) Die("giflib image");
  std::vector<GifPixelType> line(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int i = y * w + x;
      line[x] = static_cast<GifPixelType>(
          clear[i] ? transparent
                   : index_of((flat[i * 4] << 16) | (flat[i * 4 + 1] << 8) | flat[i * 4 + 2]));
    }
    if (EGifPutLine(gif, line.data(), w) == GIF_ERROR) Die("giflib line");
  }
  if (EGifCloseFile(gif, &err) == GIF_ERROR) Die("giflib close");
  GifFreeMapObject(map);
  return out;
}

Bytes EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate) {
  Bytes out;
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(t[i]));
  };
  std::uint32_t data_len = static_cast<std::uint32_t>(samples.size() * 2);
  tag("RIFF");
  u32(36 + data_len);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(static_cast<std::uint32_t>(sampleRate));
  u32(static_cast<std::uint32_t>(sampleRate) * 2);
  u16(2);
  u16(16);
  tag("data");
  u32(data_len);
  for (std::int16_t s : samples) u16(static_cast<std::uint16_t>(s));
  return out;
}
