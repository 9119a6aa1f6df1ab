// TFo_Guide: the user guide in a window of the program's own, where no browser takes it.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace orb {

class TFo_Guide : public QDialog {
  Q_OBJECT

 public:
  explicit TFo_Guide(const QString& file, QWidget* parent = nullptr);

  QTextBrowser* Me_Guide;
};

}  // namespace orb
