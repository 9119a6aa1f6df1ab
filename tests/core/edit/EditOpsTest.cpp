#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/edit/EditOps.h"
#include "core/edit/Undo.h"
#include "core/model/Clip.h"
#include "core/model/FaderLaw.h"
#include "fuzz/PlainEdits.h"
#include "tests/core/edit/EditTitles.h"
#include "tests/support/ScriptedPrompter.h"

namespace orb {
namespace {

using test::LoadTitle;
using test::ValuesOf;

// Puts channel 7 under the master of fader group 1 (type 0, on, manual group on).
void GovernChannel7(TQ730SYSF& system) {
  system.SetParam(0, 142, 0);
  system.SetParam(0, 143, 1);
  system.SetParam(7, 126, 1);
  system.SetParam(0, 172, 1);
  ASSERT_EQ(system.GetParam(7, 145), 1);
}

struct RecallCase {
  const char* name;
  int isolate_function;   // -1: none
  int isolated_channel;   // -1: none
  std::vector<int> kept;  // parameters every channel keeps; the isolated one keeps all
};

TEST(RecallTest, IsolateSwitchesKeepTheirParameters) {
  // Each list holds parameters of the console's categories, recalled unless isolated.
  const std::vector<int> ids = {1, 2, 109, 56, 65, 33, 85, 110, 108, 106, 129, 41};
  const RecallCase cases[] = {
      {"faders", 7, -1, {110, 108}}, {"eq", 1, -1, {56, 65}}, {"input source", 0, -1, {129}},
      {"channel", -1, 5, {}},        {"none", -1, -1, {}},
  };
  for (const RecallCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto title = LoadTitle();
    TQ730SYSF& system = title->System();
    TQ730SNAP& snaps = title->Snapshots();
    for (int i = 0; i < 9; ++i) system.SetParam(i, 148, i == c.isolate_function ? 1 : 0);
    for (int ch = 0; ch < system.ChannelCount(); ++ch)
      system.SetParam(ch, 128, ch == c.isolated_channel ? 1 : 0);
    system.SetSelected(2, true);
    snaps.SetSelected(0, true);
    auto before = std::make_unique<TQ730SYSF>();
    before->Assign(system);
    std::uint8_t* routing = snaps.Record(1).data() + 7620;
    for (int i = 0; i < 16; ++i) routing[i] = static_cast<std::uint8_t>(0xA0 + i);

    snaps.RecallRecord(0, 1);
    EXPECT_EQ(snaps.CurrentRecord(), 1);
    EXPECT_FALSE(snaps.IsSelected(0));
    for (int ch = 0; ch < system.ChannelCount(); ++ch) {
      EXPECT_FALSE(system.IsSelected(ch));
      // Fader groups are never recalled.
      EXPECT_EQ(system.GetParam(ch, 126), before->GetParam(ch, 126));
      for (int id : ids) {
        const int now = system.GetParam(ch, id);
        const bool kept =
            ch == c.isolated_channel || std::find(c.kept.begin(), c.kept.end(), id) != c.kept.end();
        EXPECT_EQ(now, kept ? before->GetParam(ch, id) : snaps.GetParam(ch, id))
            << "channel " << ch << " id " << id;
      }
    }
    EXPECT_EQ(std::memcmp(routing, system.Block().data() + 8852, 16) == 0, c.isolate_function != 0);
  }
}

TEST(GroupMasterTest, TrimFaderCopyZeroAndPasteReachTheGroupLevel) {
  auto title = LoadTitle();
  TQ730SYSF& system = title->System();
  system.SetParam(5, 110, kFaderNominal);
  system.SetParam(6, 110, 0);
  system.SetParam(3, 126, 0);
  system.SetParam(3, 110, 600);
  GovernChannel7(system);
  system.SetParam(7, 111, -523);
  for (int ch : {5, 6, 7}) system.SetSelected(ch, true);
  system.TrimParam(110, -3);
  EXPECT_DOUBLE_EQ(FaderDb(system.GetParam(5, 110)), -3.0);
  EXPECT_EQ(system.GetParam(6, 110), 0);  // off stays off
  EXPECT_EQ(system.GetParam(7, 111), -823);
  EXPECT_EQ(system.GetParam(7, 110), NearestFaderIndex(-8.23));
  system.TrimParam(110, 0.005);  // truncated toward zero
  EXPECT_EQ(system.GetParam(7, 111), -822);
  system.TrimParam(110, 500);
  EXPECT_EQ(system.GetParam(7, 111), 1000);
  EXPECT_EQ(system.GetParam(5, 110), kFaderSteps - 1);
  system.TrimParam(110, std::nan(""));
  EXPECT_EQ(system.GetParam(5, 110), kFaderSteps - 1);

  // Fader Copy and Zero write the governed fader itself; the group level follows it.
  system.DeselectAllChannels();
  system.SetSelected(7, true);
  system.SetParam(7, 108, 500);
  system.CopyParamValue(108, 110);
  EXPECT_EQ(system.GetParam(0, 172), 1);
  EXPECT_EQ(system.GetParam(7, 110), 500);
  EXPECT_EQ(system.GetParam(7, 111), FaderTenths(500) * 10);
  system.ResetParams({{"Fader/MTR Level", {110, 108}}});
  EXPECT_EQ(system.GetParam(7, 111), 0);
  EXPECT_EQ(system.GetParam(7, 108), 0);

  // A copied fader brings its group-fader level along, just before it.
  TClip clip;
  const int fader[] = {110};
  system.DeselectAllChannels();
  system.SetSelected(3, true);
  clip.CopyRecords(system, TQ730::kSystem, fader, true, true);
  ASSERT_EQ(clip.ItemCount(), 2);
  EXPECT_EQ(clip.Item(0).param, 111);
  system.DeselectAllChannels();
  system.SetSelected(7, true);
  clip.PasteInto(system);
  EXPECT_EQ(system.GetParam(7, 111), system.GetParam(3, 111));
  EXPECT_EQ(system.GetParam(7, 110), 600);
}

TEST(FaderCopyTest, EverySelectedSnapshotKeepingTheCurrentOne) {
  auto title = LoadTitle();
  TQ730SNAP& snaps = title->Snapshots();
  snaps.SetSelected(0, true);
  snaps.SetSelected(2, true);
  snaps.SetCurrentRecord(1);
  const auto untouched = ValuesOf(snaps, 60, {86});
  snaps.CopyParamValue(110, 86);
  EXPECT_EQ(snaps.CurrentRecord(), 1);
  EXPECT_EQ(ValuesOf(snaps, 60, {86}), untouched);
  for (int s : {0, 2}) {
    snaps.SetCurrentRecord(s);
    for (int ch = 0; ch < 48; ++ch) EXPECT_EQ(snaps.GetParam(ch, 86), snaps.GetParam(ch, 110));
  }
}

TEST(AutomationOpsTest, OffsetValuesMovesValuesAndTime) {
  auto title = LoadTitle();
  TQ730AUTO& automation = title->Automation();
  const EventKey fader = automation.KeyOf(110, 0);
  const EventKey pan = automation.KeyOf(109, 1);
  automation.AppendEvent({SecondsToTC(1, 30), fader.Word(kFaderNominal)});
  automation.AppendEvent({SecondsToTC(1, 30), pan.Word(120)});
  automation.AppendEvent({SecondsToTC(2, 30), fader.Word(0)});
  automation.SetChannelSelected(0, true);
  automation.SetChannelSelected(1, true);
  automation.SetEditRange(110, 1, 2.5);
  automation.SelectRange(110, 1, 2.5);
  automation.OffsetValues(10, -6);
  EXPECT_DOUBLE_EQ(automation.RangeStart(), 11);
  EXPECT_DOUBLE_EQ(automation.RangeEnd(), 12.5);
  ASSERT_EQ(automation.Count(), 3);
  EXPECT_EQ(automation.EventWord(0), pan.Word(120));
  EXPECT_EQ(TCToSeconds(automation.EventTime(1), 30), 11);
  EXPECT_EQ(automation.EventWord(1), fader.Word(NearestFaderIndex(-6)));
  EXPECT_EQ(TCToSeconds(automation.EventTime(2), 30), 12);
  EXPECT_EQ(automation.EventWord(2), fader.Word(0));
  EXPECT_TRUE(automation.IsSelected(1) && automation.IsSelected(2));

  // A value that is not a level moves by raw steps within its range.
  for (int i = 0; i < automation.Count(); ++i) automation.SetSelected(i, false);
  automation.SetEditRange(109, 0, 5);
  automation.SelectRange(109, 0, 5);
  automation.OffsetValues(-5, 10);
  EXPECT_DOUBLE_EQ(automation.RangeStart(), 0);
  EXPECT_EQ(automation.EventWord(0), pan.Word(126));
  EXPECT_EQ(automation.EventTime(0), 0u);
}

TEST(AutomationOpsTest, InsertTimeAtMovesLaterEventsOutOfTheWay) {
  auto title = LoadTitle();
  TQ730AUTO& automation = title->Automation();
  auto word = [&](int channel, int value) { return automation.KeyOf(110, channel).Word(value); };
  for (auto [seconds, channel, value] :
       {std::tuple{5.0, 0, 100}, {6.5, 0, 200}, {8.0, 1, 300}, {20.0, 1, 400}})
    automation.AppendEvent({SecondsToTC(seconds, 30), word(channel, value)});
  automation.AppendEvent({SecondsToTC(30, 30), word(0, 900)});

  // Two seconds of channel 0 from 30 s; channel 1's record of the clipboard is empty.
  automation.SetChannelSelected(0, true);
  automation.SetChannelSelected(1, true);
  automation.SetEditRange(110, 30, 32);
  automation.SelectRange(110, 30, 32);
  TClip clip;
  automation.CopySelected(clip, true, nullptr);
  automation.SetEditRange(110, 5, 5);
  automation.InsertTimeAt(clip);

  std::vector<std::tuple<double, int, int>> events;
  for (int i = 0; i < automation.Count(); ++i) {
    for (int c : {0, 1}) {
      const EventKey key = automation.KeyOf(110, c);
      if (key.Matches(automation.EventWord(i)))
        events.emplace_back(TCToSeconds(automation.EventTime(i), 30), c,
                            key.Value(automation.EventWord(i)));
    }
  }
  const std::vector<std::tuple<double, int, int>> expected = {
      {5, 0, 900}, {7, 0, 100}, {8.5, 0, 200}, {10, 1, 300}, {22, 1, 400}, {32, 0, 900}};
  EXPECT_EQ(events, expected);
}

TEST(EditOpsTest, DialogSideAndCommands) {
  auto title = LoadTitle();
  const std::pair<const char*, double> good[] = {
      {"0.0", 0}, {" -3 ", -3}, {"+1.5", 1.5}, {"1e1", 10}};
  for (auto [text, value] : good) {
    double db = 99;
    EXPECT_TRUE(ParseTrim(text, db)) << text;
    EXPECT_DOUBLE_EQ(db, value);
  }
  for (const char* text : {"", "abc", "1.2.3", "3dB", "nan", "inf", "+-1", "1e999"}) {
    double db = 0;
    EXPECT_FALSE(ParseTrim(text, db)) << text;
  }

  UndoRing ring;
  TClip clip;
  ScriptedPrompter prompter;
  std::vector<std::tuple<int, int, int>> linked;
  int passes = 0;
  EditContext edit{*title, ring, clip, &prompter, {}};
  edit.hooks.link_pass = [&](TQ730&) { ++passes; };
  edit.hooks.set_param_linked = [&](TQ730&, int ch, int id, int value) {
    linked.emplace_back(ch, id, value);
  };
  TQ730SYSF& system = title->System();
  system.SetSelected(3, true);
  system.SetSelected(9, true);
  system.SetParam(2, 142, 2);
  SetGroupCommand(edit, 2, true);
  EXPECT_EQ(linked, (std::vector<std::tuple<int, int, int>>{{3, 127, 3}, {9, 127, 3}}));
  system.SetParam(2, 142, 1);
  linked.clear();
  SetGroupCommand(edit, 2, false);
  EXPECT_EQ(linked, (std::vector<std::tuple<int, int, int>>{{3, 126, 0}, {9, 126, 0}}));
  EXPECT_EQ(ring.UndoCount(), 2);

  // Zero: Cancel changes nothing; OK with no group ticked pushes a step and changes nothing.
  const auto before = std::vector<std::uint8_t>(system.Block().begin(), system.Block().end());
  EXPECT_FALSE(ZeroCommand(edit, system));
  EXPECT_EQ(ring.UndoCount(), 2);
  prompter.QueueGroups(std::vector<std::string>{});
  EXPECT_TRUE(ZeroCommand(edit, title->System()));
  EXPECT_EQ(ring.UndoCount(), 3);
  EXPECT_EQ(passes, 3);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), title->System().Block().begin()));
  EXPECT_EQ(prompter.shown().back().caption, "Zero");
}

// Zero on snapshots writes each parameter's default into every selected snapshot, exactly as
// SetParam would channel by channel.
TEST(ZeroTest, SnapshotsTakeWhatSetParamWritesChannelByChannel) {
  gen::TitleSpec spec;
  spec.snapshots = 99;
  auto zeroed = LoadTitle(spec);
  auto expected = LoadTitle(spec);
  ParamGroupList groups;
  zeroed->Snapshots().ListParams(groups);
  for (Title* title : {zeroed.get(), expected.get()}) {
    test::ScrambleSnapshots(*title, 5);
    TQ730SNAP& snaps = title->Snapshots();
    for (int s = 0; s < snaps.Count(); ++s) snaps.SetSelected(s, s % 3 != 0);
    snaps.SetCurrentRecord(7);
  }
  zeroed->Snapshots().ResetParams(groups);
  TQ730SNAP& snaps = expected->Snapshots();
  plain::ResetSnapshots(snaps, groups);
  EXPECT_EQ(zeroed->Snapshots().CurrentRecord(), 7);
  for (int s = 0; s < snaps.Count(); ++s) {
    ASSERT_TRUE(std::ranges::equal(zeroed->Snapshots().Record(s), snaps.Record(s))) << s;
  }
}

}  // namespace
}  // namespace orb
