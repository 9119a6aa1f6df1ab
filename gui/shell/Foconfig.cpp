#include "gui/shell/Foconfig.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "gui/common/DialogParts.h"

namespace orb {

TFo_Config::TFo_Config(QWidget* parent) : QDialog(parent) {
  setObjectName("TFo_Config");
  setWindowTitle("Config");
  auto* layout = new QVBoxLayout(this);
  CB_Bold = new QCheckBox("Use bold fonts", this);
  CB_Bold->setObjectName("CB_Bold");
  layout->addWidget(CB_Bold);
  layout->addSpacing(8);
  AddDialogButtons(this, layout);
  SetFixedDialogBorder(this);
}

}  // namespace orb
