#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include "core/editor/Sessions.h"
#include "core/model/Title.h"
#include "gui/shell/Focompare.h"
#include "gui/shell/Fotitle.h"
#include "tests/TestFiles.h"
#include "tests/gui/shell/GuiTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace orb {
namespace {

namespace fs = std::filesystem;
using test::WhenModal;

class TitleManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"beta", "Alpha", "gamma"}) library.AddTitle(name);
  }
  // Built after the files of the test are in place.
  TFo_Title& Window() {
    if (!window) {
      window = std::make_unique<TFo_Title>(library.str(), &settings, &prompter);
      window->show();
    }
    return *window;
  }
  QStringList Listed() {
    QStringList names;
    for (int i = 0; i < Window().LB_Titles->count(); ++i)
      names << Window().LB_Titles->item(i)->text();
    return names;
  }
  QStringList Visible() {
    QStringList names;
    for (int i = 0; i < Window().LB_Titles->count(); ++i) {
      if (!Window().LB_Titles->item(i)->isHidden()) names << Window().LB_Titles->item(i)->text();
    }
    return names;
  }
  QListWidgetItem* Row(const QString& name) {
    const auto found = Window().LB_Titles->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
  }
  QString Selected() {
    const auto items = Window().LB_Titles->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
  }
  bool LockedInside(const std::string& path) {
    TitleInfo info;
    EXPECT_EQ(ReadTitleInfo(path, info), kOk);
    return DescribeTitle(info).locked;
  }
  // The messages the prompter showed, as "caption: text".
  std::vector<std::string> Shown() const {
    std::vector<std::string> texts;
    for (const auto& shown : prompter.shown()) texts.push_back(shown.caption + ": " + shown.text);
    return texts;
  }

  test::TempFolder library;
  ShellSettings settings;
  ScriptedPrompter prompter;
  std::unique_ptr<TFo_Title> window;
};

TEST_F(TitleManagerTest, ListsTheLibrarySortedAndShowsTheSelectedTitle) {
  TFo_Title& title = Window();
  EXPECT_EQ(title.windowTitle(), "Title");
  EXPECT_EQ(Listed(), QStringList({"Alpha", "beta", "gamma"}));
  EXPECT_EQ(title.LB_Titles->visualItemRect(title.LB_Titles->item(0)).height(), 20);
  EXPECT_EQ(title.width(), 184);
  EXPECT_GE(title.height(), 400);
  EXPECT_FALSE(title.HasSelection());
  EXPECT_TRUE(title.La_Name->text().isEmpty());
  EXPECT_FALSE(title.Bu_Lock->isEnabled());

  QTest::mouseClick(title.LB_Titles->viewport(), Qt::LeftButton, {},
                    title.LB_Titles->visualItemRect(title.LB_Titles->item(1)).center());
  EXPECT_EQ(title.SelectedTitlePath(), library.File("beta.orb"));
  EXPECT_EQ(title.La_Name->text(), "beta");
  EXPECT_EQ(title.La_Memo->text(), "Memo of beta");
  EXPECT_EQ(title.La_TCMode->text(), "30F/s NDF");
  EXPECT_EQ(title.La_FS->text(), "48kHz");
  EXPECT_TRUE(title.La_Size->text().endsWith("KB"));
  EXPECT_TRUE(title.Bu_Lock->isEnabled());
  EXPECT_FALSE(title.Bu_Lock->isChecked());

  // Lock stamps the file at once, and releasing it clears the flag again.
  QTest::mouseClick(title.Bu_Lock, Qt::LeftButton);
  EXPECT_TRUE(LockedInside(library.File("beta.orb")));
  QTest::mouseClick(title.Bu_Lock, Qt::LeftButton);
  EXPECT_FALSE(LockedInside(library.File("beta.orb")));

  // A file that is not a title shows an empty panel and a disabled Lock.
  std::ofstream(library.File("broken.orb")) << "x";
  title.ReloadList();
  EXPECT_EQ(title.SelectByPath(library.File("BROKEN.ORB")), kOk);
  EXPECT_TRUE(title.La_Name->text().isEmpty());
  EXPECT_FALSE(title.Bu_Lock->isEnabled());
  EXPECT_EQ(title.SelectByPath(library.File("missing.orb")), kFailed);
  EXPECT_FALSE(title.HasSelection());
  EXPECT_TRUE(Shown().empty());
}

TEST_F(TitleManagerTest, EntriesFollowTheSelectionAndWhatTheBuildOffers) {
  TFo_Title& title = Window();
  title.Ti_RefreshTimer();
  for (QAction* entry : {title.PL_ExportRS232C, title.PL_ExportFDD, title.PL_Open, title.PL_Delete,
                         title.PL_Rename, title.PL_Backup})
    EXPECT_FALSE(entry->isEnabled()) << entry->text().toStdString();
  for (QWidget* button :
       {static_cast<QWidget*>(title.Bu_Export), static_cast<QWidget*>(title.Bu_Open),
        static_cast<QWidget*>(title.Bu_Backup)})
    EXPECT_FALSE(button->isEnabled());
  EXPECT_TRUE(title.PL_ImportFDD->isEnabled());
  EXPECT_TRUE(title.Bu_Import->isEnabled());
  // No transfer window and no editor window in this build: their entries stay off.
  EXPECT_FALSE(title.PL_ImportRS232C->isEnabled());
  EXPECT_FALSE(title.PI_ImportRS232C->isEnabled());

  title.SelectByPath(library.File("Alpha.orb"));
  title.Ti_RefreshTimer();
  for (QAction* entry : {title.PL_ExportFDD, title.PL_Delete, title.PL_Rename, title.PL_Backup})
    EXPECT_TRUE(entry->isEnabled()) << entry->text().toStdString();
  EXPECT_TRUE(title.Bu_Export->isEnabled());
  EXPECT_TRUE(title.Bu_Backup->isEnabled());
  EXPECT_FALSE(title.PL_Open->isEnabled());
  EXPECT_FALSE(title.PL_ExportRS232C->isEnabled());

  std::vector<std::string> opened;
  title.SetEditorOpener([&](const std::string& path) { opened.push_back(path); });
  title.SetTransferSessionRunner([](const TransferRequest&) { return TransferResult{}; });
  title.Ti_RefreshTimer();
  EXPECT_TRUE(title.PL_Open->isEnabled());
  EXPECT_TRUE(title.Bu_Open->isEnabled());
  EXPECT_TRUE(title.PL_ExportRS232C->isEnabled());
  EXPECT_TRUE(title.PL_ImportRS232C->isEnabled());
  test::DoubleClick(title.LB_Titles, 2);
  EXPECT_EQ(opened, std::vector<std::string>{library.File("gamma.orb")});

  // Bold lists come with the next painting.
  settings.bold = true;
  title.update();
  QTRY_VERIFY(title.LB_Titles->font().bold());
}

TEST_F(TitleManagerTest, DeleteAsksFirst) {
  TFo_Title& title = Window();
  title.SelectByPath(library.File("beta.orb"));
  prompter.Queue(Answer::kNo);
  title.DeleteTitleFile();
  EXPECT_TRUE(fs::exists(library.File("beta.orb")));
  EXPECT_EQ(Shown(),
            std::vector<std::string>{"Delete: Are you sure?\nThe title \"beta\" will be deleted."});

  // The Delete key does the same.
  prompter.Queue(Answer::kYes);
  title.Ti_RefreshTimer();
  QTest::keyClick(title.LB_Titles, Qt::Key_Delete);
  EXPECT_FALSE(fs::exists(library.File("beta.orb")));
  EXPECT_EQ(Listed(), QStringList({"Alpha", "gamma"}));
  EXPECT_FALSE(title.HasSelection());
  EXPECT_EQ(Shown().size(), 2u);  // no error

  // Nothing selected: the key asks nothing.
  title.Ti_RefreshTimer();
  QTest::keyClick(title.LB_Titles, Qt::Key_Delete);
  EXPECT_EQ(Shown().size(), 2u);
}

TEST_F(TitleManagerTest, ATitleOpenInAnEditorIsNotDeletedRenamedOrLocked) {
  struct OneOpen : OpenTitles {
    std::string path;
    bool IsOpen(const std::string& p) const override { return SameTitleFile(p, path); }
  } open;
  open.path = library.File("beta.orb");
  TFo_Title& title = Window();
  title.SetOpenTitles(&open);
  title.SelectByPath(library.File("beta.orb"));
  const std::string refused = std::string(": ") + kTitleOpenMessage;
  title.DeleteTitleFile();
  title.RenameTitleFile();
  title.Bu_Lock->click();
  EXPECT_EQ(Shown(),
            (std::vector<std::string>{"Delete" + refused, "Rename" + refused, "Lock" + refused}));
  EXPECT_TRUE(fs::exists(library.File("beta.orb")));
  EXPECT_FALSE(title.Bu_Lock->isChecked());
  TitleInfo info{};
  ASSERT_EQ(ReadTitleInfo(library.File("beta.orb"), info), kOk);
  EXPECT_FALSE(DescribeTitle(info).locked);

  // Another title is not affected.
  title.SelectByPath(library.File("gamma.orb"));
  prompter.Queue(Answer::kYes);
  title.DeleteTitleFile();
  EXPECT_FALSE(fs::exists(library.File("gamma.orb")));
}

TEST_F(TitleManagerTest, RenameCleansTheNameAndNeverReplacesATitle) {
  TFo_Title& title = Window();
  title.SelectByPath(library.File("beta.orb"));
  prompter.QueueTitleName("A/B");
  title.RenameTitleFile();
  EXPECT_EQ(prompter.shown().at(0).text, "beta");  // preset with the title's name
  EXPECT_TRUE(fs::exists(library.File("A_B.orb")));
  EXPECT_FALSE(fs::exists(library.File("beta.orb")));
  EXPECT_EQ(Listed(), QStringList({"A_B", "Alpha", "gamma"}));
  EXPECT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Selected(), "A_B");  // the renamed title stays selected
  EXPECT_EQ(title.La_Name->text(), "A_B");

  prompter.QueueTitleName("gamma");
  title.RenameTitleFile();
  EXPECT_EQ(Shown().back(), "Error: Rename failed.\nThe name \"gamma\" is in use.");
  EXPECT_TRUE(fs::exists(library.File("A_B.orb")));

  prompter.QueueTitleName(std::nullopt);
  title.RenameTitleFile();
  EXPECT_EQ(Listed(), QStringList({"A_B", "Alpha", "gamma"}));
  EXPECT_EQ(Selected(), "A_B");
}

TEST_F(TitleManagerTest, BackupSelectsTheCopy) {
  TFo_Title& title = Window();
  title.SelectByPath(library.File("gamma.orb"));
  title.Ti_RefreshTimer();
  QTest::mouseClick(title.Bu_Backup, Qt::LeftButton);
  EXPECT_TRUE(fs::exists(library.File("copy1 gamma.orb")));
  EXPECT_EQ(Selected(), "copy1 gamma");
  EXPECT_EQ(title.La_Name->text(), "copy1 gamma");
  EXPECT_TRUE(Shown().empty());
}

TEST_F(TitleManagerTest, FloppyExportAndImportGoThroughTheirFileDialogs) {
  test::TempFolder floppy;
  TFo_Title& title = Window();
  title.SelectByPath(library.File("Alpha.orb"));
  prompter.QueueFile(floppy.File("SYSF.DAT"));
  QSignalSpy finished(&title, &TFo_Title::MessageLine);
  title.ExportToFloppy();
  ASSERT_EQ(finished.size(), 1);
  EXPECT_EQ(finished[0][0].toString(),
            QString("Exported \"Alpha\" to %1.").arg(floppy.str().c_str()));
  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.shown()[0].caption, "Export");
  for (const char* file : {"sysf.dat", "snap.dat", "cue.dat", "dylib.dat", "eqlib.dat", "auto.dat"})
    EXPECT_TRUE(fs::exists(floppy.File(file))) << file;

  prompter.QueueFile(floppy.File("sysf.dat"));
  prompter.QueueTitleName("From floppy");
  title.ImportFromFloppy();
  ASSERT_EQ(prompter.shown().size(), 3u);
  EXPECT_EQ(prompter.shown()[1].caption, "Import");
  EXPECT_EQ(prompter.shown()[2].text, "Alpha");  // the name the set carries
  EXPECT_EQ(Selected(), "From floppy");
  EXPECT_EQ(title.La_Name->text(), "From floppy");

  // A folder without a set: its files cannot be opened.
  test::TempFolder empty;
  prompter.QueueFile(empty.File("sysf.dat"));
  title.ImportFromFloppy();
  EXPECT_EQ(Shown().back(), "Error: Can't open source file.\nThere is no sysf.dat in the folder " +
                                empty.str() + ".");
  EXPECT_EQ(Listed().size(), 4);
}

// Export reads the title's file: with unsaved changes in an editor it asks first. Cancel (the
// default) stops before any dialog, No exports the file as saved, Yes saves and exports.
TEST_F(TitleManagerTest, ExportOfATitleWithUnsavedChangesAsksToSaveThemFirst) {
  TClip clip;
  EditSessions sessions(clip, &prompter);
  TFo_Title& title = Window();
  title.SetOpenTitles(&sessions);
  std::vector<TransferRequest> requests;
  title.SetTransferSessionRunner([&](const TransferRequest& request) {
    requests.push_back(request);
    return TransferResult{};
  });
  const std::string alpha = library.File("Alpha.orb");
  EditSession& session = sessions.Open(alpha);
  title.SelectByPath(alpha);
  test::TempFolder floppy;
  const auto exported_name = [&] {
    const std::vector<std::uint8_t> sysf = test::ReadFile(floppy.File("sysf.dat"));
    if (sysf.size() < TQ730SYSF::kBlockSize) return std::string("(none)");
    return SlotText(sysf.data() + TQ730SYSF::kNamesOffset, TQ730SYSF::kNameSlot);
  };
  const std::string was = session.GetTitle().System().NameText(0);
  const std::string question =
      "Export: The title Alpha has unsaved changes. Save them before exporting?";

  // Nothing unsaved: no question.
  prompter.QueueFile(floppy.File("SYSF.DAT"));
  title.ExportToFloppy();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Export: SYSF.DAT"}));
  EXPECT_EQ(exported_name(), was);

  const struct {
    Answer answer;
    std::vector<std::string> shown;
    std::string exported;
    bool still_modified;
  } cases[] = {
      {Answer::kCancel, {question}, "(none)", true},
      {Answer::kNo, {question, "Export: SYSF.DAT"}, was, true},
      {Answer::kYes, {question, "Export: SYSF.DAT"}, "Changed", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    fs::remove(floppy.File("sysf.dat"));
    session.GetTitle().System().SetName(0, "Changed");
    session.GetTitle().SetModified(true);
    prompter = ScriptedPrompter();
    prompter.Queue(c.answer);
    prompter.QueueFile(floppy.File("SYSF.DAT"));
    title.ExportToFloppy();
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(prompter.shown().at(0).buttons, Buttons::kYesNoCancel);
    EXPECT_TRUE(prompter.shown().at(0).default_cancel);
    EXPECT_EQ(exported_name(), c.exported);
    EXPECT_EQ(session.Modified(), c.still_modified);
  }

  // The console export asks the same; Cancel sends nothing.
  session.GetTitle().SetModified(true);
  prompter = ScriptedPrompter();
  prompter.Queue(Answer::kCancel);
  title.ExportToConsole();
  EXPECT_EQ(Shown(), (std::vector<std::string>{question}));
  EXPECT_TRUE(requests.empty());
}

TEST_F(TitleManagerTest, TheListMarksLockedTitlesElidesLongTextsAndNarrowsByAFilter) {
  library.AddTitle("Locked", 1, true);
  gen::TitleSpec spec;
  spec.name = std::string(23, 'W');
  spec.memo = "A memo much too long for the panel, which shows what fits and the rest in a tip";
  test::WriteFile(library.File(spec.name + ".orb"), gen::MakeTitle(spec));
  TFo_Title& title = Window();
  const QString name = QString::fromStdString(spec.name);
  ASSERT_NE(Row("Locked"), nullptr);
  EXPECT_TRUE(Row("Locked")->data(Qt::UserRole + 1).toBool());
  EXPECT_FALSE(Row("Alpha")->data(Qt::UserRole + 1).toBool());
  EXPECT_EQ(Row(name)->toolTip(), name);

  title.SelectByPath(library.File(spec.name + ".orb"));
  EXPECT_TRUE(title.La_Name->text().endsWith(QChar(0x2026))) << title.La_Name->text().toStdString();
  EXPECT_EQ(title.La_Name->toolTip(), name);
  EXPECT_TRUE(title.La_Memo->text().endsWith(QChar(0x2026)));
  EXPECT_EQ(title.La_Memo->toolTip(), QString::fromStdString(spec.memo));
  EXPECT_EQ(title.La_Memo->FullText(), QString::fromStdString(spec.memo));
  test::SaveRendering(&title, "title_manager_long_texts");

  // The filter keeps names that hold it, in any case; a hidden selection is dropped.
  QTest::keyClicks(title.Ed_Filter, "A");
  EXPECT_EQ(Visible(), QStringList({"Alpha", "beta", "gamma"}));
  EXPECT_FALSE(title.HasSelection());
  QTest::keyClicks(title.Ed_Filter, "l");
  EXPECT_EQ(Visible(), QStringList({"Alpha"}));
  test::SaveRendering(&title, "title_manager_filtered");
  // Selecting a title the filter hides shows it again.
  title.SelectByPath(library.File("Locked.orb"));
  EXPECT_TRUE(title.Ed_Filter->text().isEmpty());
  EXPECT_EQ(Visible().size(), 5);
  EXPECT_EQ(Selected(), "Locked");
}

// Ctrl+F goes to the filter; Return there steps through the titles it keeps, round the end;
// Down hands the keys back to the list, where Return opens.
TEST_F(TitleManagerTest, CtrlFFindsTitlesByName) {
  library.AddTitle("Delta");
  TFo_Title& title = Window();
  title.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&title));
  title.LB_Titles->setFocus();
  QTest::keyClick(title.LB_Titles, Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(title.Ed_Filter->hasFocus());
  QTest::keyClicks(title.Ed_Filter, "ta");
  QStringList found;
  for (int k = 0; k < 3; ++k) {
    QTest::keyClick(title.Ed_Filter, Qt::Key_Return);
    found << Selected();
  }
  EXPECT_EQ(found, QStringList({"beta", "Delta", "beta"}));
  QTest::keyClick(title.Ed_Filter, Qt::Key_Down);
  EXPECT_TRUE(title.LB_Titles->hasFocus());
  EXPECT_EQ(Selected(), "beta");
  QTest::keyClick(title.Ed_Filter, Qt::Key_F, Qt::ControlModifier);
  QTest::keyClicks(title.Ed_Filter, "zz");
  QTest::keyClick(title.Ed_Filter, Qt::Key_Return);
  EXPECT_EQ(Selected(), "");
}

TEST_F(TitleManagerTest, TheListFollowsTheFolderAndAClickReadsTheTitleAgain) {
  TFo_Title& title = Window();
  const QRect beta = title.LB_Titles->visualItemRect(title.LB_Titles->item(1));
  QTest::mouseClick(title.LB_Titles->viewport(), Qt::LeftButton, {}, beta.center());
  EXPECT_FALSE(title.Bu_Lock->isChecked());
  ASSERT_EQ(LockTitle(library.File("beta.orb"), true), kOk);  // by another program
  QTest::mouseClick(title.LB_Titles->viewport(), Qt::LeftButton, {}, beta.center());
  EXPECT_TRUE(title.Bu_Lock->isChecked());
  EXPECT_TRUE(title.La_Damage->isHidden());

  // A title cut short says so.
  auto bytes = test::ReadFile(library.File("gamma.orb"));
  bytes.resize(bytes.size() / 2);
  test::WriteFile(library.File("gamma.orb"), bytes);
  title.SelectByPath(library.File("gamma.orb"));
  EXPECT_FALSE(title.La_Damage->isHidden());
  EXPECT_TRUE(title.La_Damage->text().startsWith("Damaged: "))
      << title.La_Damage->text().toStdString();
  test::SaveRendering(&title, "title_manager_damaged");

  library.AddTitle("delta");
  QTRY_VERIFY(Listed().contains("delta"));
  fs::remove(library.File("Alpha.orb"));
  QTRY_VERIFY(!Listed().contains("Alpha"));
  EXPECT_EQ(Selected(), "gamma");
}

TEST_F(TitleManagerTest, DroppedTitleFilesComeInThroughTheNameDialog) {
  test::TempFolder elsewhere;
  const std::string show = elsewhere.AddTitle("Show");
  const std::string notes = elsewhere.File("notes.txt");
  std::ofstream(notes) << "x";
  TFo_Title& title = Window();

  QMimeData other;
  other.setUrls({QUrl::fromLocalFile(QString::fromStdString(notes))});
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &other, Qt::LeftButton, {});
  QApplication::sendEvent(&title, &refused);
  EXPECT_FALSE(refused.isAccepted());

  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(show)),
                QUrl::fromLocalFile(QString::fromStdString(notes))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&title, &enter);
  EXPECT_TRUE(enter.isAccepted());
  prompter.QueueTitleName("Show");
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&title, &drop);
  QTRY_COMPARE(Selected(), QString("Show"));
  EXPECT_EQ(Shown(), std::vector<std::string>{"Title Name: Show"});
  EXPECT_TRUE(fs::exists(library.File("Show.orb")));
}

TEST_F(TitleManagerTest, ConsoleCommandsHandTheSlotToTheTransferWindow) {
  TFo_Title& title = Window();
  std::vector<TransferRequest> requests;
  title.SetTransferSessionRunner([&](const TransferRequest& request) {
    requests.push_back(request);
    if (request.mode == 1) return TransferResult{true, ""};
    return TransferResult{true, library.AddTitle("From console")};
  });

  // Escape in the slot dialog starts nothing.
  WhenModal([](QWidget* modal) { test::PressEscape(modal); });
  title.ImportFromConsole();
  EXPECT_TRUE(requests.empty());

  WhenModal([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), "Import from RS-232C");
    auto* list = modal->findChild<QListWidget*>();
    test::DoubleClick(list, 2);
  });
  title.ImportFromConsole();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].mode, 0);
  EXPECT_EQ(requests[0].slot, 2);
  EXPECT_EQ(Selected(), "From console");
  EXPECT_EQ(title.La_Name->text(), "From console");

  WhenModal([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), "Export");
    modal->findChild<QListWidget*>()->setCurrentRow(9);
    QTest::keyClick(modal, Qt::Key_Return);
  });
  title.ExportToConsole();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].mode, 1);
  EXPECT_EQ(requests[1].slot, 9);
  EXPECT_EQ(requests[1].title_path, library.File("From console.orb"));
  EXPECT_FALSE(title.HasSelection());
  EXPECT_TRUE(title.La_Name->text().isEmpty());
}

// Compare with...: the second title chosen from the others, the differences in a tree that
// fills as it opens, the filter, and a double click opening the first title at the line's place.
TEST_F(TitleManagerTest, CompareWithListsTheDifferencesAndOpensTheirPlace) {
  const std::string other = library.AddTitle("delta", 2);
  TFo_Title& title = Window();
  std::vector<std::tuple<std::string, int, int>> opened;
  title.SetEditorPlaceOpener([&](const std::string& path, int tab, int cursor) {
    opened.emplace_back(path, tab, cursor);
  });
  title.LB_Titles->setCurrentItem(Row("Alpha"));
  title.Ti_RefreshTimer();
  ASSERT_TRUE(title.PL_Compare->isEnabled());
  prompter.QueueEntry(std::nullopt);  // Cancel: no window
  title.CompareWithTitle();
  EXPECT_EQ(title.findChild<TFo_Compare*>(), nullptr);
  EXPECT_EQ(Shown().back(), "Compare with: Compare Alpha with\nbeta\ndelta\ngamma");

  prompter.QueueEntry(0);
  title.CompareWithTitle();
  TFo_Compare* window = title.findChild<TFo_Compare*>();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Compare - Alpha / beta");
  EXPECT_EQ(window->La_Count->text(), "1 difference");
  ASSERT_EQ(window->TV_Differences->topLevelItemCount(), 1);
  QTreeWidgetItem* list = window->TV_Differences->topLevelItem(0);
  EXPECT_EQ(list->text(0), "Title information (1)");
  list->setExpanded(true);
  ASSERT_EQ(list->childCount(), 1);
  EXPECT_EQ(list->child(0)->text(0), "MEMO: Memo of Alpha → Memo of beta");
  emit window->TV_Differences->itemDoubleClicked(list->child(0), 0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], std::make_tuple(library.File("Alpha.orb"), 12, -1));
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(title.findChild<TFo_Compare*>(), nullptr);

  // Against a title from another seed: records group under their lists, the filter narrows.
  prompter.QueueEntry(1);
  title.CompareWithTitle();
  window = title.findChild<TFo_Compare*>();
  ASSERT_NE(window, nullptr);
  const int all = window->TV_Differences->topLevelItemCount();
  EXPECT_GT(all, 3);
  QTreeWidgetItem* snapshots = nullptr;
  for (int i = 0; i < all; ++i) {
    QTreeWidgetItem* top = window->TV_Differences->topLevelItem(i);
    if (top->text(0).startsWith("Snapshots (")) snapshots = top;
  }
  ASSERT_NE(snapshots, nullptr);
  snapshots->setExpanded(true);
  ASSERT_GT(snapshots->childCount(), 0);
  QTreeWidgetItem* record = snapshots->child(0);
  EXPECT_TRUE(record->text(0).startsWith("#1 ")) << record->text(0).toStdString();
  record->setExpanded(true);
  ASSERT_GT(record->childCount(), 0);
  emit window->TV_Differences->itemDoubleClicked(record->child(0), 0);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], std::make_tuple(library.File("Alpha.orb"), 5, 0));
  emit window->TV_Differences->itemDoubleClicked(record, 0);  // not a line
  EXPECT_EQ(opened.size(), 2u);
  test::SaveRendering(window, "compare_window");

  window->Ed_Filter->setText("memo");
  window->ApplyFilter();
  ASSERT_EQ(window->TV_Differences->topLevelItemCount(), 1);
  EXPECT_TRUE(window->TV_Differences->topLevelItem(0)->isExpanded());
  EXPECT_TRUE(window->La_Count->text().startsWith("1 difference of "))
      << window->La_Count->text().toStdString();
  window->Ed_Filter->setText("no such text");
  window->ApplyFilter();
  EXPECT_EQ(window->TV_Differences->topLevelItemCount(), 0);
  window->close();
  (void)other;
}

}  // namespace
}  // namespace orb
