// The timeline's mouse driven as the widget drives it, on a session with a generated title.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>

#include "core/editor/AutomationViews.h"
#include "core/editor/TimelineMouse.h"
#include "core/model/FaderLaw.h"
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
    ASSERT_TRUE(automation().AppendEvent({SecondsToTC(seconds, automation().Rate()),
                                          automation().KeyOf(session->ViewParam(), row).Word(value)}));
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
  // One row down would put row 72 beyond the last row: the rows stay, the time moves.
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
