#include "gui/editor/EditAreas.h"

#include <QListWidget>
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
    : QWidget(parent), session_(session), LB_Assign(new QListWidget(this)) {
  setObjectName("PB_Edit");
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  LB_Assign->setObjectName("LB_Assign");
  QFont font("Liberation Sans");
  font.setPixelSize(12);
  LB_Assign->setFont(font);
  LB_Assign->setSelectionMode(QAbstractItemView::SingleSelection);
  LB_Assign->hide();
}

namespace {

constexpr std::pair<PageKind, PageKindShown> kScenePages[] = {
    {kPageChannel, PageKindShown::kChannel},
    {kPageSnapshot, PageKindShown::kSnapshot},
    {kPageCue, PageKindShown::kCue},
    {kPageDynLib, PageKindShown::kDynLib},
    {kPageEqLib, PageKindShown::kEqLib},
    {kPageOverview, PageKindShown::kOverview},
    {kPageFader, PageKindShown::kFader},
    {kPageFaderGroup, PageKindShown::kFaderGroup},
    {kPageInputAssign, PageKindShown::kInputAssign},
    {kPageOutputAssign, PageKindShown::kOutputAssign},
    {kPageSetup, PageKindShown::kSetup},
    {kPageIsolate, PageKindShown::kIsolate},
};

const std::pair<PageKind, PageKindShown>* SceneOf(PageKind page) {
  const auto shown = std::find_if(std::begin(kScenePages), std::end(kScenePages),
                                  [page](const auto& p) { return p.first == page; });
  return shown == std::end(kScenePages) ? nullptr : shown;
}

}  // namespace

PageInput TPanelArea::Input() const {
  const auto* shown = SceneOf(session_.Page());
  PageInput in{shown ? shown->second : PageKindShown::kChannel,
               &session_.CurrentList(),
               session_.Cursor(),
               section_,
               HeaderTextWidth(),
               -1,
               view_};
  in.bank = session_.OverviewBank();
  in.group = session_.FaderGroup();
  in.scroll = session_.ScrollPosition();
  in.cell_width = CellTextWidth();
  const Title& title = session_.GetTitle();
  in.snapshots = &title.Snapshots();
  in.eq_lib = &title.Eq();
  in.dyn_lib = &title.Dynamics();
  const PendingEntry& entry = session_.Pending();
  in.entry_id = entry.item;
  in.entry_channel = entry.record;
  in.entry_text = entry.text;
  return in;
}

void TPanelArea::ShowPickList(const PagePickList& list) {
  if (list.box.width <= 0) {
    LB_Assign->hide();
    return;
  }
  LB_Assign->setGeometry(list.box.left, list.box.top, list.box.width, list.box.height);
  // Filled anew only when the page needs the other list, so that a choice stays chosen.
  if (list.items != assign_items_) {
    assign_items_ = list.items;
    LB_Assign->clear();
    for (const PickItem& item : list.items) {
      auto* row = new QListWidgetItem(TextOf(item.text), LB_Assign);
      row->setData(Qt::UserRole, item.value);
    }
  }
  LB_Assign->show();
}

void TPanelArea::paintEvent(QPaintEvent*) {
  QImage buffer(size(), QImage::Format_RGB32);
  QPainter painter(&buffer);
  if (SceneOf(session_.Page())) {
    const PageScene scene = BuildPageScene(Input());
    ShowPickList(scene.pick_list);
    PaintPage(painter, scene);
    painter.end();
    QPainter(this).drawImage(0, 0, buffer);
    return;
  }
  ShowPickList({});
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
