// Where the wheel, the keys, zoom to fit or to the selection, Go To and auto-scroll leave the
// timeline's view, and how a typed timecode reads.
#include <gtest/gtest.h>

#include <functional>

#include "core/editor/TimelineNavigator.h"
#include "core/model/ParamIds.h"
#include "tests/core/edit/EditTitles.h"

namespace orb {
namespace {

using namespace timeline;

constexpr int kLevel = 110;
constexpr int kWidth = 800;   // 605 pixels of data: 8.40 s at the start zoom
constexpr int kHeight = 400;  // five whole bands of 64

class TimelineNavigatorTest : public ::testing::Test {
 protected:
  void SetUp() override { title = test::LoadTitle(); }
  TQ730AUTO& automation() { return title->Automation(); }
  void Event(int row, double seconds) {
    ASSERT_TRUE(automation().AppendEvent(
        {SecondsToTC(seconds, automation().Rate()), automation().KeyOf(kLevel, row).Word(500)}));
  }
  TimelineNavigator Navigator() {
    return {state, automation(), &title->Cues(), 73, kWidth, kHeight};
  }
  double View() const { return (kWidth - kLabelWidth) / double{state.Zoom()}; }
  TimelineState state;
  std::unique_ptr<Title> title;
};

TEST_F(TimelineNavigatorTest, EachActionLeavesTheViewWhereItSays) {
  Event(5, 3600);
  Event(40, 3610);
  Event(2, 3700);
  const double view = (kWidth - kLabelWidth) / 72.0;
  const int middle = kLabelWidth + (kWidth - kLabelWidth) / 2;
  struct Case {
    const char* name;
    std::function<void(TimelineNavigator&)> act;
    double left;
    float zoom;
    int first_row;
    int band = kStartBand;
  };
  const Case cases[] = {
      {"opens on the view's first event, its row in view",
       [](TimelineNavigator& n) { n.ShowStart(kLevel); }, 3600 - view / 10, 72, 5},
      {"Home as at the start", [](TimelineNavigator& n) { n.Key(TimelineKey::kHome, kLevel); },
       3600 - view / 10, 72, 5},
      {"End: the last event a tenth in from the right, its row already in view",
       [](TimelineNavigator& n) { n.Key(TimelineKey::kEnd, kLevel); }, 3700 - view * 0.9, 72, 0},
      {"the wheel scrolls rows",
       [](TimelineNavigator& n) {
         n.Wheel({-3, false, false}, 400);
       },
       0, 72, 3},
      {"rows stop at the first",
       [](TimelineNavigator& n) {
         n.Wheel({2, false, false}, 400);
       },
       0, 72, 0},
      {"Shift+wheel scrolls time by tenths of the view",
       [](TimelineNavigator& n) {
         n.Wheel({-2, true, false}, 400);
       },
       view / 5, 72, 0},
      {"Ctrl+Shift+wheel changes the band height",
       [](TimelineNavigator& n) {
         n.Wheel({1, true, true}, 400);
       },
       0, 72, 0, 80},
      {"Right a tenth of the view", [](TimelineNavigator& n) { n.Key(TimelineKey::kRight, 0); },
       view / 10, 72, 0},
      {"Left stops at the day's start", [](TimelineNavigator& n) { n.Key(TimelineKey::kLeft, 0); },
       0, 72, 0},
      {"Down a row", [](TimelineNavigator& n) { n.Key(TimelineKey::kDown, 0); }, 0, 72, 1},
      {"Page Down a screen of rows", [](TimelineNavigator& n) { n.Key(TimelineKey::kPageDown, 0); },
       0, 72, 5},
      {"+ zooms around the centre", [](TimelineNavigator& n) { n.Key(TimelineKey::kZoomIn, 0); },
       (middle - kLabelWidth) / 72.0 - (middle - kLabelWidth) / 108.0, 108, 0},
      {"Go To centres the time", [](TimelineNavigator& n) { n.Centre(3650); }, 3650 - view / 2, 72,
       0},
      {"zoom to fit: every event in view with a margin each side",
       [](TimelineNavigator& n) { EXPECT_TRUE(n.ZoomToFit()); },
       3600 - ((kWidth - kLabelWidth) / double{5.445f} - 100) / 2, 5.445f, 0},
      {"zoom to an empty selection does nothing",
       [](TimelineNavigator& n) { EXPECT_FALSE(n.ZoomToSelection(7, 7)); }, 0, 72, 0},
  };
  for (const Case& c : cases) {
    state = TimelineState();
    TimelineNavigator n = Navigator();
    c.act(n);
    EXPECT_NEAR(state.LeftTime(), c.left, 1e-3) << c.name;
    EXPECT_NEAR(state.Zoom(), c.zoom, 1e-3) << c.name;
    EXPECT_EQ(state.RowScroll(), c.first_row) << c.name;
    EXPECT_EQ(state.BandHeight(), c.band) << c.name;
  }
}

TEST_F(TimelineNavigatorTest, WheelZoomKeepsTheTimeUnderThePointer) {
  Event(1, 100);
  state.SetLeftTime(95);
  for (const auto& [x, notches] : {std::pair{300, 1}, {700, -2}, {kLabelWidth, 3}, {500, 40}}) {
    const double before = Navigator().Geometry().TimeAt(x);
    Navigator().Wheel({notches, false, true}, x);
    EXPECT_NEAR(Navigator().Geometry().TimeAt(x), before, 1e-6) << x << " " << notches;
  }
  EXPECT_EQ(state.Zoom(), kMaxZoom);  // forty notches in reach the limit
}

TEST_F(TimelineNavigatorTest, ZoomToSelectionShowsItsRangeAndFirstRow) {
  automation().SetChannelSelected(40, true);
  automation().SetChannelSelected(44, true);
  EXPECT_TRUE(Navigator().ZoomToSelection(20, 10));
  const TimelineGeometry g = Navigator().Geometry();
  EXPECT_NEAR(g.LeftTime(), 10 - 0.05 * (g.RightTime() - g.LeftTime()), 1e-3);
  EXPECT_NEAR(g.RightTime(), 20 + 0.05 * (g.RightTime() - g.LeftTime()), 1e-3);
  EXPECT_EQ(state.RowScroll(), 40);
}

TEST_F(TimelineNavigatorTest, WithoutEventsTheTabOpensOnTheEarliestCue) {
  TQ730& cues = title->Cues();
  ASSERT_GE(cues.Count(), 2);
  // A cue's new time sorts the list, so the first cue is set each time.
  for (int cue = 0; cue < cues.Count(); ++cue)
    cues.SetParam(0, kParamCueTime, static_cast<int>(ToBCD(MakeTC(2, 0, 0, 0))));
  cues.SetParam(1, kParamCueTime, static_cast<int>(ToBCD(MakeTC(1, 30, 0, 0))));
  EXPECT_TRUE(Navigator().ShowStart(kLevel));
  EXPECT_NEAR(state.LeftTime(), 5400 - View() / 10, 1e-6);
  while (cues.Count() > 0) {
    cues.SetSelected(0, true);
    cues.DeleteSelected();
  }
  state = TimelineState();
  EXPECT_FALSE(Navigator().ShowStart(kLevel));
  EXPECT_EQ(state.LeftTime(), 0);
}

TEST_F(TimelineNavigatorTest, AutoScrollGrowsWithTheDistancePastTheEdge) {
  state.SetLeftTime(100);
  state.SetRowScroll(10, 73);
  struct Case {
    int x, y;
    bool time, rows;
    double left;
    int row;
  } const cases[] = {
      {400, 200, true, true, 100, 10},                    // inside: nothing
      {kWidth + 9, 200, true, true, 100 + 7 / 72.0, 10},  // just past the right edge
      {kWidth + 99, 200, true, true, 100 + 52 / 72.0, 10},
      {kLabelWidth - 20, 200, true, true, 100 - 12 / 72.0, 10},
      {kWidth + 99, 200, false, true, 100, 10},  // a gesture that does not scroll time
      {400, kHeight + 5, true, true, 100, 11},
      {400, kHeight + 200, true, true, 100, 14},
      {400, 5, true, true, 100, 9},
      {400, kHeight + 5, true, false, 100, 10},
  };
  for (const Case& c : cases) {
    state.SetLeftTime(100);
    state.SetRowScroll(10, 73);
    const bool moved = Navigator().AutoScroll(c.x, c.y, c.time, c.rows);
    EXPECT_EQ(moved, c.left != 100 || c.row != 10) << c.x << "," << c.y;
    EXPECT_NEAR(state.LeftTime(), c.left, 1e-9) << c.x << "," << c.y;
    EXPECT_EQ(state.RowScroll(), c.row) << c.x << "," << c.y;
  }
}

TEST(ReadTimecodeTest, TypedTimecodesInTheTitlesMode) {
  const FrameRate rate25 = FrameRateOfMode(4);
  ASSERT_EQ(rate25 & 0xFF, 25);
  struct Case {
    const char* text;
    double seconds;  // -1: refused
  } const cases[] = {
      {"01:00:00:00", 3600},
      {"1:2:3:4", 3723 + 4 / 25.0},
      {"01000000", 3600},
      {"1210", 12 + 10 / 25.0},
      {" 00:01:00:00 ", 60},
      {"2:00", 2},          // missing fields on the left count zero
      {"00:00:01:25", -1},  // no frame 25 at 25 frames
      {"24:00:00:00", -1},
      {"00:60:00:00", -1},
      {"1:2:3:4:5", -1},
      {"one", -1},
      {"", -1},
      {"123456789", -1},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<double> seconds = ReadTimecode(c.text, rate25, error);
    if (c.seconds < 0) {
      EXPECT_FALSE(seconds) << c.text;
      EXPECT_FALSE(error.empty()) << c.text;
    } else {
      ASSERT_TRUE(seconds) << c.text << ": " << error;
      EXPECT_NEAR(*seconds, c.seconds, 1e-9) << c.text;
    }
  }
}

}  // namespace
}  // namespace orb
