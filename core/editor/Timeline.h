// The automation timeline without its widget: its state (zoom, band height, scroll positions,
// tool and write shape), the geometry that maps time and values to pixels and back, and the
// shapes a write stroke draws. Everything here is plain arithmetic, so the widget and the tests
// share it.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/model/Q730.h"
#include "core/model/Q730auto.h"

namespace orb {

namespace timeline {
// The drawing surface: the label column left of the data area, the ruler above it.
inline constexpr int kLabelWidth = 195;
inline constexpr int kRulerHeight = 20;
inline constexpr float kMinZoom = 0.01f;
inline constexpr float kMaxZoom = 500.0f;
inline constexpr float kStartZoom = 72.0f;
inline constexpr int kMinBand = 32;
inline constexpr int kMaxBand = 128;
inline constexpr int kStartBand = 64;
// The time scroll bar runs over 0 … kTimeScrollMax whatever the length of the title.
inline constexpr int kTimeScrollMax = 65535;
// The last second of a day: a full selection is 0 … kDayEnd.
inline constexpr double kDayEnd = 86399;
// How near the pointer must be to an event to grab it.
inline constexpr int kHitSlack = 2;
}  // namespace timeline

enum class TimelineTool { kWrite, kSelect, kEraser };
enum class WriteShape { kFree, kLine, kCurve1, kCurve2, kCurve3 };

// An on/off view (range 1) writes only Free strokes.
WriteShape EffectiveShape(WriteShape chosen, int range);

class TimelineState {
 public:
  // Pixels per second.
  float Zoom() const { return zoom_; }
  // The zoom buttons: reduce shows more time, detail less; each stops at its limit.
  void ReduceTime();
  void DetailTime();
  // Any zoom, kept within its limits.
  void SetZoom(float zoom);

  // The one band height, in whole pixels, that bands, labels, curves and hit tests all use.
  // The buttons scale an exact level so that reduce then detail comes back to where it was.
  int BandHeight() const { return static_cast<int>(band_level_); }
  void ReduceBands();
  void DetailBands();
  void SetBandHeight(float height);

  // The time at the left edge of the data area. An edit that changes the title's span leaves
  // it where it is; the scroll bar's position follows from it and the span (TimeSpan).
  double LeftTime() const { return left_time_; }
  void SetLeftTime(double seconds);
  int TimeScroll(double span) const;
  void SetTimeScroll(int position, double span);
  // The first band's row, kept within the rows there are.
  int RowScroll() const { return row_scroll_; }
  void SetRowScroll(int position, int rows);

  TimelineTool Tool() const { return tool_; }
  void SetTool(TimelineTool tool) { tool_ = tool; }
  // The shape chosen in the write popup; out-of-range tags are ignored.
  WriteShape Shape() const { return shape_; }
  void SetShape(int tag);

  // Whether gestures snap to cues and to other rows' events.
  bool Snap() const { return snap_; }
  void SetSnap(bool on) { snap_ = on; }
  // Whether the view was placed on the title's automation when the tab first showed it.
  bool Placed() const { return placed_; }
  void SetPlaced() { placed_ = true; }

 private:
  float zoom_ = timeline::kStartZoom;
  float band_level_ = static_cast<float>(timeline::kStartBand);
  double left_time_ = 0;
  int row_scroll_ = 0;
  TimelineTool tool_ = TimelineTool::kSelect;
  WriteShape shape_ = WriteShape::kFree;
  bool snap_ = true;
  bool placed_ = false;
};

// The seconds the time scroll bar spans: the last event's time, at least one second.
double TimeSpan(const TQ730AUTO& automation);

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;  // exclusive
  int bottom = 0;
  bool operator==(const Rect&) const = default;
};

// A grid line at a pixel column; major lines carry the ruler label of their second.
struct GridTick {
  int x = 0;
  bool major = false;
  long seconds = 0;
};

// One paint's mapping between pixels and time, rows and values.
class TimelineGeometry {
 public:
  // width and height: the drawing surface; span: TimeSpan of the title.
  TimelineGeometry(const TimelineState& state, int width, int height, double span);

  int Width() const { return width_; }
  int Height() const { return height_; }
  float Zoom() const { return zoom_; }
  int BandHeight() const { return band_; }
  int FirstRow() const { return first_row_; }
  double LeftTime() const { return left_; }
  double RightTime() const { return left_ + (width_ - timeline::kLabelWidth) / double{zoom_}; }

  // Whole bands that fit below the ruler (the row scroll bar's page), and the bands drawn.
  int PageBands() const;
  int DrawnBands() const { return PageBands() + 2; }

  // The x of a time as the selection overlay places it, and as events and cues place it
  // (one pixel further right, so a marker clears the data area's edge).
  int TimeX(double seconds) const;
  int EventX(double seconds) const { return TimeX(seconds) + 1; }
  double TimeAt(int x) const;
  // The row under the pointer, kept within 0 … rows - 1.
  int RowAt(int y, int rows) const;

  // The y of value v (0 … range) in drawn band i; range 0 marks a trigger with no value.
  int ValueY(int band, int value, int range) const {
    const int zero = (band + 1) * band_ + timeline::kRulerHeight - 4;
    if (range == 0) return zero;
    return static_cast<int>(std::floor(zero - double(value) * (band_ - 8) / range));
  }
  // The value the pointer's height gives in band i, kept within 0 … range.
  int ValueAt(int band, int y, int range) const;

  Rect BandRect(int band) const;
  Rect LabelRect(int band) const;

  // Grid lines and ruler labels of the visible columns: a line at the first column that
  // reaches each multiple of the step, even where one column spans several seconds.
  std::vector<GridTick> Grid() const;

  // Scroll steps: rows per page; time scroll units per page and per 64 pixels.
  int TimePageStep() const;
  int TimeSmallStep() const;

 private:
  int ScrollUnits(double seconds) const;

  int width_;
  int height_;
  float zoom_;
  int band_;
  int first_row_;
  double span_;
  double left_;
};

// The grid steps at a zoom: the major step (lines with labels) is the first of the steps that
// is at least 70 pixels wide, the minor the first at least 4 pixels wide.
struct GridSteps {
  long major = 0;
  long minor = 0;
};
GridSteps GridStepsAt(float zoom);

// A point of a write stroke: its frame and value (not yet shifted into an event word).
struct StrokePoint {
  TimeCode time = 0;
  int value = 0;
  bool operator==(const StrokePoint&) const = default;
};

// The points of a Line or Curve stroke from the anchor to the pointer: one per frame where the
// value changes, and the pointer's own point last, so that the stroke ends at the value drawn.
// None when both lie on one frame or at one value. Free is not a shape of two points: see
// WriteStroke.
std::vector<StrokePoint> ShapePoints(WriteShape shape, TimeCode anchor, int anchor_value,
                                     TimeCode pointer, int pointer_value, FrameRate rate);

// A stroke being written with the mouse, from button down to button up.
class WriteStroke {
 public:
  WriteStroke(WriteShape shape, double anchor_time, int anchor_value, FrameRate rate);
  // The pointer at time t (seconds) and value v; false when the stroke did not change.
  // Nothing is written outside the day (0 < t < 86400).
  bool Move(double t, int value);
  // In time order.
  const std::vector<StrokePoint>& Points() const { return points_; }
  WriteShape Shape() const { return shape_; }
  // The events to write, the values shifted into place for the view's key.
  std::vector<AutoEvent> Events(const EventKey& key) const;

 private:
  WriteShape shape_;
  TimeCode anchor_;
  int anchor_value_;
  FrameRate rate_;
  std::optional<StrokePoint> last_;
  std::vector<StrokePoint> points_;
};

}  // namespace orb
