#include "gui/editor/Fohistory.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

#include "gui/common/Text.h"

namespace orb {

TFo_History::TFo_History(Steps steps, GoTo go_to, QWidget* parent)
    : QDialog(parent), steps_(std::move(steps)), go_to_(std::move(go_to)) {
  setObjectName("TFo_History");
  setWindowTitle("History");
  auto* layout = new QVBoxLayout(this);
  LB_Steps = new QListWidget(this);
  LB_Steps->setObjectName("LB_Steps");
  LB_Steps->setSelectionMode(QAbstractItemView::SingleSelection);
  LB_Steps->setMinimumSize(320, 360);
  layout->addWidget(LB_Steps);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(LB_Steps, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    go_to_(LB_Steps->row(item));
    Fill();
  });
  Fill();
}

void TFo_History::Fill() {
  const auto [names, done] = steps_();
  LB_Steps->clear();
  LB_Steps->addItem("(before the first step)");
  for (const std::string& name : names) LB_Steps->addItem(TextOf(name));
  // Steps that can only be redone are shown greyed, as in the menus.
  for (int row = done + 1; row < LB_Steps->count(); ++row)
    LB_Steps->item(row)->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
  LB_Steps->setCurrentRow(done);
}

}  // namespace orb
