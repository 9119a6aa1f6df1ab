// Speed and memory of a maximum title (99 of every list, automation at the
// word limit), each measured against a plain baseline in the same run:
//   load + save       against reading and writing the same bytes,
//   one undo step      (Assign of all six lists) against memcpy of the same bytes,
//   loaded memory      against the file size.
// The ratios are printed at the end; goals: at most 3 each.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

#include "bench/ScratchFolder.h"
#include "core/model/DebugLog.h"
#include "core/model/Title.h"
#include "tools/TitleGenerator.h"

namespace {

// Live and peak heap bytes, counted by the replaced operator new below.
std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

namespace fs = std::filesystem;

// Made once: a loop may name it in every round.
fs::path Folder() {
  static const fs::path folder = orb::bench::ScratchFolder("title");
  return folder;
}

orb::gen::TitleSpec MaximumSpec() {
  orb::gen::TitleSpec spec;
  spec.name = "Maximum";
  spec.snapshots = spec.cues = spec.dynamics = spec.eq = 99;
  spec.automation_words = orb::Title::kMaxAutomationWords;
  return spec;
}

const std::vector<std::uint8_t>& MaximumBytes() {
  static const std::vector<std::uint8_t> bytes = orb::gen::MakeTitle(MaximumSpec());
  return bytes;
}

fs::path MaximumFile() {
  static const fs::path path = [] {
    fs::path p = Folder() / "Maximum.orb";
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(MaximumBytes().data()),
              static_cast<std::streamsize>(MaximumBytes().size()));
    return p;
  }();
  return path;
}

void BM_TitleLoadSave(benchmark::State& state) {
  const std::string path = MaximumFile().string();
  for (auto _ : state) {
    orb::Title title;
    if (title.OpenTitle(path) != orb::kOk || title.SaveTitle(nullptr) != orb::kOk)
      state.SkipWithError("load or save failed");
  }
  state.SetBytesProcessed(state.iterations() * MaximumBytes().size() * 2);
}
BENCHMARK(BM_TitleLoadSave)->Unit(benchmark::kMillisecond);

// What any program must do at least: read the file into memory of its own,
// then save it as safely as a title is saved: write it under a temporary name,
// flush it, move it over the old one and flush the folder.
void BM_PlainReadWrite(benchmark::State& state) {
  const std::string path = MaximumFile().string();
  const std::string temporary = path + ".plain";
  for (auto _ : state) {
    std::vector<std::uint8_t> buffer(MaximumBytes().size());
    std::FILE* in = std::fopen(path.c_str(), "rb");
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
    std::fclose(in);
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    const std::size_t put = std::fwrite(buffer.data(), 1, got, out);
    std::fflush(out);
    ::fsync(fileno(out));
    std::fclose(out);
    std::rename(temporary.c_str(), path.c_str());
    const int folder = ::open(Folder().c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(folder);
    ::close(folder);
    if (got != buffer.size() || put != got) state.SkipWithError("plain read or write failed");
  }
  state.SetBytesProcessed(state.iterations() * MaximumBytes().size() * 2);
}
BENCHMARK(BM_PlainReadWrite)->Unit(benchmark::kMillisecond);

orb::Title& LoadedMaximum() {
  static orb::Title title;
  static const bool loaded = title.OpenTitle(MaximumFile().string()) == orb::kOk;
  if (!loaded) std::abort();
  return title;
}

std::uint64_t DataBytes(orb::Title& title) {
  std::uint64_t bytes = 0;
  for (int n = 0; n < orb::Title::kListCount; ++n) bytes += title.List(n)->DataSize();
  return bytes;
}

void BM_UndoStepAssign(benchmark::State& state) {
  orb::Title& title = LoadedMaximum();
  orb::Title copy;
  for (auto _ : state) {
    for (int n = 0; n < orb::Title::kListCount; ++n) copy.List(n)->Assign(*title.List(n));
    benchmark::ClobberMemory();
  }
  while (!orb::NextLogLine().empty()) {
  }
  state.SetBytesProcessed(state.iterations() * DataBytes(title));
}
BENCHMARK(BM_UndoStepAssign)->Unit(benchmark::kMillisecond);

// The undo ring reuses its slots, so the baseline copies into a buffer that
// already exists.
void BM_UndoStepMemcpy(benchmark::State& state) {
  const std::size_t bytes = DataBytes(LoadedMaximum());
  std::vector<std::uint8_t> from(bytes, 1);
  std::vector<std::uint8_t> to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_UndoStepMemcpy)->Unit(benchmark::kMillisecond);

void BM_LoadedMemory(benchmark::State& state) {
  const std::string path = MaximumFile().string();
  double ratio = 0;
  for (auto _ : state) {
    const std::size_t before = g_live.load();
    g_peak = before;
    {
      orb::Title title;
      if (title.OpenTitle(path) != orb::kOk) state.SkipWithError("load failed");
      ratio = static_cast<double>(g_peak.load() - before) / MaximumBytes().size();
    }
  }
  state.counters["peak_over_file"] = ratio;
}
BENCHMARK(BM_LoadedMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

void PrintGoals(const orb::bench::MedianReporter& results) {
  std::printf("\nload + save / plain read + write: %.2f (goal <= 3)\n",
              results.Ratio("BM_TitleLoadSave", "BM_PlainReadWrite"));
  std::printf("undo step (Assign) / memcpy:      %.2f (goal <= 3)\n",
              results.Ratio("BM_UndoStepAssign", "BM_UndoStepMemcpy"));
  std::printf("peak memory of a load / file size: %.2f (goal <= 3)\n",
              results.Counter("peak_over_file"));
}

}  // namespace

void* operator new(std::size_t size) {
  void* p = std::malloc(size + 16);
  if (!p) throw std::bad_alloc();
  *static_cast<std::size_t*>(p) = size;
  const std::size_t live = g_live += size;
  std::size_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(p) + 16;
}

void operator delete(void* p) noexcept {
  if (!p) return;
  void* block = static_cast<char*>(p) - 16;
  g_live -= *static_cast<std::size_t*>(block);
  std::free(block);
}

void operator delete(void* p, std::size_t) noexcept {
  operator delete(p);
}

int main(int argc, char** argv) {
  return orb::bench::RunWithGoalsIn("title", argc, argv, PrintGoals);
}
