#include "gui/shell/Foimpexp.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/DialogParts.h"

namespace orb {

TFo_ImpExp::TFo_ImpExp(QWidget* parent) : QDialog(parent) {
  setObjectName("TFo_ImpExp");
  setWindowTitle("Import from RS-232C");
  auto* layout = new QVBoxLayout(this);
  LB_Title = new QListWidget(this);
  LB_Title->setObjectName("LB_Title");
  for (int slot = 1; slot <= 10; ++slot)
    LB_Title->addItem(QString("TITLE %1").arg(slot, 2, 10, QChar('0')));
  const int row = LB_Title->sizeHintForRow(0);
  LB_Title->setFixedHeight(row * LB_Title->count() + 2 * LB_Title->frameWidth());
  layout->addWidget(LB_Title);
  Bu_OK = AddDialogButtons(this, layout, "&Import").confirm;
  SetFixedDialogBorder(this);
  connect(LB_Title, &QListWidget::itemDoubleClicked, this, &TFo_ImpExp::LB_TitleDblClick);
}

void TFo_ImpExp::showEvent(QShowEvent* event) {
  LB_Title->setCurrentRow(0);
  if (mode_ == kExport) {
    setWindowTitle("Export");
    Bu_OK->setText("&Export");
  }
  QDialog::showEvent(event);
}

void TFo_ImpExp::LB_TitleDblClick(QListWidgetItem* item) {
  LB_Title->setCurrentItem(item);
  accept();
}

void TFo_ImpExp::done(int result) {
  chosen_slot_ = LB_Title->currentRow();
  QDialog::done(result);
}

}  // namespace orb
