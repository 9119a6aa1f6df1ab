#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <span>

#include "core/model/Clip.h"
#include "core/model/ParamModel.h"
#include "fuzz/PlainEdits.h"
#include "tests/core/edit/EditTitles.h"
#include "tests/support/ScriptedPrompter.h"

namespace orb {
namespace {

using test::LoadTitle;
using test::ValuesOf;

// Parameters that are plain bytes or words of every input strip.
const std::vector<int> kStripIds = {1, 2, 109, 85, 110, 56, 65, 33, 27};

void SelectOnly(TQ730& list, std::initializer_list<int> rows) {
  for (int i = 0, n = list.Count(); i < n; ++i) list.SetSelected(i, false);
  for (int row : rows) list.SetSelected(row, true);
}

TEST(ClipTest, CanPasteFollowsTheModeTableAndTheView) {
  auto title = LoadTitle();
  TClip clip;
  for (int n = 0; n < Title::kListCount; ++n) title->List(n)->SetClipboard(&clip);
  // Source kind (row) into destination kind (column), as the paste modes allow.
  const bool allowed[6][6] = {{1, 1, 0, 1, 1, 0}, {1, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0},
                              {1, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 0, 1}};
  for (int source : {0, 1, 3, 4, 5}) {
    TQ730& list = *title->List(source);
    list.SetSelected(0, true);
    list.SetChannelSelected(0, true);
    list.CopySelected(clip, true, nullptr);
    for (int dest = 0; dest < Title::kListCount; ++dest)
      EXPECT_EQ(title->List(dest)->CanDo(0, TQ730::kOpPaste), allowed[source][dest])
          << source << " into " << dest;
  }
  // Automation pastes only into the view it was copied from.
  title->Automation().SetEditRange(108, 0, 1);
  EXPECT_FALSE(title->Automation().CanDo(0, TQ730::kOpPaste));
  clip.Clear();
  EXPECT_FALSE(clip.HoldsKind(TQ730::kAutomation));
}

TEST(ClipTest, FewerRecordsThanRowsRepeatCyclicallyWithTheirNames) {
  auto title = LoadTitle();
  TQ730SYSF& system = title->System();
  TClip clip;
  ASSERT_NE(ValuesOf(system, 0, kStripIds), ValuesOf(system, 1, kStripIds));
  const auto first = ValuesOf(system, 0, kStripIds);
  const auto second = ValuesOf(system, 1, kStripIds);
  SelectOnly(system, {0, 1});
  system.CopySelected(clip, true, nullptr);
  SelectOnly(system, {10, 11, 12, 13, 14});
  system.PasteFromClipboard(clip);
  for (int row = 10; row <= 14; ++row) {
    const bool even = row % 2 == 0;
    EXPECT_EQ(ValuesOf(system, row, kStripIds), even ? first : second) << row;
    EXPECT_EQ(system.NameText(row), even ? "Kick" : "Snare");
  }

  // A library entry takes a channel's name only when it has none; the same kind always.
  TQ730DYLIB& dynamics = title->Dynamics();
  dynamics.SetName(1, "");
  SelectOnly(system, {2});
  system.CopySelected(clip, true, nullptr);
  SelectOnly(dynamics, {0, 1});
  dynamics.PasteFromClipboard(clip);
  EXPECT_EQ(dynamics.NameText(0), "Vocal comp 1");
  EXPECT_EQ(dynamics.NameText(1), "HiHat");
  EXPECT_EQ(dynamics.GetParam(0, 33), system.GetParam(2, 33));
  SelectOnly(dynamics, {1});
  dynamics.CopySelected(clip, true, nullptr);
  SelectOnly(dynamics, {0});
  dynamics.PasteFromClipboard(clip);
  EXPECT_EQ(dynamics.NameText(0), "HiHat");
}

TEST(ClipTest, DynamicsKeyAndLockedTitlesTakeNothing) {
  auto title = LoadTitle();
  TQ730SYSF& system = title->System();
  system.SetParam(3, 41, 7);
  system.SetParam(3, 17, 1);
  system.SetParam(4, 41, 9);
  system.SetParam(4, 17, 0);
  TClip clip;
  SelectOnly(system, {3});
  const int ids[] = {41, 17};
  clip.CopyRecords(system, TQ730::kSystem, ids, true, false);
  SelectOnly(system, {4});
  clip.PasteInto(system);
  EXPECT_EQ(system.GetParam(4, 41), 9);
  EXPECT_EQ(system.GetParam(4, 17), 1);

  gen::TitleSpec locked;
  locked.locked = true;
  auto other = LoadTitle(locked);
  TQ730SYSF& target = other->System();
  const auto before = std::vector<std::uint8_t>(target.Block().begin(), target.Block().end());
  SelectOnly(system, {0});
  system.CopySelected(clip, true, nullptr);
  SelectOnly(target, {5});
  target.PasteFromClipboard(clip);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), target.Block().begin()));
}

TEST(ClipTest, ChannelsIntoSnapshotsAndBack) {
  auto title = LoadTitle();
  TQ730SYSF& system = title->System();
  TQ730SNAP& snaps = title->Snapshots();
  TClip clip;
  const int mtr2 = system.FirstChannelOf(kGroupMTR) + 1;
  const std::vector<int> bus_ids = {110, 45, 56, 33};
  SelectOnly(system, {3, mtr2});
  system.CopySelected(clip, true, nullptr);
  snaps.SetCurrentRecord(1);
  const auto untouched = ValuesOf(snaps, 3, kStripIds);
  SelectOnly(snaps, {0, 2});
  snaps.PasteFromClipboard(clip);
  EXPECT_EQ(snaps.CurrentRecord(), 1);
  EXPECT_EQ(ValuesOf(snaps, 3, kStripIds), untouched);
  for (int s : {0, 2}) {
    snaps.SetCurrentRecord(s);
    EXPECT_EQ(ValuesOf(snaps, 3, kStripIds), ValuesOf(system, 3, kStripIds));
    EXPECT_EQ(ValuesOf(snaps, mtr2, bus_ids), ValuesOf(system, mtr2, bus_ids));
  }

  // A snapshot pastes into the selected channels only, each from its own group and position.
  SelectOnly(snaps, {1});
  snaps.CopySelected(clip, true, nullptr);
  const auto kept = ValuesOf(system, 6, kStripIds);
  SelectOnly(system, {5, mtr2});
  system.PasteFromClipboard(clip);
  snaps.SetCurrentRecord(1);
  EXPECT_EQ(ValuesOf(system, 5, kStripIds), ValuesOf(snaps, 5, kStripIds));
  EXPECT_EQ(ValuesOf(system, mtr2, bus_ids), ValuesOf(snaps, mtr2, bus_ids));
  EXPECT_EQ(ValuesOf(system, 6, kStripIds), kept);

  // A row that the destination's group does not have is skipped: AUX 5 of the normal layout
  // must not land on a return of the high-rate one, where AUX has two channels.
  gen::TitleSpec high;
  high.rate_mode = 2;
  auto small = LoadTitle(high);
  const int aux5 = system.FirstChannelOf(kGroupAUX) + 4;
  SelectOnly(system, {aux5});
  system.CopySelected(clip, true, nullptr);
  TQ730SNAP& target = small->Snapshots();
  const auto before = std::vector<std::uint8_t>(target.Record(0).begin(), target.Record(0).end());
  SelectOnly(target, {0});
  target.PasteFromClipboard(clip);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), target.Record(0).begin()));
}

TEST(ClipTest, SnapshotsIntoSnapshotsRepeatWithNamesAndGroupBytes) {
  gen::TitleSpec spec;
  spec.snapshots = 5;
  auto title = LoadTitle(spec);
  TQ730SNAP& snaps = title->Snapshots();
  const TQ730SYSF& system = title->System();
  ParamGroupList groups;
  snaps.ListParams(groups);
  const std::vector<int> ids = ParamIdsOf(groups);
  auto state = [&](int s) {
    snaps.SetCurrentRecord(s);
    std::vector<int> values;
    for (int c = 0; c < system.ChannelCount(); ++c) {
      const auto channel = ValuesOf(snaps, c, ids);
      values.insert(values.end(), channel.begin(), channel.end());
    }
    for (int g = 0; g < 8; ++g) {
      const auto group = ValuesOf(snaps, g, {142, 143, 144});
      values.insert(values.end(), group.begin(), group.end());
    }
    return values;
  };
  const auto first = state(0);
  const auto second = state(1);
  ASSERT_NE(first, second);
  const std::string names[] = {snaps.NameText(0), snaps.NameText(1)};
  TClip clip;
  SelectOnly(snaps, {0, 1});
  snaps.CopySelected(clip, true, nullptr);
  SelectOnly(snaps, {2, 3, 4});
  snaps.PasteFromClipboard(clip);
  for (int s = 2; s <= 4; ++s) {
    EXPECT_EQ(state(s), s % 2 == 0 ? first : second) << s;
    EXPECT_EQ(snaps.NameText(s), names[s % 2 == 0 ? 0 : 1]);
  }
}

// Fills bytes with noise.
void Scramble(std::span<std::uint8_t> bytes, std::mt19937& random) {
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
}

TEST(ClipTest, SnapshotCopiesAndPastesAreExactlyGetParamAndSetParam) {
  for (const int rate : {0, 2}) {
    gen::TitleSpec spec;
    spec.rate_mode = rate;
    spec.snapshots = 99;
    auto pasted = LoadTitle(spec);
    auto expected = LoadTitle(spec);
    for (Title* title : {pasted.get(), expected.get()}) {
      test::ScrambleSnapshots(*title, 7);
      std::mt19937 random(7);
      TQ730SYSF& system = title->System();
      for (int kind = kGroupInput; kind <= kGroupPGM; ++kind) {
        const ChannelPlace& place = kChannelPlaces[kind];
        Scramble(system.Block().subspan(
                     static_cast<std::size_t>(place.strip_system),
                     static_cast<std::size_t>(place.strip_size * system.GroupSize(kind))),
                 random);
      }
    }
    auto same = [&](const char* what) {
      const TQ730SNAP& a = pasted->Snapshots();
      const TQ730SNAP& b = expected->Snapshots();
      for (int s = 0; s < a.Count(); ++s) {
        ASSERT_TRUE(std::ranges::equal(a.Record(s), b.Record(s)))
            << what << ", rate " << rate << ", snapshot " << s;
      }
    };
    // Snapshots into snapshots: 40 records repeat over 70 destinations.
    for (Title* title : {pasted.get(), expected.get()}) {
      TQ730SNAP& snaps = title->Snapshots();
      TClip clip;
      for (int s = 0; s < snaps.Count(); ++s) snaps.SetSelected(s, s >= 10 && s < 50);
      snaps.CopySelected(clip, true, nullptr);
      ASSERT_EQ(plain::ItemsOf(clip), plain::ReadSnapshots(snaps)) << "rate " << rate;
      for (int s = 0; s < snaps.Count(); ++s) snaps.SetSelected(s, s >= 29);
      if (title == pasted.get()) {
        snaps.PasteFromClipboard(clip);
      } else {
        plain::PasteIntoSnapshots(clip, snaps);
      }
    }
    same("snapshots");
    // Channels into snapshots.
    for (Title* title : {pasted.get(), expected.get()}) {
      TQ730SYSF& system = title->System();
      TQ730SNAP& snaps = title->Snapshots();
      TClip clip;
      for (int c = 0; c < system.Count(); ++c) system.SetSelected(c, c % 3 != 1);
      system.CopySelected(clip, true, nullptr);
      for (int s = 0; s < snaps.Count(); ++s) snaps.SetSelected(s, s % 2 == 0);
      if (title == pasted.get()) {
        snaps.PasteFromClipboard(clip);
      } else {
        plain::PasteIntoSnapshots(clip, snaps);
      }
    }
    same("channels");
  }
}

TEST(ClipTest, OptionalCopyTakesTheTickedGroupsWithoutNames) {
  auto title = LoadTitle();
  TQ730SYSF& system = title->System();
  ScriptedPrompter prompter;
  TClip clip;
  SelectOnly(system, {0});
  prompter.QueueGroups(std::vector<std::string>{"Trim/Phase/Delay"});
  system.CopySelected(clip, false, &prompter);
  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.shown()[0].caption, "Optional Copy");
  EXPECT_NE(prompter.shown()[0].text.find("EQ/Filter\nDynamics"), std::string::npos);
  EXPECT_TRUE(clip.Names().empty());
  for (const ClipItem& item : clip.Items()) EXPECT_TRUE(item.param >= 1 && item.param <= 5);
  EXPECT_EQ(clip.ItemCount(), 5);

  // Cancel empties the clipboard, except on the EQ library, which keeps what it held.
  TQ730EQLIB& eq = title->Eq();
  eq.SetSelected(0, true);
  eq.CopySelected(clip, false, &prompter);
  EXPECT_TRUE(clip.HoldsKind(TQ730::kSystem));
  EXPECT_EQ(clip.SourceKind(), TQ730::kSystem);
  system.CopySelected(clip, false, &prompter);
  EXPECT_FALSE(clip.HoldsKind(TQ730::kSystem));
}

TEST(ClipTest, AutomationCopiesAndPastesPerChannelInTurn) {
  auto title = LoadTitle();
  TQ730AUTO& automation = title->Automation();
  auto event = [&](int channel, double seconds, int value) {
    automation.AppendEvent({SecondsToTC(seconds, 30), automation.KeyOf(110, channel).Word(value)});
  };
  event(0, 1, 700);
  event(2, 1, 10);
  event(1, 1.5, 500);
  event(0, 2, 800);
  automation.SetChannelSelected(0, true);
  automation.SetChannelSelected(1, true);
  automation.SetEditRange(110, 1, 3);
  automation.SelectRange(110, 1, 3);
  TClip clip;
  automation.CopySelected(clip, true, nullptr);
  EXPECT_EQ(clip.RecordCount(), 2);
  EXPECT_DOUBLE_EQ(clip.Duration(), 2);

  for (int i = 0; i < automation.Count(); ++i) automation.SetSelected(i, false);
  automation.DeselectAllChannels();
  for (int c : {4, 5, 6}) automation.SetChannelSelected(c, true);
  automation.SetEditRange(110, 10, 10);
  automation.PasteFromClipboard(clip);
  std::vector<std::pair<double, std::uint32_t>> pasted;
  for (int i = 0; i < automation.Count(); ++i) {
    if (automation.IsSelected(i))
      pasted.emplace_back(TCToSeconds(automation.EventTime(i), 30), automation.EventWord(i));
  }
  auto word = [&](int channel, int value) { return automation.KeyOf(110, channel).Word(value); };
  std::vector<std::pair<double, std::uint32_t>> expected = {{10, word(4, 700)},
                                                            {10, word(6, 700)},
                                                            {10.5, word(5, 500)},
                                                            {11, word(4, 800)},
                                                            {11, word(6, 800)}};
  std::ranges::sort(pasted);
  std::ranges::sort(expected);
  EXPECT_EQ(pasted, expected);
  EXPECT_EQ(automation.Count(), 4 + 5);
}

}  // namespace
}  // namespace orb
