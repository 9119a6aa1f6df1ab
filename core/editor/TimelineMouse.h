// The timeline's mouse: button down, movement and button up on the drawing surface, turned
// into the automation list's operations through the editor session, one undo step each.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/editor/EditSession.h"
#include "core/editor/Timeline.h"
#include "core/editor/TimelineScene.h"

namespace orb {

enum class TimelineDrag {
  kNone = 0,
  kSelect = 100,
  kErase = 101,
  kRuler = 102,
  kLabel = 103,
  kWrite = 110,  // 110 + the write shape
  kMove = 120,
  kEventGrabbed = 130,
  kEventDragged = 131,
};

struct TimelinePointer {
  TimelinePointer() = default;
  TimelinePointer(int x_at, int y_at, KeyMods with = {}) : x(x_at), y(y_at), mods(with) {}
  int x = 0;
  int y = 0;
  KeyMods mods;
};

class TimelineMouse {
 public:
  TimelineMouse(EditSession& session, TimelineState& state);

  // The drawing surface's size, as the last paint had it.
  void SetSurface(int width, int height);
  // scene: the last paint, whose visible events a click may grab.
  void Down(const TimelinePointer& p, const TimelineScene& scene);
  void Move(const TimelinePointer& p);
  void Up(const TimelinePointer& p);

  TimelineDrag Mode() const { return mode_; }
  bool Dragging() const { return mode_ != TimelineDrag::kNone; }
  // The rows a selection being moved has moved by (channel j shows the flag of j + offset).
  int RowOffset() const { return row_offset_; }
  // The stroke being written, for its preview.
  const WriteStroke* Stroke() const { return stroke_ ? &*stroke_ : nullptr; }
  // Where a grabbed event's marker is drawn.
  int MarkerX() const { return marker_x_; }
  int MarkerY() const { return marker_y_; }
  // Adds the stroke being written and a grabbed event's marker to a scene of this surface.
  void Decorate(TimelineScene& scene) const;
  // The status bar's first panel.
  const std::string& StatusText() const { return status_; }

 private:
  TimelineGeometry Geometry() const;
  TQ730AUTO& Automation() const { return session_.GetTitle().Automation(); }
  int Rows() const;
  int RangeOf(int row) const;
  int ValueAtPointer(const TimelineGeometry& g, int row, int y) const;
  // The range set from the pointer's time as the ruler sets it (Shift, Ctrl or plain).
  void RangeFromPointer(double t, KeyMods mods);
  void SelectRows(int from, int to);
  // The row offset limited so that every moved row lands on a row that has the view.
  int AllowedOffset(int offset) const;
  // Button up of a move: the selected events go to the new range and rows; Ctrl copies them.
  void MoveSelection(bool copy);
  void UpdateStatus(const TimelineGeometry& g, const TimelinePointer& p, int row);

  EditSession& session_;
  TimelineState& state_;
  int width_ = 0;
  int height_ = 0;
  TimelineDrag mode_ = TimelineDrag::kNone;
  int anchor_row_ = 0;
  int anchor_value_ = 0;
  double saved_start_ = 0;
  double saved_length_ = 0;
  int start_x_ = 0;
  int start_y_ = 0;
  int row_offset_ = 0;
  std::vector<bool> saved_rows_;
  std::optional<WriteStroke> stroke_;
  VisibleEvent grabbed_;
  int marker_x_ = 0;
  int marker_y_ = 0;
  std::string status_;
};

}  // namespace orb
