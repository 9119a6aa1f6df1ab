// The editor's undo history through the session: random runs of commands and panel gestures
// undone and redone byte for byte, the step names the Edit menu and History show, and lists
// shared between steps rather than copied.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "core/edit/StepName.h"
#include "core/model/ParamNames.h"
#include "tests/core/editor/PanelSession.h"

namespace orb {
namespace {

enum Tab { kChannelTab = 0, kAutomationTab = 4, kSnapshotTab = 5, kCueTab = 7, kDynTab = 10 };

std::vector<std::uint8_t> BytesOf(Title& title) {
  MemoryFile file;
  EXPECT_EQ(title.WriteChunks(file), kOk);
  return file.Bytes();
}

gen::TitleSpec SmallShow() {
  gen::TitleSpec spec;
  spec.snapshots = 4;
  spec.cues = 3;
  spec.dynamics = 3;
  spec.eq = 3;
  return spec;
}

// Channels on the system data, entries on the other lists.
void SelectOnly(TQ730& list, std::initializer_list<int> rows) {
  const bool channels = list.Kind() == TQ730::kSystem;
  const int n = channels ? list.ChannelCount() : list.Count();
  for (int i = 0; i < n; ++i) {
    bool on = false;
    for (int row : rows) on = on || row == i;
    if (channels) {
      list.SetChannelSelected(i, on);
    } else {
      list.SetSelected(i, on);
    }
  }
}

// Drags the Trim knob of the page shown (the scene is built anew by each gesture) over a width
// the function picks from the knob's width + 1.
template <typename Pick>
void DragTrim(test::PanelSession& bound, Pick pick) {
  std::optional<PageControl> trim;
  for (const PageControl& c : bound.panel->Model().Scene().controls) {
    if (c.id == kParamTrim && !trim) trim = c;
  }
  ASSERT_TRUE(trim);
  // A knob follows the pointer's upward movement from the press.
  bound.panel->Press(trim->box.left, trim->box.top, false);
  bound.panel->Move(trim->box.left, trim->box.top - pick(trim->box.width + 1));
  bound.panel->Release(0, 0);
}

// One command or gesture chosen by the dice, on a tab and cursor chosen by them too.
void RandomEdit(test::PanelSession& bound, std::mt19937& dice) {
  EditSession& s = *bound.session;
  const auto roll = [&dice](int n) { return static_cast<int>(dice() % static_cast<unsigned>(n)); };
  switch (roll(7)) {
    case 0: {  // a knob dragged on the channel page
      s.ChangeTab(kChannelTab);
      s.SetCursor(roll(8));
      bound.panel->Refresh();
      DragTrim(bound, roll);
      break;
    }
    case 1: {  // a rename in place
      s.ChangeTab(roll(2) ? kChannelTab : kSnapshotTab);
      s.SetCursor(roll(3));
      s.Pane().StartRename("");
      s.Pane().CommitRename("N" + std::to_string(roll(1000)));
      break;
    }
    case 2:
      s.ChangeTab(kChannelTab);
      SelectOnly(s.CurrentList(), {roll(8), roll(8)});
      bound.prompter.QueueGroups(std::vector<std::string>{});
      s.Zero();
      break;
    case 3:
      s.ChangeTab(kSnapshotTab);
      SelectOnly(s.CurrentList(), {roll(s.CurrentList().Count())});
      s.Copy();
      SelectOnly(s.CurrentList(), {roll(s.CurrentList().Count())});
      s.Paste();
      break;
    case 4:
      s.ChangeTab(kChannelTab);
      SelectOnly(s.CurrentList(), {roll(8)});
      bound.prompter.QueueTrim(ScriptedPrompter::TrimAnswer{0, {std::to_string(roll(7) - 3)}});
      s.TrimFader();
      break;
    case 5:
      s.ChangeTab(kCueTab);
      s.New();
      break;
    default:
      s.ChangeTab(kChannelTab);
      s.SetFaderGroup(roll(8));
      SelectOnly(s.CurrentList(), {roll(8)});
      if (roll(2))
        s.SetGroup();
      else
        s.ResetGroup();
      break;
  }
}

// Random runs longer than the history: every step undone gives the title as it was before it,
// byte for byte, every step redone the title as it was after it.
TEST(UndoHistoryTest, RandomRunsUndoAndRedoByteForByte) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    test::PanelSession bound(SmallShow());
    ASSERT_EQ(bound.status, kOk);
    EditSession& s = *bound.session;
    std::mt19937 dice(seed);
    // before[k]: the title before the k-th step still kept; the last entry is the title now.
    std::vector<std::vector<std::uint8_t>> before;
    std::vector<std::uint8_t> now = BytesOf(s.GetTitle());
    int steps = 0;
    while (steps < UndoRing::kMaxSteps + 12) {
      const std::vector<std::uint8_t> was = now;
      const std::vector<std::string> names_before = s.History();
      RandomEdit(bound, dice);
      now = BytesOf(s.GetTitle());
      if (s.History() == names_before) continue;  // nothing was a step
      ++steps;
      before.push_back(was);
    }
    ASSERT_EQ(s.Undo().UndoCount(), UndoRing::kMaxSteps);
    std::vector<std::vector<std::uint8_t>> kept(before.end() - UndoRing::kMaxSteps, before.end());
    kept.push_back(now);
    for (int k = UndoRing::kMaxSteps - 1; k >= 0; --k) {
      s.UndoCommand();
      ASSERT_EQ(BytesOf(s.GetTitle()), kept[static_cast<std::size_t>(k)]) << "undo to " << k;
    }
    s.UndoCommand();
    EXPECT_EQ(BytesOf(s.GetTitle()), kept.front()) << "nothing left to undo";
    for (int k = 1; k <= UndoRing::kMaxSteps; ++k) {
      s.RedoCommand();
      ASSERT_EQ(BytesOf(s.GetTitle()), kept[static_cast<std::size_t>(k)]) << "redo to " << k;
    }
    // The history jumps straight to any step.
    s.GoToHistory(37);
    EXPECT_EQ(BytesOf(s.GetTitle()), kept[37]);
    s.GoToHistory(UndoRing::kMaxSteps);
    EXPECT_EQ(BytesOf(s.GetTitle()), kept.back());
  }
}

// A hundred edits of one channel's parameter hold the system data a hundred times, and the
// snapshots, libraries and automation once.
TEST(UndoHistoryTest, UnchangedListsAreSharedBetweenSteps) {
  gen::TitleSpec spec;
  spec.snapshots = spec.dynamics = spec.eq = spec.cues = 40;
  test::PanelSession bound(spec);
  EditSession& s = *bound.session;
  Title& title = s.GetTitle();
  std::uint64_t others = 0;
  for (int n = 1; n < Title::kListCount; ++n) others += title.List(n)->HeldBytes();
  const std::uint64_t system = title.System().HeldBytes();
  const int trim = title.System().GetParam(0, kParamTrim);
  for (int step = 0; step < UndoRing::kMaxSteps; ++step) {
    s.PushUndoStep("Trim CH 1");
    title.System().SetParam(0, kParamTrim, (trim + 1 + step) % 50);
  }
  EXPECT_EQ(s.Undo().HeldBytes(), others + UndoRing::kMaxSteps * system);
  // Undone, the steps hold the title after each of them instead: the same sharing.
  s.GoToHistory(0);
  EXPECT_EQ(s.Undo().RedoCount(), UndoRing::kMaxSteps);
  EXPECT_EQ(s.Undo().HeldBytes(), others + UndoRing::kMaxSteps * system);
}

TEST(UndoHistoryTest, StepsAreNamedForWhatTheyChange) {
  test::PanelSession bound(SmallShow());
  EditSession& s = *bound.session;
  const auto newest = [&s] { return s.History().empty() ? "" : s.History().back(); };
  struct Case {
    const char* expected;
    std::function<void()> run;
  };
  const Case cases[] = {
      {"Rename CH 2",
       [&] {
         s.ChangeTab(kChannelTab);
         s.SetCursor(1);
         s.Pane().StartRename("");
         s.Pane().CommitRename("Cowbel");
       }},
      {"Trim CH 3",
       [&] {
         SelectOnly(s.CurrentList(), {2});
         bound.prompter.QueueTrim(ScriptedPrompter::TrimAnswer{0, {"-3"}});
         s.TrimFader();
       }},
      {"Zero CH 1\u20134",
       [&] {
         SelectOnly(s.CurrentList(), {0, 1, 2, 3});
         bound.prompter.QueueGroups(std::vector<std::string>{});
         s.Zero();
       }},
      {"Set Group CH 1\u20132, CH 5",
       [&] {
         SelectOnly(s.CurrentList(), {0, 1, 4});
         s.SetGroup();
       }},
      {"Reset Group 4 channels",
       [&] {
         SelectOnly(s.CurrentList(), {0, 2, 4, 6});
         s.ResetGroup();
       }},
      {"Paste 4 snapshots",
       [&] {
         s.ChangeTab(kSnapshotTab);
         SelectOnly(s.CurrentList(), {0});
         s.Copy();
         SelectOnly(s.CurrentList(), {0, 1, 2, 3});
         s.Paste();
       }},
      {"Delete snapshot 2",
       [&] {
         SelectOnly(s.CurrentList(), {1});
         s.Delete();
       }},
      {"New cue 4",
       [&] {
         s.ChangeTab(kCueTab);
         s.New();
       }},
      {"Delete dynamics entry 1",
       [&] {
         s.ChangeTab(kDynTab);
         SelectOnly(s.CurrentList(), {0});
         s.Delete();
       }},
      {"Level MTR 1 in snapshot 1",
       [&] {
         s.ChangeTab(kSnapshotTab);
         s.SetCursor(0);
         bound.panel->Refresh();
         // What a fader drag on the snapshot page names: its channel and its snapshot.
         EXPECT_EQ(ParamStepName(s.CurrentList(), 48, kParamFaderLevel),
                   "Level MTR 1 in snapshot 1");
         s.PushUndoStep(ParamStepName(s.CurrentList(), 48, kParamFaderLevel));
       }},
  };
  for (const Case& c : cases) {
    c.run();
    EXPECT_EQ(newest(), c.expected);
  }
  EXPECT_EQ(s.UndoText(), "Undo Level MTR 1 in snapshot 1");
  EXPECT_EQ(s.RedoText(), "Redo");
  s.UndoCommand();
  s.UndoCommand();
  EXPECT_EQ(s.UndoText(), "Undo New cue 4");
  EXPECT_EQ(s.RedoText(), "Redo Delete dynamics entry 1");
  EXPECT_EQ(s.History().size(), std::size(cases)) << "undone steps stay listed for redo";

  // A panel gesture names its parameter and channel.
  s.ChangeTab(kChannelTab);
  s.SetCursor(2);
  bound.panel->Refresh();
  DragTrim(bound, [](int n) { return n - 1; });
  EXPECT_EQ(newest(), std::string(ParamName(kParamTrim)) + " CH 3");
  EXPECT_EQ(s.RedoText(), "Redo") << "a new step drops the redo steps";
}

}  // namespace
}  // namespace orb
