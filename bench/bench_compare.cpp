// Comparing two maximum titles (99 of every list, automation at the word limit) against loading
// both of them in the same run: two versions of one show (the second with a change in every
// snapshot, cue and library entry and more automation; goal: at most 3), and two unrelated
// titles that differ in every record (some 420,000 differences; shown for reference).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bench/ScratchFolder.h"
#include "core/compare/Compare.h"
#include "core/model/ParamIds.h"
#include "core/model/Title.h"
#include "tools/TitleGenerator.h"

namespace {

namespace fs = std::filesystem;

// Made once: a loop may name it in every round.
fs::path Folder() {
  static const fs::path folder = orb::bench::ScratchFolder("compare");
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

// The first maximum title after an evening's work: a fader and an EQ band changed on every
// tenth channel of every snapshot, every cue and library entry renamed, the start values of
// every channel's level moved, the first 3,000 events deleted and a thousand level events added
// at the end of the show.
std::string EditedFile() {
  const fs::path path = Folder() / "Edited.orb";
  if (fs::exists(path)) return path.string();
  orb::Title title;
  if (title.OpenTitle(MaximumFile(1)) != orb::kOk) return {};
  orb::TQ730SNAP& snaps = title.Snapshots();
  {
    const orb::EditFlagScope edit(snaps);
    for (int s = 0; s < snaps.Count(); ++s) {
      snaps.SetCurrentRecord(s);
      for (int c = 0; c < snaps.ChannelCount(); c += 10) {
        snaps.SetParam(c, orb::kParamFaderLevel,
                       (snaps.GetParam(c, orb::kParamFaderLevel) + 40) % 1024);
        snaps.SetParam(c, orb::kParamEqLowGain,
                       (snaps.GetParam(c, orb::kParamEqLowGain) + 4) % 128);
      }
    }
  }
  for (orb::TQ730* list : {title.List(2), title.List(3), title.List(4)}) {
    const orb::EditFlagScope edit(*list);
    for (int i = 0; i < list->Count(); ++i) list->SetName(i, "v2 " + std::to_string(i));
  }
  orb::TQ730AUTO& automation = title.Automation();
  const int channels = std::min(title.System().ChannelCount(), orb::TQ730AUTO::kChannelFlags);
  for (int c = 0; c < channels; ++c) {
    const orb::AutoStart start = automation.StartValue(orb::kParamFaderLevel, c);
    automation.SetStartValue(orb::kParamFaderLevel, c, start.time, (start.value + 1) % 1024);
  }
  // The automation is at its word limit: the first 3,000 events go to make room.
  for (int i = 0; i < 3000; ++i) automation.SetSelected(i, true);
  automation.DeleteSelected();
  const orb::EventKey key = automation.KeyOf(orb::kParamFaderLevel, 0);
  for (int k = 0; k < 1000; ++k)
    automation.AppendEvent(
        {orb::SecondsToTC(86000 + k * 0.2, automation.Rate()), key.Word(k % 1024)});
  const orb::Status saved = title.SaveTitleAs(path.string(), nullptr);
  if (saved != orb::kOk) std::fprintf(stderr, "saving the edited title: status %d\n", saved);
  return path.string();
}

void LoadBoth(benchmark::State& state, const std::string& second) {
  for (auto _ : state) {
    orb::Title a, b;
    if (a.OpenTitle(MaximumFile(1)) != orb::kOk || b.OpenTitle(second) != orb::kOk)
      state.SkipWithError("load failed");
  }
}

void Compare(benchmark::State& state, const std::string& second) {
  orb::Title a, b;
  if (a.OpenTitle(MaximumFile(1)) != orb::kOk || b.OpenTitle(second) != orb::kOk)
    state.SkipWithError("load failed");
  std::size_t found = 0;
  for (auto _ : state) found = orb::CompareTitles(a, b).size();
  state.counters["differences"] = static_cast<double>(found);
}

void BM_LoadVersions(benchmark::State& state) {
  LoadBoth(state, EditedFile());
}
void BM_CompareVersions(benchmark::State& state) {
  Compare(state, EditedFile());
}
void BM_LoadUnrelated(benchmark::State& state) {
  LoadBoth(state, MaximumFile(2));
}
void BM_CompareUnrelated(benchmark::State& state) {
  Compare(state, MaximumFile(2));
}
BENCHMARK(BM_LoadVersions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareVersions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadUnrelated)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompareUnrelated)->Unit(benchmark::kMillisecond);

void PrintGoals(const orb::bench::MedianReporter& results) {
  std::printf("\ncompare / load of both, two versions of a show: %.2f (goal <= 3)\n",
              results.Ratio("BM_CompareVersions", "BM_LoadVersions"));
  std::printf("compare / load of both, two unrelated titles: %.2f (for reference)\n",
              results.Ratio("BM_CompareUnrelated", "BM_LoadUnrelated"));
}

}  // namespace

int main(int argc, char** argv) {
  return orb::bench::RunWithGoalsIn("compare", argc, argv, PrintGoals);
}
