// A page turn of the site board: ShowPage of 30 tiles, every icon and both button
// pictures read from disk and decoded again, 120 sprites deleted and created. The
// figure (x_decode) is a ratio to reading and decoding the same 90 pictures alone, in
// the same run; the icons' scaling alone is shown the same way beside it. A page of
// 30 damaged icons is measured against a page of 30 good ones (x_good).

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "program/program.h"
#include "base/paths.h"
#include "browser/site_board.h"
#include "ui/compositor.h"
#include "ui/image.h"
#include "ui/scripted_services.h"
#include "support/encode_pictures.h"
#include "support/png_chunks.h"

namespace {

// Both sides of the ratio count this thread's CPU time: the machine is shared, and
// the wall clock would count the other programs too.
double ThreadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e9 + t.tv_nsec;
}

// A picture with soft, varied content, so the encoders have something to squeeze.
std::vector<std::uint8_t> Pixels(int w, int h, int seed, int channels) {
  std::vector<std::uint8_t> px(static_cast<size_t>(w) * h * channels);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * channels];
      p[0] = static_cast<std::uint8_t>(x * 7 + seed * 13);
      p[1] = static_cast<std::uint8_t>(y * 5 + seed * 3);
      p[2] = static_cast<std::uint8_t>((x ^ y) * 9 + seed);
      if (channels == 4) p[3] = (x + y) % 9 == 0 ? 0 : 255;
    }
  return px;
}

Bytes Png(int w, int h, int seed) {
  std::vector<std::uint8_t> px = Pixels(w, h, seed, 4);
  return EncodePngRgba(w, h, px.data());
}

Bytes Jpeg(int w, int h) {
  std::vector<std::uint8_t> px = Pixels(w, h, 5, 3);
  return EncodeJpeg(w, h, 3, px.data(), 90);
}

int GifWrite(GifFileType* gif, const GifByteType* data, int length) {
  Bytes* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

Bytes Gif(int w, int h) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &error);
  GifColorType colours[16];
  for (int i = 0; i < 16; ++i) colours[i] = {static_cast<GifByteType>(i * 16), 90, static_cast<GifByteType>(255 - i * 16)};
  ColorMapObject* map = GifMakeMapObject(16, colours);
  EGifPutScreenDesc(gif, w, h, 4, 0, map);
  EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
  std::vector<GifByteType> row(w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) row[x] = static_cast<GifByteType>((x + y) % 16);
    EGifPutLine(gif, row.data(), w);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

void Write(const std::string& host, const Bytes& bytes) {
  std::ofstream(host, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes BmpClaiming(int w, int h, int bpp, int compression, std::size_t dataBytes) {
  Bytes b(54 + dataBytes, 0x55);
  b[0] = 'B', b[1] = 'M';
  Le32(b, 2, static_cast<std::uint32_t>(b.size())), Le32(b, 10, 54), Le32(b, 14, 40);
  Le32(b, 18, w), Le32(b, 22, h), Le32(b, 26, 1 | (bpp << 16)), Le32(b, 30, compression);
  Le32(b, 46, bpp <= 8 ? 1 : 0);  // one palette colour
  return b;
}

// The damaged and hostile icons users' folders really hold, one kind per slot: cut
// files, files that declare huge chunks, sizes, scans, frames or entries, garbage.
Bytes DamagedIcon(int i) {
  const Bytes good = Png(32, 32, i);
  switch (i % 15) {
    case 0: {  // 57 bytes declaring a 2 GiB text chunk
      Bytes b = PngHead(1, 1);
      PngChunk(b, "tEXt", Bytes(12, 'a'), 0x7FFFFFF0);
      b.resize(57);
      return b;
    }
    case 1: {  // 16384 x 1024 from a few bytes of data
      Bytes b = PngHead(16384, 1024);
      PngChunk(b, "IDAT", {0x78, 0x9c, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
      PngChunk(b, "IEND", {});
      return b;
    }
    case 2: return Bytes(good.begin(), good.begin() + good.size() / 2);  // cut in its pixels
    case 3: return Bytes(good.begin(), good.end() - 12);                 // no IEND: shown
    case 4: {  // a progressive JPEG that declares 16384 x 1024
      std::vector<std::uint8_t> px = Pixels(32, 32, i, 3);
      Bytes b = EncodeJpeg(32, 32, 3, px.data(), 90, true);
      for (std::size_t k = 2; k + 8 < b.size(); ++k)
        if (b[k] == 0xFF && b[k + 1] == 0xC2) {
          b[k + 5] = 0x04, b[k + 6] = 0x00, b[k + 7] = 0x40, b[k + 8] = 0x00;
          break;
        }
      return b;
    }
    case 5: {  // a JPEG cut in its scan
      Bytes b = Jpeg(32, 32);
      return Bytes(b.begin(), b.begin() + b.size() * 2 / 3);
    }
    case 6: {  // a progressive JPEG whose last scan repeats 150 times
      std::vector<std::uint8_t> px = Pixels(32, 32, i, 3);
      Bytes b = EncodeJpeg(32, 32, 3, px.data(), 90, true);
      std::size_t last = 0;
      for (std::size_t k = 2; k + 1 < b.size(); ++k)
        if (b[k] == 0xFF && b[k + 1] == 0xDA) last = k;
      Bytes out(b.begin(), b.begin() + last), scan(b.begin() + last, b.end() - 2);
      for (int r = 0; r < 150; ++r) out.insert(out.end(), scan.begin(), scan.end());
      out.push_back(0xFF), out.push_back(0xD9);
      return out;
    }
    case 7: {  // a GIF whose screen is 16384 x 1024
      Bytes b = Gif(8, 8);
      b[6] = 0x00, b[7] = 0x40, b[8] = 0x00, b[9] = 0x04;
      return b;
    }
    case 8: {  // a GIF cut in its data
      Bytes b = Gif(32, 32);
      return Bytes(b.begin(), b.begin() + b.size() / 2);
    }
    case 9: return BmpClaiming(16384, 1024, 24, 0, 100);  // plain pixels, far too few
    case 10: return BmpClaiming(16384, 1024, 8, 1, 8);    // RLE8, far too few
    case 11: {  // an icon of 4000 entries on one body that claims 4096 x 4096
      const int entries = 4000;
      Bytes b(6 + 16 * entries, 0);
      b[2] = 1, b[4] = entries & 255, b[5] = entries >> 8;
      Bytes body = BmpClaiming(4096, 8192, 32, 0, 0);
      body.erase(body.begin(), body.begin() + 14);
      for (int e = 0; e < entries; ++e) {
        b[6 + 16 * e + 6] = 32;
        Le32(b, 6 + 16 * e + 8, static_cast<std::uint32_t>(body.size()));
        Le32(b, 6 + 16 * e + 12, static_cast<std::uint32_t>(b.size()));
      }
      b.insert(b.end(), body.begin(), body.end());
      return b;
    }
    case 12: {  // random bytes behind a PNG signature
      Bytes b(good.begin(), good.begin() + 8);
      for (int k = 0; k < 2000; ++k) b.push_back(static_cast<std::uint8_t>(k * 7919 + i));
      return b;
    }
    case 13: return Bytes();  // an empty file
    default: {                // a zero-filled file of the good one's size
      return Bytes(good.size(), 0);
    }
  }
}

// A run directory with 30 favorites, their icons (32 x 32 PNG), the two tile buttons
// and the page buttons; the program built up to page 1 of the common list.
struct PageTurnSetup {
  PageTurnSetup() {
    host = "/tmp/vk_page_turn_bench_" + std::to_string(getpid());
    for (const char* d : {"", "/网站图标", "/配置图片", "/配置图片/翻页"}) mkdir((host + d).c_str(), 0700);
    SetRunDirectory(ProgramPath(host));
    for (int i = 1; i <= 30; ++i) {
      FavoriteRecord r;
      r.siteName = GBK("网站") + NumberText(i);
      r.iconPath = GBK("\\网站图标\\") + NumberText(i) + ".png";
      r.common = 1;
      Write(HostPath(RunDirectory() + r.iconPath), Png(32, 32, i));
      program.state.allRecords.push_back(r);
      pictures.push_back(RunDirectory() + r.iconPath);
      pictures.push_back(RunDirectory() + GBK("\\配置图片\\帐号.gif"));
      pictures.push_back(RunDirectory() + GBK("\\配置图片\\修改.jpg"));
    }
    Write(host + "/配置图片/帐号.gif", Gif(35, 25));
    Write(host + "/配置图片/修改.jpg", Jpeg(32, 24));
    for (int k = 1; k <= 4; ++k) Write(host + "/配置图片/翻页/ye" + std::to_string(k) + "1.png", Png(72, 24, 40 + k));
    program.services = fake.bundle();
    BuildPageControls(program);
    SelectCategory(program, 0);
    // The same page over 30 damaged icons.
    for (int i = 1; i <= 30; ++i) {
      FavoriteRecord r = program.state.allRecords[i - 1];
      r.iconPath = GBK("\\网站图标\\damaged") + NumberText(i) + ".png";
      Write(HostPath(RunDirectory() + r.iconPath), DamagedIcon(i));
      damaged.state.allRecords.push_back(r);
    }
    damaged.services = fakeDamaged.bundle();
    BuildPageControls(damaged);
    SelectCategory(damaged, 0);
  }
  ~PageTurnSetup() {
    std::string command = "rm -rf '" + host + "'";
    if (std::system(command.c_str()) != 0) {
    }
  }

  std::string host;
  std::vector<Text> pictures;  // the 90 files one page reads, in its order
  ScriptedServices fake;
  Program program;
  ScriptedServices fakeDamaged;
  Program damaged;
};

PageTurnSetup& Setup() {
  static PageTurnSetup setup;
  return setup;
}

// Nanoseconds to read and decode the 90 pictures of one page.
double ReadAndDecodeNs(int repeats) {
  const std::vector<Text>& pictures = Setup().pictures;
  const double t0 = ThreadCpuNs();
  for (int i = 0; i < repeats; ++i)
    for (const Text& path : pictures) {
      Image image = DecodePicture(ReadFileBytes(path));
      benchmark::DoNotOptimize(image.width);
    }
  return (ThreadCpuNs() - t0) / repeats;
}

void BM_ReadAndDecodeThePicturesOfAPage(benchmark::State& state) {
  const std::vector<Text>& pictures = Setup().pictures;
  for (auto _ : state)
    for (const Text& path : pictures) {
      Image image = DecodePicture(ReadFileBytes(path));
      benchmark::DoNotOptimize(image.width);
    }
}
BENCHMARK(BM_ReadAndDecodeThePicturesOfAPage);

// The one thing a page turn adds beyond the pictures themselves that weighs: the 30
// icons scaled from 32 x 32 to 50 x 50 by the board's scaler.
void BM_ScaleTheIconsOfAPage(benchmark::State& state) {
  std::vector<Image> icons;
  const std::vector<Text>& pictures = Setup().pictures;
  for (size_t i = 0; i < pictures.size(); i += 3) icons.push_back(DecodePicture(ReadFileBytes(pictures[i])));
  const double t0 = ThreadCpuNs();
  for (auto _ : state)
    for (const Image& icon : icons) {
      Image drawn = ScaleImage(icon, 50, 50, false);
      benchmark::DoNotOptimize(drawn.width);
    }
  const double ns = (ThreadCpuNs() - t0) / static_cast<double>(state.iterations());
  state.counters["x_decode"] =
      ns / ReadAndDecodeNs(static_cast<int>(std::max<benchmark::IterationCount>(state.iterations(), 20)));
}
BENCHMARK(BM_ScaleTheIconsOfAPage);

void BM_PageTurn(benchmark::State& state) {
  Program& program = Setup().program;
  // Page turns and the decoding baseline alternate, so both see the same machine
  // state (caches, other load) and the ratio does not drift with it.
  double pageNs = 0, decodeNs = 0;
  for (auto _ : state) {
    const double t0 = ThreadCpuNs();
    ShowPage(program, 1);
    benchmark::DoNotOptimize(program.state.tiles.data());
    const double t1 = ThreadCpuNs();
    decodeNs += ReadAndDecodeNs(1);
    pageNs += t1 - t0;
  }
  state.counters["tiles"] = static_cast<double>(program.state.tiles.size());
  state.counters["x_decode"] = decodeNs > 0 ? pageNs / decodeNs : 0;
}
BENCHMARK(BM_PageTurn);

// A page whose 30 icons are damaged or hostile, as a ratio (x_good) to the same page
// over 30 good icons, turned alternately in the same run.
void BM_PageTurnOverDamagedIcons(benchmark::State& state) {
  Program& good = Setup().program;
  Program& damaged = Setup().damaged;
  double damagedNs = 0, goodNs = 0;
  for (auto _ : state) {
    const double t0 = ThreadCpuNs();
    ShowPage(damaged, 1);
    benchmark::DoNotOptimize(damaged.state.tiles.data());
    const double t1 = ThreadCpuNs();
    ShowPage(good, 1);
    benchmark::DoNotOptimize(good.state.tiles.data());
    damagedNs += t1 - t0;
    goodNs += ThreadCpuNs() - t1;
  }
  state.counters["tiles"] = static_cast<double>(damaged.state.tiles.size());
  state.counters["x_good"] = goodNs > 0 ? damagedNs / goodNs : 0;
}
BENCHMARK(BM_PageTurnOverDamagedIcons);

}  // namespace

BENCHMARK_MAIN();
