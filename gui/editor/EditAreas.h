// The parameter panel's surface PB_Edit beside the list pane (800 x 491; it shows which page
// and record are current until the pages draw on it).
#pragma once

#include <QWidget>

#include "core/editor/EditSession.h"

namespace orb {

class TPanelArea : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 800;
  static constexpr int kHeight = 491;

  explicit TPanelArea(const EditSession& session, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const EditSession& session_;
};

}  // namespace orb
