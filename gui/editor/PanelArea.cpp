#include "gui/editor/PanelArea.h"

#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <iterator>
#include <utility>

#include "gui/common/Painting.h"
#include "gui/common/Text.h"
#include "gui/pages/PagePainter.h"

namespace orb {

namespace {

const QColor kPanelBack(58, 62, 68);
const QColor kPanelFrame(30, 32, 36);
const QColor kPanelQuiet(150, 156, 164);

}  // namespace

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

TPanelArea::TPanelArea(EditSession& session, QWidget* parent)
    : QWidget(parent),
      session_(session),
      binding_(std::make_unique<PanelBinding>(session, HeaderTextWidth(), CellTextWidth())),
      LB_Assign(new QListWidget(this)) {
  setObjectName("PB_Edit");
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  LB_Assign->setObjectName("LB_Assign");
  QFont font("Liberation Sans");
  font.setPixelSize(12);
  LB_Assign->setFont(font);
  // Several consecutive sources may be chosen: released on a channel, they route to it and the
  // channels after it.
  LB_Assign->setSelectionMode(QAbstractItemView::ExtendedSelection);
  LB_Assign->hide();
  connect(LB_Assign, &QListWidget::itemSelectionChanged, this, [this] {
    std::vector<int> values;
    for (int row = 0; row < LB_Assign->count(); ++row) {
      if (LB_Assign->item(row)->isSelected())
        values.push_back(LB_Assign->item(row)->data(Qt::UserRole).toInt());
    }
    binding_->Model().SetPickSelection(std::move(values));
  });
  // Moves without a button make the control under the pointer the active one (wheel, keypad).
  setMouseTracking(true);
  choose_popup = [this](const PanelRequest& r, const std::vector<PopupItem>& items) {
    return MenuChoice(r, items);
  };
}

TPanelArea::~TPanelArea() = default;

void TPanelArea::SetSection(DynamicsSection section) {
  PanelState s = binding_->Model().State();
  s.section = section;
  binding_->Model().SetState(s);
  update();
}

void TPanelArea::SetOutputRoutingView(RoutingView view) {
  PanelState s = binding_->Model().State();
  s.view = view;
  binding_->Model().SetState(s);
  update();
}

void TPanelArea::ShowStatus() {
  if (on_status) on_status(QString::fromLatin1(binding_->Model().StatusText().c_str()));
}

void TPanelArea::Changed() {
  update();
  if (on_changed) on_changed();
}

void TPanelArea::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  binding_->Refresh();
  const QPoint p = event->position().toPoint();
  binding_->Press(p.x(), p.y(), event->modifiers() & Qt::ShiftModifier);
  Changed();
}

void TPanelArea::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  binding_->Move(p.x(), p.y());
  ShowStatus();
  if (binding_->Model().DragType() != HitType::kNone) update();
}

void TPanelArea::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  const PanelRequest r = binding_->Release(p.x(), p.y());
  if (r.kind == PanelRequest::kPopup) {
    const auto items = PopupItems(r.menu, session_.GetTitle().System(), r.channel);
    if (const auto value = choose_popup(r, items)) binding_->Choose(r, *value);
  }
  Changed();
}

std::optional<int> TPanelArea::MenuChoice(const PanelRequest& r,
                                          const std::vector<PopupItem>& items) {
  QMenu menu(this);
  const std::function<void(QMenu&, const std::vector<PopupItem>&)> fill =
      [&fill](QMenu& into, const std::vector<PopupItem>& list) {
        QMenu* column = &into;
        for (const PopupItem& item : list) {
          const QString caption = QString::fromLatin1(item.caption.c_str());
          // Qt menus have no columns: a column becomes a submenu named by its first item.
          if (item.column_break) column = into.addMenu(caption + " ...");
          if (item.items.empty()) {
            QAction* action = column->addAction(caption);
            action->setData(item.value);
            action->setEnabled(item.enabled);
          } else {
            QMenu* sub = column->addMenu(caption);
            sub->setEnabled(item.enabled);
            fill(*sub, item.items);
          }
        }
      };
  fill(menu, items);
  const QAction* chosen = menu.exec(mapToGlobal(QPoint(r.x, r.y)));
  if (!chosen) return std::nullopt;
  return chosen->data().toInt();
}

void TPanelArea::paintEvent(QPaintEvent*) {
  QImage buffer(size(), QImage::Format_RGB32);
  QPainter painter(&buffer);
  const PageKind page = session_.Page();
  if (PanelBinding::Draws(page)) {
    // The page as the session stands now: tab, cursor and data may have changed since.
    binding_->Refresh();
    // Every change repaints the page: the status line follows what the page shows now.
    ShowStatus();
    ShowPickList(binding_->Model().Scene().pick_list);
    PaintPage(painter, binding_->Model().Scene());
    painter.end();
    QPainter(this).drawImage(0, 0, buffer);
    return;
  }
  ShowPickList({});
  if (on_status) on_status({});
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
