// The parameter panel's editing model: mouse, wheel, popup choices, the routing pick list and
// numeric entry turned into writes of the current list. Every write goes through the channel
// links and only when the value changes; one gesture from press to release, one wheel burst on
// one control, one popup choice or one committed entry is one undo step. The widget forwards
// its events here and paints Scene().
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/edit/Links.h"
#include "core/pages/NumericEntry.h"
#include "core/pages/PageScene.h"
#include "core/pages/PanelGestures.h"
#include "core/pages/PanelPopups.h"

namespace orb {

// The page the panel shows, as far as its clicks differ.
enum class PanelPage {
  kChannel,
  kSnapshot,
  kCue,
  kDynLib,
  kEqLib,
  kOverview,
  kFader,
  kFaderGroup,
  kInputAssign,
  kOutputAssign,
  kSetup,
  kIsolate,
};

// The panel state the pages are built from; kept across repaints.
struct PanelState {
  PanelPage page = PanelPage::kChannel;
  int cursor = 0;  // the list pane's record
  DynamicsSection section = DynamicsSection::kCompDuck;
  RoutingView view = RoutingView::kOutputs;
  int bank = 0;         // OVERVIEW and SNAPSHOT: 0 "1~24", 1 "25~48", 2 "MASTERS"
  int fader_group = 0;  // FADER GROUP: 0 … 7
};

// What a release asks of the window.
struct PanelRequest {
  enum Kind { kNone, kPopup, kOpenChannel, kCueNumberList, kCueMoved };
  Kind kind = kNone;
  PopupMenu menu = Po_Knee;
  int id = 0;       // the button's parameter or page switch
  int channel = 0;  // the channel the choice writes; the channel to open; the moved cue
  int x = 0;        // the popup's place: the button's top right corner; the list's: the cell's
  int y = 0;        // top left corner
};

class PanelModel {
 public:
  // build: the page for this state, with the control of this table entry drawn pressed (-1
  // none). push_undo: keeps the title as it is before a change (the editor's undo rule).
  using BuildFn = std::function<PageScene(const PanelState&, int pressed_entry)>;
  PanelModel(LinkContext& links, BuildFn build, std::function<void()> push_undo);

  const PageScene& Scene() const { return scene_; }
  const PanelState& State() const { return state_; }
  // A new page, cursor or data: the state is taken and the page rebuilt; a pending entry on
  // another page is dropped.
  void SetState(const PanelState& state);
  void Rebuild();

  // Mouse, left button only; (x, y) in panel pixels.
  void Press(int x, int y, bool shift);
  void Move(int x, int y);
  PanelRequest Release(int x, int y);
  HitType DragType() const { return drag_type_; }
  // The wheel or keypad plus and minus over the active control: delta / 40 steps.
  void Wheel(int delta);
  // The control under the pointer (id 0: none), and the status line's text for the control
  // being changed or under the pointer, with its value as the page shows it now.
  int ActiveId() const { return active_ok_ ? active_.id : 0; }
  int ActiveChannel() const { return active_ok_ ? active_.channel : -1; }
  std::string StatusText() const;

  // A popup item chosen, for the request that opened it.
  void Choose(const PanelRequest& popup, int value);
  // The values selected in the routing pick list, in list order.
  void SetPickSelection(std::vector<int> values) { pick_ = std::move(values); }

  // Numeric entry.
  const NumericEntry& Entry() const { return entry_; }
  void EntryKey(char digit);
  void EntryBackspace();
  void EntryEscape();
  // Enter: commits the pending entry; a cue that moved in the sorted list is reported. A
  // timecode the title's rate does not have is refused: nothing is written and the entry stays.
  PanelRequest EntryEnter();
  // The entry as the window's keys left it.
  void SetEntry(const NumericEntry& entry) { entry_ = entry; }
  // Whether the last gesture, wheel burst, popup choice or entry changed the title.
  bool Changed() const { return step_taken_; }
  // The channel (or entry) and parameter whose change took the gesture's undo step, for its
  // name; read while push_undo runs.
  std::pair<int, int> StepChange() const { return step_change_; }

  // The EDIT switch's record: the flag drops as soon as the cursor leaves it. The list pane's
  // cursor moves come through SetState.
  void CursorMoved(int cursor);

 private:
  TQ730& List() const { return links_.Current(); }
  bool Locked() const { return List().TitleLocked(); }
  bool Writable() const;
  // The undo step of the running gesture is kept before its first change.
  void BeginStep() { step_taken_ = false; }
  void TakeStep(int channel, int id);
  // Writes through the links when the value differs; false when nothing was written.
  bool Write(int channel, int id, int value);
  void Drag(int x, int y);
  PanelRequest Act(const PageControl& c);
  void ApplyPick(const PageControl& c);
  void GroupClick(int channel, int id);
  void LinkChange(int channel, int mode);
  void SetIsolateAll(int value);
  PanelRequest ClickEntry(const PageControl& c);
  PanelRequest Commit();
  void EndWheelBurst() { wheel_id_ = 0; }
  // The control under the pointer taken again from the page as it is now.
  void Point(int x, int y);
  // Who owns the edited value: the channel, the library entry or cue, the group, "SETUP".
  std::string StatusOwner(const PageControl& c) const;

  LinkContext& links_;
  BuildFn build_;
  std::function<void()> push_undo_;
  PanelState state_;
  PageScene scene_;
  int pressed_entry_ = -1;
  bool step_taken_ = false;
  std::pair<int, int> step_change_{0, 0};

  HitType drag_type_ = HitType::kNone;
  PageControl dragged_;
  int handle_ = -1;
  bool active_ok_ = false;
  PageControl active_;
  int active_handle_ = -1;
  bool pointer_in_ = false;
  int pointer_x_ = 0;
  int pointer_y_ = 0;

  int wheel_id_ = 0;  // the control of the running wheel burst
  int wheel_channel_ = 0;
  int wheel_rest_ = 0;

  std::vector<int> pick_;
  NumericEntry entry_;
  TQ730* edit_list_ = nullptr;  // the list whose EDIT switch is on
  int edit_record_ = -1;
};

}  // namespace orb
