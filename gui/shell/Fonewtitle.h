// TFo_NewTitle: File → New title, the name, sample rate and timecode mode of a new title.
#pragma once

#include <QDialog>

#include "core/storage/NewTitle.h"

class QComboBox;
class QLineEdit;

namespace orb {

class TFo_NewTitle : public QDialog {
  Q_OBJECT

 public:
  explicit TFo_NewTitle(QWidget* parent = nullptr);

  QString Name() const;
  NewTitleSettings Settings() const;

  QLineEdit* Ed_Name;
  QComboBox* Co_Rate;
  QComboBox* Co_TcMode;
};

}  // namespace orb
