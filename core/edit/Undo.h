// The undo history of an editor window: up to 100 named steps, each keeping only the lists its
// command changed; a list no step changed is held once and shared by all of them.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/model/Title.h"

namespace orb {

class Prompter;

class UndoRing {
 public:
  static constexpr int kMaxSteps = 100;

  // Keeps the title as it is now, before a command changes it, under the command's name; the
  // redo steps are dropped, and beyond the limit the oldest step. Marks the title modified.
  void Push(Title& title, Prompter* prompter = nullptr, std::string name = {});
  // Back to the title before the newest step, or forward to it again; false at the limits. The
  // lists stay the title's own objects: only their contents change.
  bool Undo(Title& title);
  bool Redo(Title& title);
  // Undoes or redoes until `done` steps are done (0 … Steps().size()); false when out of range.
  bool GoTo(Title& title, int done);
  // Back to the empty history of a title just loaded.
  void Clear();

  int UndoCount() const { return static_cast<int>(undo_.size()); }
  int RedoCount() const { return static_cast<int>(redo_.size()); }
  // The names of the step Undo and Redo would take; empty when there is none.
  std::string UndoName() const { return undo_.empty() ? std::string() : undo_.back().name; }
  std::string RedoName() const { return redo_.empty() ? std::string() : redo_.back().name; }
  // Every step's name, oldest first: the first UndoCount() are done, the rest can be redone.
  std::vector<std::string> Steps() const;
  // The bytes of list data the steps hold, each shared list counted once.
  std::uint64_t HeldBytes() const;

 private:
  using Lists = std::array<std::shared_ptr<const TQ730>, TitleLists::kCount>;
  struct Step {
    std::string name;
    Lists lists;  // the whole title, before the step (undo) or after it (redo)
  };
  // The title's lists, sharing each one that equals the same list of `like`.
  static Lists Capture(const Title& title, const Lists* like);
  static void Restore(Title& title, const Lists& lists);
  // Takes the newest step of `from` back to the title and keeps the title as it was on `to`.
  static bool Move(std::deque<Step>& from, std::deque<Step>& to, Title& title);

  std::deque<Step> undo_;  // newest last
  std::deque<Step> redo_;  // next to redo last
};

}  // namespace orb
