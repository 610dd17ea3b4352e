// Find by typing over 10,000 favorites: the search of one keystroke (every favorite's
// name, address and pinyin against the typed text) as a ratio (x_page) to laying out
// one page of 30 tiles, measured alternately in the same run. A keystroke must cost no
// more than the page it then shows (x_page <= 1). The first keystroke of a run also
// reads every favorite's name once for the search; that is shown the same way.

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/paths.h"
#include "browser/find_by_typing.h"
#include "browser/site_board.h"
#include "program/program.h"
#include "support/encode_pictures.h"
#include "ui/scripted_services.h"

namespace {

double ThreadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e9 + t.tv_nsec;
}

void Write(const std::string& host, const Bytes& bytes) {
  std::ofstream(host, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes Png(int side, int seed) {
  std::vector<std::uint8_t> px(static_cast<size_t>(side) * side * 4);
  for (size_t i = 0; i < px.size(); ++i) px[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(i * 7 + seed);
  return EncodePngRgba(side, side, px.data());
}

// Names as imported bookmarks have them: two to six common Chinese characters, some
// with Latin words before or after.
Text NameOf(int i) {
  static const char* chars[] = {"百", "度", "淘", "宝", "网", "新", "浪", "微", "博", "腾", "讯", "视", "频",
                                "中", "国", "银", "行", "京", "东", "商", "城", "音", "乐", "新", "闻", "社",
                                "区", "论", "坛", "游", "戏", "学", "习", "资", "源", "下", "载", "地", "图"};
  const int n = sizeof chars / sizeof chars[0];
  std::string utf8;
  if (i % 5 == 0) utf8 += "Site" + std::to_string(i % 97) + " ";
  const int len = 2 + i % 5;
  unsigned x = static_cast<unsigned>(i) * 2654435761u;
  for (int k = 0; k < len; ++k, x = x * 1103515245u + 12345u) utf8 += chars[(x >> 16) % n];
  if (i % 7 == 0) utf8 += " Online";
  return Utf8ToGbk(utf8);
}

struct FindSetup {
  FindSetup() {
    host = "/tmp/vk_find_bench_" + std::to_string(getpid());
    for (const char* d : {"", "/网站图标", "/配置图片", "/配置图片/翻页"}) mkdir((host + d).c_str(), 0700);
    SetRunDirectory(ProgramPath(host));
    for (int i = 1; i <= 10000; ++i) {
      FavoriteRecord r;
      r.siteName = NameOf(i);
      r.address = "https://www.example" + std::to_string(i) + ".com/path/" + std::to_string(i * 31 % 1000);
      r.iconPath = GBK("\\网站图标\\") + NumberText(i % 30 + 1) + ".png";
      r.category = i % 7;
      r.common = i % 3 == 0;
      program.state.allRecords.push_back(r);
    }
    for (int i = 1; i <= 30; ++i) Write(HostPath(RunDirectory() + GBK("\\网站图标\\") + NumberText(i) + ".png"), Png(32, i));
    Write(host + "/配置图片/帐号.gif", Png(35, 1));
    Write(host + "/配置图片/修改.jpg", Png(32, 2));
    program.services = fake.bundle();
    BuildPageControls(program);
    SelectCategory(program, 0);
  }
  ~FindSetup() {
    std::string command = "rm -rf '" + host + "'";
    if (std::system(command.c_str()) != 0) {
    }
  }
  std::string host;
  ScriptedServices fake;
  Program program;
};

FindSetup& Setup() {
  static FindSetup setup;
  return setup;
}

// What a user types, one keystroke at a time: pinyin initials, syllables, an address.
const std::vector<Text>& Keystrokes() {
  static const std::vector<Text> typed = {"b", "bd", "t", "tb", "tbw", "x", "xl", "xinl", "xinlang",
                                          "e", "ex", "example12", "s", "si", "site4", "zz"};
  return typed;
}

double PageNs() {
  const double t0 = ThreadCpuNs();
  ShowPage(Setup().program, 1);
  benchmark::DoNotOptimize(Setup().program.state.tiles.data());
  return ThreadCpuNs() - t0;
}

void BM_SearchPerKeystroke(benchmark::State& state) {
  AppState& s = Setup().program.state;
  FindFavorites(s, "a");  // the names read once, as the first keystroke does
  double searchNs = 0, pageNs = 0, found = 0;
  size_t k = 0;
  for (auto _ : state) {
    const Text& typed = Keystrokes()[k++ % Keystrokes().size()];
    const double t0 = ThreadCpuNs();
    std::vector<FavoriteRecord> matches = FindFavorites(s, typed);
    searchNs += ThreadCpuNs() - t0;
    found += static_cast<double>(matches.size());
    pageNs += PageNs();
  }
  state.counters["found"] = found / static_cast<double>(state.iterations());
  state.counters["x_page"] = pageNs > 0 ? searchNs / pageNs : 0;
}
BENCHMARK(BM_SearchPerKeystroke);

// The first keystroke of a run: every favorite's name and address read for the search.
void BM_FirstKeystroke(benchmark::State& state) {
  AppState& s = Setup().program.state;
  double firstNs = 0, pageNs = 0;
  for (auto _ : state) {
    s.keyboard.keys.clear();
    s.keyboard.keysMade = false;
    const double t0 = ThreadCpuNs();
    benchmark::DoNotOptimize(FindFavorites(s, "b").size());
    firstNs += ThreadCpuNs() - t0;
    pageNs += PageNs();
  }
  state.counters["x_page"] = pageNs > 0 ? firstNs / pageNs : 0;
}
BENCHMARK(BM_FirstKeystroke)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
