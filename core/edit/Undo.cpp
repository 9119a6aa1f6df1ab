#include "core/edit/Undo.h"

#include <unordered_set>

#include "core/model/Prompter.h"

namespace orb {
namespace {

template <typename List>
std::shared_ptr<const TQ730> CopyOf(const TQ730& current) {
  auto copy = std::make_shared<List>();
  copy->Assign(current);
  return copy;
}

std::shared_ptr<const TQ730> CopyOfList(int n, const TQ730& current) {
  switch (n) {
    case 0:
      return CopyOf<TQ730SYSF>(current);
    case 1:
      return CopyOf<TQ730SNAP>(current);
    case 2:
      return CopyOf<TQ730CUE>(current);
    case 3:
      return CopyOf<TQ730DYLIB>(current);
    case 4:
      return CopyOf<TQ730EQLIB>(current);
    default:
      return CopyOf<TQ730AUTO>(current);
  }
}

}  // namespace

UndoRing::Lists UndoRing::Capture(const Title& title, const Lists* like) {
  Lists lists;
  for (int n = 0; n < TitleLists::kCount; ++n) {
    const auto i = static_cast<std::size_t>(n);
    const TQ730& current = *const_cast<Title&>(title).List(n);
    if (like && (*like)[i] && (*like)[i]->SameData(current)) {
      lists[i] = (*like)[i];
    } else {
      lists[i] = CopyOfList(n, current);
    }
  }
  return lists;
}

void UndoRing::Restore(Title& title, const Lists& lists) {
  for (int n = 0; n < TitleLists::kCount; ++n) {
    TQ730& current = *title.List(n);
    const TQ730& kept = *lists[static_cast<std::size_t>(n)];
    if (kept.SameData(current)) continue;
    current.Assign(kept);
  }
  for (int n = 0; n < TitleLists::kCount; ++n) title.List(n)->SetSystem(&title.System());
  title.SetModified(true);
}

void UndoRing::Push(Title& title, Prompter* prompter, std::string name) {
  BusyScope busy(prompter);
  // The newest step differs from the title now only in what its command changed.
  const Lists* like = undo_.empty() ? nullptr : &undo_.back().lists;
  Lists lists = Capture(title, like);
  undo_.push_back({std::move(name), std::move(lists)});
  if (undo_.size() > static_cast<std::size_t>(kMaxSteps)) undo_.pop_front();
  redo_.clear();
  title.SetModified(true);
}

bool UndoRing::Move(std::deque<Step>& from, std::deque<Step>& to, Title& title) {
  if (from.empty()) return false;
  Step step = std::move(from.back());
  from.pop_back();
  // The other side keeps the title as it is now, sharing what the step left alone.
  to.push_back({step.name, Capture(title, &step.lists)});
  Restore(title, step.lists);
  return true;
}

bool UndoRing::Undo(Title& title) {
  return Move(undo_, redo_, title);
}

bool UndoRing::Redo(Title& title) {
  return Move(redo_, undo_, title);
}

bool UndoRing::GoTo(Title& title, int done) {
  if (done < 0 || done > UndoCount() + RedoCount()) return false;
  while (UndoCount() > done) Undo(title);
  while (UndoCount() < done) Redo(title);
  return true;
}

void UndoRing::Clear() {
  undo_.clear();
  redo_.clear();
}

std::vector<std::string> UndoRing::Steps() const {
  std::vector<std::string> names;
  for (const Step& step : undo_) names.push_back(step.name);
  for (auto step = redo_.rbegin(); step != redo_.rend(); ++step) names.push_back(step->name);
  return names;
}

std::uint64_t UndoRing::HeldBytes() const {
  std::unordered_set<const TQ730*> seen;
  std::uint64_t bytes = 0;
  auto count = [&](const Step& step) {
    for (const auto& list : step.lists) {
      if (list && seen.insert(list.get()).second) bytes += list->HeldBytes();
    }
  };
  for (const Step& step : undo_) count(step);
  for (const Step& step : redo_) count(step);
  return bytes;
}

}  // namespace orb
