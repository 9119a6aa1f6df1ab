#include "gui/pages/PagePainter.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStaticText>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "gui/common/Painting.h"
#include "gui/common/Text.h"

namespace orb {
namespace {

const QColor kSwitchOn(48, 208, 72);
const QColor kSwitchOff(150, 154, 158);
const QColor kPanelInk(214, 218, 224);
const QColor kCaptionInk(176, 184, 194);
const QColor kDisplayBack(14, 18, 22);
const QColor kDisplayInk(150, 240, 170);
const QColor kGraphBack(8, 16, 30);
const QColor kGraphGrid(40, 62, 88);
const QColor kDialArc(92, 98, 106);
const QColor kDialValue(255, 160, 40);
const QColor kFocusInk(255, 220, 90);

QColor Colour(Rgb c) {
  return QColor(c.r, c.g, c.b);
}
QRect Box(const PageRect& r) {
  return QRect(r.left, r.top, r.width, r.height);
}
QString Text(const std::string& text) {
  return TextOf(text);
}

// Made once: a page sets a font for nearly every control it paints.
const QFont& Font(int pixels, bool bold = false, bool mono = false) {
  static auto* fonts = new std::map<int, QFont>;  // never freed: fonts outlive the painting
  const int key = pixels * 4 + (bold ? 2 : 0) + (mono ? 1 : 0);
  auto found = fonts->find(key);
  if (found == fonts->end()) {
    QFont font(mono ? "Liberation Mono" : "Liberation Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    found = fonts->emplace(key, font).first;
  }
  return found->second;
}

// The print of a text in a room of this width: the given size, or as much smaller, down to 8
// pixels, as it takes to fit. Measured once per text, size and room.
const QFont& FittingFont(const std::string& text, int room, int pixels, bool bold,
                         bool mono = false) {
  using Key = std::tuple<std::string, int, int, int>;
  static auto* fitted = new std::map<Key, int>;  // never freed, like the fonts
  const Key key{text, room, pixels, (bold ? 2 : 0) + (mono ? 1 : 0)};
  auto found = fitted->find(key);
  if (found == fitted->end()) {
    // Blanks leave no ink: a value's leading blank may go under the display's edge.
    const QString shown = TextOf(text).trimmed();
    int size = pixels;
    while (size > 8 &&
           QFontMetrics(Font(size, bold, mono)).boundingRect(QRect(), 0, shown).width() > room)
      --size;
    found = fitted->emplace(key, size).first;
  }
  return Font(found->second, bold, mono);
}

QFont HeaderFont(int pixels = kHeaderPixels) {
  return Font(pixels, true);
}
const QFont& CaptionFont() {
  return Font(9, true);
}
const QFont& LabelFont() {
  return Font(10, true);
}

// The surface of each page: the CHANNEL pages in slate, the libraries in their own tints.
QColor PictureColour(PagePicture picture) {
  switch (picture) {
    case PagePicture::kDynLib:
      return QColor(50, 46, 62);
    case PagePicture::kEqLib:
      return QColor(42, 54, 58);
    case PagePicture::kBus:
      return QColor(52, 56, 50);
    case PagePicture::kReturn:
      return QColor(56, 52, 48);
    case PagePicture::kInputAssign:
    case PagePicture::kOutputAssign:
      return QColor(44, 48, 56);
    case PagePicture::kFader:
    case PagePicture::kOverview:
      return QColor(48, 50, 54);
    case PagePicture::kSnapshot:
      return QColor(54, 50, 46);
    case PagePicture::kFaderGroup:
    case PagePicture::kIsolate:
    case PagePicture::kSetup:
      return QColor(44, 48, 56);
    case PagePicture::kCue:
      return QColor(236, 238, 240);
    default:
      return QColor(46, 52, 60);
  }
}

QColor Over(const QColor& base, const QColor& ink, int alpha) {
  const auto mix = [alpha](int under, int over) {
    return (over * alpha + under * (255 - alpha)) / 255;
  };
  return QColor(mix(base.red(), ink.red()), mix(base.green(), ink.green()),
                mix(base.blue(), ink.blue()));
}

// The edges of a raised or sunken part. Over a known plain colour they are drawn opaque: long
// translucent lines are blended row by row, which on tall plates costs more than the plates.
void Bevel(QPainter& p, const QRect& r, bool sunken, const QColor& base = QColor()) {
  const QColor light = base.isValid() ? Over(base, Qt::white, 110) : QColor(255, 255, 255, 110);
  const QColor dark = base.isValid() ? Over(base, Qt::black, 150) : QColor(0, 0, 0, 150);
  p.setPen(sunken ? dark : light);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(sunken ? light : dark);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}

// The tab a plate's name is engraved in: its top right corner, or its bottom right one.
QRect CaptionTab(const PageFrame& frame) {
  const QRect r = Box(frame.box);
  const int w = QFontMetrics(CaptionFont()).horizontalAdvance(Text(frame.caption)) + 8;
  return QRect(r.right() - w - 4, frame.caption_below ? r.bottom() - 11 : r.top() + 1, w, 11);
}

// A section of the console's surface: a raised plate with its name engraved in the top edge.
void DrawFrame(QPainter& p, const PageFrame& frame, const QColor& surface) {
  const QRect r = Box(frame.box);
  const QColor plate = surface.lighter(112);
  p.fillRect(r, plate);
  Bevel(p, r, false, plate);
  if (frame.caption.empty()) return;
  const QRect tab = CaptionTab(frame);
  p.fillRect(tab, surface.darker(130));
  p.setFont(CaptionFont());
  p.setPen(QColor(232, 176, 80));
  p.drawText(tab, Qt::AlignCenter, Text(frame.caption));
}

// The strip behind the page caption: the header colour, a shade darker than the surface, with a
// groove under it.
void DrawHeaderStrip(QPainter& p, const QColor& surface) {
  const QRect strip(1, 1, kPanelWidth - 2, kHeaderStrip - 1);
  QLinearGradient shade(strip.topLeft(), strip.bottomLeft());
  shade.setColorAt(0, QColor(24, 40, 70));
  shade.setColorAt(1, QColor(16, 26, 46));
  p.fillRect(strip, shade);
  p.setPen(surface.darker(160));
  p.drawLine(1, kHeaderStrip, kPanelWidth - 2, kHeaderStrip);
  p.setPen(surface.lighter(130));
  p.drawLine(1, kHeaderStrip + 1, kPanelWidth - 2, kHeaderStrip + 1);
}

// Where the header's white print goes: the line at (14, 9), or ending 14 pixels from the right.
QRect HeaderPlace(const PageScene& scene) {
  const QFontMetrics metrics(HeaderFont(scene.header_pixels));
  const int width = metrics.horizontalAdvance(Text(scene.header));
  const int x = scene.header_right ? kPanelWidth - 14 - width : 14;
  return QRect(x, 9, width, metrics.height());
}

void DrawHeader(QPainter& p, const PageScene& scene) {
  if (scene.header.empty()) return;
  p.setFont(HeaderFont(scene.header_pixels));
  const QString text = Text(scene.header);
  const QRect at = HeaderPlace(scene);
  const int ascent = QFontMetrics(p.font()).ascent();
  p.setPen(Qt::black);
  p.drawText(at.left() + 2, at.top() + 2 + ascent, text);
  p.setPen(Qt::white);
  p.drawText(at.left(), at.top() + ascent, text);
}

QRect CaptionRoom(const PageControl& c) {
  const QRect r = Box(c.box);
  return QRect(r.left() - 10, r.top() - 12, r.width() + 20, 11);
}
constexpr int kCaptionAlign = Qt::AlignHCenter | Qt::AlignBottom;

void DrawCaption(QPainter& p, const PageControl& c) {
  if (c.caption.empty()) return;
  p.setFont(CaptionFont());
  p.setPen(kCaptionInk);
  p.drawText(CaptionRoom(c), kCaptionAlign, Text(c.caption));
}

QRect LabelRoom(const PageText& t) {
  return QRect(t.x - 30, t.y, 60, 11);
}
constexpr int kLabelAlign = Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip;

// One line of print centred in a box. Faces repeat across a page (bus numbers, "EQ", channel
// numbers) and the OVERVIEW page has hundreds: each is laid out once.
void DrawCentred(QPainter& p, const QRect& r, const std::string& text, int pixels) {
  static auto* laid_out = new std::map<std::pair<std::string, int>, QStaticText>;  // never freed
  auto found = laid_out->find({text, pixels});
  if (found == laid_out->end()) {
    QStaticText line(Text(text));
    line.setTextFormat(Qt::PlainText);
    line.prepare(QTransform(), Font(pixels, true));
    found = laid_out->emplace(std::pair{text, pixels}, line).first;
  }
  const QSizeF size = found->second.size();
  p.drawStaticText(QPointF(r.left() + (r.width() - size.width()) / 2,
                           r.top() + (r.height() - size.height()) / 2),
                   found->second);
}

// Small keys and two-line faces in the smaller print, the tiny bus keys smaller still; a face
// wider than its key inside the border and bevel smaller again.
const QFont& SwitchFont(const PageControl& c) {
  const QRect r = Box(c.box);
  const bool two_lines = c.face.find('\n') != std::string::npos;
  const bool small = r.height() <= 14 || r.width() <= 30 || two_lines;
  return FittingFont(c.face, r.width() - 4, r.height() <= 12 ? 8 : small ? 9 : 10, true);
}

void DrawSwitch(QPainter& p, const PageControl& c) {
  const QRect r = Box(c.box);
  const QColor face = c.lit ? kSwitchOn : kSwitchOff;
  if (r.height() <= 12) {
    p.fillRect(r, c.pressed ? face.darker(115) : face);  // too small for a shade
  } else {
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, c.pressed ? face.darker(125) : face.lighter(118));
    shade.setColorAt(1, c.pressed ? face.darker(105) : face.darker(118));
    p.fillRect(r, shade);
  }
  p.setPen(Qt::black);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  Bevel(p, r.adjusted(1, 1, -2, -2), c.pressed);
  if (c.face.empty()) return;
  const QFont& font = SwitchFont(c);
  p.setFont(font);
  p.setPen(c.lit ? QColor(10, 40, 14) : QColor(30, 32, 36));
  const QRect at = r.translated(c.pressed ? 1 : 0, c.pressed ? 1 : 0);
  if (c.face.find('\n') != std::string::npos) {
    p.drawText(at, Qt::AlignCenter, Text(c.face));
  } else {
    DrawCentred(p, at, c.face, font.pixelSize());
  }
}

const QFont& RoutingFont(const PageControl& c) {
  return Font(c.face.find('\n') != std::string::npos ? 10 : 11, true);
}

// A routing button: a dark key with its source in one or two lines of light print.
void DrawRoutingButton(QPainter& p, const PageControl& c) {
  const QRect r = Box(c.box).adjusted(1, 1, -1, -1);
  const QColor face = c.pressed ? QColor(70, 110, 160) : QColor(58, 64, 74);
  QLinearGradient shade(r.topLeft(), r.bottomLeft());
  shade.setColorAt(0, face.lighter(125));
  shade.setColorAt(1, face.darker(125));
  p.fillRect(r, shade);
  p.setPen(Qt::black);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  Bevel(p, r.adjusted(1, 1, -2, -2), c.pressed);
  const QString text = Text(c.face);
  p.setFont(RoutingFont(c));
  p.setPen(c.unconnected ? kCaptionInk.darker(130) : QColor(236, 240, 246));
  p.drawText(r.translated(c.pressed ? 1 : 0, c.pressed ? 1 : 0), Qt::AlignCenter, text);
}

// The pick list as the page fills it; the panel's list box takes this place when it edits.
void DrawPickList(QPainter& p, const PagePickList& list) {
  if (list.box.width <= 0) return;
  const QRect r = Box(list.box);
  p.fillRect(r, Qt::white);
  Bevel(p, r, true);
  p.save();
  p.setClipRect(r.adjusted(2, 2, -2, -2));
  p.setFont(Font(12));
  p.setPen(Qt::black);
  constexpr int kItemHeight = 15;
  int y = r.top() + 2;
  for (const PickItem& item : list.items) {
    if (y > r.bottom()) break;
    p.drawText(QRect(r.left() + 4, y, r.width() - 8, kItemHeight), Qt::AlignLeft | Qt::AlignVCenter,
               Text(item.text));
    y += kItemHeight;
  }
  p.restore();
}

const QFont& TextBoxFont() {
  return Font(11, true);
}

void DrawTextBox(QPainter& p, const PageControl& c) {
  const QRect r = Box(c.box);
  p.fillRect(r, kDisplayBack);
  Bevel(p, r, true);
  p.setFont(TextBoxFont());
  p.setPen(kDisplayInk);
  p.drawText(r, Qt::AlignCenter, Text(c.face));
  DrawCaption(p, c);
}

// A send or pan bar: a lamp-lit strip filled from the left (levels) or from its centre mark
// (pans), green while its switch is on.
void DrawBar(QPainter& p, const PageControl& c) {
  const QRect r = Box(c.box);
  p.fillRect(r, kDisplayBack);
  const QColor ink = c.lit ? kSwitchOn : kSwitchOff;
  const int span = r.width() - 2;
  const auto at = [&](int value) {
    return r.left() + 1 + (c.max > 0 ? span * std::clamp(value, 0, c.max) / c.max : 0);
  };
  const int from = c.centre > 0 ? at(c.centre) : r.left() + 1, to = at(c.value);
  p.fillRect(
      QRect(QPoint(std::min(from, to), r.top() + 1), QPoint(std::max(from, to), r.bottom() - 1)),
      ink);
  if (c.centre > 0) {
    p.setPen(Qt::white);
    p.drawLine(from, r.top(), from, r.bottom());
  }
}

// A cell of a table: black print on white between light grey lines; the header row grey.
void DrawTableCell(QPainter& p, const PageControl& c) {
  const QRect r = Box(c.box);
  const bool header = c.kind == kKindTableHeader;
  p.fillRect(r, header ? QColor(212, 214, 218) : QColor(Qt::white));
  p.setPen(QColor(192, 194, 198));
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.setFont(Font(12, header));
  p.setPen(Qt::black);
  p.drawText(r.adjusted(4, 0, -3, 0),
             (header ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, Text(c.face));
}

const QFont& GroupRowFont() {
  return Font(14, true);
}

// A fader group row: a plate with its name at the left; the chosen group's row is outlined.
void DrawGroupRow(QPainter& p, const PageControl& c, const QColor& surface) {
  const QRect r = Box(c.box);
  p.fillRect(r, c.pressed ? QColor(64, 84, 116) : surface.lighter(120));
  Bevel(p, r, false);
  if (c.pressed) {
    p.setPen(QPen(QColor(255, 200, 80), 2));
    p.drawRect(r.adjusted(1, 1, -1, -1));
  }
  p.setFont(GroupRowFont());
  p.setPen(c.pressed ? Qt::white : kPanelInk);
  p.drawText(r.adjusted(12, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, Text(c.face));
}

// The display of a knob's or fader's value, and what it shows: the small faders' displays the
// value alone.
QRect ValueDisplay(const PageControl& c) {
  const QRect r = Box(c.box);
  if (!IsKnob(c.kind)) return r;
  return r.adjusted(2 * (c.dial.x - r.left()), 2, 0, -2);
}
bool Narrow(const QRect& display) {
  return display.width() < 40;
}
std::string ValueShown(const PageControl& c, const QRect& display) {
  return c.value_text.value + (Narrow(display) ? "" : c.value_text.unit);
}
QRect ValueRoom(const QRect& display) {
  const bool narrow = Narrow(display);
  return display.adjusted(narrow ? 1 : 2, 0, narrow ? -1 : -3, 0);
}
const QFont& ValueFont(const PageControl& c, const QRect& display) {
  const int pixels = display.height() > 24 ? 11 : Narrow(display) ? 9 : 10;
  return FittingFont(ValueShown(c, display), ValueRoom(display).width(), pixels, false, true);
}
constexpr int kValueAlign = Qt::AlignRight | Qt::AlignVCenter;

// The value and unit in the display beside a dial or above a fader.
void DrawValue(QPainter& p, const PageControl& c) {
  const QRect r = ValueDisplay(c);
  p.fillRect(r, kDisplayBack);
  Bevel(p, r, true);
  p.setFont(ValueFont(c, r));
  p.setPen(kDisplayInk);
  p.drawText(ValueRoom(r), kValueAlign, Text(ValueShown(c, r)));
}

QPointF OnCircle(QPointF centre, double radius, double degrees) {
  const double a = degrees * M_PI / 180;
  return {centre.x() + radius * std::sin(a), centre.y() - radius * std::cos(a)};
}

void DrawKnob(QPainter& p, const PageControl& c) {
  DrawValue(p, c);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF centre(c.dial.x + 0.5, c.dial.y + 0.5);
  const double rad = c.radius;
  const QRectF ring(centre.x() - rad - 2.5, centre.y() - rad - 2.5, 2 * rad + 5, 2 * rad + 5);
  // Qt counts angles anticlockwise from three o'clock in sixteenths of a degree.
  const auto qt_angle = [](double degrees) { return static_cast<int>((90 - degrees) * 16); };
  p.setPen(QPen(kDialArc, 2));
  p.drawArc(ring, qt_angle(-150), -300 * 16);
  p.setPen(QPen(kDialValue, 2));
  p.drawArc(ring, qt_angle(c.zero_angle), -static_cast<int>((c.pointer_angle - c.zero_angle) * 16));
  QRadialGradient cap(centre - QPointF(rad / 3, rad / 3), rad * 1.4);
  cap.setColorAt(0, QColor(120, 126, 134));
  cap.setColorAt(1, QColor(28, 30, 34));
  p.setBrush(cap);
  p.setPen(QPen(Qt::black, 1));
  p.drawEllipse(centre, rad, rad);
  p.setPen(QPen(Qt::white, 1.5));
  p.drawLine(OnCircle(centre, rad + 3, c.zero_angle), OnCircle(centre, rad + 5, c.zero_angle));
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(OnCircle(centre, rad * 0.25, c.pointer_angle),
             OnCircle(centre, rad - 1, c.pointer_angle));
  p.restore();
  DrawCaption(p, c);
}

void DrawFader(QPainter& p, const PageControl& c) {
  DrawValue(p, c);
  const int x = c.cap.x;
  p.setPen(QColor(120, 126, 134));
  std::array<QLine, 22> ticks;
  for (int i = 0; i <= 10; ++i) {
    const int y = c.travel_top + c.travel * i / 10;
    ticks[2 * i] = QLine(x - 14, y, x - 9, y);
    ticks[2 * i + 1] = QLine(x + 9, y, x + 14, y);
  }
  p.drawLines(ticks.data(), static_cast<int>(ticks.size()));
  p.fillRect(QRect(x - 2, c.travel_top, 4, c.travel + 1), Qt::black);
  Bevel(p, QRect(x - 3, c.travel_top - 1, 6, c.travel + 3), true);
  const QRect cap(x - 12, c.cap.y - 6, 24, 13);
  QLinearGradient shade(cap.topLeft(), cap.bottomLeft());
  shade.setColorAt(0, QColor(210, 212, 216));
  shade.setColorAt(0.5, QColor(120, 124, 130));
  shade.setColorAt(1, QColor(60, 62, 66));
  p.fillRect(cap, shade);
  p.setPen(Qt::black);
  p.drawRect(cap.adjusted(0, 0, -1, -1));
  p.setPen(Qt::white);
  p.drawLine(cap.left() + 2, c.cap.y, cap.right() - 2, c.cap.y);
  DrawCaption(p, c);
}

void DrawHandle(QPainter& p, const GraphHandle& h, const QRect& frame) {
  if (h.line) {
    p.setPen(Qt::white);
    p.drawLine(h.x, frame.top(), h.x, frame.top() + frame.height());
  }
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(h.colour));
  p.drawEllipse(QRect(h.x - 2, h.y - 2, 5, 5));
  p.fillRect(QRect(h.x - 1, h.y - 1, 2, 2), Qt::white);
  p.setBrush(Qt::NoBrush);
}

// The scales behind the curves: decades and 0 dB for the EQ, 10 dB steps for the dynamics.
void DrawGraphGrid(QPainter& p, const PageControl& c) {
  const QRect r = Box(c.box);
  p.setPen(QPen(kGraphGrid, 1, Qt::DotLine));
  if (c.kind == kKindEqGraph) {
    for (double f : {100.0, 1000.0, 10000.0}) {
      const int x = r.left() + static_cast<int>(r.width() * std::log(f / 20) / std::log(2000.0));
      p.drawLine(x, r.top(), x, r.top() + r.height());
    }
    p.drawLine(r.left(), r.top() + r.height() / 2, r.left() + r.width(), r.top() + r.height() / 2);
  } else if (c.kind == kKindDynamicsGraph) {
    p.drawLine(r.left(), r.top() + r.width(), r.left() + r.width(), r.top());
  } else {
    p.drawLine(r.center().x(), r.top(), r.center().x(), r.bottom());
    p.drawLine(r.left(), r.center().y(), r.right(), r.center().y());
  }
}

void DrawGraph(QPainter& p, const PageControl& c) {
  const QRect r = Box(c.box);
  p.fillRect(r.adjusted(0, 0, 1, 1), kGraphBack);
  DrawGraphGrid(p, c);
  p.setPen(QColor(0, 0, 0));
  p.drawRect(r.adjusted(-1, -1, 1, 1));
  p.setPen(QColor(110, 120, 130));
  p.drawRect(r.adjusted(-2, -2, 2, 2));
  const GraphPicture& g = c.graph;
  if (g.cross) {
    p.setPen(Colour(kPanCross));
    p.drawLine(r.left(), g.cross_y, r.left() + r.width(), g.cross_y);
    p.drawLine(g.cross_x, r.top(), g.cross_x, r.top() + r.height());
  }
  if (!g.curve.empty()) {
    QPolygon line;
    for (const PagePoint& pt : g.curve) line << QPoint(pt.x, pt.y);
    p.setPen(Colour(kCurveYellow));
    p.drawPolyline(line);
  }
  for (const GraphHandle& h : g.handles) DrawHandle(p, h, r);
  DrawCaption(p, c);
}

void DrawControl(QPainter& p, const PageControl& c, const QColor& surface) {
  if (c.kind == kKindBar) {
    DrawBar(p, c);
  } else if (c.kind == kKindTableCell || c.kind == kKindTableHeader) {
    DrawTableCell(p, c);
  } else if (c.kind == kKindGroupRow) {
    DrawGroupRow(p, c, surface);
  } else if (IsGraph(c.kind)) {
    DrawGraph(p, c);
  } else if (IsKnob(c.kind)) {
    DrawKnob(p, c);
  } else if (IsFader(c.kind)) {
    DrawFader(p, c);
  } else if (c.kind == kKindTextBox) {
    DrawTextBox(p, c);
  } else if (c.kind == kKindRouting) {
    DrawRoutingButton(p, c);
  } else {
    DrawSwitch(p, c);
    DrawCaption(p, c);
  }
}

std::function<int(std::string_view)> WidthIn(const QFont& font) {
  return [metrics = QFontMetrics(font)](std::string_view text) {
    return metrics.horizontalAdvance(TextOf(std::string(text)));
  };
}

}  // namespace

std::function<int(std::string_view)> HeaderTextWidth() {
  return WidthIn(HeaderFont());
}

std::function<int(std::string_view)> CellTextWidth() {
  return WidthIn(Font(12));
}

std::vector<PlacedText> PlacedTexts(const PageScene& scene) {
  std::vector<PlacedText> placed;
  const auto place = [&](const std::string& text, const QFont& font, const QRect& at, int align,
                         const QRect& room, int control) {
    // Blanks leave no ink: a value's leading blank may go under the display's edge.
    const QString shown = Text(text).trimmed();
    if (shown.isEmpty()) return;
    // The line's box less the space above the capitals: the print itself.
    const QFontMetrics metrics(font);
    const QRect ink = metrics.boundingRect(at, align, shown)
                          .adjusted(0, metrics.ascent() - metrics.capHeight(), 0, 0);
    placed.push_back({text, ink, room, control, font.pixelSize()});
  };
  if (!scene.header.empty()) {
    placed.push_back({scene.header, HeaderPlace(scene), QRect(1, 1, kPanelWidth - 2, 48), -1,
                      scene.header_pixels});
  }
  for (const PageFrame& f : scene.frames)
    place(f.caption, CaptionFont(), CaptionTab(f), Qt::AlignCenter, CaptionTab(f), -1);
  for (const PageText& t : scene.labels)
    place(t.text, LabelFont(), LabelRoom(t), kLabelAlign, QRect(), -1);
  for (std::size_t i = 0; i < scene.controls.size(); ++i) {
    const PageControl& c = scene.controls[i];
    const int n = static_cast<int>(i);
    const QRect r = Box(c.box);
    if (c.kind == kKindBar) continue;
    if (c.kind == kKindTableCell || c.kind == kKindTableHeader) {
      const bool header = c.kind == kKindTableHeader;
      const QRect room = r.adjusted(4, 0, -3, 0);
      place(c.face, Font(12, header), room,
            (header ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter, room, n);
      continue;
    }
    if (c.kind == kKindGroupRow) {
      const QRect room = r.adjusted(12, 0, 0, 0);
      place(c.face, GroupRowFont(), room, Qt::AlignLeft | Qt::AlignVCenter, room, n);
      continue;
    }
    if (IsKnob(c.kind) || IsFader(c.kind)) {
      const QRect display = ValueDisplay(c);
      place(ValueShown(c, display), ValueFont(c, display), ValueRoom(display), kValueAlign,
            ValueRoom(display), n);
    } else if (c.kind == kKindTextBox) {
      place(c.face, TextBoxFont(), r, Qt::AlignCenter, r.adjusted(1, 1, -1, -1), n);
    } else if (c.kind == kKindRouting) {
      place(c.face, RoutingFont(c), r.adjusted(1, 1, -1, -1), Qt::AlignCenter,
            r.adjusted(3, 3, -3, -3), n);
    } else if (!IsGraph(c.kind)) {
      place(c.face, SwitchFont(c), r, Qt::AlignCenter, r.adjusted(2, 2, -2, -2), n);
    }
    place(c.caption, CaptionFont(), CaptionRoom(c), kCaptionAlign, CaptionRoom(c), n);
  }
  return placed;
}

void PaintPage(QPainter& p, const PageScene& scene) {
  const QColor surface = PictureColour(scene.picture);
  p.fillRect(QRect(0, 0, kPanelWidth, kPanelHeight), surface);
  DrawSurfaceFrame(p, QSize(kPanelWidth, kPanelHeight));
  if (scene.header_strip) DrawHeaderStrip(p, surface);
  for (const PageFrame& frame : scene.frames) DrawFrame(p, frame, surface);
  DrawPickList(p, scene.pick_list);
  DrawHeader(p, scene);
  p.setFont(LabelFont());
  p.setPen(kPanelInk);
  for (const PageText& t : scene.labels) p.drawText(LabelRoom(t), kLabelAlign, Text(t.text));
  for (auto c = scene.controls.rbegin(); c != scene.controls.rend(); ++c)
    DrawControl(p, *c, surface);
  for (const PageControl& c : scene.controls) {
    if (!c.focused) continue;
    // The current control, which the keys act on.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kFocusInk, 1, Qt::DotLine));
    p.drawRect(Box(c.box).adjusted(-2, -2, 1, 1));
  }
}

QImage RenderPage(const PageScene& scene, qreal pixel_ratio) {
  QImage buffer(QSize(kPanelWidth, kPanelHeight) * pixel_ratio, QImage::Format_RGB32);
  buffer.setDevicePixelRatio(pixel_ratio);
  QPainter painter(&buffer);
  PaintPage(painter, scene);
  return buffer;
}

QRect ValueBox(const PageControl& c) {
  return ValueDisplay(c);
}

}  // namespace orb
