#include "gui/editor/Fonames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/DialogParts.h"
#include "gui/common/Text.h"

namespace orb {

TFo_Names::TFo_Names(const TQ730SYSF& system, std::string_view bytes, const QString& file_name,
                     bool locked, QWidget* parent)
    : QDialog(parent), import_(system, bytes), locked_(locked) {
  setObjectName("TFo_Names");
  setWindowTitle("Import channel names");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(file_name, this));
  auto* form = new QFormLayout;
  CB_Header = new QCheckBox("The first row names the columns", this);
  CB_Header->setObjectName("CB_Header");
  Co_Channel = ItemList("Co_Channel", {}, 0, this);
  Co_Name = ItemList("Co_Name", {}, 0, this);
  form->addRow(CB_Header);
  form->addRow("&Channel:", Co_Channel);
  form->addRow("&Name:", Co_Name);
  layout->addLayout(form);
  LB_Preview = new QListWidget(this);
  LB_Preview->setObjectName("LB_Preview");
  LB_Preview->setMinimumSize(560, 300);
  layout->addWidget(LB_Preview, 1);
  La_Summary = new QLabel(this);
  La_Summary->setObjectName("La_Summary");
  layout->addWidget(La_Summary);
  Bu_OK = AddDialogButtons(this, layout, "&Import").confirm;
  Bu_OK->setObjectName("Bu_OK");

  ShowColumns();
  ShowPreview();
  connect(CB_Header, &QCheckBox::toggled, this, &TFo_Names::ColumnsChosen);
  connect(Co_Channel, &QComboBox::currentIndexChanged, this, &TFo_Names::ColumnsChosen);
  connect(Co_Name, &QComboBox::currentIndexChanged, this, &TFo_Names::ColumnsChosen);
}

// The column lists name the columns by the header row when there is one.
void TFo_Names::ShowColumns() {
  showing_ = true;
  const NameColumns& columns = import_.Columns();
  CB_Header->setChecked(columns.header);
  Co_Channel->clear();
  Co_Name->clear();
  Co_Channel->addItem("Row order");
  for (int c = 0; c < import_.ColumnCount(); ++c) {
    Co_Channel->addItem(TextOf(import_.ColumnLabel(c)));
    Co_Name->addItem(TextOf(import_.ColumnLabel(c)));
  }
  Co_Channel->setCurrentIndex(columns.channel_column + 1);
  Co_Name->setCurrentIndex(columns.name_column);
  showing_ = false;
}

void TFo_Names::ColumnsChosen() {
  if (showing_) return;
  import_.SetColumns(
      {CB_Header->isChecked(), Co_Channel->currentIndex() - 1, Co_Name->currentIndex()});
  ShowColumns();
  ShowPreview();
}

void TFo_Names::ShowPreview() {
  LB_Preview->clear();
  const std::vector<std::string> lines = import_.PreviewLines();
  // The last line is the count; an error is a line of its own.
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) LB_Preview->addItem(TextOf(lines[i]));
  QString summary = lines.empty() ? QString() : TextOf(lines.back());
  if (locked_) summary = "The title is locked: it takes no names.";
  La_Summary->setText(summary);
  Bu_OK->setEnabled(!locked_ && import_.Error().empty() && !import_.Changes().empty());
}

}  // namespace orb
