// Drawing that the list pane and the timeline share.
#pragma once

#include <QColor>
#include <QPainter>
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

}  // namespace orb
