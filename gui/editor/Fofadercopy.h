// TFo_FaderCopy: the Fader Copy dialog, a source and a destination out of the same level
// items.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;

namespace orb {

class TFo_FaderCopy : public QDialog {
  Q_OBJECT

 public:
  TFo_FaderCopy(const std::vector<std::string>& items, int source, int dest,
                QWidget* parent = nullptr);

  QComboBox* Co_Source;
  QComboBox* Co_Dest;
};

}  // namespace orb
