// What one paint of the timeline shows, built without a display: the ruler, the label cells,
// each band's stepped curve reduced to what its pixel columns can show, the selection overlay
// and the fill gauge, plus the events that hit tests look for. The widget only draws it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/editor/Timeline.h"
#include "core/model/Q730auto.h"
#include "core/model/Q730classes.h"

namespace orb {

// One pixel column of a band's curve: the value held on entering it, the values its events
// reach, and the value it leaves with (all as y). A column with one event carries its marker;
// several events in one column cannot be told apart, so the column shows their extent.
struct CurveColumn {
  int x = 0;
  int enter_y = 0;
  int low_y = 0;  // the highest value (smallest y)
  int high_y = 0;
  int exit_y = 0;
  int events = 0;
};

// A mark of a band's value scale: a value of the view's unit at its height.
struct ScaleMark {
  int y = 0;
  std::string text;
};

struct BandCurve {
  int band = 0;
  int row = 0;
  int range = 0;
  // The value held at the data area's left edge: the last event before it, else the start
  // value; none (a dotted line at half the range, where start_y then lies) when the row has
  // neither.
  bool has_start = false;
  int start_y = 0;
  std::vector<CurveColumn> columns;  // left to right
  // Decibels on a level view, steps on a view of a few values, else percent of the range;
  // only as many as stay legible at the band's height, none on a view without values.
  std::vector<ScaleMark> scale;
};

struct BandLabel {
  Rect cell;
  bool exists = false;  // the row is a channel of the system data
  bool grey = false;    // the view has no events on this row's channel group
  std::string number;
  std::string name;
};

struct RulerLabel {
  int x = 0;
  std::string text;
};

// An event drawn in this paint, for grabbing it with the mouse.
struct VisibleEvent {
  int index = 0;  // in the automation list
  int row = 0;
  int band = 0;
  int x = 0;
  int y = 0;
  int value = 0;
  bool trigger = false;  // an event without a value: hit wherever its bar is
};

// A cue inside the visible time: a cyan line from the ruler down, its name in a box. The box
// sits in the ruler (lane 0) where it hides no ruler label, else in a lane just below it
// (lane 1), and is at most box_width pixels wide so that it leaves the next box in its lane
// and the next ruler label free; the painter shortens the name to fit.
struct CueMarker {
  int x = 0;
  std::string name;
  int lane = 0;
  int box_width = 0;
};
namespace timeline {
// A ruler label ("hh:mm:ss:00" at 10 px) is at most this wide.
inline constexpr int kRulerLabelWidth = 56;
// Narrower than this a cue's box would show no letter of its name.
inline constexpr int kMinCueBox = 16;
}  // namespace timeline

// A line across the data area: a band's border, or its middle and value-range lines.
struct BandLine {
  int y = 0;
  bool border = false;
};

// What the gesture under way adds: the stroke being written (pixels; a Free stroke as a
// polyline, a Line or Curve stroke as single points) and a grabbed event's marker.
struct GestureMarks {
  std::vector<std::pair<int, int>> stroke;
  bool stroke_free = false;
  bool marker = false;
  int marker_x = 0;
  int marker_y = 0;
  int marker_bar = 0;  // a trigger's marker has a twin this many pixels higher
};

struct SelectionOverlay {
  bool shown = false;
  int x1 = 0;
  int x2 = 0;
  bool start_line = false;  // x1 lies inside the data area
  std::vector<int> bands;   // the drawn bands whose rows are selected
};

struct TimelineScene {
  int width = 0;
  int height = 0;
  int band_height = 0;
  int gauge_percent = 0;
  bool gauge_red = false;
  std::vector<GridTick> grid;
  std::vector<RulerLabel> ruler;
  std::vector<BandLabel> labels;
  std::vector<BandLine> lines;
  std::vector<CueMarker> cues;
  std::vector<BandCurve> curves;
  // A drawn band shows an on/off view: only Free strokes can be written.
  bool free_only = false;
  SelectionOverlay selection;
  GestureMarks gesture;
  std::vector<VisibleEvent> visible;
};

struct SceneInput {
  const TQ730AUTO* automation = nullptr;
  const TQ730* system = nullptr;  // row labels; may be null
  int view = 0;
  double selection_start = 0;
  double selection_end = 0;
  int row_offset = 0;           // rows a selection being moved has moved by
  const TQ730* cues = nullptr;  // the cue list; may be null
};

// The fill gauge: percent of the automation memory, held at 100 above it; red as soon as the
// title can no longer be saved.
void FillGauge(std::int64_t words, int& percent, bool& red);

TimelineScene BuildScene(const TimelineState& state, int width, int height, const SceneInput& in);

// Whether a view is an on/off switch on some channel of the layout: then strokes are Free only.
bool OnOffView(const TQ730AUTO& automation, int view);

// The write popup's shapes as it opens on a view.
struct WriteMenu {
  WriteShape chosen = WriteShape::kFree;
  bool free_only = false;
  bool Enabled(WriteShape shape) const { return shape == WriteShape::kFree || !free_only; }
};
// On an on/off view the chosen shape falls back to Free, and no other shape can be chosen.
WriteMenu OpenWriteMenu(TimelineState& state, const TQ730AUTO& automation, int view);

// The visible event of row under the pointer: x within the hit slack and (but for a trigger)
// its value's y too; the latest such event. Null when none.
const VisibleEvent* HitEvent(const TimelineScene& scene, int row, int x, int y);

}  // namespace orb
