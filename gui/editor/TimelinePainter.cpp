#include "gui/editor/TimelinePainter.h"

#include <QFontMetrics>
#include <QLine>
#include <QPainter>
#include <QVarLengthArray>
#include <QVector>
#include <algorithm>
#include <utility>
#include <vector>

#include "gui/common/Painting.h"
#include "gui/common/Text.h"

namespace orb {

namespace {

using namespace timeline;

const QColor kRulerGrey(224, 224, 224);
const QColor kDataBlue(0, 42, 64);
const QColor kMajorGrid(89, 89, 89);
const QColor kMinorGrid(64, 64, 64);
const QColor kRulerText(64, 64, 64);
const QColor kBandBorder(153, 153, 153);
const QColor kBandInner(89, 89, 89);
const QColor kGreyLabel(128, 128, 128);
const QColor kCurve(255, 255, 0);
const QColor kMarkerRim(224, 224, 224);
const QColor kStrokeGrey(128, 128, 128);
const QColor kScaleText(120, 160, 185);

// Markers closer than this to the last one drawn in a band could not be told apart.
constexpr int kMarkerSpacing = 6;

QFont Font(int pixels, bool bold) {
  QFont font("Arial");
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// The rows a band covers on the surface, the bottom excluded; empty when it lies below it.
std::pair<int, int> BandRows(const TimelineScene& scene, int band) {
  const int top = std::clamp(kRulerHeight + band * scene.band_height, kRulerHeight, scene.height);
  const int bottom =
      std::clamp(kRulerHeight + (band + 1) * scene.band_height, kRulerHeight, scene.height);
  return {top, bottom};
}

QColor Inverse(const QColor& colour) {
  return QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue());
}

// The selected bands of the data area show inverted. Inverting them once drawn would pass over
// every pixel of a long selection a second time, so what lies there is drawn in its inverse
// colours from the start: fills and strokes split at the selection's edges, and everything
// else wholly inside takes the inverse colours (smoothed text too: its blend of pen and ground
// inverts with them).
class InvertedArea {
 public:
  explicit InvertedArea(const TimelineScene& scene) {
    const SelectionOverlay& s = scene.selection;
    if (!s.shown || s.x2 - s.x1 < 2) return;
    left_ = s.x1 + 1;
    right_ = s.x2 - 1;
    for (const int band : s.bands) {  // in drawing order, so touching bands join
      const auto [top, bottom] = BandRows(scene, band);
      if (bottom <= top) continue;
      if (!rows_.empty() && rows_.back().second == top) {
        rows_.back().second = bottom;
      } else {
        rows_.push_back({top, bottom});
      }
    }
  }

  // Cuts a rectangle into pieces that lie wholly inside or wholly outside the area.
  template <class Piece>
  void Split(const QRect& r, Piece&& piece) const {
    if (rows_.empty() || r.right() < left_ || r.left() > right_ ||
        r.bottom() < rows_.front().first || r.top() >= rows_.back().second) {
      piece(r, false);
      return;
    }
    const int l = std::max(r.left(), left_), rr = std::min(r.right(), right_);
    if (r.left() < l) piece(QRect(QPoint(r.left(), r.top()), QPoint(l - 1, r.bottom())), false);
    if (r.right() > rr) piece(QRect(QPoint(rr + 1, r.top()), QPoint(r.right(), r.bottom())), false);
    int y = r.top();
    for (const auto& [top, bottom] : rows_) {
      if (bottom <= y) continue;
      if (top > r.bottom()) break;
      if (top > y) {
        piece(QRect(QPoint(l, y), QPoint(rr, top - 1)), false);
        y = top;
      }
      const int end = std::min(bottom - 1, r.bottom());
      piece(QRect(QPoint(l, y), QPoint(rr, end)), true);
      y = end + 1;
    }
    if (y <= r.bottom()) piece(QRect(QPoint(l, y), QPoint(rr, r.bottom())), false);
  }

  enum Place { kOutside, kInside, kAcross };
  Place Where(const QRect& r) const {
    int pieces = 0;
    bool inside = false;
    Split(r, [&](const QRect&, bool in) {
      ++pieces;
      inside = in;
    });
    return pieces > 1 ? kAcross : inside ? kInside : kOutside;
  }

  void Fill(QPainter& painter, const QRect& r, const QColor& colour) const {
    Split(r, [&](const QRect& piece, bool in) {
      painter.fillRect(piece, in ? Inverse(colour) : colour);
    });
  }

  // Draws what lies within bounds, draw(true) in inverse colours where the area holds it all.
  // Across the area's edge it is drawn as it is, then inverted where the area covers it; that
  // inversion goes line by line, so it is kept for the few things the edge cuts.
  template <class Draw>
  void DrawInk(QPainter& painter, const QRect& bounds, Draw&& draw) const {
    switch (Where(bounds)) {
      case kOutside:
        draw(false);
        return;
      case kInside:
        draw(true);
        return;
      case kAcross:
        DrawPlainly(painter, bounds, [&] { draw(false); });
        return;
    }
  }

  template <class Draw>
  void DrawPlainly(QPainter& painter, const QRect& bounds, Draw&& draw) const {
    QVarLengthArray<QRect, 8> inside;
    Split(bounds, [&](const QRect& piece, bool in) {
      if (in) inside.append(piece);
    });
    if (inside.isEmpty()) {
      draw();
      return;
    }
    Invert(painter, inside);
    draw();
    Invert(painter, inside);
  }

 private:
  static void Invert(QPainter& painter, const QVarLengthArray<QRect, 8>& rects) {
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const QRect& r : rects) painter.fillRect(r, Qt::white);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }

  int left_ = 0, right_ = -1;              // columns, both inclusive
  std::vector<std::pair<int, int>> rows_;  // from top to bottom, the bottom excluded
};

// An event's marker: a light grey ring around a white dot.
struct Markers {
  QVector<QRect> rims;
  QVector<QRect> dots;
  void Add(int x, int y) {
    if (y < 0) return;
    rims.append(QRect(QPoint(x - 2, y - 3), QPoint(x + 3, y + 2)));
    dots.append(QRect(QPoint(x - 1, y - 2), QPoint(x + 1, y)));
  }
  // Markers wholly inside the inverted area take the inverse colours; the few across its edge
  // are drawn one by one.
  void Draw(QPainter& painter, const InvertedArea& area) const {
    QVector<QRect> rims_in, dots_in, rims_out, dots_out;
    QVector<int> across;
    for (int i = 0; i < rims.size(); ++i) {
      switch (area.Where(rims[i].adjusted(-1, -1, 1, 1))) {
        case InvertedArea::kOutside:
          rims_out.append(rims[i]);
          dots_out.append(dots[i]);
          break;
        case InvertedArea::kInside:
          rims_in.append(rims[i]);
          dots_in.append(dots[i]);
          break;
        case InvertedArea::kAcross:
          across.append(i);
          break;
      }
    }
    painter.setPen(Qt::NoPen);
    auto draw = [&painter](const QVector<QRect>& rings, const QVector<QRect>& centres,
                           bool inverse) {
      painter.setBrush(inverse ? Inverse(kMarkerRim) : kMarkerRim);
      for (const QRect& r : rings) painter.drawEllipse(r);
      painter.setBrush(inverse ? QColor(Qt::black) : QColor(Qt::white));
      for (const QRect& r : centres) painter.drawEllipse(r);
    };
    draw(rims_out, dots_out, false);
    draw(rims_in, dots_in, true);
    for (const int i : across) {
      area.DrawPlainly(painter, rims[i].adjusted(-1, -1, 1, 1),
                       [&] { draw({rims[i]}, {dots[i]}, false); });
    }
    painter.setBrush(Qt::NoBrush);
  }
};

// A curve's lines run across or down only, so they are filled as one-pixel rectangles, which
// the raster engine draws far faster than lines.
struct Strokes {
  QVector<QRect> rects;
  void append(const QLine& line) {
    rects.append(QRect(QPoint(std::min(line.x1(), line.x2()), std::min(line.y1(), line.y2())),
                       QPoint(std::max(line.x1(), line.x2()), std::max(line.y1(), line.y2()))));
  }
  void Fill(QPainter& painter, const InvertedArea& area, const QColor& colour) const {
    for (const QRect& r : rects) area.Fill(painter, r, colour);
  }
};

// A stepped curve: the value holds until the next event, then steps to it.
void AddCurve(const BandCurve& curve, int band_height, int width, Strokes& lines,
              QVector<QLine>& dotted, Markers& markers) {
  if (curve.range == 0) {
    // Triggers: a bar the height of the value range, marked at both ends.
    int last_marker = -kMarkerSpacing;
    for (const CurveColumn& c : curve.columns) {
      const int top = c.exit_y - (band_height - 8);
      lines.append(QLine(c.x, c.exit_y, c.x, top));
      if (c.x - last_marker < kMarkerSpacing) continue;
      markers.Add(c.x, c.exit_y);
      markers.Add(c.x, top);
      last_marker = c.x;
    }
    return;
  }
  int x = kLabelWidth;
  int y = curve.start_y;
  bool first = true;
  int last_marker = -kMarkerSpacing;
  for (const CurveColumn& c : curve.columns) {
    const QLine held(x, y - 1, c.x, y - 1);
    if (first && !curve.has_start) {
      dotted.append(held);
    } else {
      lines.append(held);
    }
    first = false;
    const int top = std::min({c.enter_y, c.low_y, c.exit_y});
    const int bottom = std::max({c.enter_y, c.high_y, c.exit_y});
    if (top != bottom) lines.append(QLine(c.x, top - 1, c.x, bottom - 1));
    // A column of several events shows their extent; its markers would only blur into one.
    if (c.events == 1 && c.x - last_marker >= kMarkerSpacing) {
      markers.Add(c.x, c.exit_y);
      last_marker = c.x;
    }
    x = c.x;
    y = c.exit_y;
  }
  const QLine rest(x, y - 1, width - 1, y - 1);
  if (first && !curve.has_start) {
    dotted.append(rest);
  } else {
    lines.append(rest);
  }
}

void DrawCurves(QPainter& painter, const TimelineScene& scene, const InvertedArea& area) {
  Strokes lines;
  QVector<QLine> dotted;
  Markers markers;
  for (const BandCurve& curve : scene.curves)
    AddCurve(curve, scene.band_height, scene.width, lines, dotted, markers);
  lines.Fill(painter, area, kCurve);
  for (const QLine& line : dotted) {
    area.DrawInk(painter, QRect(line.p1(), line.p2()).normalized().adjusted(-1, -1, 1, 1),
                 [&](bool inverse) {
                   painter.setPen(QPen(inverse ? Inverse(kCurve) : kCurve, 1, Qt::DotLine));
                   painter.drawLine(line);
                 });
  }
  markers.Draw(painter, area);
}

void DrawLabels(QPainter& painter, const TimelineScene& scene, const TimelineFonts& fonts) {
  // The cells end one pixel short of the next one's top, so each keeps its grey bottom edge
  // and the rows stay apart.
  DrawRaisedCell(painter, QRect(QPoint(1, 1), QPoint(191, kRulerHeight - 1)), kRulerGrey);
  painter.setFont(fonts.label);
  const QFontMetrics metrics(fonts.label);
  for (const BandLabel& label : scene.labels) {
    const QRect cell(label.cell.left, label.cell.top, label.cell.right - label.cell.left,
                     label.cell.bottom - label.cell.top);
    DrawRaisedCell(painter, cell, Qt::white);
    if (!label.exists) continue;
    painter.setPen(label.grey ? kGreyLabel : QColor(Qt::black));
    const int base = label.cell.top + 2 + metrics.ascent();
    painter.drawText(4, base, TextOf(label.number));
    painter.drawText(52, base,
                     metrics.elidedText(TextOf(label.name), Qt::ElideRight, 192 - 52 - 4));
  }
}

void DrawGridAndRuler(QPainter& painter, const TimelineScene& scene, const TimelineFonts& fonts,
                      const InvertedArea& area) {
  const int bottom = scene.height - 1;
  // Filled one pixel wide: the raster engine fills rectangles far faster than it draws lines.
  for (const GridTick& tick : scene.grid) {
    const int top = tick.major ? 1 : kRulerHeight;
    area.Fill(painter, QRect(tick.x, top, 1, bottom - top + 1),
              tick.major ? kMajorGrid : kMinorGrid);
  }
  painter.setFont(fonts.small);
  painter.setPen(kRulerText);
  const int ascent = QFontMetrics(fonts.small).ascent();
  for (const RulerLabel& label : scene.ruler)
    painter.drawText(label.x, 4 + ascent, TextOf(label.text));

  for (const BandLine& line : scene.lines) {
    area.Fill(painter, QRect(kLabelWidth + 1, line.y, scene.width - kLabelWidth - 2, 1),
              line.border ? kBandBorder : kBandInner);
  }
}

void DrawCues(QPainter& painter, const TimelineScene& scene, const TimelineFonts& fonts,
              const InvertedArea& area) {
  painter.setFont(fonts.small);
  const QFontMetrics metrics(fonts.small);
  for (const CueMarker& cue : scene.cues) {
    area.Fill(painter, QRect(cue.x, kRulerHeight, 1, scene.height - kRulerHeight),
              QColor(0, 255, 255));
    if (cue.box_width < 4) continue;
    // A crowded box shows as much of the name as its room allows.
    const QString name = metrics.elidedText(TextOf(cue.name), Qt::ElideRight, cue.box_width - 6);
    const int top = cue.lane == 0 ? 2 : kRulerHeight + 1;
    const int width = std::min(cue.box_width, metrics.horizontalAdvance(name) + 7);
    const QRect box(cue.x - 3, top, width, 17);
    const int base = top + 2 + metrics.ascent();
    const QRect bounds =
        box.united(metrics.boundingRect(name).translated(cue.x, base)).adjusted(-2, -2, 2, 2);
    area.DrawInk(painter, bounds, [&](bool inverse) {
      painter.fillRect(box, inverse ? Qt::black : Qt::white);
      painter.setPen(inverse ? Qt::white : Qt::black);
      painter.drawRect(box.adjusted(0, 0, -1, -1));
      painter.drawText(cue.x, base, name);
    });
  }
}

void DrawScales(QPainter& painter, const TimelineScene& scene, const TimelineFonts& fonts,
                const InvertedArea& area) {
  painter.setFont(fonts.small);
  const QFontMetrics metrics(fonts.small);
  const int half = metrics.ascent() / 2;
  for (const BandCurve& curve : scene.curves) {
    for (const ScaleMark& mark : curve.scale) {
      area.Fill(painter, QRect(kLabelWidth + 1, mark.y - 1, 4, 1), kScaleText);
      const QString text = TextOf(mark.text);
      const QPoint at(kLabelWidth + 7, mark.y - 1 + half);
      area.DrawInk(painter, metrics.boundingRect(text).translated(at).adjusted(-2, -2, 2, 2),
                   [&](bool inverse) {
                     painter.setPen(inverse ? Inverse(kScaleText) : kScaleText);
                     painter.drawText(at, text);
                   });
    }
  }
}

// The data area's part of the selection is drawn inverted as it is painted; the band labels
// and the line at the selection's start are inverted here.
void DrawSelection(QPainter& painter, const TimelineScene& scene) {
  const SelectionOverlay& s = scene.selection;
  if (!s.shown) return;
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  for (const int band : s.bands) {
    const auto [top, bottom] = BandRows(scene, band);
    if (bottom <= top) continue;
    painter.fillRect(QRect(1, top, 191, bottom - top), Qt::white);
  }
  if (s.start_line) {
    painter.setPen(Qt::white);
    painter.drawLine(s.x1, kRulerHeight, s.x1, scene.height - 1);
  }
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void DrawGesture(QPainter& painter, const TimelineScene& scene) {
  const GestureMarks& g = scene.gesture;
  if (g.stroke_free && g.stroke.size() > 1) {
    painter.setPen(kStrokeGrey);
    QVector<QLine> lines;
    for (std::size_t i = 1; i < g.stroke.size(); ++i) {
      const auto [x1, y1] = g.stroke[i - 1];
      const auto [x2, y2] = g.stroke[i];
      lines.append(QLine(x1, y1 - 1, x2, y1 - 1));
      lines.append(QLine(x2, y1 - 1, x2, y2 - 1));
    }
    painter.drawLines(lines);
  }
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  if (!g.stroke_free) {
    painter.setPen(Qt::white);
    for (const auto& [x, y] : g.stroke) painter.drawPoint(x, y - 1);
  }
  if (g.marker) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    auto dot = [&](int y) {
      painter.drawEllipse(QRect(QPoint(g.marker_x - 2, y - 3), QPoint(g.marker_x + 3, y + 2)));
    };
    dot(g.marker_y);
    if (g.marker_bar > 0) {
      dot(g.marker_y - g.marker_bar);
      painter.setPen(Qt::white);
      painter.drawLine(g.marker_x, g.marker_y - g.marker_bar + 3, g.marker_x, g.marker_y - 4);
    }
    painter.setBrush(Qt::NoBrush);
  }
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

}  // namespace

TimelineFonts::TimelineFonts(bool bold) : label(Font(15, bold)), small(Font(10, false)) {}

void PaintTimeline(QImage& buffer, const TimelineScene& scene, const TimelineFonts& fonts) {
  if (buffer.isNull()) return;
  const int right = scene.width - 1, bottom = scene.height - 1;
  QPainter painter(&buffer);
  painter.fillRect(QRect(0, 0, scene.width, scene.height), Qt::white);
  painter.fillRect(QRect(QPoint(kLabelWidth, 0), QPoint(right, kRulerHeight)), kRulerGrey);
  const InvertedArea area(scene);
  area.Fill(painter, QRect(QPoint(kLabelWidth, kRulerHeight), QPoint(right, bottom)), kDataBlue);
  DrawGridAndRuler(painter, scene, fonts, area);
  DrawLabels(painter, scene, fonts);
  DrawScales(painter, scene, fonts, area);
  DrawCues(painter, scene, fonts, area);
  DrawCurves(painter, scene, area);
  DrawSelection(painter, scene);
  DrawGesture(painter, scene);
  DrawSurfaceFrame(painter, QSize(scene.width, scene.height));
}

}  // namespace orb
