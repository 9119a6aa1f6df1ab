#include "gui/shell/Q730edit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFont>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTabBar>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <cerrno>
#include <filesystem>

#include "core/model/DebugLog.h"
#include "core/storage/Library.h"
#include "core/storage/NewTitle.h"
#include "gui/common/Pictures.h"
#include "gui/common/Text.h"
#include "gui/editor/Foedit.h"
#include "gui/editor/ShowPaperwork.h"
#include "gui/shell/Fo232c.h"
#include "gui/shell/Foconfig.h"
#include "gui/shell/Foguide.h"
#include "gui/shell/Fonewtitle.h"
#include "gui/shell/Foserial.h"
#include "gui/shell/Foshortcuts.h"
#include "gui/shell/Fosplash.h"
#include "gui/shell/Fotitle.h"
#include "gui/shell/QtPrompter.h"

namespace orb {

namespace fs = std::filesystem;

namespace {

constexpr char kTagProperty[] = "tag";
constexpr int kDebugMemoLines = 2000;
constexpr int kTerminalMemoLines = 2000;

void SetEnabled(QAction* action, bool on) {
  if (action->isEnabled() != on) action->setEnabled(on);
}

}  // namespace

void ApplyProgramLook(QApplication& application) {
  application.setStyle(QStyleFactory::create("Fusion"));
  QFont::insertSubstitution("Arial", "Liberation Sans");
  QFont font("Liberation Sans");
  font.setPointSize(9);
  application.setFont(font);
}

TFo_Main::TFo_Main(std::string app_folder, Options options)
    : folder_(std::move(app_folder)), prompter_(options.prompter) {
  // The splash comes up before anything else is built.
  if (options.splash) {
    splash_ = new TFo_Splash;
    splash_->StartClosingTimer();
    splash_->show();
  }
  setObjectName("TFo_Main");
  setWindowTitle(kFrameCaption);
  if (!prompter_) {
    own_prompter_ = std::make_unique<QtPrompter>(this);
    prompter_ = own_prompter_.get();
  }
  open_title_.clear();
  ClearLog();

  mdi_ = new QMdiArea;
  mdi_->setObjectName("MdiArea");
  mdi_->setBackground(QBrush(WallpaperPicture()));
  Sp_Main = new QSplitter(Qt::Vertical, this);
  Sp_Main->setObjectName("Sp_Main");
  Sp_Main->addWidget(mdi_);
  setCentralWidget(Sp_Main);
  BuildDiagnostics();

  profile_ = ProfileFile((fs::path(folder_) / kSettingsFileName).string());
  settings_ = ReadShellSettings(profile_);
  recent_ = std::make_unique<RecentTitles>(profile_);
  memory_ = std::make_unique<WindowMemory>(profile_);

  BuildMenus();

  sessions_ = std::make_unique<EditSessions>(clip_, prompter_);
  title_ = new TFo_Title(folder_, &settings_, prompter_);
  title_->SetOpenTitles(sessions_.get());
  title_->setProperty(kTagProperty, -1);
  title_window_ = mdi_->addSubWindow(
      title_, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
  title_window_->setAttribute(Qt::WA_DeleteOnClose, false);
  title_window_->installEventFilter(this);
  title_window_->move(0, 0);
  title_window_->show();
  mdi_->viewport()->installEventFilter(this);
  ConnectTransferSession();
  connect(title_, &TFo_Title::MessageLine, this,
          [this](const QString& text) { ShowMessageLine(StdText(text)); });
  title_->SetEditorOpener([this](const std::string& path) { OpenEditor(path); });
  title_->SetEditorPlaceOpener(
      [this](const std::string& path, int tab, int cursor) { OpenEditorAt(path, tab, cursor); });
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { MergeEditorMenus(); });
  connect(MM_Window, &QMenu::aboutToShow, this, &TFo_Main::FillWindowMenu);
  // What the build cannot do yet is explained where the title manager explains it.
  MF_ImportRS232C->setToolTip(title_->PL_ImportRS232C->toolTip());
  MF_ExportRS232C->setToolTip(title_->PL_ExportRS232C->toolTip());
  MF_Open->setToolTip(title_->PL_Open->toolTip());

  Ti_Refresh = new QTimer(this);
  Ti_Refresh->setInterval(50);
  connect(Ti_Refresh, &QTimer::timeout, this, &TFo_Main::Ti_RefreshTimer);
}

TFo_Main::~TFo_Main() {
  QObject::disconnect(mdi_, nullptr, this, nullptr);
  // Editor windows hand their sessions back to the registry, which goes before the widgets.
  // (closed ones too, whose deletion is still pending).
  for (TFo_Edit* editor : findChildren<TFo_Edit*>()) delete editor;
  title_window_->removeEventFilter(this);
  mdi_->viewport()->removeEventFilter(this);
  if (splash_) delete splash_;
}

// The RS-232C commands of the title manager run the transfer window on the
// frame's port; while it exists the refresh timer leaves the port alone.
void TFo_Main::ConnectTransferSession() {
  title_->SetTransferSessionRunner([this](const TransferRequest& request) {
    SessionSetup setup;
    setup.mode = request.mode;
    setup.slot_index = request.slot;
    setup.title_path = request.title_path;
    setup.library_folder = folder_;
    setup.work_folder = (fs::path(folder_) / "tmp").string();
    setup.port_number = settings_.serial_index;
    setup.device = PortDevice(settings_.serial_index);
    TransferResult result;
    SetSessionActive(true);
    {
      TFo_Serial window(serial_, std::move(setup), prompter_, this);
      window.exec();
      result.success = window.Succeeded();
      result.imported_path = window.ImportedTitlePath();
    }
    SetSessionActive(false);
    return result;
  });
}

void TFo_Main::BuildMenus() {
  const auto entry = [this](QMenu* menu, const char* name, const char* text,
                            const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
  };
  MM_File = menuBar()->addMenu("&File");
  MM_File->setObjectName("MM_File");
  MM_File->setToolTipsVisible(true);
  MF_New = entry(MM_File, "MF_New", "&New title...", Qt::SHIFT | Qt::CTRL | Qt::Key_N);
  MF_Recent = MM_File->addMenu("Recent &titles");
  MF_Recent->setObjectName("MF_Recent");
  connect(MF_Recent, &QMenu::aboutToShow, this, &TFo_Main::FillRecentMenu);
  MM_File->addSeparator();
  MF_ImportRS232C =
      entry(MM_File, "MF_ImportRS232C", "I&mport from RS-232C...", Qt::CTRL | Qt::Key_M);
  MF_ExportRS232C = entry(MM_File, "MF_ExportRS232C", "Ex&port to RS-232C", Qt::CTRL | Qt::Key_P);
  MF_ImportFDD = entry(MM_File, "MF_ImportFDD", "&Import from FDD...", Qt::CTRL | Qt::Key_I);
  MF_ExportFDD = entry(MM_File, "MF_ExportFDD", "&Export to FDD...", Qt::CTRL | Qt::Key_E);
  MM_File->addSeparator();
  MF_Save = entry(MM_File, "MF_Save", "&Save", Qt::CTRL | Qt::Key_S);
  MF_SaveAs = entry(MM_File, "MF_SaveAs", "Save As...", Qt::CTRL | Qt::Key_N);
  MF_Open = entry(MM_File, "MF_Open", "&Open", Qt::CTRL | Qt::Key_O);
  MF_Delete = entry(MM_File, "MF_Delete", "&Delete", Qt::CTRL | Qt::Key_D);
  MF_Rename = entry(MM_File, "MF_Rename", "&Rename...", Qt::CTRL | Qt::Key_R);
  MF_Backup = entry(MM_File, "MF_Backup", "&Backup", Qt::CTRL | Qt::Key_B);
  MF_Compare = entry(MM_File, "MF_Compare", "Compare &with...");
  MM_File->addSeparator();
  MF_ImportNames = entry(MM_File, "MF_ImportNames", "Import channel &names...");
  MF_ExportChannels = entry(MM_File, "MF_ExportChannels", "Export channel &list...");
  MF_PrintSheet = entry(MM_File, "MF_PrintSheet", "Print show s&heet...");
  MM_File->addSeparator();
  MF_Exit = entry(MM_File, "MF_Exit", "E&xit", Qt::ALT | Qt::Key_F4);

  MM_Window = menuBar()->addMenu("&Window");
  MM_Window->setObjectName("MM_Window");
  MW_Cascade = entry(MM_Window, "MW_Cascade", "&Cascade");
  MW_TileVertical = entry(MM_Window, "MW_TileVertical", "Tile &Vertical");
  MW_TileHorizontal = entry(MM_Window, "MW_TileHorizontal", "Tile &Horizontal");
  MW_ArrangeIcons = entry(MM_Window, "MW_ArrangeIcons", "&Arrange Icons");

  MM_Setup = menuBar()->addMenu("&Setup");
  MM_Setup->setObjectName("MM_Setup");
  MS_Config = entry(MM_Setup, "MS_Config", "&Config...");
  MS_RS232C = entry(MM_Setup, "MS_RS232C", "&RS232C...");

  MM_Help = menuBar()->addMenu("&Help");
  MM_Help->setObjectName("MM_Help");
  MH_Contents = entry(MM_Help, "MH_Contents", "&User guide", Qt::Key_F1);
  MH_Shortcuts = entry(MM_Help, "MH_Shortcuts", "&Keyboard shortcuts");
  MH_ContentsSeparator = MM_Help->addSeparator();
  MH_About = entry(MM_Help, "MH_About", "&About...");

  MA_Diagnostics = new QAction("Diagnostics", this);
  MA_Diagnostics->setObjectName("MA_Diagnostics");
  MA_Diagnostics->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_T);
  addAction(MA_Diagnostics);
  connect(MA_Diagnostics, &QAction::triggered, this,
          [this] { Pa_Diagnostics->setVisible(!Pa_Diagnostics->isVisible()); });

  // Most of the File menu is the title manager's.
  connect(MF_ImportRS232C, &QAction::triggered, this, [this] { title_->ImportFromConsole(); });
  connect(MF_ExportRS232C, &QAction::triggered, this, [this] { title_->ExportToConsole(); });
  connect(MF_ImportFDD, &QAction::triggered, this, [this] { title_->ImportFromFloppy(); });
  connect(MF_ExportFDD, &QAction::triggered, this, [this] { title_->ExportToFloppy(); });
  connect(MF_Open, &QAction::triggered, this, [this] { title_->OpenTitleWindow(); });
  connect(MF_Compare, &QAction::triggered, this, [this] { title_->CompareWithTitle(); });
  connect(MF_Delete, &QAction::triggered, this, [this] { title_->DeleteTitleFile(); });
  connect(MF_Rename, &QAction::triggered, this, [this] { title_->RenameTitleFile(); });
  connect(MF_Backup, &QAction::triggered, this, [this] { title_->BackupTitleFile(); });
  connect(MF_New, &QAction::triggered, this, &TFo_Main::MF_NewClick);
  connect(MF_Save, &QAction::triggered, this, &TFo_Main::MF_SaveClick);
  connect(MF_SaveAs, &QAction::triggered, this, &TFo_Main::MF_SaveAsClick);
  connect(MF_Exit, &QAction::triggered, this, &QWidget::close);
  // The show paperwork of the active editor's title.
  const auto paperwork = [this](QAction* action, auto command) {
    connect(action, &QAction::triggered, this, [this, action, command] {
      Ti_RefreshTimer();
      EditorWindow* editor = ActiveEditor();
      if (!action->isEnabled() || !editor) return;
      command(this, editor->Session());
      editor->RefreshView();
    });
  };
  paperwork(MF_ImportNames, ImportChannelNames);
  paperwork(MF_ExportChannels, ExportChannelList);
  paperwork(MF_PrintSheet, PrintShowSheet);
  connect(MW_Cascade, &QAction::triggered, this, &TFo_Main::MW_CascadeClick);
  connect(MW_TileVertical, &QAction::triggered, this, &TFo_Main::MW_TileVerticalClick);
  connect(MW_TileHorizontal, &QAction::triggered, this, &TFo_Main::MW_TileHorizontalClick);
  connect(MW_ArrangeIcons, &QAction::triggered, this, &TFo_Main::MW_ArrangeIconsClick);
  connect(MS_Config, &QAction::triggered, this, &TFo_Main::MS_ConfigClick);
  connect(MS_RS232C, &QAction::triggered, this, &TFo_Main::MS_RS232CClick);
  connect(MH_Contents, &QAction::triggered, this, &TFo_Main::MH_ContentsClick);
  connect(MH_Shortcuts, &QAction::triggered, this, &TFo_Main::MH_ShortcutsClick);
  connect(MH_About, &QAction::triggered, this, &TFo_Main::MH_AboutClick);
}

void TFo_Main::BuildDiagnostics() {
  Pa_Diagnostics = new QSplitter(Qt::Vertical);
  Pa_Diagnostics->setObjectName("Pa_Diagnostics");
  Pa_Diagnostics->setContentsMargins(4, 0, 4, 4);
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  Me_Debug = new QPlainTextEdit;
  Me_Debug->setFont(fixed);
  Me_Debug->setObjectName("Me_Debug");
  Me_Debug->setReadOnly(true);
  Pa_Diagnostics->addWidget(Me_Debug);

  auto* terminal = new QWidget;
  auto* column = new QVBoxLayout(terminal);
  column->setContentsMargins(0, 0, 0, 0);
  auto* line = new QHBoxLayout;
  line->addWidget(new QLabel("RS-232C:"));
  Ed_Terminal = new QLineEdit;
  Ed_Terminal->setObjectName("Ed_Terminal");
  line->addWidget(Ed_Terminal, 1);
  Bu_Write = new QPushButton("Write");
  Bu_Write->setObjectName("Bu_Write");
  Bu_Write->setDefault(true);
  Bu_Cancel = new QPushButton("Cancel");
  Bu_Cancel->setObjectName("Bu_Cancel");
  Bu_Close = new QPushButton("Close");
  Bu_Close->setObjectName("Bu_Close");
  for (QPushButton* button : {Bu_Write, Bu_Cancel, Bu_Close}) line->addWidget(button);
  column->addLayout(line);
  Me_Terminal = new QPlainTextEdit;
  Me_Terminal->setObjectName("Me_Terminal");
  Me_Terminal->setReadOnly(true);
  Me_Terminal->setFont(fixed);
  Me_Terminal->setMaximumBlockCount(kTerminalMemoLines);
  column->addWidget(Me_Terminal, 1);
  Pa_Diagnostics->addWidget(terminal);
  Sp_Main->addWidget(Pa_Diagnostics);
  Sp_Main->setStretchFactor(0, 3);
  Sp_Main->setStretchFactor(1, 1);
  Pa_Diagnostics->hide();
  // The status bar is the frame's message line.
  statusBar()->setObjectName("SB_Status");

  connect(Bu_Write, &QPushButton::clicked, this, &TFo_Main::Bu_WriteClick);
  connect(Ed_Terminal, &QLineEdit::returnPressed, this, &TFo_Main::Bu_WriteClick);
  connect(Bu_Close, &QPushButton::clicked, this, &TFo_Main::Bu_CloseClick);
}

TFo_Splash* TFo_Main::Splash() const {
  return splash_;
}

std::string TFo_Main::PortDevice(int port) const {
  return orb::PortDevice(profile_, port);
}

void TFo_Main::ShowAtRememberedPlace() {
  const std::optional<WindowPlace> place = memory_->MainWindow();
  if (!place || place->maximized) {
    // Without a window manager there is nobody to maximise it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      setGeometry(screen->availableGeometry());
    showMaximized();
    return;
  }
  setGeometry(place->x, place->y, place->width, place->height);
  show();
}

void TFo_Main::showEvent(QShowEvent* event) {
  if (!shown_once_) {
    shown_once_ = true;
    Ti_Refresh->start();
    MF_ImportRS232C->setVisible(settings_.import_enabled);
    MF_ExportRS232C->setVisible(settings_.export_enabled);
    QTimer::singleShot(0, this, &TFo_Main::FitTitleManager);
    // The title manager as wide as it was left, once the layout has settled.
    if (const int width = memory_->ManagerWidth()) {
      QTimer::singleShot(0, this,
                         [this, width] { title_window_->resize(width, title_window_->height()); });
    }
    // The splash stays in front, also where no window manager keeps it there.
    if (splash_) QTimer::singleShot(0, splash_.data(), &QWidget::raise);
  }
  QMainWindow::showEvent(event);
}

// Until the user moves or sizes it, the title manager runs down the whole
// left side of the frame.
void TFo_Main::FitTitleManager() {
  if (!title_window_->isVisible() || title_window_->isMinimized() || title_window_->isMaximized() ||
      title_window_->pos() != QPoint(0, 0))
    return;
  if (fitted_height_ >= 0 && title_window_->height() != fitted_height_) return;
  const int least = title_window_->height() - title_->height() + 400;
  fitted_height_ = std::max(least, mdi_->viewport()->height());
  title_window_->resize(title_window_->width(), fitted_height_);
}

void TFo_Main::closeEvent(QCloseEvent* event) {
  // Each editor asks about its own changes; one that stays open keeps the program running.
  for (QMdiSubWindow* window : EditorWindows()) {
    if (!window->close()) {
      event->ignore();
      return;
    }
  }
  Ti_Refresh->stop();
  if (serial_.IsOpen()) serial_.ClosePort();
  const QRect place = normalGeometry();
  memory_->SetMainWindow({place.x(), place.y(), place.width(), place.height(), isMaximized()});
  if (!title_window_->isMinimized() && !title_window_->isMaximized())
    memory_->SetManagerWidth(title_window_->width());
  closing_ = true;
  QMainWindow::closeEvent(event);
}

bool TFo_Main::eventFilter(QObject* watched, QEvent* event) {
  // The title manager stays for the whole run.
  if (watched == title_window_ && event->type() == QEvent::Close && !closing_) {
    event->ignore();
    return true;
  }
  if (watched == mdi_->viewport() && event->type() == QEvent::Resize) FitTitleManager();
  return QMainWindow::eventFilter(watched, event);
}

void TFo_Main::Ti_RefreshTimer() {
  const bool selected = title_->HasSelection();
  SetEnabled(MF_ExportFDD, selected);
  SetEnabled(MF_ExportRS232C, selected && title_->CanTransfer());
  SetEnabled(MF_Open, selected && title_->CanOpenEditor());
  SetEnabled(MF_Compare, title_->CanCompare());
  SetEnabled(MF_Delete, selected);
  SetEnabled(MF_Rename, selected);
  SetEnabled(MF_Backup, selected);
  SetEnabled(MF_ImportRS232C, title_->CanTransfer());
  SetEnabled(MF_ImportFDD, true);

  const QMdiSubWindow* active = mdi_->currentSubWindow();
  const bool editor =
      active && active->widget() && active->widget()->property(kTagProperty).toInt() == 0;
  SetEnabled(MF_Save, editor);
  SetEnabled(MF_SaveAs, editor);
  for (QAction* paperwork : {MF_ImportNames, MF_ExportChannels, MF_PrintSheet})
    SetEnabled(paperwork, editor);
  MergeEditorMenus();

  if (!session_active_) {
    serial_.Poll();
    serial_.ReadLine();  // only its echo is wanted
  }

  const bool open = serial_.IsOpen();
  if (terminal_open_ != open) {
    terminal_open_ = open;
    QPalette palette = Ed_Terminal->palette();
    palette.setColor(QPalette::Base, open ? QColor(Qt::white) : palette.color(QPalette::Button));
    Ed_Terminal->setPalette(palette);
  }
  DrainLog();
}

void TFo_Main::DrainLog() {
  for (std::string line = NextLogLine(); !line.empty(); line = NextLogLine()) {
    if (line.size() >= 2 && line[0] == '*' && line[1] == '\r') {
      if (line.size() >= 3) Me_Terminal->appendPlainText(TextOf(line.substr(2)));
      continue;
    }
    // Newest first.
    QTextCursor cursor(Me_Debug->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(TextOf(line) + "\n");
    if (Me_Debug->document()->blockCount() > kDebugMemoLines) {
      QTextCursor last(Me_Debug->document()->lastBlock());
      last.select(QTextCursor::BlockUnderCursor);
      last.removeSelectedText();
    }
  }
}

EditorWindow* TFo_Main::ActiveEditor() const {
  const QMdiSubWindow* active = mdi_->currentSubWindow();
  return active ? dynamic_cast<EditorWindow*>(active->widget()) : nullptr;
}

QList<QMdiSubWindow*> TFo_Main::EditorWindows() const {
  QList<QMdiSubWindow*> editors;
  for (QMdiSubWindow* window : mdi_->subWindowList(QMdiArea::CreationOrder)) {
    if (qobject_cast<TFo_Edit*>(window->widget())) editors << window;
  }
  return editors;
}

void TFo_Main::OpenEditor(const std::string& path) {
  open_title_ = path;
  recent_->Add(path);
  bool created = false;
  EditSession& session = sessions_->Open(path, &created);
  if (!created) {
    for (QMdiSubWindow* window : EditorWindows()) {
      if (&static_cast<TFo_Edit*>(window->widget())->Session() != &session) continue;
      if (window->isMinimized()) window->showNormal();
      mdi_->setActiveSubWindow(window);
      window->widget()->setFocus();
      return;
    }
  }
  auto* editor = new TFo_Edit(session, *sessions_, &settings_, prompter_);
  // Each title opens on the tab it was left on.
  editor->ShowPlace(memory_->LastTab(path, kTabCount), -1);
  connect(editor->TC_Tab, &QTabBar::currentChanged, this,
          [this, path](int tab) { memory_->SetLastTab(path, tab); });
  QMdiSubWindow* window = mdi_->addSubWindow(editor);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowIcon(windowIcon());
  window->show();
  mdi_->setActiveSubWindow(window);
  MergeEditorMenus();
  BringForward(window);
}

void TFo_Main::OpenEditorAt(const std::string& path, int tab, int cursor) {
  OpenEditor(path);
  const EditSession* session = sessions_->Find(path);
  for (QMdiSubWindow* window : EditorWindows()) {
    auto* editor = static_cast<TFo_Edit*>(window->widget());
    if (&editor->Session() == session) editor->ShowPlace(tab, cursor);
  }
}

// A double click in the title manager ends there, with the button's release: the new window
// comes forward once the button is up, or the title manager would take the focus back.
void TFo_Main::BringForward(QMdiSubWindow* window) {
  QPointer<QMdiSubWindow> opened = window;
  QTimer::singleShot(QApplication::mouseButtons() == Qt::NoButton ? 0 : 20, this, [this, opened] {
    if (!opened) return;
    if (QApplication::mouseButtons() != Qt::NoButton) {
      BringForward(opened);
      return;
    }
    mdi_->setActiveSubWindow(opened);
    if (!opened->widget()->isAncestorOf(QApplication::focusWidget())) opened->widget()->setFocus();
    MergeEditorMenus();
  });
}

void TFo_Main::MergeEditorMenus() {
  const QMdiSubWindow* active = mdi_->currentSubWindow();
  auto* editor = active ? qobject_cast<TFo_Edit*>(active->widget()) : nullptr;
  if (editor == merged_editor_.data()) return;
  if (auto* old = qobject_cast<TFo_Edit*>(merged_editor_.data())) {
    menuBar()->removeAction(old->M_Edit->menuAction());
    menuBar()->removeAction(old->M_Do->menuAction());
  }
  merged_editor_ = editor;
  if (editor) {
    menuBar()->insertMenu(MM_Window->menuAction(), editor->M_Edit);
    menuBar()->insertMenu(MM_Window->menuAction(), editor->M_Do);
  }
}

// The Window menu ends with one entry per editor window, the active one checked.
void TFo_Main::FillWindowMenu() {
  for (QAction* entry : window_entries_) delete entry;
  window_entries_.clear();
  const QList<QMdiSubWindow*> editors = EditorWindows();
  if (editors.isEmpty()) return;
  window_entries_ << MM_Window->addSeparator();
  int number = 0;
  for (QMdiSubWindow* window : editors) {
    ++number;
    QString text = window->widget()->windowTitle();
    text.replace('&', "&&");
    QAction* entry =
        MM_Window->addAction(number < 10 ? QString("&%1 %2").arg(number).arg(text) : text);
    entry->setObjectName("MW_Editor");
    entry->setCheckable(true);
    entry->setChecked(window == mdi_->currentSubWindow());
    QPointer<QMdiSubWindow> target = window;
    connect(entry, &QAction::triggered, this, [this, target] {
      if (!target) return;
      if (target->isMinimized()) target->showNormal();
      mdi_->setActiveSubWindow(target);
    });
    window_entries_ << entry;
  }
}

void TFo_Main::FillRecentMenu() {
  MF_Recent->clear();
  const std::vector<RecentTitle> entries = recent_->Entries();
  int number = 0;
  for (const RecentTitle& recent : entries) {
    QString text = TextOf(recent.name);
    text.replace('&', "&&");
    QAction* entry = MF_Recent->addAction(QString("&%1 %2").arg(++number).arg(text));
    entry->setObjectName("MF_RecentTitle");
    entry->setToolTip(TextOf(recent.path));
    entry->setEnabled(recent.exists);
    const std::string path = recent.path;
    connect(entry, &QAction::triggered, this, [this, path] { OpenEditor(path); });
  }
  if (entries.empty()) MF_Recent->addAction("(none)")->setEnabled(false);
}

void TFo_Main::MF_NewClick() {
  TFo_NewTitle dialog(this);
  for (;;) {
    if (dialog.exec() != QDialog::Accepted) return;
    const std::string name = SanitizeTitleName(StdText(dialog.Name()));
    const std::string path = (fs::path(folder_) / (name + ".orb")).string();
    const Status status = CreateTitle(path, dialog.Settings(), prompter_);
    if (status == kCantOpenDestination && fs::exists(path)) {
      prompter_->Message("A title named \"" + name + "\" exists already.", "New Title",
                         Buttons::kOk);
      continue;
    }
    if (status != kOk) {
      const char* message = StatusMessage(status);
      prompter_->Message(*message ? message : "Failed.", "Error", Buttons::kOk);
      return;
    }
    title_->ReloadList();
    title_->SelectByPath(path);
    OpenEditor(path);
    return;
  }
}

void TFo_Main::MF_SaveClick() {
  Ti_RefreshTimer();
  if (!MF_Save->isEnabled()) return;
  if (EditorWindow* editor = ActiveEditor()) {
    editor->SaveTitle();
    title_->ReloadList();
  }
}

void TFo_Main::MF_SaveAsClick() {
  Ti_RefreshTimer();
  if (!MF_SaveAs->isEnabled()) return;
  if (EditorWindow* editor = ActiveEditor()) {
    const std::string path = editor->SaveTitleAs();
    title_->ReloadList();
    title_->SelectByPath(path);
  }
}

void TFo_Main::MW_CascadeClick() {
  mdi_->cascadeSubWindows();
}

void TFo_Main::MW_TileVerticalClick() {
  Tile(Qt::Horizontal);
}

void TFo_Main::MW_TileHorizontalClick() {
  Tile(Qt::Vertical);
}

QRect TFo_Main::TilingArea() const {
  QRect area = mdi_->viewport()->rect();
  // Minimised windows keep their row at the bottom.
  for (QMdiSubWindow* window : mdi_->subWindowList()) {
    if (window->isVisible() && window->isMinimized()) {
      area.setBottom(area.bottom() - window->height());
      break;
    }
  }
  return area;
}

// Side by side (Qt::Horizontal) or one above the other (Qt::Vertical).
void TFo_Main::Tile(Qt::Orientation orientation) {
  QList<QMdiSubWindow*> windows;
  for (QMdiSubWindow* window : mdi_->subWindowList())
    if (window->isVisible() && !window->isMinimized()) windows << window;
  if (windows.isEmpty()) return;
  const QRect area = TilingArea();
  const int count = static_cast<int>(windows.size());
  for (int i = 0; i < count; ++i) {
    if (windows[i]->isMaximized()) windows[i]->showNormal();
    if (orientation == Qt::Horizontal) {
      const int left = area.left() + area.width() * i / count;
      const int right = area.left() + area.width() * (i + 1) / count;
      windows[i]->setGeometry(left, area.top(), right - left, area.height());
    } else {
      const int top = area.top() + area.height() * i / count;
      const int bottom = area.top() + area.height() * (i + 1) / count;
      windows[i]->setGeometry(area.left(), top, area.width(), bottom - top);
    }
  }
}

void TFo_Main::MW_ArrangeIconsClick() {
  const QRect area = mdi_->viewport()->rect();
  int x = 0, y = area.bottom() + 1;
  int row_height = 0;
  for (QMdiSubWindow* window : mdi_->subWindowList()) {
    if (!window->isVisible() || !window->isMinimized()) continue;
    const QSize size = window->size();
    if (x > 0 && x + size.width() > area.width()) {
      x = 0;
      y -= row_height;
      row_height = 0;
    }
    if (row_height == 0) row_height = size.height();
    window->move(x, y - row_height);
    x += size.width();
  }
}

void TFo_Main::MS_ConfigClick() {
  TFo_Config dialog(this);
  dialog.CB_Bold->setChecked(settings_.bold);
  if (dialog.exec() != QDialog::Accepted) return;
  settings_.bold = dialog.CB_Bold->isChecked();
  profile_.WriteInt(kGlobalSection, "Bold", settings_.bold ? 1 : 0);
  for (QMdiSubWindow* window : mdi_->subWindowList()) {
    if (!window->widget()) continue;
    window->widget()->update();
    if (auto* editor = dynamic_cast<EditorWindow*>(window->widget())) editor->RedrawAll();
  }
}

void TFo_Main::MS_RS232CClick() {
  TFo_232C dialog(this);
  QStringList devices;
  for (int port = 1; port <= kComPortCount; ++port)
    devices << QString::fromStdString(PortDevice(port));
  dialog.SetDevices(devices);
  QStringList present;
  for (const std::string& device : ListSerialDevices()) present << TextOf(device);
  dialog.SetPresentDevices(present);
  dialog.SetIndex(settings_.serial_index - 1);
  if (dialog.exec() != QDialog::Accepted) return;
  const bool was_open = serial_.IsOpen();
  if (was_open) serial_.ClosePort();
  settings_.serial_index = dialog.Index() + 1;
  profile_.WriteInt(kGlobalSection, "SerialIndex", settings_.serial_index);
  const QStringList chosen = dialog.Devices();
  for (int port = 1; port <= kComPortCount; ++port) {
    const std::string device = StdText(chosen[port - 1]);
    if (device != PortDevice(port))
      profile_.WriteString(kPortsSection, "COM" + std::to_string(port), device);
  }
  const std::string device = PortDevice(settings_.serial_index);
  if (was_open && serial_.OpenPort(device) < 0) {
    const int error = errno;
    ShowMessageLine(PortOpenFailure(settings_.serial_index, device, error, serial_.LockOwner()));
  }
}

QString TFo_Main::GuideFile() {
  // Installed beside the program (…/bin and …/share/doc/orbedit), else the build's own.
  const fs::path installed =
      fs::path(StdText(QCoreApplication::applicationDirPath())).parent_path() / ORB_GUIDE_INSTALLED;
  std::error_code error;
  if (fs::is_regular_file(installed, error)) return TextOf(installed.string());
  if (fs::is_regular_file(ORB_GUIDE_BUILT, error)) return ORB_GUIDE_BUILT;
  return {};
}

void TFo_Main::MH_ContentsClick() {
  const QString guide = GuideFile();
  if (guide.isEmpty()) {
    prompter_->Message("The user guide is not installed.", "Help", Buttons::kOk);
    return;
  }
  if (open_guide_(guide)) return;
  // No browser: the guide in a window of its own.
  auto* window = new TFo_Guide(guide, this);
  window->show();
}

void TFo_Main::MH_ShortcutsClick() {
  QList<QMenu*> menus;
  for (QAction* action : menuBar()->actions()) {
    if (action->menu()) menus << action->menu();
  }
  // The editor's menus and keys, from an open editor window, else from one made for this.
  QPointer<TFo_Edit> editor;
  for (QMdiSubWindow* window : EditorWindows()) editor = static_cast<TFo_Edit*>(window->widget());
  std::unique_ptr<EditSession> scratch_session;
  std::unique_ptr<TFo_Edit> scratch;
  if (!editor) {
    scratch_session = std::make_unique<EditSession>(clip_, prompter_);
    scratch = std::make_unique<TFo_Edit>(*scratch_session, *sessions_, &settings_, prompter_);
    editor = scratch.get();
  }
  if (!menus.contains(editor->M_Edit)) menus << editor->M_Edit << editor->M_Do;
  QList<ShortcutRow> rows = ShortcutRows(menus, editor->findChildren<QShortcut*>());
  rows += ShortcutRows({}, title_->findChildren<QShortcut*>(), "Title manager");
  TFo_Shortcuts dialog(rows, this);
  dialog.exec();
}

void TFo_Main::MH_AboutClick() {
  auto* about = new TFo_Splash(this);
  about->exec();  // frees itself on closing
}

void TFo_Main::Bu_WriteClick() {
  const std::string failure =
      TerminalWrite(serial_, settings_.serial_index, PortDevice(settings_.serial_index),
                    StdText(Ed_Terminal->text()));
  if (!failure.empty()) {
    ShowMessageLine(failure);  // the line stays for another try
    return;
  }
  statusBar()->clearMessage();
  Ed_Terminal->clear();
}

void TFo_Main::ShowMessageLine(const std::string& text) {
  QString line = TextOf(text);
  line.replace('\n', QString::fromUtf8(" \u2014 "));
  statusBar()->showMessage(line);
}

void TFo_Main::Bu_CloseClick() {
  if (serial_.IsOpen()) serial_.ClosePort();
}

}  // namespace orb
