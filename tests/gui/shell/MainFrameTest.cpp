#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTimer>
#include <sstream>

#include "core/compare/Compare.h"
#include "core/model/DebugLog.h"
#include "core/storage/NewTitle.h"
#include "gui/editor/Foedit.h"
#include "gui/shell/Fo232c.h"
#include "gui/shell/Foguide.h"
#include "gui/shell/Fonewtitle.h"
#include "gui/shell/Foshortcuts.h"
#include "gui/shell/Fosplash.h"
#include "gui/shell/Fotitle.h"
#include "gui/shell/Q730edit.h"
#include "tests/gui/shell/GuiTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace orb {
namespace {

namespace fs = std::filesystem;
using test::WhenModal;

// The far end of a serial device: what the program writes arrives here.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    char name[256];
    EXPECT_EQ(::openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    ::fcntl(master_, F_SETFL, O_NONBLOCK);
    path_ = name;
  }
  ~PseudoTerminal() {
    ::close(master_);
    ::close(slave_);
  }
  const std::string& path() const { return path_; }
  std::string Received() {
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = ::read(master_, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
    return text;
  }

 private:
  int master_ = -1, slave_ = -1;
  std::string path_;
};

class MainFrameTest : public ::testing::Test {
 protected:
  TFo_Main& Frame() {
    if (!frame) {
      frame = std::make_unique<TFo_Main>(folder.str(), TFo_Main::Options{&prompter, false});
      frame->resize(1000, 700);
      frame->show();
    }
    return *frame;
  }
  std::string SettingsPath() const { return folder.File("orbedit.ini"); }
  void StoreSettings(const std::string& text) { std::ofstream(SettingsPath()) << text; }
  std::string StoredSettings() const {
    std::ifstream in(SettingsPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  test::TempFolder folder;
  ScriptedPrompter prompter;
  std::unique_ptr<TFo_Main> frame;
};

std::vector<std::string> Entries(QMenu* menu) {
  std::vector<std::string> entries;
  for (QAction* action : menu->actions()) {
    std::string entry = action->isSeparator() ? "-" : action->text().toStdString();
    if (!action->shortcut().isEmpty())
      entry += " | " + action->shortcut().toString(QKeySequence::PortableText).toStdString();
    if (!action->isVisible()) entry += " (hidden)";
    entries.push_back(entry);
  }
  return entries;
}

TEST_F(MainFrameTest, MenusCarryTheirCaptionsAndShortcuts) {
  TFo_Main& main = Frame();
  EXPECT_EQ(main.windowTitle(), "ORB Q730 Automation Editor");
  std::vector<std::string> bar;
  for (QAction* menu : main.menuBar()->actions()) bar.push_back(menu->text().toStdString());
  EXPECT_EQ(bar, (std::vector<std::string>{"&File", "&Window", "&Setup", "&Help"}));
  EXPECT_EQ(Entries(main.MM_File), (std::vector<std::string>{"&New title... | Ctrl+Shift+N",
                                                             "Recent &titles",
                                                             "-",
                                                             "I&mport from RS-232C... | Ctrl+M",
                                                             "Ex&port to RS-232C | Ctrl+P",
                                                             "&Import from FDD... | Ctrl+I",
                                                             "&Export to FDD... | Ctrl+E",
                                                             "-",
                                                             "&Save | Ctrl+S",
                                                             "Save As... | Ctrl+N",
                                                             "&Open | Ctrl+O",
                                                             "&Delete | Ctrl+D",
                                                             "&Rename... | Ctrl+R",
                                                             "&Backup | Ctrl+B",
                                                             "Compare &with...",
                                                             "-",
                                                             "Import channel &names...",
                                                             "Export channel &list...",
                                                             "Print show s&heet...",
                                                             "-",
                                                             "E&xit | Alt+F4"}));
  EXPECT_EQ(Entries(main.MM_Window),
            (std::vector<std::string>{"&Cascade", "Tile &Vertical", "Tile &Horizontal",
                                      "&Arrange Icons"}));
  EXPECT_EQ(Entries(main.MM_Setup), (std::vector<std::string>{"&Config...", "&RS232C..."}));
  EXPECT_EQ(
      Entries(main.MM_Help),
      (std::vector<std::string>{"&User guide | F1", "&Keyboard shortcuts", "-", "&About..."}));

  TFo_Title& title = *main.TitleManager();
  EXPECT_EQ(Entries(title.Po_List),
            (std::vector<std::string>{"I&mport from RS-232C...", "Export to RS-232C...",
                                      "&Import from FDD...", "&Export to FDD...", "-", "&Open",
                                      "&Delete", "&Rename...", "&Backup", "Compare &with..."}));
  EXPECT_EQ(Entries(title.Po_Import),
            (std::vector<std::string>{"Import from &RS-232C...", "Import from &FDD..."}));
  EXPECT_EQ(Entries(title.Po_Export),
            (std::vector<std::string>{"Export to &RS-232C...", "Export to &FDD..."}));
}

// File → New title writes the same title as orbtool new (whatever the date), into the library,
// and opens it; Recent titles then lists it first, from the settings file.
TEST_F(MainFrameTest, NewTitleFromTheMenuIsOrbtoolsNewAndBecomesRecent) {
  TFo_Main& main = Frame();
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TFo_NewTitle*>(modal);
    ASSERT_TRUE(dialog) << modal->metaObject()->className();
    QTest::keyClicks(dialog->Ed_Name, "Festival");
    dialog->Co_Rate->setCurrentIndex(2);
    dialog->Co_TcMode->setCurrentIndex(4);
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  main.MF_NewClick();
  const std::string path = folder.File("Festival.orb");
  ASSERT_TRUE(fs::exists(path));
  ASSERT_EQ(main.EditorWindows().size(), 1);
  EXPECT_NE(main.EditorWindows()[0]->widget()->windowTitle().toStdString().find("Festival"),
            std::string::npos);

  // orbtool's title of the same settings differs in the save date alone.
  const std::string made_by_tool = folder.File("Tool.orb");
  ASSERT_EQ(CreateTitle(made_by_tool, {2, 4}), kOk);
  Title menu_title, tool_title;
  ASSERT_EQ(menu_title.OpenTitle(path), kOk);
  ASSERT_EQ(tool_title.OpenTitle(made_by_tool), kOk);
  tool_title.System().Info().SetName("Festival");
  tool_title.System().Info().SetSaveDate(menu_title.System().Info().SaveDate());
  EXPECT_TRUE(CompareTitles(menu_title, tool_title).empty());

  // The name is taken now: the question, then the dialog again, cancelled.
  const std::size_t asked = prompter.shown().size();
  WhenModal([](QWidget* modal) {
    QTest::keyClicks(qobject_cast<TFo_NewTitle*>(modal)->Ed_Name, "Festival");
    QTest::keyClick(modal, Qt::Key_Return);
    WhenModal([](QWidget* again) { test::PressEscape(again); });
  });
  main.MF_NewClick();
  ASSERT_EQ(prompter.shown().size(), asked + 1);
  EXPECT_EQ(prompter.shown().back().text, "A title named \"Festival\" exists already.");

  emit main.MF_Recent->aboutToShow();
  ASSERT_FALSE(main.MF_Recent->actions().isEmpty());
  EXPECT_EQ(main.MF_Recent->actions()[0]->text().toStdString(), "&1 Festival");
  EXPECT_NE(StoredSettings().find("[Recent]\nTitle1=" + path + "\n"), std::string::npos)
      << StoredSettings();
}

TEST_F(MainFrameTest, RecentTitlesGreyTheOnesWhoseFileIsGone) {
  const std::string kept = folder.AddTitle("Kept");
  StoreSettings("[Recent]\nTitle1=" + folder.File("Gone.orb") + "\nTitle2=" + kept + "\n");
  TFo_Main& main = Frame();
  emit main.MF_Recent->aboutToShow();
  const QList<QAction*> entries = main.MF_Recent->actions();
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0]->text().toStdString(), "&1 Gone");
  EXPECT_FALSE(entries[0]->isEnabled());
  EXPECT_TRUE(entries[1]->isEnabled());
  entries[1]->trigger();
  ASSERT_EQ(main.EditorWindows().size(), 1);
  emit main.MF_Recent->aboutToShow();
  EXPECT_EQ(main.MF_Recent->actions()[0]->text().toStdString(), "&1 Kept");
}

// Leaving the program with two changed titles asks about each by name, Cancel first.
TEST_F(MainFrameTest, ExitAsksAboutEachChangedTitleByName) {
  TFo_Main& main = Frame();
  for (const char* name : {"First", "Second"}) {
    main.OpenEditor(folder.AddTitle(name));
    auto* editor = static_cast<TFo_Edit*>(main.EditorWindows().back()->widget());
    editor->Session().GetTitle().System().SetName(0, "Bass");
    editor->Session().GetTitle().SetModified(true);
  }
  const std::size_t asked = prompter.shown().size();
  prompter.Queue(Answer::kNo);
  prompter.Queue(Answer::kCancel);
  EXPECT_FALSE(main.close());
  ASSERT_EQ(prompter.shown().size(), asked + 2);
  std::vector<std::string> titles;
  for (std::size_t i = asked; i < prompter.shown().size(); ++i) {
    const auto& shown = prompter.shown()[i];
    EXPECT_TRUE(shown.default_cancel);
    titles.push_back(shown.text);
  }
  EXPECT_EQ(titles,
            (std::vector<std::string>{"Data has changed in \"First\". Do you want to save?",
                                      "Data has changed in \"Second\". Do you want to save?"}));
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(main.EditorWindows().size(), 1) << "the one answered No is closed, Cancel stays";
  prompter.Queue(Answer::kNo);
  EXPECT_TRUE(main.close());
}

// The frame's place, the title manager's width and each title's tab come back after a restart.
TEST_F(MainFrameTest, RemembersPlaceManagerWidthAndTabs) {
  const std::string show = folder.AddTitle("Show");
  QSize first_size;
  {
    TFo_Main& main = Frame();
    main.setGeometry(40, 50, 900, 650);
    main.TitleManager()->parentWidget()->resize(333, 400);
    main.OpenEditor(show);
    QMdiSubWindow* window = main.EditorWindows()[0];
    QTRY_VERIFY(window->isVisible());
    first_size = window->size();
    static_cast<TFo_Edit*>(window->widget())->TC_Tab->setCurrentIndex(4);  // AUTOMATION
    EXPECT_TRUE(main.close());
    frame.reset();
  }
  const std::string stored = StoredSettings();
  for (const char* line : {"Width=900\n", "Height=650\n", "ManagerWidth=333\n", "Maximized=0\n"})
    EXPECT_NE(stored.find(line), std::string::npos) << line << stored;
  TFo_Main& main = Frame();
  QTRY_COMPARE(main.TitleManager()->parentWidget()->width(), 333);
  main.OpenEditor(show);
  QMdiSubWindow* window = main.EditorWindows()[0];
  EXPECT_EQ(static_cast<TFo_Edit*>(window->widget())->Session().Tab(), 4);
  // Opened on the timeline, the window is as large as on the panel's pages.
  QTRY_VERIFY(window->isVisible());
  EXPECT_EQ(window->size(), first_size);
}

// F1 hands the guide to the desktop's browser, and shows it itself where none takes it;
// Keyboard shortcuts lists the menus' and the editor's keys from their actions.
TEST_F(MainFrameTest, UserGuideAndKeyboardShortcuts) {
  TFo_Main& main = Frame();
  ASSERT_FALSE(TFo_Main::GuideFile().isEmpty()) << "the build makes the guide";
  QStringList handed;
  bool browser = true;
  main.SetGuideOpener([&](const QString& file) {
    handed << file;
    return browser;
  });
  main.MH_Contents->trigger();
  ASSERT_EQ(handed.size(), 1);
  EXPECT_TRUE(handed[0].endsWith("guide/index.html"));
  EXPECT_TRUE(main.findChildren<TFo_Guide*>().isEmpty());
  browser = false;
  main.MH_ContentsClick();
  const QList<TFo_Guide*> windows = main.findChildren<TFo_Guide*>();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_TRUE(windows[0]->Me_Guide->toPlainText().contains("The editor window"));
  windows[0]->close();

  QList<ShortcutRow> rows;
  WhenModal([&rows](QWidget* modal) {
    auto* table = qobject_cast<TFo_Shortcuts*>(modal)->LB_Shortcuts;
    for (int r = 0; r < table->rowCount(); ++r)
      rows.push_back(
          {table->item(r, 0)->text(), table->item(r, 1)->text(), table->item(r, 2)->text()});
    test::PressEscape(modal);
  });
  main.MH_ShortcutsClick();
  for (const ShortcutRow& expected :
       {ShortcutRow{"File", "Save", "Ctrl+S"}, ShortcutRow{"Help", "User guide", "F1"},
        ShortcutRow{"Edit", "Undo", "Ctrl+Z"}, ShortcutRow{"Edit", "Optional Copy", "Ctrl+Shift+C"},
        ShortcutRow{"Editor window", "Next tab", "Ctrl+PgDown"},
        ShortcutRow{"Title manager", "Find a title by its name", "Ctrl+F"}})
    EXPECT_TRUE(rows.contains(expected))
        << expected.where.toStdString() << " " << expected.command.toStdString();
}

TEST_F(MainFrameTest, StartsOnDefaultsAndCreatesNoSettingsFile) {
  TFo_Main& main = Frame();
  QTest::qWait(120);  // a few refresh ticks
  EXPECT_EQ(main.Settings().serial_index, 1);
  EXPECT_FALSE(main.Settings().bold);
  EXPECT_TRUE(main.MF_ImportRS232C->isVisible());
  EXPECT_TRUE(main.MF_ExportRS232C->isVisible());
  EXPECT_TRUE(main.Ti_Refresh->isActive());
  EXPECT_EQ(main.PortDevice(1), "/dev/ttyS0");
  EXPECT_FALSE(main.Pa_Diagnostics->isVisible());
  EXPECT_FALSE(fs::exists(SettingsPath()));
  // Ctrl+Shift+T shows the diagnostics area.
  main.MA_Diagnostics->trigger();
  EXPECT_TRUE(main.Pa_Diagnostics->isVisible());
}

TEST_F(MainFrameTest, SettingsHideTheRS232CEntries) {
  for (const bool import : {false, true}) {
    frame.reset();
    StoreSettings(import ? "[Global]\nSExportEnabled=0\n" : "[Global]\nSImportEnabled=0\n");
    TFo_Main& main = Frame();
    TFo_Title& title = *main.TitleManager();
    EXPECT_EQ(main.MF_ImportRS232C->isVisible(), import);
    EXPECT_EQ(title.PL_ImportRS232C->isVisible(), import);
    EXPECT_EQ(title.PI_ImportRS232C->isVisible(), import);
    EXPECT_EQ(main.MF_ExportRS232C->isVisible(), !import);
    EXPECT_EQ(title.PL_ExportRS232C->isVisible(), !import);
    EXPECT_EQ(title.PE_ExportRS232C->isVisible(), !import);
    EXPECT_TRUE(main.MF_ImportFDD->isVisible());
  }
}

TEST_F(MainFrameTest, FileEntriesFollowTheSelectionAndTheActiveWindow) {
  TFo_Main& main = Frame();
  TFo_Title& title = *main.TitleManager();
  main.Ti_RefreshTimer();
  EXPECT_EQ(title.LB_Titles->count(), 0);
  for (QAction* entry : {main.MF_ExportFDD, main.MF_ExportRS232C, main.MF_Open, main.MF_Delete,
                         main.MF_Rename, main.MF_Backup, main.MF_Save, main.MF_SaveAs})
    EXPECT_FALSE(entry->isEnabled()) << entry->text().toStdString();
  EXPECT_TRUE(main.MF_ImportFDD->isEnabled());
  EXPECT_TRUE(main.MF_ImportRS232C->isEnabled());  // an import needs no selected title

  const std::string show = folder.AddTitle("Show");
  title.ReloadList();
  title.SelectByPath(show);
  title.SetTransferSessionRunner([](const TransferRequest&) { return TransferResult{}; });
  main.Ti_RefreshTimer();
  for (QAction* entry : {main.MF_ExportFDD, main.MF_ExportRS232C, main.MF_Delete, main.MF_Rename,
                         main.MF_Backup, main.MF_ImportRS232C})
    EXPECT_TRUE(entry->isEnabled()) << entry->text().toStdString();
  EXPECT_TRUE(main.MF_Open->isEnabled());      // the frame opens editor windows
  EXPECT_FALSE(main.MF_Save->isEnabled());     // the title manager is active
  EXPECT_FALSE(main.MF_Compare->isEnabled());  // nothing to compare with
  folder.AddTitle("Other");
  title.ReloadList();
  main.Ti_RefreshTimer();
  EXPECT_TRUE(main.MF_Compare->isEnabled());

  // A line of the compare window opens the title at its tab and entry.
  main.OpenEditorAt(show, 5, 1);
  auto* opened = main.findChild<TFo_Edit*>();
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Session().Tab(), 5);
  EXPECT_EQ(opened->Session().Cursor(), 1);
  main.OpenEditorAt(show, 7, -1);  // the same window, another tab, the cursor kept
  EXPECT_EQ(main.findChildren<TFo_Edit*>().size(), 1);
  EXPECT_EQ(opened->Session().Tab(), 7);
  opened->parentWidget()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  title.SelectByPath(show);
  main.Ti_RefreshTimer();

  // Any other child window is an editor to the frame.
  QMdiSubWindow* editor = main.MdiArea()->addSubWindow(new QWidget);
  editor->show();
  main.MdiArea()->setActiveSubWindow(editor);
  main.Ti_RefreshTimer();
  EXPECT_TRUE(main.MF_Save->isEnabled());
  EXPECT_TRUE(main.MF_SaveAs->isEnabled());

  // Side by side, then one above the other.
  main.MW_TileVerticalClick();
  const QRect left = main.TitleManager()->parentWidget()->geometry(), right = editor->geometry();
  EXPECT_EQ(left.top(), right.top());
  EXPECT_LT(left.right(), right.left());
  main.MW_TileHorizontalClick();
  EXPECT_LT(main.TitleManager()->parentWidget()->geometry().bottom(), editor->geometry().top());

  main.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(title.parentWidget()));
  main.Ti_RefreshTimer();
  EXPECT_FALSE(main.MF_Save->isEnabled());
  // The title manager cannot be closed.
  title.parentWidget()->close();
  EXPECT_TRUE(title.isVisible());
}

TEST_F(MainFrameTest, RefreshDrainsTheLogIntoTheMemos) {
  LogLine("from before the start");
  TFo_Main& main = Frame();
  main.Ti_Refresh->stop();
  LogLine("*\r");
  LogLine("*\rabc");
  LogLine("first");
  LogLine("second");
  main.Ti_RefreshTimer();
  EXPECT_EQ(main.Me_Terminal->toPlainText(), "abc");
  EXPECT_EQ(main.Me_Debug->toPlainText().split('\n', Qt::SkipEmptyParts),
            QStringList({"second", "first"}));
}

TEST_F(MainFrameTest, ConfigWritesBoldOnlyWhenConfirmed) {
  TFo_Main& main = Frame();
  folder.AddTitle("Show");
  main.TitleManager()->ReloadList();
  WhenModal([](QWidget* modal) { test::PressEscape(modal); });
  main.MS_ConfigClick();
  EXPECT_FALSE(fs::exists(SettingsPath()));

  WhenModal([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), "Config");
    auto* bold = modal->findChild<QCheckBox*>();
    EXPECT_EQ(bold->text(), "Use bold fonts");
    EXPECT_FALSE(bold->isChecked());
    bold->click();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  main.MS_ConfigClick();
  EXPECT_TRUE(main.Settings().bold);
  EXPECT_EQ(StoredSettings(), "[Global]\nBold=1\n");
  QTRY_VERIFY(main.TitleManager()->LB_Titles->font().bold());
}

TEST_F(MainFrameTest, PortDialogMovesAnOpenPortAndLeavesAClosedOneClosed) {
  PseudoTerminal com1, com2, com3;
  StoreSettings("[Ports]\nCOM1=" + com1.path() + "\nCOM2=" + com2.path() + "\n");
  TFo_Main& main = Frame();
  const QColor closed_colour = main.Ed_Terminal->palette().color(QPalette::Button);

  // "Write" opens COM1 and sends the line with a carriage return.
  main.Ed_Terminal->setText("ls");
  QTest::mouseClick(main.Bu_Write, Qt::LeftButton);
  EXPECT_TRUE(main.Serial().IsOpen());
  EXPECT_EQ(com1.Received(), "ls\r");
  EXPECT_TRUE(main.Ed_Terminal->text().isEmpty());
  main.Ti_RefreshTimer();
  EXPECT_EQ(main.Ed_Terminal->palette().color(QPalette::Base), QColor(Qt::white));

  // Confirming COM2 moves the open port there; a new device for COM3 is stored.
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<TFo_232C*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "RS-232C");
    EXPECT_EQ(dialog->Co_Port->count(), 9);
    EXPECT_EQ(dialog->Co_Port->itemText(8), "COM9");
    EXPECT_FALSE(dialog->Co_Port->isEditable());
    EXPECT_EQ(dialog->Co_Port->currentText(), "COM1");
    EXPECT_EQ(dialog->Ed_Device->text(), QString::fromStdString(com1.path()));
    EXPECT_TRUE(dialog->Co_Device->isEditable());
    dialog->Co_Port->setCurrentIndex(2);
    dialog->Ed_Device->setText(QString::fromStdString(com3.path()));
    dialog->Co_Port->setCurrentIndex(1);
    QTest::keyClick(dialog, Qt::Key_Return);
  });
  main.MS_RS232CClick();
  EXPECT_EQ(main.Settings().serial_index, 2);
  EXPECT_EQ(main.PortDevice(3), com3.path());
  EXPECT_EQ(ProfileFile(SettingsPath()).ReadInt("Global", "SerialIndex", 0), 2);
  ASSERT_TRUE(main.Serial().IsOpen());
  main.Ed_Terminal->setText("df");
  main.Bu_WriteClick();
  EXPECT_EQ(com2.Received(), "df\r");
  EXPECT_EQ(com1.Received(), "");

  // Closed by "Close", it stays closed through the dialog.
  main.Bu_CloseClick();
  main.Ti_RefreshTimer();
  EXPECT_EQ(main.Ed_Terminal->palette().color(QPalette::Base), closed_colour);
  WhenModal([](QWidget* modal) {
    qobject_cast<TFo_232C*>(modal)->Co_Port->setCurrentIndex(2);
    QTest::keyClick(modal, Qt::Key_Return);
  });
  main.MS_RS232CClick();
  EXPECT_EQ(main.Settings().serial_index, 3);
  EXPECT_FALSE(main.Serial().IsOpen());

  // Exit closes the port and stops the refresh.
  main.Bu_WriteClick();
  ASSERT_TRUE(main.Serial().IsOpen());
  main.MF_Exit->trigger();
  EXPECT_FALSE(main.Serial().IsOpen());
  EXPECT_FALSE(main.Ti_Refresh->isActive());
  EXPECT_FALSE(main.isVisible());
}

TEST_F(MainFrameTest, WriteOnAPortThatWillNotOpenSaysWhyInTheLogAndTheMessageLine) {
  StoreSettings("[Ports]\nCOM1=/nonexistent/ttyS0\n");
  TFo_Main& main = Frame();
  main.Ed_Terminal->setText("ls");
  main.Bu_WriteClick();
  EXPECT_FALSE(main.Serial().IsOpen());
  EXPECT_TRUE(main.statusBar()->isVisible());
  EXPECT_EQ(main.statusBar()->currentMessage().toStdString(),
            "Unable to open COM1 \u2014 /nonexistent/ttyS0: No such file or directory.");
  EXPECT_EQ(main.Ed_Terminal->text(), "ls");  // kept for another try
  main.Ti_RefreshTimer();
  EXPECT_TRUE(
      main.Me_Debug->toPlainText().contains("/nonexistent/ttyS0: No such file or directory."));
}

TEST_F(MainFrameTest, AFinishedExportSaysSoInTheMessageLine) {
  folder.AddTitle("Show");
  test::TempFolder floppy;
  TFo_Main& main = Frame();
  main.TitleManager()->SelectByPath(folder.File("Show.orb"));
  prompter.QueueFile(floppy.File("SYSF.DAT"));
  main.Ti_RefreshTimer();
  main.MF_ExportFDD->trigger();
  EXPECT_EQ(main.statusBar()->currentMessage().toStdString(),
            "Exported \"Show\" to " + floppy.str() + ".");
}

TEST_F(MainFrameTest, AboutStaysUntilClickedAndTheStartSplashCloses) {
  {
    TFo_Main starting(folder.str(), TFo_Main::Options{&prompter, true});
    QPointer<TFo_Splash> splash = starting.Splash();
    ASSERT_FALSE(splash.isNull());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->Ti_Close->isActive());
    splash->SetShownAt(TFo_Splash::NowMilliseconds() - 3000);
    QTest::qWait(40);
    ASSERT_FALSE(splash.isNull());
    splash->SetShownAt(TFo_Splash::NowMilliseconds() - TFo_Splash::kShowMilliseconds - 1);
    QTRY_VERIFY(splash.isNull());  // closed and freed
  }
  TFo_Main& main = Frame();
  QPointer<QWidget> about;
  WhenModal([&](QWidget* modal) {
    about = modal;
    auto* splash = qobject_cast<TFo_Splash*>(modal);
    ASSERT_NE(splash, nullptr);
    EXPECT_FALSE(splash->Ti_Close->isActive());
    splash->SetShownAt(TFo_Splash::NowMilliseconds() - 60000);
    QTimer::singleShot(50, splash, [splash] {
      EXPECT_TRUE(splash->isVisible());
      QTest::mouseClick(splash, Qt::LeftButton, {}, QPoint(200, 100));
    });
  });
  main.MH_AboutClick();
  QTRY_VERIFY(about.isNull());
}

TEST_F(MainFrameTest, RenderingOfTheFrameWithTheTitleManager) {
  for (const auto& spec : gen::DemoSpecs()) folder.AddTitle(spec.name, spec.seed);
  TFo_Main& main = Frame();
  main.TitleManager()->SelectByPath(folder.File("Demo-48k.orb"));
  QApplication::processEvents();
  test::SaveRendering(&main, "main_frame");
  TFo_Title& title = *main.TitleManager();
  test::SaveRendering(title.parentWidget(), "title_manager");
  for (QLabel* label : title.findChildren<QLabel*>())
    EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
  main.Ti_RefreshTimer();
  title.Ti_RefreshTimer();
  test::SaveRendering(main.MM_File, "file_menu");
  test::SaveRendering(title.Po_List, "title_popup");
  main.MA_Diagnostics->trigger();
  LogLine("Loading sysf.dat  ChunkSize = 0x00001234");
  main.Ti_RefreshTimer();
  QApplication::processEvents();
  test::SaveRendering(&main, "main_frame_diagnostics");
}

}  // namespace
}  // namespace orb
