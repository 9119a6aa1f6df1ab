// TFo_Splash: the start-up picture, also the About box.
#pragma once

#include <QDialog>
#include <QPixmap>

class QTimer;

namespace orb {

// The start-up picture with the version, also the About box. It frees itself
// when it closes.
class TFo_Splash : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kShowMilliseconds = 4100;

  explicit TFo_Splash(QWidget* parent = nullptr);

  // Start-up only: closes the window once kShowMilliseconds have passed.
  void StartClosingTimer();
  qint64 ShownAt() const { return shown_at_; }
  void SetShownAt(qint64 milliseconds) { shown_at_ = milliseconds; }
  static qint64 NowMilliseconds();

  QTimer* Ti_Close;

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void Ti_CloseTimer();

  QPixmap picture_;
  qint64 shown_at_ = 0;
};

}  // namespace orb
