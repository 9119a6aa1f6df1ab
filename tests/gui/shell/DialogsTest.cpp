#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "gui/shell/Fo232c.h"
#include "gui/shell/Foconfig.h"
#include "gui/shell/Foimpexp.h"
#include "gui/shell/Foimport.h"
#include "gui/shell/Fosplash.h"
#include "gui/shell/QtPrompter.h"
#include "tests/gui/shell/GuiTestSupport.h"

namespace orb {
namespace {

using test::PressEscape;
using test::WhenModal;

QStringList ButtonTexts(QWidget* dialog) {
  QStringList texts;
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) texts << button->text();
  return texts;
}

TEST(QtPrompterTest, MessageBoxesShowTheirTextCaptionAndButtons) {
  QtPrompter prompter;
  struct Case {
    Buttons buttons;
    QMessageBox::StandardButtons shown;
    QMessageBox::StandardButton press;  // NoButton: Escape
    Answer answer;
  } cases[] = {
      {Buttons::kYesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton, Answer::kNo},
      {Buttons::kYesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, Answer::kYes},
      {Buttons::kYesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
       QMessageBox::NoButton, Answer::kCancel},
      {Buttons::kYesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
       QMessageBox::No, Answer::kNo},
      {Buttons::kOkCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton,
       Answer::kCancel},
      {Buttons::kOk, QMessageBox::Ok, QMessageBox::Ok, Answer::kOk},
  };
  for (const Case& c : cases) {
    QString text, caption;
    QMessageBox::StandardButtons shown;
    WhenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      text = box->text();
      caption = box->windowTitle();
      shown = box->standardButtons();
      if (c.press == QMessageBox::NoButton) {
        PressEscape(box);
      } else {
        box->button(c.press)->click();
      }
    });
    EXPECT_EQ(prompter.Message("File already exists. overwrite?", "Import", c.buttons), c.answer);
    EXPECT_EQ(text, "File already exists. overwrite?");
    EXPECT_EQ(caption, "Import");
    EXPECT_EQ(shown, c.shown);
  }
}

TEST(QtPrompterTest, QuestionsThatCannotBeUndoneDefaultToNo) {
  QtPrompter prompter;
  for (Buttons buttons : {Buttons::kYesNo, Buttons::kYesNoCancel}) {
    WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
    EXPECT_EQ(
        prompter.AskDefaultNo("Are you sure?\nThe title \"A\" will be deleted.", "Delete", buttons),
        Answer::kNo);
    WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
    EXPECT_EQ(prompter.Message("Are you sure?", "Delete", buttons), Answer::kYes);
  }
}

TEST(QtPrompterTest, TitleNameDialogTakesAtMostTwentyThreeCharacters) {
  QtPrompter prompter;
  std::string name = "Proposed";
  WhenModal([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), "Title Name");
    EXPECT_EQ(modal->findChild<QLabel*>()->text(), "Title Name:");
    EXPECT_EQ(ButtonTexts(modal), QStringList({"&OK", "&Cancel"}));
    auto* field = modal->findChild<QLineEdit*>();
    EXPECT_EQ(field->text(), "Proposed");
    field->clear();
    QTest::keyClicks(field, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QTest::keyClick(field, Qt::Key_Return);
  });
  ASSERT_TRUE(prompter.TitleNameDialog(name));
  EXPECT_EQ(name, "ABCDEFGHIJKLMNOPQRSTUVW");

  // A name beyond ASCII still fits the 23 bytes of the title's name slot.
  WhenModal([](QWidget* modal) {
    auto* field = modal->findChild<QLineEdit*>();
    field->clear();
    for (int i = 0; i < 20; ++i) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0xE9)));
      QApplication::sendEvent(field, &key);
    }
    QTest::keyClick(field, Qt::Key_Return);
  });
  ASSERT_TRUE(prompter.TitleNameDialog(name));
  EXPECT_LE(name.size(), 23u);
  EXPECT_EQ(QString::fromStdString(name), QString(11, QChar(0xE9)));

  WhenModal([](QWidget* modal) { PressEscape(modal); });
  EXPECT_FALSE(prompter.TitleNameDialog(name));
}

TEST(QtPrompterTest, FileDialogsLookForDataFiles) {
  QtPrompter prompter;
  test::TempFolder floppy;
  const FileDialog save_dialog{"Export", "ORB-Q730 File|*.DAT|All files|*.*", "DAT", "SYSF.DAT",
                               true};
  for (const FileDialog& dialog : {kImportFileDialog, save_dialog}) {
    std::ofstream(floppy.File("sysf.dat")) << "x";
    WhenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->windowTitle(), dialog.caption);
      EXPECT_EQ(box->nameFilters(), QStringList({"ORB-Q730 File (*.DAT)", "All files (*)"}));
      EXPECT_EQ(box->acceptMode(), dialog.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      EXPECT_EQ(box->defaultSuffix(), "DAT");
      box->setDirectory(QString::fromStdString(floppy.str()));
      box->selectFile("sysf.dat");
      // Saving over the file asks first; the answer is yes.
      if (dialog.save)
        WhenModal(
            [](QWidget* question) {
              qobject_cast<QMessageBox*>(question)->button(QMessageBox::Yes)->click();
            },
            box);
      static_cast<QDialog*>(box)->accept();  // as the confirming button does
    });
    std::string path;
    ASSERT_TRUE(prompter.ChooseFile(dialog, path)) << dialog.caption;
    EXPECT_EQ(path, floppy.File("sysf.dat"));
  }
  // The next one opens in the folder last used and proposes the first disk as it is spelled
  // there, so that Enter takes a set that export wrote.
  const QString folder = QDir(QString::fromStdString(floppy.str())).absolutePath();
  QString opened_in;
  QStringList proposed;
  WhenModal([&](QWidget* modal) {
    if (auto* box = qobject_cast<QFileDialog*>(modal)) {
      opened_in = box->directory().absolutePath();
      proposed = box->selectedFiles();
    }
    PressEscape(modal);
  });
  std::string path;
  EXPECT_FALSE(prompter.ChooseFile(kImportFileDialog, path));
  EXPECT_EQ(opened_in, folder);
  EXPECT_EQ(proposed, QStringList({folder + "/sysf.dat"}));
}

TEST(DialogTest, SlotDialogStoresTheSlotForEveryResult) {
  {
    TFo_ImpExp dialog;
    WhenModal([](QWidget* modal) {
      auto* list = modal->findChild<QListWidget*>();
      EXPECT_EQ(modal->windowTitle(), "Import from RS-232C");
      EXPECT_EQ(ButtonTexts(modal), QStringList({"&Import", "&Cancel"}));
      EXPECT_EQ(list->count(), 10);
      EXPECT_EQ(list->item(0)->text(), "TITLE 01");
      EXPECT_EQ(list->item(9)->text(), "TITLE 10");
      EXPECT_EQ(list->currentRow(), 0);
      list->setCurrentRow(6);
      PressEscape(modal);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.ChosenSlot(), 6);
  }
  TFo_ImpExp dialog;
  dialog.SetMode(TFo_ImpExp::kExport);
  WhenModal([](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), "Export");
    EXPECT_EQ(ButtonTexts(modal), QStringList({"&Export", "&Cancel"}));
    auto* list = modal->findChild<QListWidget*>();
    test::DoubleClick(list, 4);
  });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(dialog.ChosenSlot(), 4);
}

TEST(RenderingTest, DialogsAndSplash) {
  TFo_Import name;
  name.SetText("Concert 2024");
  TFo_232C port;
  port.SetIndex(2);
  TFo_Config config;
  TFo_ImpExp import_slot;
  TFo_ImpExp export_slot;
  export_slot.SetMode(TFo_ImpExp::kExport);
  auto* splash = new TFo_Splash;
  const std::pair<QWidget*, const char*> windows[] = {
      {&name, "title_name"},         {&port, "rs232c"},
      {&config, "config"},           {&import_slot, "slot_import"},
      {&export_slot, "slot_export"}, {splash, "splash"}};
  for (const auto& [window, file] : windows) {
    window->show();
    QApplication::processEvents();
    // Nothing is cut: every label and button gets at least the width its text needs.
    for (QPushButton* button : window->findChildren<QPushButton*>())
      EXPECT_GE(button->width(), button->sizeHint().width()) << file;
    for (QLabel* label : window->findChildren<QLabel*>())
      EXPECT_GE(label->width(), label->sizeHint().width()) << file;
    test::SaveRendering(window, file);
    window->close();
  }
}

}  // namespace
}  // namespace orb
