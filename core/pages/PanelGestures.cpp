#include "core/pages/PanelGestures.h"

#include <algorithm>
#include <cmath>

#include "core/model/ParamModel.h"
#include "core/model/ValueText.h"

namespace orb {
namespace {

bool Inside(const PageRect& r, int x, int y, int grow = 0) {
  return x >= r.left - grow && x < r.left + r.width + grow && y >= r.top - grow &&
         y < r.top + r.height + grow;
}

bool IsButtonKind(int kind) {
  return (kind >= kKindSwitch && kind <= kKindTallCustom13 && kind != kKindGroupRow) ||
         kind == kKindTableCell || kind == kKindTiny || kind == kKindTab || kind == kKindMeter60 ||
         kind == kKindMeter61 || kind == kKindCustom106 || kind == 107;
}

// The graph handle within five pixels of (x, y); the first of the graph's list wins.
int NearHandle(const GraphPicture& graph, int x, int y) {
  for (const GraphHandle& h : graph.handles) {
    const int dx = x - h.x, dy = y - h.y;
    if (dx * dx + dy * dy <= 25) return h.section;
  }
  return -1;
}

int Truncate(double v) {
  return static_cast<int>(v);
}

// The band's first index in the shared frequency table.
constexpr int kBandOffset[6] = {0, 0, 18, 36, 54, 69};

}  // namespace

bool DisplayOnlyKind(int kind) {
  return kind == kKindTableHeader || kind == kKindCustom70 || kind == kKindFrame ||
         kind == kKindFrame72 || kind == kKindCustom80;
}

bool DisplayOnly(const PageControl& c) {
  const bool no_handles = c.kind != kKindSurroundGraph && c.graph.handles.empty();
  return c.display_only || DisplayOnlyKind(c.kind) ||
         (IsGraph(c.kind) && (!c.draggable || no_handles));
}

PanelHit HitControl(const PageControl& c, int x, int y) {
  const int kind = c.kind;
  if (DisplayOnly(c)) return {};
  if (IsButtonKind(kind)) return Inside(c.box, x, y) ? PanelHit{0, HitType::kButton} : PanelHit{};
  switch (kind) {
    case kKindGroupRow:
      return Inside(c.box, x, y) ? PanelHit{0, HitType::kGroupRow} : PanelHit{};
    case kKindKnob:
    case kKindBigKnob: {
      if (Inside(c.box, x, y)) return {0, HitType::kValueDrag};
      const int dx = x - c.dial.x, dy = y - c.dial.y, reach = c.radius + 4;
      return dx * dx + dy * dy <= reach * reach ? PanelHit{0, HitType::kKnobTurn} : PanelHit{};
    }
    case kKindFader:
    case kKindSmallFader:
    case kKindShortFader: {
      if (kind == kKindFader && Inside(c.box, x, y)) return {0, HitType::kValueDrag};
      const int reach = kind == kKindFader ? 10 : 7;
      const bool on_line = std::abs(x - c.cap.x) <= 7 && y >= c.cap.y - reach &&
                           y <= c.travel_top + c.travel + reach;
      return on_line ? PanelHit{0, HitType::kFaderDrag} : PanelHit{};
    }
    case kKindBar:
      return Inside(c.box, x, y, 1) ? PanelHit{0, HitType::kValueDrag} : PanelHit{};
    case kKindEqGraph:
    case kKindDynamicsGraph: {
      if (!c.draggable) return {};
      const int h = NearHandle(c.graph, x, y);
      if (h < 0) return {};
      return {0, kind == kKindEqGraph ? HitType::kEqHandle : HitType::kDynamicsHandle, h};
    }
    case kKindSurroundGraph:
      return c.draggable && Inside(c.box, x, y, 3) ? PanelHit{0, HitType::kSurroundPan}
                                                   : PanelHit{};
    default:
      return {};
  }
}

PanelHit HitTest(const PageScene& scene, int x, int y) {
  for (std::size_t i = 0; i < scene.controls.size(); ++i) {
    PanelHit hit = HitControl(scene.controls[i], x, y);
    if (hit.type == HitType::kNone) continue;
    hit.control = static_cast<int>(i);
    return hit;
  }
  return {};
}

int DraggedValue(const PageControl& c, HitType type, int start, int dx, int dy, bool fine,
                 bool falls) {
  if (c.max <= 0) return 0;
  double pixels = -dy, travel = kKnobDragTravel;
  if (type == HitType::kFaderDrag) {
    travel = c.travel;
  } else if (c.kind == kKindBar) {
    pixels = dx, travel = c.box.width;
  } else if (falls) {
    pixels = dy;
  }
  if (travel <= 0) return std::clamp(start, 0, c.max);
  if (fine) travel *= kFineDivisor;
  const double moved = std::round(pixels * c.max / travel);
  return static_cast<int>(std::clamp(start + moved, 0.0, static_cast<double>(c.max)));
}

int KnobTurnValue(const PageControl& knob, int x, int y) {
  double angle = 0;
  if (x != knob.dial.x || y != knob.dial.y)
    angle = std::atan2(x - knob.dial.x, knob.dial.y - y) * 360 / 6.28;
  if (angle > 180) angle -= 360;
  angle = std::clamp(angle, -150.0, 150.0);
  return std::clamp(Truncate((angle + 150) / 300 * knob.max), 0, std::max(knob.max, 0));
}

int ValueDragValue(const PageControl& c, int x) {
  const int span = c.kind == kKindBar ? c.box.width : c.box.width - 4;
  if (span <= 0 || c.max <= 0) return 0;
  const double v = static_cast<double>(x - c.box.left) * c.max / span + 0.5;
  return std::clamp(Truncate(v), 0, c.max);
}

int FaderDragValue(const PageControl& fader, int y) {
  if (fader.travel <= 0 || fader.max <= 0) return 0;
  const int bottom = fader.travel_top + fader.travel;
  const double v = static_cast<double>(fader.max) * (bottom - y) / fader.travel + 0.5;
  return std::clamp(Truncate(v), 0, fader.max);
}

int EqFrequencyIndex(const PageRect& g, int handle, int x) {
  if (g.width <= 0 || handle < 0 || handle > 5) return 0;
  const double w = g.width;
  const double index = (x + w / 127 - (g.left + 0.0429 * w)) * 131.4 / w;
  return Truncate(index) - kBandOffset[handle];
}

int EqGainIndex(const PageRect& g, int y) {
  const int half = g.height / 2;
  if (half <= 0) return 63;
  const double db = static_cast<double>(g.top + half - y) * 18 / half - 0.25;
  for (int i = 0; i < 127; ++i) {
    if (EqGainDb(i) > db) return i;
  }
  return 127;
}

int DynamicsThresholdIndex(const PageRect& g, int x) {
  if (g.width <= 0) return 0;
  const double db = std::clamp(63.0 * (x - g.left) / g.width - 63, -63.0, 0.0);
  for (int i = 0; i < 124; ++i) {
    if (ThresholdTenths(i) <= db * 10) return i;
  }
  return 124;
}

PanPoint SurroundPanAt(const PageRect& g, int x, int y) {
  if (g.width <= 0 || g.height <= 0) return {63, 63};
  const double cx = g.left + g.width / 2, cy = g.top + g.height / 2;
  return {std::clamp(Truncate((x - cx) * 126 / g.width + 63.5), 0, 126),
          std::clamp(Truncate((y - cy) * 126 / g.height + 63.5), 0, 126)};
}

}  // namespace orb
