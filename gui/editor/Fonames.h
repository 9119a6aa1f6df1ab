// The preview of a channel names import: the columns of the file as guessed (or chosen), every
// change and every problem, before anything is written.
#pragma once

#include <QDialog>
#include <string_view>

#include "core/editor/NameImport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace orb {

class TFo_Names : public QDialog {
  Q_OBJECT

 public:
  // The import is planned against system; locked says the title takes no names.
  TFo_Names(const TQ730SYSF& system, std::string_view bytes, const QString& file_name, bool locked,
            QWidget* parent = nullptr);

  // The plan as the choices now stand; what OK imports.
  const NameImport& Import() const { return import_; }

  QCheckBox* CB_Header;
  QComboBox* Co_Channel;  // "Row order", then every column
  QComboBox* Co_Name;
  QListWidget* LB_Preview;
  QLabel* La_Summary;
  QPushButton* Bu_OK;

 private:
  void ShowColumns();
  void ColumnsChosen();
  void ShowPreview();

  NameImport import_;
  bool locked_;
  bool showing_ = false;
};

}  // namespace orb
