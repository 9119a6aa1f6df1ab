// Prompter: how the core reaches the user, with message boxes, questions, the title-name
// dialog, the file dialog and the wait cursor. The GUI implements it with real
// dialogs; tests and orbtool answer by script.
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

// Questions that others answer by their text. A question may add lines that name what it is
// about; its first line stays the question.
inline constexpr char kFileExistsQuestion[] = "File already exists. overwrite?";
inline constexpr char kDeleteQuestion[] = "Are you sure?";
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

// Answers from queues and records everything it was shown, the dialogs too
// (the title-name dialog as its preset text, the file dialog as its file name,
// the group dialog as the names of its lines, one a line, all with their caption).
// An empty queue answers OK to a message and Cancel to a question or dialog.
class ScriptedPrompter : public Prompter {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    Buttons buttons;
    bool default_no = false;
    bool default_cancel = false;
  };

  void Queue(Answer answer) { answers_.push_back(answer); }
  Answer Message(const std::string& text, const std::string& caption, Buttons buttons) override {
    shown_.push_back({text, caption, buttons});
    return NextAnswer(buttons);
  }
  Answer AskDefaultNo(const std::string& text, const std::string& caption,
                      Buttons buttons) override {
    shown_.push_back({text, caption, buttons, true});
    return NextAnswer(buttons);
  }
  Answer AskDefaultCancel(const std::string& text, const std::string& caption) override {
    shown_.push_back({text, caption, Buttons::kYesNoCancel, false, true});
    return NextAnswer(Buttons::kYesNoCancel);
  }
  void SetBusy(bool busy) override { busy_depth_ += busy ? 1 : -1; }

  // An empty optional answers Cancel.
  void QueueTitleName(std::optional<std::string> text) { names_.push_back(std::move(text)); }
  void QueueFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  bool TitleNameDialog(std::string& text) override {
    shown_.push_back({text, kTitleNameCaption, Buttons::kOkCancel});
    return Take(names_, text);
  }
  bool ChooseFile(const FileDialog& dialog, std::string& path) override {
    shown_.push_back({dialog.file_name, dialog.caption, Buttons::kOkCancel});
    return Take(files_, path);
  }

  // The names of the groups to tick; an empty optional answers Cancel.
  void QueueGroups(std::optional<std::vector<std::string>> ticked) {
    groups_.push_back(std::move(ticked));
  }
  bool ChooseParamGroups(const std::string& caption, ParamGroupList& groups) override {
    std::string lines;
    for (const ParamGroup& group : groups) {
      if (!group.name.empty()) lines += (lines.empty() ? "" : "\n") + group.name;
    }
    shown_.push_back({lines, caption, Buttons::kOkCancel});
    if (groups_.empty()) return false;
    const std::optional<std::vector<std::string>> ticked = std::move(groups_.front());
    groups_.pop_front();
    if (!ticked) return false;
    std::erase_if(groups, [&](const ParamGroup& group) {
      return group.name.empty() ||
             std::find(ticked->begin(), ticked->end(), group.name) == ticked->end();
    });
    return true;
  }

  // Fader Copy's two indexes; an empty optional answers Cancel.
  void QueueFaderCopy(std::optional<std::pair<int, int>> choice) {
    fader_copies_.push_back(choice);
  }
  bool FaderCopyDialog(const std::vector<std::string>& items, int& source, int& dest) override {
    shown_.push_back({Lines(items), kFaderCopyCaption, Buttons::kOkCancel});
    if (fader_copies_.empty()) return false;
    const auto choice = fader_copies_.front();
    fader_copies_.pop_front();
    if (!choice) return false;
    source = choice->first;
    dest = choice->second;
    return true;
  }
  // Trim Fader: the source index and the texts typed before each press of OK, in turn; when
  // none is accepted the dialog is cancelled. Each refused text is recorded as shown again.
  struct TrimAnswer {
    int source = 0;
    std::vector<std::string> texts;
  };
  void QueueTrim(std::optional<TrimAnswer> answer) { trims_.push_back(std::move(answer)); }
  bool TrimDialog(const std::vector<std::string>& items, int& source, std::string& text,
                  const std::function<bool(const std::string&)>& accept) override {
    shown_.push_back({text, kTrimCaption, Buttons::kOkCancel});
    (void)items;
    if (trims_.empty()) return false;
    const std::optional<TrimAnswer> answer = std::move(trims_.front());
    trims_.pop_front();
    if (!answer) return false;
    for (const std::string& typed : answer->texts) {
      if (accept(typed)) {
        source = answer->source;
        text = typed;
        return true;
      }
      shown_.push_back({typed, kTrimCaption, Buttons::kOkCancel});
    }
    return false;
  }
  // Store and Recall: the chosen line; an empty optional answers Cancel.
  void QueueEntry(std::optional<int> index) { entries_.push_back(index); }
  bool ChooseEntry(const EntryList& dialog, int& index) override {
    shown_.push_back({dialog.label + "\n" + Lines(dialog.lines), dialog.caption,
                      Buttons::kOkCancel});
    if (entries_.empty()) return false;
    const std::optional<int> choice = entries_.front();
    entries_.pop_front();
    if (!choice) return false;
    index = *choice;
    return true;
  }

  const std::vector<Shown>& shown() const { return shown_; }
  int busy_depth() const { return busy_depth_; }

 private:
  Answer NextAnswer(Buttons buttons) {
    if (answers_.empty()) return buttons == Buttons::kOk ? Answer::kOk : Answer::kCancel;
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  static bool Take(std::deque<std::optional<std::string>>& queue, std::string& out) {
    if (queue.empty()) return false;
    std::optional<std::string> answer = std::move(queue.front());
    queue.pop_front();
    if (answer) out = std::move(*answer);
    return answer.has_value();
  }

  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> names_;
  std::deque<std::optional<std::string>> files_;
  static std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
  }

  std::deque<std::optional<std::vector<std::string>>> groups_;
  std::deque<std::optional<std::pair<int, int>>> fader_copies_;
  std::deque<std::optional<TrimAnswer>> trims_;
  std::deque<std::optional<int>> entries_;
  std::vector<Shown> shown_;
  int busy_depth_ = 0;
};

}  // namespace orb
