// The link pass over all 73 channels of a full title, against a plain loop of SetParam that
// writes every linked parameter of every channel back with its own value (the same reads and
// writes without the follow rules). Worst case: every channel is linked, every linking function
// is on and every surround member follows. BM_LinkPassOverSetParam times both alternately in
// one benchmark and reports the ratio; goal: the pass stays within a few milliseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "bench/BenchLinks.h"
#include "core/edit/Links.h"
#include "core/model/DebugLog.h"
#include "core/model/ParamModel.h"
#include "core/model/Title.h"
#include "tools/TitleGenerator.h"

namespace {

std::unique_ptr<orb::Title> FullyLinkedTitle() {
  orb::gen::TitleSpec spec;
  spec.name = "Maximum";
  spec.snapshots = spec.cues = spec.dynamics = spec.eq = 99;
  orb::MemoryFile file(orb::gen::MakeTitle(spec));
  auto title = std::make_unique<orb::Title>();
  if (title->LoadChunks(file) != orb::kOk) return nullptr;
  orb::bench::LinkEveryPair(title->System());
  orb::bench::LinkEveryFunction(title->System());
  return title;
}

orb::Title& Linked() {
  static const std::unique_ptr<orb::Title> title = FullyLinkedTitle();
  return *title;
}

void PlainWrites(orb::TQ730& list) {
  for (int c = 0, n = list.ChannelCount(); c < n; ++c) {
    for (int id : {110, 42}) list.SetParam(c, id, list.GetParam(c, id));
    for (const orb::LinkFunction& row : orb::kLinkFunctions) {
      for (int id = std::max(row.first_id, 0); id <= row.last_id; ++id) {
        const int value = list.GetParam(c, id);
        if (value >= 0) list.SetParam(c, id, value);
      }
    }
  }
}

void BM_LinkPass(benchmark::State& state) {
  orb::LinkContext context(Linked().System());
  for (auto _ : state) {
    context.LinkPassAll();
    benchmark::ClobberMemory();
  }
  orb::ClearLog();
}
BENCHMARK(BM_LinkPass)->Unit(benchmark::kMicrosecond);

void BM_SetParamLoop(benchmark::State& state) {
  for (auto _ : state) {
    PlainWrites(Linked().System());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SetParamLoop)->Unit(benchmark::kMicrosecond);

void BM_LinkPassOverSetParam(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  orb::LinkContext context(Linked().System());
  Clock::duration pass{}, plain{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    context.LinkPassAll();
    const auto t1 = Clock::now();
    PlainWrites(Linked().System());
    const auto t2 = Clock::now();
    pass += t1 - t0;
    plain += t2 - t1;
  }
  orb::ClearLog();
  state.counters["ratio"] = static_cast<double>(pass.count()) / static_cast<double>(plain.count());
  state.counters["pass_ms"] = std::chrono::duration<double, std::milli>(pass).count() /
                              static_cast<double>(state.iterations());
}
BENCHMARK(BM_LinkPassOverSetParam)->Unit(benchmark::kMicrosecond);

}  // namespace
