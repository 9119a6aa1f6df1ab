// Prompter: how the core reaches the user, with message boxes, questions, the title-name
// dialog, the file dialog and the wait cursor. The GUI implements it with real
// dialogs; tests and orbtool answer by script.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/Q730classes.h"

namespace orb {

// The "Title Name" dialog: a label, one text field and "&OK", "&Cancel".
inline constexpr char kTitleNameCaption[] = "Title Name";
inline constexpr char kTitleNameLabel[] = "Title Name:";
inline constexpr std::size_t kTitleNameMaxLength = 23;

// A file dialog as the GUI is to show it.
struct FileDialog {
  const char* caption;
  const char* filter;  // "description|mask|description|mask"
  const char* default_extension;
  const char* file_name;
  bool save = false;  // a save dialog, which asks before overwriting
};

// The dialog that locates a floppy set's files (also its second disk).
inline constexpr FileDialog kImportFileDialog{"Import", "ORB-Q730 File|*.DAT|All files|*.*", "DAT",
                                              "SYSF.DAT"};

// The check list of parameter groups that Optional Copy and Zero show.
inline constexpr char kOptionalCopyCaption[] = "Optional Copy";
inline constexpr char kZeroCaption[] = "Zero";

// Fader Copy and Trim Fader: "&OK" (default) and "&Cancel" under their combo lists.
inline constexpr char kFaderCopyCaption[] = "Fader Copy";
inline constexpr char kTrimCaption[] = "Trim Fader";
inline constexpr char kTrimInitialText[] = "0.0";

// The entry list of Store and Recall: caption, the target's caption as label, the OK button.
struct EntryList {
  const char* caption;  // "Store" or "Recall"
  std::string label;    // "SNAPSHOT", "DYN LIB" or "EQ LIB"
  const char* ok_text;  // "&Store" or "&Recall"
  std::vector<std::string> lines;
};

enum class Buttons { kOk, kYesNo, kYesNoCancel, kOkCancel };
enum class Answer { kOk, kYes, kNo, kCancel };

// The messages whose answer a script decides rather than a person: each has an identity next
// to its text, the buttons its box offers and whether Enter presses No. A message may add lines
// after its text that name what it is about.
enum class MessageId {
  kFileExists,
  kDeleteTitle,
  kInsertFirstDisk,
  kInsertSecondDisk,
  kOverwriteSlot,
  kReboot,
};
struct KnownMessage {
  MessageId id;
  const char* text;
  Buttons buttons;
  bool default_no;
};
inline constexpr KnownMessage kKnownMessages[] = {
    {MessageId::kFileExists, "File already exists. overwrite?", Buttons::kYesNoCancel, true},
    {MessageId::kDeleteTitle, "Are you sure?", Buttons::kYesNo, true},
    {MessageId::kInsertFirstDisk, "Please insert first disk.", Buttons::kOkCancel, false},
    {MessageId::kInsertSecondDisk, "Please insert second disk.", Buttons::kOkCancel, false},
    {MessageId::kOverwriteSlot, "TITLE already exists. overwrite?", Buttons::kYesNo, true},
    {MessageId::kReboot,
     "You must re-boot to refresh Title list at ORB-Q730 Version 2.1\nReboot now?", Buttons::kYesNo,
     false},
};
constexpr const KnownMessage& Known(MessageId id) {
  return kKnownMessages[static_cast<int>(id)];
}
// The message's text, with detail on the lines after it when there is any.
inline std::string MessageText(MessageId id, const std::string& detail = {}) {
  return detail.empty() ? std::string(Known(id).text) : Known(id).text + ("\n" + detail);
}
inline constexpr const char* kFileExistsQuestion = Known(MessageId::kFileExists).text;
inline constexpr const char* kDeleteQuestion = Known(MessageId::kDeleteTitle).text;
inline constexpr const char* kOverwriteQuestion = Known(MessageId::kOverwriteSlot).text;
inline constexpr const char* kRebootQuestion = Known(MessageId::kReboot).text;
// Whether text is the question, perhaps with lines after it.
inline bool IsQuestion(std::string_view text, std::string_view question) {
  return text.substr(0, text.find('\n')) == question;
}

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Shows text with caption and the given buttons; returns the button pressed
  // (Escape and closing the box count as Cancel, or No where there is no Cancel).
  virtual Answer Message(const std::string& text, const std::string& caption, Buttons buttons) = 0;
  // A question whose Yes cannot be undone: No is the button that Enter presses.
  virtual Answer AskDefaultNo(const std::string& text, const std::string& caption,
                              Buttons buttons) {
    return Message(text, caption, buttons);
  }
  // Yes, No and Cancel where Yes and No both change something: Cancel is the button that Enter
  // presses.
  virtual Answer AskDefaultCancel(const std::string& text, const std::string& caption) {
    return Message(text, caption, Buttons::kYesNoCancel);
  }
  // A message known by its identity, with detail on the lines after its text (may be empty).
  // Whoever answers by script decides by id; a box shows it as Message or AskDefaultNo would.
  virtual Answer Ask(MessageId id, const std::string& caption, const std::string& detail) {
    const KnownMessage& message = Known(id);
    const std::string text = MessageText(id, detail);
    if (message.default_no) return AskDefaultNo(text, caption, message.buttons);
    return Message(text, caption, message.buttons);
  }
  // The wait cursor; calls nest.
  virtual void SetBusy(bool busy) { (void)busy; }
  // The "Title Name" dialog preset with text; on OK returns true with text set
  // to the entry (at most kTitleNameMaxLength characters), on Cancel false.
  virtual bool TitleNameDialog(std::string& text) {
    (void)text;
    return false;
  }
  // An open-file dialog; on OK returns true with the chosen file's path.
  virtual bool ChooseFile(const FileDialog& dialog, std::string& path) {
    (void)dialog;
    (void)path;
    return false;
  }
  // The parameter-group dialog with the caption: one line per group that has a display name,
  // all unticked. On OK returns true with groups reduced to the ticked ones; on Cancel false
  // with groups as they were.
  virtual bool ChooseParamGroups(const std::string& caption, ParamGroupList& groups) {
    (void)caption;
    (void)groups;
    return false;
  }
  // Fader Copy: two lists of the same level items, the source preset to source and the
  // destination to dest. On OK true with both set to the chosen indexes.
  virtual bool FaderCopyDialog(const std::vector<std::string>& items, int& source, int& dest) {
    (void)items, (void)source, (void)dest;
    return false;
  }
  // Trim Fader: the level items, source preset, and the trim text preset to text. OK hands the
  // text to accept; while it refuses, the dialog stays open with the text selected. On an
  // accepted OK true with source and text set.
  virtual bool TrimDialog(const std::vector<std::string>& items, int& source, std::string& text,
                          const std::function<bool(const std::string&)>& accept) {
    (void)items, (void)source, (void)text, (void)accept;
    return false;
  }
  // Store and Recall: OK stays disabled until a line is clicked; a double click is OK. On OK
  // true with index set to the chosen line.
  virtual bool ChooseEntry(const EntryList& dialog, int& index) {
    (void)dialog, (void)index;
    return false;
  }
};

// Shows the wait cursor for as long as it lives.
class BusyScope {
 public:
  explicit BusyScope(Prompter* prompter) : prompter_(prompter) {
    if (prompter_) prompter_->SetBusy(true);
  }
  ~BusyScope() {
    if (prompter_) prompter_->SetBusy(false);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  Prompter* prompter_;
};

}  // namespace orb
