#include "gui/shell/Foimport.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QValidator>

#include "core/model/Prompter.h"
#include "gui/common/DialogParts.h"

namespace orb {

namespace {

// The name becomes a file name and is stored in a 24-byte slot: 23 bytes at
// most, so a character beyond ASCII counts with its UTF-8 length.
class NameLengthValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    return input.toUtf8().size() <= static_cast<qsizetype>(kTitleNameMaxLength) ? Acceptable
                                                                                : Invalid;
  }
};

}  // namespace

TFo_Import::TFo_Import(QWidget* parent) : QDialog(parent) {
  setObjectName("TFo_Import");
  setWindowTitle(kTitleNameCaption);
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(kTitleNameLabel, this);
  Ed_Name = new QLineEdit(this);
  Ed_Name->setObjectName("Ed_Name");
  Ed_Name->setMaxLength(static_cast<int>(kTitleNameMaxLength));
  Ed_Name->setValidator(new NameLengthValidator(Ed_Name));
  Ed_Name->setMinimumWidth(Ed_Name->fontMetrics().averageCharWidth() * 32);
  label->setBuddy(Ed_Name);
  layout->addWidget(label);
  layout->addWidget(Ed_Name);
  AddDialogButtons(this, layout);
  SetFixedDialogBorder(this);
}

void TFo_Import::SetText(const QString& text) {
  Ed_Name->setText(text);
  Ed_Name->selectAll();
}

QString TFo_Import::Text() const {
  return Ed_Name->text();
}

}  // namespace orb
