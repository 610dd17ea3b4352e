// import-bookmarks on the two inputs that once took it quadratic time: many links on one
// host, each with an icon (every icon needs a name of its own), and one title made of
// ampersands. Each is timed against the same input at a tenth of the size, in the same
// run: linear work shows about 10x. Those imports are dry runs: everything but the writes.
// Then the largest real browser export of the test data, stored for real, against the
// same import with the engine's journal and flushes switched off: what crash safety costs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/paths.h"
#include "base/text.h"
#include "bookmarks_import.h"
#include "data_uri.h"
#include "png_encode.h"
#include "storage/record_file.h"
#include "storage/record_file_testing.h"

namespace {

namespace fs = std::filesystem;

const std::string& IconUri() {
  static const std::string uri = [] {
    std::string rgba(16 * 16 * 4, '\x80');
    const Bytes png = edbtool::EncodePng(16, 16, reinterpret_cast<const std::uint8_t*>(rgba.data()));
    return "data:image/png;base64," + edbtool::Base64Encode(png);
  }();
  return uri;
}

std::string ManyOnOneHost(int links) {
  std::string html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
  for (int i = 0; i < links; ++i)
    html += "<DT><A HREF=\"https://www.example.com/" + std::to_string(i) + "\" ICON=\"" + IconUri() + "\">page " +
            std::to_string(i) + "</A>\n";
  return html + "</DL><p>\n";
}

std::string AmpersandTitle(std::size_t bytes) {
  return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"https://example.com/\">" +
         std::string(bytes, '&') + "</A>\n</DL><p>\n";
}

// A fresh run directory with an empty favorites table; the import of `html` into it, in seconds.
double ImportSeconds(const std::string& html, bool dryRun = true) {
  char tmpl[] = "/tmp/vk-bench-import-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  const std::string dir = tmpl;
  const std::string table = dir + "/数据库.edb";
  const std::vector<FieldSpec> fields = {
      {GBK("网站名称"), kTypeText, 64}, {GBK("网站图标"), kTypeText, 128}, {GBK("网址"), kTypeText, 256},
      {GBK("帐号"), kTypeText, 64},     {GBK("密码"), kTypeText, 64},     {GBK("分类"), kTypeInt, 0},
      {GBK("点击声音"), kTypeText, 128}, {GBK("常用"), kTypeInt, 0},      {GBK("描述"), kTypeText, 256}};
  if (!CreateRecordFile(ProgramPath(table), fields)) std::abort();
  std::ofstream(dir + "/bookmarks.html", std::ios::binary) << html;
  edbtool::ImportOptions options;
  options.table = table;
  options.file = dir + "/bookmarks.html";
  options.dryRun = dryRun;
  std::ostringstream out, err;
  const auto t0 = std::chrono::steady_clock::now();
  if (edbtool::ImportBookmarks(options, out, err) != 0) std::abort();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  fs::remove_all(dir);
  return seconds;
}

// The best of each size, the two sizes alternating so both see the same machine.
void Compare(benchmark::State& state, const std::string& full, const std::string& tenth) {
  double big = 1e9, small = 1e9;
  for (auto _ : state) {
    small = std::min(small, ImportSeconds(tenth));
    big = std::min(big, ImportSeconds(full));
  }
  state.counters["full_ms"] = big * 1000;
  state.counters["tenth_ms"] = small * 1000;
  state.counters["x_tenth"] = big / small;
}

void BM_ManyIconsOnOneHost(benchmark::State& state) { Compare(state, ManyOnOneHost(10000), ManyOnOneHost(1000)); }
BENCHMARK(BM_ManyIconsOnOneHost)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TitleOfAmpersands(benchmark::State& state) {
  Compare(state, AmpersandTitle(1600 * 1000), AmpersandTitle(160 * 1000));
}
BENCHMARK(BM_TitleOfAmpersands)->Unit(benchmark::kMillisecond)->Iterations(3);

std::string LargestRealFile() {
  const fs::path dir = fs::path(VK_SOURCE_DIR) / "tools/edbtool/test/data/bookmarks-real";
  fs::path largest;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".html" && (largest.empty() || e.file_size() > fs::file_size(largest)))
      largest = e.path();
  std::ifstream in(largest, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void BM_LargestRealFileStored(benchmark::State& state) {
  const std::string html = LargestRealFile();
  double with = 1e9, without = 1e9;
  for (auto _ : state) {
    with = std::min(with, ImportSeconds(html, false));
    SetRecordFileJournalForTesting(false);
    without = std::min(without, ImportSeconds(html, false));
    SetRecordFileJournalForTesting(true);
  }
  state.counters["stored_ms"] = with * 1000;
  state.counters["no_flush_ms"] = without * 1000;
  state.counters["x_no_flush"] = with / without;
}
BENCHMARK(BM_LargestRealFileStored)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
