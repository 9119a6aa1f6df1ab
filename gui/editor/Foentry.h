// TFo_Entry: a small dialog of typed fields (an event's time and value, a timecode to go to, an
// amount for the selected values); OK hands the texts to the core, which says why it refuses.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;

namespace orb {

class TFo_Entry : public QDialog {
  Q_OBJECT

 public:
  // fields: label and first text of each field; accept: empty when the texts are taken, else
  // the reason, shown under the fields while the dialog stays open.
  using Accept = std::function<std::string(const std::vector<std::string>&)>;
  TFo_Entry(const QString& caption, const std::vector<std::pair<QString, std::string>>& fields,
            Accept accept, QWidget* parent = nullptr);
  void accept() override;

  std::vector<QLineEdit*> Ed_Fields;
  QLabel* La_Error;

 private:
  Accept accept_texts_;
};

}  // namespace orb
