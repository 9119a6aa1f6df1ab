// The undo ring of an editor window: whole copies of the title's six lists.
#pragma once

#include <array>

#include "core/model/Title.h"

namespace orb {

class Prompter;

class UndoRing {
 public:
  static constexpr int kSlots = 11;
  static constexpr int kMaxSteps = 10;

  // Keeps a copy of the title as it is now, before a command changes it; the redo steps are
  // dropped. Marks the title modified.
  void Push(Title& title, Prompter* prompter = nullptr);
  // Exchange the title's lists with those of the step before or after; false at the limits.
  // Every pointer to a list of the title must be taken again afterwards.
  bool Undo(Title& title);
  bool Redo(Title& title);
  // Back to the empty ring of a title just loaded.
  void Clear();

  int UndoCount() const { return undo_count_; }
  int RedoCount() const { return redo_count_; }
  int Position() const { return position_; }

 private:
  std::array<TitleLists, kSlots> slots_;
  int position_ = 0;
  int undo_count_ = 0;
  int redo_count_ = 0;
};

}  // namespace orb
