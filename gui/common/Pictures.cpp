#include "gui/common/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace orb {

QPixmap WallpaperPicture() {
  QPixmap tile(128, 128);
  tile.fill(QColor(78, 90, 104));
  QPainter painter(&tile);
  painter.setPen(QColor(255, 255, 255, 14));
  for (int i = 0; i < 128; i += 16) {
    painter.drawLine(i, 0, i, 127);
    painter.drawLine(0, i, 127, i);
  }
  // A small fader cap in two of the four quarters, so that the tiles read as a weave.
  painter.setRenderHint(QPainter::Antialiasing);
  for (const QPoint& at : {QPoint(32, 32), QPoint(96, 96)}) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 28));
    painter.drawRoundedRect(QRectF(at.x() - 2.5, at.y() - 14, 5, 28), 2, 2);
    painter.setBrush(QColor(255, 255, 255, 30));
    painter.drawRoundedRect(QRectF(at.x() - 7, at.y() - 4, 14, 8), 2, 2);
  }
  return tile;
}

QPixmap SplashPicture() {
  QPixmap picture(400, 225);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient background(0, 0, 0, 225);
  background.setColorAt(0, QColor(46, 49, 55));
  background.setColorAt(1, QColor(28, 30, 34));
  painter.fillRect(picture.rect(), background);

  // A strip of console faders with their level meters on the right.
  constexpr int kTop = 34, kBottom = 178;
  const int caps[] = {62, 48, 80, 56, 96, 70, 52, 88, 66};
  for (int i = 0; i < 9; ++i) {
    const qreal x = 262 + i * 15;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(14, 15, 18));
    painter.drawRoundedRect(QRectF(x - 1.5, kTop, 3, kBottom - kTop), 1.5, 1.5);
    // The meter beside the slot, lit from the bottom; the louder, the higher.
    const int lit = 4 + (100 - caps[i]) / 8;
    for (int step = 0; step < 12; ++step) {
      const QColor colour = step < 8    ? QColor(64, 176, 96)
                            : step < 10 ? QColor(222, 184, 60)
                                        : QColor(214, 72, 60);
      painter.setBrush(step < lit ? colour : QColor(50, 54, 60));
      painter.drawRect(QRectF(x + 4, kBottom - 4 - step * 6, 3, 4));
    }
    const qreal cap = kTop + caps[i];
    QLinearGradient shade(0, cap - 7, 0, cap + 7);
    shade.setColorAt(0, QColor(232, 234, 238));
    shade.setColorAt(1, QColor(140, 144, 150));
    painter.setBrush(shade);
    painter.drawRoundedRect(QRectF(x - 5, cap - 7, 10, 14), 2, 2);
    painter.setPen(QPen(QColor(30, 32, 36), 1));
    painter.drawLine(QPointF(x - 4, cap), QPointF(x + 4, cap));
  }

  QFont title("Arial");
  title.setPixelSize(36);
  title.setBold(true);
  painter.setFont(title);
  painter.setPen(QColor(232, 234, 238));
  painter.drawText(QPoint(19, 78), "ORB-Q730");
  QFont subtitle("Arial");
  subtitle.setPixelSize(18);
  painter.setFont(subtitle);
  painter.setPen(QColor(160, 168, 180));
  painter.drawText(QPoint(21, 106), "Automation Editor");
  painter.fillRect(QRect(21, 118, 180, 3), QColor(226, 136, 44));
  QFont small("Arial");
  small.setPixelSize(11);
  painter.setFont(small);
  painter.setPen(QColor(120, 126, 136));
  painter.drawText(QPoint(21, 206), "Title editor for the ORB-Q730 digital mixing console");
  return picture;
}

QIcon TitleButtonIcon(ButtonPicture kind) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor ink(52, 62, 78);
  const QColor accent(38, 112, 204);
  QPen outline(ink, 1.6);
  outline.setJoinStyle(Qt::RoundJoin);
  outline.setCapStyle(Qt::RoundCap);

  const auto tray = [&] {
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(4, 14);
    path.lineTo(4, 20);
    path.lineTo(20, 20);
    path.lineTo(20, 14);
    painter.drawPath(path);
  };
  const auto arrow = [&](bool down) {
    QPainterPath path;
    const qreal tip = down ? 16 : 3, base = down ? 9 : 10;
    path.moveTo(12, tip);
    path.lineTo(6.5, base);
    path.lineTo(10, base);
    path.lineTo(10, down ? 3 : 16);
    path.lineTo(14, down ? 3 : 16);
    path.lineTo(14, base);
    path.lineTo(17.5, base);
    path.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawPath(path);
  };

  switch (kind) {
    case ButtonPicture::kImport:
      tray();
      arrow(true);
      break;
    case ButtonPicture::kExport:
      tray();
      arrow(false);
      break;
    case ButtonPicture::kOpen: {
      painter.setPen(outline);
      painter.setBrush(QColor(236, 196, 92));
      QPainterPath back;
      back.moveTo(3, 19);
      back.lineTo(3, 6);
      back.lineTo(9, 6);
      back.lineTo(11, 8);
      back.lineTo(19, 8);
      back.lineTo(19, 11);
      painter.drawPath(back);
      QPainterPath front;
      front.moveTo(3, 19);
      front.lineTo(6, 11);
      front.lineTo(22, 11);
      front.lineTo(19, 19);
      front.closeSubpath();
      painter.setBrush(QColor(248, 216, 120));
      painter.drawPath(front);
      break;
    }
    case ButtonPicture::kBackup:
      painter.setPen(outline);
      painter.setBrush(QColor(226, 232, 240));
      painter.drawRect(QRectF(8.5, 3.5, 11, 14));
      painter.setBrush(Qt::white);
      painter.drawRect(QRectF(4.5, 7.5, 11, 14));
      painter.setPen(QPen(accent, 1.4));
      for (int y = 12; y <= 18; y += 3) painter.drawLine(QPointF(7, y), QPointF(13, y));
      break;
  }
  return QIcon(pixmap);
}

QIcon LockMark(bool locked) {
  QPixmap mark(12, 12);
  mark.fill(Qt::transparent);
  if (locked) {
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 96, 40), 1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(3, 0.8, 6, 7), 0, 180 * 16);
    painter.drawLine(QPointF(3, 4.3), QPointF(3, 6));
    painter.drawLine(QPointF(9, 4.3), QPointF(9, 6));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(214, 168, 52));
    painter.drawRoundedRect(QRectF(1.5, 5.5, 9, 6.5), 1.2, 1.2);
    painter.setBrush(QColor(96, 72, 24));
    painter.drawEllipse(QRectF(5, 7.3, 2, 2));
  }
  return QIcon(mark);
}

}  // namespace orb
