// What every dialog shares: a fixed border, a button row with the confirming button (the
// default) and "&Cancel" (Escape cancels), a list of items to choose from, the status box.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "core/model/Prompter.h"
#include "core/model/Status.h"

class QBoxLayout;
class QComboBox;
class QDialog;
class QPushButton;
class QWidget;

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

// A drop-down list of items named name, at index (the first item when index is out of range).
QComboBox* ItemList(const char* name, const std::vector<std::string>& items, int index,
                    QWidget* parent);

// The status message box: silent for 0, 1 and 2, otherwise the status's
// message with the caption "Error" and an OK button; detail, when given, on the lines below.
void ReportStatus(Prompter* prompter, Status status, const std::string& detail = {});

}  // namespace orb
