// TFo_Trim: the Trim Fader dialog, a level item and a trim in decibels.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;

namespace orb {

// OK hands the text to accept; a text it refuses keeps the dialog open with the text selected,
// without a message.
class TFo_Trim : public QDialog {
  Q_OBJECT

 public:
  TFo_Trim(const std::vector<std::string>& items, int source, const std::string& text,
           std::function<bool(const std::string&)> accept, QWidget* parent = nullptr);
  void accept() override;

  QComboBox* Co_Source;
  QLineEdit* Ed_Trim;

 private:
  std::function<bool(const std::string&)> accept_text_;
};

}  // namespace orb
