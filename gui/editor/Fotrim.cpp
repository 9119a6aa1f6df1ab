#include "gui/editor/Fotrim.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/common/DialogParts.h"
#include "gui/common/Text.h"

namespace orb {

TFo_Trim::TFo_Trim(const std::vector<std::string>& items, int source, const std::string& text,
                   std::function<bool(const std::string&)> accept, QWidget* parent)
    : QDialog(parent), accept_text_(std::move(accept)) {
  setObjectName("TFo_Trim");
  setWindowTitle("Trim Fader");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  Co_Source = ItemList("Co_Source", items, source, this);
  form->addRow("Source:", Co_Source);
  auto* trim = new QHBoxLayout;
  Ed_Trim = new QLineEdit(TextOf(text), this);
  Ed_Trim->setObjectName("Ed_Trim");
  Ed_Trim->setAlignment(Qt::AlignRight);
  Ed_Trim->setMaximumWidth(90);
  trim->addWidget(Ed_Trim);
  trim->addWidget(new QLabel("dB", this));
  trim->addStretch();
  form->addRow("Trim:", trim);
  layout->addLayout(form);
  AddDialogButtons(this, layout);
  SetFixedDialogBorder(this);
  Ed_Trim->setFocus();
  Ed_Trim->selectAll();
}

void TFo_Trim::accept() {
  if (accept_text_ && !accept_text_(StdText(Ed_Trim->text()))) {
    Ed_Trim->setFocus();
    Ed_Trim->selectAll();
    return;
  }
  QDialog::accept();
}

}  // namespace orb
