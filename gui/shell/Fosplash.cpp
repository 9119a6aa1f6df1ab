#include "gui/shell/Fosplash.h"

#include <QFont>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <chrono>

#include "gui/common/Pictures.h"

namespace orb {

namespace {
constexpr QRect kVersionBox(21, 149, 92, 18);
}

TFo_Splash::TFo_Splash(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(SplashPicture()) {
  setObjectName("TFo_Splash");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(picture_.size());
  Ti_Close = new QTimer(this);
  Ti_Close->setInterval(10);
  connect(Ti_Close, &QTimer::timeout, this, &TFo_Splash::Ti_CloseTimer);
}

void TFo_Splash::StartClosingTimer() {
  Ti_Close->start();
}

qint64 TFo_Splash::NowMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TFo_Splash::showEvent(QShowEvent* event) {
  shown_at_ = NowMilliseconds();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

void TFo_Splash::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture_);
  painter.fillRect(kVersionBox, QColor(66, 66, 66));
  QFont font("Arial");
  font.setPixelSize(16);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(160, 160, 160));
  painter.drawText(kVersionBox, Qt::AlignLeft | Qt::AlignVCenter, "Ver 1.10");
}

void TFo_Splash::mousePressEvent(QMouseEvent* event) {
  // The picture and the version text fill the whole window.
  event->accept();
  close();
}

void TFo_Splash::Ti_CloseTimer() {
  if (NowMilliseconds() - shown_at_ > kShowMilliseconds) close();
}

}  // namespace orb
