#include "gui/editor/EditAreas.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QToolButton>

#include "core/editor/AutomationViews.h"
#include "core/model/ParamNames.h"
#include "gui/editor/Painting.h"
#include "gui/pages/PagePainter.h"
#include "gui/shell/QtPrompter.h"

namespace orb {

namespace {

const QColor kPanelBack(58, 62, 68);
const QColor kPanelFrame(30, 32, 36);
const QColor kPanelQuiet(150, 156, 164);
const QColor kTitleFill(153, 92, 92);
const QColor kRulerGrey(224, 224, 224);
const QColor kDataBlue(0, 42, 64);

constexpr int kLabelColumn = 195;
constexpr int kRuler = 20;

// The page titles of the panel: 27 px, white over a black shadow.
void PageTitle(QPainter& painter, const QString& text) {
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
    PageTitle(painter, QStringLiteral("AUTOMATION"));
  }
};

enum class Tool { kWrite, kSelect, kEraser };

// The pictures of the three timeline tools: a pen, an arrow and an eraser.
QIcon ToolIcon(Tool tool) {
  return DrawnIcon([tool](QPainter& painter) {
    painter.setPen(QPen(kPictureInk, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (tool) {
      case Tool::kWrite:
        painter.setBrush(QColor(240, 200, 90));
        painter.drawPolygon(QPolygonF({{3, 13}, {4, 10}, {11, 3}, {13, 5}, {6, 12}}));
        painter.drawLine(QPointF(4, 10), QPointF(6, 12));
        break;
      case Tool::kSelect:
        painter.setBrush(Qt::white);
        painter.drawPolygon(
            QPolygonF({{4, 2}, {4, 13}, {7, 10}, {9, 14}, {11, 13}, {9, 9}, {13, 9}}));
        break;
      case Tool::kEraser:
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
  if (page == kPageChannel || page == kPageDynLib || page == kPageEqLib) {
    const PageKindShown shown = page == kPageChannel ? PageKindShown::kChannel
                                : page == kPageDynLib ? PageKindShown::kDynLib
                                                      : PageKindShown::kEqLib;
    PaintPage(painter, BuildPageScene({shown, &session_.CurrentList(), session_.Cursor(),
                                       section_, HeaderTextWidth()}));
    painter.end();
    QPainter(this).drawImage(0, 0, buffer);
    return;
  }
  painter.fillRect(buffer.rect(), kPanelBack);
  painter.setPen(kPanelFrame);
  painter.drawRect(buffer.rect().adjusted(0, 0, -1, -1));
  PageTitle(painter, QString::fromLatin1(session_.ListCaption()));

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

TTimelineSurface::TTimelineSurface(QWidget* parent) : QWidget(parent) {
  setObjectName("PB_Auto");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTimelineSurface::paintEvent(QPaintEvent*) {
  QImage buffer(size(), QImage::Format_RGB32);
  if (buffer.isNull()) return;
  const int right = width() - 1, bottom = height() - 1;
  QPainter painter(&buffer);
  painter.fillRect(buffer.rect(), Qt::white);
  painter.fillRect(QRect(QPoint(kLabelColumn, 0), QPoint(right, kRuler)), kRulerGrey);
  painter.fillRect(QRect(QPoint(kLabelColumn, kRuler), QPoint(right, bottom)), kDataBlue);
  DrawRaisedCell(painter, QRect(QPoint(1, 1), QPoint(192, kRuler)), kRulerGrey);
  DrawSurfaceFrame(painter, buffer.size());
  painter.end();
  QPainter(this).drawImage(0, 0, buffer);
}

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
      session_.SetView(kAutomationViews[static_cast<std::size_t>(index)]);
    PB_Auto->update();
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
  Bu_Write->setIcon(ToolIcon(Tool::kWrite));
  Bu_Select->setIcon(ToolIcon(Tool::kSelect));
  Bu_Eraser->setIcon(ToolIcon(Tool::kEraser));
  int x = 104;
  for (QToolButton* button : {Bu_Write, Bu_Select, Bu_Eraser}) {
    button->setIconSize(QSize(16, 16));
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setGeometry(x, 20, 25, 25);
    tools->addButton(button);
    x += 28;
  }
  Bu_Select->setChecked(true);

  PB_Title = new TitleSurface(Pa_Auto1);
  PB_Title->setObjectName("PB_Title");

  PB_Auto = new TTimelineSurface(this);
  Sc_Ch = new QScrollBar(Qt::Vertical, this);
  Sc_Ch->setObjectName("Sc_Ch");
  Sc_Time = new QScrollBar(Qt::Horizontal, this);
  Sc_Time->setObjectName("Sc_Time");
  Sc_Time->setRange(0, 65535);
  Bu_RCh = ToolButton(this, "Bu_RCh", QString(QChar(0x2212)), "Lower bands");
  Bu_DCh = ToolButton(this, "Bu_DCh", "+", "Higher bands");
  Bu_RTime = ToolButton(this, "Bu_RTime", QString(QChar(0x2212)), "Show more time");
  Bu_DTime = ToolButton(this, "Bu_DTime", "+", "Show less time");
  for (QScrollBar* bar : {Sc_Ch, Sc_Time}) bar->setFocusPolicy(Qt::NoFocus);
}

void TTimelineArea::Update() {
  Sc_Ch->setRange(0, std::max(0, session_.GetTitle().System().Count() - 1));
  const std::int64_t words = session_.GetTitle().Automation().StreamWordCount();
  const std::int64_t percent = words * 100 / TQ730AUTO::kMaxStreamWords;
  QPalette palette = CG_Free->palette();
  palette.setColor(QPalette::Highlight, percent > 100 ? QColor(Qt::red) : QColor(Qt::black));
  CG_Free->setPalette(palette);
  CG_Free->setValue(static_cast<int>(std::min<std::int64_t>(percent, 100)));
  const bool tools = session_.Enabled().timeline_tools;
  if (Bu_Write->isEnabled() != tools) Bu_Write->setEnabled(tools);
  if (Bu_Eraser->isEnabled() != tools) Bu_Eraser->setEnabled(tools);
  PB_Auto->update();
}

void TTimelineArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int w = width(), h = height();
  const int bar = 16, button = 16;
  Pa_Auto1->setGeometry(0, 0, w, 51);
  PB_Title->setGeometry(192, 0, std::max(0, w - 192), 51);
  const int top = 51;
  const int auto_height = std::max(0, h - top - bar);
  const int auto_width = std::max(0, w - bar);
  PB_Auto->setGeometry(0, top, auto_width, auto_height);
  Sc_Ch->setGeometry(auto_width, top, bar, std::max(0, auto_height - 2 * button));
  Bu_RCh->setGeometry(auto_width, top + auto_height - 2 * button, bar, button);
  Bu_DCh->setGeometry(auto_width, top + auto_height - button, bar, button);
  Sc_Time->setGeometry(0, top + auto_height, std::max(0, auto_width - 2 * button), bar);
  Bu_RTime->setGeometry(auto_width - 2 * button, top + auto_height, button, bar);
  Bu_DTime->setGeometry(auto_width - button, top + auto_height, button, bar);
}

}  // namespace orb
