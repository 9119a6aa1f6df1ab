#include "core/pages/PanelModel.h"

#include <algorithm>

#include "core/model/ParamModel.h"
#include "core/model/ParamNames.h"
#include "core/model/ValueText.h"

namespace orb {
namespace {

constexpr int kWheelStep = 40;
constexpr int kSurroundGroup = 6;

bool IsRouting(int id) {
  return id >= kParamInputSource && id <= kParamInsertion;
}

bool Wheelable(const PageControl& c) {
  return c.id > 0 && c.kind >= kKindKnob && c.kind <= kKindBar;
}

bool Same(const PageControl& a, const PageControl& b) {
  return a.id == b.id && a.channel == b.channel && a.kind == b.kind;
}

}  // namespace

PanelModel::PanelModel(LinkContext& links, BuildFn build, std::function<void()> push_undo)
    : links_(links), build_(std::move(build)), push_undo_(std::move(push_undo)) {
  Rebuild();
}

void PanelModel::SetState(const PanelState& state) {
  if (state.page != state_.page || state.cursor != state_.cursor) {
    // Another page or record: the wheel burst ends; a repaint of the same page keeps it.
    EndWheelBurst();
    if (state.page != state_.page) entry_ = {};
    CursorMoved(state.cursor);
  }
  state_ = state;
  Rebuild();
}

void PanelModel::Rebuild() {
  if (build_) scene_ = build_(state_, pressed_entry_);
}

bool PanelModel::Writable() const {
  const TQ730& list = List();
  if (list.TitleLocked()) return false;
  // Cue fields are always editable: the CUE page has no EDIT switch.
  return list.Kind() == TQ730::kSystem || list.Kind() == TQ730::kCue || list.EditEnabled();
}

void PanelModel::TakeStep() {
  if (step_taken_) return;
  step_taken_ = true;
  if (push_undo_) push_undo_();
}

bool PanelModel::Write(int channel, int id, int value) {
  if (!Writable()) return false;
  const int now = List().GetParam(channel, id);
  if (now < 0 || now == value) return false;
  TakeStep();
  links_.SetParamLinked(channel, id, value);
  return true;
}

// Mouse --------------------------------------------------------------------------------

void PanelModel::Press(int x, int y, bool shift) {
  links_.MouseDown(shift);
  EndWheelBurst();
  BeginStep();
  const PanelHit hit = HitTest(scene_, x, y);
  drag_type_ = hit.type;
  handle_ = hit.handle;
  active_ok_ = false;
  if (hit.control < 0) return;
  dragged_ = scene_.controls[static_cast<std::size_t>(hit.control)];
  if (dragged_.kind > 99) {
    active_ = dragged_;
    active_ok_ = true;
  }
  switch (hit.type) {
    case HitType::kButton:
      pressed_entry_ = dragged_.entry;
      break;
    case HitType::kGroupRow:
      state_.fader_group = std::clamp(dragged_.channel, 0, kFaderGroups - 1);
      drag_type_ = HitType::kNone;
      break;
    case HitType::kDynamicsHandle:
      state_.section = handle_ == 0 ? DynamicsSection::kCompDuck : DynamicsSection::kExpGate;
      break;
    default:
      break;
  }
  links_.SetDragType(static_cast<int>(drag_type_));
  Rebuild();
}

void PanelModel::Drag(int x, int y) {
  const PageControl& c = dragged_;
  switch (drag_type_) {
    case HitType::kKnobTurn:
      Write(c.channel, c.id, KnobTurnValue(c, x, y));
      break;
    case HitType::kValueDrag:
      Write(c.channel, c.id, ValueDragValue(c, x));
      break;
    case HitType::kFaderDrag:
      Write(c.channel, c.id, FaderDragValue(c, y));
      break;
    case HitType::kEqHandle: {
      const int freq_id = kParamLfFilterFreq + handle_;
      const int max = List().ParamMax(c.channel, freq_id);
      Write(c.channel, freq_id, std::clamp(EqFrequencyIndex(c.box, handle_, x), 0, std::max(max, 0)));
      if (handle_ >= 1 && handle_ <= 4)
        Write(c.channel, kParamEqLowGain + handle_ - 1, EqGainIndex(c.box, y));
      break;
    }
    case HitType::kDynamicsHandle:
      Write(c.channel, handle_ == 0 ? kParamCompDuckThreshold : kParamExpGateThreshold,
            DynamicsThresholdIndex(c.box, x));
      break;
    case HitType::kSurroundPan: {
      const PanPoint p = SurroundPanAt(c.box, x, y);
      const int lr = List().GetParam(c.channel, kParamSurroundPanLR);
      const int fr = List().GetParam(c.channel, kParamSurroundPanFR);
      if (lr < 0 || fr < 0 || (lr == p.lr && fr == p.fr) || !Writable()) break;
      // Both are written when either changed, so that followers take the whole point.
      TakeStep();
      links_.SetParamLinked(c.channel, kParamSurroundPanLR, p.lr);
      links_.SetParamLinked(c.channel, kParamSurroundPanFR, p.fr);
      break;
    }
    default:
      break;
  }
}

void PanelModel::Move(int x, int y) {
  if (drag_type_ == HitType::kButton) {
    const bool inside = HitControl(dragged_, x, y).type == HitType::kButton;
    const int pressed = inside ? dragged_.entry : -1;
    if (pressed != pressed_entry_) {
      pressed_entry_ = pressed;
      Rebuild();
    }
    return;
  }
  if (drag_type_ != HitType::kNone) {
    Drag(x, y);
    Rebuild();
    return;
  }
  const PanelHit hit = HitTest(scene_, x, y);
  const bool was = active_ok_;
  const PageControl before = active_;
  active_ok_ = hit.control >= 0;
  if (active_ok_) active_ = scene_.controls[static_cast<std::size_t>(hit.control)];
  if (was != active_ok_ || !Same(before, active_)) EndWheelBurst();
}

PanelRequest PanelModel::Release(int x, int y) {
  (void)x, (void)y;
  const HitType type = drag_type_;
  drag_type_ = HitType::kNone;
  links_.SetDragType(0);
  EndWheelBurst();
  const bool acts = type == HitType::kButton && pressed_entry_ >= 0;
  pressed_entry_ = -1;
  PanelRequest request;
  if (acts) request = Act(dragged_);
  Rebuild();
  return request;
}

void PanelModel::Wheel(int delta) {
  if (!active_ok_ || !Wheelable(active_)) return;
  if (wheel_id_ != active_.id || wheel_channel_ != active_.channel) {
    // A new burst: its own undo step, group moves measured from where the burst began.
    wheel_id_ = active_.id;
    wheel_channel_ = active_.channel;
    wheel_rest_ = 0;
    BeginStep();
    links_.MouseDown(false);
  }
  const int total = wheel_rest_ + delta;
  const int steps = total / kWheelStep;
  wheel_rest_ = total % kWheelStep;
  const int now = List().GetParam(active_.channel, active_.id);
  if (steps == 0 || now < 0) return;
  const int max = List().ParamMax(active_.channel, active_.id);
  const long long want = static_cast<long long>(now) + steps;
  if (Write(active_.channel, active_.id, static_cast<int>(std::clamp<long long>(want, 0, max))))
    Rebuild();
}

std::string PanelModel::StatusText() const {
  if (!active_ok_ || active_.id <= 0) return "";
  const TQ730& list = List();
  const TQ730* names = list.System() ? static_cast<const TQ730*>(list.System()) : &list;
  const int ch = active_.channel;
  const ValueTexts v = ValueText(list, ch, active_.id);
  std::string text = names->NumberText(ch) + " : " + names->NameText(ch) + " - " +
                     ParamName(active_.id) + " = " + v.value;
  if (!v.unit.empty()) text += " " + v.unit;
  return text;
}

// Releases --------------------------------------------------------------------------------

PanelRequest PanelModel::Act(const PageControl& c) {
  BeginStep();
  if (const auto menu = PopupOfId(c.id)) {
    const bool cue_menu = *menu == Po_Event || *menu == Po_CH;
    if (cue_menu != (state_.page == PanelPage::kCue)) return {};
    if (Locked()) return {};
    PanelRequest r{PanelRequest::kPopup, *menu, c.id, PopupSystemWide(*menu) ? 0 : c.channel};
    r.x = c.box.left + c.box.width;
    r.y = c.box.top;
    return r;
  }
  if (IsRouting(c.id) && c.kind == kKindRouting) {
    ApplyPick(c);
    return {};
  }
  if (TakesNumericEntry(c.id)) {
    if (c.id != kParamCueEventNumber) return ClickEntry(c);
    if (Locked()) return {};
    PanelRequest r{PanelRequest::kCueNumberList, Po_Knee, c.id, c.channel};
    r.x = c.box.left;
    r.y = c.box.top;
    return r;
  }
  if ((c.id == kParamFaderGroup || c.id == kParamCutGroup) && state_.page == PanelPage::kFaderGroup) {
    GroupClick(c.channel, c.id);
    return {};
  }
  if (c.id == kParamGroupType && state_.page == PanelPage::kFaderGroup) {
    // The type box steps through its three types.
    const int type = List().GetParam(c.channel, kParamGroupType);
    if (type >= 0) Write(c.channel, kParamGroupType, (type + 1) % 3);
    return {};
  }
  switch (c.id) {
    case kSwitchExpGateSection:
    case kSwitchCompDuckSection:
      state_.section = state_.section == DynamicsSection::kCompDuck ? DynamicsSection::kExpGate
                                                                     : DynamicsSection::kCompDuck;
      return {};
    case kSwitchPage: {
      const TQ730SYSF* system = List().System();
      const bool high = system && system->GroupSize(kGroupInput) <= 24;
      state_.bank = (state_.bank + 1) % 3;
      if (high && state_.bank == 1) state_.bank = 2;
      return {};
    }
    case kSwitchRoutingView:
      state_.view = state_.view == RoutingView::kOutputs ? RoutingView::kMadi : RoutingView::kOutputs;
      return {};
    case kSwitchChannel:
      return {PanelRequest::kOpenChannel, Po_Knee, c.id, c.channel};
    case kSwitchAllOn:
    case kSwitchAllOff:
      SetIsolateAll(c.id == kSwitchAllOn ? 1 : 0);
      return {};
    case kSwitchEdit: {
      TQ730& list = List();
      list.SetEditEnabled(!list.EditEnabled());
      edit_list_ = list.EditEnabled() ? &list : nullptr;
      edit_record_ = state_.cursor;
      return {};
    }
    default:
      break;
  }
  if (c.id > 0) {
    const int now = List().GetParam(c.channel, c.id);
    if (now >= 0) Write(c.channel, c.id, 1 - std::min(now, 1));
  }
  return {};
}

void PanelModel::ApplyPick(const PageControl& clicked) {
  if (!Writable() || pick_.empty()) return;
  // The clicked control and the controls of the same parameter after it, as the page lists
  // them: consecutive elements.
  std::size_t i = 0;
  while (i < scene_.controls.size() && !Same(scene_.controls[i], clicked)) ++i;
  std::size_t k = 0;
  for (; i < scene_.controls.size() && k < pick_.size(); ++i) {
    const PageControl& c = scene_.controls[i];
    if (c.id == clicked.id && c.kind == kKindRouting) Write(c.channel, c.id, pick_[k++]);
  }
}

void PanelModel::GroupClick(int channel, int id) {
  TQ730& list = List();
  const int g = state_.fader_group;
  const int type = list.GetParam(g, kParamGroupType);
  const int member = list.GetParam(channel, id);
  if (type < 0 || member < 0) return;
  if (type == 2 || id == kParamCutGroup) {
    if (type == 2) Write(channel, kParamCutGroup, list.GetParam(channel, kParamCutGroup) ? 0 : g + 1);
    return;
  }
  const int fader_group = list.GetParam(channel, kParamFaderGroup);
  if (type == 0) Write(g, kParamGroupVcaMaster, 0);
  if (fader_group > 0) {
    Write(channel, kParamFaderGroup, 0);
    return;
  }
  Write(channel, kParamFaderGroup, g + 1);
  if (type == 1) {
    const int master = list.GetParam(g, kParamGroupVcaMaster);
    if (master < 0 || list.GetParam(master, kParamFaderGroup) != g + 1)
      Write(g, kParamGroupVcaMaster, channel);
  }
}

void PanelModel::SetIsolateAll(int value) {
  TQ730& list = List();
  for (int c = 0, n = list.ChannelCount(); c < n; ++c) Write(c, kParamSnapshotIsolate, value);
}

// Popups -----------------------------------------------------------------------------------

void PanelModel::Choose(const PanelRequest& popup, int value) {
  if (popup.kind != PanelRequest::kPopup || !Writable()) return;
  EndWheelBurst();
  BeginStep();
  const int id = PopupParam(popup.menu) > 0 ? PopupParam(popup.menu) : popup.id;
  const int ch = popup.channel;
  if (popup.menu == Po_Link) {
    LinkChange(ch, value);
  } else if (popup.menu == Po_Event) {
    Write(ch, kParamCueEvent, value);
    Write(ch, kParamCueEventNumber, 0);
    Write(ch, kParamCueChannel, 255);
  } else {
    Write(ch, id, value);
  }
  Rebuild();
}

void PanelModel::LinkChange(int c, int mode) {
  TQ730& list = List();
  const int now = list.GetParam(c, kParamLinkMode);
  const int kind = list.ChannelKind(c);
  if (now < 0 || kind < 0 || now == mode) return;
  TakeStep();
  const int first_of_kind = list.FirstChannelOf(kind);
  const int group_first = first_of_kind + (c - first_of_kind) / kSurroundGroup * kSurroundGroup;
  const int kind_end = first_of_kind + (list.System() ? list.System()->GroupSize(kind) : 0);
  if (now == kSurround) {
    for (int p = group_first; p < std::min(group_first + kSurroundGroup, kind_end); p += 2)
      links_.SetParamLinked(p, kParamLinkMode, mode);
  }
  links_.SetParamLinked(c, kParamLinkMode, mode);
  // The pass keeps a surround group by the mode of its first pair: SURROUND chosen on a later
  // pair is written there too, or the pass would return the group to MONO at once.
  if (mode == kSurround && c - group_first >= 2)
    links_.SetParamLinked(group_first, kParamLinkMode, mode);
  int first = c - (c - first_of_kind) % 2, last = first + 1;
  if (mode == kSurround) first = group_first, last = group_first + kSurroundGroup - 1;
  last = std::min(last, kind_end - 1);
  if (mode > 0) links_.LinkPass(first, last);
  if (mode == kStereo && kind == kGroupAUX && list.System()) {
    const TQ730SYSF& system = *list.System();
    const int send = kParamAuxOn + c - first_of_kind;
    for (int i = 0; i < system.GroupSize(kGroupInput); ++i) {
      const int on = list.GetParam(i, send);
      if (on >= 0) links_.SetParamLinked(i, send, on);
    }
  }
}

// Numeric entry ---------------------------------------------------------------------------

PanelRequest PanelModel::ClickEntry(const PageControl& c) {
  if (entry_.id == c.id && entry_.channel == c.channel) return Commit();
  entry_ = {};
  if (Locked()) return {};
  const int value = List().GetParam(c.channel, c.id);
  if (value < 0) return {};
  entry_ = {c.id, c.channel, EntryStartText(c.id, value)};
  return {};
}

void PanelModel::EntryKey(char digit) {
  EntryDigit(entry_, digit);
  Rebuild();
}

void PanelModel::EntryBackspace() {
  orb::EntryBackspace(entry_);
  Rebuild();
}

void PanelModel::EntryEscape() {
  entry_ = {};
  Rebuild();
}

PanelRequest PanelModel::EntryEnter() {
  EndWheelBurst();
  BeginStep();
  const PanelRequest r = Commit();
  Rebuild();
  return r;
}

PanelRequest PanelModel::Commit() {
  const NumericEntry entry = entry_;
  if (!entry.Pending()) return {};
  const TQ730SYSF* system = List().System();
  const int tc_mode = system ? system->TimecodeMode() : 0;
  // A time the title's rate does not have is not stored as some other time: the entry stays
  // as typed, to be mended or dropped with Esc.
  if (!EntryAccepted(entry, tc_mode)) return {};
  entry_ = {};
  const int value = EntryValue(entry, tc_mode);
  if (!Write(entry.channel, entry.id, value) || entry.id != kParamCueTime) return {};
  // The cue list sorted itself by time; its current record is the cue just written.
  return {PanelRequest::kCueMoved, Po_Knee, entry.id, List().CurrentRecord()};
}

void PanelModel::CursorMoved(int cursor) {
  if (!edit_list_ || cursor == edit_record_) return;
  edit_list_->SetEditEnabled(false);
  edit_list_ = nullptr;
}

}  // namespace orb
