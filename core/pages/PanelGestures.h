// The parameter panel's hit tests and gesture formulas: which control of a built page lies
// under the pointer and how, and the value a knob, bar, fader, graph handle or pan point takes
// at a pointer position.
#pragma once

#include "core/pages/PageScene.h"

namespace orb {

// What a press on a control starts.
enum class HitType : int {
  kNone = 0,
  kButton = 1,
  kKnobTurn = 2,
  kValueDrag = 3,
  kFaderDrag = 4,
  kEqHandle = 5,
  kDynamicsHandle = 6,
  kSurroundPan = 7,
  kGroupRow = 9,  // selects the group; no drag
};

struct PanelHit {
  int control = -1;  // index in the scene's controls
  HitType type = HitType::kNone;
  int handle = -1;  // EQ: band 0 … 5; dynamics: 0 COMP/DUCK, 1 EXP/GATE
};

// What the panel shows but never edits, which the hit test passes over: by kind the table's
// header cells and the frames; a graph without handles to drag (one not for editing, or whose
// sections are off); a control its page marks so (a cue's EVENT NAME, and its NUMBER and
// CHANNEL while it recalls nothing). Every other control acts when clicked or dragged.
bool DisplayOnlyKind(int kind);
bool DisplayOnly(const PageControl& control);

// The control under (x, y) and how it is hit; of overlapping controls the first in the list.
PanelHit HitControl(const PageControl& control, int x, int y);
PanelHit HitTest(const PageScene& scene, int x, int y);

// A drag moves a value relative to where it was grabbed, never to the pointer's place: knobs and
// value boxes by vertical movement, the whole range over this many pixels; faders along their
// travel and bars along their width, as far as they are long. fine: ten times finer.
inline constexpr int kKnobDragTravel = 200;
inline constexpr int kFineDivisor = 10;
// The value a control grabbed at start takes after the pointer moved by (dx, dy); falls: the
// shown value falls as the stored value rises (up still raises what the page shows).
int DraggedValue(const PageControl& c, HitType type, int start, int dx, int dy, bool fine,
                 bool falls);

// Knobs: the 300-degree travel from lower left (0) to lower right (max).
int KnobTurnValue(const PageControl& knob, int x, int y);
// Knobs, the big fader and bars: the value along the box's width.
int ValueDragValue(const PageControl& control, int x);
// Faders: the value along the travel from its bottom.
int FaderDragValue(const PageControl& fader, int y);

// EQ handle h (0 LF … 5 HF) of a graph in this box: the frequency parameter's index (before
// clamping to its maximum) and the gain index of the bands 1 … 4.
int EqFrequencyIndex(const PageRect& graph, int handle, int x);
int EqGainIndex(const PageRect& graph, int y);
// The dynamics threshold index at x: the first index not above the pointer's level.
int DynamicsThresholdIndex(const PageRect& graph, int x);
// The surround pan point at (x, y): "Surround Pan LR" and "Surround Pan FR", 0 … 126.
struct PanPoint {
  int lr = 0;
  int fr = 0;
};
PanPoint SurroundPanAt(const PageRect& graph, int x, int y);

}  // namespace orb
