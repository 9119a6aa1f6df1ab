// TFo_Config: the settings dialog (bold lists and parameter texts).
#pragma once

#include <QDialog>

class QCheckBox;

namespace orb {

// "Config": whether lists and parameter texts are drawn in bold.
class TFo_Config : public QDialog {
  Q_OBJECT

 public:
  explicit TFo_Config(QWidget* parent = nullptr);

  QCheckBox* CB_Bold;
};

}  // namespace orb
