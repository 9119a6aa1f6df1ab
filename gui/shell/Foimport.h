// TFo_Import: the title-name dialog of renames and imports.
#pragma once

#include <QDialog>

class QLineEdit;

namespace orb {

// "Title Name": the name of a title being renamed or imported, at most 23
// characters.
class TFo_Import : public QDialog {
  Q_OBJECT

 public:
  explicit TFo_Import(QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString Text() const;

  QLineEdit* Ed_Name;
};

}  // namespace orb
