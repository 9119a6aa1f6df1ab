// TFo_232C: the serial-port dialog, which COM port the console is on and its device.
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;

namespace orb {

// "RS-232C": the COM port (COM1 to COM9) and the device each one stands for.
class TFo_232C : public QDialog {
  Q_OBJECT

 public:
  explicit TFo_232C(QWidget* parent = nullptr);

  // index 0 is COM1.
  void SetIndex(int index);
  int Index() const;
  // The device paths of COM1 to COM9; edits of any port are kept until OK.
  void SetDevices(const QStringList& devices);
  QStringList Devices() const;
  // The serial devices found on the system, offered in the device field's list.
  void SetPresentDevices(const QStringList& devices);

  QComboBox* Co_Port;
  // Editable: a device from the list or any typed path.
  QComboBox* Co_Device;
  QLineEdit* Ed_Device;  // Co_Device's text field

 private:
  void Co_PortChange(int index);

  QStringList devices_;
  int shown_ = 0;
};

}  // namespace orb
