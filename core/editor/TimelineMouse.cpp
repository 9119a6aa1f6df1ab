#include "core/editor/TimelineMouse.h"

#include <algorithm>
#include <cmath>

#include "core/edit/StepName.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamNames.h"
#include "core/model/ValueText.h"

namespace orb {

using namespace timeline;

std::string ValueWithUnit(int view, int value) {
  return ValueAndUnit(FormatValue(view, value));
}

TimelineMouse::TimelineMouse(EditSession& session, TimelineState& state)
    : session_(session), state_(state) {}

void TimelineMouse::SetSurface(int width, int height) {
  width_ = width;
  height_ = height;
}

TimelineGeometry TimelineMouse::Geometry() const {
  return TimelineGeometry(state_, width_, height_, TimeSpan(Automation()));
}

int TimelineMouse::Rows() const {
  return std::min(session_.GetTitle().System().Count(), TQ730AUTO::kChannelFlags);
}

int TimelineMouse::RangeOf(int row) const {
  return std::max(Automation().ParamMax(row, session_.ViewParam()), 0);
}

int TimelineMouse::ValueAtPointer(const TimelineGeometry& g, int row, int y) const {
  return g.ValueAt(row - g.FirstRow(), y, RangeOf(row));
}

void TimelineMouse::RangeFromPointer(double t, KeyMods mods) {
  double start = session_.SelectionStart();
  const double end = session_.SelectionEnd();
  const bool none = start == end;
  if (mods.shift) {
    start = (none || t > end) ? kDayEnd : end;
  } else if (mods.ctrl) {
    if (none || start > t) start = 0;
  } else {
    start = t;
  }
  session_.SetSelection(start, t);
}

void TimelineMouse::SelectRows(int from, int to) {
  TQ730AUTO& automation = Automation();
  const int low = std::min(from, to), high = std::max(from, to);
  for (int row = 0; row < Rows(); ++row) {
    const bool earlier = mode_ == TimelineDrag::kLabel &&
                         row < static_cast<int>(saved_rows_.size()) &&
                         saved_rows_[static_cast<std::size_t>(row)];
    automation.SetChannelSelected(row, (row >= low && row <= high) || earlier);
  }
}

const VisibleEvent* TimelineMouse::EventUnder(const TimelinePointer& p,
                                              const TimelineScene& scene) const {
  if (p.x < kLabelWidth || p.y < kRulerHeight) return nullptr;
  const int row = Geometry().RowAt(p.y, Rows());
  const TQ730AUTO& automation = Automation();
  // A scene painted before the list last changed may name an event that is no longer there.
  const VisibleEvent* hit = HitEvent(scene, row, p.x, p.y);
  if (hit && hit->index >= automation.Count()) return nullptr;
  if (hit && !automation.KeyOf(session_.ViewParam(), row).Matches(automation.EventWord(hit->index)))
    return nullptr;
  return hit;
}

bool TimelineMouse::Carried(int row) const {
  const int mode = static_cast<int>(mode_);
  if (mode_ == TimelineDrag::kMove) return Automation().IsChannelSelected(row);
  if (mode >= 110 && mode <= 114) return row == anchor_row_;
  if (mode_ == TimelineDrag::kEventGrabbed || mode_ == TimelineDrag::kEventDragged)
    return row == grabbed_.row;
  return false;
}

std::optional<double> TimelineMouse::SnapTarget(double t) const {
  if (!state_.Snap() || snap_off_) return std::nullopt;
  const TimelineGeometry g = Geometry();
  const double reach = kSnapPixels / double{g.Zoom()};
  const TQ730AUTO& list = Automation();
  const FrameRate rate = list.Rate();
  std::optional<double> best;
  double distance = reach;
  const TQ730& cues = session_.GetTitle().Cues();
  for (int cue = 0; cue < cues.Count(); ++cue) {
    const auto bcd = static_cast<std::uint32_t>(cues.GetParam(cue, kParamCueTime));
    const double c = TCToSeconds(FromBCD(bcd), rate);
    if (c >= 0 && std::abs(c - t) <= distance) {
      best = c;
      distance = std::abs(c - t);
    }
  }
  const int first_row = g.FirstRow();
  const int end_row = std::min(first_row + g.DrawnBands(), Rows());
  const EventChannels channels(list, session_.ViewParam());
  int begin = 0, end = list.Count();
  if (list.SearchableByTime()) {
    begin = list.FirstEventAt(t - reach);
    end = list.FirstEventAt(t + reach + 1.0 / 1000);
  }
  for (int i = begin; i < end; ++i) {
    const double e = TCToSeconds(list.EventTime(i), rate);
    const double d = std::abs(e - t);
    if (best ? !(d < distance) : !(d <= reach)) continue;
    bool wanted = false;
    channels.ForEach(list.EventWord(i), [&](int row) {
      wanted |= row >= first_row && row < end_row && !Carried(row);
    });
    if (!wanted) continue;
    best = e;
    distance = d;
  }
  return best;
}

double TimelineMouse::GestureTime(const TimelineGeometry& g, int x) const {
  const double t = g.TimeAt(x);
  return SnapTarget(t).value_or(t);
}

void TimelineMouse::Cancel() {
  if (mode_ == TimelineDrag::kNone) return;
  TQ730AUTO& list = Automation();
  session_.SetSelection(before_.selection_start, before_.selection_end);
  for (int row = 0; row < TQ730AUTO::kChannelFlags; ++row)
    list.SetChannelSelected(row, before_.rows[static_cast<std::size_t>(row)]);
  list.ClearEventSelection();
  for (const int index : before_.selected_events) list.SetSelected(index, true);
  list.SetEditRange(list.CurrentParam(), before_.range_start, before_.range_end);
  state_ = before_.view;
  mode_ = TimelineDrag::kNone;
  stroke_.reset();
  row_offset_ = 0;
  status_.clear();
}

void TimelineMouse::Down(const TimelinePointer& p, const TimelineScene& scene) {
  const TimelineGeometry g = Geometry();
  const int row = g.RowAt(p.y, Rows());
  TQ730AUTO& automation = Automation();
  before_.selection_start = session_.SelectionStart();
  before_.selection_end = session_.SelectionEnd();
  for (int r = 0; r < TQ730AUTO::kChannelFlags; ++r)
    before_.rows[static_cast<std::size_t>(r)] = automation.IsChannelSelected(r);
  before_.selected_events.clear();
  for (int i = 0, n = automation.Count(); i < n; ++i) {
    if (automation.EventSelected(i)) before_.selected_events.push_back(i);
  }
  before_.view = state_;
  before_.range_start = automation.RangeStart();
  before_.range_end = automation.RangeEnd();
  snap_off_ = p.snap_off;
  mode_ = TimelineDrag::kNone;
  anchor_row_ = row;
  saved_rows_.clear();
  stroke_.reset();
  edge_note_.clear();
  // A press snaps as its gesture will, so the selection's first edge or the stroke's first
  // point lands where the rest of it snaps.
  const double t = GestureTime(g, p.x);

  if (p.x < kLabelWidth) {
    if (!p.mods.ctrl) automation.DeselectAllChannels();
    if (session_.SelectionStart() == session_.SelectionEnd()) session_.SetSelection(0, kDayEnd);
    automation.SetChannelSelected(row, !automation.IsChannelSelected(row));
    // With Ctrl the rows dragged over are added to those selected now.
    if (p.mods.ctrl) {
      for (int r = 0; r < Rows(); ++r) saved_rows_.push_back(automation.IsChannelSelected(r));
    }
    mode_ = TimelineDrag::kLabel;
    automation.ClearEventSelection();
    return;
  }
  if (p.y < kRulerHeight) {
    RangeFromPointer(t, p.mods);
    if (t == session_.SelectionStart()) automation.SelectAllChannels();
    mode_ = TimelineDrag::kRuler;
    automation.ClearEventSelection();
    return;
  }
  const VisibleEvent* hit = EventUnder(p, scene);
  if (hit && !session_.Locked()) {
    const double event_time = TCToSeconds(automation.EventTime(hit->index), automation.Rate());
    const bool inside =
        event_time >= std::min(session_.SelectionStart(), session_.SelectionEnd()) &&
        event_time <= std::max(session_.SelectionStart(), session_.SelectionEnd());
    if (!automation.IsChannelSelected(row) || !inside) {
      automation.DeselectAllChannels();
      automation.SelectEvent(hit->index);
      session_.SetSelection(automation.RangeStart(), automation.RangeEnd());
      automation.SetChannelSelected(row, true);
    }
    grabbed_ = *hit;
    marker_x_ = p.x;
    marker_y_ = g.ValueY(hit->band, ValueAtPointer(g, row, p.y), hit->trigger ? 0 : RangeOf(row));
    mode_ = TimelineDrag::kEventGrabbed;
    return;
  }
  if (state_.Tool() == TimelineTool::kWrite && !session_.Locked()) {
    const int range = RangeOf(row);
    const WriteShape shape = EffectiveShape(state_.Shape(), range);
    session_.SetSelection(0, 0);
    mode_ =
        static_cast<TimelineDrag>(static_cast<int>(TimelineDrag::kWrite) + static_cast<int>(shape));
    anchor_value_ = ValueAtPointer(g, row, p.y);
    stroke_.emplace(shape, GestureTime(g, p.x), anchor_value_, automation.Rate());
    automation.DeselectAllChannels();
    automation.ClearEventSelection();
    Move(p);
    return;
  }
  const double pressed = g.TimeAt(p.x);  // a move begins where the selection is, unsnapped
  if (automation.IsChannelSelected(row) && !session_.Locked() &&
      session_.SelectionStart() <= pressed && pressed < session_.SelectionEnd()) {
    saved_start_ = session_.SelectionStart();
    saved_length_ = session_.SelectionEnd() - saved_start_;
    start_x_ = p.x;
    start_y_ = p.y;
    row_offset_ = 0;
    mode_ = TimelineDrag::kMove;
    automation.ClearEventSelection();
    return;
  }
  RangeFromPointer(t, p.mods);
  automation.DeselectAllChannels();
  automation.SetChannelSelected(row, true);
  mode_ = state_.Tool() == TimelineTool::kEraser && !session_.Locked() ? TimelineDrag::kErase
                                                                       : TimelineDrag::kSelect;
  automation.ClearEventSelection();
}

void TimelineMouse::Move(const TimelinePointer& p, const TimelineScene* scene) {
  const TimelineGeometry g = Geometry();
  const int row = g.RowAt(p.y, Rows());
  if (p.snap_off) snap_off_ = true;
  const double t = GestureTime(g, p.x);
  status_.clear();
  const int mode = static_cast<int>(mode_);
  if (mode_ == TimelineDrag::kSelect || mode_ == TimelineDrag::kErase ||
      mode_ == TimelineDrag::kRuler || mode_ == TimelineDrag::kLabel) {
    if (mode_ != TimelineDrag::kLabel) session_.SetSelection(session_.SelectionStart(), t);
    if (mode_ != TimelineDrag::kRuler) SelectRows(anchor_row_, row);
  } else if (mode >= 110 && mode <= 114 && stroke_) {
    // The stroke writes the row it began on, so its values are read against that band: leaving
    // the band holds the stroke at the band's top or bottom value.
    const int value = ValueAtPointer(g, anchor_row_, p.y);
    const double start = session_.SelectionStart(), end = session_.SelectionEnd();
    session_.SetSelection(t < start || start == 0 ? t : start, t > end || start == 0 ? t : end);
    if (t > 0 && t < 86400) {
      status_ = FormatValue(session_.ViewParam(), value).value;
      stroke_->Move(t, value);
    }
  } else if (mode_ == TimelineDrag::kMove) {
    const int dx = p.x - start_x_, dy = p.y - start_y_;
    double start = saved_start_ + dx / double{g.Zoom()};
    int offset = anchor_row_ - row;
    bool keep_time = false;
    if (p.mods.shift) {
      if (std::abs(dx) < std::abs(dy)) {
        keep_time = true;
        start = saved_start_;
      } else {
        offset = 0;
      }
    }
    if (!keep_time) {
      // Whichever edge of the selection is nearer to something to snap to snaps.
      const std::optional<double> at_start = SnapTarget(start);
      const std::optional<double> at_end = SnapTarget(start + saved_length_);
      const double by_start = at_start ? *at_start - start : 1e9;
      const double by_end = at_end ? *at_end - (start + saved_length_) : 1e9;
      if (at_start || at_end) start += std::abs(by_start) <= std::abs(by_end) ? by_start : by_end;
    }
    // The moved events stay within the day, so none is crowded onto its first or last frame.
    start = std::clamp(start, 0.0, std::max(kDayEnd - saved_length_, 0.0));
    row_offset_ = AllowedOffset(offset);
    if (row_offset_ != offset) {
      edge_note_ = offset > 0 ? "The rows stop at the first row with this view"
                              : "The rows stop at the last row with this view";
    } else {
      edge_note_.clear();
    }
    session_.SetSelection(start, start + saved_length_);
    status_ = FormatTC(SecondsToTC(start, Automation().Rate()));
    if (!edge_note_.empty()) status_ += "  " + edge_note_;
  } else if (mode_ == TimelineDrag::kEventGrabbed || mode_ == TimelineDrag::kEventDragged) {
    mode_ = TimelineDrag::kEventDragged;
    const int x = std::clamp(p.x, kLabelWidth, width_);
    const double moved = GestureTime(g, x);
    marker_x_ = moved != g.TimeAt(x) ? g.EventX(moved) : x;
    const int range = grabbed_.trigger ? 0 : RangeOf(grabbed_.row);
    const int value = g.ValueAt(grabbed_.band, p.y, range);
    marker_y_ = g.ValueY(grabbed_.band, value, range);
    status_ = FormatTC(SecondsToTC(moved, Automation().Rate())) + "  " +
              ValueWithUnit(session_.ViewParam(), grabbed_.trigger ? grabbed_.value : value);
  } else if (mode_ == TimelineDrag::kNone && scene != nullptr) {
    if (const VisibleEvent* hover = EventUnder(p, *scene)) {
      status_ = "Event " + FormatTC(Automation().EventTime(hover->index)) + "  " +
                ValueWithUnit(session_.ViewParam(), hover->value);
    }
  }
  if (status_.empty()) UpdateStatus(g, p, row);
}

void TimelineMouse::Decorate(TimelineScene& scene) const {
  GestureMarks& marks = scene.gesture;
  marks = {};
  if (mode_ == TimelineDrag::kEventGrabbed || mode_ == TimelineDrag::kEventDragged) {
    marks.marker = true;
    marks.marker_x = marker_x_;
    marks.marker_y = marker_y_;
    marks.marker_bar = grabbed_.trigger ? scene.band_height - 8 : 0;
  }
  if (!stroke_) return;
  const TimelineGeometry g = Geometry();
  const int band = anchor_row_ - g.FirstRow();
  const int range = RangeOf(anchor_row_);
  const FrameRate rate = Automation().Rate();
  marks.stroke_free = stroke_->Shape() == WriteShape::kFree;
  for (const StrokePoint& point : stroke_->Points())
    marks.stroke.emplace_back(g.EventX(TCToSeconds(point.time, rate)),
                              g.ValueY(band, point.value, range));
}

void TimelineMouse::UpdateStatus(const TimelineGeometry& g, const TimelinePointer& p, int row) {
  if (p.y < kRulerHeight) return;
  if (p.x < kLabelWidth) return;  // the label column shows no value
  const double t = g.TimeAt(p.x);
  const TQ730AUTO& automation = Automation();
  status_ = FormatTC(SecondsToTC(t, automation.Rate())) + "  " +
            FormatValue(session_.ViewParam(), ValueAtPointer(g, row, p.y)).value;
}

int TimelineMouse::AllowedOffset(int offset) const {
  // Every selected row with events of the view must land on a row that has the view; the
  // offset nearest to the one asked for that allows it (no offset always does).
  const TQ730AUTO& automation = Automation();
  const int view = session_.ViewParam();
  const int rows = Rows();
  auto allowed = [&](int o) {
    for (int r = 0; r < rows; ++r) {
      if (!automation.IsChannelSelected(r) || !automation.KeyOf(view, r).valid) continue;
      const int to = r - o;
      if (to < 0 || to >= rows || !automation.KeyOf(view, to).valid) return false;
    }
    return true;
  };
  while (offset != 0 && !allowed(offset)) offset += offset > 0 ? -1 : 1;
  return offset;
}

void TimelineMouse::MoveSelection(bool copy) {
  session_.PushUndoStep(std::string(copy ? "Copy " : "Move ") + ParamName(session_.ViewParam()) +
                        " " + SelectionText(Automation()));
  TQ730AUTO& list = Automation();
  const int view = session_.ViewParam();
  const int rows = Rows();
  const double new_start = session_.SelectionStart();
  list.ClearEventSelection();
  list.SetEditRange(view, saved_start_, saved_start_ + saved_length_);
  list.SelectRange(view, saved_start_, saved_start_ + saved_length_);
  // Each moved row's events, as offsets from the range start, go to its own row plus the
  // offset, so rows never trade places or fall off the edges.
  std::vector<EventKey> keys;
  for (int r = 0; r < rows; ++r) keys.push_back(list.KeyOf(view, r));
  std::vector<std::vector<std::pair<double, std::uint32_t>>> moved(static_cast<std::size_t>(rows));
  // The selected events lie inside the saved range.
  int begin = 0, end = list.Count();
  if (list.SearchableByTime()) {
    begin = list.FirstEventAt(saved_start_);
    end = list.FirstEventAt(saved_start_ + saved_length_);
  }
  for (int i = begin; i < end; ++i) {
    if (!list.EventSelected(i)) continue;
    const std::uint32_t word = list.EventWord(i);
    for (int r = 0; r < rows; ++r) {
      const EventKey& k = keys[static_cast<std::size_t>(r)];
      if (!list.IsChannelSelected(r) || !k.Matches(word)) continue;
      const double offset = TCToSeconds(list.EventTime(i), list.Rate()) - saved_start_;
      moved[static_cast<std::size_t>(r)].emplace_back(offset, word & ~k.mask);
      break;
    }
  }
  if (!copy) list.DeleteSelected();
  list.ShiftChannelSelection(row_offset_);
  list.ClearEventSelection();
  list.SetEditRange(view, new_start, new_start + saved_length_);
  std::vector<std::vector<AutoEvent>> events;
  std::vector<int> targets;
  for (int r = 0; r < rows; ++r) {
    const auto& row_events = moved[static_cast<std::size_t>(r)];
    if (row_events.empty()) continue;
    std::vector<AutoEvent>& out = events.emplace_back();
    for (const auto& [offset, bits] : row_events)
      out.push_back({SecondsToTC(new_start + offset, list.Rate()), bits});
    targets.push_back(r - row_offset_);
  }
  std::vector<TQ730AUTO::ChannelEvents> channels;
  for (std::size_t k = 0; k < targets.size(); ++k) channels.push_back({targets[k], events[k]});
  // As a paste does, the moved events end selected, so Delete, Cut, Copy or the next drag
  // take them where they now are.
  list.WriteEvents(view, new_start, new_start + saved_length_, channels, true);
  session_.SetSelection(new_start, new_start + saved_length_);
}

void TimelineMouse::Up(const TimelinePointer& p) {
  const TimelineGeometry g = Geometry();
  TQ730AUTO& automation = Automation();
  const int mode = static_cast<int>(mode_);
  const int view = session_.ViewParam();
  if (mode >= 110 && mode <= 114 && stroke_) {
    const EventKey key = automation.KeyOf(view, anchor_row_);
    if (!stroke_->Points().empty() && key.valid) {
      session_.PushUndoStep(std::string("Write ") + ParamName(view) + " " +
                            ChannelText(automation, anchor_row_));
      const std::vector<AutoEvent> events = stroke_->Events(key);
      if (stroke_->Shape() == WriteShape::kFree) {
        // A Free stroke that ends flat has no point over its flat stretch, yet it was drawn
        // there too: everything the stroke went over goes, as under a Line or Curve.
        const FrameRate rate = automation.Rate();
        const double from =
            std::min(session_.SelectionStart(), TCToSeconds(stroke_->Points().front().time, rate));
        const double to =
            std::max(session_.SelectionEnd(), TCToSeconds(stroke_->Points().back().time, rate));
        automation.EraseEvents(view, anchor_row_, from, to);
      }
      Automation().WriteEvents(view, anchor_row_, session_.SelectionStart(),
                               session_.SelectionEnd(), events, false, false);
    }
  } else if (mode_ == TimelineDrag::kMove && (p.x != start_x_ || row_offset_ != 0)) {
    MoveSelection(p.mods.ctrl);
  } else if (mode_ == TimelineDrag::kSelect || mode_ == TimelineDrag::kErase ||
             mode_ == TimelineDrag::kRuler || mode_ == TimelineDrag::kLabel ||
             mode_ == TimelineDrag::kMove) {
    double start = session_.SelectionStart(), end = session_.SelectionEnd();
    if (start != end) {
      if (start > end) std::swap(start, end);
      session_.SetSelection(start, end);
      automation.SelectRange(view, start, end);
      if (mode_ == TimelineDrag::kErase) session_.Delete();
    }
  } else if (mode_ == TimelineDrag::kEventDragged) {
    session_.PushUndoStep(std::string("Move ") + ParamName(view) + " event " +
                          ChannelText(automation, grabbed_.row));
    TQ730AUTO& list = Automation();
    const double t = GestureTime(g, std::clamp(p.x, kLabelWidth, width_));
    const double dt = t - TCToSeconds(list.EventTime(grabbed_.index), list.Rate());
    const int range = grabbed_.trigger ? 0 : RangeOf(grabbed_.row);
    const int to = g.ValueAt(grabbed_.band, p.y, range);
    // A level moves by whole decibels, so its events keep their steps of the fader law.
    const double dv =
        IsLevelParam(view) ? FaderDb(to) - FaderDb(grabbed_.value) : double(to - grabbed_.value);
    list.OffsetValues(dt, static_cast<int>(dv));
    session_.SetSelection(list.RangeStart(), list.RangeEnd());
  }
  mode_ = TimelineDrag::kNone;
  stroke_.reset();
  row_offset_ = 0;
  snap_off_ = false;
}

}  // namespace orb
