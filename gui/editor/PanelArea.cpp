#include "gui/editor/PanelArea.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
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
      LB_Assign(new QListWidget(this)),
      Ed_Value(new QLineEdit(this)),
      La_Reason(new QLabel(this)) {
  setObjectName("PB_Edit");
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click makes the panel take the keys: its current control steps with them.
  setFocusPolicy(Qt::ClickFocus);
  Ed_Value->setObjectName("Ed_Value");
  Ed_Value->hide();
  Ed_Value->installEventFilter(this);
  La_Reason->setObjectName("La_Reason");
  La_Reason->setAutoFillBackground(true);
  La_Reason->setWordWrap(true);
  La_Reason->hide();
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
  CloseTyping();
  binding_->Refresh();
  const QPoint p = event->position().toPoint();
  binding_->Press(p.x(), p.y(), event->modifiers() & Qt::ShiftModifier,
                  event->modifiers() & Qt::ControlModifier);
  Changed();
}

void TPanelArea::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  binding_->Refresh();
  const auto r = binding_->DoubleClick(p.x(), p.y(), event->modifiers() & Qt::ControlModifier);
  // Any other control takes the second click as a click.
  if (!r) return mousePressEvent(event);
  if (r->kind == PanelRequest::kTypeValue) OpenTyping(*r);
  Changed();
}

bool TPanelArea::WheelOnControl(QWheelEvent* event) {
  if (binding_->Model().ActiveId() == 0) return false;
  binding_->Model().Wheel(event->angleDelta().y(), event->modifiers() & Qt::ControlModifier);
  ShowStatus();
  Changed();
  return true;
}

void TPanelArea::keyPressEvent(QKeyEvent* event) {
  static const std::pair<int, PanelKey> kKeys[] = {
      {Qt::Key_Up, PanelKey::kUp},         {Qt::Key_Down, PanelKey::kDown},
      {Qt::Key_PageUp, PanelKey::kPageUp}, {Qt::Key_PageDown, PanelKey::kPageDown},
      {Qt::Key_Home, PanelKey::kHome},     {Qt::Key_End, PanelKey::kEnd},
      {Qt::Key_Space, PanelKey::kSpace},   {Qt::Key_Return, PanelKey::kEnter},
      {Qt::Key_Enter, PanelKey::kEnter},
  };
  const bool keypad = event->modifiers() & Qt::KeypadModifier;
  const bool pending = session_.Pending().item != 0;
  const auto key = std::find_if(std::begin(kKeys), std::end(kKeys),
                                [event](const auto& k) { return k.first == event->key(); });
  // Without a current control, and for the numeric entry's Enter, the keys are the window's.
  if (key == std::end(kKeys) || !binding_->Model().Current() ||
      (key->second == PanelKey::kEnter && pending) || (keypad && key->second != PanelKey::kEnter)) {
    event->ignore();
    return;
  }
  binding_->Refresh();
  const PanelRequest r = binding_->Key(key->second, event->modifiers() & Qt::ControlModifier);
  if (r.kind == PanelRequest::kPopup) OpenPopup(r);
  if (r.kind == PanelRequest::kTypeValue) OpenTyping(r);
  ShowStatus();
  Changed();
}

bool TPanelArea::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      binding_->Refresh();
      binding_->Key(key->key() == Qt::Key_Tab ? PanelKey::kTab : PanelKey::kBackTab);
      Changed();
      return true;
    }
  } else if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    binding_->Move(help->pos().x(), help->pos().y());
    const std::string text = binding_->Model().TooltipText();
    if (text.empty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), QString::fromUtf8(text.c_str()), this);
    }
    return true;
  }
  return QWidget::event(event);
}

bool TPanelArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Ed_Value && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
      CloseTyping();
      setFocus();
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      CommitTyping();
      return true;
    }
    // While typing, the arrow and page keys stay with the entry, not the control under it.
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
        key == Qt::Key_PageDown)
      return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TPanelArea::OpenTyping(const PanelRequest& r) {
  const PageControl& c = binding_->Model().TypingControl();
  QRect box = ValueBox(c);
  if (box.isEmpty()) box = QRect(r.x, r.y, r.width, r.height);
  // Wide enough for a value with its unit, kept on the panel.
  box.setLeft(std::min(box.left(), box.right() - 79));
  box.setHeight(std::max(box.height(), 20));
  box.moveLeft(std::clamp(box.left(), 0, kWidth - box.width()));
  box.moveTop(std::clamp(box.top(), 0, kHeight - box.height() - 34));
  Ed_Value->setGeometry(box);
  ValueTexts shown = c.value_text;
  if (shown.value.empty()) shown.value = c.face;
  if (const auto menu = PopupOfId(c.id); menu && c.id != 0)
    shown.value = PopupValueText(*menu, session_.GetTitle().System(), c.channel, c.value);
  Ed_Value->setText(QString::fromLatin1(ValueAndUnit(shown).c_str()));
  Ed_Value->selectAll();
  La_Reason->hide();
  Ed_Value->show();
  Ed_Value->raise();
  Ed_Value->setFocus();
}

void TPanelArea::CommitTyping() {
  if (binding_->CommitTyping(Ed_Value->text().toStdString())) {
    CloseTyping();
    setFocus();
    Changed();
    return;
  }
  // Stays open, the reason under it.
  const QRect box = Ed_Value->geometry();
  La_Reason->setText(QString::fromUtf8(binding_->Model().TypingReason().c_str()));
  La_Reason->setGeometry(std::min(box.left(), kWidth - 240), box.bottom() + 2, 240, 32);
  La_Reason->show();
  La_Reason->raise();
}

void TPanelArea::CloseTyping() {
  binding_->Model().CancelTyping();
  Ed_Value->hide();
  La_Reason->hide();
}

void TPanelArea::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  binding_->Move(p.x(), p.y(), event->modifiers() & Qt::ControlModifier);
  ShowStatus();
  if (binding_->Model().DragType() != HitType::kNone) update();
}

void TPanelArea::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  const PanelRequest r = binding_->Release(p.x(), p.y());
  if (r.kind == PanelRequest::kPopup) OpenPopup(r);
  Changed();
}

void TPanelArea::OpenPopup(const PanelRequest& r) {
  const auto items = PopupItems(r.menu, session_.GetTitle().System(), r.channel);
  if (const auto value = choose_popup(r, items)) binding_->Choose(r, *value);
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
  // Page pixels at the screen's pixel ratio: sharp at any scale; hit tests stay in page pixels.
  const qreal ratio = devicePixelRatioF();
  QImage buffer(size() * ratio, QImage::Format_RGB32);
  buffer.setDevicePixelRatio(ratio);
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
  painter.fillRect(rect(), kPanelBack);
  painter.setPen(kPanelFrame);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
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
