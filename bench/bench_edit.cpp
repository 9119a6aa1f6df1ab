// Edit commands on a maximum title, each against a plain baseline in the same run:
//   snapshot recall into the full 48 kHz layout  against a loop of SetParam writing the same
//                                                 values into the same channels;
//   pasting 99 snapshots into 99 snapshots       against the same SetParam loop over every
//                                                 destination, and against memcpy of the
//                                                 99 records' bytes;
//   copying 99 snapshots                          against a loop of GetParam reading the same
//                                                 ids of every snapshot.
// These report "x_baseline": their median time over the baseline's, both measured right after
// each other. Whole commands as the editor runs them, timed alone: Paste into 99 snapshots with
// the link pass over each (as generated, and with every pair and linking function on), Zero on
// 99 snapshots, and on a full event stream Copy and Paste, moving values, Insert and Delete
// Time. Goal: each one-click operation stays within a few milliseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/BenchLinks.h"
#include "core/edit/EditOps.h"
#include "core/edit/Links.h"
#include "core/edit/Undo.h"
#include "core/model/Clip.h"
#include "core/model/DebugLog.h"
#include "core/model/ParamModel.h"
#include "core/model/Prompter.h"
#include "core/model/Q730auto.h"
#include "core/model/Title.h"
#include "tests/support/ScriptedPrompter.h"
#include "tools/TitleGenerator.h"

namespace {

struct Write {
  int channel;
  int id;
  int value;
};

std::unique_ptr<orb::Title> MaximumTitle() {
  orb::gen::TitleSpec spec;
  spec.name = "Maximum";
  spec.snapshots = 99;
  auto title = std::make_unique<orb::Title>();
  orb::MemoryFile file(orb::gen::MakeTitle(spec));
  if (title->LoadChunks(file) != orb::kOk) std::abort();
  orb::TQ730SYSF& system = title->System();
  // Nothing isolated and no fader under a group master: a recall writes everything it may.
  for (int i = 0; i < 9; ++i) system.SetParam(i, 148, 0);
  for (int c = 0; c < system.ChannelCount(); ++c) system.SetParam(c, 128, 0);
  system.SetParam(0, 172, 0);
  return title;
}

std::vector<Write> WritesOf(const orb::TClip& clip, const orb::TQ730& list) {
  std::vector<Write> writes;
  for (const orb::ClipItem& item : clip.Items()) {
    const int row =
        item.group < 0 ? item.position : list.FirstChannelOf(item.group) + item.position;
    writes.push_back({row, item.param, item.value});
  }
  return writes;
}

// What a recall of snapshot s writes: its recalled parameters on every channel.
std::vector<Write> RecallWrites(orb::Title& title, int s) {
  orb::TQ730SNAP& snaps = title.Snapshots();
  orb::ParamGroupList groups;
  snaps.ListParams(groups);
  std::vector<int> ids = orb::ParamIdsOf(groups);
  ids.push_back(41);
  std::erase_if(ids, [](int id) { return id == 102 || id == 124 || id == 125 || id == 126; });
  snaps.SetCurrentRecord(s);
  orb::TClip clip;
  clip.CopyRecords(snaps, orb::TQ730::kSnapshot, ids, true, false, 0, -1);
  return WritesOf(clip, snaps);
}

template <typename F>
double MedianSeconds(F f, int runs = 21) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    f();
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[static_cast<std::size_t>(runs / 2)];
}

void RecallOnce(orb::Title& title, int& s) {
  title.Snapshots().RecallRecord(0, s);
  s = (s + 1) % title.Snapshots().Count();
}

void SetParamLoop(orb::TQ730& list, const std::vector<Write>& writes) {
  for (const Write& w : writes) list.SetParam(w.channel, w.id, w.value);
}

void BM_SnapshotRecall(benchmark::State& state) {
  auto title = MaximumTitle();
  int s = 0;
  for (auto _ : state) RecallOnce(*title, s);
  const auto writes = RecallWrites(*title, 5);
  state.counters["x_baseline"] = MedianSeconds([&] { RecallOnce(*title, s); }) /
                                 MedianSeconds([&] { SetParamLoop(title->System(), writes); });
  state.counters["writes"] = static_cast<double>(writes.size());
  orb::ClearLog();
}
BENCHMARK(BM_SnapshotRecall)->Unit(benchmark::kMicrosecond);

void BM_SnapshotRecallBaselineSetParam(benchmark::State& state) {
  auto title = MaximumTitle();
  const auto writes = RecallWrites(*title, 5);
  for (auto _ : state) SetParamLoop(title->System(), writes);
}
BENCHMARK(BM_SnapshotRecallBaselineSetParam)->Unit(benchmark::kMicrosecond);

// The clipboard holding all 99 snapshots, and every snapshot selected as destination.
orb::TClip& CopyAllSnapshots(orb::Title& title, orb::TClip& clip) {
  orb::TQ730SNAP& snaps = title.Snapshots();
  for (int s = 0; s < snaps.Count(); ++s) snaps.SetSelected(s, true);
  snaps.CopySelected(clip, true, nullptr);
  return clip;
}

void PasteBaseline(orb::TQ730SNAP& snaps, const std::vector<std::vector<Write>>& writes) {
  orb::EditFlagScope edit(snaps);
  for (int s = 0; s < snaps.Count(); ++s) {
    snaps.SetCurrentRecord(s);
    SetParamLoop(snaps, writes[static_cast<std::size_t>(s)]);
  }
}

std::vector<std::vector<Write>> SnapshotWrites(orb::Title& title, const orb::TClip& clip) {
  const auto all = WritesOf(clip, title.Snapshots());
  std::vector<std::vector<Write>> writes(static_cast<std::size_t>(title.Snapshots().Count()));
  for (std::size_t i = 0; i < all.size(); ++i)
    writes[static_cast<std::size_t>(clip.Item(static_cast<int>(i)).record)].push_back(all[i]);
  return writes;
}

void BM_Paste99Snapshots(benchmark::State& state) {
  auto title = MaximumTitle();
  orb::TClip clip;
  CopyAllSnapshots(*title, clip);
  orb::TQ730SNAP& snaps = title->Snapshots();
  for (auto _ : state) snaps.PasteFromClipboard(clip);
  const auto writes = SnapshotWrites(*title, clip);
  state.counters["x_baseline"] = MedianSeconds([&] { snaps.PasteFromClipboard(clip); }, 7) /
                                 MedianSeconds([&] { PasteBaseline(snaps, writes); }, 7);
  state.counters["items"] = clip.ItemCount();
}
BENCHMARK(BM_Paste99Snapshots)->Unit(benchmark::kMillisecond);

void BM_Paste99SnapshotsBaselineSetParam(benchmark::State& state) {
  auto title = MaximumTitle();
  orb::TClip clip;
  CopyAllSnapshots(*title, clip);
  const auto writes = SnapshotWrites(*title, clip);
  for (auto _ : state) PasteBaseline(title->Snapshots(), writes);
}
BENCHMARK(BM_Paste99SnapshotsBaselineSetParam)->Unit(benchmark::kMillisecond);

// Every pair of every snapshot linked (inputs in surround groups, buses in stereo) and every
// linking function on: the link pass after a paste has the most to do.
void LinkEverything(orb::Title& title) {
  orb::bench::LinkEveryFunction(title.System());
  orb::TQ730SNAP& snaps = title.Snapshots();
  orb::EditFlagScope edit(snaps);
  for (int s = 0; s < snaps.Count(); ++s) {
    snaps.SetCurrentRecord(s);
    orb::bench::LinkEveryPair(snaps);
  }
}

// The Paste command as the editor runs it on the snapshot page: an undo step, the paste, and
// the link pass over every pasted snapshot. Argument 1: everything linked.
void BM_PasteCommand99Snapshots(benchmark::State& state) {
  auto title = MaximumTitle();
  if (state.range(0) == 1) LinkEverything(*title);
  orb::TClip clip;
  CopyAllSnapshots(*title, clip);
  orb::UndoRing undo;
  orb::LinkContext links(title->System());
  orb::EditContext edit{*title, undo, clip, nullptr, {}};
  edit.hooks.link_pass = [&](orb::TQ730& list) {
    orb::EditFlagScope on(list);
    links.SetCurrent(list);
    links.LinkPassAll();
  };
  for (auto _ : state) orb::PasteCommand(edit, title->Snapshots());
  orb::ClearLog();
}
BENCHMARK(BM_PasteCommand99Snapshots)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Zero with every group ticked on all 99 snapshots, and the link pass over the current one.
void BM_ZeroCommand99Snapshots(benchmark::State& state) {
  auto title = MaximumTitle();
  LinkEverything(*title);
  orb::TQ730SNAP& snaps = title->Snapshots();
  for (int s = 0; s < snaps.Count(); ++s) snaps.SetSelected(s, true);
  orb::ParamGroupList groups;
  snaps.ListParams(groups);
  std::vector<std::string> names;
  for (const orb::ParamGroup& group : groups) names.push_back(group.name);
  orb::ScriptedPrompter prompter;
  orb::TClip clip;
  orb::UndoRing undo;
  orb::LinkContext links(title->System());
  orb::EditContext edit{*title, undo, clip, &prompter, {}};
  edit.hooks.link_pass = [&](orb::TQ730& list) {
    orb::EditFlagScope on(list);
    links.SetCurrent(list);
    links.LinkPassAll();
  };
  for (auto _ : state) {
    prompter.QueueGroups(names);
    if (!orb::ZeroCommand(edit, snaps)) std::abort();
  }
  orb::ClearLog();
}
BENCHMARK(BM_ZeroCommand99Snapshots)->Unit(benchmark::kMillisecond);

// A title whose automation fills the event stream to the last word, on the fader view with
// every channel selected and the edit range over the whole day.
std::unique_ptr<orb::Title> MaximumAutomation() {
  orb::gen::TitleSpec spec;
  spec.name = "Maximum";
  spec.automation_words = orb::Title::kMaxAutomationWords;
  auto title = std::make_unique<orb::Title>();
  orb::MemoryFile file(orb::gen::MakeTitle(spec));
  if (title->LoadChunks(file) != orb::kOk) std::abort();
  orb::TQ730AUTO& automation = title->Automation();
  for (int c = 0; c < automation.ChannelCount(); ++c) automation.SetChannelSelected(c, true);
  automation.SetEditRange(110, 0, 86399);
  automation.SelectRange(110, 0, 86399);
  return title;
}

// Times op on the automation list and sets the list back after each run, outside the timing:
// its events, the edit range and the events selected in it.
template <typename Op>
void TimeAndRestore(benchmark::State& state, orb::TQ730AUTO& automation, Op op) {
  orb::TQ730AUTO original;
  original.Assign(automation);
  const int param = automation.CurrentParam();
  const double start = automation.RangeStart();
  const double end = automation.RangeEnd();
  for (auto _ : state) {
    op();
    state.PauseTiming();
    automation.Assign(original);
    automation.SetEditRange(param, start, end);
    automation.SelectRange(param, start, end);
    state.ResumeTiming();
  }
  state.counters["events"] = automation.Count();
  orb::ClearLog();
}

// Copy and Paste of everything on the fader view, back where it came from.
void BM_AutomationCopyPaste(benchmark::State& state) {
  auto title = MaximumAutomation();
  orb::TQ730AUTO& automation = title->Automation();
  orb::TClip clip;
  TimeAndRestore(state, automation, [&] {
    automation.CopySelected(clip, true, nullptr);
    automation.PasteFromClipboard(clip);
  });
  state.counters["copied"] = clip.ItemCount();
}
BENCHMARK(BM_AutomationCopyPaste)->Unit(benchmark::kMillisecond);

void BM_AutomationOffsetValues(benchmark::State& state) {
  auto title = MaximumAutomation();
  orb::TQ730AUTO& automation = title->Automation();
  int sign = 1;
  for (auto _ : state) {
    automation.OffsetValues(0, sign);
    sign = -sign;
  }
  state.counters["events"] = automation.Count();
}
BENCHMARK(BM_AutomationOffsetValues)->Unit(benchmark::kMillisecond);

void BM_AutomationShiftTime(benchmark::State& state) {
  auto title = MaximumAutomation();
  orb::TQ730AUTO& automation = title->Automation();
  bool remove = false;
  for (auto _ : state) {
    automation.ShiftTime(10, 11, remove);
    remove = !remove;
  }
  state.counters["events"] = automation.Count();
}
BENCHMARK(BM_AutomationShiftTime)->Unit(benchmark::kMillisecond);

// The Insert command: everything after the range start moves later by the clipboard's length
// and the clipboard's events go in.
void BM_AutomationInsert(benchmark::State& state) {
  auto title = MaximumAutomation();
  orb::TQ730AUTO& automation = title->Automation();
  orb::TClip clip;
  automation.SetEditRange(110, 3600, 3660);
  automation.SelectRange(110, 3600, 3660);
  automation.CopySelected(clip, true, nullptr);
  TimeAndRestore(state, automation, [&] { automation.InsertTimeAt(clip); });
  state.counters["copied"] = clip.ItemCount();
}
BENCHMARK(BM_AutomationInsert)->Unit(benchmark::kMillisecond);

// The bytes of 99 snapshot records copied over 99 others: the floor of any paste.
void BM_Paste99SnapshotsBaselineMemcpy(benchmark::State& state) {
  const std::size_t bytes = 99 * orb::TQ730SNAP::kRecordSize;
  std::vector<std::uint8_t> from(bytes, 1);
  std::vector<std::uint8_t> to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Paste99SnapshotsBaselineMemcpy)->Unit(benchmark::kMillisecond);

// What copying all snapshots reads: GetParam of every copied id on every channel and fader group
// of each snapshot as the current record.
std::size_t CopyBaseline(orb::TQ730SNAP& snaps, const std::vector<int>& ids) {
  std::size_t found = 0;
  for (int s = 0; s < snaps.Count(); ++s) {
    snaps.SetCurrentRecord(s);
    for (int c = 0; c < snaps.ChannelCount(); ++c) {
      for (int id : ids) found += snaps.GetParam(c, id) >= 0 ? 1 : 0;
    }
    for (int g = 0; g < orb::kFaderGroups; ++g) {
      for (int id = 142; id <= 144; ++id) found += snaps.GetParam(g, id) >= 0 ? 1 : 0;
    }
  }
  return found;
}

std::vector<int> SnapshotIds(const orb::TQ730SNAP& snaps) {
  orb::ParamGroupList groups;
  snaps.ListParams(groups);
  return orb::ParamIdsOf(groups);
}

void BM_Copy99Snapshots(benchmark::State& state) {
  auto title = MaximumTitle();
  orb::TClip clip;
  for (auto _ : state) CopyAllSnapshots(*title, clip);
  orb::TQ730SNAP& snaps = title->Snapshots();
  const auto ids = SnapshotIds(snaps);
  state.counters["x_baseline"] =
      MedianSeconds([&] { CopyAllSnapshots(*title, clip); }, 7) /
      MedianSeconds([&] { benchmark::DoNotOptimize(CopyBaseline(snaps, ids)); }, 7);
  state.counters["items"] = clip.ItemCount();
}
BENCHMARK(BM_Copy99Snapshots)->Unit(benchmark::kMillisecond);

void BM_Copy99SnapshotsBaselineGetParam(benchmark::State& state) {
  auto title = MaximumTitle();
  orb::TQ730SNAP& snaps = title->Snapshots();
  const auto ids = SnapshotIds(snaps);
  std::size_t found = 0;
  for (auto _ : state) benchmark::DoNotOptimize(found = CopyBaseline(snaps, ids));
  state.counters["values"] = static_cast<double>(found);
}
BENCHMARK(BM_Copy99SnapshotsBaselineGetParam)->Unit(benchmark::kMillisecond);

}  // namespace
