#include "gui/editor/Fofadercopy.h"

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "gui/common/DialogParts.h"

namespace orb {

TFo_FaderCopy::TFo_FaderCopy(const std::vector<std::string>& items, int source, int dest,
                             QWidget* parent)
    : QDialog(parent) {
  setObjectName("TFo_FaderCopy");
  setWindowTitle("Fader Copy");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  Co_Source = ItemList("Co_Source", items, source, this);
  Co_Dest = ItemList("Co_Dest", items, dest, this);
  form->addRow("Source:", Co_Source);
  form->addRow("Dest:", Co_Dest);
  layout->addLayout(form);
  AddDialogButtons(this, layout);
  SetFixedDialogBorder(this);
}

}  // namespace orb
