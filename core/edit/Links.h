// Channel links: a parameter change carried over to the channels that follow it (stereo and
// surround partners, cut and fader groups, the two gangs), and the link pass that re-establishes
// every link over a range of channels after bulk changes.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "core/model/ParamIds.h"
#include "core/model/Q730classes.h"

namespace orb {

// The part of the editor window's state that every parameter write of the panel and of the
// editor's commands goes through. Not a widget: the panel asks it to write and is called back
// to repaint what was written.
class LinkContext {
 public:
  // Repaints the panel control of (channel, id); the EQ graph is asked for as id kEqGraph and
  // the dynamics graph as id kDynamicsGraph, the parameters that address their blocks.
  using RepaintFn = std::function<void(int channel, int id)>;
  static constexpr int kEqGraph = kParamEqBlock;
  static constexpr int kDynamicsGraph = kParamDynamicsBlock;
  static constexpr int kChannels = TQ730SYSF::kFaderSlots;

  // Starts on the system data, with the levels remembered as they stand now.
  explicit LinkContext(TQ730SYSF& system);
  ~LinkContext();
  LinkContext(const LinkContext&) = delete;
  LinkContext& operator=(const LinkContext&) = delete;

  TQ730SYSF& System() const { return *system_; }
  TQ730& Current() const { return *current_; }
  // The list of the current tab; it must share this context's system data.
  void SetCurrent(TQ730& list) { current_ = &list; }

  // After Undo or Redo the title holds other lists: the context starts again on its new
  // system data (the current list becomes that system data).
  void Rebind(TQ730SYSF& system);

  // Where a write marks the title modified. Without a sink (a context standing alone) the
  // context keeps the flag itself.
  void SetModifiedSink(std::function<void()> sink) { modified_sink_ = std::move(sink); }
  bool Modified() const { return modified_; }
  void SetModified(bool on) { modified_ = on; }
  void SetRepaint(RepaintFn repaint) { repaint_ = std::move(repaint); }

  // Mouse down on the panel: remembers the Shift state and, when the current list is the system
  // data or the snapshots, every channel's "Level" and, with the manual group on, every
  // channel's group-fader level. These are the starting points of group-relative fader moves.
  void MouseDown(bool shift);
  // The panel's drag type (0 none); mouse up sets it back to 0.
  void SetDragType(int type) { drag_type_ = type; }
  int DragType() const { return drag_type_; }
  bool ShiftHeld() const { return shift_; }
  // The levels as the last mouse down found them; -1 where there was none.
  int RememberedLevel(int channel) const;
  int RememberedGroupLevel(int channel) const;

  // Writes one value of the current list and lets every follower take it over; -1 re-applies
  // the channel's current value to its followers.
  void SetParamLinked(int channel, int id, int value);
  // Passes take two shortcuts unless this is switched off: over a snapshot they read and write
  // through bulk accessors, and they ask for a channel's followers once per linking function
  // rather than once per parameter. The bytes are the same either way.
  void SetShortcuts(bool on) { shortcuts_ = on; }
  // Re-establishes the links of channels first to last of the current list.
  void LinkPass(int first, int last);
  void LinkPassAll() { LinkPass(0, kChannels - 1); }

 private:
  // Reads and writes of the current list. During a pass over a snapshot they go through bulk
  // accessors: a paste runs a pass over each of up to 99 snapshots.
  int Get(int channel, int id) const;
  void Write(int channel, int id, int value);
  // SetParamLinked with the followers already known (null: asked for).
  void SetParamLinked(int channel, int id, int value, const LinkedSet* followers);
  void Repaint(int channel, int id) const {
    if (repaint_) repaint_(channel, id);
  }
  void MarkModified();
  void FollowCutGroup(int channel, int value);
  void FollowGangs(int channel, int id, int value);
  void MoveGroupFaders(int channel, int value);
  bool FollowStereoAuxSwitch(int channel, int id, int value);
  // Whether group g (1 … 8, 0 none) is on, and of which type; -1 for none.
  int GroupType(int g) const;
  bool GroupOn(int g) const;
  int LastChannel() const;

  TQ730SYSF* system_;
  TQ730* current_;
  bool modified_ = false;
  std::function<void()> modified_sink_;
  bool shift_ = false;
  int drag_type_ = 0;
  std::array<int, kChannels> levels_{};
  std::array<int, kChannels> group_levels_{};
  RepaintFn repaint_;
  struct SnapshotAccess;
  std::unique_ptr<SnapshotAccess> bulk_;
  // The list the bulk accessors serve in the pass running now, or null.
  const TQ730* bulk_list_ = nullptr;
  bool shortcuts_ = true;
};

}  // namespace orb
