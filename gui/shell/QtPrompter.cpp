#include "gui/shell/QtPrompter.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

#include "gui/common/Text.h"
#include "gui/editor/Focopy.h"
#include "gui/editor/Fofadercopy.h"
#include "gui/editor/Fostore.h"
#include "gui/editor/Fotrim.h"
#include "gui/shell/Foimport.h"

namespace orb {

namespace {

// "description|mask|description|mask" as Qt writes it; "*.*" means any file.
QString QtFilter(const char* filter) {
  const QStringList parts = QString::fromLatin1(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString mask = parts[i + 1];
    mask.replace(";", " ");
    if (mask == "*.*") mask = "*";
    filters << parts[i] + " (" + mask + ")";
  }
  return filters.join(";;");
}

// The proposed file as the folder spells it: a set written here has lower-case names, one from
// elsewhere may have upper-case ones.
QString ProposedName(const QString& folder, const QString& name) {
  const QStringList found = QDir(folder).entryList({name}, QDir::Files | QDir::CaseSensitive);
  if (!found.isEmpty()) return name;
  const QStringList alike = QDir(folder).entryList({name}, QDir::Files);
  return alike.isEmpty() ? name : alike.first();
}

}  // namespace

Answer QtPrompter::Message(const std::string& text, const std::string& caption, Buttons buttons) {
  return ShowBox(text, caption, buttons, Answer::kYes);
}

Answer QtPrompter::AskDefaultNo(const std::string& text, const std::string& caption,
                                Buttons buttons) {
  return ShowBox(text, caption, buttons, Answer::kNo);
}

Answer QtPrompter::AskDefaultCancel(const std::string& text, const std::string& caption) {
  return ShowBox(text, caption, Buttons::kYesNoCancel, Answer::kCancel);
}

Answer QtPrompter::ShowBox(const std::string& text, const std::string& caption, Buttons buttons,
                           Answer default_answer) {
  const bool default_no = default_answer == Answer::kNo;
  QMessageBox box(parent_);
  box.setWindowTitle(TextOf(caption));
  box.setTextFormat(Qt::PlainText);
  box.setText(TextOf(text));
  switch (buttons) {
    case Buttons::kOk:
      box.setStandardButtons(QMessageBox::Ok);
      box.setIcon(caption == "Error" ? QMessageBox::Critical : QMessageBox::Information);
      break;
    case Buttons::kOkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      box.setIcon(QMessageBox::Information);
      break;
    case Buttons::kYesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(default_no ? QMessageBox::No : QMessageBox::Yes);
      box.setIcon(QMessageBox::Question);
      break;
    case Buttons::kYesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(default_answer == Answer::kCancel ? QMessageBox::Cancel
                           : default_no                      ? QMessageBox::No
                                                             : QMessageBox::Yes);
      box.setIcon(QMessageBox::Question);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok:
      return Answer::kOk;
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    default:
      return buttons == Buttons::kYesNo ? Answer::kNo : Answer::kCancel;
  }
}

void QtPrompter::SetBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

bool QtPrompter::TitleNameDialog(std::string& text) {
  TFo_Import dialog(parent_);
  dialog.SetText(TextOf(text));
  if (dialog.exec() != QDialog::Accepted) return false;
  text = StdText(dialog.Text());
  return true;
}

bool QtPrompter::ChooseFile(const FileDialog& dialog, std::string& path) {
  const QString start = last_folder_.isEmpty() ? FloppyFolder() : last_folder_;
  QFileDialog box(parent_, TextOf(dialog.caption), start, QtFilter(dialog.filter));
  box.setOption(QFileDialog::DontUseNativeDialog);
  box.setDefaultSuffix(QString::fromLatin1(dialog.default_extension));
  if (dialog.save) {
    box.setAcceptMode(QFileDialog::AcceptSave);
    box.setFileMode(QFileDialog::AnyFile);
  } else {
    box.setAcceptMode(QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::ExistingFile);
  }
  const QString proposed = QString::fromLatin1(dialog.file_name);
  box.selectFile(ProposedName(start, proposed));
  if (!dialog.save) {
    QObject::connect(&box, &QFileDialog::directoryEntered, &box,
                     [&box, proposed](const QString& folder) {
                       box.selectFile(ProposedName(folder, proposed));
                     });
  }
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
  path = StdText(box.selectedFiles().first());
  last_folder_ = QFileInfo(box.selectedFiles().first()).absolutePath();
  return true;
}

bool QtPrompter::ChooseParamGroups(const std::string& caption, ParamGroupList& groups) {
  TFo_Copy dialog(TextOf(caption), groups, parent_);
  if (dialog.exec() != QDialog::Accepted) return false;
  groups = dialog.Chosen();
  return true;
}

bool QtPrompter::FaderCopyDialog(const std::vector<std::string>& items, int& source, int& dest) {
  TFo_FaderCopy dialog(items, source, dest, parent_);
  if (dialog.exec() != QDialog::Accepted) return false;
  source = dialog.Co_Source->currentIndex();
  dest = dialog.Co_Dest->currentIndex();
  return true;
}

bool QtPrompter::TrimDialog(const std::vector<std::string>& items, int& source, std::string& text,
                            const std::function<bool(const std::string&)>& accept) {
  TFo_Trim dialog(items, source, text, accept, parent_);
  if (dialog.exec() != QDialog::Accepted) return false;
  source = dialog.Co_Source->currentIndex();
  text = StdText(dialog.Ed_Trim->text());
  return true;
}

bool QtPrompter::ChooseEntry(const EntryList& entries, int& index) {
  TFo_Store dialog(entries, parent_);
  if (dialog.exec() != QDialog::Accepted || dialog.Index() < 0) return false;
  index = dialog.Index();
  return true;
}

QString QtPrompter::FloppyFolder() {
  const QFileInfo floppy("/media/floppy");
  return floppy.isDir() ? floppy.absoluteFilePath() : QDir::homePath();
}

}  // namespace orb
