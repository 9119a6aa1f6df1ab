#include "gui/editor/Foentry.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/common/DialogParts.h"
#include "gui/common/Text.h"

namespace orb {

TFo_Entry::TFo_Entry(const QString& caption,
                     const std::vector<std::pair<QString, std::string>>& fields, Accept accept,
                     QWidget* parent)
    : QDialog(parent), accept_texts_(std::move(accept)) {
  setObjectName("TFo_Entry");
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  for (const auto& [label, text] : fields) {
    auto* field = new QLineEdit(TextOf(text), this);
    field->setObjectName("Ed_Field" + QString::number(Ed_Fields.size()));
    field->setMinimumWidth(140);
    form->addRow(label, field);
    Ed_Fields.push_back(field);
  }
  layout->addLayout(form);
  La_Error = new QLabel(this);
  La_Error->setObjectName("La_Error");
  La_Error->setStyleSheet("color: #b00000;");
  La_Error->hide();
  layout->addWidget(La_Error);
  AddDialogButtons(this, layout);
  SetFixedDialogBorder(this);
  if (!Ed_Fields.empty()) {
    Ed_Fields.front()->setFocus();
    Ed_Fields.front()->selectAll();
  }
}

void TFo_Entry::accept() {
  std::vector<std::string> texts;
  for (QLineEdit* field : Ed_Fields) texts.push_back(StdText(field->text()));
  const std::string error = accept_texts_ ? accept_texts_(texts) : std::string();
  if (!error.empty()) {
    La_Error->setText(TextOf(error));
    La_Error->show();
    adjustSize();
    return;
  }
  QDialog::accept();
}

}  // namespace orb
