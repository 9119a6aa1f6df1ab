#include "core/editor/TimelineNavigator.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "core/model/ParamIds.h"

namespace orb {

using namespace timeline;

namespace {

// One wheel notch or one key press zooms by this much.
constexpr float kWheelZoom = 1.25f;
constexpr float kKeyZoom = 1.5f;
// Zoom to fit leaves this share of the view free on each side.
constexpr double kFitMargin = 0.05;

}  // namespace

TimelineNavigator::TimelineNavigator(TimelineState& state, const TQ730AUTO& automation,
                                     const TQ730* cues, int rows, int width, int height)
    : state_(state),
      automation_(automation),
      cues_(cues),
      rows_(std::max(rows, 1)),
      width_(width),
      height_(height) {}

TimelineGeometry TimelineNavigator::Geometry() const {
  return TimelineGeometry(state_, width_, height_, TimeSpan(automation_));
}

double TimelineNavigator::ViewSeconds() const {
  return std::max(width_ - kLabelWidth, 1) / double{state_.Zoom()};
}

void TimelineNavigator::ShowAt(double seconds) {
  state_.SetLeftTime(seconds - ViewSeconds() / 10);
}

void TimelineNavigator::Centre(double seconds) {
  state_.SetLeftTime(seconds - ViewSeconds() / 2);
}

void TimelineNavigator::ShowRow(int row) {
  const int first = state_.RowScroll();
  const int page = std::max(Geometry().PageBands(), 1);
  if (row < first || row >= first + page) state_.SetRowScroll(row, rows_);
}

std::optional<int> TimelineNavigator::FirstEventOf(int view, bool last, int& row) const {
  const int count = automation_.Count();
  const EventChannels channels(automation_, view);
  for (int k = 0; k < count; ++k) {
    const int i = last ? count - 1 - k : k;
    int found = -1;
    channels.ForEach(automation_.EventWord(i), [&](int r) {
      if (found < 0 && r < rows_) found = r;
    });
    if (found >= 0) {
      row = found;
      return i;
    }
  }
  return std::nullopt;
}

bool TimelineNavigator::ShowStart(int view) {
  int row = 0;
  if (auto index = FirstEventOf(view, false, row)) {
    ShowAt(TCToSeconds(automation_.EventTime(*index), automation_.Rate()));
    ShowRow(row);
    return true;
  }
  if (automation_.Count() > 0) {
    ShowAt(TCToSeconds(automation_.EventTime(0), automation_.Rate()));
    return true;
  }
  if (cues_ == nullptr || cues_->Count() == 0) return false;
  double earliest = kDayEnd + 1;
  for (int cue = 0; cue < cues_->Count(); ++cue) {
    const auto bcd = static_cast<std::uint32_t>(cues_->GetParam(cue, kParamCueTime));
    const double t = TCToSeconds(FromBCD(bcd), automation_.Rate());
    if (t >= 0) earliest = std::min(earliest, t);
  }
  if (earliest > kDayEnd) return false;
  ShowAt(earliest);
  return true;
}

void TimelineNavigator::ZoomAround(int x, float factor) {
  const int column = std::clamp(x, kLabelWidth, std::max(width_, kLabelWidth));
  const double t = Geometry().TimeAt(column);
  state_.SetZoom(state_.Zoom() * factor);
  state_.SetLeftTime(t - (column - kLabelWidth) / double{state_.Zoom()});
}

void TimelineNavigator::Wheel(const TimelineWheel& wheel, int x) {
  if (wheel.notches == 0) return;
  const float factor = std::pow(kWheelZoom, static_cast<float>(wheel.notches));
  if (wheel.ctrl && wheel.shift) {
    state_.SetBandHeight(static_cast<float>(state_.BandHeight()) * factor);
  } else if (wheel.ctrl) {
    ZoomAround(x, factor);
  } else if (wheel.shift) {
    // Turning the wheel towards oneself goes on in time, as it goes down the rows.
    state_.SetLeftTime(state_.LeftTime() - wheel.notches * ViewSeconds() / 10);
  } else {
    state_.SetRowScroll(state_.RowScroll() - wheel.notches, rows_);
  }
}

void TimelineNavigator::Key(TimelineKey key, int view) {
  const int page = std::max(Geometry().PageBands(), 1);
  const int centre = kLabelWidth + std::max(width_ - kLabelWidth, 0) / 2;
  int row = 0;
  switch (key) {
    case TimelineKey::kLeft:
    case TimelineKey::kRight:
      state_.SetLeftTime(state_.LeftTime() +
                         (key == TimelineKey::kLeft ? -1 : 1) * ViewSeconds() / 10);
      break;
    case TimelineKey::kUp:
    case TimelineKey::kDown:
      state_.SetRowScroll(state_.RowScroll() + (key == TimelineKey::kUp ? -1 : 1), rows_);
      break;
    case TimelineKey::kPageUp:
    case TimelineKey::kPageDown:
      state_.SetRowScroll(state_.RowScroll() + (key == TimelineKey::kPageUp ? -page : page), rows_);
      break;
    case TimelineKey::kHome:
      ShowStart(view);
      break;
    case TimelineKey::kEnd: {
      auto index = FirstEventOf(view, true, row);
      if (!index && automation_.Count() > 0) index = automation_.Count() - 1;
      if (!index) break;
      // The last event a tenth of the view in from the right edge.
      state_.SetLeftTime(TCToSeconds(automation_.EventTime(*index), automation_.Rate()) -
                         ViewSeconds() * 0.9);
      ShowRow(row);
      break;
    }
    case TimelineKey::kZoomIn:
      ZoomAround(centre, kKeyZoom);
      break;
    case TimelineKey::kZoomOut:
      ZoomAround(centre, 1 / kKeyZoom);
      break;
  }
}

bool TimelineNavigator::ZoomToFit() {
  const int count = automation_.Count();
  if (count == 0) return false;
  double first = kDayEnd + 1, last = -1;
  if (automation_.SearchableByTime()) {
    first = TCToSeconds(automation_.EventTime(0), automation_.Rate());
    last = TCToSeconds(automation_.EventTime(count - 1), automation_.Rate());
  } else {
    for (int i = 0; i < count; ++i) {
      const double t = TCToSeconds(automation_.EventTime(i), automation_.Rate());
      if (t < 0) continue;
      first = std::min(first, t);
      last = std::max(last, t);
    }
  }
  if (last < 0) return false;
  // A single time keeps the zoom.
  if (!FitTime(first, last)) Centre(first);
  return true;
}

bool TimelineNavigator::ZoomToSelection(double start, double end) {
  if (!FitTime(start, end)) return false;
  for (int row = 0; row < rows_; ++row) {
    if (automation_.IsChannelSelected(row)) {
      ShowRow(row);
      break;
    }
  }
  return true;
}

bool TimelineNavigator::FitTime(double start, double end) {
  if (start > end) std::swap(start, end);
  const double length = end - start;
  if (!(length > 0)) return false;
  const double pixels = std::max(width_ - kLabelWidth, 1);
  state_.SetZoom(static_cast<float>(pixels * (1 - 2 * kFitMargin) / length));
  // At the widest zoom the range may not fit: its start stays in view.
  const double shown = ViewSeconds();
  state_.SetLeftTime(shown >= length ? start - (shown - length) / 2 : start - shown * kFitMargin);
  return true;
}

bool TimelineNavigator::AutoScroll(int x, int y, bool time, bool rows) {
  bool moved = false;
  // Pixels of time per tick: a few just past the edge, growing with the distance.
  auto speed = [](int distance) { return 2 + std::min(distance, 400) / 2; };
  if (time) {
    const double before = state_.LeftTime();
    if (x < kLabelWidth) {
      state_.SetLeftTime(before - speed(kLabelWidth - x) / double{state_.Zoom()});
    } else if (x >= width_) {
      state_.SetLeftTime(before + speed(x - width_ + 1) / double{state_.Zoom()});
    }
    moved |= state_.LeftTime() != before;
  }
  if (rows) {
    const int before = state_.RowScroll();
    const int band = std::max(state_.BandHeight(), 1);
    if (y < kRulerHeight) {
      state_.SetRowScroll(before - 1 - (kRulerHeight - y) / band, rows_);
    } else if (y >= height_) {
      state_.SetRowScroll(before + 1 + (y - height_) / band, rows_);
    }
    moved |= state_.RowScroll() != before;
  }
  return moved;
}

std::optional<double> ReadTimecode(std::string_view text, FrameRate rate, std::string& error) {
  std::vector<int> fields;
  std::string digits;
  bool separated = false;
  auto take = [&] {
    if (digits.empty()) return;
    fields.push_back(digits.size() > 2 ? 100 : std::stoi(digits));
    digits.clear();
  };
  for (const char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits += c;
      if (digits.size() > 8) {
        error = "Too many digits.";
        return std::nullopt;
      }
    } else if (c == ':' || c == ';' || c == '.' || c == ',') {
      separated = true;
      if (digits.empty()) digits = "0";
      take();
    } else if (c != ' ') {
      error = "A timecode has digits and colons only.";
      return std::nullopt;
    }
  }
  if (!separated) {
    // Digits alone read from the right: frames, seconds, minutes, hours.
    if (digits.empty()) {
      error = "Type a timecode, such as 01:00:00:00.";
      return std::nullopt;
    }
    digits.insert(0, 8 - digits.size(), '0');
    for (std::size_t k = 0; k < 8; k += 2) fields.push_back(std::stoi(digits.substr(k, 2)));
  } else {
    take();
  }
  if (fields.size() > 4) {
    error = "A timecode has at most four fields.";
    return std::nullopt;
  }
  while (fields.size() < 4) fields.insert(fields.begin(), 0);
  const int fps = rate & 0xFF;
  if (fields[0] > 23 || fields[1] > 59 || fields[2] > 59 || fields[3] >= fps) {
    error = "Out of range: hours 0-23, minutes and seconds 0-59, frames 0-" +
            std::to_string(fps - 1) + ".";
    return std::nullopt;
  }
  const TimeCode tc = NormalizeTC(MakeTC(fields[0], fields[1], fields[2], fields[3]), rate, false);
  return TCToSeconds(tc, rate);
}

}  // namespace orb
