// QtPrompter: the prompting interface of the core, answered with real dialogs.
#pragma once

#include <QString>
#include <string>

#include "core/model/Prompter.h"
#include "core/model/Status.h"

class QWidget;

namespace orb {

class QtPrompter : public Prompter {
 public:
  // Dialogs are centred over parent (the main frame), or on the screen without one.
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}

  Answer Message(const std::string& text, const std::string& caption, Buttons buttons) override;
  Answer AskDefaultNo(const std::string& text, const std::string& caption,
                      Buttons buttons) override;
  Answer AskDefaultCancel(const std::string& text, const std::string& caption) override;
  void SetBusy(bool busy) override;
  bool TitleNameDialog(std::string& text) override;
  bool ChooseFile(const FileDialog& dialog, std::string& path) override;
  bool ChooseParamGroups(const std::string& caption, ParamGroupList& groups) override;
  bool FaderCopyDialog(const std::vector<std::string>& items, int& source, int& dest) override;
  bool TrimDialog(const std::vector<std::string>& items, int& source, std::string& text,
                  const std::function<bool(const std::string&)>& accept) override;
  bool ChooseEntry(const EntryList& dialog, int& index) override;

  // Where the floppy dialogs start: the floppy mount point when there is one,
  // else the home folder.
  static QString FloppyFolder();

 private:
  // The button Enter presses: Yes (or OK), No, or Cancel.
  Answer ShowBox(const std::string& text, const std::string& caption, Buttons buttons,
                 Answer default_answer);

  QWidget* parent_;
  // Where the last file dialog was left; the next one starts there.
  QString last_folder_;
};

}  // namespace orb
