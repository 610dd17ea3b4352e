// Importing 10,000 favorites the way edbtool's import-bookmarks stores them (one batch
// under one journal), as a ratio to the same import with the journal and its flushes
// switched off, measured in the same run. For comparison, 500 favorites appended one by
// one, each its own journaled and flushed step, against the same without flushes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/paths.h"
#include "storage/record_file.h"
#include "storage/record_file_testing.h"

#include "favorite_fields.h"

namespace {

std::vector<OptionalFieldValue> Favorite(int i) {
  const std::string n = std::to_string(i);
  return {FieldValue("site " + n), FieldValue("\\网站图标\\site" + n + ".png"), FieldValue("http://host" + n + ".example/"),
          FieldValue(""), FieldValue(""), FieldValue(i % 12), FieldValue(""), FieldValue(0), FieldValue("")};
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// A fresh table, `n` favorites stored in one batch or one by one; seconds taken.
double Import(const std::string& dir, int n, bool batch, bool flushes) {
  static int serial = 0;
  const Text path = ProgramPath(dir + "/t" + std::to_string(serial++) + ".edb");
  if (!CreateRecordFile(path, FavoriteFields())) std::abort();
  std::vector<std::vector<OptionalFieldValue>> rows;
  for (int i = 0; i < n; ++i) rows.push_back(Favorite(i));
  SetRecordFileJournalForTesting(flushes);
  auto t0 = std::chrono::steady_clock::now();
  if (!OpenRecordFile(path)) std::abort();
  if (batch) {
    if (!AppendRecords(rows)) std::abort();
  } else {
    for (const auto& r : rows)
      if (!AppendRecord(r)) std::abort();
  }
  CloseRecordFile(path);
  const double s = Seconds(std::chrono::steady_clock::now() - t0);
  SetRecordFileJournalForTesting(true);
  return s;
}

void BM_ImportTenThousandBookmarks(benchmark::State& state) {
  char tmpl[] = "/tmp/vk-bench-import-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  const std::string dir = tmpl;
  double with = 1e9, without = 1e9, single_with = 1e9, single_without = 1e9;
  for (auto _ : state) {
    // Alternating, so both see the same disk and the same load.
    with = std::min(with, Import(dir, 10000, true, true));
    without = std::min(without, Import(dir, 10000, true, false));
    single_with = std::min(single_with, Import(dir, 500, false, true));
    single_without = std::min(single_without, Import(dir, 500, false, false));
  }
  state.counters["batch_10000_ms"] = with * 1000;
  state.counters["batch_x"] = with / without;
  state.counters["one_by_one_500_ms"] = single_with * 1000;
  state.counters["one_by_one_x"] = single_with / single_without;
  std::system(("rm -rf '" + dir + "'").c_str());
}
BENCHMARK(BM_ImportTenThousandBookmarks)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
