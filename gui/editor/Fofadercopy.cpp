#include "gui/editor/Fofadercopy.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/common/DialogParts.h"
#include "gui/shell/QtPrompter.h"

namespace orb {

namespace {

QComboBox* LevelList(const char* name, const std::vector<std::string>& items, int index,
                     QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  for (const std::string& item : items) list->addItem(TextOf(item));
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0);
  list->setMinimumWidth(150);
  return list;
}

}  // namespace

TFo_FaderCopy::TFo_FaderCopy(const std::vector<std::string>& items, int source, int dest,
                             QWidget* parent)
    : QDialog(parent) {
  setObjectName("TFo_FaderCopy");
  setWindowTitle("Fader Copy");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  Co_Source = LevelList("Co_Source", items, source, this);
  Co_Dest = LevelList("Co_Dest", items, dest, this);
  form->addRow("Source:", Co_Source);
  form->addRow("Dest:", Co_Dest);
  layout->addLayout(form);
  AddDialogButtons(this, layout);
  SetFixedDialogBorder(this);
}

TFo_Trim::TFo_Trim(const std::vector<std::string>& items, int source, const std::string& text,
                   std::function<bool(const std::string&)> accept, QWidget* parent)
    : QDialog(parent), accept_text_(std::move(accept)) {
  setObjectName("TFo_Trim");
  setWindowTitle("Trim Fader");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  Co_Source = LevelList("Co_Source", items, source, this);
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
