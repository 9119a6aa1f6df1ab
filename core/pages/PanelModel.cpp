#include "core/pages/PanelModel.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "core/model/DataFile.h"
#include "core/model/ParamModel.h"
#include "core/model/ParamNames.h"
#include "core/model/Q730.h"
#include "core/model/Q730snap.h"
#include "core/model/ValueRead.h"
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

// What Tab stops at: every control that acts, but the graphs, whose values have their knobs.
bool Focusable(const PageControl& c) {
  return !DisplayOnly(c) && !IsGraph(c.kind);
}

// The graph handle's place on its graph.
PagePoint HandlePlace(const PageControl& graph, int section, int x, int y) {
  for (const GraphHandle& h : graph.graph.handles) {
    if (h.section == section) return {h.x, h.y};
  }
  return {x, y};
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
    if (state.page != state_.page) {
      entry_ = {};
      current_ok_ = false;
      typing_ok_ = false;
    }
    CursorMoved(state.cursor);
  }
  state_ = state;
  Rebuild();
}

void PanelModel::Rebuild() {
  if (build_) scene_ = build_(state_, pressed_entry_);
  if (const int i = CurrentIndex(); i >= 0)
    scene_.controls[static_cast<std::size_t>(i)].focused = true;
  // Another record or a changed page may put another control under the pointer.
  if (drag_type_ == HitType::kNone && pointer_in_) {
    const PanelHit hit = HitTest(scene_, pointer_x_, pointer_y_);
    active_ok_ = hit.control >= 0;
    if (active_ok_) active_ = scene_.controls[static_cast<std::size_t>(hit.control)];
    active_handle_ = hit.handle;
  }
}

void PanelModel::Point(int x, int y) {
  pointer_in_ = true;
  pointer_x_ = x;
  pointer_y_ = y;
}

bool PanelModel::Writable() const {
  const TQ730& list = List();
  if (list.TitleLocked()) return false;
  // Cue fields are always editable: the CUE page has no EDIT switch.
  return list.Kind() == TQ730::kSystem || list.Kind() == TQ730::kCue || list.EditEnabled();
}

void PanelModel::TakeStep(int channel, int id) {
  if (step_taken_) return;
  step_taken_ = true;
  step_change_ = {channel, id};
  if (push_undo_) push_undo_();
}

bool PanelModel::Write(int channel, int id, int value) {
  if (!Writable()) return false;
  const int now = List().GetParam(channel, id);
  if (now < 0 || now == value) return false;
  TakeStep(channel, id);
  links_.SetParamLinked(channel, id, value);
  return true;
}

// Mouse --------------------------------------------------------------------------------

void PanelModel::Press(int x, int y, bool shift, bool fine) {
  links_.MouseDown(shift);
  EndWheelBurst();
  BeginStep();
  Point(x, y);
  const PanelHit hit = HitTest(scene_, x, y);
  drag_type_ = hit.type;
  handle_ = hit.handle;
  active_ok_ = false;
  if (hit.control < 0) return;
  dragged_ = scene_.controls[static_cast<std::size_t>(hit.control)];
  if (Focusable(dragged_)) {
    current_ = dragged_;
    current_ok_ = true;
  }
  // Graph handles keep their offset from the pointer: the drag counts from the handle's place.
  const PagePoint base = hit.type == HitType::kEqHandle || hit.type == HitType::kDynamicsHandle
                             ? HandlePlace(dragged_, handle_, x, y)
                             : PagePoint{x, y};
  base_x_ = base.x;
  base_y_ = base.y;
  anchor_x_ = x;
  anchor_y_ = y;
  anchor_fine_ = fine;
  Anchor(x, y, fine);
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

namespace {

int EqGainId(int handle) {
  return handle >= 1 && handle <= 4 ? kParamEqLowGain + handle - 1 : 0;
}

int ThresholdId(int handle) {
  return handle == 0 ? kParamCompDuckThreshold : kParamExpGateThreshold;
}

}  // namespace

void PanelModel::Anchor(int x, int y, bool fine) {
  // The handle's place so far stays where it is: only the movement from here on is scaled anew.
  const double scale = anchor_fine_ ? 1.0 / kFineDivisor : 1.0;
  if (drag_type_ != HitType::kNone && (x != anchor_x_ || y != anchor_y_) && fine != anchor_fine_) {
    base_x_ += (x - anchor_x_) * scale;
    base_y_ += (y - anchor_y_) * scale;
  }
  anchor_x_ = x;
  anchor_y_ = y;
  anchor_fine_ = fine;
  const PageControl& c = dragged_;
  const TQ730& list = List();
  switch (drag_type_) {
    case HitType::kEqHandle:
      anchor_value_ = list.GetParam(c.channel, kParamLfFilterFreq + handle_);
      anchor_second_ = EqGainId(handle_) ? list.GetParam(c.channel, EqGainId(handle_)) : 0;
      break;
    case HitType::kDynamicsHandle:
      anchor_value_ = list.GetParam(c.channel, ThresholdId(handle_));
      break;
    case HitType::kSurroundPan:
      anchor_value_ = list.GetParam(c.channel, kParamSurroundPanLR);
      anchor_second_ = list.GetParam(c.channel, kParamSurroundPanFR);
      break;
    default:
      anchor_value_ = c.id > 0 ? list.GetParam(c.channel, c.id) : -1;
      break;
  }
}

void PanelModel::Drag(int x, int y, bool fine) {
  if (fine != anchor_fine_) Anchor(x, y, fine);
  const PageControl& c = dragged_;
  if (anchor_value_ < 0) return;
  const double scale = fine ? 1.0 / kFineDivisor : 1.0;
  // The handle's place now and at the anchor; a graph's value moves by the difference of the
  // two, so that the press itself never changes it.
  const int bx = static_cast<int>(std::lround(base_x_)),
            by = static_cast<int>(std::lround(base_y_));
  const int hx = static_cast<int>(std::lround(base_x_ + (x - anchor_x_) * scale));
  const int hy = static_cast<int>(std::lround(base_y_ + (y - anchor_y_) * scale));
  const auto moved = [this, &c](int id, int start, int delta) {
    const int max = List().ParamMax(c.channel, id);
    return std::clamp(start + delta, 0, std::max(max, 0));
  };
  switch (drag_type_) {
    case HitType::kKnobTurn:
    case HitType::kValueDrag:
    case HitType::kFaderDrag:
      Write(c.channel, c.id,
            DraggedValue(c, drag_type_, anchor_value_, x - anchor_x_, y - anchor_y_, fine,
                         ShownValueFalls(c.id)));
      break;
    case HitType::kEqHandle: {
      const int freq_id = kParamLfFilterFreq + handle_;
      Write(c.channel, freq_id,
            moved(freq_id, anchor_value_,
                  EqFrequencyIndex(c.box, handle_, hx) - EqFrequencyIndex(c.box, handle_, bx)));
      if (const int gain_id = EqGainId(handle_); gain_id && anchor_second_ >= 0)
        Write(c.channel, gain_id,
              moved(gain_id, anchor_second_, EqGainIndex(c.box, hy) - EqGainIndex(c.box, by)));
      break;
    }
    case HitType::kDynamicsHandle:
      Write(c.channel, ThresholdId(handle_),
            moved(ThresholdId(handle_), anchor_value_,
                  DynamicsThresholdIndex(c.box, hx) - DynamicsThresholdIndex(c.box, bx)));
      break;
    case HitType::kSurroundPan: {
      const PanPoint from = SurroundPanAt(c.box, bx, by), to = SurroundPanAt(c.box, hx, hy);
      const PanPoint p{moved(kParamSurroundPanLR, anchor_value_, to.lr - from.lr),
                       moved(kParamSurroundPanFR, anchor_second_, to.fr - from.fr)};
      const int lr = List().GetParam(c.channel, kParamSurroundPanLR);
      const int fr = List().GetParam(c.channel, kParamSurroundPanFR);
      if (lr < 0 || fr < 0 || (lr == p.lr && fr == p.fr) || !Writable()) break;
      // Both are written when either changed, so that followers take the whole point.
      TakeStep(c.channel, kParamSurroundPanLR);
      links_.SetParamLinked(c.channel, kParamSurroundPanLR, p.lr);
      links_.SetParamLinked(c.channel, kParamSurroundPanFR, p.fr);
      break;
    }
    default:
      break;
  }
}

void PanelModel::Move(int x, int y, bool fine) {
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
    Drag(x, y, fine);
    Rebuild();
    return;
  }
  Point(x, y);
  const PanelHit hit = HitTest(scene_, x, y);
  const bool was = active_ok_;
  const PageControl before = active_;
  active_ok_ = hit.control >= 0;
  if (active_ok_) active_ = scene_.controls[static_cast<std::size_t>(hit.control)];
  active_handle_ = hit.handle;
  if (was != active_ok_ || !Same(before, active_)) EndWheelBurst();
}

PanelRequest PanelModel::Release(int x, int y) {
  Point(x, y);
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

void PanelModel::Step(const PageControl& c, int steps) {
  if (wheel_id_ != c.id || wheel_channel_ != c.channel) {
    // A new burst: its own undo step, group moves measured from where the burst began.
    wheel_id_ = c.id;
    wheel_channel_ = c.channel;
    wheel_rest_ = 0;
    BeginStep();
    links_.MouseDown(false);
  }
  const int now = List().GetParam(c.channel, c.id);
  if (steps == 0 || now < 0) return;
  const long long want = static_cast<long long>(now) + (ShownValueFalls(c.id) ? -steps : steps);
  StepTo(c, static_cast<int>(std::clamp<long long>(want, 0, INT_MAX)));
}

void PanelModel::StepTo(const PageControl& c, int value) {
  const int max = List().ParamMax(c.channel, c.id);
  if (max >= 0 && Write(c.channel, c.id, std::clamp(value, 0, max))) Rebuild();
}

void PanelModel::Wheel(int delta, bool fine) {
  if (!active_ok_ || !Wheelable(active_)) return;
  const PageControl c = active_;
  if (wheel_id_ != c.id || wheel_channel_ != c.channel) Step(c, 0);
  // A notch is 120: three steps, or one with the fine modifier.
  const int per_step = fine ? 3 * kWheelStep : kWheelStep;
  const int total = wheel_rest_ + delta;
  wheel_rest_ = total % per_step;
  Step(c, total / per_step);
}

bool PanelModel::PadStep(int delta) {
  const PageControl* target = active_ok_ && Wheelable(active_) ? &active_ : nullptr;
  if (!target && Current() && Wheelable(*Current())) target = Current();
  if (!target) return false;
  const PageControl c = *target;
  Step(c, delta / kWheelStep);
  return true;
}

// Keyboard ---------------------------------------------------------------------------------

int PanelModel::CurrentIndex() const {
  if (!current_ok_) return -1;
  // The same control, else the same place of the page on the record the cursor went to.
  int same_place = -1;
  for (std::size_t i = 0; i < scene_.controls.size(); ++i) {
    const PageControl& c = scene_.controls[i];
    if (c.entry != current_.entry || c.id != current_.id || c.kind != current_.kind) continue;
    if (c.channel == current_.channel) return static_cast<int>(i);
    if (same_place < 0) same_place = static_cast<int>(i);
  }
  return same_place;
}

const PageControl* PanelModel::Current() const {
  const int i = CurrentIndex();
  return i < 0 ? nullptr : &scene_.controls[static_cast<std::size_t>(i)];
}

namespace {

// The page's controls that Tab stops at, in reading order: rows from the top, each from the
// left; a row is a band of the page's height that the control's middle falls into.
std::vector<int> ReadingOrder(const PageScene& scene) {
  constexpr int kRowBand = 24;
  std::vector<int> order;
  for (std::size_t i = 0; i < scene.controls.size(); ++i) {
    if (Focusable(scene.controls[i])) order.push_back(static_cast<int>(i));
  }
  const auto key = [&scene](int i) {
    const PageRect& b = scene.controls[static_cast<std::size_t>(i)].box;
    return std::pair{(b.top + b.height / 2) / kRowBand, b.left};
  };
  std::stable_sort(order.begin(), order.end(), [&key](int a, int b) { return key(a) < key(b); });
  return order;
}

}  // namespace

PanelRequest PanelModel::Key(PanelKey key, bool fine) {
  if (key == PanelKey::kTab || key == PanelKey::kBackTab) {
    const std::vector<int> order = ReadingOrder(scene_);
    if (order.empty()) return {};
    const auto at = std::find(order.begin(), order.end(), CurrentIndex());
    const int n = static_cast<int>(order.size());
    int next = key == PanelKey::kTab ? 0 : n - 1;
    if (at != order.end())
      next = (static_cast<int>(at - order.begin()) + (key == PanelKey::kTab ? 1 : n - 1)) % n;
    current_ = scene_.controls[static_cast<std::size_t>(order[static_cast<std::size_t>(next)])];
    current_ok_ = true;
    EndWheelBurst();
    Rebuild();
    return {};
  }
  const PageControl* current = Current();
  if (!current) return {};
  const PageControl c = *current;
  const int ten = 10;
  if (Wheelable(c)) {
    const int max = List().ParamMax(c.channel, c.id);
    const bool falls = ShownValueFalls(c.id);
    switch (key) {
      case PanelKey::kUp:
      case PanelKey::kDown:
        Step(c, key == PanelKey::kUp ? 1 : -1);
        return {};
      case PanelKey::kPageUp:
      case PanelKey::kPageDown:
        Step(c, (key == PanelKey::kPageUp ? 1 : -1) * (fine ? 1 : ten));
        return {};
      case PanelKey::kHome:
      case PanelKey::kEnd:
        if (wheel_id_ != c.id || wheel_channel_ != c.channel) Step(c, 0);
        StepTo(c, (key == PanelKey::kEnd) != falls ? max : 0);
        return {};
      case PanelKey::kEnter:
        return StartTyping(c);
      default:
        return {};
    }
  }
  if (key == PanelKey::kEnter && PopupOfId(c.id) && !TakesNumericEntry(c.id)) return StartTyping(c);
  if (key != PanelKey::kSpace && !(key == PanelKey::kEnter && TakesNumericEntry(c.id))) return {};
  EndWheelBurst();
  PanelRequest r;
  if (c.kind == kKindGroupRow) {
    state_.fader_group = std::clamp(c.channel, 0, kFaderGroups - 1);
  } else {
    links_.MouseDown(false);
    r = Act(c);
  }
  Rebuild();
  return r;
}

// Typing a value --------------------------------------------------------------------------

std::optional<PanelRequest> PanelModel::DoubleClick(int x, int y, bool fine) {
  const PanelHit hit = HitTest(scene_, x, y);
  if (hit.control < 0) return std::nullopt;
  const PageControl c = scene_.controls[static_cast<std::size_t>(hit.control)];
  if (!Wheelable(c)) return std::nullopt;
  drag_type_ = HitType::kNone;
  links_.SetDragType(0);
  current_ = c;
  current_ok_ = true;
  if (!fine) return StartTyping(c);
  // Back to what Zero gives.
  EndWheelBurst();
  BeginStep();
  links_.MouseDown(false);
  Write(c.channel, c.id, List().ParamDefault(c.channel, c.id));
  Rebuild();
  return PanelRequest{};
}

PanelRequest PanelModel::StartTyping(const PageControl& c) {
  typing_ok_ = false;
  if (!Writable()) return {};
  typing_ok_ = true;
  typing_ = c;
  typing_reason_.clear();
  PanelRequest r{PanelRequest::kTypeValue, Po_Knee, c.id, c.channel, c.box.left, c.box.top};
  r.width = c.box.width;
  r.height = c.box.height;
  return r;
}

namespace {

// The value of the menu's item whose text is the text; -1 when none.
int PopupValueOf(PopupMenu menu, const TQ730SYSF& system, int channel, std::string_view text) {
  int found = -1;
  const std::function<void(const std::vector<PopupItem>&)> search =
      [&](const std::vector<PopupItem>& items) {
        for (const PopupItem& item : items) {
          if (found >= 0) return;
          if (!item.items.empty()) {
            search(item.items);
          } else if (item.enabled &&
                     SameValueText(PopupValueText(menu, system, channel, item.value), text)) {
            found = item.value;
          }
        }
      };
  search(PopupItems(menu, system, channel));
  return found;
}

}  // namespace

bool PanelModel::CommitTyping(std::string_view text) {
  if (!typing_ok_) return true;
  const PageControl c = typing_;
  const auto menu = PopupOfId(c.id);
  const TQ730SYSF* system = List().System();
  EndWheelBurst();
  if (menu && system) {
    const int channel = PopupSystemWide(*menu) ? 0 : c.channel;
    const int value = PopupValueOf(*menu, *system, channel, text);
    if (value < 0) {
      typing_reason_ = "Type an item of the menu.";
      return false;
    }
    typing_ok_ = false;
    typing_reason_.clear();
    Choose({PanelRequest::kPopup, *menu, c.id, channel}, value);
    return true;
  }
  const ValueReading read = ReadValueText(List(), c.channel, c.id, text);
  if (!read.Ok()) {
    typing_reason_ = read.reason;
    return false;
  }
  typing_ok_ = false;
  typing_reason_.clear();
  BeginStep();
  links_.MouseDown(false);
  Write(c.channel, c.id, read.value);
  Rebuild();
  return true;
}

void PanelModel::CancelTyping() {
  typing_ok_ = false;
  typing_reason_.clear();
}

namespace {

// A surround coordinate from its centre 63: "L12", "00", "12R" (front and rear likewise).
std::string Side(int value, char low, char high) {
  const int d = std::abs(value - 63);
  const std::string digits =
      std::string(1, static_cast<char>('0' + d / 10 % 10)) + static_cast<char>('0' + d % 10);
  if (value < 63) return low + digits;
  return value > 63 ? digits + high : digits;
}

struct StatusItem {
  std::string name;
  std::string value;
};

// What the status line says of a control, as the current page shows it: the value text of a
// knob or fader, the item text of a popup, ON or OFF of a switch, the band or threshold of a
// graph handle, else the text the control shows.
StatusItem StatusOf(const TQ730& list, const PageControl& c, int handle) {
  const int ch = c.channel;
  const auto name = [](int id) { return std::string(ParamName(id)); };
  switch (c.kind) {
    case kKindEqGraph: {
      if (handle < 0 || handle > 5) return {};
      const int freq = kParamLfFilterFreq + handle;
      std::string value = ValueAndUnit(ValueText(list, ch, freq));
      if (handle >= 1 && handle <= 4)
        value += "  " + ValueAndUnit(ValueText(list, ch, kParamEqLowGain + handle - 1));
      return {name(freq), value};
    }
    case kKindDynamicsGraph: {
      const int id = handle == 1 ? kParamExpGateThreshold : kParamCompDuckThreshold;
      return {name(id), ValueAndUnit(ValueText(list, ch, id))};
    }
    case kKindSurroundGraph: {
      const int lr = list.GetParam(ch, kParamSurroundPanLR);
      const int fr = list.GetParam(ch, kParamSurroundPanFR);
      if (lr < 0 || fr < 0) return {};
      return {"Surround Pan", "LR " + Side(lr, 'L', 'R') + "  FR " + Side(fr, 'F', 'R')};
    }
    default:
      break;
  }
  const auto menu = PopupOfId(c.id);
  const int id = c.id < 0 && menu ? PopupParam(*menu) : c.id;
  if (id <= 0) return {};
  StatusItem item{name(id), ""};
  if (menu && list.System()) item.value = PopupValueText(*menu, *list.System(), ch, c.value);
  if (item.value.empty() && !c.value_text.value.empty()) item.value = ValueAndUnit(c.value_text);
  if (item.value.empty() && list.ParamMax(ch, id) == 1) item.value = c.value >= 1 ? "ON" : "OFF";
  if (item.value.empty()) {
    item.value = c.face;
    std::replace(item.value.begin(), item.value.end(), '\n', ' ');
  }
  return item;
}

}  // namespace

std::string PanelModel::StatusText() const {
  // The control being changed, else the one under the pointer, as the page shows it now.
  const PageControl* c = active_ok_ ? &active_ : nullptr;
  int handle = active_handle_;
  if (drag_type_ != HitType::kNone) {
    c = nullptr;
    handle = handle_;
    for (const PageControl& control : scene_.controls) {
      if (Same(control, dragged_)) c = &control;
    }
  }
  if (!c) return "";
  const TQ730& list = List();
  const StatusItem item = StatusOf(list, *c, handle);
  if (item.name.empty()) return "";
  return StatusOwner(*c) + " - " + item.name + " = " + item.value;
}

namespace {

// A value as a tooltip says it: a plus on positive levels, the typographic minus.
std::string Signed(std::string text, const std::string& unit) {
  text.erase(0, text.find_first_not_of(' '));
  text.erase(text.find_last_not_of(' ') + 1);
  if (text.empty()) return text;
  if (text[0] == '-') return "\xE2\x88\x92" + text.substr(1);
  const bool zero = text.find_first_not_of("0.*") == std::string::npos;
  if (unit == "dB" && text[0] >= '0' && text[0] <= '9' && !zero) return "+" + text;
  return text;
}

}  // namespace

std::string PanelModel::TooltipText() const {
  if (!active_ok_ || drag_type_ != HitType::kNone) return "";
  const PageControl* c = nullptr;
  for (const PageControl& control : scene_.controls) {
    if (!c && Same(control, active_)) c = &control;
  }
  if (!c) return "";
  const TQ730& list = List();
  const StatusItem item = StatusOf(list, *c, active_handle_);
  if (item.name.empty()) return "";
  std::string owner = StatusOwner(*c);
  if (const auto colon = owner.find(" : "); colon != std::string::npos)
    owner.replace(colon, 3, " ");
  std::string text = owner + " \xC2\xB7 " + item.name + ": ";
  const ValueTexts shown = c->value_text;
  if (!Wheelable(*c) || shown.value.empty()) return text + item.value;
  const std::string unit = shown.unit.substr(0, shown.unit.find_last_not_of(' ') + 1);
  text += Signed(shown.value, unit) + (unit.empty() ? "" : " " + unit);
  // The range from its lowest to its highest shown value.
  const int max = list.ParamMax(c->channel, c->id);
  const ValueContext context = ValueContextOf(list, c->channel, c->id);
  const bool falls = ShownValueFalls(c->id);
  const ValueTexts low = FormatValue(c->id, falls ? max : 0, context);
  const ValueTexts high = FormatValue(c->id, falls ? 0 : max, context);
  if (low.value.empty() || high.value.empty()) return text;
  return text + " (" + Signed(low.value, unit) + " \xE2\x80\xA6 " + Signed(high.value, unit) + ")";
}

std::string PanelModel::StatusOwner(const PageControl& c) const {
  const TQ730& list = List();
  const auto menu = PopupOfId(c.id);
  if (state_.page == PanelPage::kSetup || (menu && PopupSystemWide(*menu))) return "SETUP";
  if (state_.page == PanelPage::kFaderGroup && (c.id == kParamGroupType || c.id == kParamGroupOn))
    return LabelText(11, c.channel);
  const auto record = [&list, &c](const char* kind) {
    return std::string(kind) + " #" + ZeroPad(c.channel + 1, 2) + " " + list.NameText(c.channel);
  };
  switch (list.Kind()) {
    case TQ730::kDynLib:
      return record("DYN LIB");
    case TQ730::kEqLib:
      return record("EQ LIB");
    case TQ730::kCue:
      return record("CUE");
    default:
      break;
  }
  const TQ730* names = list.System() ? static_cast<const TQ730*>(list.System()) : &list;
  return names->NumberText(c.channel) + " : " + names->NameText(c.channel);
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
  if ((c.id == kParamFaderGroup || c.id == kParamCutGroup) &&
      state_.page == PanelPage::kFaderGroup) {
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
      state_.view =
          state_.view == RoutingView::kOutputs ? RoutingView::kMadi : RoutingView::kOutputs;
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
    if (type == 2)
      Write(channel, kParamCutGroup, list.GetParam(channel, kParamCutGroup) ? 0 : g + 1);
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

namespace {

// The link change itself, on the context's current list: the caller has checked the pair and
// capped the mode to what the pair can hold.
void RunLinkChange(LinkContext& links, int c, int mode) {
  TQ730& list = links.Current();
  const int now = list.GetParam(c, kParamLinkMode);
  const int kind = list.ChannelKind(c);
  const int first_of_kind = list.FirstChannelOf(kind);
  const int group_first = first_of_kind + (c - first_of_kind) / kSurroundGroup * kSurroundGroup;
  const int kind_end = first_of_kind + links.System().GroupSize(kind);
  if (now == kSurround) {
    for (int p = group_first; p < std::min(group_first + kSurroundGroup, kind_end); p += 2)
      links.SetParamLinked(p, kParamLinkMode, mode);
  }
  links.SetParamLinked(c, kParamLinkMode, mode);
  // The pass keeps a surround group by the mode of its first pair: SURROUND chosen on a later
  // pair is written there too, or the pass would return the group to MONO at once.
  if (mode == kSurround && c - group_first >= 2)
    links.SetParamLinked(group_first, kParamLinkMode, mode);
  int first = c - (c - first_of_kind) % 2, last = first + 1;
  if (mode == kSurround) first = group_first, last = group_first + kSurroundGroup - 1;
  last = std::min(last, kind_end - 1);
  if (mode > 0) links.LinkPass(first, last);
  if (mode == kStereo && kind == kGroupAUX) {
    const TQ730SYSF& system = links.System();
    const int send = kParamAuxOn + c - first_of_kind;
    for (int i = 0; i < system.GroupSize(kGroupInput); ++i) {
      const int on = list.GetParam(i, send);
      if (on >= 0) links.SetParamLinked(i, send, on);
    }
  }
}

std::vector<std::uint8_t> SavedBytes(TQ730SYSF& system, TQ730* snapshots) {
  MemoryFile file;
  system.Save(file);
  system.SaveGroupFaders(file);
  if (snapshots) snapshots->Save(file);
  return file.Bytes();
}

// Whether the link change would change a byte, tried on copies of the lists it writes: the
// system data and, when they are current, the snapshots.
bool LinkChangeWrites(LinkContext& links, int c, int mode) {
  TQ730& current = links.Current();
  auto* snapshots = dynamic_cast<TQ730SNAP*>(&current);
  if (!snapshots && &current != &links.System()) return true;
  TQ730SYSF before, system;
  before.Assign(links.System());
  system.Assign(links.System());
  TQ730SNAP snaps_before, snaps;
  if (snapshots) {
    for (TQ730SNAP* copy : {&snaps_before, &snaps}) {
      copy->Assign(*snapshots);
      copy->SetCurrentRecord(snapshots->CurrentRecord());
    }
    snaps_before.SetSystem(&before);
    snaps.SetSystem(&system);
  }
  LinkContext trial(system);
  trial.SetModifiedSink([] {});
  if (snapshots) trial.SetCurrent(snaps);
  trial.MouseDown(links.ShiftHeld());
  RunLinkChange(trial, c, mode);
  return SavedBytes(system, snapshots ? &snaps : nullptr) !=
         SavedBytes(before, snapshots ? &snaps_before : nullptr);
}

}  // namespace

void PanelModel::LinkChange(int c, int mode) {
  TQ730& list = List();
  const TQ730SYSF* system = list.System();
  if (!system || list.GetParam(c, kParamLinkMode) < 0 || list.ChannelKind(c) < 0) return;
  // Bus pairs hold at most STEREO, and a surround group only where its six channels exist.
  mode = std::min(mode, LinkModeMax(*system, c));
  if (mode < 0) return;
  // The same mode again re-syncs the pair: an undo step only when that changes something.
  if (list.GetParam(c, kParamLinkMode) == mode && !LinkChangeWrites(links_, c, mode)) return;
  TakeStep(c, kParamLinkMode);
  RunLinkChange(links_, c, mode);
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
