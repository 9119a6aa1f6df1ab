// The timeline's mouse: button down, movement and button up on the drawing surface, turned
// into the automation list's operations through the editor session, one undo step each.
#pragma once

#include <array>
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
  // The modifier that suspends snapping for the gesture it is held in.
  bool snap_off = false;
};

// Gestures snap within this many pixels of a cue or of another row's event.
namespace timeline {
inline constexpr int kSnapPixels = 6;
}

// A value as the pages show it: its text and unit.
std::string ValueWithUnit(int view, int value);

class TimelineMouse {
 public:
  TimelineMouse(EditSession& session, TimelineState& state);

  // The drawing surface's size, as the last paint had it.
  void SetSurface(int width, int height);
  // scene: the last paint, whose visible events a click may grab.
  void Down(const TimelinePointer& p, const TimelineScene& scene);
  // scene: the last paint, whose event under the pointer the status tells while no button is
  // held.
  void Move(const TimelinePointer& p, const TimelineScene* scene = nullptr);
  void Up(const TimelinePointer& p);
  // Esc: the selection, the rows, the events' selection and the view go back to where they
  // were before the press; the title is left as it was and no undo step is pushed.
  void Cancel();
  // The event of the view under the pointer, as a click would grab it; null when none.
  const VisibleEvent* EventUnder(const TimelinePointer& p, const TimelineScene& scene) const;
  // Where a time snaps to: a cue, or an event of the view on a drawn row that the gesture
  // under way does not carry (a move carries the selected rows, a stroke or an event drag its
  // own row), within the snap distance; the nearest wins, a cue before an event as near. Nothing
  // when snapping is off, suspended for this gesture, or nothing is near.
  std::optional<double> SnapTarget(double t) const;

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
  // The pointer's time, snapped when the gesture snaps.
  double GestureTime(const TimelineGeometry& g, int x) const;
  // The rows whose events a gesture carries and so does not snap to.
  bool Carried(int row) const;

  struct Before {
    double selection_start = 0;
    double selection_end = 0;
    std::array<bool, TQ730AUTO::kChannelFlags> rows{};
    std::vector<int> selected_events;
    TimelineState view;
    double range_start = 0;
    double range_end = 0;
  };
  Before before_;
  bool snap_off_ = false;
  std::string edge_note_;

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
