#include "core/editor/Timeline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace orb {

using namespace timeline;

WriteShape EffectiveShape(WriteShape chosen, int range) {
  return range == 1 ? WriteShape::kFree : chosen;
}

void TimelineState::ReduceTime() {
  zoom_ = std::max(zoom_ * 2.0f / 3.0f, kMinZoom);
}

void TimelineState::DetailTime() {
  zoom_ = std::min(zoom_ * 1.5f, kMaxZoom);
}

void TimelineState::SetZoom(float zoom) {
  zoom_ = std::isnan(zoom) ? kStartZoom : std::clamp(zoom, kMinZoom, kMaxZoom);
}

void TimelineState::SetBandHeight(float height) {
  band_level_ = std::isnan(height) ? static_cast<float>(kStartBand)
                                   : std::clamp(height, static_cast<float>(kMinBand),
                                                static_cast<float>(kMaxBand));
}

void TimelineState::ReduceBands() {
  band_level_ = std::max(band_level_ * 2.0f / 3.0f, static_cast<float>(kMinBand));
}

void TimelineState::DetailBands() {
  band_level_ = std::min(band_level_ * 1.5f, static_cast<float>(kMaxBand));
}

void TimelineState::SetLeftTime(double seconds) {
  left_time_ = std::clamp(seconds, 0.0, kDayEnd);
}

int TimelineState::TimeScroll(double span) const {
  const double units = std::round(left_time_ / std::max(span, 1.0) * kTimeScrollMax);
  return static_cast<int>(std::clamp(units, 0.0, double{kTimeScrollMax}));
}

void TimelineState::SetTimeScroll(int position, double span) {
  SetLeftTime(std::clamp(position, 0, kTimeScrollMax) * std::max(span, 1.0) / kTimeScrollMax);
}

void TimelineState::SetRowScroll(int position, int rows) {
  row_scroll_ = std::clamp(position, 0, std::max(rows - 1, 0));
}

void TimelineState::SetShape(int tag) {
  if (tag >= 0 && tag <= static_cast<int>(WriteShape::kCurve3))
    shape_ = static_cast<WriteShape>(tag);
}

double TimeSpan(const TQ730AUTO& automation) {
  const int count = automation.Count();
  if (count == 0) return 1.0;
  const double last = TCToSeconds(automation.EventTime(count - 1), automation.Rate());
  return last > 1.0 ? last : 1.0;
}

TimelineGeometry::TimelineGeometry(const TimelineState& state, int width, int height, double span)
    : width_(width),
      height_(height),
      zoom_(state.Zoom()),
      band_(state.BandHeight()),
      first_row_(state.RowScroll()),
      span_(span > 1.0 ? span : 1.0),
      left_(state.LeftTime()) {}

int TimelineGeometry::PageBands() const {
  return std::max(height_ - kRulerHeight, 0) / band_;
}

int TimelineGeometry::TimeX(double seconds) const {
  return static_cast<int>((seconds - left_) * zoom_ + kLabelWidth);
}

double TimelineGeometry::TimeAt(int x) const {
  return (x - kLabelWidth) / double{zoom_} + left_;
}

int TimelineGeometry::RowAt(int y, int rows) const {
  const int row = first_row_ + static_cast<int>(double(y - kRulerHeight) / band_);
  return std::clamp(row, 0, std::max(rows - 1, 0));
}

int TimelineGeometry::ValueAt(int band, int y, int range) const {
  if (range <= 0) return 0;
  const int zero = ValueY(band, 0, range);
  if (range == 1) return y < zero - (band_ - 8) / 2.0 ? 1 : 0;
  const double value = std::floor(double(range) * (zero - y) / (band_ - 8));
  return static_cast<int>(std::clamp(value, 0.0, double(range)));
}

Rect TimelineGeometry::BandRect(int band) const {
  return {kLabelWidth, kRulerHeight + band * band_, width_, kRulerHeight + (band + 1) * band_};
}

Rect TimelineGeometry::LabelRect(int band) const {
  return {1, kRulerHeight + band * band_, 192, kRulerHeight + (band + 1) * band_};
}

GridSteps GridStepsAt(float zoom) {
  static constexpr std::array<long, 12> kSteps = {1,   5,    10,   30,    60,    300,
                                                  600, 1800, 3600, 21600, 43200, 86400};
  auto first = [zoom](double pixels) {
    for (long s : kSteps) {
      if (s * double{zoom} >= pixels) return s;
    }
    return kSteps.back();
  };
  return {first(70), first(4)};
}

std::vector<GridTick> TimelineGeometry::Grid() const {
  const GridSteps steps = GridStepsAt(zoom_);
  std::vector<GridTick> ticks;
  // A column shows the times after the previous column's up to its own; a multiple of a step
  // in there gets its line here, however many seconds the column spans.
  auto multiple = [](double from, double to, long step) -> std::optional<long> {
    const double k = std::floor(to / step);
    if (k < 0 || k * step <= from) return std::nullopt;
    return static_cast<long>(k) * step;
  };
  for (int m = 0; m <= width_ - kLabelWidth - 1; ++m) {
    const double t = left_ + m / double{zoom_};
    const double previous = left_ + (m - 1) / double{zoom_};
    if (auto s = multiple(previous, t, steps.major)) {
      ticks.push_back({kLabelWidth + m, true, *s});
    } else if (auto minor = multiple(previous, t, steps.minor)) {
      ticks.push_back({kLabelWidth + m, false, *minor});
    }
  }
  return ticks;
}

int TimelineGeometry::ScrollUnits(double seconds) const {
  // A very low zoom on a short title asks for more than the whole bar.
  const double units = std::floor(seconds / span_ * kTimeScrollMax);
  return static_cast<int>(std::clamp(units, 1.0, double{kTimeScrollMax}));
}

int TimelineGeometry::TimePageStep() const {
  return ScrollUnits(RightTime() - LeftTime());
}

int TimelineGeometry::TimeSmallStep() const {
  return ScrollUnits(64 / double{zoom_});
}

std::vector<StrokePoint> ShapePoints(WriteShape shape, TimeCode anchor, int anchor_value,
                                     TimeCode pointer, int pointer_value, FrameRate rate) {
  std::vector<StrokePoint> points;
  const double a = TCToSeconds(anchor, rate);
  const double b = TCToSeconds(pointer, rate);
  if (anchor == pointer || a == b || anchor_value == pointer_value || a < 0 || b < 0) return points;
  const bool forward = b > a;
  auto shaped = [shape](double u) {
    switch (shape) {
      case WriteShape::kCurve1:
        return std::sqrt(u);
      case WriteShape::kCurve2:
        return u * u;
      case WriteShape::kCurve3:
        return std::cos((0.5 * u + 0.5) * 2 * std::numbers::pi) * 0.5 + 0.5;
      default:
        return u;
    }
  };
  TimeCode q = anchor;
  double tq = a;
  // Stops on reaching the pointer's frame, or on passing it should it not be a frame of the rate.
  while (q != pointer && (forward ? tq < b : tq > b)) {
    const double u = std::clamp((tq - a) / (b - a), 0.0, 1.0);
    const int value = static_cast<int>(anchor_value + (pointer_value - anchor_value) * shaped(u));
    if (points.empty() || points.back().value != value) points.push_back({q, value});
    const TimeCode next = forward ? NextFrame(q, rate) : PrevFrame(q, rate);
    if (next == q) break;
    q = next;
    tq = TCToSeconds(q, rate);
  }
  if (points.empty() || points.back().value != pointer_value)
    points.push_back({pointer, pointer_value});
  return points;
}

WriteStroke::WriteStroke(WriteShape shape, double anchor_time, int anchor_value, FrameRate rate)
    : shape_(shape),
      anchor_(SecondsToTC(anchor_time, rate)),
      anchor_value_(anchor_value),
      rate_(rate) {}

bool WriteStroke::Move(double t, int value) {
  if (!(t > 0 && t < 86400)) return false;
  const TimeCode frame = SecondsToTC(t, rate_);
  if (shape_ == WriteShape::kFree) {
    // A point needs both a new frame and a new value, so holding one value writes one point.
    if (last_ && (last_->time == frame || last_->value == value)) return false;
    last_ = StrokePoint{frame, value};
    // Drawn backwards the points arrive in reverse; they are written in time order.
    auto at = std::upper_bound(points_.begin(), points_.end(), frame,
                               [this](TimeCode f, const StrokePoint& p) {
                                 return TCToSeconds(f, rate_) < TCToSeconds(p.time, rate_);
                               });
    points_.insert(at, *last_);
    return true;
  }
  if (last_ && last_->time == frame && last_->value == value) return false;
  last_ = StrokePoint{frame, value};
  points_ = ShapePoints(shape_, anchor_, anchor_value_, frame, value, rate_);
  if (!points_.empty() && TCToSeconds(frame, rate_) < TCToSeconds(anchor_, rate_)) {
    std::reverse(points_.begin(), points_.end());
  }
  return true;
}

std::vector<AutoEvent> WriteStroke::Events(const EventKey& key) const {
  std::vector<AutoEvent> events;
  events.reserve(points_.size());
  for (const StrokePoint& p : points_) events.push_back({p.time, key.Word(p.value) & ~key.mask});
  return events;
}

}  // namespace orb
