// TimelineNavigator: where the wheel, the keys, zoom to fit or to the selection, Go To and
// auto-scroll leave the timeline's view. It changes only the view (zoom, band height, left
// time, first row), never the title.
#pragma once

#include <optional>

#include "core/editor/Timeline.h"
#include "core/model/Q730.h"
#include "core/model/Q730auto.h"

namespace orb {

enum class TimelineKey {
  kLeft,
  kRight,
  kUp,
  kDown,
  kPageUp,
  kPageDown,
  kHome,
  kEnd,
  kZoomIn,
  kZoomOut,
};

struct TimelineWheel {
  int notches = 0;  // positive: the wheel turned away from the user
  bool shift = false;
  bool ctrl = false;
};

class TimelineNavigator {
 public:
  // width, height: the drawing surface; cues may be null.
  TimelineNavigator(TimelineState& state, const TQ730AUTO& automation, const TQ730* cues, int rows,
                    int width, int height);

  // The first event of the view (else of the title, else the earliest cue) a tenth of the
  // view in from the left edge, its row in view. False when there is nothing to show.
  bool ShowStart(int view);
  // Rows, or with Shift time, or with Ctrl the zoom around the pointer's column, or with both
  // the band height.
  void Wheel(const TimelineWheel& wheel, int x);
  void Key(TimelineKey key, int view);
  // Zoom so that the time keeps its column (x within the data area).
  void ZoomAround(int x, float factor);
  // Every event of the title in view; false (nothing changed) when there is none.
  bool ZoomToFit();
  // The time range in view, its first selected row at the top; false without a range.
  bool ZoomToSelection(double start, double end);
  void Centre(double seconds);
  // A pointer beyond the data area's edges during a gesture scrolls, the further the faster;
  // true when the view moved.
  bool AutoScroll(int x, int y, bool time, bool rows);

  TimelineGeometry Geometry() const;

 private:
  double ViewSeconds() const;
  // The time to show a tenth of the view from the left edge.
  void ShowAt(double seconds);
  void ShowRow(int row);
  // The zoom and left time that show start … end; false for an empty range.
  bool FitTime(double start, double end);
  std::optional<int> FirstEventOf(int view, bool last, int& row) const;

  TimelineState& state_;
  const TQ730AUTO& automation_;
  const TQ730* cues_;
  int rows_;
  int width_;
  int height_;
};

// The seconds a typed timecode names in the title's mode: "hh:mm:ss:ff" (fields may be
// shorter, missing leading fields count 0) or digits alone, read from the right as ff, ss, mm,
// hh. Empty with the reason in `error` when a field is out of range.
std::optional<double> ReadTimecode(std::string_view text, FrameRate rate, std::string& error);

}  // namespace orb
