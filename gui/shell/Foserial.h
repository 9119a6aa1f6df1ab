// TFo_Serial: the transfer window, which drives a console import or export to its end.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "core/link/TransferSession.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace orb {

// The RS-232C transfer window: shows a TransferSession and drives it with its
// 10 ms sequence timer. Shown modally; the session starts when it appears and
// every way of closing it ("&Cancel", Escape, the close box, the session's
// end) runs the session's closing steps once.
class TFo_Serial : public QDialog, public SessionView {
  Q_OBJECT

 public:
  TFo_Serial(TSerial& serial, SessionSetup setup, Prompter* prompter, QWidget* parent = nullptr);
  ~TFo_Serial() override;

  TransferSession& Session() { return *session_; }
  bool Succeeded() const { return session_->Succeeded(); }
  const std::string& ImportedTitlePath() const { return session_->ImportedTitlePath(); }

  void SetCaption(const std::string& text) override;
  void SetMessage(const std::string& text) override;
  void SetRetry(const std::string& text) override;
  void SetTotal(const std::string& text) override;
  void SetRemain(const std::string& text) override;
  void SetBps(const std::string& text) override;
  void SetProgress(int percent) override;
  void SetStateLabel(const std::string& text) override;
  void SetTimerRunning(bool running) override;
  void CloseWindow() override;

  void reject() override;  // Escape, the close box and "&Cancel"

  QLabel* La_Message;
  QLabel* La_Retry;
  QLabel* La_Total;
  QLabel* La_Remain;
  QLabel* La_Bps;
  QLabel* La_State;
  QProgressBar* Pb_Progress;
  QPushButton* Bu_Cancel;
  QTimer* Ti_Sequence;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::unique_ptr<TransferSession> session_;
  bool closing_ = false;
};

}  // namespace orb
