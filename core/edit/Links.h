// Channel links: a parameter change carried over to the channels that follow it (stereo and
// surround partners, cut and fader groups, the two gangs), and the link pass that re-establishes
// every link over a range of channels after bulk changes.
#pragma once

#include <array>
#include <bitset>
#include <functional>
#include <memory>
#include <string>

#include "core/model/ParamIds.h"
#include "core/model/Q730classes.h"
#include "core/model/Q730sysf.h"

namespace orb {

// What a link pass changed of its own accord, by reason; only values that really changed count.
struct LinkChanges {
  int stereo = 0;          // channels that took over values of their stereo partner
  int surround = 0;        // channels that took over values of their surround group
  int groups = 0;          // channels that followed their cut group, gang group or a gang
  int surround_pairs = 0;  // pairs set to SURROUND to complete their group
  int mono_pairs = 0;      // SURROUND pairs set to MONO: their group cannot be complete
  int memberships = 0;     // fader and cut group memberships the group's type does not allow
  int master_faders = 0;   // masters locked to 0 dB set back to it
  int dynamics_links = 0;  // dynamics links the layout does not allow
  bool Any() const { return *this != LinkChanges{}; }
  LinkChanges& operator+=(const LinkChanges& other);
  bool operator==(const LinkChanges&) const = default;
};

// The status bar's account, "Links: 11 channels followed their stereo partner, 8 group
// memberships cleared"; empty when nothing changed.
std::string LinkChangesText(const LinkChanges& changes);

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
  // Re-establishes the links of channels first to last of the current list; says what that
  // changed.
  LinkChanges LinkPass(int first, int last);
  LinkChanges LinkPassAll() { return LinkPass(0, kChannels - 1); }

 private:
  // Reads and writes of the current list. During a pass over a snapshot they go through bulk
  // accessors: a paste runs a pass over each of up to 99 snapshots.
  int Get(int channel, int id) const;
  void Write(int channel, int id, int value);
  // Write, saying whether the value changed: 1 or 0.
  int WriteCounted(int channel, int id, int value);
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
  // The channels a pass has changed, by reason, while one runs.
  enum Reason { kNoReason = -1, kStereoPartner, kSurroundPartner, kGroupFollow, kReasons };
  using Changed = std::array<std::bitset<kChannels>, kReasons>;
  Changed* changed_ = nullptr;
  Reason reason_ = kNoReason;
};

}  // namespace orb
