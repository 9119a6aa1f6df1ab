#include "gui/shell/Foguide.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace orb {

TFo_Guide::TFo_Guide(const QString& file, QWidget* parent) : QDialog(parent) {
  setObjectName("TFo_Guide");
  setWindowTitle("orbedit user guide");
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Me_Guide = new QTextBrowser(this);
  Me_Guide->setObjectName("Me_Guide");
  Me_Guide->setOpenExternalLinks(true);
  Me_Guide->setSource(QUrl::fromLocalFile(file));
  layout->addWidget(Me_Guide);
  resize(900, 700);
}

}  // namespace orb
