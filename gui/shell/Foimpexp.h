// TFo_ImpExp: the dialog that chooses the console's title slot for an import or export.
#pragma once

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace orb {

// The console's title slot to import from or export to: "TITLE 01" to "TITLE 10".
class TFo_ImpExp : public QDialog {
  Q_OBJECT

 public:
  enum Mode { kImport = 0, kExport = 1 };

  explicit TFo_ImpExp(QWidget* parent = nullptr);

  // Set before showing.
  void SetMode(int mode) { mode_ = mode; }
  // The slot index 0 to 9 selected when the dialog closed, whatever the result.
  int ChosenSlot() const { return chosen_slot_; }

  void done(int result) override;

  QListWidget* LB_Title;
  QPushButton* Bu_OK;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void LB_TitleDblClick(QListWidgetItem* item);

  int mode_ = kImport;
  int chosen_slot_ = 0;
};

}  // namespace orb
