// The File menu's show paperwork in the real main frame: names imported through the preview
// (one undo step), the channel list exported, the show sheet printed to PDF.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPushButton>
#include <fstream>

#include "core/editor/ChannelList.h"
#include "core/editor/ShowSheet.h"
#include "core/model/Title.h"
#include "gui/editor/Foedit.h"
#include "gui/editor/Fonames.h"
#include "gui/pages/SheetPainter.h"
#include "gui/shell/Fotitle.h"
#include "gui/shell/Q730edit.h"
#include "tests/PdfText.h"
#include "tests/gui/shell/GuiTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

namespace orb {
namespace {

class ShowPaperworkTest : public ::testing::Test {
 protected:
  TFo_Edit& Open(bool locked = false) {
    const std::string path = folder.AddTitle("Show", 1, locked);
    frame = std::make_unique<TFo_Main>(folder.str(), TFo_Main::Options{&prompter, false});
    frame->resize(1280, 800);
    frame->show();
    TFo_Title& title = *frame->TitleManager();
    title.ReloadList();
    title.SelectByPath(path);
    title.OpenTitleWindow();
    QApplication::processEvents();
    auto* editor = qobject_cast<TFo_Edit*>(frame->MdiArea()->currentSubWindow()->widget());
    EXPECT_NE(editor, nullptr);
    return *editor;
  }
  // Picks the file in the file dialog, then hands the next dialog to then.
  static void PickFile(const std::string& path, std::function<void(QWidget*)> then = {}) {
    test::WhenModal([path, then](QWidget* modal) {
      auto* files = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(files, nullptr);
      if (then) test::WhenModal(then, modal);
      files->selectFile(QString::fromStdString(path));
      static_cast<QDialog*>(files)->accept();  // QFileDialog's own accept() takes the name
    });
  }
  void Trigger(const char* entry) {
    QAction* action = frame->findChild<QAction*>(entry);
    ASSERT_NE(action, nullptr);
    action->trigger();
  }

  test::TempFolder folder;
  ScriptedPrompter prompter;
  std::unique_ptr<TFo_Main> frame;
};

TEST_F(ShowPaperworkTest, NamesComeInThroughThePreviewAsOneUndoStep) {
  TFo_Edit& editor = Open();
  EditSession& session = editor.Session();
  const std::string names = folder.File("names.csv");
  std::ofstream(names) << "Cajon\nBongo\xE2\x98\x85\nLead Vocal\n";
  PickFile(names, [](QWidget* modal) {
    auto* preview = qobject_cast<TFo_Names*>(modal);
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->CB_Header->isChecked());
    EXPECT_EQ(preview->Co_Channel->currentText(), "Row order");
    EXPECT_EQ(preview->Co_Name->currentText(), "Column A");
    EXPECT_EQ(preview->LB_Preview->count(), 5);
    if (preview->LB_Preview->count() < 2) return preview->reject();  // no hang on a failure
    EXPECT_TRUE(preview->LB_Preview->item(1)->text().startsWith("CH 2: "));
    EXPECT_TRUE(preview->LB_Preview->item(1)->text().endsWith(" -> \"Bongo?\""));
    EXPECT_EQ(preview->La_Summary->text(), "3 names change, 0 stay, 2 problems.");
    // With the first row as a header, "Cajon" names the column and the rest move up.
    preview->CB_Header->setChecked(true);
    EXPECT_EQ(preview->Co_Name->currentText(), "A: Cajon");
    EXPECT_TRUE(preview->LB_Preview->item(0)->text().startsWith("CH 1: "));
    EXPECT_TRUE(preview->LB_Preview->item(0)->text().endsWith(" -> \"Bongo?\""));
    test::SaveRendering(preview, "dialog_import_names");
    QTest::mouseClick(preview->Bu_OK, Qt::LeftButton);
  });
  Trigger("MF_ImportNames");
  EXPECT_EQ(session.GetTitle().System().NameText(0), "Bongo?");
  EXPECT_EQ(session.GetTitle().System().NameText(1), "Lead Vo");
  EXPECT_TRUE(session.Modified());
  session.UndoCommand();
  EXPECT_EQ(session.GetTitle().System().NameText(0), "Kick");
}

TEST_F(ShowPaperworkTest, ALockedTitleTakesNoNames) {
  Open(true);
  const std::string names = folder.File("names.csv");
  std::ofstream(names) << "CH 1,Cajon\n";
  PickFile(names, [](QWidget* modal) {
    auto* preview = qobject_cast<TFo_Names*>(modal);
    ASSERT_NE(preview, nullptr);
    EXPECT_FALSE(preview->Bu_OK->isEnabled());
    EXPECT_EQ(preview->La_Summary->text(), "The title is locked: it takes no names.");
    test::PressEscape(preview);
  });
  Trigger("MF_ImportNames");
}

TEST_F(ShowPaperworkTest, ChannelListGoesOutAsTheCoreWritesIt) {
  TFo_Edit& editor = Open();
  const std::string csv = folder.File("list.csv");
  PickFile(csv);
  Trigger("MF_ExportChannels");
  std::ifstream in(csv, std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(written, ChannelCsv(editor.Session().GetTitle().System()));
}

TEST_F(ShowPaperworkTest, SheetPrintsToPdfWithPicturesOfTheSelectedChannels) {
  TFo_Edit& editor = Open();
  Title& title = editor.Session().GetTitle();
  title.System().SetName(0, "Cajon");
  title.System().SetName(1, "Bongo");
  title.System().SetSelected(1, true);
  test::WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<QPrintDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Print show sheet");
    dialog->accept();
  });
  Trigger("MF_PrintSheet");
  const std::string pdf = folder.File("Show.pdf");
  const std::string text = test::PdfText(pdf);
  const ShowSheet sheet = BuildShowSheet(title);
  for (const std::string& expected :
       {std::string("Cajon"), std::string("Bongo"), sheet.tables[3].rows.at(0).at(1),
        std::string("Channels"), std::string("Cues"), std::string("page 1 of ")})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  // The last page is the selected channel's CHANNEL page: its texts are text, not a bitmap.
  const std::string last = text.substr(text.rfind('\f', text.size() - 2) + 1);
  for (const char* expected : {"CH 2", "Bongo", "EQUALIZER", "page 3 of 3"})
    EXPECT_NE(last.find(expected), std::string::npos) << expected << "\n" << last;
  EXPECT_EQ(test::CommandOutput("pdfimages -list '" + pdf + "' | tail -n +3 | wc -l"), "0\n");

  // The same sheet on Letter: the page size follows, the text stays.
  QString error;
  const std::string letter = folder.File("letter.pdf");
  ASSERT_TRUE(WriteSheetPdf(sheet, title, QString::fromStdString(letter), QPageSize::Letter, error))
      << error.toStdString();
  EXPECT_NE(test::PdfInfo(letter).find("612 x 792 pts (letter)"), std::string::npos)
      << test::PdfInfo(letter);
  EXPECT_NE(test::PdfText(letter).find("Cajon"), std::string::npos);
  EXPECT_FALSE(WriteSheetPdf(sheet, title, QString::fromStdString(folder.File("no/such/x.pdf")),
                             QPageSize::A4, error));
}

}  // namespace
}  // namespace orb
