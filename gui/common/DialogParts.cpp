#include "gui/common/DialogParts.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>

#include "gui/common/Text.h"

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

QComboBox* ItemList(const char* name, const std::vector<std::string>& items, int index,
                    QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  for (const std::string& item : items) list->addItem(TextOf(item));
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0);
  list->setMinimumWidth(150);
  return list;
}

void ReportStatus(Prompter* prompter, Status status, const std::string& detail) {
  if (!prompter || !IsReportedStatus(status)) return;
  const char* message = StatusMessage(status);
  prompter->Message(
      std::string(*message ? message : "Failed.") + (detail.empty() ? "" : "\n") + detail, "Error",
      Buttons::kOk);
}

}  // namespace orb
