#include "gui/editor/EditAreas.h"

#include <QPainter>
#include <algorithm>
#include <iterator>
#include <utility>

#include "gui/editor/Painting.h"
#include "gui/pages/PagePainter.h"
#include "gui/shell/QtPrompter.h"

namespace orb {

namespace {

const QColor kPanelBack(58, 62, 68);
const QColor kPanelFrame(30, 32, 36);
const QColor kPanelQuiet(150, 156, 164);

}  // namespace

TPanelArea::TPanelArea(const EditSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName("PB_Edit");
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPanelArea::paintEvent(QPaintEvent*) {
  QImage buffer(size(), QImage::Format_RGB32);
  QPainter painter(&buffer);
  const PageKind page = session_.Page();
  static constexpr std::pair<PageKind, PageKindShown> kScenePages[] = {
      {kPageChannel, PageKindShown::kChannel},
      {kPageDynLib, PageKindShown::kDynLib},
      {kPageEqLib, PageKindShown::kEqLib},
      {kPageInputAssign, PageKindShown::kInputAssign},
      {kPageOutputAssign, PageKindShown::kOutputAssign},
      {kPageFader, PageKindShown::kFader},
  };
  const auto shown = std::find_if(std::begin(kScenePages), std::end(kScenePages),
                                  [page](const auto& p) { return p.first == page; });
  if (shown != std::end(kScenePages)) {
    PaintPage(painter, BuildPageScene({shown->second, &session_.CurrentList(), session_.Cursor(),
                                       section_, HeaderTextWidth(), -1, view_}));
    painter.end();
    QPainter(this).drawImage(0, 0, buffer);
    return;
  }
  painter.fillRect(buffer.rect(), kPanelBack);
  painter.setPen(kPanelFrame);
  painter.drawRect(buffer.rect().adjusted(0, 0, -1, -1));
  DrawPageTitle(painter, QString::fromLatin1(session_.ListCaption()));

  // Which record the page stands on, so that the user sees where the list pane's cursor is.
  const TQ730& list = session_.CurrentList();
  const int cursor = session_.Cursor();
  QFont font("Liberation Sans");
  font.setPixelSize(15);
  painter.setFont(font);
  painter.setPen(kPanelQuiet);
  if (session_.HasListPane() && cursor >= 0 && cursor < list.Count()) {
    painter.drawText(QRect(16, 48, width() - 32, 22), Qt::AlignLeft | Qt::AlignVCenter,
                     TextOf(list.NumberText(cursor) + "   " + list.NameText(cursor)));
  }
  painter.end();
  QPainter(this).drawImage(0, 0, buffer);
}

}  // namespace orb
