#include "gui/common/DialogParts.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

namespace orb {

DialogButtons AddDialogButtons(QDialog* dialog, QBoxLayout* layout, const QString& confirm_text) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  DialogButtons buttons{new QPushButton(confirm_text, dialog),
                        new QPushButton(QStringLiteral("&Cancel"), dialog)};
  buttons.confirm->setObjectName("Bu_OK");
  buttons.cancel->setObjectName("Bu_Cancel");
  for (QPushButton* button : {buttons.confirm, buttons.cancel}) {
    button->setMinimumWidth(80);
    row->addWidget(button);
  }
  buttons.confirm->setDefault(true);
  QObject::connect(buttons.confirm, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(buttons.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  layout->addSpacing(6);
  layout->addLayout(row);
  return buttons;
}

void SetFixedDialogBorder(QDialog* dialog) {
  dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
  dialog->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace orb
