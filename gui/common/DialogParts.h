#pragma once

#include <QString>

class QBoxLayout;
class QDialog;
class QPushButton;

// What the shell's small dialogs share: a fixed border and a button row with
// the confirming button (the default) and "&Cancel"; Escape cancels.
namespace orb {

struct DialogButtons {
  QPushButton* confirm;
  QPushButton* cancel;
};

// Appends the row to layout and connects the buttons to accept and reject.
DialogButtons AddDialogButtons(QDialog* dialog, QBoxLayout* layout,
                               const QString& confirm_text = "&OK");

// A dialog that cannot be resized, without a context-help button.
void SetFixedDialogBorder(QDialog* dialog);

}  // namespace orb
