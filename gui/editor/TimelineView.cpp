#include "gui/editor/TimelineView.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include "core/editor/AutomationViews.h"
#include "core/model/ParamNames.h"
#include "gui/common/Painting.h"
#include "gui/common/Text.h"
#include "gui/editor/Foentry.h"
#include "gui/editor/TimelinePainter.h"

namespace orb {

namespace {

const QColor kTitleFill(153, 92, 92);

// PB_Title: the timeline's page title.
class TitleSurface : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), kTitleFill);
    painter.setPen(Qt::black);
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, height() - 1);
    DrawPageTitle(painter, QStringLiteral("AUTOMATION"));
  }
};

// The pictures of the three timeline tools: a pen, an arrow and an eraser.
QIcon ToolIcon(TimelineTool tool) {
  return DrawnIcon([tool](QPainter& painter) {
    painter.setPen(QPen(kPictureInk, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (tool) {
      case TimelineTool::kWrite:
        painter.setBrush(QColor(240, 200, 90));
        painter.drawPolygon(QPolygonF({{3, 13}, {4, 10}, {11, 3}, {13, 5}, {6, 12}}));
        painter.drawLine(QPointF(4, 10), QPointF(6, 12));
        break;
      case TimelineTool::kSelect:
        painter.setBrush(Qt::white);
        painter.drawPolygon(
            QPolygonF({{4, 2}, {4, 13}, {7, 10}, {9, 14}, {11, 13}, {9, 9}, {13, 9}}));
        break;
      case TimelineTool::kEraser:
        painter.setBrush(QColor(230, 140, 150));
        painter.drawPolygon(QPolygonF({{2, 10}, {8, 4}, {13, 9}, {8, 14}, {6, 14}}));
        painter.drawLine(QPointF(5, 7), QPointF(10, 12));
        painter.drawLine(QPointF(6, 14), QPointF(14, 14));
        break;
    }
  });
}

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& text,
                        const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(text);
  button->setToolTip(hint);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

TimelinePointer PointerOf(const QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  TimelinePointer pointer{at.x(), at.y(), ModsOf(event->modifiers())};
  pointer.snap_off = event->modifiers().testFlag(Qt::AltModifier);
  return pointer;
}

// The rows of the title's layout that the timeline shows.
int RowsOf(EditSession& session) {
  return std::min(session.GetTitle().System().Count(), TQ730AUTO::kChannelFlags);
}

// Which ways a gesture scrolls when the pointer leaves the data area.
std::pair<bool, bool> AutoScrollAxes(TimelineDrag mode) {
  switch (mode) {
    case TimelineDrag::kSelect:
    case TimelineDrag::kErase:
    case TimelineDrag::kMove:
      return {true, true};
    case TimelineDrag::kLabel:
      return {false, true};
    case TimelineDrag::kNone:
      return {false, false};
    default:  // ruler, strokes, event drags
      return {true, false};
  }
}

}  // namespace

// The drawing surface ------------------------------------------------------------------------

TTimelineSurface::TTimelineSurface(EditSession& session, QWidget* parent)
    : QWidget(parent), session_(session), mouse_(session, session.Timeline()) {
  setObjectName("PB_Auto");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  setFocusPolicy(Qt::ClickFocus);
  Ti_AutoScroll = new QTimer(this);
  Ti_AutoScroll->setObjectName("Ti_AutoScroll");
  Ti_AutoScroll->setInterval(50);
  connect(Ti_AutoScroll, &QTimer::timeout, this, &TTimelineSurface::AutoScrollTick);
}

TimelineNavigator TTimelineSurface::Navigator() {
  Title& title = session_.GetTitle();
  return TimelineNavigator(session_.Timeline(), title.Automation(), &title.Cues(), RowsOf(session_),
                           width(), height());
}

void TTimelineSurface::ViewMoved() {
  if (mouse_.Dragging()) {
    mouse_.Move(last_pointer_);
    Status();
  }
  update();
  if (on_view) on_view();
}

void TTimelineSurface::AutoScrollTick() {
  if (!mouse_.Dragging()) {
    Ti_AutoScroll->stop();
    return;
  }
  const auto [time, rows] = AutoScrollAxes(mouse_.Mode());
  if (Navigator().AutoScroll(last_pointer_.x, last_pointer_.y, time, rows)) ViewMoved();
}

TimelineScene TTimelineSurface::BuildCurrentScene() const {
  Title& title = session_.GetTitle();
  SceneInput in{
      &title.Automation(),     &title.System(),    session_.ViewParam(), session_.SelectionStart(),
      session_.SelectionEnd(), mouse_.RowOffset(), &title.Cues()};
  TimelineScene scene = BuildScene(session_.Timeline(), width(), height(), in);
  mouse_.Decorate(scene);
  return scene;
}

void TTimelineSurface::paintEvent(QPaintEvent*) {
  mouse_.SetSurface(width(), height());
  scene_ = BuildCurrentScene();
  // Drawn at the screen's own pixels, so lines and texts stay sharp at any scale; the scene
  // and the hit tests keep the timeline's coordinates.
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * ratio).toSize();
  if (buffer_.size() != pixels) buffer_ = QImage(pixels, QImage::Format_RGB32);
  buffer_.setDevicePixelRatio(ratio);
  PaintTimeline(buffer_, scene_, TimelineFonts(bold_));
  QPainter(this).drawImage(QPointF(0, 0), buffer_);
}

void TTimelineSurface::Status() {
  if (on_status) on_status(QString::fromLatin1(mouse_.StatusText().c_str()));
}

void TTimelineSurface::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || mouse_.Dragging()) return;
  mouse_.SetSurface(width(), height());
  last_pointer_ = PointerOf(event);
  mouse_.Down(last_pointer_, scene_);
  if (mouse_.Dragging()) Ti_AutoScroll->start();
  Status();
  update();
  if (on_changed) on_changed();
}

void TTimelineSurface::mouseMoveEvent(QMouseEvent* event) {
  last_pointer_ = PointerOf(event);
  mouse_.Move(last_pointer_, mouse_.Dragging() ? nullptr : &scene_);
  Status();
  if (mouse_.Dragging()) update();
}

void TTimelineSurface::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press may already have grabbed the event; a grab that has not moved yields.
  const bool free = !mouse_.Dragging() || mouse_.Mode() == TimelineDrag::kEventGrabbed;
  if (event->button() == Qt::LeftButton && free && on_event_entry) {
    if (const VisibleEvent* hit = mouse_.EventUnder(PointerOf(event), scene_)) {
      if (auto entry = TimelineEdits(session_).Entry(hit->index)) {
        mouse_.Cancel();
        Ti_AutoScroll->stop();
        on_event_entry(*entry);
        return;
      }
    }
  }
  mousePressEvent(event);
}

void TTimelineSurface::wheelEvent(QWheelEvent* event) {
  const QPoint angle = event->angleDelta();
  wheel_angle_ += angle.y() != 0 ? angle.y() : angle.x();
  const int notches = wheel_angle_ / 120;
  wheel_angle_ %= 120;
  event->accept();
  if (notches == 0) return;
  const Qt::KeyboardModifiers mods = event->modifiers();
  Navigator().Wheel({notches, mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier)},
                    static_cast<int>(event->position().x()));
  ViewMoved();
}

void TTimelineSurface::keyPressEvent(QKeyEvent* event) {
  const int view = session_.ViewParam();
  TimelineNavigator navigator = Navigator();
  const bool plain = (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0;
  auto key = [&](TimelineKey k) { navigator.Key(k, view); };
  switch (plain ? event->key() : 0) {
    case Qt::Key_Escape:
      if (!mouse_.Dragging()) return QWidget::keyPressEvent(event);
      mouse_.Cancel();
      Ti_AutoScroll->stop();
      Status();
      update();
      if (on_changed) on_changed();
      return;
    case Qt::Key_Left:
      key(TimelineKey::kLeft);
      break;
    case Qt::Key_Right:
      key(TimelineKey::kRight);
      break;
    case Qt::Key_Up:
      key(TimelineKey::kUp);
      break;
    case Qt::Key_Down:
      key(TimelineKey::kDown);
      break;
    case Qt::Key_PageUp:
      key(TimelineKey::kPageUp);
      break;
    case Qt::Key_PageDown:
      key(TimelineKey::kPageDown);
      break;
    case Qt::Key_Home:
      key(TimelineKey::kHome);
      break;
    case Qt::Key_End:
      key(TimelineKey::kEnd);
      break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      key(TimelineKey::kZoomIn);
      break;
    case Qt::Key_Minus:
      key(TimelineKey::kZoomOut);
      break;
    case Qt::Key_F:
      navigator.ZoomToFit();
      break;
    case Qt::Key_Z:
      navigator.ZoomToSelection(session_.SelectionStart(), session_.SelectionEnd());
      break;
    case Qt::Key_S:
      session_.Timeline().SetSnap(!session_.Timeline().Snap());
      break;
    default:
      return QWidget::keyPressEvent(event);
  }
  ViewMoved();
}

void TTimelineSurface::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !mouse_.Dragging()) return;
  Ti_AutoScroll->stop();
  mouse_.Up(PointerOf(event));
  update();
  if (on_changed) on_changed();
}

void TTimelineSurface::contextMenuEvent(QContextMenuEvent* event) {
  // A right click in the middle of a drag would leave the drag without its button-up.
  if (mouse_.Dragging()) return;
  if (on_context_menu) on_context_menu(event->globalPos());
}

void TTimelineSurface::leaveEvent(QEvent*) {
  if (!mouse_.Dragging() && on_status) on_status(QString());
}

// The frame ------------------------------------------------------------------------------------

TTimelineArea::TTimelineArea(EditSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
  setObjectName("Pa_Auto");
  Pa_Auto1 = new QWidget(this);
  Pa_Auto1->setObjectName("Pa_Auto1");
  Pa_AutoCtrl = new QWidget(Pa_Auto1);
  Pa_AutoCtrl->setObjectName("Pa_AutoCtrl");
  Pa_AutoCtrl->setGeometry(0, 0, 192, 51);

  Co_View = new QComboBox(Pa_AutoCtrl);
  Co_View->setObjectName("Co_View");
  Co_View->setFocusPolicy(Qt::NoFocus);
  Co_View->setMaxVisibleItems(24);
  for (const int param : kAutomationViews) Co_View->addItem(QString::fromLatin1(ParamName(param)));
  Co_View->setGeometry(0, 0, 192, 21);
  connect(Co_View, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0 && index < static_cast<int>(kAutomationViews.size()))
      session_.ChangeView(kAutomationViews[static_cast<std::size_t>(index)]);
    Update();
    if (PB_Auto->on_changed) PB_Auto->on_changed();
  });

  CG_Free = new QProgressBar(Pa_AutoCtrl);
  CG_Free->setObjectName("CG_Free");
  CG_Free->setGeometry(8, 23, 89, 17);
  CG_Free->setRange(0, 100);
  CG_Free->setTextVisible(true);
  CG_Free->setToolTip("Automation memory in use");

  Bu_Write = ToolButton(Pa_AutoCtrl, "Bu_Write", "W", "Write");
  Bu_Select = ToolButton(Pa_AutoCtrl, "Bu_Select", "S", "Select");
  Bu_Eraser = ToolButton(Pa_AutoCtrl, "Bu_Eraser", "E", "Eraser");
  auto* tools = new QButtonGroup(this);
  tools->setExclusive(true);
  int x = 104;
  for (const auto& [button, tool] :
       {std::pair{Bu_Write, TimelineTool::kWrite}, std::pair{Bu_Select, TimelineTool::kSelect},
        std::pair{Bu_Eraser, TimelineTool::kEraser}}) {
    button->setIcon(ToolIcon(tool));
    button->setIconSize(QSize(16, 16));
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setGeometry(x, 20, 25, 25);
    tools->addButton(button);
    connect(button, &QToolButton::clicked, this, [this, tool = tool] {
      session_.Timeline().SetTool(tool);
      PB_Auto->update();
    });
    x += 28;
  }
  Bu_Select->setChecked(true);
  BuildWritePopup();

  PB_Title = new TitleSurface(Pa_Auto1);
  PB_Title->setObjectName("PB_Title");

  PB_Auto = new TTimelineSurface(session_, this);
  Sc_Ch = new QScrollBar(Qt::Vertical, this);
  Sc_Ch->setObjectName("Sc_Ch");
  Sc_Time = new QScrollBar(Qt::Horizontal, this);
  Sc_Time->setObjectName("Sc_Time");
  Sc_Time->setRange(0, timeline::kTimeScrollMax);
  for (QScrollBar* bar : {Sc_Ch, Sc_Time}) bar->setFocusPolicy(Qt::NoFocus);
  connect(Sc_Ch, &QScrollBar::valueChanged, this, [this](int value) {
    session_.Timeline().SetRowScroll(value, Sc_Ch->maximum() + 1);
    PB_Auto->update();
  });
  connect(Sc_Time, &QScrollBar::valueChanged, this, [this](int value) {
    session_.Timeline().SetTimeScroll(value, TimeSpan(session_.GetTitle().Automation()));
    PB_Auto->update();
  });

  PB_Auto->on_view = [this] {
    UpdateScrollBars();
    if (Bu_Snap->isChecked() != session_.Timeline().Snap())
      Bu_Snap->setChecked(session_.Timeline().Snap());
  };
  PB_Auto->on_event_entry = [this](const EventEntry& entry) { OpenEventEntry(entry); };

  La_Words = new QLabel(PB_Title);
  La_Words->setObjectName("La_Words");
  La_Words->setStyleSheet("color: white;");
  La_Words->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  Bu_FitTime = ToolButton(this, "Bu_FitTime", QString(QChar(0x2194)), "Zoom to fit (F)");
  Bu_SelTime = ToolButton(this, "Bu_SelTime", "[ ]", "Zoom to selection (Z)");
  Bu_Snap =
      ToolButton(this, "Bu_Snap", "S", "Snap to cues and events (S; hold Alt to move freely)");
  Bu_Snap->setCheckable(true);
  Bu_Snap->setChecked(session_.Timeline().Snap());
  connect(Bu_FitTime, &QToolButton::clicked, this, &TTimelineArea::ZoomToFit);
  connect(Bu_SelTime, &QToolButton::clicked, this, &TTimelineArea::ZoomToSelection);
  connect(Bu_Snap, &QToolButton::clicked, this,
          [this](bool on) { session_.Timeline().SetSnap(on); });

  Bu_RCh = ToolButton(this, "Bu_RCh", QString(QChar(0x2212)), "Lower bands");
  Bu_DCh = ToolButton(this, "Bu_DCh", "+", "Higher bands");
  Bu_RTime = ToolButton(this, "Bu_RTime", QString(QChar(0x2212)), "Show more time");
  Bu_DTime = ToolButton(this, "Bu_DTime", "+", "Show less time");
  const std::pair<QToolButton*, void (TimelineState::*)()> zooms[] = {
      {Bu_RCh, &TimelineState::ReduceBands},
      {Bu_DCh, &TimelineState::DetailBands},
      {Bu_RTime, &TimelineState::ReduceTime},
      {Bu_DTime, &TimelineState::DetailTime}};
  for (const auto& [button, zoom] : zooms) {
    connect(button, &QToolButton::clicked, this, [this, zoom = zoom] {
      (session_.Timeline().*zoom)();
      Update();
    });
  }
}

void TTimelineArea::BuildWritePopup() {
  Po_Write = new QMenu(this);
  Po_Write->setObjectName("Po_Write");
  shapes_ = new QActionGroup(this);
  shapes_->setExclusive(true);
  const char* const items[] = {"&Free", "&Line", "Curve &1", "Curve &2", "Curve &3"};
  for (int tag = 0; tag < 5; ++tag) {
    QAction* action = Po_Write->addAction(QString::fromLatin1(items[tag]));
    action->setCheckable(true);
    action->setData(tag);
    action->setChecked(tag == 0);
    shapes_->addAction(action);
  }
  connect(shapes_, &QActionGroup::triggered, this,
          [this](QAction* action) { session_.Timeline().SetShape(action->data().toInt()); });
  connect(Po_Write, &QMenu::aboutToShow, this, [this] {
    const WriteMenu menu =
        OpenWriteMenu(session_.Timeline(), session_.GetTitle().Automation(), session_.ViewParam());
    const QList<QAction*> actions = shapes_->actions();
    for (QAction* action : actions) {
      const auto shape = static_cast<WriteShape>(action->data().toInt());
      action->setEnabled(menu.Enabled(shape));
      action->setChecked(shape == menu.chosen);
    }
  });
  connect(Bu_Write, &QToolButton::clicked, this,
          [this] { Po_Write->popup(Bu_Write->mapToGlobal(QPoint(0, Bu_Write->height()))); });
}

void TTimelineArea::UpdateScrollBars() {
  const TQ730AUTO& automation = session_.GetTitle().Automation();
  const int rows = std::min(session_.GetTitle().System().Count(), TQ730AUTO::kChannelFlags);
  const TimelineGeometry g(session_.Timeline(), PB_Auto->width(), PB_Auto->height(),
                           TimeSpan(automation));
  const QSignalBlocker quiet_rows(Sc_Ch), quiet_time(Sc_Time);
  Sc_Ch->setRange(0, std::max(0, rows - 1));
  Sc_Ch->setPageStep(std::max(1, g.PageBands()));
  Sc_Ch->setValue(session_.Timeline().RowScroll());
  Sc_Time->setPageStep(std::max(1, g.TimePageStep()));
  Sc_Time->setSingleStep(std::max(1, g.TimeSmallStep()));
  Sc_Time->setValue(session_.Timeline().TimeScroll(TimeSpan(automation)));
}

void TTimelineArea::PlaceOnce() {
  if (session_.Timeline().Placed() || PB_Auto->width() <= timeline::kLabelWidth || !isVisible())
    return;
  session_.Timeline().SetPlaced();
  PB_Auto->Navigator().ShowStart(session_.ViewParam());
}

void TTimelineArea::ZoomToFit() {
  PB_Auto->Navigator().ZoomToFit();
  Update();
}

void TTimelineArea::ZoomToSelection() {
  PB_Auto->Navigator().ZoomToSelection(session_.SelectionStart(), session_.SelectionEnd());
  Update();
}

void TTimelineArea::ToggleSnap() {
  session_.Timeline().SetSnap(!session_.Timeline().Snap());
  Bu_Snap->setChecked(session_.Timeline().Snap());
}

void TTimelineArea::GoToTimecode() {
  const TQ730AUTO& automation = session_.GetTitle().Automation();
  const TimelineGeometry g(session_.Timeline(), PB_Auto->width(), PB_Auto->height(),
                           TimeSpan(automation));
  const double middle = (g.LeftTime() + g.RightTime()) / 2;
  const std::string now = FormatTC(SecondsToTC(middle, automation.Rate()));
  auto* dialog = new TFo_Entry(
      "Go To Timecode",
      {{"Timecode (" + TextOf(TCModeName(session_.GetTitle().System().TimecodeMode())) + "):",
        now}},
      [this](const std::vector<std::string>& texts) {
        std::string error;
        const auto seconds = ReadTimecode(texts[0], session_.GetTitle().Automation().Rate(), error);
        if (!seconds) return error;
        PB_Auto->Navigator().Centre(*seconds);
        Update();
        return std::string();
      },
      this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

void TTimelineArea::OpenEventEntry(const EventEntry& entry) {
  auto* dialog = new TFo_Entry(
      "Event", {{"Time:", entry.time}, {"Value:", entry.value}},
      [this, entry](const std::vector<std::string>& texts) {
        const std::string error = TimelineEdits(session_).SetEvent(entry, texts[0], texts[1]);
        if (error.empty() && PB_Auto->on_changed) PB_Auto->on_changed();
        return error;
      },
      this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->Ed_Fields[1]->setFocus();
  dialog->Ed_Fields[1]->selectAll();
  dialog->open();
}

void TTimelineArea::Update() {
  PlaceOnce();
  {
    const QSignalBlocker quiet(Co_View);
    Co_View->setCurrentIndex(ViewIndexOf(session_.ViewParam()));
  }
  int percent = 0;
  bool red = false;
  FillGauge(session_.GetTitle().Automation().StreamWordCount(), percent, red);
  QPalette palette = CG_Free->palette();
  palette.setColor(QPalette::Highlight, red ? QColor(Qt::red) : QColor(Qt::black));
  CG_Free->setPalette(palette);
  CG_Free->setValue(percent);
  const StreamCost cost = TimelineEdits(session_).Cost();
  QString words = QString("%L1 words · %L2 events").arg(cost.title_words).arg(cost.title_events);
  if (cost.selection_words > 0)
    words += QString(" · selection %L1 words").arg(cost.selection_words);
  if (La_Words->text() != words) La_Words->setText(words);
  if (Bu_Snap->isChecked() != session_.Timeline().Snap())
    Bu_Snap->setChecked(session_.Timeline().Snap());
  UpdateTools(session_.Enabled().timeline_tools);
  UpdateScrollBars();
  PB_Auto->update();
}

void TTimelineArea::UpdateTools(bool tools) {
  if (Bu_Write->isEnabled() != tools) Bu_Write->setEnabled(tools);
  if (Bu_Eraser->isEnabled() != tools) Bu_Eraser->setEnabled(tools);
  if (!tools && session_.Timeline().Tool() != TimelineTool::kSelect) {
    session_.Timeline().SetTool(TimelineTool::kSelect);
    Bu_Select->setChecked(true);
  }
}

void TTimelineArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int w = width(), h = height();
  const int bar = 16, button = 16;
  Pa_Auto1->setGeometry(0, 0, w, 51);
  PB_Title->setGeometry(192, 0, std::max(0, w - 192), 51);
  La_Words->setGeometry(0, 30, std::max(0, w - 192 - 8), 18);
  const int top = 51;
  const int auto_height = std::max(0, h - top - bar);
  const int auto_width = std::max(0, w - bar);
  PB_Auto->setGeometry(0, top, auto_width, auto_height);
  Sc_Ch->setGeometry(auto_width, top, bar, std::max(0, auto_height - 2 * button));
  Bu_RCh->setGeometry(auto_width, top + auto_height - 2 * button, bar, button);
  Bu_DCh->setGeometry(auto_width, top + auto_height - button, bar, button);
  const int wide = 2 * button;  // the fit, selection and snap buttons
  Sc_Time->setGeometry(0, top + auto_height, std::max(0, auto_width - 2 * button - 3 * wide), bar);
  Bu_Snap->setGeometry(auto_width - 2 * button - 3 * wide, top + auto_height, wide, bar);
  Bu_SelTime->setGeometry(auto_width - 2 * button - 2 * wide, top + auto_height, wide, bar);
  Bu_FitTime->setGeometry(auto_width - 2 * button - wide, top + auto_height, wide, bar);
  Bu_RTime->setGeometry(auto_width - 2 * button, top + auto_height, button, bar);
  Bu_DTime->setGeometry(auto_width - button, top + auto_height, button, bar);
  PlaceOnce();
  UpdateScrollBars();
}

}  // namespace orb
