// ScriptedPrompter: the user of a test, answering the core's messages and dialogs from queues
// and recording what it was shown.
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/model/Prompter.h"

namespace orb {

// Answers from queues and records everything it was shown, the dialogs too
// (the title-name dialog as its preset text, the file dialog as its file name,
// the group dialog as the names of its lines, one a line, all with their caption),
// and a known message with its identity.
// An empty queue answers OK to a message and Cancel to a question or dialog.
class ScriptedPrompter : public Prompter {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    Buttons buttons;
    bool default_no = false;
    bool default_cancel = false;
    std::optional<MessageId> id = std::nullopt;  // of a known message
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
  Answer Ask(MessageId id, const std::string& caption, const std::string& detail) override {
    const std::size_t before = shown_.size();
    const Answer answer = Prompter::Ask(id, caption, detail);
    if (shown_.size() > before) shown_[before].id = id;
    return answer;
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
    shown_.push_back(
        {dialog.label + "\n" + Lines(dialog.lines), dialog.caption, Buttons::kOkCancel});
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
