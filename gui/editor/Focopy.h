// TFo_Copy: the check list of parameter groups that Optional Copy and Zero act on.
#pragma once

#include <QDialog>

#include "core/model/Q730classes.h"

class QListWidget;
class QPushButton;

namespace orb {

// The check list of parameter groups of Optional Copy (and of Zero, under its own caption):
// one unticked line per group with a display name.
class TFo_Copy : public QDialog {
  Q_OBJECT

 public:
  TFo_Copy(const QString& caption, const ParamGroupList& groups, QWidget* parent = nullptr);
  // The given groups reduced to the ticked lines.
  ParamGroupList Chosen() const;

  QListWidget* CLB_List;
  QPushButton* Bu_AllOn;
  QPushButton* Bu_AllOff;

 private:
  void TickAll(bool on);
  ParamGroupList shown_;
};

}  // namespace orb
