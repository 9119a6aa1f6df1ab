#include "gui/editor/Focopy.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/DialogParts.h"
#include "gui/common/Text.h"

namespace orb {

TFo_Copy::TFo_Copy(const QString& caption, const ParamGroupList& groups, QWidget* parent)
    : QDialog(parent) {
  setObjectName("TFo_Copy");
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  CLB_List = new QListWidget(this);
  CLB_List->setObjectName("CLB_List");
  CLB_List->setSelectionMode(QAbstractItemView::SingleSelection);
  for (const ParamGroup& group : groups) {
    if (group.name.empty()) continue;
    shown_.push_back(group);
    auto* line = new QListWidgetItem(TextOf(group.name), CLB_List);
    line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    line->setCheckState(Qt::Unchecked);
  }
  const int rows = std::clamp(static_cast<int>(shown_.size()), 6, 16);
  CLB_List->setFixedSize(220, rows * CLB_List->fontMetrics().height() * 5 / 4 + 8);
  layout->addWidget(CLB_List);

  auto* all = new QHBoxLayout;
  Bu_AllOn = new QPushButton("&ALL ON", this);
  Bu_AllOn->setObjectName("Bu_AllOn");
  Bu_AllOff = new QPushButton("ALL O&FF", this);
  Bu_AllOff->setObjectName("Bu_AllOff");
  for (QPushButton* button : {Bu_AllOn, Bu_AllOff}) {
    button->setAutoDefault(false);
    all->addWidget(button);
  }
  layout->addLayout(all);
  connect(Bu_AllOn, &QPushButton::clicked, this, [this] { TickAll(true); });
  connect(Bu_AllOff, &QPushButton::clicked, this, [this] { TickAll(false); });
  AddDialogButtons(this, layout);
  SetFixedDialogBorder(this);
}

void TFo_Copy::TickAll(bool on) {
  for (int i = 0; i < CLB_List->count(); ++i)
    CLB_List->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

ParamGroupList TFo_Copy::Chosen() const {
  ParamGroupList chosen;
  for (int i = 0; i < CLB_List->count(); ++i) {
    if (CLB_List->item(i)->checkState() == Qt::Checked)
      chosen.push_back(shown_[static_cast<std::size_t>(i)]);
  }
  return chosen;
}

}  // namespace orb
