// The timeline's scene: labels, curves reduced to pixel columns, hit tests, overlay and gauge.
#include <gtest/gtest.h>

#include <tuple>

#include "core/editor/AutomationViews.h"
#include "core/editor/TimelineScene.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "tests/core/edit/EditTitles.h"

namespace orb {
namespace {

using namespace timeline;

constexpr int kLevel = 110;

class TimelineSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    title = test::LoadTitle();
    for (int c = 0; c < 73; ++c) automation().SetStartValue(kLevel, c, kNoStartTime, 0);
  }
  TQ730AUTO& automation() { return title->Automation(); }
  void Event(int channel, double seconds, int value) {
    ASSERT_TRUE(automation().AppendEvent({SecondsToTC(seconds, automation().Rate()),
                                          automation().KeyOf(kLevel, channel).Word(value)}));
  }
  TimelineScene Scene(const TimelineState& state, int view = kLevel, double from = 0, double to = 0,
                      int offset = 0) {
    return BuildScene(state, 800, 400, {&automation(), &title->System(), view, from, to, offset});
  }
  std::unique_ptr<Title> title;
};

TEST_F(TimelineSceneTest, EventsReduceToOneColumnEachAndStayHittable) {
  automation().SetStartValue(kLevel, 0, MakeTC(0, 0, 0, 0), 200);
  Event(0, 1.0, 100);
  Event(0, 1.0, 900);
  Event(2, 1.0, 50);
  Event(0, 1.0, 500);
  Event(0, 2.0, 300);
  Event(0, 100.0, 1000);  // beyond the right edge
  TimelineState state;
  const TimelineScene scene = Scene(state);
  const TimelineGeometry g(state, 800, 400, 100);
  const int range = automation().ParamMax(0, kLevel);

  ASSERT_EQ(scene.labels.size(), static_cast<std::size_t>(g.DrawnBands()));
  EXPECT_EQ(scene.labels[0].number, title->System().NumberText(0));
  EXPECT_EQ(scene.labels[1].cell, g.LabelRect(1));
  const BandCurve& c0 = scene.curves[0];
  ASSERT_EQ(c0.row, 0);
  EXPECT_TRUE(c0.has_start);
  EXPECT_EQ(c0.start_y, g.ValueY(0, 200, range));
  ASSERT_EQ(c0.columns.size(), 2u);
  const CurveColumn& first = c0.columns[0];
  EXPECT_EQ(first.x, g.EventX(1.0));
  EXPECT_EQ(first.events, 3);
  EXPECT_EQ(first.enter_y, g.ValueY(0, 200, range));
  EXPECT_EQ(first.low_y, g.ValueY(0, 900, range));
  EXPECT_EQ(first.high_y, g.ValueY(0, 100, range));
  EXPECT_EQ(first.exit_y, g.ValueY(0, 500, range));
  EXPECT_EQ(c0.columns[1].enter_y, first.exit_y);
  EXPECT_EQ(c0.columns[1].events, 1);
  // A row without start value or events shows none.
  EXPECT_FALSE(scene.curves[1].has_start);
  EXPECT_TRUE(scene.curves[1].columns.empty());
  ASSERT_EQ(scene.curves[2].columns.size(), 1u);
  EXPECT_EQ(scene.curves[2].columns[0].low_y, g.ValueY(2, 50, range));
  EXPECT_EQ(scene.visible.size(), 5u);

  // Hits within two pixels either way; the latest event at a spot is the one grabbed.
  const int x = g.EventX(2.0), y = g.ValueY(0, 300, range);
  for (auto [dx, dy, hit] : {std::tuple{0, 0, true},
                             {2, -2, true},
                             {-2, 2, true},
                             {3, 0, false},
                             {0, -3, false},
                             {-3, 0, false}}) {
    const VisibleEvent* e = HitEvent(scene, 0, x + dx, y + dy);
    EXPECT_EQ(e != nullptr, hit) << dx << " " << dy;
    if (e) {
      EXPECT_EQ(e->index, 4);
    }
  }
  EXPECT_EQ(HitEvent(scene, 1, x, y), nullptr);
  const VisibleEvent* top = HitEvent(scene, 0, g.EventX(1.0), g.ValueY(0, 500, range));
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->index, 3);

  // Scrolled past the first second, the value held at the left edge is the last one before it.
  state.SetTimeScroll(static_cast<int>(1.5 / 100 * kTimeScrollMax), TimeSpan(automation()));
  const TimelineScene later = Scene(state);
  EXPECT_EQ(later.curves[0].start_y, g.ValueY(0, 500, range));
  ASSERT_EQ(later.curves[0].columns.size(), 1u);
  EXPECT_EQ(later.visible.size(), 1u);
}

TEST_F(TimelineSceneTest, GreyLabelsShowNoCurve) {
  int grey = 0;
  for (int view : kAutomationViews) {
    TimelineState state;
    state.SetRowScroll(60, 73);
    const TimelineScene scene = Scene(state, view);
    std::size_t curves = 0;
    for (std::size_t band = 0; band < scene.labels.size(); ++band) {
      const BandLabel& label = scene.labels[band];
      const int row = 60 + static_cast<int>(band);
      EXPECT_EQ(label.exists, row < 73);
      if (!label.exists) continue;
      EXPECT_EQ(label.grey, !automation().KeyOf(view, row).valid);
      grey += label.grey;
      if (!label.grey) {
        ASSERT_LT(curves, scene.curves.size());
        EXPECT_EQ(scene.curves[curves++].row, row);
      }
    }
    EXPECT_EQ(curves, scene.curves.size());
  }
  EXPECT_GT(grey, 0);
}

TEST_F(TimelineSceneTest, SelectionOverlayFollowsTheMoveAndHidesWhileWriting) {
  automation().SetChannelSelected(1, true);
  TimelineState state;
  TimelineScene scene = Scene(state, kLevel, 2.0, 1.0);
  ASSERT_TRUE(scene.selection.shown);
  EXPECT_EQ(scene.selection.x1, kLabelWidth + 72);
  EXPECT_EQ(scene.selection.x2, kLabelWidth + 144);
  EXPECT_TRUE(scene.selection.start_line);
  EXPECT_EQ(scene.selection.bands, std::vector<int>{1});
  // A move two rows down shows the selected row two bands lower; a whole day stays on screen.
  scene = Scene(state, kLevel, 0, kDayEnd, -2);
  EXPECT_EQ(scene.selection.bands, std::vector<int>{3});
  EXPECT_EQ(scene.selection.x1, kLabelWidth);
  EXPECT_EQ(scene.selection.x2, 800);
  state.SetTool(TimelineTool::kWrite);
  EXPECT_FALSE(Scene(state, kLevel, 1.0, 2.0).selection.shown);
}

TEST_F(TimelineSceneTest, CueMarkersBandLinesAndOnOffViews) {
  TQ730& cues = title->Cues();
  const std::vector<std::pair<TimeCode, std::string>> expect_shown = {
      {MakeTC(0, 0, 0, 0), "at zero"},
      {MakeTC(0, 0, 2, 15), "inside"},
      {MakeTC(0, 0, 8, 20), "right edge"},
      {MakeTC(1, 0, 0, 0), "later"}};
  while (cues.Count() < static_cast<int>(expect_shown.size())) ASSERT_GE(cues.NewRecord(-1), 0);
  for (int i = 0; i < 4; ++i) {
    cues.SetParam(i, kParamCueTime, static_cast<int>(ToBCD(expect_shown[i].first)));
  }
  TimelineState state;  // 72 px/s: 605 pixels show 0 … 8.4 s
  const TimelineGeometry g(state, 800, 400, TimeSpan(automation()));
  SceneInput in{&automation(), &title->System(), kLevel, 0, 0, 0, &cues};
  TimelineScene scene = BuildScene(state, 800, 400, in);
  ASSERT_EQ(scene.cues.size(), 2u);
  EXPECT_EQ(scene.cues[0].x, kLabelWidth + 1);
  EXPECT_EQ(scene.cues[1].x, g.EventX(2.5));
  EXPECT_EQ(scene.cues[1].name, cues.NameText(1));
  in.cues = nullptr;
  EXPECT_TRUE(BuildScene(state, 800, 400, in).cues.empty());

  // Four lines a band: its border, its middle and the top and bottom of its value range.
  ASSERT_EQ(scene.lines.size(), scene.labels.size() * 4);
  for (const auto& [index, y, border] : {std::tuple{0u, 19, true},
                                         {1u, 51, false},
                                         {2u, 23, false},
                                         {3u, 79, false},
                                         {4u, 83, true}}) {
    EXPECT_EQ(scene.lines[index].y, y) << index;
    EXPECT_EQ(scene.lines[index].border, border) << index;
  }
  EXPECT_FALSE(scene.free_only);
  EXPECT_TRUE(Scene(state, 106).free_only);  // Cut is on or off
  // The write popup asks the same of the view without building a scene.
  EXPECT_FALSE(OnOffView(automation(), kLevel));
  EXPECT_TRUE(OnOffView(automation(), 106));
}

// The write popup offers every shape on a view of values; on an on/off view only Free, which
// it then chooses.
TEST_F(TimelineSceneTest, WritePopupOnOnOffViewsOffersFreeOnly) {
  const struct {
    int view;
    WriteShape chosen;
    int offered;
  } cases[] = {{kLevel, WriteShape::kCurve2, 5}, {106, WriteShape::kFree, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.view);
    TimelineState state;
    state.SetShape(static_cast<int>(WriteShape::kCurve2));
    const WriteMenu menu = OpenWriteMenu(state, automation(), c.view);
    EXPECT_EQ(menu.chosen, c.chosen);
    EXPECT_EQ(state.Shape(), c.chosen);
    int offered = 0;
    for (int tag = 0; tag < 5; ++tag) offered += menu.Enabled(static_cast<WriteShape>(tag));
    EXPECT_EQ(offered, c.offered);
    EXPECT_TRUE(menu.Enabled(WriteShape::kFree));
  }
}

TEST(TimelineGaugeTest, PercentTurnsRedAboveTheMemory) {
  struct Case {
    std::int64_t words;
    int percent;
    bool red;
  };
  const std::int64_t full = TQ730AUTO::kMaxStreamWords;
  for (const Case& c : {Case{0, 0, false},
                        {full / 100 - 1, 0, false},
                        {full / 2, 49, false},
                        {full, 100, false},
                        // Save refuses a word more, though the percentage is still 100.
                        {full + 1, 100, true},
                        {full * 101 / 100 - 1, 100, true},
                        {full * 101 / 100 + 1, 100, true}}) {
    int percent = -1;
    bool red = !c.red;
    FillGauge(c.words, percent, red);
    EXPECT_EQ(percent, c.percent) << c.words;
    EXPECT_EQ(red, c.red) << c.words;
  }
}

}  // namespace
}  // namespace orb

namespace orb {
namespace {

// Cue boxes leave the ruler's labels readable: a box that would cover one drops to the lane
// below the ruler, and no box reaches into the next label or the next box of its lane.
TEST_F(TimelineSceneTest, CueBoxesKeepTheRulerLabelsReadable) {
  TQ730& cues = title->Cues();
  // At 243 px/s a label stands at every second, 243 pixels apart: a cue on the one-second
  // label, one half-way to the next, and two crowding each other.
  const std::vector<TimeCode> times = {MakeTC(0, 0, 1, 0), MakeTC(0, 0, 1, 15), MakeTC(0, 0, 1, 21),
                                       MakeTC(0, 0, 1, 22)};
  while (cues.Count() > static_cast<int>(times.size())) {
    cues.SetSelected(0, true);
    cues.DeleteSelected();
  }
  while (cues.Count() < static_cast<int>(times.size())) ASSERT_GE(cues.NewRecord(-1), 0);
  // A cue's new time sorts the list: the last cue, an hour in as generated, is set each time.
  for (const TimeCode time : times)
    cues.SetParam(cues.Count() - 1, kParamCueTime, static_cast<int>(ToBCD(time)));
  TimelineState state;
  for (int i = 0; i < 3; ++i) state.DetailTime();
  ASSERT_EQ(GridStepsAt(state.Zoom()).major, 1);
  const TimelineScene scene =
      BuildScene(state, 800, 400, {&automation(), &title->System(), kLevel, 0, 0, 0, &cues});
  ASSERT_EQ(scene.cues.size(), times.size());
  for (std::size_t i = 1; i < scene.cues.size(); ++i)
    EXPECT_LE(scene.cues[i - 1].x, scene.cues[i].x);
  for (const CueMarker& cue : scene.cues) {
    const int left = cue.x - 3, right = left + cue.box_width;
    if (cue.lane == 0) {
      for (const RulerLabel& label : scene.ruler) {
        const bool apart = right <= label.x - 1 || left > label.x + kRulerLabelWidth;
        EXPECT_TRUE(apart) << cue.name << " at " << cue.x << " over the label at " << label.x;
      }
    }
    for (const CueMarker& other : scene.cues) {
      if (&other != &cue && other.lane == cue.lane && other.x > cue.x) {
        EXPECT_LT(right, other.x - 3) << cue.name << " runs into " << other.name;
      }
    }
  }
  // The cue on the one-second label goes below the ruler; the one half-way keeps the ruler and
  // the room up to the next cue.
  EXPECT_EQ(scene.cues[0].lane, 1);
  EXPECT_EQ(scene.cues[1].lane, 0);
  EXPECT_EQ(scene.cues[1].box_width, scene.cues[2].x - 4 - (scene.cues[1].x - 3));
  EXPECT_GE(scene.cues[1].box_width, kMinCueBox);
}

// A value scale in the view's unit, only as dense as it stays legible, each mark at its value.
TEST_F(TimelineSceneTest, ValueScalesInTheViewsUnit) {
  const struct {
    int view;
    int band;          // band height
    const char* unit;  // the end of every mark's text; null: the view's own step texts
    std::size_t at_least;
  } cases[] = {
      {kLevel, 128, " dB", 5}, {kLevel, 64, " dB", 3}, {109, 96, " %", 5},  // Pan
      {106, 64, nullptr, 2},                                                // Cut: on or off
      {kLevel, 32, " dB", 2},  // the band's top and bottom alone
  };
  for (const auto& c : cases) {
    TimelineState state;
    state.SetBandHeight(static_cast<float>(c.band));
    const TimelineScene scene = Scene(state, c.view);
    ASSERT_FALSE(scene.curves.empty());
    const BandCurve& curve = scene.curves[0];
    const std::vector<ScaleMark>& marks = curve.scale;
    EXPECT_GE(marks.size(), c.at_least) << c.view << " at " << c.band;
    if (c.band == 32) {
      EXPECT_EQ(marks.size(), 2u);
    }
    const TimelineGeometry g(state, 800, 400, TimeSpan(automation()));
    for (std::size_t i = 0; i < marks.size(); ++i) {
      if (i > 0) {
        EXPECT_GE(marks[i].y - marks[i - 1].y, 12) << c.view << " at " << c.band;
      }
      EXPECT_GE(marks[i].y, g.ValueY(0, curve.range, curve.range));
      EXPECT_LE(marks[i].y, g.ValueY(0, 0, curve.range));
      if (c.unit != nullptr) {
        const std::string& text = marks[i].text;
        EXPECT_EQ(text.substr(text.size() - std::string(c.unit).size()), c.unit) << text;
      }
    }
    if (c.view == kLevel && !marks.empty()) {
      EXPECT_EQ(marks.front().text, "+10 dB");
      EXPECT_EQ(marks.front().y, g.ValueY(0, NearestFaderIndex(10), curve.range));
    } else if (c.view == 109) {
      EXPECT_EQ(marks.front().text, "100 %");
      EXPECT_EQ(marks.back().text, "0 %");
      EXPECT_EQ(marks.back().y, g.ValueY(0, 0, curve.range));
    } else if (c.unit == nullptr) {
      ASSERT_EQ(marks.size(), 2u);
      EXPECT_EQ(marks.front().y, g.ValueY(0, 1, 1));
      EXPECT_EQ(marks.back().y, g.ValueY(0, 0, 1));
    }
  }
  // Fewer marks on a lower band.
  TimelineState tall, low;
  tall.SetBandHeight(128);
  low.SetBandHeight(48);
  EXPECT_GT(Scene(tall).curves[0].scale.size(), Scene(low).curves[0].scale.size());
}

}  // namespace
}  // namespace orb
