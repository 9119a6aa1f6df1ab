#include "gui/editor/ListPane.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "gui/common/Painting.h"
#include "gui/common/Text.h"

namespace orb {

namespace {

constexpr int kRow = ListPane::kRowHeight;
constexpr int kHeader = ListPane::kHeaderHeight;
constexpr int kNumberColumn = 48;
constexpr int kNameX = 52;

const QColor kNumberBack(224, 224, 224);
const QColor kLineGrey(192, 192, 192);
const QColor kTextGrey(64, 64, 64);
const QColor kHeaderFace(236, 236, 236);
const QColor kCursorBlue(0, 0, 255);

}  // namespace

ListFonts::ListFonts(bool bold) : text("Liberation Sans"), header("Liberation Sans") {
  text.setPixelSize(15);
  text.setBold(bold);
  header.setPixelSize(12);
}

void PaintListPane(QImage& buffer, const std::vector<ListRow>& rows, const ListFonts& fonts) {
  // In list pixels: a buffer at a device pixel ratio above 1 has more device pixels than these.
  const QSize logical = (QSizeF(buffer.size()) / buffer.devicePixelRatio()).toSize();
  const int width = logical.width(), height = logical.height();
  const int right = width - 1;
  QPainter painter(&buffer);
  painter.fillRect(0, 0, width, height, Qt::white);
  painter.fillRect(0, 0, kNumberColumn + 1, height, kNumberBack);

  DrawRaisedCell(painter, QRect(QPoint(1, 1), QPoint(kNumberColumn, kHeader)), kHeaderFace);
  DrawRaisedCell(painter, QRect(QPoint(kNumberColumn, 1), QPoint(right, kHeader)), kHeaderFace);
  painter.setFont(fonts.header);
  painter.setPen(kTextGrey);
  painter.drawText(QRect(kNameX, 2, width - kNameX, kHeader - 2), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("NAME"));

  for (int r = 1, n = static_cast<int>(rows.size()); r <= n; ++r) {
    painter.setPen(kLineGrey);
    painter.drawLine(0, r * kRow + 19, right, r * kRow + 19);
    painter.setPen(Qt::white);
    painter.drawLine(0, r * kRow + 20, kNumberColumn, r * kRow + 20);
  }

  // Texts stand with their top at y + 1 of the row, as the console's own lists draw them.
  painter.setFont(fonts.text);
  painter.setPen(kTextGrey);
  const int ascent = QFontMetrics(fonts.text).ascent();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const ListRow& row = rows[r];
    const int top = static_cast<int>(r) * kRow + kHeader + 1;
    if (row.slot) painter.drawText(4, top + ascent, TextOf(row.number));
    if (row.entry) painter.drawText(kNameX, top + ascent, TextOf(row.name));
  }

  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (!rows[r].selected) continue;
    const int top = static_cast<int>(r) * kRow + kHeader;
    painter.fillRect(QRect(QPoint(1, top), QPoint(right, top + kRow - 1)), Qt::white);
  }
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (!rows[r].cursor) continue;
    const int top = static_cast<int>(r) * kRow + kHeader;
    painter.setPen(QPen(kCursorBlue, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(3, top + 1), QPoint(right - 1, top + kRow - 1)));
  }

  DrawSurfaceFrame(painter, logical);
  painter.setPen(Qt::white);
  painter.drawLine(1, 1, 1, height - 2);
}

TListPane::TListPane(EditSession& session, QWidget* parent) : QWidget(parent), session_(session) {
  setObjectName("PB_List");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
}

void TListPane::SetBold(bool bold) {
  if (fonts_.text.bold() == bold) return;
  fonts_ = ListFonts(bold);
  update();
}

void TListPane::paintEvent(QPaintEvent*) {
  // Drawn at the screen's pixel ratio, so that the texts stay sharp at any scale.
  const qreal ratio = devicePixelRatioF();
  if (buffer_.size() != size() * ratio || buffer_.devicePixelRatio() != ratio) {
    buffer_ = QImage(size() * ratio, QImage::Format_RGB32);
    buffer_.setDevicePixelRatio(ratio);
  }
  if (buffer_.isNull()) return;
  PaintListPane(buffer_, session_.Pane().Rows(), fonts_);
  QPainter(this).drawImage(0, 0, buffer_);
}

void TListPane::mousePressEvent(QMouseEvent* event) {
  if (on_press) on_press(event);
}

void TListPane::mouseMoveEvent(QMouseEvent* event) {
  if (on_move) on_move(event);
}

void TListPane::mouseReleaseEvent(QMouseEvent* event) {
  if (on_release) on_release(event);
}

// The second press of a double click is a press like the first.
void TListPane::mouseDoubleClickEvent(QMouseEvent* event) {
  if (on_press) on_press(event);
}

void TListPane::wheelEvent(QWheelEvent* event) {
  if (on_wheel) on_wheel(event);
}

void TListPane::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (on_resize) on_resize();
}

}  // namespace orb
