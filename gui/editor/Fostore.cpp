#include "gui/editor/Fostore.h"

#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/DialogParts.h"
#include "gui/common/Text.h"

namespace orb {

TFo_Store::TFo_Store(const EntryList& entries, QWidget* parent) : QDialog(parent) {
  setObjectName("TFo_Store");
  setWindowTitle(TextOf(entries.caption));
  auto* layout = new QVBoxLayout(this);
  La_Label = new QLabel(TextOf(entries.label), this);
  La_Label->setObjectName("La_Label");
  QFont bold = La_Label->font();
  bold.setBold(true);
  La_Label->setFont(bold);
  layout->addWidget(La_Label);
  LB_List = new QListWidget(this);
  LB_List->setObjectName("LB_List");
  LB_List->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const std::string& line : entries.lines) LB_List->addItem(TextOf(line));
  LB_List->setFixedSize(240, 300);
  layout->addWidget(LB_List);
  const DialogButtons buttons = AddDialogButtons(this, layout, TextOf(entries.ok_text));
  Bu_OK = buttons.confirm;
  Bu_OK->setEnabled(false);
  connect(LB_List, &QListWidget::itemClicked, this, [this] { Bu_OK->setEnabled(true); });
  connect(LB_List, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
  SetFixedDialogBorder(this);
}

int TFo_Store::Index() const {
  return LB_List->currentItem() && Bu_OK->isEnabled() ? LB_List->currentRow() : -1;
}

}  // namespace orb
