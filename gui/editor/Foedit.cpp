#include "gui/editor/Foedit.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "core/editor/Sessions.h"
#include "core/editor/TimelineEdits.h"
#include "gui/common/DialogParts.h"
#include "gui/common/Painting.h"
#include "gui/common/Pictures.h"
#include "gui/common/Text.h"
#include "gui/editor/Foentry.h"
#include "gui/editor/Fohistory.h"
#include "gui/editor/ListPane.h"
#include "gui/editor/PanelArea.h"
#include "gui/editor/TimelineView.h"

namespace orb {

namespace {

constexpr int kListWidth = 192;
constexpr int kScrollWidth = 16;
constexpr int kNameColumn = 48;
constexpr int kUndoPanelWidth = 64;
constexpr int kLinkNoticeMs = 8000;

void SetEnabled(QAction* action, bool on) {
  if (action->isEnabled() != on) action->setEnabled(on);
}

void SetEnabled(QWidget* widget, bool on) {
  if (widget->isEnabled() != on) widget->setEnabled(on);
}

void SetText(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
}

// New and Delete; Store and Recall show the title manager's import and export pictures (into
// and out of the library).
QIcon NewIcon() {
  return DrawnIcon([](QPainter& painter) {
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(10, 1.5);
    page.lineTo(13.5, 5);
    page.lineTo(13.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    painter.setPen(QPen(kPictureInk, 1));
    painter.setBrush(QColor(250, 250, 246));
    painter.drawPath(page);
    painter.setPen(QPen(QColor(40, 110, 190), 1.8, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(8.5, 6.5), QPointF(8.5, 12));
    painter.drawLine(QPointF(5.75, 9.25), QPointF(11.25, 9.25));
  });
}

QIcon DeleteIcon() {
  return DrawnIcon([](QPainter& painter) {
    painter.setPen(QPen(QColor(185, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4, 4), QPointF(12, 12));
    painter.drawLine(QPointF(12, 4), QPointF(4, 12));
  });
}

}  // namespace

TFo_Edit::TFo_Edit(EditSession& session, EditSessions& sessions, const ShellSettings* settings,
                   Prompter* prompter, QWidget* parent)
    : QWidget(parent),
      session_(session),
      sessions_(sessions),
      settings_(settings),
      prompter_(prompter) {
  setObjectName("TFo_Edit");
  // Every editor window has the tag 0: the main frame enables Save and Save As for it.
  setProperty("tag", 0);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  TC_Tab = new QTabBar(this);
  TC_Tab->setObjectName("TC_Tab");
  TC_Tab->setFocusPolicy(Qt::NoFocus);
  TC_Tab->setDrawBase(true);
  TC_Tab->setExpanding(false);
  TC_Tab->setUsesScrollButtons(true);
  // All thirteen tabs fit above the list pane and the panel.
  TC_Tab->setStyleSheet(
      "QTabBar::tab { padding: 3px 7px; margin-right: -1px; border: 1px solid palette(mid);"
      " border-top-left-radius: 3px; border-top-right-radius: 3px; background: palette(button); }"
      "QTabBar::tab:!selected { margin-top: 2px; }"
      "QTabBar::tab:selected { background: palette(window); border-bottom-color: palette(window); }"
      "QTabBar::tab:hover:!selected { background: palette(light); }");
  for (const TabPage& page : kTabPages) TC_Tab->addTab(QString::fromLatin1(page.caption));
  column->addWidget(TC_Tab);

  auto* body = new QWidget(this);
  body->setObjectName("Pa_Body");
  auto* row = new QHBoxLayout(body);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  column->addWidget(body, 1);

  BuildListPane();
  row->addWidget(Pa_List);
  BuildPanelArea();
  row->addWidget(Pa_Edit, 1);
  Pa_Auto = new TTimelineArea(session_, body);
  Pa_Auto->SetNaturalSize(QSize(kListWidth + TPanelArea::kWidth, TPanelArea::kHeight));
  Pa_Auto->hide();
  row->addWidget(Pa_Auto, 1);
  Pa_Auto->PB_Auto->on_changed = [this] {
    RefreshView();
    Ti_RefreshTimer();
  };
  Pa_Auto->PB_Auto->on_context_menu = [this](const QPoint& at) {
    Ti_RefreshTimer();
    PM_Edit->popup(at);
  };

  BuildStatusBar();
  column->addWidget(SB_Edit);
  Pa_Auto->PB_Auto->on_status = [this](const QString& text) { SetText(SB_Pointer, text); };
  BuildMenus();

  connect(TC_Tab, &QTabBar::currentChanged, this, [this](int tab) {
    CommitNameEditor();
    session_.ChangeTab(tab);
    RefreshView();
    // The timeline's keys work as soon as its tab shows.
    if (session_.Page() == kPageAutomation) Pa_Auto->PB_Auto->setFocus();
  });
  auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
  auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
  auto* find = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
  next->setWhatsThis("Next tab");
  previous->setWhatsThis("Previous tab");
  find->setWhatsThis("Find the next entry by name");
  for (QShortcut* shortcut : {next, previous, find})
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
  connect(find, &QShortcut::activated, this, &TFo_Edit::FindInList);
  connect(next, &QShortcut::activated, this, [this] { SwitchTab(1); });
  connect(previous, &QShortcut::activated, this, [this] { SwitchTab(-1); });

  Ti_Refresh = new QTimer(this);
  Ti_Refresh->setObjectName("Ti_Refresh");
  Ti_Refresh->setInterval(50);
  connect(Ti_Refresh, &QTimer::timeout, this, &TFo_Edit::Ti_RefreshTimer);
  Ti_Refresh->start();

  setFocusProxy(PB_List);
  RedrawAll();
  RefreshView();
  Ti_RefreshTimer();
}

TFo_Edit::~TFo_Edit() {
  // The children go after this body: nothing of theirs may reach the session any more.
  Ti_Refresh->stop();
  Ed_Edit->removeEventFilter(this);
  LB_List->removeEventFilter(this);
  PB_List->removeEventFilter(this);
  PB_Edit->removeEventFilter(this);
  Pa_List->removeEventFilter(this);
  QObject::disconnect(Ed_Edit, nullptr, this, nullptr);
  QObject::disconnect(TC_Tab, nullptr, this, nullptr);
  PB_List->on_press = PB_List->on_move = PB_List->on_release = nullptr;
  PB_List->on_wheel = nullptr;
  PB_List->on_resize = nullptr;
  Pa_Auto->PB_Auto->on_changed = nullptr;
  Pa_Auto->PB_Auto->on_status = nullptr;
  Pa_Auto->PB_Auto->on_context_menu = nullptr;
  Ed_Edit->hide();
  // The panel's binding unhooks itself from the session: it goes while the session lives.
  delete PB_Edit;
  PB_Edit = nullptr;
  sessions_.Close(session_);
}

void TFo_Edit::BuildListPane() {
  Pa_List = new QWidget(this);
  Pa_List->setObjectName("Pa_List");
  Pa_List->setFixedWidth(kListWidth);
  Pa_List->installEventFilter(this);

  Pa_ListCtrl = new QWidget(Pa_List);
  Pa_ListCtrl->setObjectName("Pa_ListCtrl");
  Pa_ListCtrl->setGeometry(0, 0, kListWidth, ListPane::kListCtrlHeight);
  La_List = new QLabel(Pa_ListCtrl);
  La_List->setObjectName("La_List");
  QFont caption = La_List->font();
  caption.setBold(true);
  La_List->setFont(caption);
  La_List->setGeometry(6, 3, kListWidth - 12, 20);

  const auto speed = [this](const char* name, const char* hint, const QIcon& picture, int x) {
    auto* button = new QToolButton(Pa_ListCtrl);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(picture);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(x, 24, 25, 25);
    return button;
  };
  Bu_New = speed("Bu_New", "New", NewIcon(), 4);
  Bu_Store = speed("Bu_Store", "Store", TitleButtonIcon(ButtonPicture::kImport), 30);
  Bu_Recall = speed("Bu_Recall", "Recall", TitleButtonIcon(ButtonPicture::kExport), 56);
  Bu_Delete = speed("Bu_Delete", "Delete", DeleteIcon(), 82);
  connect(Bu_New, &QToolButton::clicked, this, [this] { Run([this] { session_.New(); }); });
  connect(Bu_Store, &QToolButton::clicked, this, [this] { Run([this] { session_.Store(); }); });
  connect(Bu_Recall, &QToolButton::clicked, this, [this] { Run([this] { session_.Recall(); }); });
  connect(Bu_Delete, &QToolButton::clicked, this, [this] { Run([this] { session_.Delete(); }); });

  Bu_Lib = new QToolButton(Pa_ListCtrl);
  Bu_Lib->setObjectName("Bu_Lib");
  Bu_Lib->setText(kLibraryTargets[0].caption);
  Bu_Lib->setToolTip("Target of New, Store and Recall");
  Bu_Lib->setFocusPolicy(Qt::NoFocus);
  Bu_Lib->setGeometry(112, 25, kListWidth - 116, 23);
  Po_Lib = new QMenu(this);
  Po_Lib->setObjectName("Po_Lib");
  for (int tag = 0; tag < static_cast<int>(kLibraryTargets.size()); ++tag) {
    QAction* item = Po_Lib->addAction(kLibraryTargets[static_cast<std::size_t>(tag)].item);
    item->setData(tag);
    connect(item, &QAction::triggered, this, [this, tag] {
      session_.SetLibraryTag(tag);
      Bu_Lib->setText(session_.LibraryButtonTarget().caption);
    });
  }
  connect(Bu_Lib, &QToolButton::clicked, this,
          [this] { Po_Lib->popup(Bu_Lib->mapToGlobal(QPoint(0, Bu_Lib->height()))); });

  PB_List = new TListPane(session_, Pa_List);
  PB_List->installEventFilter(this);
  PB_List->setContextMenuPolicy(Qt::DefaultContextMenu);
  Sc_List = new QScrollBar(Qt::Vertical, Pa_List);
  Sc_List->setObjectName("Sc_List");
  Sc_List->setFocusPolicy(Qt::NoFocus);
  connect(Sc_List, &QScrollBar::valueChanged, this, [this](int value) {
    if (value == session_.Pane().ScrollPosition()) return;
    CommitNameEditor();
    session_.Pane().SetScrollPosition(value);
    PB_List->update();
    PB_Edit->update();  // the CUE page's rows follow the list
  });

  Ed_Edit = new QLineEdit(Pa_List);
  Ed_Edit->setObjectName("Ed_Edit");
  QFont name_font("Liberation Sans");
  name_font.setPixelSize(15);
  Ed_Edit->setFont(name_font);
  Ed_Edit->setAttribute(Qt::WA_InputMethodEnabled, false);
  // Names are the console's 8-bit texts: one byte a character, both ways, so that a name
  // left as it was is written back byte for byte.
  Ed_Edit->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[\\x{20}-\\x{7e}\\x{a0}-\\x{ff}]*")), Ed_Edit));
  Ed_Edit->setText("NEW NAME");
  Ed_Edit->hide();
  Ed_Edit->installEventFilter(this);
  connect(Ed_Edit, &QLineEdit::editingFinished, this, [this] {
    if (!syncing_editor_) CommitNameEditor();
  });

  PB_List->on_resize = [this] { LayoutListPane(); };
  PB_List->on_press = [this](QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    CommitNameEditor();
    PB_List->setFocus();
    session_.Pane().MouseDown(event->position().toPoint().y(), ModsOf(event->modifiers()));
    UpdateList();
    PB_Edit->update();
    Ti_RefreshTimer();
  };
  PB_List->on_move = [this](QMouseEvent* event) {
    if (!session_.Pane().MouseHeld()) return;
    session_.Pane().MouseMove(event->position().toPoint().y());
    UpdateList();
    PB_Edit->update();
  };
  PB_List->on_release = [this](QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    session_.Pane().MouseUp();
    SyncNameEditor();
    UpdateList();
  };
  PB_List->on_wheel = [this](QWheelEvent* event) {
    CommitNameEditor();
    session_.Pane().Wheel(event->angleDelta().y());
    UpdateList();
    PB_Edit->update();
  };
}

void TFo_Edit::BuildPanelArea() {
  Pa_Edit = new QWidget(this);
  Pa_Edit->setObjectName("Pa_Edit");
  PB_Edit = new TPanelArea(session_, Pa_Edit);
  PB_Edit->on_changed = [this] { RefreshView(); };
  PB_Edit->on_status = [this](const QString& text) { SetText(SB_Pointer, text); };
  PB_Edit->installEventFilter(this);
  PB_Edit->move(0, 0);
  Pa_Edit->setMinimumSize(TPanelArea::kWidth, TPanelArea::kHeight);
  LB_Assign = new QListWidget(Pa_Edit);
  LB_Assign->setObjectName("LB_Assign");
  LB_Assign->hide();
  LB_List = new QListWidget(Pa_Edit);
  LB_List->setObjectName("LB_List");
  QFont list_font("Liberation Sans");
  list_font.setPixelSize(12);
  LB_List->setFont(list_font);
  LB_List->hide();
  LB_List->installEventFilter(this);
  connect(LB_List, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!syncing_editor_) session_.ChoosePick(row);
  });
  // A click on an item chooses it and closes the list.
  connect(LB_List, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    session_.ChoosePick(LB_List->row(item));
    CommitNameEditor();
    RefreshView();
  });
  // The window's default button: never seen, but Enter runs it.
  Bu_Enter = new QPushButton("Enter", Pa_Edit);
  Bu_Enter->setObjectName("Bu_Enter");
  Bu_Enter->setFocusPolicy(Qt::NoFocus);
  Bu_Enter->setGeometry(0, -100, 60, 24);
  connect(Bu_Enter, &QPushButton::clicked, this, [this] {
    CommitNameEditor();
    session_.Enter();
    // A committed cue time may have moved the cue and the list pane's cursor with it.
    RefreshView();
    Ti_RefreshTimer();
  });
}

void TFo_Edit::BuildStatusBar() {
  SB_Edit = new QStatusBar(this);
  SB_Edit->setObjectName("SB_Edit");
  SB_Edit->setSizeGripEnabled(false);
  SB_Edit->setStyleSheet("QStatusBar { border-top: 1px solid palette(mid); }");
  SB_Pointer = new QLabel(SB_Edit);
  SB_Pointer->setObjectName("SB_Pointer");
  SB_Undo = new QLabel(SB_Edit);
  SB_Undo->setObjectName("SB_Undo");
  SB_Undo->setAlignment(Qt::AlignCenter);
  SB_Edit->addWidget(SB_Pointer);
  SB_Edit->addWidget(SB_Undo, 1);
}

void TFo_Edit::BuildMenus() {
  const auto item = [this](QMenu* menu, const char* name, const char* text,
                           const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
  };
  M_Edit = new QMenu("&Edit", this);
  M_Edit->setObjectName("M_Edit");
  ME_Undo = item(M_Edit, "ME_Undo", "&Undo", Qt::CTRL | Qt::Key_Z);
  ME_Redo = item(M_Edit, "ME_Redo", "&Redo", Qt::SHIFT | Qt::CTRL | Qt::Key_Z);
  ME_History = item(M_Edit, "ME_History", "&History...");
  M_Edit->addSeparator();
  ME_Cut = item(M_Edit, "ME_Cut", "Cu&t", Qt::CTRL | Qt::Key_X);
  ME_Copy = item(M_Edit, "ME_Copy", "&Copy", Qt::CTRL | Qt::Key_C);
  ME_Paste = item(M_Edit, "ME_Paste", "&Paste", Qt::CTRL | Qt::Key_V);
  ME_Delete = item(M_Edit, "ME_Delete", "&Delete", Qt::CTRL | Qt::Key_Delete);
  ME_OptionalCopy =
      item(M_Edit, "ME_OptionalCopy", "Optional Cop&y...", Qt::SHIFT | Qt::CTRL | Qt::Key_C);
  M_Edit->addSeparator();
  ME_InsertTime = item(M_Edit, "ME_InsertTime", "Insert &Time");
  ME_DeleteTime = item(M_Edit, "ME_DeleteTime", "Delete T&ime");
  M_Edit->addSeparator();
  ME_SelectAll = item(M_Edit, "ME_SelectAll", "Select &All", Qt::CTRL | Qt::Key_A);
  ME_ClearSelect =
      item(M_Edit, "ME_ClearSelect", "C&lear Select", Qt::SHIFT | Qt::CTRL | Qt::Key_A);
  M_Edit->addSeparator();
  ME_GoTo = item(M_Edit, "ME_GoTo", "&Go To Timecode...", Qt::CTRL | Qt::Key_G);
  ME_OffsetValues = item(M_Edit, "ME_OffsetValues", "O&ffset Values...");
  ME_Thin = item(M_Edit, "ME_Thin", "T&hin");
  connect(ME_GoTo, &QAction::triggered, this, [this] { Pa_Auto->GoToTimecode(); });
  connect(ME_OffsetValues, &QAction::triggered, this, [this] { OffsetValues(); });
  connect(ME_Thin, &QAction::triggered, this, [this] {
    Run([this] {
      const int removed = TimelineEdits(session_).Thin();
      SB_Edit->showMessage(QString("Thin: %1 events removed").arg(removed), kLinkNoticeMs);
    });
  });

  // A menu opens with the states as they are now, not as the timer last saw them.
  connect(M_Edit, &QMenu::aboutToShow, this, &TFo_Edit::Ti_RefreshTimer);
  M_Do = new QMenu("&Do", this);
  connect(M_Do, &QMenu::aboutToShow, this, &TFo_Edit::Ti_RefreshTimer);
  M_Do->setObjectName("M_Do");
  MD_Zero = item(M_Do, "MD_Zero", "&Zero...");
  MD_FaderCopy = item(M_Do, "MD_FaderCopy", "&Fader Copy...");
  MD_TrimFader = item(M_Do, "MD_TrimFader", "&Trim Fader...");
  M_Do->addSeparator();
  MD_SetGroup = item(M_Do, "MD_SetGroup", "Set &Group");
  MD_ResetGroup = item(M_Do, "MD_ResetGroup", "&Reset Group");

  PM_Edit = new QMenu(this);
  PM_Edit->setObjectName("PM_Edit");
  Po_Undo = item(PM_Edit, "Po_Undo", "&Undo");
  Po_Redo = item(PM_Edit, "Po_Redo", "&Redo");
  PM_Edit->addSeparator();
  Po_Cut = item(PM_Edit, "Po_Cut", "Cu&t");
  Po_Copy = item(PM_Edit, "Po_Copy", "&Copy");
  Po_Paste = item(PM_Edit, "Po_Paste", "&Paste");
  Po_Delete = item(PM_Edit, "Po_Delete", "&Delete");
  Po_OptionalCopy = item(PM_Edit, "Po_OptionalCopy", "Optional Cop&y...");
  PM_Edit->addSeparator();
  Po_InsertTime = item(PM_Edit, "Po_InsertTime", "Insert &Time");
  Po_DeleteTime = item(PM_Edit, "Po_DeleteTime", "Delete &Time");
  PM_Edit->addSeparator();
  Po_SelectAll = item(PM_Edit, "Po_SelectAll", "Select &All");
  Po_ClearSelect = item(PM_Edit, "Po_ClearSelect", "C&lear Select");

  // The session checks each command's enabled state itself, so a shortcut that comes before
  // the timer saw the last change does nothing wrong.
  const auto command = [this](std::initializer_list<QAction*> actions, void (*run)(EditSession&)) {
    for (QAction* action : actions)
      connect(action, &QAction::triggered, this,
              [this, run] { Run([this, run] { run(session_); }); });
  };
  command({ME_Undo, Po_Undo}, [](EditSession& s) { s.UndoCommand(); });
  command({ME_Redo, Po_Redo}, [](EditSession& s) { s.RedoCommand(); });
  connect(ME_History, &QAction::triggered, this, &TFo_Edit::ShowHistory);
  command({ME_Cut, Po_Cut}, [](EditSession& s) { s.Cut(); });
  command({ME_Copy, Po_Copy}, [](EditSession& s) { s.Copy(); });
  command({ME_Paste, Po_Paste}, [](EditSession& s) { s.Paste(); });
  command({ME_Delete, Po_Delete}, [](EditSession& s) { s.Delete(); });
  command({ME_OptionalCopy, Po_OptionalCopy}, [](EditSession& s) { s.OptionalCopy(); });
  command({ME_InsertTime, Po_InsertTime}, [](EditSession& s) { s.InsertTime(); });
  command({ME_DeleteTime, Po_DeleteTime}, [](EditSession& s) { s.DeleteTime(); });
  command({ME_SelectAll, Po_SelectAll}, [](EditSession& s) { s.SelectAll(); });
  command({ME_ClearSelect, Po_ClearSelect}, [](EditSession& s) { s.ClearSelect(); });
  command({MD_Zero}, [](EditSession& s) { s.Zero(); });
  command({MD_FaderCopy}, [](EditSession& s) { s.FaderCopy(); });
  command({MD_TrimFader}, [](EditSession& s) { s.TrimFader(); });
  command({MD_SetGroup}, [](EditSession& s) { s.SetGroup(); });
  command({MD_ResetGroup}, [](EditSession& s) { s.ResetGroup(); });
}

template <typename Command>
void TFo_Edit::Run(Command command) {
  CommitNameEditor();
  command();
  // What the link pass changed beyond the command's own target stays in view until the next
  // command (or for a while).
  const std::string notice = session_.TakeLinkNotice();
  if (notice.empty()) {
    SB_Edit->clearMessage();
  } else {
    SB_Edit->showMessage(QString::fromLatin1(notice.c_str()), kLinkNoticeMs);
  }
  RefreshView();
  Ti_RefreshTimer();
}

void TFo_Edit::SwitchTab(int step) {
  TC_Tab->setCurrentIndex((TC_Tab->currentIndex() + step + kTabCount) % kTabCount);
}

void TFo_Edit::LayoutListPane() {
  session_.Pane().SetGeometry(Pa_List->height(), PB_List->height());
  UpdateList();
}

void TFo_Edit::ShowPlace(int tab, int cursor) {
  CommitNameEditor();
  session_.ChangeTab(tab);
  if (cursor >= 0) session_.SetCursor(cursor);
  RefreshView();
}

void TFo_Edit::RefreshView() {
  if (TC_Tab->currentIndex() != session_.Tab()) {
    const QSignalBlocker quiet(TC_Tab);
    TC_Tab->setCurrentIndex(session_.Tab());
  }
  SetText(La_List, QString::fromLatin1(session_.ListCaption()));
  SetText(SB_Undo, QString::fromLatin1(session_.UndoPanelText().c_str()));
  LB_Assign->hide();
  const bool automation = session_.Page() == kPageAutomation;
  Pa_Auto->setVisible(automation);
  Pa_List->setVisible(!automation && session_.HasListPane());
  Pa_Edit->setVisible(!automation);
  Bu_Lib->setVisible(session_.SystemPage());
  if (automation) Pa_Auto->Update();
  SyncNameEditor();
  SyncPickList();
  UpdateList();
  PB_Edit->update();
  UpdateCaption();
}

void TFo_Edit::UpdateList() {
  {
    const QSignalBlocker quiet(Sc_List);
    Sc_List->setRange(0, session_.Pane().ScrollMax());
    Sc_List->setPageStep(std::max(1, session_.Pane().PageSize()));
    Sc_List->setValue(session_.Pane().ScrollPosition());
  }
  PB_List->update();
}

void TFo_Edit::UpdateCaption() {
  QString caption = TextOf(session_.WindowCaption());
  if (windowTitle() != caption) setWindowTitle(caption);
}

void TFo_Edit::Ti_RefreshTimer() {
  const Enabling e = session_.Enabled();
  if (enabled_ != e) {
    enabled_ = e;
    for (QAction* action : {ME_Undo, Po_Undo}) SetEnabled(action, e.undo);
    for (QAction* action : {ME_Redo, Po_Redo}) SetEnabled(action, e.redo);
    for (QAction* action : {ME_SelectAll, Po_SelectAll, ME_ClearSelect, Po_ClearSelect})
      SetEnabled(action, e.select_all);
    SetEnabled(Bu_New, e.new_entry);
    SetEnabled(Bu_Store, e.store);
    SetEnabled(Bu_Recall, e.store);
    for (QAction* action : {ME_Delete, Po_Delete}) SetEnabled(action, e.delete_entries);
    SetEnabled(Bu_Delete, e.delete_entries);
    for (QAction* action : {ME_Copy, Po_Copy}) SetEnabled(action, e.copy);
    for (QAction* action : {ME_Cut, Po_Cut}) SetEnabled(action, e.cut);
    for (QAction* action : {ME_Paste, Po_Paste}) SetEnabled(action, e.paste);
    for (QAction* action : {ME_OptionalCopy, Po_OptionalCopy}) SetEnabled(action, e.optional_copy);
    for (QAction* action : {ME_InsertTime, Po_InsertTime, ME_DeleteTime, Po_DeleteTime})
      SetEnabled(action, e.insert_time);
    SetEnabled(MD_Zero, e.zero);
    SetEnabled(MD_FaderCopy, e.fader_copy);
    SetEnabled(MD_TrimFader, e.fader_copy);
    SetEnabled(MD_SetGroup, e.set_group);
    SetEnabled(MD_ResetGroup, e.set_group);
    Pa_Auto->UpdateTools(e.timeline_tools);
  }
  const bool automation = session_.Page() == kPageAutomation;
  SetEnabled(ME_GoTo, automation);
  for (QAction* action : {ME_OffsetValues, ME_Thin})
    SetEnabled(action, automation && e.timeline_tools);
  SetText(SB_Undo, QString::fromLatin1(session_.UndoPanelText().c_str()));
  UpdateUndoTexts();
  UpdateCaption();
}

void TFo_Edit::UpdateUndoTexts() {
  const QString undo = TextOf(session_.UndoText()), redo = TextOf(session_.RedoText());
  if (ME_Undo->text() == "&" + undo && ME_Redo->text() == "&" + redo) return;
  for (QAction* action : {ME_Undo, Po_Undo}) action->setText("&" + undo);
  for (QAction* action : {ME_Redo, Po_Redo}) action->setText("&" + redo);
}

void TFo_Edit::FindInList() {
  if (!session_.HasListPane()) return;
  CommitNameEditor();
  bool ok = false;
  const QString text =
      QInputDialog::getText(this, "Find", "Name holds:", QLineEdit::Normal, last_find_, &ok);
  if (!ok || text.isEmpty()) return;
  last_find_ = text;
  if (session_.Pane().FindNext(StdText(text)) < 0) {
    SB_Edit->showMessage("\"" + text + "\" is not in the list.", kLinkNoticeMs);
    return;
  }
  RefreshView();
}

void TFo_Edit::ShowHistory() {
  CommitNameEditor();
  TFo_History history(
      [this] {
        return std::pair{session_.History(), session_.Undo().UndoCount()};
      },
      [this](int done) { Run([this, done] { session_.GoToHistory(done); }); }, this);
  history.exec();
}

void TFo_Edit::OffsetValues() {
  auto* dialog = new TFo_Entry(
      "Offset Values", {{"Amount (+2 dB, -10 %):", std::string()}},
      [this](const std::vector<std::string>& texts) {
        std::string error;
        Run([&] { error = TimelineEdits(session_).OffsetSelection(texts[0]); });
        return error;
      },
      this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

void TFo_Edit::OpenContextMenu(const QPoint& at) {
  CommitNameEditor();
  Ti_RefreshTimer();
  PM_Edit->popup(PB_List->mapToGlobal(at));
}

// The name editor --------------------------------------------------------------------------

void TFo_Edit::CommitNameEditor() {
  if (session_.PickList().visible) {
    session_.ClosePickList();
    SyncPickList();
    PB_Edit->update();
  }
  if (!session_.Pane().Rename().visible) {
    SyncNameEditor();
    return;
  }
  session_.Pane().CommitRename(Ed_Edit->text().toLatin1().toStdString());
  SyncNameEditor();
  UpdateList();
  PB_Edit->update();
  Ti_RefreshTimer();
}

// Shows or hides the editor as the session's rename state says.
void TFo_Edit::SyncNameEditor() {
  const RenameState& rename = session_.Pane().Rename();
  if (rename.visible == Ed_Edit->isVisible()) return;
  syncing_editor_ = true;
  if (rename.visible) {
    Ed_Edit->setMaxLength(std::max(1, rename.max_length));
    Ed_Edit->setText(
        QString::fromLatin1(rename.text.data(), static_cast<qsizetype>(rename.text.size())));
    const int height = Ed_Edit->sizeHint().height();
    Ed_Edit->setGeometry(kNameColumn + 1, session_.Pane().RenameTop(height),
                         PB_List->width() - kNameColumn - 2, height);
    Ed_Edit->show();
    Ed_Edit->raise();
    Ed_Edit->setFocus();
    if (rename.select_all) {
      Ed_Edit->selectAll();
    } else {
      Ed_Edit->deselect();
      Ed_Edit->end(false);
    }
  } else {
    const bool had_focus = Ed_Edit->hasFocus();
    Ed_Edit->hide();
    if (had_focus) PB_List->setFocus();
  }
  syncing_editor_ = false;
}

void TFo_Edit::SyncPickList() {
  const PickListState& pick = session_.PickList();
  syncing_editor_ = true;
  if (pick.visible) {
    const CueNumberList& list = pick.list;
    LB_List->clear();
    for (const PickItem& item : list.items) LB_List->addItem(TextOf(item.text));
    LB_List->setGeometry(list.box.left, list.box.top, list.box.width, list.box.height);
    LB_List->setCurrentRow(list.chosen);
    if (list.chosen >= 0) LB_List->scrollToItem(LB_List->item(list.chosen));
    if (!LB_List->isVisible()) {
      LB_List->show();
      LB_List->raise();
      LB_List->setFocus();
    }
  } else if (LB_List->isVisible()) {
    const bool had_focus = LB_List->hasFocus();
    LB_List->hide();
    LB_List->clear();
    if (had_focus) PB_List->setFocus();
  }
  syncing_editor_ = false;
}

// Keys -------------------------------------------------------------------------------------

bool TFo_Edit::ListKey(QKeyEvent* event) {
  const KeyMods mods = ModsOf(event->modifiers());
  const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
  const auto act = [&](orb::ListKey key) {
    session_.Pane().Key(key, mods);
    SyncNameEditor();
    SyncPickList();
    UpdateList();
    PB_Edit->update();
    Ti_RefreshTimer();
    return true;
  };
  switch (event->key()) {
    case Qt::Key_Shift:
      // Going down: a held Shift that repeats keeps its anchor.
      if (!event->isAutoRepeat()) session_.Pane().Key(orb::ListKey::kShift, mods);
      return false;
    case Qt::Key_Escape:
      return act(orb::ListKey::kEscape);
    case Qt::Key_PageUp:
      return act(orb::ListKey::kPageUp);
    case Qt::Key_PageDown:
      return act(orb::ListKey::kPageDown);
    case Qt::Key_Up:
      return act(orb::ListKey::kUp);
    case Qt::Key_Down:
      return act(orb::ListKey::kDown);
    case Qt::Key_Delete:
      CommitNameEditor();
      session_.Pane().Key(orb::ListKey::kDelete, mods);
      RefreshView();
      Ti_RefreshTimer();
      return true;
    case Qt::Key_Backspace:
      return act(orb::ListKey::kBackspace);
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Bu_Enter->click();
      return true;
    case Qt::Key_Plus:
    case Qt::Key_Minus:
      if (keypad)
        return act(event->key() == Qt::Key_Plus ? orb::ListKey::kPadPlus : orb::ListKey::kPadMinus);
      break;
    default:
      break;
  }
  const QString text = event->text();
  if (text.size() != 1 || mods.ctrl || event->modifiers().testFlag(Qt::AltModifier)) return false;
  const QChar c = text.front();
  if (c.unicode() > 0x7e) return false;
  session_.Pane().TypeChar(static_cast<char>(c.unicode()));
  SyncNameEditor();
  PB_Edit->update();
  return true;
}

void TFo_Edit::keyPressEvent(QKeyEvent* event) {
  if (!ListKey(event)) QWidget::keyPressEvent(event);
}

bool TFo_Edit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == PB_List && event->type() == QEvent::KeyPress) {
    if (ListKey(static_cast<QKeyEvent*>(event))) return true;
  } else if (watched == PB_List && event->type() == QEvent::ContextMenu) {
    if (!session_.Pane().MouseHeld())
      OpenContextMenu(static_cast<QContextMenuEvent*>(event)->pos());
    return true;
  } else if (watched == Ed_Edit && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Escape:
      case Qt::Key_Return:
      case Qt::Key_Enter:
        return ListKey(key);
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        // The cursor keys move in the list, which takes the name as it stands.
        CommitNameEditor();
        return ListKey(key);
      default:
        break;
    }
  } else if (watched == LB_List && event->type() == QEvent::KeyPress) {
    // Enter and Esc are the window's: Enter takes the chosen number, Esc leaves the cue as it was.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
      return ListKey(key);
  } else if (watched == LB_List && event->type() == QEvent::FocusOut) {
    if (!syncing_editor_ && session_.PickList().visible) {
      CommitNameEditor();
      RefreshView();
    }
  } else if (watched == PB_Edit && event->type() == QEvent::Wheel) {
    // Over a control the wheel steps it; elsewhere on the panel it scrolls the list.
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (!PB_Edit->WheelOnControl(wheel) && PB_List->on_wheel) PB_List->on_wheel(wheel);
    return true;
  } else if (watched == Pa_List && event->type() == QEvent::Resize) {
    const int top = ListPane::kListCtrlHeight;
    const int height = std::max(0, Pa_List->height() - top);
    PB_List->setGeometry(0, top, kListWidth - kScrollWidth, height);
    Sc_List->setGeometry(kListWidth - kScrollWidth, top, kScrollWidth, height);
    LayoutListPane();
  }
  return QWidget::eventFilter(watched, event);
}

// Window events -----------------------------------------------------------------------------

void TFo_Edit::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_once_) return;
  shown_once_ = true;
  // The panel's surface is 800 x 491 from the first show on.
  if (QWidget* frame = parentWidget()) frame->adjustSize();
  Pa_Auto->Co_View->setCurrentIndex(0);
  RefreshView();
  PB_List->setFocus();
}

void TFo_Edit::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  SB_Pointer->setFixedWidth(std::max(0, SB_Edit->width() - kUndoPanelWidth));
}

void TFo_Edit::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) CommitNameEditor();
  QWidget::changeEvent(event);
}

void TFo_Edit::closeEvent(QCloseEvent* event) {
  CommitNameEditor();
  if (!session_.CloseQuery()) {
    event->ignore();
    RefreshView();
    return;
  }
  Ti_Refresh->stop();
  event->accept();
}

// The frame's File menu ------------------------------------------------------------------

void TFo_Edit::SaveTitle() {
  CommitNameEditor();
  ReportStatus(prompter_, session_.Save());
  RefreshView();
}

std::string TFo_Edit::SaveTitleAs() {
  CommitNameEditor();
  const Status status = session_.SaveAs();
  ReportStatus(prompter_, status);
  RefreshView();
  return status == kOk ? session_.GetTitle().Path() : std::string();
}

void TFo_Edit::RedrawAll() {
  const bool bold = settings_ && settings_->bold;
  PB_List->SetBold(bold);
  for (QListWidget* list : {LB_Assign, LB_List}) {
    QFont font = list->font();
    font.setBold(bold);
    list->setFont(font);
  }
  PB_List->update();
  PB_Edit->update();
  Pa_Auto->PB_Auto->SetBold(bold);
  Pa_Auto->PB_Auto->update();
}

}  // namespace orb
