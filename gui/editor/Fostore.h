// TFo_Store: the entry list of Store and Recall on the snapshot and library targets.
#pragma once

#include <QDialog>

#include "core/model/Prompter.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace orb {

// Store and Recall: the target's entries; the button waits for a click on one, and a double
// click chooses at once.
class TFo_Store : public QDialog {
  Q_OBJECT

 public:
  explicit TFo_Store(const EntryList& entries, QWidget* parent = nullptr);
  // The clicked line; -1 when none.
  int Index() const;

  QLabel* La_Label;
  QListWidget* LB_List;
  QPushButton* Bu_OK;
};

}  // namespace orb
