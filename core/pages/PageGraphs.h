// The curves of the parameter pages: the EQ response, the dynamics transfer curve and the
// surround pan point, as polylines and handles in panel pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/Q730classes.h"

namespace orb {

struct PagePoint {
  int x = 0;
  int y = 0;
  bool operator==(const PagePoint&) const = default;
};

struct PageRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PageRect&) const = default;
};

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kCurveYellow{255, 255, 0};
inline constexpr Rgb kFilterHandle{224, 224, 224};
inline constexpr Rgb kLowHandle{128, 128, 255};
inline constexpr Rgb kLowMidHandle{64, 255, 64};
inline constexpr Rgb kHighMidHandle{255, 128, 0};
inline constexpr Rgb kHighHandle{255, 255, 0};
inline constexpr Rgb kDynamicsHandle{238, 39, 140};
inline constexpr Rgb kPanCross{0, 255, 255};
inline constexpr Rgb kPanPoint{227, 4, 0};

// A disc from (x - 2, y - 2) to (x + 3, y + 3) with a white centre; a filter handle also has a
// white line through the graph's height.
struct GraphHandle {
  int section = 0;  // EQ: 0 LF, 1 L, 2 LM, 3 HM, 4 H, 5 HF; dynamics: 0 COMP/DUCK, 1 EXP/GATE
  int x = 0;
  int y = 0;
  Rgb colour;
  bool line = false;
};

struct GraphPicture {
  std::vector<PagePoint> curve;  // yellow, one pixel wide
  std::vector<GraphHandle> handles;
  // The surround pan graph's cross through the pan point.
  bool cross = false;
  int cross_x = 0;
  int cross_y = 0;
};

// The EQ block as the graph reads it (stored values).
struct EqValues {
  bool filters = false;  // the record has the filter part
  int eq_on = 0;
  int lf_on = 0, notch = 0, lf_freq = 0;
  int hf_on = 0, hf_freq = 0;
  int low_shelf = 0, high_shelf = 0;
  struct Band {
    int on = 0, freq = 0, gain = 63, q = 0;
  } bands[4];
};

// The dynamics block as the graph reads it (stored values).
struct DynamicsValues {
  int dynamics_on = 0;
  int comp_duck_on = 0, duck = 0, auto_gain = 0;
  int threshold = 0, ratio = 0, knee = 0, duck_range = 0, gain = 0;
  int exp_gate_on = 0, gate = 0;
  int gate_threshold = 0, exp_ratio = 0, gate_range = 0;
};

// The values of the channel's blocks; none when the record has no such block (43, 16).
bool ReadEqValues(const TQ730& list, int channel, EqValues& out);
bool ReadDynamicsValues(const TQ730& list, int channel, DynamicsValues& out);

// The row of an EQ magnitude in a graph of this top and height: ±18 dB over half the height,
// a magnitude not above 0 drawn as 0.05, kept inside the frame.
int EqRow(double magnitude, int top, int height);

GraphPicture EqGraph(const EqValues& eq, const PageRect& frame);
// floor: the level of the left edge in dB, below 0.
GraphPicture DynamicsGraph(const DynamicsValues& dyn, const PageRect& frame, int floor);
// Nothing is drawn unless both pan values exist (not -1).
GraphPicture SurroundGraph(int pan_lr, int pan_fr, const PageRect& frame);

}  // namespace orb
