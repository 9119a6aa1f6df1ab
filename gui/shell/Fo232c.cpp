#include "gui/shell/Fo232c.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/storage/Settings.h"
#include "gui/common/DialogParts.h"

namespace orb {

TFo_232C::TFo_232C(QWidget* parent) : QDialog(parent) {
  setObjectName("TFo_232C");
  setWindowTitle("RS-232C");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignLeft);
  Co_Port = new QComboBox(this);
  Co_Port->setObjectName("Co_Port");
  for (int port = 1; port <= kComPortCount; ++port) {
    Co_Port->addItem(QString("COM%1").arg(port));
    devices_ << QString::fromStdString(DefaultPortDevice(port));
  }
  Co_Device = new QComboBox(this);
  Co_Device->setObjectName("Co_Device");
  Co_Device->setEditable(true);
  Co_Device->setInsertPolicy(QComboBox::NoInsert);
  Co_Device->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  Co_Device->setMinimumContentsLength(28);
  Ed_Device = Co_Device->lineEdit();
  Ed_Device->setObjectName("Ed_Device");
  Ed_Device->setText(devices_[0]);
  form->addRow("COM port:", Co_Port);
  form->addRow("Device:", Co_Device);
  layout->addLayout(form);
  AddDialogButtons(this, layout);
  SetFixedDialogBorder(this);
  connect(Co_Port, &QComboBox::currentIndexChanged, this, &TFo_232C::Co_PortChange);
}

void TFo_232C::SetIndex(int index) {
  Co_Port->setCurrentIndex(index);
}

int TFo_232C::Index() const {
  return Co_Port->currentIndex();
}

void TFo_232C::SetDevices(const QStringList& devices) {
  for (int i = 0; i < devices_.size() && i < devices.size(); ++i) devices_[i] = devices[i];
  Ed_Device->setText(devices_[shown_]);
}

void TFo_232C::SetPresentDevices(const QStringList& devices) {
  const QString typed = Ed_Device->text();
  Co_Device->clear();
  Co_Device->addItems(devices);
  Ed_Device->setText(typed);
}

QStringList TFo_232C::Devices() const {
  QStringList devices = devices_;
  devices[shown_] = Ed_Device->text().trimmed();
  return devices;
}

void TFo_232C::Co_PortChange(int index) {
  if (index < 0) return;
  devices_[shown_] = Ed_Device->text().trimmed();
  shown_ = index;
  Ed_Device->setText(devices_[shown_]);
}

}  // namespace orb
