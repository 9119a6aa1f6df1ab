// Drawing that the list pane and the timeline share.
#pragma once

#include <QColor>
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRect>

namespace orb {

// A raised header cell: light top and left edges, shaded bottom and right.
inline void DrawRaisedCell(QPainter& painter, const QRect& cell, const QColor& face) {
  painter.fillRect(cell, face);
  painter.setPen(Qt::white);
  painter.drawLine(cell.topLeft(), cell.topRight());
  painter.drawLine(cell.topLeft(), cell.bottomLeft());
  painter.setPen(QColor(160, 160, 160));
  painter.drawLine(cell.bottomLeft(), cell.bottomRight());
  painter.drawLine(cell.topRight(), cell.bottomRight());
}

// The frame of a drawing surface: black along the left and top, grey along the right and
// bottom.
inline void DrawSurfaceFrame(QPainter& painter, const QSize& size) {
  const int right = size.width() - 1, bottom = size.height() - 1;
  painter.setPen(Qt::black);
  painter.drawLine(0, 0, right, 0);
  painter.drawLine(0, 0, 0, bottom);
  painter.setPen(QColor(192, 192, 192));
  painter.drawLine(right, 0, right, bottom);
  painter.drawLine(0, bottom, right, bottom);
}

// The page titles of the panel and the timeline: 27 px, white over a black shadow.
inline void DrawPageTitle(QPainter& painter, const QString& text) {
  QFont font("Liberation Sans");
  font.setPixelSize(27);
  font.setBold(true);
  painter.setFont(font);
  const int ascent = QFontMetrics(font).ascent();
  painter.setPen(Qt::black);
  painter.drawText(16, 11 + ascent, text);
  painter.setPen(Qt::white);
  painter.drawText(14, 9 + ascent, text);
}

// The ink of the drawn button pictures.
inline const QColor kPictureInk(52, 60, 72);

// A 16 x 16 button picture (drawn at twice the size for sharp high-density screens): draw
// paints it in 16 x 16 units.
template <typename Draw>
QIcon DrawnIcon(Draw draw) {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(2, 2);
  draw(painter);
  painter.end();
  return QIcon(pixmap);
}

}  // namespace orb
