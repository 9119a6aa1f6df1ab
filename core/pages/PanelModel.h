// The parameter panel's editing model: mouse, wheel, popup choices, the routing pick list and
// numeric entry turned into writes of the current list. Every write goes through the channel
// links and only when the value changes; one gesture from press to release, one wheel burst on
// one control, one popup choice or one committed entry is one undo step. The widget forwards
// its events here and paints Scene().
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

// What a release, double-click or key asks of the window.
struct PanelRequest {
  // kTypeValue: an entry over the control's value box (x, y, width, height).
  enum Kind { kNone, kPopup, kOpenChannel, kCueNumberList, kCueMoved, kTypeValue };
  Kind kind = kNone;
  PopupMenu menu = Po_Knee;
  int id = 0;       // the button's parameter or page switch
  int channel = 0;  // the channel the choice writes; the channel to open; the moved cue
  int x = 0;        // the popup's place: the button's top right corner; the list's: the cell's
  int y = 0;        // top left corner
  int width = 0;
  int height = 0;
};

// The keys the panel takes while one of its controls is current.
enum class PanelKey { kUp, kDown, kPageUp, kPageDown, kHome, kEnd, kTab, kBackTab, kSpace, kEnter };

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

  // Mouse, left button only; (x, y) in panel pixels. A press changes nothing; a drag moves the
  // value with the pointer's movement since the press. shift keeps the dragged channel out of
  // its gang; fine (Ctrl) moves ten times finer.
  void Press(int x, int y, bool shift, bool fine = false);
  void Move(int x, int y, bool fine = false);
  PanelRequest Release(int x, int y);
  HitType DragType() const { return drag_type_; }
  // A double-click on a knob, fader or value box: with fine it goes back to its default (one
  // undo step), else the value is to be typed. None for other controls: a press as any other.
  std::optional<PanelRequest> DoubleClick(int x, int y, bool fine);
  // The wheel over the active control: delta / 40 steps, one a notch with fine; up raises what
  // the page shows.
  void Wheel(int delta, bool fine = false);
  // The keypad's plus and minus: the control under the pointer, else the current one; false
  // when neither takes steps.
  bool PadStep(int delta);

  // The current control: the last one clicked or tabbed to, drawn with a focus frame.
  const PageControl* Current() const;
  PanelRequest Key(PanelKey key, bool fine = false);

  // Typing a value into the control the request named; a text that cannot be read keeps the
  // entry open with the reason.
  bool Typing() const { return typing_ok_; }
  const PageControl& TypingControl() const { return typing_; }
  const std::string& TypingReason() const { return typing_reason_; }
  // True when the entry is closed: the value went to the nearest step, clamped.
  bool CommitTyping(std::string_view text);
  void CancelTyping();
  // What the control under the pointer is: its owner, parameter, value and range.
  std::string TooltipText() const;
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
  void Drag(int x, int y, bool fine);
  // Where a drag's movement counts from: this point and the values there.
  void Anchor(int x, int y, bool fine);
  // Steps on a control: a burst on one control is one undo step, as the wheel's.
  void Step(const PageControl& c, int steps);
  void StepTo(const PageControl& c, int value);
  PanelRequest StartTyping(const PageControl& c);
  int CurrentIndex() const;
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

  int anchor_x_ = 0;
  int anchor_y_ = 0;
  bool anchor_fine_ = false;
  int anchor_value_ = 0;
  int anchor_second_ = 0;  // EQ band gain; surround front and rear
  double base_x_ = 0;      // graph handles: the handle's place at the anchor
  double base_y_ = 0;

  bool current_ok_ = false;
  PageControl current_;
  bool typing_ok_ = false;
  PageControl typing_;
  std::string typing_reason_;

  int wheel_id_ = 0;  // the control of the running wheel burst
  int wheel_channel_ = 0;
  int wheel_rest_ = 0;

  std::vector<int> pick_;
  NumericEntry entry_;
  TQ730* edit_list_ = nullptr;  // the list whose EDIT switch is on
  int edit_record_ = -1;
};

}  // namespace orb
