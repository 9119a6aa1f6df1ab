#include "gui/editor/ShowPaperwork.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

#include "core/editor/ChannelList.h"
#include "core/editor/EditSession.h"
#include "core/editor/ShowSheet.h"
#include "core/model/Csv.h"
#include "gui/common/Text.h"
#include "gui/editor/Fonames.h"
#include "gui/pages/SheetPainter.h"

namespace orb {
namespace {

// Beside the title file, named after it.
QString Beside(const EditSession& session, const char* extension) {
  const QFileInfo title(TextOf(session.GetTitle().Path()));
  return title.dir().filePath(title.completeBaseName() + extension);
}

}  // namespace

void ExportChannelList(QWidget* parent, EditSession& session) {
  const QString path = QFileDialog::getSaveFileName(parent, "Export channel list",
                                                    Beside(session, ".csv"), "CSV files (*.csv)");
  if (path.isEmpty()) return;
  const std::string csv = ChannelCsv(session.GetTitle().System());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) ||
      !file.commit())
    QMessageBox::warning(parent, "Export channel list", path + ": " + file.errorString());
}

bool ImportChannelNames(QWidget* parent, EditSession& session) {
  const QString path =
      QFileDialog::getOpenFileName(parent, "Import channel names", Beside(session, ".csv"),
                                   "Channel lists (*.csv *.tsv *.txt);;All files (*)");
  if (path.isEmpty()) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    QMessageBox::warning(parent, "Import channel names", path + ": " + file.errorString());
    return false;
  }
  // One byte past the limit is enough to say the file is too large.
  const QByteArray bytes = file.read(static_cast<qint64>(kCsvMaxBytes) + 1);
  TFo_Names preview(session.GetTitle().System(),
                    std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                    QFileInfo(path).fileName(), session.Locked(), parent);
  if (preview.exec() != QDialog::Accepted) return false;
  return session.ImportNames(preview.Import());
}

void PrintShowSheet(QWidget* parent, EditSession& session) {
  const Title& title = session.GetTitle();
  std::vector<int> pictures;
  for (int c = 0; c < title.System().Count(); ++c)
    if (title.System().IsSelected(c)) pictures.push_back(c);
  const ShowSheet sheet = BuildShowSheet(title, pictures);
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(TextOf(sheet.title_name));
  // The dialog starts at its PDF printer with a file beside the title; any printer can be chosen.
  printer.setOutputFileName(Beside(session, ".pdf"));
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle("Print show sheet");
  if (dialog.exec() != QDialog::Accepted) return;
  if (!PaintShowSheet(printer, sheet, title))
    QMessageBox::warning(parent, "Print show sheet", "The show sheet could not be printed.");
}

}  // namespace orb
