// The editor session on a maximum title (99 snapshots, cues and library entries, an event
// stream at the word limit), each figure against a baseline measured in the same run:
//   enabling (every 50 ms, on every tab)      against enabling on an empty title;
//   every command that one click runs          against one copy of the whole title (what
//                                               each undo step once cost).
//   the undo history's memory after 100 steps   against the title's file size.
// Goals: enabling does not grow with the title (at most 2x); the slowest command, Paste of 99
// snapshots into 99 with its link passes among them, stays within one 60 Hz frame, about 90
// title copies here; 100 parameter edits keep at most twice the title's size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/ScratchFolder.h"
#include "core/editor/EditSession.h"
#include "core/model/DebugLog.h"
#include "tests/support/ScriptedPrompter.h"
#include "tools/TitleGenerator.h"

namespace {

namespace fs = std::filesystem;

enum Tab { kChannelTab = 0, kAutomationTab = 4, kSnapshotTab = 5 };

// Made once: a loop may name it in every round.
fs::path Folder() {
  static const fs::path folder = orb::bench::ScratchFolder("session");
  return folder;
}

std::string WriteTitle(const orb::gen::TitleSpec& spec) {
  const fs::path path = Folder() / (spec.name + ".orb");
  const std::vector<std::uint8_t> bytes = orb::gen::MakeTitle(spec);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

orb::gen::TitleSpec MaximumSpec() {
  orb::gen::TitleSpec spec;
  spec.name = "Maximum";
  spec.snapshots = spec.cues = spec.dynamics = spec.eq = 99;
  spec.automation_words = orb::Title::kMaxAutomationWords;
  return spec;
}

orb::gen::TitleSpec EmptySpec() {
  orb::gen::TitleSpec spec;
  spec.name = "Empty";
  spec.snapshots = spec.cues = spec.dynamics = spec.eq = 0;
  return spec;
}

struct Bench {
  orb::TClip clip;
  orb::ScriptedPrompter prompter;
  orb::EditSession session{clip, &prompter};
  explicit Bench(const orb::gen::TitleSpec& spec) {
    if (session.Open(WriteTitle(spec)) != orb::kOk) std::abort();
    session.Pane().SetGeometry(491, 440);
    orb::ClearLog();
  }
};

Bench& Maximum() {
  static Bench bench(MaximumSpec());
  return bench;
}

void Enabling(benchmark::State& state, Bench& bench) {
  orb::EditSession& s = bench.session;
  for (int tab = 0; tab < orb::kTabCount; ++tab) {
    s.ChangeTab(tab);
    s.SelectAll();
  }
  for (auto _ : state) {
    for (int tab = 0; tab < orb::kTabCount; ++tab) {
      state.PauseTiming();
      s.ChangeTab(tab);
      state.ResumeTiming();
      benchmark::DoNotOptimize(s.Enabled());
    }
  }
}

void BM_EnablingEmpty(benchmark::State& state) {
  static Bench bench(EmptySpec());
  Enabling(state, bench);
}
BENCHMARK(BM_EnablingEmpty)->Unit(benchmark::kMicrosecond);

void BM_EnablingMaximum(benchmark::State& state) {
  Enabling(state, Maximum());
}
BENCHMARK(BM_EnablingMaximum)->Unit(benchmark::kMicrosecond);

// The baseline: the whole-title copy every command once made before it ran, as the old undo
// ring of ten steps made it: six fresh lists into the oldest of eleven slots, whose earlier
// copies go. The slots matter: a copy into memory just freed runs about twice as fast as one
// beside ten other copies, as the old ring's copies always were.
void BM_TitleCopy(benchmark::State& state) {
  orb::Title& title = Maximum().session.GetTitle();
  std::array<orb::TitleLists, 11> slots;
  std::size_t next = 0;
  for (auto _ : state) {
    orb::TitleLists& copy = slots[next];
    next = (next + 1) % slots.size();
    copy.system = std::make_unique<orb::TQ730SYSF>();
    copy.snapshots = std::make_unique<orb::TQ730SNAP>();
    copy.cues = std::make_unique<orb::TQ730CUE>();
    copy.dynamics = std::make_unique<orb::TQ730DYLIB>();
    copy.eq = std::make_unique<orb::TQ730EQLIB>();
    copy.automation = std::make_unique<orb::TQ730AUTO>();
    for (int n = 0; n < orb::Title::kListCount; ++n) copy.List(n)->Assign(*title.List(n));
    benchmark::DoNotOptimize(copy);
  }
  orb::ClearLog();
}
BENCHMARK(BM_TitleCopy)->Unit(benchmark::kMillisecond);

// A command on the tab, run on a fresh selection and undone outside the timing.
void Command(benchmark::State& state, int tab, const std::function<void(Bench&)>& prepare,
             const std::function<void(orb::EditSession&)>& run) {
  Bench& bench = Maximum();
  orb::EditSession& s = bench.session;
  s.ChangeTab(tab);
  for (auto _ : state) {
    state.PauseTiming();
    s.SelectAll();
    prepare(bench);
    const int undo = s.Undo().UndoCount();
    state.ResumeTiming();
    run(s);
    state.PauseTiming();
    if (s.Undo().UndoCount() == undo && s.Undo().UndoCount() < orb::UndoRing::kMaxSteps)
      state.SkipWithError("the command changed nothing");
    s.UndoCommand();
    state.ResumeTiming();
  }
}

void Nothing(Bench&) {}

std::vector<std::string> AllGroups(orb::EditSession& s) {
  orb::ParamGroupList groups;
  s.CurrentList().ListParams(groups);
  std::vector<std::string> names;
  for (const orb::ParamGroup& group : groups) names.push_back(group.name);
  return names;
}

void BM_PasteSnapshots(benchmark::State& state) {
  Command(
      state, kSnapshotTab,
      [](Bench& b) {
        if (!b.clip.HoldsKind(orb::TQ730::kSnapshot) || b.clip.RecordCount() != 99)
          b.session.Copy();
      },
      [](orb::EditSession& s) { s.Paste(); });
}
BENCHMARK(BM_PasteSnapshots)->Unit(benchmark::kMillisecond);

void BM_ZeroSnapshots(benchmark::State& state) {
  Command(
      state, kSnapshotTab, [](Bench& b) { b.prompter.QueueGroups(AllGroups(b.session)); },
      [](orb::EditSession& s) { s.Zero(); });
}
BENCHMARK(BM_ZeroSnapshots)->Unit(benchmark::kMillisecond);

void BM_FaderCopySnapshots(benchmark::State& state) {
  Command(
      state, kSnapshotTab,
      [](Bench& b) {
        b.prompter.QueueFaderCopy(std::pair{0, 3});
      },
      [](orb::EditSession& s) { s.FaderCopy(); });
}
BENCHMARK(BM_FaderCopySnapshots)->Unit(benchmark::kMillisecond);

void BM_CutSnapshots(benchmark::State& state) {
  Command(state, kSnapshotTab, Nothing, [](orb::EditSession& s) { s.Cut(); });
}
BENCHMARK(BM_CutSnapshots)->Unit(benchmark::kMillisecond);

void BM_ZeroChannels(benchmark::State& state) {
  Command(
      state, kChannelTab, [](Bench& b) { b.prompter.QueueGroups(AllGroups(b.session)); },
      [](orb::EditSession& s) { s.Zero(); });
}
BENCHMARK(BM_ZeroChannels)->Unit(benchmark::kMillisecond);

void BM_SetGroupChannels(benchmark::State& state) {
  Command(state, kChannelTab, Nothing, [](orb::EditSession& s) { s.SetGroup(); });
}
BENCHMARK(BM_SetGroupChannels)->Unit(benchmark::kMillisecond);

void BM_DeleteAllEvents(benchmark::State& state) {
  Command(state, kAutomationTab, Nothing, [](orb::EditSession& s) { s.Delete(); });
}
BENCHMARK(BM_DeleteAllEvents)->Unit(benchmark::kMillisecond);

void BM_CopyPasteAllEvents(benchmark::State& state) {
  Command(state, kAutomationTab, Nothing, [](orb::EditSession& s) {
    s.Copy();
    s.Paste();
  });
}
BENCHMARK(BM_CopyPasteAllEvents)->Unit(benchmark::kMillisecond);

void BM_InsertTime(benchmark::State& state) {
  Command(
      state, kAutomationTab, [](Bench& b) { b.session.SetSelection(600, 660); },
      [](orb::EditSession& s) { s.InsertTime(); });
}
BENCHMARK(BM_InsertTime)->Unit(benchmark::kMillisecond);

void BM_DeleteTime(benchmark::State& state) {
  Command(
      state, kAutomationTab, [](Bench& b) { b.session.SetSelection(600, 660); },
      [](orb::EditSession& s) { s.DeleteTime(); });
}
BENCHMARK(BM_DeleteTime)->Unit(benchmark::kMillisecond);

void BM_SelectAllEvents(benchmark::State& state) {
  orb::EditSession& s = Maximum().session;
  s.ChangeTab(kAutomationTab);
  for (auto _ : state) {
    s.SelectAll();
    state.PauseTiming();
    s.ClearSelect();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SelectAllEvents)->Unit(benchmark::kMillisecond);

void BM_UndoRedo(benchmark::State& state) {
  orb::EditSession& s = Maximum().session;
  s.ChangeTab(kSnapshotTab);
  s.PushUndoStep("Step");
  for (auto _ : state) {
    s.UndoCommand();
    s.RedoCommand();
  }
}
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMillisecond);

// Memory the undo history holds after 100 steps on the maximum title, against the title's file
// size: a step keeps only the lists its command changed.
void UndoMemory(benchmark::State& state, const std::function<void(orb::EditSession&, int)>& edit,
                const char* counter) {
  for (auto _ : state) {
    Bench bench(MaximumSpec());
    orb::EditSession& s = bench.session;
    std::uint64_t peak = 0;
    for (int step = 0; step < orb::UndoRing::kMaxSteps; ++step) {
      edit(s, step);
      peak = std::max(peak, s.Undo().HeldBytes());
    }
    if (s.Undo().UndoCount() != orb::UndoRing::kMaxSteps) state.SkipWithError("steps went missing");
    const auto size = fs::file_size(s.GetTitle().Path());
    state.counters[counter] = static_cast<double>(peak) / static_cast<double>(size);
    orb::ClearLog();
  }
}

// One panel gesture each: the trim of channel step % 48 to a new value.
void BM_UndoMemoryParameterEdits(benchmark::State& state) {
  UndoMemory(
      state,
      [](orb::EditSession& s, int step) {
        s.PushUndoStep("Trim");
        s.Links().SetParamLinked(step % 48, orb::kParamTrim, step % 40);
      },
      "param_memory");
}
BENCHMARK(BM_UndoMemoryParameterEdits)->Iterations(1)->Unit(benchmark::kMillisecond);

// One Write stroke each: a ramp of ten events over ten seconds on one channel's level.
void BM_UndoMemoryAutomationStrokes(benchmark::State& state) {
  UndoMemory(
      state,
      [](orb::EditSession& s, int step) {
        orb::TQ730AUTO& automation = s.GetTitle().Automation();
        const int row = step % 48;
        const orb::EventKey key = automation.KeyOf(orb::kParamFaderLevel, row);
        std::vector<orb::AutoEvent> events;
        const double from = 60.0 * step;
        for (int k = 0; k < 10; ++k) {
          events.push_back({orb::SecondsToTC(from + k, automation.Rate()),
                            key.Word(100 * k + step) & ~key.mask});
        }
        s.PushUndoStep("Write");
        automation.WriteEvents(orb::kParamFaderLevel, row, from, from + 10, events, false, false);
      },
      "stroke_memory");
}
BENCHMARK(BM_UndoMemoryAutomationStrokes)->Iterations(1)->Unit(benchmark::kMillisecond);

void PrintGoals(const orb::bench::MedianReporter& results) {
  const double copy = results.Milliseconds("BM_TitleCopy");
  std::printf("\nenabling max / empty title: %.2f (goal <= 2)\n",
              results.Ratio("BM_EnablingMaximum", "BM_EnablingEmpty"));
  std::string slowest;
  double worst = -1;
  for (const auto& [name, ms] : results.Times()) {
    if (name == "BM_TitleCopy" || name.rfind("BM_Enabling", 0) == 0 ||
        name.rfind("BM_UndoMemory", 0) == 0)
      continue;
    if (ms > worst) worst = ms, slowest = name;
  }
  std::printf("slowest command (%s) / title copy: %.1f (goal <= 90)\n", slowest.c_str(),
              copy > 0 ? worst / copy : -1.0);
  std::printf(
      "paste 99 snapshots into 99 with link passes / title copy: %.1f (goal <= 90; %.2f ms)\n",
      results.Ratio("BM_PasteSnapshots", "BM_TitleCopy"),
      results.Milliseconds("BM_PasteSnapshots"));
  std::printf("peak memory of 100 parameter-edit undo steps / title size: %.2f (goal <= 2)\n",
              results.Counter("param_memory"));
  std::printf(
      "peak memory of 100 automation-stroke undo steps / title size: %.2f (for reference)\n",
      results.Counter("stroke_memory"));
}

}  // namespace

int main(int argc, char** argv) {
  return orb::bench::RunWithGoalsIn("session", argc, argv, PrintGoals);
}
