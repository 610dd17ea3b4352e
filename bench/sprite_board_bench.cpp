// The site board at its fullest: 30 tiles of four sprites each on the 750 x 475 board.
// Figures are ratios to a plain copy of the board's surface measured in the same run.

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <vector>

#include "ui/compositor.h"
#include "ui/sprite_board.h"

namespace {

constexpr int kBoardWidth = 750;
constexpr int kBoardHeight = 475;

// CPU time of this thread: the machine is shared, wall time would measure the others.
double CpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e9 + t.tv_nsec;
}

Image Picture(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b, int clearEvery) {
  Image img;
  img.width = w;
  img.height = h;
  img.frames.resize(1);
  auto& px = img.frames[0].rgba;
  px.resize(static_cast<std::size_t>(w) * h * 4);
  for (int i = 0; i < w * h; ++i) {
    px[i * 4] = static_cast<std::uint8_t>(r + i % 7);
    px[i * 4 + 1] = g;
    px[i * 4 + 2] = b;
    // Some pixels clear, some half: icons have soft edges, texts mostly background.
    px[i * 4 + 3] = clearEvery && i % clearEvery == 0 ? 0 : (i % 11 == 0 ? 128 : 255);
  }
  return img;
}

// A page as the site board lays it out: icon scaled 32 -> 50, name text, account and
// modify buttons, in the order and at the places of the tiles.
void FillSiteBoard(SpriteBoardModel& board) {
  SpriteTemplateSettings icon, name, account, modify;
  icon.picture = Picture(32, 32, 200, 80, 20, 9);
  name.picture = Picture(100, 20, 255, 255, 255, 2);
  account.picture = Picture(35, 25, 60, 160, 60, 13);
  modify.picture = Picture(32, 24, 90, 90, 200, 0);
  for (int slot = 0; slot < 30; ++slot) {
    const int x = 110 * (slot % 6), y = 80 * (slot / 6);
    const int id = board.CreateObject(&icon, x + 55, y + 25);
    board.SetScale(id, 1562);
    board.CreateObject(&name, x + 55, y + 80);
    board.CreateObject(&account, x + 110, y + 54);
    board.CreateObject(&modify, x + 110, y + 25);
  }
}

// Nanoseconds of one plain copy of a board-sized surface.
double CopyNs(int repeats) {
  static Surface from, to;
  if (from.width == 0) {
    ResizeSurface(from, kBoardWidth, kBoardHeight);
    ResizeSurface(to, kBoardWidth, kBoardHeight);
  }
  const double t0 = CpuNs();
  for (int i = 0; i < repeats; ++i) {
    std::memcpy(to.rgba.data(), from.rgba.data(), from.rgba.size());
    benchmark::DoNotOptimize(to.rgba.data());
    benchmark::ClobberMemory();
  }
  const double t1 = CpuNs();
  return (t1 - t0) / repeats;
}

void BM_PlainCopyOfTheSurface(benchmark::State& state) {
  Surface from, to;
  ResizeSurface(from, kBoardWidth, kBoardHeight);
  ResizeSurface(to, kBoardWidth, kBoardHeight);
  for (auto _ : state) {
    std::memcpy(to.rgba.data(), from.rgba.data(), from.rgba.size());
    benchmark::DoNotOptimize(to.rgba.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PlainCopyOfTheSurface);

void BM_ComposeWholeSiteBoard(benchmark::State& state) {
  SpriteBoardModel board(kBoardWidth, kBoardHeight, RgbColour(0, 96, 192), nullptr);
  FillSiteBoard(board);
  Surface surface;
  ComposeDirty(board, surface);
  const double t0 = CpuNs();
  for (auto _ : state) {
    board.InvalidateAll();
    ComposeDirty(board, surface);
    benchmark::DoNotOptimize(surface.rgba.data());
    benchmark::ClobberMemory();
  }
  const double t1 = CpuNs();
  const double ns = (t1 - t0) / static_cast<double>(state.iterations());
  state.counters["sprites"] = static_cast<double>(board.sprites.size());
  state.counters["x_copy"] = ns / CopyNs(static_cast<int>(std::max<long>(state.iterations(), 100)));
}
BENCHMARK(BM_ComposeWholeSiteBoard);

// One pointer move: step 1's checks, the hit test from the top, leave and enter when
// the sprite under the pointer changes, and the move event, each with a handler.
void BM_PointerMoveOverFullBoard(benchmark::State& state) {
  SpriteBoardModel board(kBoardWidth, kBoardHeight, RgbColour(0, 96, 192), nullptr);
  FillSiteBoard(board);
  long handled = 0;
  board.events.pointerEntered = [&](int id, int) { handled += id; };
  board.events.pointerLeft = [&](int id, int) { handled -= id; };
  board.events.pointerMoved = [&](int x, int, int) { handled += x & 1; };
  // A path across the board: over icons, names, buttons and the background between them.
  std::vector<std::pair<int, int>> path;
  for (int y = 5; y < kBoardHeight; y += 23)
    for (int x = 3; x < kBoardWidth; x += 17) path.emplace_back(x, y);
  std::size_t i = 0;
  const double t0 = CpuNs();
  for (auto _ : state) {
    const auto& p = path[i];
    board.PointerMove(p.first, p.second, false);
    if (++i == path.size()) i = 0;
  }
  const double t1 = CpuNs();
  benchmark::DoNotOptimize(handled);
  const double ns = (t1 - t0) / static_cast<double>(state.iterations());
  state.counters["x_copy"] = ns / CopyNs(1000);
}
BENCHMARK(BM_PointerMoveOverFullBoard);

}  // namespace

BENCHMARK_MAIN();
