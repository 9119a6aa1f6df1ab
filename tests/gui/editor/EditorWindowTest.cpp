#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <fstream>
#include <optional>
#include <set>

#include "core/model/ParamIds.h"
#include "core/model/Title.h"
#include "gui/editor/Foedit.h"
#include "gui/editor/Fohistory.h"
#include "gui/editor/ListPane.h"
#include "gui/editor/PanelArea.h"
#include "gui/editor/TimelineView.h"
#include "gui/shell/Fotitle.h"
#include "gui/shell/Q730edit.h"
#include "tests/gui/shell/GuiTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

constexpr int kChannelTab = 0, kAutomationTab = 4, kSnapshotTab = 5, kIsolateTab = 6;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class EditorWindowTest : public ::testing::Test {
 protected:
  TFo_Main& Frame() {
    if (!frame) {
      frame = std::make_unique<TFo_Main>(folder.str(), TFo_Main::Options{&prompter, false});
      frame->resize(1280, 800);
      frame->show();
      frame->activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }
    return *frame;
  }
  std::string AddTitle(const std::string& name, gen::TitleSpec spec = {}) {
    spec.name = name;
    const auto bytes = gen::MakeTitle(spec);
    const std::string path = folder.File(name + ".orb");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // Opens the title through the title manager, as a double click does.
  TFo_Edit& Open(const std::string& path) {
    TFo_Title& title = *Frame().TitleManager();
    title.ReloadList();
    title.SelectByPath(path);
    title.OpenTitleWindow();
    QApplication::processEvents();  // the new window comes forward after the opening event
    auto* editor = qobject_cast<TFo_Edit*>(Frame().MdiArea()->currentSubWindow()->widget());
    EXPECT_NE(editor, nullptr);
    return *editor;
  }
  static QPoint RowPoint(int row) { return {100, ListPane::kHeaderHeight + row * 20 + 10}; }
  static void Click(TFo_Edit& e, int row, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(e.PB_List, Qt::LeftButton, mods, RowPoint(row));
  }
  static std::set<int> Selected(TFo_Edit& e) {
    std::set<int> rows;
    const TQ730& list = e.Session().CurrentList();
    for (int i = 0; i < list.Count(); ++i)
      if (list.IsSelected(i)) rows.insert(i);
    return rows;
  }
  QStringList MenuBarTitles() {
    QStringList titles;
    for (QAction* action : Frame().menuBar()->actions())
      if (action->isVisible()) titles << action->text();
    return titles;
  }

  test::TempFolder folder;
  ScriptedPrompter prompter;
  std::unique_ptr<TFo_Main> frame;
};

TEST_F(EditorWindowTest, OneWindowPerTitleWithItsMenusAfterFile) {
  const std::string show = AddTitle("Show"), encore = AddTitle("Encore");
  TFo_Main& main = Frame();
  TFo_Title& title = *main.TitleManager();
  title.ReloadList();
  title.SelectByPath(show);
  test::DoubleClick(title.LB_Titles, title.LB_Titles->currentRow());
  ASSERT_EQ(main.EditorWindows().size(), 1);
  auto& first = *qobject_cast<TFo_Edit*>(main.EditorWindows()[0]->widget());
  EXPECT_EQ(first.windowTitle(), "Edit - Show.orb");
  EXPECT_EQ(MenuBarTitles(), QStringList({"&File", "&Edit", "&Do", "&Window", "&Setup", "&Help"}));
  // The panel's surface is exactly 800 x 491, and the default button is out of sight.
  EXPECT_EQ(first.PB_Edit->size(), QSize(800, 491));
  EXPECT_LT(first.Bu_Enter->geometry().bottom(), 0);

  // Enter on the list opens too; a title that is open only comes forward.
  title.SelectByPath(encore);
  QTest::keyClick(title.LB_Titles, Qt::Key_Return);
  title.SelectByPath(show);
  QTest::keyClick(title.LB_Titles, Qt::Key_Return);
  ASSERT_EQ(main.EditorWindows().size(), 2);
  EXPECT_EQ(main.MdiArea()->currentSubWindow()->widget(), &first);
  EXPECT_EQ(main.Sessions().Count(), 2);

  emit main.MM_Window->aboutToShow();
  QStringList entries;
  for (QAction* action : main.MM_Window->actions())
    if (action->objectName() == "MW_Editor")
      entries << action->text() + (action->isChecked() ? " +" : "");
  EXPECT_EQ(entries, QStringList({"&1 Edit - Show.orb +", "&2 Edit - Encore.orb"}));

  // The title manager has no Edit or Do menu.
  main.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(title.parentWidget()));
  EXPECT_EQ(MenuBarTitles(), QStringList({"&File", "&Window", "&Setup", "&Help"}));
  for (QMdiSubWindow* window : main.EditorWindows()) window->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(main.Sessions().Count(), 0);
  EXPECT_EQ(MenuBarTitles(), QStringList({"&File", "&Window", "&Setup", "&Help"}));
}

TEST_F(EditorWindowTest, MenusCarryTheirCaptionsShortcutsAndSeparators) {
  TFo_Edit& e = Open(AddTitle("Show"));
  const auto entries = [](QMenu* menu) {
    QStringList lines;
    for (QAction* action : menu->actions())
      lines << (action->isSeparator() ? "-" : action->text() + "|" + action->shortcut().toString());
    return lines;
  };
  EXPECT_EQ(entries(e.M_Edit),
            QStringList({"&Undo|Ctrl+Z", "&Redo|Ctrl+Shift+Z", "&History...|", "-", "Cu&t|Ctrl+X",
                         "&Copy|Ctrl+C", "&Paste|Ctrl+V", "&Delete|Ctrl+Del",
                         "Optional Cop&y...|Ctrl+Shift+C", "-", "Insert &Time|", "Delete T&ime|",
                         "-", "Select &All|Ctrl+A", "C&lear Select|Ctrl+Shift+A", "-",
                         "&Go To Timecode...|Ctrl+G", "O&ffset Values...|", "T&hin|"}));
  EXPECT_EQ(entries(e.M_Do), QStringList({"&Zero...|", "&Fader Copy...|", "&Trim Fader...|", "-",
                                          "Set &Group|", "&Reset Group|"}));
  EXPECT_EQ(entries(e.PM_Edit),
            QStringList({"&Undo|", "&Redo|", "-", "Cu&t|", "&Copy|", "&Paste|", "&Delete|",
                         "Optional Cop&y...|", "-", "Insert &Time|", "Delete &Time|", "-",
                         "Select &All|", "C&lear Select|"}));
  QStringList tabs;
  for (int i = 0; i < e.TC_Tab->count(); ++i) tabs << e.TC_Tab->tabText(i);
  EXPECT_EQ(tabs, QStringList({"CHANNEL", "OVERVIEW", "FADER", "FADER GROUP", "AUTOMATION",
                               "SNAPSHOT", "ISOLATE", "CUE", "INPUT ASSIGN", "OUTPUT ASSIGN",
                               "DYN LIB", "EQ LIB", "SETUP"}));
  QStringList hints;
  for (QToolButton* button : {e.Bu_New, e.Bu_Store, e.Bu_Recall, e.Bu_Delete})
    hints << button->toolTip();
  EXPECT_EQ(hints, QStringList({"New", "Store", "Recall", "Delete"}));
}

TEST_F(EditorWindowTest, ListPaneFollowsTheMouseAndTheKeys) {
  TFo_Edit& e = Open(AddTitle("Show"));
  const auto key = [&](Qt::Key k, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(e.PB_List, k, mods);
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    int cursor;
    std::set<int> selected;
  };
  const std::vector<Step> steps = {
      {"click", [&] { Click(e, 2); }, 2, {2}},
      {"shift click", [&] { Click(e, 5, Qt::ShiftModifier); }, 5, {2, 3, 4, 5}},
      {"ctrl click a selected row", [&] { Click(e, 3, Qt::ControlModifier); }, 3, {2, 4, 5}},
      {"click another selected row", [&] { Click(e, 4); }, 4, {4}},
      {"down", [&] { key(Qt::Key_Down); }, 5, {5}},
      {"shift held over two downs",
       [&] {
         QTest::keyPress(e.PB_List, Qt::Key_Shift);
         for (int i = 0; i < 2; ++i) {
           QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::ShiftModifier);
           QApplication::sendEvent(e.PB_List, &down);
         }
         QTest::keyRelease(e.PB_List, Qt::Key_Shift);
       },
       7,
       {5, 6, 7}},
      {"ctrl up keeps the selection", [&] { key(Qt::Key_Up, Qt::ControlModifier); }, 6, {5, 6, 7}},
      {"page up stops at the top", [&] { key(Qt::Key_PageUp); }, 0, {0}},
      {"drag down over three rows",
       [&] {
         QTest::mousePress(e.PB_List, Qt::LeftButton, {}, RowPoint(1));
         QTest::mouseMove(e.PB_List, RowPoint(3));
         QTest::mouseRelease(e.PB_List, Qt::LeftButton, {}, RowPoint(3));
       },
       3,
       {1, 2, 3}},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(e.Session().Cursor(), step.cursor) << step.what;
    EXPECT_EQ(Selected(e), step.selected) << step.what;
  }
  EXPECT_FALSE(e.Ed_Edit->isVisible());

  // A slot beyond the entries does not take the cursor; the wheel scrolls three rows a notch.
  e.TC_Tab->setCurrentIndex(kSnapshotTab);
  Click(e, 1);
  Click(e, 10);
  EXPECT_EQ(e.Session().Cursor(), 1);
  QWheelEvent wheel(RowPoint(2), e.PB_List->mapToGlobal(RowPoint(2)), {}, {0, -120}, Qt::NoButton,
                    {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(e.PB_List, &wheel);
  EXPECT_EQ(e.Session().Pane().ScrollPosition(), 3);
  EXPECT_EQ(e.Sc_List->value(), 3);
  // Over the panel too.
  QWheelEvent back(QPointF(400, 200), e.PB_Edit->mapToGlobal(QPointF(400, 200)), {}, {0, 240},
                   Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(e.PB_Edit, &back);
  EXPECT_EQ(e.Session().Pane().ScrollPosition(), 0);
  EXPECT_EQ(e.Sc_List->maximum(), 98);
}

TEST_F(EditorWindowTest, RenamingInPlace) {
  const std::string path = AddTitle("Show");
  TFo_Edit& e = Open(path);
  const TQ730& channels = e.Session().GetTitle().System();
  const std::string before = channels.NameText(1);
  // Clicking the selected cursor row again opens the editor on the whole name.
  Click(e, 1);
  EXPECT_FALSE(e.Ed_Edit->isVisible());
  Click(e, 1);
  ASSERT_TRUE(e.Ed_Edit->isVisible());
  EXPECT_EQ(e.Ed_Edit->selectedText(), QString::fromStdString(before));
  EXPECT_EQ(e.Ed_Edit->geometry().center().y(), e.PB_List->geometry().top() + RowPoint(1).y());
  QApplication::processEvents();
  test::SaveRendering(e.parentWidget(), "editor_renaming");
  QTest::keyClicks(e.Ed_Edit, "Kick");
  QTest::keyClick(e.Ed_Edit, Qt::Key_Return);
  EXPECT_FALSE(e.Ed_Edit->isVisible());
  EXPECT_EQ(channels.NameText(1), "Kick");
  EXPECT_EQ(e.windowTitle(), "Edit - Show.orb *");

  // Esc leaves the old name.
  Click(e, 1);
  QTest::keyClicks(e.Ed_Edit, "Snare");
  QTest::keyClick(e.Ed_Edit, Qt::Key_Escape);
  EXPECT_FALSE(e.Ed_Edit->isVisible());
  EXPECT_EQ(channels.NameText(1), "Kick");

  // Typing starts a rename with that character; "+" does not.
  QTest::keyClick(e.PB_List, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_FALSE(e.Ed_Edit->isVisible());
  QTest::keyClicks(e.PB_List, "A");
  ASSERT_TRUE(e.Ed_Edit->isVisible());
  EXPECT_EQ(e.Ed_Edit->text(), "A");
  EXPECT_TRUE(e.Ed_Edit->selectedText().isEmpty());
  QTest::keyClicks(e.Ed_Edit, "mb");
  // Leaving the editor for another row keeps what was typed.
  QTest::keyClick(e.Ed_Edit, Qt::Key_Down);
  EXPECT_EQ(channels.NameText(1), "Amb");
  EXPECT_EQ(e.Session().Cursor(), 2);

  // Scrolled, the editor still stands over the row it renames.
  QWheelEvent wheel(RowPoint(2), e.PB_List->mapToGlobal(RowPoint(2)), {}, {0, -120}, Qt::NoButton,
                    {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(e.PB_List, &wheel);
  Click(e, 2);
  Click(e, 2);
  ASSERT_TRUE(e.Ed_Edit->isVisible());
  EXPECT_EQ(e.Ed_Edit->text().toStdString(), channels.NameText(5));
  EXPECT_EQ(e.Ed_Edit->geometry().center().y(), e.PB_List->geometry().top() + RowPoint(2).y());
  QTest::keyClick(e.Ed_Edit, Qt::Key_Escape);

  // Undo takes back one rename at a time (and puts other list objects in place).
  e.ME_Undo->trigger();
  EXPECT_EQ(e.Session().GetTitle().System().NameText(1), "Kick");
  EXPECT_EQ(e.SB_Undo->text(), "Undo");
}

// Undo and Redo say what they take; History lists the steps and a click goes to one; Ctrl+F
// finds an entry by name.
TEST_F(EditorWindowTest, UndoNamesItsStepsHistoryGoesToOneAndCtrlFFinds) {
  TFo_Edit& e = Open(AddTitle("Show"));
  const TQ730& channels = e.Session().GetTitle().System();
  for (int row : {1, 2}) {
    Click(e, row);
    Click(e, row);
    QTest::keyClicks(e.Ed_Edit, row == 1 ? "Kick" : "Snare");
    QTest::keyClick(e.Ed_Edit, Qt::Key_Return);
  }
  emit e.M_Edit->aboutToShow();
  EXPECT_EQ(e.ME_Undo->text(), "&Undo Rename CH 3");
  EXPECT_EQ(e.ME_Redo->text(), "&Redo");
  e.ME_Undo->trigger();
  emit e.M_Edit->aboutToShow();
  EXPECT_EQ(e.ME_Undo->text(), "&Undo Rename CH 2");
  EXPECT_EQ(e.ME_Redo->text(), "&Redo Rename CH 3");
  EXPECT_EQ(e.Po_Redo->text(), "&Redo Rename CH 3");

  test::WhenModal([&](QWidget* modal) {
    auto* history = qobject_cast<TFo_History*>(modal);
    ASSERT_TRUE(history);
    QListWidget* steps = history->LB_Steps;
    ASSERT_EQ(steps->count(), 3);
    EXPECT_EQ(steps->item(1)->text(), "Rename CH 2");
    EXPECT_EQ(steps->item(2)->text(), "Rename CH 3");
    EXPECT_EQ(steps->currentRow(), 1);
    test::SaveRendering(modal, "dialog_history");
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, {},
                      steps->visualItemRect(steps->item(2)).center());
    EXPECT_EQ(channels.NameText(2), "Snare");
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, {},
                      steps->visualItemRect(steps->item(0)).center());
    EXPECT_NE(channels.NameText(1), "Kick");
    EXPECT_EQ(steps->currentRow(), 0);
    test::PressEscape(modal);
  });
  e.ME_History->trigger();
  emit e.M_Edit->aboutToShow();
  EXPECT_EQ(e.ME_Undo->text(), "&Undo");
  EXPECT_EQ(e.ME_Redo->text(), "&Redo Rename CH 2");

  e.Ti_RefreshTimer();  // the menu's states as a look at it would find them
  e.ME_Redo->trigger();
  EXPECT_EQ(channels.NameText(1), "Kick");
  test::WhenModal([](QWidget* modal) {
    auto* line = modal->findChild<QLineEdit*>();
    ASSERT_TRUE(line);
    QTest::keyClicks(line, "KIC");
    QTest::keyClick(modal, Qt::Key_Return);
  });
  // The frame active again once the history has gone, as the window manager makes it.
  e.window()->activateWindow();
  QTRY_VERIFY(e.window()->isActiveWindow());
  ASSERT_EQ(e.Session().Cursor(), 2);
  QTest::keyClick(e.PB_List, Qt::Key_F, Qt::ControlModifier);
  // The next name holding it round the end: the generator's "Kick" on CH 1, else ours on CH 2.
  const int found = e.Session().Cursor();
  EXPECT_TRUE(found == 0 || found == 1) << found;
  EXPECT_NE(QString::fromStdString(channels.NameText(found)).toLower().indexOf("kic"), -1);
}

TEST_F(EditorWindowTest, ALockedTitleIsNotRenamed) {
  gen::TitleSpec spec;
  spec.locked = true;
  TFo_Edit& e = Open(AddTitle("Locked", spec));
  EXPECT_EQ(e.windowTitle(), "Edit - Locked.orb (Locked)");
  Click(e, 0);
  Click(e, 0);
  QTest::keyClicks(e.PB_List, "A");
  EXPECT_FALSE(e.Ed_Edit->isVisible());
}

TEST_F(EditorWindowTest, EveryControlFollowsTheSessionsEnablingOnEveryTab) {
  for (const bool locked : {false, true}) {
    gen::TitleSpec spec;
    spec.locked = locked;
    TFo_Edit& e = Open(AddTitle(locked ? "Locked" : "Open", spec));
    for (int tab = 0; tab < kTabCount; ++tab) {
      e.TC_Tab->setCurrentIndex(tab);
      Click(e, 1);
      e.Ti_RefreshTimer();
      const Enabling en = e.Session().Enabled();
      const std::string where =
          std::string(kTabPages[static_cast<std::size_t>(tab)].caption) + (locked ? " locked" : "");
      const std::vector<std::pair<QAction*, bool>> actions = {{e.ME_Undo, en.undo},
                                                              {e.ME_Redo, en.redo},
                                                              {e.ME_Cut, en.cut},
                                                              {e.ME_Copy, en.copy},
                                                              {e.ME_Paste, en.paste},
                                                              {e.ME_Delete, en.delete_entries},
                                                              {e.ME_OptionalCopy, en.optional_copy},
                                                              {e.ME_InsertTime, en.insert_time},
                                                              {e.ME_SelectAll, en.select_all},
                                                              {e.MD_Zero, en.zero},
                                                              {e.MD_FaderCopy, en.fader_copy},
                                                              {e.MD_TrimFader, en.fader_copy},
                                                              {e.MD_SetGroup, en.set_group},
                                                              {e.Po_Paste, en.paste},
                                                              {e.Po_ClearSelect, en.select_all}};
      for (const auto& [action, on] : actions)
        EXPECT_EQ(action->isEnabled(), on) << where << " " << action->objectName().toStdString();
      EXPECT_EQ(e.Bu_New->isEnabled(), en.new_entry) << where;
      EXPECT_EQ(e.Bu_Store->isEnabled(), en.store) << where;
      EXPECT_EQ(e.Bu_Delete->isEnabled(), en.delete_entries) << where;
      // What is shown on the tab.
      const bool automation = tab == kAutomationTab;
      EXPECT_EQ(e.Pa_Auto->isVisible(), automation) << where;
      EXPECT_EQ(e.Pa_List->isVisible(), e.Session().HasListPane()) << where;
      EXPECT_EQ(e.Bu_Lib->isVisible(),
                !automation && e.Session().SystemPage() && e.Session().HasListPane())
          << where;
      EXPECT_EQ(e.La_List->text().toStdString(), kTabPages[static_cast<std::size_t>(tab)].caption);
    }
    // A few rows stated outright, so that a wrong wiring cannot agree with itself.
    e.TC_Tab->setCurrentIndex(kChannelTab);
    Click(e, 1);
    e.Ti_RefreshTimer();
    EXPECT_TRUE(e.ME_Copy->isEnabled());
    EXPECT_EQ(e.ME_Paste->isEnabled(), false);  // nothing copied yet
    EXPECT_EQ(e.MD_Zero->isEnabled(), !locked);
    EXPECT_FALSE(e.ME_InsertTime->isEnabled());
    e.TC_Tab->setCurrentIndex(kIsolateTab);
    e.Ti_RefreshTimer();
    EXPECT_FALSE(e.ME_SelectAll->isEnabled());
  }
}

TEST_F(EditorWindowTest, ContextMenuOpensWithCurrentStates) {
  TFo_Edit& e = Open(AddTitle("Show"));
  e.TC_Tab->setCurrentIndex(kSnapshotTab);
  Click(e, 1);
  e.Ti_Refresh->stop();
  // Changed behind the timer's back: the menu still opens with Undo enabled.
  e.Session().Delete();
  QContextMenuEvent right(QContextMenuEvent::Mouse, RowPoint(1),
                          e.PB_List->mapToGlobal(RowPoint(1)));
  QApplication::sendEvent(e.PB_List, &right);
  EXPECT_TRUE(e.PM_Edit->isVisible());
  EXPECT_TRUE(e.Po_Undo->isEnabled());
  test::SaveRendering(e.PM_Edit, "editor_context_menu");
  e.PM_Edit->hide();
}

TEST_F(EditorWindowTest, CopyInOneWindowPastesIntoAnother) {
  gen::TitleSpec other;
  other.seed = 7;
  TFo_Edit& a = Open(AddTitle("Show"));
  TFo_Edit& b = Open(AddTitle("Other", other));
  const TQ730& from = a.Session().GetTitle().System();
  const TQ730& to = b.Session().GetTitle().System();
  const std::vector<int> ids = {kParamFaderLevel, kParamPan, kParamMtrLevel};
  const auto values = [&](const TQ730& list, int row) {
    std::vector<int> v;
    for (int id : ids) v.push_back(list.GetParam(row, id));
    return v;
  };
  ASSERT_NE(values(from, 0), values(to, 3));

  Frame().MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(a.parentWidget()));
  Click(a, 0);
  a.Ti_RefreshTimer();
  a.ME_Copy->trigger();
  Frame().MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(b.parentWidget()));
  Click(b, 3);
  b.Ti_RefreshTimer();
  ASSERT_TRUE(b.ME_Paste->isEnabled());
  b.ME_Paste->trigger();
  EXPECT_EQ(values(to, 3), values(from, 0));
  EXPECT_EQ(to.NameText(3), from.NameText(0));
  EXPECT_EQ(b.windowTitle(), "Edit - Other.orb *");
  EXPECT_EQ(a.windowTitle(), "Edit - Show.orb");
}

TEST_F(EditorWindowTest, SaveAndSaveAs) {
  const std::string show = AddTitle("Show"), taken = AddTitle("Taken");
  TFo_Main& main = Frame();
  TFo_Edit& e = Open(show);
  Click(e, 0);
  QTest::keyClicks(e.PB_List, "L");  // the editor takes the focus and the keys after it
  QTest::keyClicks(e.Ed_Edit, "ead");
  QTest::keyClick(e.Ed_Edit, Qt::Key_Return);
  main.MF_SaveClick();
  EXPECT_EQ(e.windowTitle(), "Edit - Show.orb");
  Title saved;
  ASSERT_EQ(saved.OpenTitle(show), kOk);
  EXPECT_EQ(saved.System().NameText(0), "Lead");

  // Save As into a new name: the title manager shows and selects it.
  prompter.QueueTitleName("Encore");
  main.MF_SaveAsClick();
  EXPECT_EQ(e.windowTitle(), "Edit - Encore.orb");
  EXPECT_EQ(main.TitleManager()->SelectedTitlePath(), folder.File("Encore.orb"));

  // Over an existing title after the overwrite question.
  const auto old = ReadBytes(taken);
  prompter.QueueTitleName("Taken");
  prompter.Queue(Answer::kYes);
  main.MF_SaveAsClick();
  EXPECT_TRUE(IsQuestion(prompter.shown().back().text, kFileExistsQuestion));
  EXPECT_NE(ReadBytes(taken), old);
  ASSERT_EQ(saved.OpenTitle(taken), kOk);
  EXPECT_EQ(saved.System().NameText(0), "Lead");
  EXPECT_EQ(e.windowTitle(), "Edit - Taken.orb");
}

TEST_F(EditorWindowTest, TooMuchAutomationIsNotSaved) {
  gen::TitleSpec spec;
  spec.automation_words = TQ730AUTO::kMaxStreamWords + 3;
  const std::string path = AddTitle("Full", spec);
  TFo_Edit& e = Open(path);
  ASSERT_EQ(e.Session().GetTitle().Automation().StreamWordCount(), TQ730AUTO::kMaxStreamWords + 3);
  const auto before = ReadBytes(path);
  Frame().MF_SaveClick();
  ASSERT_FALSE(prompter.shown().empty());
  EXPECT_EQ(prompter.shown().back().text,
            "Too many automation data.\nYou must delete 3 events at least.");
  EXPECT_EQ(prompter.shown().back().caption, "Error");
  EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(EditorWindowTest, CloseQueryAnswers) {
  struct Case {
    Answer answer;
    bool closed;
    bool saved;
  };
  for (const Case& c : {Case{Answer::kYes, true, true}, Case{Answer::kNo, true, false},
                        Case{Answer::kCancel, false, false}}) {
    const std::string path = AddTitle("Show" + std::to_string(static_cast<int>(c.answer)));
    const auto before = ReadBytes(path);
    TFo_Edit& e = Open(path);
    QPointer<QMdiSubWindow> window = qobject_cast<QMdiSubWindow*>(e.parentWidget());
    Click(e, 0);
    QTest::keyClicks(e.PB_List, "X");
    QTest::keyClick(e.Ed_Edit, Qt::Key_Return);
    ASSERT_TRUE(e.Session().Modified());
    const std::size_t asked = prompter.shown().size();
    prompter.Queue(c.answer);
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(prompter.shown().size(), asked + 1);
    EXPECT_EQ(prompter.shown().back().text, "Data has changed in \"Show" +
                                                std::to_string(static_cast<int>(c.answer)) +
                                                "\". Do you want to save?");
    EXPECT_TRUE(prompter.shown().back().default_cancel);
    EXPECT_EQ(prompter.shown().back().caption, "Close");
    EXPECT_EQ(prompter.shown().back().buttons, Buttons::kYesNoCancel);
    EXPECT_EQ(window.isNull(), c.closed);
    EXPECT_EQ(ReadBytes(path) != before, c.saved);
    if (window) {
      prompter.Queue(Answer::kNo);
      window->close();
    }
  }

  // A title locked at open closes without the question.
  gen::TitleSpec spec;
  spec.locked = true;
  TFo_Edit& locked = Open(AddTitle("Locked", spec));
  locked.Session().GetTitle().SetModified(true);
  const std::size_t asked = prompter.shown().size();
  EXPECT_TRUE(locked.parentWidget()->close());
  EXPECT_EQ(prompter.shown().size(), asked);
}

TEST_F(EditorWindowTest, TheFrameClosesOnlyWhenEveryEditorAgrees) {
  TFo_Edit& e = Open(AddTitle("Show"));
  Click(e, 0);
  QTest::keyClicks(e.PB_List, "X");
  QTest::keyClick(e.Ed_Edit, Qt::Key_Return);
  prompter.Queue(Answer::kCancel);
  EXPECT_FALSE(Frame().close());
  EXPECT_EQ(Frame().EditorWindows().size(), 1);
  prompter.Queue(Answer::kNo);
  EXPECT_TRUE(Frame().close());
}

TEST_F(EditorWindowTest, NewStoreRecallAndTheDoCommands) {
  TFo_Edit& e = Open(AddTitle("Show"));
  Title& title = e.Session().GetTitle();
  Click(e, 2);
  e.Ti_RefreshTimer();
  // New on a channel page makes a snapshot and says so.
  e.Bu_New->click();
  EXPECT_EQ(prompter.shown().back().text, "SNAPSHOT #04 is created.");
  EXPECT_EQ(title.Snapshots().Count(), 4);
  // The library button chooses the target.
  e.Po_Lib->actions()[2]->trigger();
  EXPECT_EQ(e.Bu_Lib->text(), "EQ LIB");
  prompter.QueueEntry(0);
  e.Bu_Store->click();
  EXPECT_EQ(prompter.shown().back().caption, "Store");
  EXPECT_EQ(prompter.shown().back().text.substr(0, 7), "EQ LIB\n");
  prompter.QueueEntry(std::nullopt);
  const int steps = e.Session().Undo().UndoCount();
  e.Bu_Recall->click();
  EXPECT_EQ(prompter.shown().back().caption, "Recall");
  EXPECT_EQ(e.Session().Undo().UndoCount(), steps);  // cancelled: no step

  // Fader Copy, Trim and the groups reach the selected channels.
  prompter.QueueFaderCopy(std::make_pair(0, 1));
  e.MD_FaderCopy->trigger();
  EXPECT_EQ(title.System().GetParam(2, kParamMtrLevel),
            title.System().GetParam(2, kParamFaderLevel));
  e.MD_SetGroup->trigger();
  EXPECT_EQ(e.Session().Undo().UndoCount(), steps + 2);
  EXPECT_EQ(e.SB_Undo->text(), "");
  e.ME_Undo->trigger();
  EXPECT_EQ(e.SB_Undo->text(), "Undo");
}

TEST_F(EditorWindowTest, TheBoldSettingReachesTheListPaneAtOnce) {
  TFo_Edit& e = Open(AddTitle("Show"));
  const QImage plain = e.PB_List->grab().toImage();
  test::WhenModal([](QWidget* modal) {
    modal->findChild<QCheckBox*>()->click();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  Frame().MS_ConfigClick();
  ASSERT_TRUE(Frame().Settings().bold);
  EXPECT_NE(e.PB_List->grab().toImage(), plain);
  EXPECT_TRUE(e.LB_List->font().bold());
  EXPECT_TRUE(e.LB_Assign->font().bold());
}

TEST_F(EditorWindowTest, CtrlPageKeysWalkTheTabs) {
  TFo_Edit& e = Open(AddTitle("Show"));
  QTest::keyClick(e.PB_List, Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(e.Session().Tab(), 1);
  QTest::keyClick(e.PB_List, Qt::Key_PageUp, Qt::ControlModifier);
  QTest::keyClick(e.PB_List, Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(e.Session().Tab(), kTabCount - 1);
  EXPECT_EQ(e.TC_Tab->currentIndex(), kTabCount - 1);
}

TEST_F(EditorWindowTest, ATitleThatDidNotLoadSaysSoInItsCaption) {
  const std::string path = AddTitle("Torn");
  auto bytes = ReadBytes(path);
  bytes.resize(bytes.size() / 2);
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  TFo_Edit& e = Open(path);
  EXPECT_EQ(prompter.shown().front().caption, "Error");
  EXPECT_TRUE(e.windowTitle().startsWith("Edit - Torn.orb - not loaded completely ("))
      << e.windowTitle().toStdString();
  Click(e, 0);
  EXPECT_TRUE(e.windowTitle().contains("not loaded completely"));
}

TEST_F(EditorWindowTest, RenderingsOfEveryTab) {
  gen::TitleSpec spec;
  spec.snapshots = 12;
  spec.automation_words = 4000;
  TFo_Edit& e = Open(AddTitle("Show", spec));
  Frame().MdiArea()->currentSubWindow()->showMaximized();
  for (int tab = 0; tab < kTabCount; ++tab) {
    e.TC_Tab->setCurrentIndex(tab);
    if (e.Session().HasListPane()) {
      Click(e, 1);
      Click(e, 3, Qt::ShiftModifier);
      Click(e, 5, Qt::ControlModifier);
    }
    std::string name = kTabPages[static_cast<std::size_t>(tab)].caption;
    std::replace(name.begin(), name.end(), ' ', '_');
    QApplication::processEvents();  // the layout follows the tab's panes
    test::SaveRendering(&Frame(), "editor_tab_" + name);
  }
}

// The wheel over a panel control steps it three steps a notch, the keypad's minus one step;
// the status line shows the value after each.
TEST_F(EditorWindowTest, TheWheelAndTheKeypadStepThePanelControlUnderThePointer) {
  TFo_Edit& e = Open(AddTitle("Wheel"));
  TQ730SYSF& system = e.Session().GetTitle().System();
  system.SetParam(0, kParamTrim, 50);
  e.PB_Edit->grab();
  std::optional<PageControl> trim;
  for (const PageControl& c : e.PB_Edit->Binding().Model().Scene().controls) {
    if (c.id == kParamTrim) trim = c;
  }
  ASSERT_TRUE(trim);
  const QPoint at(trim->box.left + 2, trim->box.top + 2);
  QTest::mouseMove(e.PB_Edit, at);
  QWheelEvent wheel(at, e.PB_Edit->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {},
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(e.PB_Edit, &wheel);
  EXPECT_EQ(system.GetParam(0, kParamTrim), 47);
  // The status line follows each step.
  QApplication::processEvents();
  EXPECT_TRUE(e.SB_Pointer->text().endsWith("Trim = -3.25 dB"))
      << e.SB_Pointer->text().toStdString();
  QTest::keyClick(e.PB_List, Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(system.GetParam(0, kParamTrim), 46);
  QApplication::processEvents();
  EXPECT_TRUE(e.SB_Pointer->text().endsWith("Trim = -3.50 dB"))
      << e.SB_Pointer->text().toStdString();
  EXPECT_GE(e.Session().Undo().UndoCount(), 1);
}

// The CUE page with the mouse and the keys: EVENT and CHANNEL through their popups, NUMBER
// through LB_List (a click on an item, Return, Esc, a click in the list pane), TIME CODE typed
// with the list following the cue, TC LINK toggled; the saved title holds it all.
TEST_F(EditorWindowTest, EveryCueCellEditsWithTheMouseAndTheSaveHoldsIt) {
  const std::string path = AddTitle("Cues");
  TFo_Main& main = Frame();
  TFo_Edit& e = Open(path);
  constexpr int kCueTab = 7;
  e.TC_Tab->setCurrentIndex(kCueTab);
  const auto centre = [&e](int id, int cue) {
    e.PB_Edit->grab();
    for (const PageControl& c : e.PB_Edit->Binding().Model().Scene().controls) {
      if (c.id == id && c.channel == cue)
        return QPoint(c.box.left + c.box.width / 2, c.box.top + c.box.height / 2);
    }
    ADD_FAILURE() << "no cell " << id << "/" << cue;
    return QPoint();
  };
  const auto click = [&](int id, int cue) {
    QTest::mouseClick(e.PB_Edit, Qt::LeftButton, {}, centre(id, cue));
  };
  TQ730CUE& cues = e.Session().GetTitle().Cues();
  const TQ730SYSF& system = e.Session().GetTitle().System();
  std::vector<std::string> captions;
  e.PB_Edit->choose_popup = [&captions](const PanelRequest& r,
                                        const std::vector<PopupItem>& items) {
    captions.clear();
    for (const PopupItem& item : items) captions.push_back(item.caption);
    // EVENT: "&SNAPSHOT"; CHANNEL: "MTR 2".
    return std::optional<int>(r.menu == Po_Event ? items[1].value : items[8].value);
  };
  click(kParamCueEvent, 0);
  EXPECT_EQ(captions.front(), "&NA");
  EXPECT_EQ(cues.GetParam(0, kParamCueEvent), 1);
  click(kParamCueChannel, 0);
  EXPECT_EQ(captions.back(), "&PGM");
  EXPECT_EQ(
      std::ranges::count_if(captions, [](const std::string& c) { return c.starts_with("RTN"); }),
      0);
  EXPECT_EQ(cues.GetParam(0, kParamCueChannel), system.FirstChannelOf(kGroupMTR) + 1);

  // NUMBER: the list over the cell; a click on an item takes it.
  click(kParamCueEventNumber, 0);
  ASSERT_TRUE(e.LB_List->isVisible());
  EXPECT_EQ(e.LB_List->count(), e.Session().GetTitle().Snapshots().Count() + 1);
  EXPECT_EQ(e.LB_List->currentRow(), 0);
  EXPECT_EQ(e.LB_List->geometry().topLeft(), centre(kParamCueEventNumber, 0) - QPoint(32, 10));
  test::SaveRendering(&Frame(), "editor_cue_number_list");
  QTest::mouseClick(e.LB_List->viewport(), Qt::LeftButton, {},
                    e.LB_List->visualItemRect(e.LB_List->item(2)).center());
  EXPECT_FALSE(e.LB_List->isVisible());
  EXPECT_EQ(cues.GetParam(0, kParamCueEventNumber), 2);
  // Esc leaves the number; Return takes the row the arrow keys chose; so does a click elsewhere.
  struct Close {
    Qt::Key key;  // Qt::Key_unknown: a click in the list pane
    int number;
  };
  for (const Close& c :
       {Close{Qt::Key_Escape, 2}, Close{Qt::Key_Return, 3}, Close{Qt::Key_unknown, 2}}) {
    click(kParamCueEventNumber, 0);
    ASSERT_TRUE(e.LB_List->isVisible());
    QTest::keyClick(e.LB_List, c.key == Qt::Key_Return ? Qt::Key_Down : Qt::Key_Up);
    if (c.key == Qt::Key_unknown) {
      Click(e, 1);
    } else {
      QTest::keyClick(e.LB_List, c.key);
    }
    EXPECT_FALSE(e.LB_List->isVisible()) << c.key;
    EXPECT_EQ(cues.GetParam(0, kParamCueEventNumber), c.number) << c.key;
  }
  e.TC_Tab->setCurrentIndex(kCueTab);

  // TIME CODE typed after the last cue: the cue moves to the end, the cursor with it.
  const int last = cues.Count() - 1;
  click(kParamCueTime, 0);
  ASSERT_EQ(e.Session().Pending().item, kParamCueTime);
  QTest::keyClicks(e.PB_List, "23000000");
  QTest::keyClick(e.PB_List, Qt::Key_Return);
  EXPECT_EQ(cues.GetParam(last, kParamCueTime), 0x23000000);
  EXPECT_EQ(cues.GetParam(last, kParamCueEvent), 1);
  EXPECT_EQ(e.Session().Cursor(), last);
  EXPECT_EQ(Selected(e), std::set<int>{last});

  const int link = cues.GetParam(1, kParamCueTcLink);
  click(kParamCueTcLink, 1);
  EXPECT_EQ(cues.GetParam(1, kParamCueTcLink), 1 - link);

  main.MF_SaveClick();
  Title saved;
  ASSERT_EQ(saved.OpenTitle(path), kOk);
  const auto moved = saved.Cues().Record(last);
  EXPECT_EQ(std::vector<std::uint8_t>(moved.begin(), moved.begin() + 4),
            (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x23}));
  EXPECT_EQ(moved[29], 1);
  EXPECT_EQ(moved[30], 2);
  EXPECT_EQ(moved[31], system.FirstChannelOf(kGroupMTR) + 1);
  EXPECT_EQ(saved.Cues().Record(1)[28], 1 - link);
}

}  // namespace
}  // namespace orb
