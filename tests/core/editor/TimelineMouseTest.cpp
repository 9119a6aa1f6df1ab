// The timeline's mouse driven as the widget drives it, on a session with a generated title.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>

#include "core/editor/AutomationViews.h"
#include "core/editor/TimelineEdits.h"
#include "core/editor/TimelineMouse.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/ValueText.h"
#include "tests/TestFiles.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempFolder.h"
#include "tools/TitleGenerator.h"

namespace orb {
namespace {

namespace fs = std::filesystem;
using namespace timeline;

constexpr int kLevel = 110;
constexpr int kCut = 106;
constexpr int kPan = 109;
constexpr int kWidth = 800;
constexpr int kHeight = 400;

class TimelineMouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path path = folder / "Show.orb";
    test::WriteFile(path, gen::MakeTitle({}));
    session = std::make_unique<EditSession>(clip, &prompter);
    ASSERT_EQ(session->Open(path.string()), kOk);
    session->ChangeTab(4);  // AUTOMATION
    mouse = std::make_unique<TimelineMouse>(*session, state);
    mouse->SetSurface(kWidth, kHeight);
  }

  TQ730AUTO& automation() { return session->GetTitle().Automation(); }
  TimelineGeometry Geometry() { return {state, kWidth, kHeight, TimeSpan(automation())}; }
  TimelineScene Scene() {
    return BuildScene(state, kWidth, kHeight,
                      {&automation(), &session->GetTitle().System(), session->ViewParam(),
                       session->SelectionStart(), session->SelectionEnd(), mouse->RowOffset()});
  }
  void Drag(std::vector<TimelinePointer> path) {
    const TimelineScene scene = Scene();
    mouse->Down(path.front(), scene);
    for (std::size_t i = 1; i < path.size(); ++i) mouse->Move(path[i]);
    mouse->Up(path.back());
    EXPECT_FALSE(mouse->Dragging());
  }
  // The (time, value) of the view's events on a row.
  std::vector<std::pair<double, int>> Events(int row) {
    std::vector<std::pair<double, int>> out;
    TQ730AUTO& list = automation();
    const EventKey key = list.KeyOf(session->ViewParam(), row);
    for (int i = 0; i < list.Count(); ++i) {
      if (key.Matches(list.EventWord(i)))
        out.emplace_back(TCToSeconds(list.EventTime(i), list.Rate()), key.Value(list.EventWord(i)));
    }
    return out;
  }
  // Opens a generated title with a stream of automation in its place, on the view and row
  // with the most events of a view with a range of values, shown in the second band; returns
  // that row.
  int OpenBusyTitle() {
    gen::TitleSpec spec;
    spec.automation_words = 3000;
    const fs::path path = folder / "Busy.orb";
    test::WriteFile(path, gen::MakeTitle(spec));
    session = std::make_unique<EditSession>(clip, &prompter);
    EXPECT_EQ(session->Open(path.string()), kOk);
    session->ChangeTab(4);
    mouse = std::make_unique<TimelineMouse>(*session, state);
    mouse->SetSurface(kWidth, kHeight);
    int busiest = 0, most = 0, view = kLevel;
    for (const int v : kAutomationViews) {
      session->SetViewParam(v);
      for (int row = 1; row < 72; ++row) {
        const int n = static_cast<int>(Events(row).size());
        if (automation().ParamMax(row, v) >= 50 && n > most) {
          busiest = row;
          most = n;
          view = v;
        }
      }
    }
    session->ChangeView(view);
    EXPECT_GT(most, 20);
    state.SetRowScroll(busiest - 1, 73);
    return busiest;
  }
  // A stretch of a row from just after its first event over its next six, shown from a second
  // before it at a zoom where it takes at most 250 pixels.
  struct Stretch {
    double from = 0, to = 0;
  };
  Stretch StretchOf(int row) {
    const auto events = Events(row);
    const Stretch stretch{events[0].first + 0.5, events[6].first + 0.5};
    while ((stretch.to - stretch.from) * state.Zoom() > 250) state.ReduceTime();
    state.SetLeftTime(stretch.from - 1);
    return stretch;
  }
  // The (row, time, value) of the selected events of the view.
  std::vector<std::tuple<int, double, int>> Selected() {
    std::vector<std::tuple<int, double, int>> out;
    TQ730AUTO& list = automation();
    for (int i = 0; i < list.Count(); ++i) {
      if (!list.IsSelected(i)) continue;
      for (int row = 0; row < 73; ++row) {
        const EventKey key = list.KeyOf(session->ViewParam(), row);
        if (key.Matches(list.EventWord(i)))
          out.emplace_back(row, TCToSeconds(list.EventTime(i), list.Rate()),
                           key.Value(list.EventWord(i)));
      }
    }
    return out;
  }
  std::vector<std::pair<double, int>> EventsWithin(int row, double from, double to) {
    std::vector<std::pair<double, int>> out;
    for (const auto& e : Events(row))
      if (e.first >= from && e.first <= to) out.push_back(e);
    return out;
  }
  void Event(int row, double seconds, int value) {
    ASSERT_TRUE(
        automation().AppendEvent({SecondsToTC(seconds, automation().Rate()),
                                  automation().KeyOf(session->ViewParam(), row).Word(value)}));
  }
  // The title as saved.
  std::vector<std::uint8_t> Bytes() {
    MemoryFile out;
    EXPECT_EQ(session->GetTitle().WriteChunks(out), kOk);
    return out.Bytes();
  }

  test::TempFolder temp_;
  fs::path folder = temp_.path();
  TClip clip;
  ScriptedPrompter prompter;
  std::unique_ptr<EditSession> session;
  TimelineState state;
  std::unique_ptr<TimelineMouse> mouse;
};

TEST_F(TimelineMouseTest, WriteShapesOneUndoStepEach) {
  state.SetTool(TimelineTool::kWrite);
  state.SetShape(1);  // Line
  const TimelineGeometry g = Geometry();
  const int range = automation().ParamMax(0, kLevel);
  const int x1 = g.TimeX(1.0) + 1, x2 = g.TimeX(2.0) + 1;
  const int bottom = g.ValueY(0, 0, range), top = g.ValueY(0, range, range);
  Drag({{x1, bottom}, {(x1 + x2) / 2, top}, {x2, top}});
  auto events = Events(0);
  const int fps = automation().Rate() & 0xFF;
  // A fade over one second from the bottom to the top ends on the top value.
  ASSERT_EQ(static_cast<int>(events.size()), fps + 1);
  EXPECT_EQ(events.front(), std::pair(1.0, 0));
  EXPECT_EQ(events.back(), std::pair(2.0, range));
  EXPECT_TRUE(Events(1).empty());
  EXPECT_TRUE(session->Modified());

  session->UndoCommand();
  EXPECT_TRUE(Events(0).empty());

  // Free at one value writes its first point only.
  state.SetShape(0);
  const int mid = g.ValueY(2, 500, range);
  Drag({{x1, mid}, {x1 + 10, mid}, {x1 + 40, mid}, {x2, mid}});
  events = Events(2);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_NEAR(events[0].first, 1.0, 1.0 / fps);

  // An on/off view forces Free whatever the shape chosen.
  session->SetViewParam(kCut);
  state.SetShape(3);
  const TimelineScene scene = Scene();
  mouse->Down({x1, Geometry().ValueY(0, 1, 1)}, scene);
  EXPECT_EQ(mouse->Mode(), TimelineDrag::kWrite);
  mouse->Up({x1, 30});
}

TEST_F(TimelineMouseTest, AViewChangeSelectsThatViewsEventsInTheRange) {
  Event(0, 1.0, 300);
  Event(1, 2.0, 300);
  Event(0, 9.0, 300);
  session->SetViewParam(kCut);
  Event(0, 2.0, 1);
  session->SetViewParam(kLevel);
  automation().SetChannelSelected(0, true);
  session->SetSelection(0.5, 5.0);
  automation().SelectRange(kLevel, 0.5, 5.0);
  auto selected = [&] {
    std::vector<double> times;
    for (int i = 0; i < automation().Count(); ++i)
      if (automation().IsSelected(i))
        times.push_back(TCToSeconds(automation().EventTime(i), automation().Rate()));
    return times;
  };
  EXPECT_EQ(selected(), std::vector<double>{1.0});
  // Only the new view's events stay selected, so a Delete never takes what is not shown.
  session->ChangeView(kCut);
  EXPECT_EQ(session->ViewParam(), kCut);
  EXPECT_EQ(selected(), std::vector<double>{2.0});
  session->ChangeView(9999);
  EXPECT_EQ(session->ViewParam(), kCut);
}

TEST_F(TimelineMouseTest, StatusText) {
  const TimelineGeometry g = Geometry();
  const int range = automation().ParamMax(0, kLevel);
  const int y = g.ValueY(0, kFaderNominal, range);
  const std::string value = FormatValue(kLevel, g.ValueAt(0, y, range)).value;
  mouse->Move({g.TimeX(2.0) + 1, y});
  EXPECT_EQ(mouse->StatusText(), "00:00:02:00  " + value);
  mouse->Move({50, y});
  EXPECT_EQ(mouse->StatusText(), "");
  // While writing, the value alone.
  state.SetTool(TimelineTool::kWrite);
  mouse->Down({g.TimeX(2.0) + 1, y}, Scene());
  EXPECT_EQ(mouse->StatusText(), value);
  mouse->Up({g.TimeX(2.0) + 1, y});
}

TEST_F(TimelineMouseTest, LabelsRulerAndEraser) {
  const TimelineGeometry g = Geometry();
  // A label click selects its row and, without a range, the whole day; Ctrl adds rows.
  Drag({{50, g.BandRect(1).top + 5}});
  EXPECT_EQ(session->SelectionStart(), 0);
  EXPECT_EQ(session->SelectionEnd(), kDayEnd);
  Drag({{50, g.BandRect(3).top + 5, {false, true}}, {50, g.BandRect(4).top + 5, {false, true}}});
  for (int row = 0; row < 6; ++row) {
    EXPECT_EQ(automation().IsChannelSelected(row), row == 1 || row == 3 || row == 4) << row;
  }
  // A ruler click with no range yet selects every row; a drag makes the range.
  session->SetSelection(0, 0);
  Drag({{g.TimeX(1.0), 10}, {g.TimeX(3.0), 10}});
  EXPECT_DOUBLE_EQ(session->SelectionStart(), 1.0);
  EXPECT_DOUBLE_EQ(session->SelectionEnd(), 3.0);
  EXPECT_TRUE(automation().IsChannelSelected(72));

  // The eraser deletes what it was dragged over on its rows, as one undo step.
  Event(0, 1.0, 100);
  Event(1, 1.2, 200);
  Event(0, 1.5, 300);
  Event(0, 4.0, 400);
  state.SetTool(TimelineTool::kEraser);
  session->SetSelection(0, 0);
  const int undo = session->Undo().UndoCount();
  const int y = g.BandRect(0).top + 10;
  Drag({{g.TimeX(0.5), y}, {g.TimeX(2.0), y}});
  EXPECT_EQ(Events(0), (std::vector<std::pair<double, int>>{{4.0, 400}}));
  EXPECT_EQ(Events(1).size(), 1u);
  EXPECT_EQ(session->Undo().UndoCount(), undo + 1);
}

TEST_F(TimelineMouseTest, MovesAcrossTimeAndRows) {
  using Row = std::vector<std::pair<double, int>>;
  Event(0, 1.0, 100);
  Event(1, 1.5, 200);
  Event(2, 1.5, 300);
  const TimelineGeometry g = Geometry();
  auto select = [&] {
    session->SetSelection(0.5, 2.0);
    automation().DeselectAllChannels();
    automation().SetChannelSelected(0, true);
    automation().SetChannelSelected(1, true);
  };
  const int x = g.TimeX(1.0), y = g.BandRect(0).top + 5;
  const int band = g.BandHeight();
  struct Case {
    const char* what;
    TimelinePointer to;
    Row row0, row1, row2, row3;
  };
  const Case cases[] = {
      // One second later and one row down: each row lands on its own row plus one.
      {"move", {x + 72, y + band}, {}, {{2.0, 100}}, {{2.5, 200}}, {}},
      // Ctrl copies: the events stay where they were as well (but where the copy pastes over
      // them: row 1's event at 1.5 lies before the copy's first event there).
      {"copy", {x + 72, y + band, {false, true}}, {{1.0, 100}}, {{2.0, 100}}, {{2.5, 200}}, {}},
      // Shift, mostly sideways: the rows stay; mostly down: the time stays.
      {"sideways",
       {x + 72, y + band / 2, {true, false}},
       {{2.0, 100}},
       {{2.5, 200}},
       {{1.5, 300}},
       {}},
      // (A pasted row keeps its events after the last one pasted, as a paste does.)
      {"down",
       {x + 10, y + 2 * band, {true, false}},
       {},
       {},
       {{1.0, 100}, {1.5, 300}},
       {{1.5, 200}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    select();
    const int undo = session->Undo().UndoCount();
    Drag({{x, y}, c.to});
    EXPECT_EQ(Events(0), c.row0);
    EXPECT_EQ(Events(1), c.row1);
    EXPECT_EQ(Events(2), c.row2);
    EXPECT_EQ(Events(3), c.row3);
    EXPECT_EQ(session->Undo().UndoCount(), undo + 1);
    session->UndoCommand();
    EXPECT_EQ(Events(0), (Row{{1.0, 100}}));
    EXPECT_EQ(Events(2), (Row{{1.5, 300}}));
  }
}

TEST_F(TimelineMouseTest, MovedOrCopiedEventsEndSelectedSoDeleteTakesThem) {
  const int row = OpenBusyTitle();
  const Stretch at = StretchOf(row);
  const double s = at.from, e = at.to;
  const TimelineGeometry g = Geometry();
  const int x = g.TimeX(s) + 1, y = g.BandRect(1).top + 5, band = g.BandHeight();
  const int down = automation().KeyOf(session->ViewParam(), row + 1).valid ? 1 : -1;
  // Far enough that the moved events land after the range they left.
  const int dx = static_cast<int>((e - s) * g.Zoom()) + 10;
  const double later = dx / double{g.Zoom()};
  const int fps = automation().Rate() & 0xFF;
  struct Case {
    const char* what;
    TimelinePointer to;
    double later;
    int down;
  };
  for (const Case& c : {Case{"moved later", {x + dx, y}, later, 0},
                        Case{"copied later", {x + dx, y, {false, true}}, later, 0},
                        Case{"moved a row over", {x, y + down * band}, 0.0, down}}) {
    SCOPED_TRACE(c.what);
    const bool copy = c.to.mods.ctrl;
    const auto moved = EventsWithin(row, s, e - 1e-9);
    ASSERT_GT(moved.size(), 2u);
    session->SetSelection(s, e);
    automation().DeselectAllChannels();
    automation().SetChannelSelected(row, true);
    Drag({{x, y}, c.to});
    // The pasted events are the selection, and the range went with them.
    const auto selected = Selected();
    ASSERT_EQ(selected.size(), moved.size());
    for (std::size_t k = 0; k < moved.size(); ++k) {
      EXPECT_EQ(std::get<0>(selected[k]), row + c.down);
      EXPECT_NEAR(std::get<1>(selected[k]), moved[k].first + c.later, 1.0 / fps);
      EXPECT_EQ(std::get<2>(selected[k]), moved[k].second);
    }
    EXPECT_NEAR(session->SelectionStart(), s + c.later, 1e-9);
    EXPECT_NEAR(session->SelectionEnd(), e + c.later, 1e-9);
    // So Delete takes them, and only them.
    const int count = automation().Count();
    session->Delete();
    EXPECT_EQ(automation().Count(), count - static_cast<int>(moved.size()));
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(EventsWithin(row, s, e - 1e-9), copy ? moved : decltype(moved){});
    session->UndoCommand();
    session->UndoCommand();
    EXPECT_EQ(EventsWithin(row, s, e - 1e-9), moved);
  }
}

TEST_F(TimelineMouseTest, AFreeStrokeReplacesEverythingItWentOver) {
  const int row = OpenBusyTitle();
  const auto original = Events(row);
  const Stretch stretch = StretchOf(row);
  const double s = stretch.from, w = stretch.to - stretch.from;
  state.SetTool(TimelineTool::kWrite);
  state.SetShape(0);
  const TimelineGeometry g = Geometry();
  const FrameRate rate = automation().Rate();
  const int range = automation().ParamMax(row, session->ViewParam());
  // Values as tenths of the range, and the values the pointer gives there.
  auto at = [&](double seconds, int tenths) {
    return TimelinePointer{g.TimeX(seconds) + 1, g.ValueY(1, range * tenths / 10, range)};
  };
  auto value_at = [&](int tenths) {
    return g.ValueAt(1, g.ValueY(1, range * tenths / 10, range), range);
  };
  struct Case {
    const char* what;
    std::vector<TimelinePointer> path;
    std::vector<int> values;  // of the row's events where the stroke went
  };
  const Case cases[] = {
      {"flat", {at(s, 3), at(s + w / 4, 3), at(s + w, 3)}, {value_at(3)}},
      {"rising, then flat",
       {at(s, 1), at(s + w / 16, 4), at(s + w / 8, 7), at(s + w, 7)},
       {value_at(1), value_at(4), value_at(7)}},
      {"flat, drawn backwards",
       {at(s + w, 6), at(s + w / 2, 2), at(s, 2)},
       {value_at(2), value_at(6)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // From the frame of the stroke's first point to the time of its last.
    const auto [left, right] = std::ranges::minmax(c.path, {}, &TimelinePointer::x);
    const double from = TCToSeconds(SecondsToTC(g.TimeAt(left.x), rate), rate);
    const double to = g.TimeAt(right.x);
    ASSERT_GT(EventsWithin(row, s + w / 8, to).size(), 2u);
    const int undo = session->Undo().UndoCount();
    Drag(c.path);
    std::vector<int> values;
    for (const auto& [t, v] : EventsWithin(row, from, to)) values.push_back(v);
    EXPECT_EQ(values, c.values);
    // Outside the stroke the row is as it was.
    auto outside = [&](std::vector<std::pair<double, int>> events) {
      std::erase_if(events, [&](const auto& e) { return e.first >= from && e.first <= to; });
      return events;
    };
    EXPECT_EQ(outside(Events(row)), outside(original));
    EXPECT_EQ(session->Undo().UndoCount(), undo + 1);
    session->UndoCommand();
    EXPECT_EQ(Events(row), original);
  }

  // A stroke past the title's last event lengthens the title, but the view stays where it was.
  const double last = TCToSeconds(automation().EventTime(automation().Count() - 1), rate);
  state.SetLeftTime(last - 5);
  const int scroll = state.TimeScroll(TimeSpan(automation()));
  const TimelineGeometry end = Geometry();
  Drag({{end.TimeX(last - 2), end.ValueY(1, range / 3, range)},
        {end.TimeX(last + 1), end.ValueY(1, range / 2, range)},
        {end.TimeX(last + 3), end.ValueY(1, range / 2, range)}});
  EXPECT_GT(TimeSpan(automation()), last + 0.9);
  EXPECT_DOUBLE_EQ(Geometry().LeftTime(), last - 5);
  EXPECT_LT(state.TimeScroll(TimeSpan(automation())), scroll);
}

TEST_F(TimelineMouseTest, MovedRowsNeverFallOffTheLastRow) {
  ASSERT_TRUE(automation().KeyOf(kLevel, 72).valid);
  Event(71, 1.0, 100);
  Event(72, 1.0, 200);
  state.SetRowScroll(68, 73);
  const TimelineGeometry g = Geometry();
  session->SetSelection(0.5, 2.0);
  automation().SetChannelSelected(71, true);
  automation().SetChannelSelected(72, true);
  const int x = g.TimeX(1.0), y = g.BandRect(3).top + 5;  // row 71
  const TimelineScene scene = Scene();
  mouse->Down({x, y}, scene);
  ASSERT_EQ(mouse->Mode(), TimelineDrag::kMove);
  // One row down would put row 72 beyond the last row: the rows stay, the time moves, and the
  // status bar says why.
  mouse->Move({x, y + g.BandHeight()});
  EXPECT_NE(mouse->StatusText().find("The rows stop at the last row with this view"),
            std::string::npos)
      << mouse->StatusText();
  mouse->Move({x + 72, y});
  EXPECT_EQ(mouse->StatusText().find("stop"), std::string::npos) << mouse->StatusText();
  mouse->Move({x + 72, y + g.BandHeight()});
  EXPECT_EQ(mouse->RowOffset(), 0);
  mouse->Up({x + 72, y + g.BandHeight()});
  EXPECT_EQ(Events(71), (std::vector<std::pair<double, int>>{{2.0, 100}}));
  EXPECT_EQ(Events(72), (std::vector<std::pair<double, int>>{{2.0, 200}}));
}

TEST_F(TimelineMouseTest, EventDragMovesALevelByWholeDecibels) {
  Event(0, 1.0, kFaderNominal);
  Event(0, 3.0, 100);
  const TimelineGeometry g = Geometry();
  const int range = automation().ParamMax(0, kLevel);
  const int x = g.EventX(1.0), y = g.ValueY(0, kFaderNominal, range);
  // Missing by three pixels grabs nothing; two pixels off still grabs it.
  TimelineScene scene = Scene();
  mouse->Down({x + 3, y}, scene);
  EXPECT_NE(mouse->Mode(), TimelineDrag::kEventGrabbed);
  mouse->Up({x + 3, y});
  session->SetSelection(0, 0);
  scene = Scene();
  mouse->Down({x - 2, y + 2}, scene);
  ASSERT_EQ(mouse->Mode(), TimelineDrag::kEventGrabbed);
  const int to_y = y - 9;
  mouse->Move({x + 72, to_y});
  EXPECT_EQ(mouse->Mode(), TimelineDrag::kEventDragged);
  EXPECT_EQ(mouse->MarkerY(), g.ValueY(0, g.ValueAt(0, to_y, range), range));
  mouse->Up({x + 72, to_y});

  const auto events = Events(0);
  ASSERT_EQ(events.size(), 2u);
  const double db = std::trunc(FaderDb(g.ValueAt(0, to_y, range)) - FaderDb(kFaderNominal));
  EXPECT_GE(db, 1.0);
  EXPECT_NEAR(events[0].first, 2.0, 0.05);
  EXPECT_EQ(events[0].second, NearestFaderIndex(db));
  EXPECT_EQ(events[1], std::pair(3.0, 100));
  session->UndoCommand();
  EXPECT_EQ(Events(0).front(), std::pair(1.0, kFaderNominal));
}

}  // namespace
}  // namespace orb

namespace orb {
namespace {

// A cue at 2 s, the others an hour later; row 3 has an event three frames after the cue.
class TimelineSnapTest : public TimelineMouseTest {
 protected:
  void SetUp() override {
    TimelineMouseTest::SetUp();
    TQ730& cues = session->GetTitle().Cues();
    ASSERT_GE(cues.Count(), 1);
    for (int cue = 0; cue < cues.Count(); ++cue)
      cues.SetParam(cue, kParamCueTime, static_cast<int>(ToBCD(MakeTC(1, 0, cue, 0))));
    cues.SetParam(0, kParamCueTime, static_cast<int>(ToBCD(MakeTC(0, 0, 2, 0))));
    Event(3, 2.1, 400);
    Event(60, 2.2, 400);  // a row out of view
  }
  int X(double seconds) { return Geometry().TimeX(seconds); }
};

TEST_F(TimelineSnapTest, TheNearestCueOrOtherRowsEventWins) {
  // At 72 px/s the snap reaches 6/72 s.
  const struct {
    double t;
    double snapped;  // -1: nothing near
  } cases[] = {
      {1.93, 2.0}, {2.03, 2.0}, {2.06, 2.1},
      {2.09, 2.1}, {2.17, 2.1}, {2.21, -1},  // row 60's event is not drawn
      {1.9, -1},
  };
  for (const auto& c : cases) {
    const std::optional<double> s = mouse->SnapTarget(c.t);
    if (c.snapped < 0) {
      EXPECT_FALSE(s) << c.t;
    } else {
      ASSERT_TRUE(s) << c.t;
      EXPECT_NEAR(*s, c.snapped, 1e-9) << c.t;
    }
  }
  state.SetSnap(false);
  EXPECT_FALSE(mouse->SnapTarget(2.03));
  state.SetSnap(true);
  // A closer zoom reaches less far.
  state.DetailTime();
  EXPECT_FALSE(mouse->SnapTarget(1.93));
}

TEST_F(TimelineSnapTest, SelectionEdgesAndMovesSnapUnlessSuspended) {
  const int y = Geometry().BandRect(1).top + 5;
  Drag({{X(1.0), y}, {X(2.08), y}});
  EXPECT_NEAR(session->SelectionEnd(), 2.1, 1e-9);
  TimelinePointer free_end{X(2.08), y};
  free_end.snap_off = true;
  session->SetSelection(0, 0);
  Drag({{X(1.0), y}, free_end});
  EXPECT_NEAR(session->SelectionEnd(), Geometry().TimeAt(X(2.08)), 1e-9);

  // Row 1's event at 1 s, its selection 0.5 … 1.5 moved by 1.47 s: the start lands on the cue.
  Event(1, 1.0, 300);
  for (const bool suspended : {false, true}) {
    session->SetSelection(0.5, 1.5);
    automation().DeselectAllChannels();
    automation().SetChannelSelected(1, true);
    TimelinePointer to{X(1.0) + 106, y};
    to.snap_off = suspended;
    Drag({{X(1.0), y}, to});
    const auto events = Events(1);
    ASSERT_EQ(events.size(), 1u);
    if (suspended) {
      EXPECT_NEAR(events[0].first, 1.0 + 106 / 72.0, 1 / 30.0) << "suspended";
      EXPECT_NE(events[0].first, 2.5);
      session->UndoCommand();
    } else {
      EXPECT_NEAR(events[0].first, 2.5, 1e-9);
      EXPECT_NEAR(session->SelectionStart(), 2.0, 1e-9);
      session->UndoCommand();
    }
  }
  // The toggle holds for the next gesture: a move then follows the pointer.
  state.SetSnap(false);
  session->SetSelection(0.5, 1.5);
  automation().SetChannelSelected(1, true);
  Drag({{X(1.0), y}, {X(1.0) + 106, y}});
  EXPECT_NE(Events(1).at(0).first, 2.5);
}

TEST_F(TimelineSnapTest, EscPutsEverythingBackAndPushesNothing) {
  Event(1, 1.0, 300);
  Event(1, 3.0, 600);
  automation().SetChannelSelected(2, true);
  session->SetSelection(0.5, 1.5);
  automation().SelectRange(kLevel, 0.5, 1.5);
  const auto before = Bytes();
  const int undo = session->Undo().UndoCount();
  const TimelineGeometry g = Geometry();
  const int y1 = g.BandRect(1).top + 5;
  const int range = automation().ParamMax(1, kLevel);
  struct Gesture {
    const char* name;
    TimelineTool tool;
    std::vector<TimelinePointer> path;
  } const gestures[] = {
      {"select", TimelineTool::kSelect, {{X(2.0), y1}, {X(4.0), g.BandRect(3).top + 5}}},
      {"ruler", TimelineTool::kSelect, {{X(2.0), 10}, {X(5.0), 10}}},
      {"label", TimelineTool::kSelect, {{50, y1}, {50, g.BandRect(4).top}}},
      {"erase", TimelineTool::kEraser, {{X(0.2), y1}, {X(6.0), y1}}},
      {"write", TimelineTool::kWrite, {{X(0.5), y1}, {X(5.0), g.BandRect(1).top + 30}}},
      {"event drag",
       TimelineTool::kSelect,
       {{g.EventX(3.0), g.ValueY(1, 600, range)}, {X(4.0), g.ValueY(1, 900, range)}}},
  };
  for (const Gesture& gesture : gestures) {
    state.SetTool(gesture.tool);
    const TimelineScene scene = Scene();
    mouse->Down(gesture.path[0], scene);
    ASSERT_TRUE(mouse->Dragging()) << gesture.name;
    for (std::size_t i = 1; i < gesture.path.size(); ++i) mouse->Move(gesture.path[i]);
    state.SetLeftTime(30);  // as auto-scroll would
    mouse->Cancel();
    EXPECT_FALSE(mouse->Dragging()) << gesture.name;
    EXPECT_EQ(Bytes(), before) << gesture.name;
    EXPECT_EQ(session->Undo().UndoCount(), undo) << gesture.name;
    EXPECT_EQ(session->SelectionStart(), 0.5) << gesture.name;
    EXPECT_EQ(session->SelectionEnd(), 1.5) << gesture.name;
    EXPECT_EQ(state.LeftTime(), 0) << gesture.name;
    EXPECT_EQ(state.Tool(), gesture.tool) << gesture.name;
    for (int row = 0; row < 6; ++row)
      EXPECT_EQ(automation().IsChannelSelected(row), row == 2) << gesture.name << " " << row;
    EXPECT_EQ(Selected(), (std::vector<std::tuple<int, double, int>>{})) << gesture.name;
  }
  // A move cancelled keeps its events selected where they were.
  automation().SetChannelSelected(1, true);
  automation().SelectRange(kLevel, 0.5, 1.5);
  const auto selected = Selected();
  ASSERT_EQ(selected.size(), 1u);
  state.SetTool(TimelineTool::kSelect);
  mouse->Down({X(1.0), y1}, Scene());
  ASSERT_EQ(mouse->Mode(), TimelineDrag::kMove);
  mouse->Move({X(3.0), g.BandRect(2).top + 5});
  mouse->Cancel();
  EXPECT_EQ(Selected(), selected);
  EXPECT_EQ(session->Undo().UndoCount(), undo);
}

TEST_F(TimelineSnapTest, StatusTellsHoveredAndDraggedEvents) {
  Event(1, 1.0, kFaderNominal);
  const TimelineGeometry g = Geometry();
  const int range = automation().ParamMax(1, kLevel);
  const TimelineScene scene = Scene();
  const int y = g.ValueY(1, kFaderNominal, range);
  mouse->Move({g.EventX(1.0) + 1, y}, &scene);
  EXPECT_EQ(mouse->StatusText(), "Event 00:00:01:00  " + ValueWithUnit(kLevel, kFaderNominal));
  // Dragging it: where it would land, and its value there.
  mouse->Down({g.EventX(1.0), y}, scene);
  mouse->Move({X(1.5), y});
  EXPECT_EQ(mouse->StatusText().substr(0, 13), "00:00:01:15  ");
  mouse->Up({X(1.5), y});
}

// The typed edits on the same session: an event's time and value, offsets and scales of the
// selected values, thinning, and what the selection costs in stream words.
class TimelineEditsTest : public TimelineMouseTest {
 protected:
  int IndexOf(int row, double seconds) {
    const EventKey key = automation().KeyOf(session->ViewParam(), row);
    for (int i = 0; i < automation().Count(); ++i) {
      if (key.Matches(automation().EventWord(i)) &&
          TCToSeconds(automation().EventTime(i), automation().Rate()) == seconds)
        return i;
    }
    return -1;
  }
  void SelectRows(std::initializer_list<int> rows, double from, double to) {
    automation().DeselectAllChannels();
    for (const int row : rows) automation().SetChannelSelected(row, true);
    session->SetSelection(from, to);
    automation().ClearEventSelection();
    automation().SelectRange(session->ViewParam(), from, to);
  }
};

TEST(ReadAmountTest, NumbersWithUnitsOrPercent) {
  const struct {
    const char* text;
    bool ok;
    double number;
    bool percent;
    const char* unit;
  } cases[] = {
      {"+2 dB", true, 2, false, "dB"},
      {"\xE2\x88\x92"
       "10 %",
       true, -10, true, ""},
      {"-3,5", true, -3.5, false, ""},
      {" 12.5ms ", true, 12.5, false, "ms"},
      {"dB", false, 0, false, ""},
      {"+", false, 0, false, ""},
      {"", false, 0, false, ""},
      {"1.2.3 dB", false, 0, false, ""},
  };
  for (const auto& c : cases) {
    std::string error;
    const std::optional<ValueAmount> amount = ReadAmount(c.text, error);
    ASSERT_EQ(amount.has_value(), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_FALSE(error.empty()) << c.text;
      continue;
    }
    EXPECT_DOUBLE_EQ(amount->number, c.number) << c.text;
    EXPECT_EQ(amount->percent, c.percent) << c.text;
    EXPECT_EQ(amount->unit, c.unit) << c.text;
  }
}

TEST_F(TimelineEditsTest, ATypedEventKeepsTimeOrderInOneUndoStep) {
  Event(1, 1.0, 500);
  Event(1, 2.0, 600);
  Event(2, 2.5, 100);
  Event(1, 3.0, 700);
  const std::string loud = FormatValue(kLevel, 800).value;
  TimelineEdits edits(*session);
  const std::optional<EventEntry> entry = edits.Entry(IndexOf(1, 2.0));
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->row, 1);
  EXPECT_EQ(entry->time, "00:00:02:00");
  EXPECT_EQ(entry->value, ValueWithUnit(kLevel, 600));
  EXPECT_FALSE(edits.Entry(automation().Count()));

  const auto before = Bytes();
  const int undo = session->Undo().UndoCount();
  const struct {
    const char* time;
    std::string value;
  } refused[] = {{"00:00:61:00", loud}, {"00:00:03:15", "loud"}, {"", loud}};
  for (const auto& r : refused) {
    EXPECT_FALSE(edits.SetEvent(*entry, r.time, r.value).empty()) << r.time << " " << r.value;
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(session->Undo().UndoCount(), undo);
  }
  // Typed as the page shows it, with or without the unit.
  EXPECT_EQ(edits.SetEvent(*entry, "00:00:03:15", loud), "");
  const auto events = Events(1);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0], std::pair(1.0, 500));
  EXPECT_EQ(events[1], std::pair(3.0, 700));
  EXPECT_EQ(events[2].first, 3.5);
  // Levels that show one text are one step to the page: the event shows what was typed.
  EXPECT_EQ(FormatValue(kLevel, events[2].second).value, loud);
  EXPECT_EQ(Events(2), (std::vector<std::pair<double, int>>{{2.5, 100}}));
  for (int i = 1; i < automation().Count(); ++i)
    EXPECT_LE(automation().EventTime(i - 1), automation().EventTime(i)) << i;
  EXPECT_EQ(session->Undo().UndoCount(), undo + 1);
  const std::optional<EventEntry> moved = edits.Entry(IndexOf(1, 3.5));
  ASSERT_TRUE(moved);
  EXPECT_EQ(edits.SetEvent(*moved, "0:0:0:15", ValueWithUnit(kLevel, 0)), "");
  EXPECT_EQ(Events(1).front(), std::pair(0.5, 0));
  // What people type reads too: a comma, another spelling of off; the nearest step is taken.
  const std::optional<EventEntry> first = edits.Entry(IndexOf(1, 0.5));
  ASSERT_TRUE(first);
  EXPECT_EQ(edits.SetEvent(*first, "00:00:00:15", "-3,5 dB"), "");
  EXPECT_NEAR(FaderDb(Events(1).front().second), -3.5, 0.1);
  EXPECT_EQ(edits.SetEvent(edits.Entry(IndexOf(1, 0.5)).value(), "00:00:00:15", "-inf"), "");
  EXPECT_EQ(Events(1).front(), std::pair(0.5, 0));
  for (int i = 0; i < 4; ++i) session->UndoCommand();
  EXPECT_EQ(Bytes(), before);
}

TEST_F(TimelineEditsTest, OffsetsAndScalesStayWithinTheRangeInOneUndoStep) {
  for (const int value : {0, 300, 778, 1000}) Event(1, 1.0 + value / 1000.0, value);
  Event(2, 1.5, 500);  // not selected
  TimelineEdits edits(*session);
  EXPECT_EQ(edits.OffsetSelection("+2 dB"), "Select the events to change first.");
  SelectRows({1}, 0, 5);
  const auto before = Bytes();
  const int undo = session->Undo().UndoCount();
  const struct {
    const char* amount;
    std::vector<int> values;  // of 0, 300, 778, 1000
  } cases[] = {
      {"+2 dB",
       {NearestFaderIndex(FaderDb(0) + 2), NearestFaderIndex(FaderDb(300) + 2),
        NearestFaderIndex(FaderDb(778) + 2), NearestFaderIndex(FaderDb(1000) + 2)}},
      {"\xE2\x88\x92"
       "10 %",
       {0, 270, 700, 900}},
      {"+50 %", {0, 450, 1023, 1023}},
      {"+200 dB", {1023, 1023, 1023, 1023}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(edits.OffsetSelection(c.amount), "") << c.amount;
    std::vector<int> values;
    for (const auto& e : Events(1)) values.push_back(e.second);
    EXPECT_EQ(values, c.values) << c.amount;
    EXPECT_EQ(Events(2), (std::vector<std::pair<double, int>>{{1.5, 500}})) << c.amount;
    EXPECT_EQ(session->Undo().UndoCount(), undo + 1) << c.amount;
    session->UndoCommand();
    EXPECT_EQ(Bytes(), before) << c.amount;
    SelectRows({1}, 0, 5);
  }
  EXPECT_FALSE(edits.OffsetSelection("+2 ms").empty());
  EXPECT_FALSE(edits.OffsetSelection("up").empty());
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(session->Undo().UndoCount(), undo);
}

TEST_F(TimelineEditsTest, OffsetsInTheViewsOwnUnit) {
  session->ChangeView(kPan);
  const int max = automation().ParamMax(1, kPan);
  ASSERT_GT(max, 10);
  const int middle = max / 2;
  Event(1, 1.0, middle);
  SelectRows({1}, 0, 5);
  TimelineEdits edits(*session);
  // A bare number moves by that much of the view's own numbers; past the end it stops there.
  ASSERT_EQ(edits.OffsetSelection("+1000000"), "");
  EXPECT_EQ(Events(1).front().second, max);
  session->UndoCommand();
  SelectRows({1}, 0, 5);
  ASSERT_EQ(edits.OffsetSelection("-1000000"), "");
  EXPECT_EQ(Events(1).front().second, 0);
  session->UndoCommand();
  SelectRows({1}, 0, 5);
  // Pan's texts name no unit, and its left side no number: only steps move it.
  EXPECT_FALSE(edits.OffsetSelection("+2 dB").empty());
  ASSERT_EQ(edits.OffsetSelection("-10"), "");
  EXPECT_EQ(Events(1).front().second, middle - 10);
}

TEST_F(TimelineEditsTest, ThinKeepsTheCurveWithinOneStepAtEveryOriginalTime) {
  // A 30-second Line stroke and a rising Curve stroke on two rows, plus a row left alone.
  const FrameRate rate = automation().Rate();
  auto stroke = [&](int row, WriteShape shape, int from, int to) {
    const auto points =
        ShapePoints(shape, SecondsToTC(10, rate), from, SecondsToTC(40, rate), to, rate);
    std::vector<AutoEvent> events;
    const EventKey key = automation().KeyOf(kLevel, row);
    for (const StrokePoint& p : points) events.push_back({p.time, key.Word(p.value) & ~key.mask});
    automation().WriteEvents(kLevel, row, 10, 40, events, false, false);
  };
  stroke(1, WriteShape::kLine, 100, 900);
  stroke(2, WriteShape::kCurve2, 1000, 200);
  stroke(3, WriteShape::kLine, 0, 1023);
  const auto original1 = Events(1), original2 = Events(2), original3 = Events(3);
  ASSERT_GT(original1.size(), 700u);
  SelectRows({1, 2}, 0, timeline::kDayEnd);
  const std::int64_t words = automation().StreamWordCount();
  const int undo = session->Undo().UndoCount();
  TimelineEdits edits(*session);
  const std::int64_t selected = edits.Cost().selection_words;
  ASSERT_GT(selected, 0);
  const int removed = edits.Thin();
  const std::int64_t selected_thinned = edits.Cost().selection_words;
  EXPECT_GT(removed, static_cast<int>(original1.size() / 3));
  EXPECT_LT(automation().StreamWordCount(), words - removed / 2);
  EXPECT_EQ(session->Undo().UndoCount(), undo + 1);
  for (const auto& [row, original] : {std::pair{1, original1}, {2, original2}}) {
    const auto thinned = Events(row);
    EXPECT_EQ(thinned.front(), original.front()) << row;
    EXPECT_EQ(thinned.back(), original.back()) << row;
    // The value held at each original event's time: the last thinned event at or before it.
    std::size_t k = 0;
    for (const auto& [t, v] : original) {
      while (k + 1 < thinned.size() && thinned[k + 1].first <= t) ++k;
      EXPECT_LE(std::abs(thinned[k].second - v), 1) << row << " at " << t;
    }
  }
  EXPECT_EQ(Events(3), original3);
  // Thinning again finds nothing more and pushes no step.
  EXPECT_EQ(edits.Thin(), 0);
  EXPECT_EQ(session->Undo().UndoCount(), undo + 1);
  session->UndoCommand();
  EXPECT_EQ(Events(1), original1);
  EXPECT_EQ(Events(2), original2);
  // The rows and the range still shown selected hold their events again, before and after.
  EXPECT_EQ(edits.Cost().selection_words, selected);
  session->RedoCommand();
  EXPECT_EQ(edits.Cost().selection_words, selected_thinned);
  session->UndoCommand();
  session->Delete();
  EXPECT_TRUE(Events(1).empty() && Events(2).empty());
  EXPECT_EQ(Events(3), original3);
}

TEST_F(TimelineEditsTest, TheCostOfTheTitleAndOfTheSelection) {
  Event(1, 1.0, 10);
  Event(2, 1.0, 20);
  Event(1, 2.0, 30);
  Event(1, 3.0, 40);
  TimelineEdits edits(*session);
  StreamCost cost = edits.Cost();
  EXPECT_EQ(cost.title_events, 4);
  EXPECT_EQ(cost.title_words, automation().StreamWordCount());
  EXPECT_EQ(cost.selection_words, 0);
  // Row 1 from 0 to 2.5: its event at 1 s shares its time with row 2's, so only the event's
  // word goes; the one at 2 s takes its time's marker with it.
  SelectRows({1}, 0, 2.5);
  cost = edits.Cost();
  EXPECT_EQ(cost.selection_words, 3);
  const std::int64_t words = automation().StreamWordCount();
  session->Delete();
  EXPECT_EQ(automation().StreamWordCount(), words - cost.selection_words);
}

}  // namespace
}  // namespace orb
