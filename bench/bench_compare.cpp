// Comparing two maximum titles (99 of every list, automation at the word limit) that differ
// throughout, against loading both of them in the same run. Goal: at most 3.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bench/MedianReporter.h"
#include "core/compare/Compare.h"
#include "core/model/Title.h"
#include "tools/TitleGenerator.h"

namespace {

namespace fs = std::filesystem;

fs::path Folder() {
  static const fs::path folder = [] {
    fs::path f = fs::temp_directory_path() / ("orb_bench_compare_" + std::to_string(::getpid()));
    fs::create_directories(f);
    return f;
  }();
  return folder;
}

// Two maximum titles from different seeds: every record differs.
std::string MaximumFile(std::uint32_t seed) {
  const fs::path path = Folder() / ("Maximum" + std::to_string(seed) + ".orb");
  if (!fs::exists(path)) {
    orb::gen::TitleSpec spec;
    spec.name = "Maximum";
    spec.snapshots = spec.cues = spec.dynamics = spec.eq = 99;
    spec.automation_words = orb::Title::kMaxAutomationWords;
    spec.seed = seed;
    const std::vector<std::uint8_t> bytes = orb::gen::MakeTitle(spec);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  return path.string();
}

void BM_LoadBoth(benchmark::State& state) {
  for (auto _ : state) {
    orb::Title a, b;
    if (a.OpenTitle(MaximumFile(1)) != orb::kOk || b.OpenTitle(MaximumFile(2)) != orb::kOk)
      state.SkipWithError("load failed");
  }
}
BENCHMARK(BM_LoadBoth)->Unit(benchmark::kMillisecond);

void BM_Compare(benchmark::State& state) {
  orb::Title a, b;
  if (a.OpenTitle(MaximumFile(1)) != orb::kOk || b.OpenTitle(MaximumFile(2)) != orb::kOk)
    state.SkipWithError("load failed");
  std::size_t found = 0;
  for (auto _ : state) found = orb::CompareTitles(a, b).size();
  state.counters["differences"] = static_cast<double>(found);
}
BENCHMARK(BM_Compare)->Unit(benchmark::kMillisecond);

void PrintGoals(const orb::bench::MedianReporter& results) {
  std::printf("\ncompare / load of both: %.2f (goal <= 3)\n",
              results.Ratio("BM_Compare", "BM_LoadBoth"));
}

}  // namespace

int main(int argc, char** argv) {
  orb::bench::RunWithGoals(argc, argv, PrintGoals);
  std::error_code error;
  fs::remove_all(Folder(), error);
  return 0;
}
