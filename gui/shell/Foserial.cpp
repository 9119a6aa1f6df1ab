#include "gui/shell/Foserial.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace orb {

namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

TFo_Serial::TFo_Serial(TSerial& serial, SessionSetup setup, Prompter* prompter, QWidget* parent)
    : QDialog(parent) {
  setObjectName("Fo_Serial");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(setup.mode == SessionSetup::kExport ? kExportCaption : kImportCaption);

  La_Message = new QLabel("Initializing...", this);
  La_Message->setObjectName("La_Message");
  La_Message->setMinimumWidth(300);
  const auto value = [this](const char* name, const char* text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setMinimumWidth(48);
    return label;
  };
  La_Retry = value("La_Retry", "0");
  La_Total = value("La_Total", "--:--");
  La_Remain = value("La_Remain", "--:--");
  La_Bps = value("La_Bps", "0");

  auto* figures = new QGridLayout;
  figures->addWidget(new QLabel("Retry:", this), 0, 0);
  figures->addWidget(La_Retry, 0, 1);
  figures->addWidget(new QLabel("bps:", this), 0, 2);
  figures->addWidget(La_Bps, 0, 3);
  figures->addWidget(new QLabel("Total:", this), 1, 0);
  figures->addWidget(La_Total, 1, 1);
  figures->addWidget(new QLabel("Remain:", this), 1, 2);
  figures->addWidget(La_Remain, 1, 3);
  figures->setColumnStretch(4, 1);

  Pb_Progress = new QProgressBar(this);
  Pb_Progress->setObjectName("Pb_Progress");
  Pb_Progress->setRange(0, 100);
  Pb_Progress->setValue(0);

  // Shows the sequence state for whoever debugs a console; users never see it.
  La_State = new QLabel(this);
  La_State->setObjectName("La_State");
  La_State->hide();

  Bu_Cancel = new QPushButton("&Cancel", this);
  Bu_Cancel->setObjectName("Bu_Cancel");
  connect(Bu_Cancel, &QPushButton::clicked, this, &TFo_Serial::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Bu_Cancel);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(La_Message);
  layout->addLayout(figures);
  layout->addWidget(Pb_Progress);
  layout->addWidget(La_State);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  Ti_Sequence = new QTimer(this);
  Ti_Sequence->setObjectName("Ti_Sequence");
  Ti_Sequence->setInterval(TransferSession::kTickMs);
  connect(Ti_Sequence, &QTimer::timeout, this, [this] { session_->Tick(); });

  session_ = std::make_unique<TransferSession>(serial, std::move(setup), prompter, this);
}

// The session's own destructor closes without the view, which is going away.
TFo_Serial::~TFo_Serial() {
  Ti_Sequence->stop();
  session_.reset();
}

void TFo_Serial::SetCaption(const std::string& text) {
  setWindowTitle(Text(text));
}
void TFo_Serial::SetMessage(const std::string& text) {
  La_Message->setText(Text(text));
}
void TFo_Serial::SetRetry(const std::string& text) {
  La_Retry->setText(Text(text));
}
void TFo_Serial::SetTotal(const std::string& text) {
  La_Total->setText(Text(text));
}
void TFo_Serial::SetRemain(const std::string& text) {
  La_Remain->setText(Text(text));
}
void TFo_Serial::SetBps(const std::string& text) {
  La_Bps->setText(Text(text));
}
void TFo_Serial::SetProgress(int percent) {
  Pb_Progress->setValue(percent);
}
void TFo_Serial::SetStateLabel(const std::string& text) {
  La_State->setText(Text(text));
}

void TFo_Serial::SetTimerRunning(bool running) {
  if (running) {
    Ti_Sequence->start();
  } else {
    Ti_Sequence->stop();
  }
}

void TFo_Serial::CloseWindow() {
  if (closing_) return;
  closing_ = true;
  Ti_Sequence->stop();
  done(session_->Succeeded() ? Accepted : Rejected);
}

void TFo_Serial::reject() {
  // Cancel runs the closing steps and then asks the view to close.
  session_->Cancel();
  CloseWindow();
}

void TFo_Serial::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  session_->Show();
}

}  // namespace orb
