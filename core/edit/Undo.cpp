#include "core/edit/Undo.h"

#include <memory>

#include "core/model/Prompter.h"

namespace orb {
namespace {

template <typename List>
std::unique_ptr<List> CopyOf(List& current) {
  auto copy = std::make_unique<List>();
  copy->Assign(current);
  return copy;
}

}  // namespace

void UndoRing::Push(Title& title, Prompter* prompter) {
  BusyScope busy(prompter);
  TitleLists& slot = slots_[static_cast<std::size_t>(position_)];
  slot.system = CopyOf(title.System());
  slot.snapshots = CopyOf(title.Snapshots());
  slot.cues = CopyOf(title.Cues());
  slot.dynamics = CopyOf(title.Dynamics());
  slot.eq = CopyOf(title.Eq());
  slot.automation = CopyOf(title.Automation());
  // The copies keep pointing at the title's system object until told otherwise.
  slot.PointAtOwnSystem();
  if (undo_count_ < kMaxSteps) ++undo_count_;
  redo_count_ = 0;
  position_ = (position_ + 1) % kSlots;
  title.SetModified(true);
}

bool UndoRing::Undo(Title& title) {
  if (undo_count_ == 0) return false;
  position_ = (position_ + kSlots - 1) % kSlots;
  title.ExchangeLists(slots_[static_cast<std::size_t>(position_)]);
  --undo_count_;
  ++redo_count_;
  title.SetModified(true);
  return true;
}

bool UndoRing::Redo(Title& title) {
  if (redo_count_ == 0) return false;
  title.ExchangeLists(slots_[static_cast<std::size_t>(position_)]);
  position_ = (position_ + 1) % kSlots;
  ++undo_count_;
  --redo_count_;
  title.SetModified(true);
  return true;
}

void UndoRing::Clear() {
  for (TitleLists& slot : slots_) slot = TitleLists{};
  position_ = undo_count_ = redo_count_ = 0;
}

}  // namespace orb
