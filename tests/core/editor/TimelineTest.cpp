// The timeline's state, its pixel geometry and the shapes of write strokes.
#include <gtest/gtest.h>

#include <cmath>

#include "core/editor/Timeline.h"

namespace orb {
namespace {

using namespace timeline;

constexpr FrameRate k30 = 30;

TimelineState WithBand(int reduce, int detail) {
  TimelineState s;
  for (int i = 0; i < reduce; ++i) s.ReduceBands();
  for (int i = 0; i < detail; ++i) s.DetailBands();
  return s;
}

TEST(TimelineStateTest, ZoomAndBandStopAtTheirLimits) {
  TimelineState s;
  EXPECT_EQ(s.Zoom(), kStartZoom);
  EXPECT_EQ(s.BandHeight(), kStartBand);
  EXPECT_EQ(s.Tool(), TimelineTool::kSelect);
  EXPECT_EQ(s.Shape(), WriteShape::kFree);
  for (int i = 0; i < 40; ++i) s.DetailTime();
  EXPECT_EQ(s.Zoom(), kMaxZoom);
  for (int i = 0; i < 60; ++i) s.ReduceTime();
  EXPECT_EQ(s.Zoom(), kMinZoom);
  s.DetailTime();
  EXPECT_FLOAT_EQ(s.Zoom(), 0.015f);

  // One reduce makes 64 × 2/3: the band is 42 whole pixels, and detail comes back to 64.
  EXPECT_EQ(WithBand(1, 0).BandHeight(), 42);
  EXPECT_EQ(WithBand(1, 1).BandHeight(), 64);
  EXPECT_EQ(WithBand(5, 0).BandHeight(), kMinBand);
  EXPECT_EQ(WithBand(0, 5).BandHeight(), kMaxBand);
  EXPECT_EQ(WithBand(0, 1).BandHeight(), 96);

  s.SetTimeScroll(70000, 100);
  EXPECT_EQ(s.TimeScroll(100), kTimeScrollMax);
  s.SetTimeScroll(-3, 100);
  EXPECT_EQ(s.TimeScroll(100), 0);
  s.SetRowScroll(80, 73);
  EXPECT_EQ(s.RowScroll(), 72);
  s.SetShape(4);
  EXPECT_EQ(s.Shape(), WriteShape::kCurve3);
  s.SetShape(5);
  EXPECT_EQ(s.Shape(), WriteShape::kCurve3);
  EXPECT_EQ(EffectiveShape(WriteShape::kCurve2, 1), WriteShape::kFree);
  EXPECT_EQ(EffectiveShape(WriteShape::kCurve2, 1023), WriteShape::kCurve2);
}

TEST(TimelineGeometryTest, ValuePositionAndItsInverseAtEveryBandHeight) {
  // Band heights reached by the buttons, from the smallest to the largest.
  for (int reduce : {0, 1, 2}) {
    for (int detail : {0, 1, 2, 3}) {
      TimelineState s = WithBand(reduce, detail);
      TimelineGeometry g(s, 1600, 1000, 1);
      const int h = s.BandHeight();
      for (int band : {0, 3}) {
        SCOPED_TRACE(testing::Message() << "h " << h << " band " << band);
        const Rect r = g.BandRect(band);
        EXPECT_EQ(r.bottom - r.top, h);
        EXPECT_EQ(g.LabelRect(band).top, r.top);
        EXPECT_EQ(g.LabelRect(band).bottom, r.bottom);
        for (int range : {1, 2, 127, 1023, 32767}) {
          // Value 0 sits 4 pixels above the band's bottom, the top value 4 below its top.
          EXPECT_EQ(g.ValueY(band, 0, range), r.bottom - 4);
          EXPECT_EQ(g.ValueY(band, range, range), r.top + 4);
          // Every value stays inside its own band, and the inverse of its pixel finds a value
          // drawn at that same pixel.
          for (int v = 0; v <= range; v += std::max(1, range / 97)) {
            const int y = g.ValueY(band, v, range);
            ASSERT_GE(y, r.top + 4);
            ASSERT_LE(y, r.bottom - 4);
            const int back = g.ValueAt(band, y, range);
            ASSERT_EQ(g.ValueY(band, back, range), y) << "v " << v;
            if (range <= h - 8) {
              ASSERT_EQ(back, v);
            }
          }
        }
        // Beyond the band's value range the pointer gives the ends of the range.
        EXPECT_EQ(g.ValueAt(band, r.top - 30, 1023), 1023);
        EXPECT_EQ(g.ValueAt(band, r.bottom + 30, 1023), 0);
        EXPECT_EQ(g.ValueAt(band, r.top, 0), 0);
        EXPECT_EQ(g.ValueY(band, 5, 0), r.bottom - 4);
      }
    }
  }
}

TEST(TimelineGeometryTest, RowsTimesAndScrollSteps) {
  TimelineState s;
  s.SetRowScroll(10, 73);
  TimelineGeometry g(s, 1600, 1000, 1);
  EXPECT_EQ(g.PageBands(), 980 / 64);
  EXPECT_EQ(g.DrawnBands(), 980 / 64 + 2);
  EXPECT_EQ(g.RowAt(20, 73), 10);
  EXPECT_EQ(g.RowAt(83, 73), 10);
  EXPECT_EQ(g.RowAt(84, 73), 11);
  EXPECT_EQ(g.RowAt(10, 73), 10);  // the label column's header
  EXPECT_EQ(g.RowAt(20 + 64 * 70, 73), 72);
  EXPECT_EQ(g.TimeX(0), kLabelWidth);
  EXPECT_EQ(g.EventX(1), kLabelWidth + 72 + 1);
  EXPECT_DOUBLE_EQ(g.TimeAt(kLabelWidth + 144), 2.0);

  // A title without events spans one second: the whole scroll bar is that second.
  s.SetTimeScroll(kTimeScrollMax, 0);
  TimelineGeometry end(s, 1600, 1000, 0);
  EXPECT_DOUBLE_EQ(end.LeftTime(), 1.0);
  EXPECT_DOUBLE_EQ(end.RightTime(), 1.0 + 1405 / 72.0);
  EXPECT_EQ(end.TimePageStep(), kTimeScrollMax);

  TimelineState day;
  day.SetTimeScroll(kTimeScrollMax / 2, 86399);
  TimelineGeometry half(day, 1600, 1000, 86399);
  EXPECT_NEAR(half.LeftTime(), 86399 / 2.0, 1);
  EXPECT_EQ(half.TimePageStep(), static_cast<int>(1405 / 72.0 / 86399 * kTimeScrollMax));
  // 64 pixels of a whole day are less than one unit of the bar: a step still moves by one.
  EXPECT_EQ(half.TimeSmallStep(), 1);
  // At the least zoom a small step of a short title would be far beyond the bar: it is the bar.
  for (int i = 0; i < 60; ++i) day.ReduceTime();
  EXPECT_EQ(TimelineGeometry(day, 1600, 1000, 1).TimeSmallStep(), kTimeScrollMax);
  EXPECT_EQ(TimelineGeometry(day, 1600, 1000, 86399).TimeSmallStep(),
            static_cast<int>(64 / 0.01 / 86399 * kTimeScrollMax));
}

TEST(TimelineGeometryTest, GridTicksAcrossZooms) {
  struct Case {
    int zoom_steps;  // + detail, - reduce
    long major, minor;
  };
  for (const Case& c :
       {Case{0, 1, 1}, {-4, 5, 1}, {-8, 30, 5}, {-15, 600, 30}, {-30, 21600, 600}, {8, 1, 1}}) {
    TimelineState s;
    for (int i = 0; i < c.zoom_steps; ++i) s.DetailTime();
    for (int i = 0; i < -c.zoom_steps; ++i) s.ReduceTime();
    SCOPED_TRACE(s.Zoom());
    const GridSteps steps = GridStepsAt(s.Zoom());
    EXPECT_EQ(steps.major, c.major);
    EXPECT_EQ(steps.minor, c.minor);

    TimelineGeometry g(s, 1600, 400, 86399);
    const auto ticks = g.Grid();
    // Every multiple of the minor step in view has exactly one line, at the first column
    // that reaches it, labelled when it is a multiple of the major step.
    const double last = g.TimeAt(1599);
    const long expected = static_cast<long>(std::floor(last / steps.minor)) + 1;
    ASSERT_EQ(static_cast<long>(ticks.size()), expected);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      const GridTick& t = ticks[i];
      EXPECT_EQ(t.seconds, static_cast<long>(i) * steps.minor);
      EXPECT_EQ(t.major, t.seconds % steps.major == 0);
      EXPECT_GE(g.TimeAt(t.x), t.seconds);
      if (t.x > kLabelWidth) {
        EXPECT_LT(g.TimeAt(t.x - 1), t.seconds);
      }
    }
  }
  // Scrolled into the day at the least zoom, where one column spans 100 seconds: the hours
  // and the ten-minute lines are all still there.
  TimelineState low;
  for (int i = 0; i < 60; ++i) low.ReduceTime();
  low.SetTimeScroll(kTimeScrollMax / 3, 86399);
  TimelineGeometry g(low, 600, 400, 86399);
  int majors = 0;
  for (const GridTick& t : g.Grid()) majors += t.major;
  const double from = g.LeftTime(), to = g.TimeAt(599);
  const long first = static_cast<long>(std::ceil(from / 21600));
  EXPECT_EQ(majors, static_cast<long>(std::floor(to / 21600)) - first + 1);
  EXPECT_EQ(g.Grid().size(),
            static_cast<std::size_t>(std::floor(to / 600) - std::ceil(from / 600) + 1));
}

TEST(WriteShapeTest, LineAndCurvesEndAtTheValueDrawn) {
  const TimeCode a = MakeTC(0, 0, 10, 0);
  const TimeCode b = MakeTC(0, 0, 11, 0);  // 30 frames later
  for (WriteShape shape :
       {WriteShape::kLine, WriteShape::kCurve1, WriteShape::kCurve2, WriteShape::kCurve3}) {
    SCOPED_TRACE(static_cast<int>(shape));
    for (auto [from, to] : {std::pair{0, 1023}, {1023, 0}, {100, 101}}) {
      const auto up = ShapePoints(shape, a, from, b, to, k30);
      ASSERT_FALSE(up.empty());
      EXPECT_EQ(up.front(), (StrokePoint{a, from}));
      EXPECT_EQ(up.back(), (StrokePoint{b, to}));
      for (std::size_t i = 1; i < up.size(); ++i) {
        EXPECT_LT(TCToSeconds(up[i - 1].time, k30), TCToSeconds(up[i].time, k30));
        EXPECT_NE(up[i - 1].value, up[i].value);
        // Every shape runs monotonically between its ends.
        EXPECT_EQ(up[i].value > up[i - 1].value, to > from);
      }
      // Drawn backwards, from b to a, the stroke also reaches the value drawn, by a at the latest.
      const auto down = ShapePoints(shape, b, to, a, from, k30);
      EXPECT_EQ(down.front(), (StrokePoint{b, to}));
      EXPECT_EQ(down.back().value, from);
      EXPECT_GE(TCToSeconds(down.back().time, k30), 10.0);
    }
    EXPECT_TRUE(ShapePoints(shape, a, 5, a, 900, k30).empty());
    EXPECT_TRUE(ShapePoints(shape, a, 5, b, 5, k30).empty());
  }
  // A linear fade over 30 frames: one point per frame, then the end point.
  const auto line = ShapePoints(WriteShape::kLine, a, 0, b, 1023, k30);
  ASSERT_EQ(line.size(), 31u);
  EXPECT_EQ(line[15].value, 511);
  EXPECT_EQ(line[29].value, 988);
  // The curves at mid-stroke: √u above the line, u² below, the cosine through the middle.
  auto mid = [&](WriteShape shape) { return ShapePoints(shape, a, 0, b, 1000, k30)[15].value; };
  EXPECT_EQ(mid(WriteShape::kCurve1), static_cast<int>(1000 * std::sqrt(0.5)));
  EXPECT_EQ(mid(WriteShape::kCurve2), 250);
  EXPECT_NEAR(mid(WriteShape::kCurve3), 500, 1);
}

TEST(WriteShapeTest, Strokes) {
  // A Free stroke at one value writes only its first point; a new point needs a new frame and
  // a new value; points drawn backwards come out in time order.
  WriteStroke free(WriteShape::kFree, 10.0, 500, k30);
  EXPECT_TRUE(free.Move(10.0, 500));
  for (double t = 10.0; t < 12; t += 0.01) free.Move(t, 500);
  EXPECT_EQ(free.Points().size(), 1u);
  EXPECT_FALSE(free.Move(10.0, 600));
  EXPECT_TRUE(free.Move(9.5, 600));
  EXPECT_TRUE(free.Move(9.0, 700));
  ASSERT_EQ(free.Points().size(), 3u);
  EXPECT_EQ(free.Points()[0], (StrokePoint{MakeTC(0, 0, 9, 0), 700}));
  EXPECT_EQ(free.Points()[2], (StrokePoint{MakeTC(0, 0, 10, 0), 500}));
  // Outside the day nothing is written.
  EXPECT_FALSE(free.Move(0.0, 800));
  EXPECT_FALSE(free.Move(86400.0, 800));

  // A Line stroke is drawn again from the anchor at each move, and backwards stays in time
  // order; its events carry the value bits for the view's key.
  WriteStroke line(WriteShape::kLine, 20.0, 0, k30);
  EXPECT_TRUE(line.Move(21.0, 1023));
  EXPECT_EQ(line.Points().back().value, 1023);
  EXPECT_FALSE(line.Move(21.0, 1023));
  EXPECT_TRUE(line.Move(19.0, 300));
  EXPECT_EQ(line.Points().front(), (StrokePoint{MakeTC(0, 0, 19, 0), 300}));
  EXPECT_EQ(line.Points().back(), (StrokePoint{MakeTC(0, 0, 20, 0), 0}));
  EventKey key;
  key.pattern = 0x0305;
  key.mask = 0xFFFFFF;
  key.shift = 24;
  key.valid = true;
  const auto events = line.Events(key);
  ASSERT_EQ(events.size(), line.Points().size());
  EXPECT_EQ(events.front().word, 127u << 24);  // an 8-bit value is limited to 127
  EXPECT_EQ(events.back().word, 0u);
}

}  // namespace
}  // namespace orb
