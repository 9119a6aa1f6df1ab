// The page graphs: EQ response, dynamics transfer curve and surround pan point, against values
// worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "core/pages/PageGraphs.h"

namespace orb {
namespace {

constexpr int kGainPlus6 = 87;   // -12 + 0.25 (87 - 15)
constexpr int kGainMinus6 = 39;  // -12 + 0.25 (39 - 15)
constexpr int kGainPlus12 = 111;
constexpr int kGainZero = 63;

std::vector<int> Rows(const GraphPicture& g) {
  std::vector<int> rows;
  for (const PagePoint& p : g.curve) rows.push_back(p.y);
  return rows;
}

TEST(EqGraphTest, ScaleSpansEighteenDecibelsOverHalfTheHeightAndClipsToTheFrame) {
  struct Case {
    double magnitude;
    int row;
  } cases[] = {
      {1.0, 47},                   // the middle row of 20 + 55 / 2
      {std::pow(10.0, 0.9), 20},   // +18 dB: the top edge
      {std::pow(10.0, -0.9), 75},  // -18 dB: the bottom edge
      {1000.0, 20},                // beyond: along the top edge
      {0.0, 75},                   // a notch: 0.05, below the frame
      {-1.0, 75},
      {std::nan(""), 75},
      {std::pow(10.0, 0.3), 38},  // +6 dB: a third of the half height up
  };
  for (const Case& c : cases) EXPECT_EQ(EqRow(c.magnitude, 20, 55), c.row) << c.magnitude;
}

TEST(EqGraphTest, FlatWhenEverySectionIsOffOrOnlyBandSwitchesAreOn) {
  const PageRect frame{285, 11, 309, 55};
  EqValues off;
  off.filters = true;
  EqValues bands_without_master = off;
  for (auto& band : bands_without_master.bands) band = {1, 20, kGainPlus12, 10};
  for (const EqValues& eq : {off, bands_without_master}) {
    const GraphPicture g = EqGraph(eq, frame);
    ASSERT_EQ(g.curve.size(), 310u);
    EXPECT_EQ(g.curve.front(), (PagePoint{285, 38}));
    EXPECT_EQ(g.curve.back(), (PagePoint{594, 38}));
    for (int row : Rows(g)) EXPECT_EQ(row, 11 + 27);
    EXPECT_TRUE(g.handles.empty());
  }
}

TEST(EqGraphTest, CutMirrorsBoostAndFiltersIgnoreTheMasterSwitch) {
  const PageRect frame{0, 0, 400, 100};
  EqValues boost;
  boost.eq_on = 1;
  boost.bands[1] = {1, 20, kGainPlus6, 4};
  EqValues cut = boost;
  cut.bands[1].gain = kGainMinus6;
  const std::vector<int> up = Rows(EqGraph(boost, frame)), down = Rows(EqGraph(cut, frame));
  ASSERT_EQ(up.size(), down.size());
  int peak = 0;
  for (std::size_t c = 0; c < up.size(); ++c) {
    EXPECT_NEAR(up[c] - 50, -(down[c] - 50), 1) << c;
    peak = std::max(peak, 50 - up[c]);
  }
  EXPECT_EQ(peak, 17);  // 6 of 18 dB over 50 rows, rounded

  EqValues lf;  // the master switch off: only the filter acts
  lf.filters = true;
  lf.lf_on = 1;
  lf.lf_freq = 40;
  const GraphPicture g = EqGraph(lf, frame);
  EXPECT_EQ(g.curve.front().y, 100);  // far below the corner
  EXPECT_EQ(g.curve.back().y, 50);
  ASSERT_EQ(g.handles.size(), 1u);
  EXPECT_TRUE(g.handles[0].line);
  lf.filters = false;  // a record without the filter part draws none
  for (int row : Rows(EqGraph(lf, frame))) EXPECT_EQ(row, 50);
}

TEST(EqGraphTest, NotchReachesTheBottomEdgeOnlyNearItsFrequency) {
  const PageRect frame{0, 0, 300, 60};
  EqValues eq;
  eq.filters = true;
  eq.lf_on = 1;
  eq.notch = 1;
  eq.lf_freq = 36;  // 220 Hz
  const std::vector<int> rows = Rows(EqGraph(eq, frame));
  // The column of 220 Hz: ln(220 / 20) / ln(2000) of the width.
  const int at = static_cast<int>(300 * std::log(11.0) / std::log(2000.0));
  EXPECT_EQ(rows[at], 60);
  EXPECT_EQ(rows.front(), 30);
  EXPECT_EQ(rows.back(), 30);
}

TEST(EqGraphTest, HandlesSitOnTheFrequencyScaleWithTheirColours) {
  const PageRect frame{0, 0, 262, 100};
  EqValues eq;
  eq.filters = true;
  eq.eq_on = 1;
  eq.lf_on = eq.hf_on = 1;
  eq.bands[0] = {1, 0, kGainZero, 0};
  eq.bands[1] = {1, 2, kGainMinus6, 0};
  eq.bands[2] = {1, 10, kGainPlus12, 0};
  eq.bands[3] = {0, 0, kGainZero, 0};
  struct Expected {
    int section, x, y;
    Rgb colour;
    bool line;
  } expected[] = {
      {0, 11, 50, {224, 224, 224}, true},   // LF at index 0
      {1, 11, 50, {128, 128, 255}, false},  // L at index 0, 0 dB
      {2, 51, 66, {64, 255, 64}, false},    // LM at 2 + 18, -6 dB: 50 + 60 * 50 / 180
      {3, 102, 17, {255, 128, 0}, false},   // HM at 10 + 36, +12 dB
      {5, 148, 50, {224, 224, 224}, true},  // HF at 0 + 69
  };
  const GraphPicture g = EqGraph(eq, frame);
  ASSERT_EQ(g.handles.size(), std::size(expected));
  for (std::size_t i = 0; i < g.handles.size(); ++i) {
    const GraphHandle& h = g.handles[i];
    EXPECT_EQ(h.section, expected[i].section);
    EXPECT_EQ(h.x, expected[i].x) << i;
    EXPECT_EQ(h.y, expected[i].y) << i;
    EXPECT_EQ(h.colour, expected[i].colour) << i;
    EXPECT_EQ(h.line, expected[i].line) << i;
  }
  EXPECT_TRUE(EqGraph(eq, {0, 0, 64, 55}).handles.empty());  // too narrow for handles
  eq.bands[2].freq = 250;  // a stored index beyond the table stands at its last entry
  EXPECT_EQ(EqGraph(eq, frame).handles[3].x, 264);
}

// A 63-pixel graph with its floor at -63 dB: column c is input c - 63 dB and a row is minus the
// output level, so every expected row below is worked out by hand.
DynamicsValues Comp(int threshold, int ratio) {
  DynamicsValues d;
  d.dynamics_on = d.comp_duck_on = 1;
  d.threshold = threshold;
  d.ratio = ratio;
  return d;
}
constexpr int kMinus20 = 40, kMinus30 = 60, kMinus40 = 80, kRatio2 = 6, kExpRatio2 = 8;
const PageRect kSquare{0, 0, 63, 63};

TEST(DynamicsGraphTest, CurvesOfEachMode) {
  struct Case {
    const char* name;
    DynamicsValues values;
    std::vector<std::pair<int, int>> column_rows;
    std::vector<PagePoint> handles;
  };
  DynamicsValues autogain = Comp(kMinus20, kRatio2);
  autogain.auto_gain = 1;
  DynamicsValues autogain40 = Comp(kMinus40, kRatio2);
  autogain40.auto_gain = 1;
  DynamicsValues makeup = Comp(kMinus20, kRatio2);
  makeup.gain = 20;  // 5 dB, ignored by DUCK below
  DynamicsValues duck = makeup;
  duck.duck = 1;
  duck.duck_range = 10;
  DynamicsValues gate;
  gate.dynamics_on = gate.exp_gate_on = gate.gate = 1;
  gate.gate_threshold = kMinus30;
  gate.gate_range = 20;
  DynamicsValues exp = gate;
  exp.gate = 0;
  exp.exp_ratio = kExpRatio2;
  DynamicsValues off = Comp(kMinus20, kRatio2);
  off.dynamics_on = 0;
  DynamicsValues knee = Comp(kMinus20, kRatio2);
  knee.knee = 4;  // 2 dB either side
  const Case cases[] = {
      {"COMP -20 dB 2:1",
       Comp(kMinus20, kRatio2),
       {{0, 63}, {43, 20}, {45, 19}, {63, 10}},
       {{43, 20}}},
      {"auto gain at -20 dB adds nothing", autogain, {{0, 63}, {43, 20}, {63, 10}}, {{43, 20}}},
      {"auto gain at -40 dB adds 10 dB", autogain40, {{0, 53}, {23, 30}, {63, 10}}, {{23, 30}}},
      {"makeup", makeup, {{10, 48}, {63, 5}}, {{43, 15}}},
      {"DUCK", duck, {{42, 21}, {43, 30}, {63, 10}}, {{42, 21}}},
      {"GATE", gate, {{0, 63}, {21, 62}, {32, 51}, {33, 30}}, {{33, 30}}},
      {"EXP", exp, {{13, 60}, {23, 50}, {28, 40}, {33, 30}}, {{33, 30}}},
      {"off", off, {{0, 63}, {43, 20}, {63, 0}}, {}},
      {"soft knee", knee, {{39, 24}, {41, 22}, {43, 20}, {45, 19}, {63, 10}}, {{43, 20}}},
  };
  for (const Case& c : cases) {
    const GraphPicture g = DynamicsGraph(c.values, kSquare, -63);
    ASSERT_EQ(g.curve.size(), 64u) << c.name;
    for (auto [column, row] : c.column_rows) EXPECT_EQ(g.curve[column].y, row) << c.name << column;
    ASSERT_EQ(g.handles.size(), c.handles.size()) << c.name;
    for (std::size_t i = 0; i < g.handles.size(); ++i) {
      EXPECT_EQ(g.handles[i].x, c.handles[i].x) << c.name;
      EXPECT_EQ(g.handles[i].y, c.handles[i].y) << c.name;
      EXPECT_EQ(g.handles[i].colour, (Rgb{238, 39, 140}));
    }
  }
}

TEST(DynamicsGraphTest, InfiniteRatioDrawsFlatAboveTheThreshold) {
  for (int stored : {30, 31, 255}) {
    const std::vector<int> rows = Rows(DynamicsGraph(Comp(kMinus20, stored), kSquare, -63));
    for (int c = 44; c <= 63; ++c) EXPECT_EQ(rows[c], rows[44]) << stored;
    EXPECT_EQ(rows[44], 19);
  }
}

TEST(DynamicsGraphTest, HandlesStayInsideAndSmallGraphsHaveNone) {
  DynamicsValues d = Comp(125, kRatio2);  // -80 dB, below the floor
  d.exp_gate_on = 1;
  d.gate_threshold = 0;  // 0 dB, the right edge
  const GraphPicture g = DynamicsGraph(d, {100, 200, 63, 63}, -63);
  ASSERT_EQ(g.handles.size(), 2u);
  EXPECT_EQ(g.handles[0].x, 100);
  EXPECT_EQ(g.handles[1].x, 100 + 62);
  for (const GraphHandle& h : g.handles) EXPECT_TRUE(h.y >= 200 && h.y <= 262);
  EXPECT_TRUE(DynamicsGraph(d, {0, 0, 32, 32}, -63).handles.empty());
  EXPECT_TRUE(DynamicsGraph(d, {0, 0, 0, 0}, -63).curve.empty());
}

TEST(SurroundGraphTest, PanPointAndCross) {
  const GraphPicture g = SurroundGraph(63, 126, {710, 148, 79, 79});
  ASSERT_TRUE(g.cross);
  EXPECT_EQ(g.cross_x, 749);  // 710 + 63 * 79 / 126
  EXPECT_EQ(g.cross_y, 227);
  ASSERT_EQ(g.handles.size(), 1u);
  EXPECT_EQ(g.handles[0].colour, (Rgb{227, 4, 0}));
  EXPECT_EQ(SurroundGraph(255, 0, {0, 0, 79, 79}).cross_x, 79);
  EXPECT_FALSE(SurroundGraph(-1, 3, {0, 0, 79, 79}).cross);
  EXPECT_TRUE(SurroundGraph(3, -1, {0, 0, 79, 79}).handles.empty());
}

}  // namespace
}  // namespace orb
