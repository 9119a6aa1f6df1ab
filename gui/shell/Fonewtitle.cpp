#include "gui/shell/Fonewtitle.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/model/Prompter.h"
#include "core/model/Q730.h"
#include "gui/common/DialogParts.h"
#include "gui/common/Text.h"

namespace orb {

TFo_NewTitle::TFo_NewTitle(QWidget* parent) : QDialog(parent) {
  setObjectName("TFo_NewTitle");
  setWindowTitle("New Title");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  Ed_Name = new QLineEdit(this);
  Ed_Name->setObjectName("Ed_Name");
  Ed_Name->setMaxLength(static_cast<int>(kTitleNameMaxLength));
  Ed_Name->setMinimumWidth(Ed_Name->fontMetrics().averageCharWidth() * 32);
  Co_Rate = new QComboBox(this);
  Co_Rate->setObjectName("Co_Rate");
  for (int mode = 0; mode < 4; ++mode) Co_Rate->addItem(TextOf(SampleRateName(mode)));
  Co_TcMode = new QComboBox(this);
  Co_TcMode->setObjectName("Co_TcMode");
  for (int mode = 0; mode < 5; ++mode) Co_TcMode->addItem(TextOf(TCModeName(mode)));
  form->addRow("Title &name:", Ed_Name);
  form->addRow("&Sample rate:", Co_Rate);
  form->addRow("&Timecode:", Co_TcMode);
  layout->addLayout(form);
  const DialogButtons buttons = AddDialogButtons(this, layout);
  buttons.confirm->setEnabled(false);
  connect(Ed_Name, &QLineEdit::textChanged, this, [confirm = buttons.confirm](const QString& text) {
    confirm->setEnabled(!text.trimmed().isEmpty());
  });
  SetFixedDialogBorder(this);
}

QString TFo_NewTitle::Name() const {
  return Ed_Name->text().trimmed();
}

NewTitleSettings TFo_NewTitle::Settings() const {
  return {Co_Rate->currentIndex(), Co_TcMode->currentIndex()};
}

}  // namespace orb
