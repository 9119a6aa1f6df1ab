#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

// How the core reaches the user: message boxes, questions and the wait cursor.
// The GUI implements it with real dialogs; tests and orbtool answer by script.
namespace orb {

enum class Buttons { kOk, kYesNo, kYesNoCancel };
enum class Answer { kOk, kYes, kNo, kCancel };

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Shows text with caption and the given buttons; returns the button pressed
  // (Escape and closing the box count as Cancel, or No where there is no Cancel).
  virtual Answer Message(const std::string& text, const std::string& caption, Buttons buttons) = 0;
  // The wait cursor; calls nest.
  virtual void SetBusy(bool busy) { (void)busy; }
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

// Answers from a queue and records everything it was shown. An empty queue
// answers OK to a message and Cancel to a question.
class ScriptedPrompter : public Prompter {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    Buttons buttons;
  };

  void Queue(Answer answer) { answers_.push_back(answer); }
  Answer Message(const std::string& text, const std::string& caption, Buttons buttons) override {
    shown_.push_back({text, caption, buttons});
    if (answers_.empty()) return buttons == Buttons::kOk ? Answer::kOk : Answer::kCancel;
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void SetBusy(bool busy) override { busy_depth_ += busy ? 1 : -1; }

  const std::vector<Shown>& shown() const { return shown_; }
  int busy_depth() const { return busy_depth_; }

 private:
  std::deque<Answer> answers_;
  std::vector<Shown> shown_;
  int busy_depth_ = 0;
};

}  // namespace orb
