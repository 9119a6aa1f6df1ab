#include "core/editor/TimelineEdits.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/editor/TimelineMouse.h"
#include "core/editor/TimelineNavigator.h"
#include "core/model/FaderLaw.h"
#include "core/model/ValueRead.h"
#include "core/model/ValueText.h"

namespace orb {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

// The number a value text starts with; empty for texts such as "OFF".
std::optional<double> LeadingNumber(const std::string& text) {
  const std::string_view t = Trim(text);
  if (t.empty()) return std::nullopt;
  std::string number(t);
  std::replace(number.begin(), number.end(), ',', '.');
  // The console marks 0 dB with a star.
  number.erase(std::remove(number.begin(), number.end(), '*'), number.end());
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (end == number.c_str()) return std::nullopt;
  return value;
}

// The rows of the view whose events are selected: row, then the selected events in time order.
std::vector<std::vector<int>> SelectedByRow(const TQ730AUTO& list, int view, int rows) {
  std::vector<std::vector<int>> by_row(static_cast<std::size_t>(rows));
  const EventChannels channels(list, view);
  for (int i = 0, n = list.Count(); i < n; ++i) {
    if (!list.EventSelected(i)) continue;
    channels.ForEach(list.EventWord(i), [&](int row) {
      if (row < rows && list.IsChannelSelected(row))
        by_row[static_cast<std::size_t>(row)].push_back(i);
    });
  }
  return by_row;
}

}  // namespace

std::optional<ValueAmount> ReadAmount(std::string_view text, std::string& error) {
  std::string_view t = Trim(text);
  double sign = 1;
  // A typed minus may be the typographic one.
  static constexpr std::string_view kMinus = "\xE2\x88\x92";
  if (t.substr(0, kMinus.size()) == kMinus) {
    sign = -1;
    t.remove_prefix(kMinus.size());
  } else if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
    sign = t.front() == '-' ? -1 : 1;
    t.remove_prefix(1);
  }
  t = Trim(t);
  std::string number;
  while (!t.empty() && (std::isdigit(static_cast<unsigned char>(t.front())) || t.front() == '.' ||
                        t.front() == ',')) {
    number += t.front() == ',' ? '.' : t.front();
    t.remove_prefix(1);
  }
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (number.empty() || end != number.c_str() + number.size() || !std::isfinite(value)) {
    error = "Type an amount, such as +2 dB or -10 %.";
    return std::nullopt;
  }
  ValueAmount amount;
  amount.number = sign * value;
  const std::string_view unit = Trim(t);
  amount.percent = unit == "%";
  if (!amount.percent) amount.unit = std::string(unit);
  return amount;
}

std::optional<EventEntry> TimelineEdits::Entry(int index) const {
  const TQ730AUTO& list = Automation();
  if (index < 0 || index >= list.Count()) return std::nullopt;
  const int view = session_.ViewParam();
  std::optional<EventEntry> entry;
  EventChannels(list, view).ForEach(list.EventWord(index), [&](int row) {
    const EventKey key = list.KeyOf(view, row);
    if (entry || !key.Matches(list.EventWord(index))) return;
    entry = EventEntry{index, row, FormatTC(list.EventTime(index)),
                       ValueWithUnit(view, key.Value(list.EventWord(index)))};
  });
  return entry;
}

std::optional<int> TimelineEdits::TypedValue(int row, int now, std::string_view text,
                                             std::string& error) const {
  const int view = session_.ViewParam();
  const int max = std::max(Automation().ParamMax(row, view), 0);
  // Several values may show the same text: the one the event has stays.
  if (now >= 0 && now <= max &&
      (SameValueText(Trim(text), FormatValue(view, now).value) ||
       SameValueText(Trim(text), ValueWithUnit(view, now))))
    return now;
  const ValueReading reading = ReadValue(view, text, max);
  if (!reading.Ok()) {
    error = reading.reason;
    return std::nullopt;
  }
  return reading.value;
}

std::string TimelineEdits::SetEvent(const EventEntry& entry, std::string_view time,
                                    std::string_view value) {
  if (session_.Locked()) return "The title is locked.";
  TQ730AUTO& list = Automation();
  const std::optional<EventEntry> now = Entry(entry.index);
  if (!now || now->row != entry.row) return "The event is no longer there.";
  std::string error;
  const std::optional<double> seconds = ReadTimecode(time, list.Rate(), error);
  if (!seconds) return error;
  const EventKey key = list.KeyOf(session_.ViewParam(), entry.row);
  const std::optional<int> to =
      TypedValue(entry.row, key.Value(list.EventWord(entry.index)), value, error);
  if (!to) return error;
  const int view = session_.ViewParam();
  session_.PushUndoStep(session_.StepNameOf("Type Event"));
  list.SelectEvent(entry.index);
  list.SetEditRange(view, list.RangeStart(), list.RangeEnd());
  list.DeselectAllChannels();
  list.SetChannelSelected(entry.row, true);
  // The move keeps the list in time order; the value is set after it, so no rounding of a
  // level through decibels can touch it.
  list.OffsetValues(*seconds - TCToSeconds(list.EventTime(entry.index), list.Rate()), 0);
  const int target = *to;
  list.SetSelectedValues([target](int, int) { return target; });
  session_.SetSelection(list.RangeStart(), list.RangeEnd());
  return {};
}

std::string TimelineEdits::OffsetSelection(std::string_view text) {
  if (session_.Locked()) return "The title is locked.";
  std::string error;
  const std::optional<ValueAmount> amount = ReadAmount(text, error);
  if (!amount) return error;
  TQ730AUTO& list = Automation();
  const int view = session_.ViewParam();
  const bool level = IsLevelParam(view);
  std::string unit;
  for (int v = 0; v <= 1 && unit.empty(); ++v) unit = FormatValue(view, v).unit;
  if (level) unit = "dB";
  if (!amount->percent && !amount->unit.empty() && !SameValueText(amount->unit, unit)) {
    return unit.empty() ? "This view has no unit: type a number of steps or a percentage."
                        : "This view's values are in " + unit + ".";
  }
  const int rows = std::min(session_.GetTitle().System().Count(), TQ730AUTO::kChannelFlags);
  const std::vector<std::vector<int>> by_row = SelectedByRow(list, view, rows);
  bool any = false;
  for (const auto& events : by_row) any |= !events.empty();
  if (!any) return "Select the events to change first.";

  // The values as numbers of the view's unit, to find the value nearest to an offset one. Only
  // a view whose every value reads as a number, rising with the value, is offset in its unit;
  // the others by steps.
  std::vector<double> numbers;
  int numbers_max = -1;
  auto number_table = [&](int max) {
    if (numbers_max == max) return !numbers.empty();
    numbers_max = max;
    numbers.clear();
    for (int v = 0; v <= max; ++v) {
      const std::optional<double> n = LeadingNumber(FormatValue(view, v).value);
      if (!n || (!numbers.empty() && *n < numbers.back())) {
        numbers.clear();
        break;
      }
      numbers.push_back(*n);
    }
    return !numbers.empty();
  };
  // An amount in a unit this view's values cannot be counted in is refused, not guessed.
  if (!level && !amount->percent && !amount->unit.empty()) {
    for (int row = 0; row < rows; ++row) {
      if (!by_row[static_cast<std::size_t>(row)].empty() &&
          !number_table(std::max(list.ParamMax(row, view), 0)))
        return "This view's values cannot be offset in " + amount->unit +
               ": type a number of steps or a percentage.";
    }
  }
  const double by = amount->number;
  auto offset = [&](int value, int max) {
    if (level && max == kFaderSteps - 1) return NearestFaderIndex(FaderDb(value) + by);
    if (!number_table(max)) return value + static_cast<int>(std::lround(by));
    const double wanted = numbers[static_cast<std::size_t>(std::clamp(value, 0, max))] + by;
    auto at = std::lower_bound(numbers.begin(), numbers.end(), wanted);
    if (at == numbers.end()) return max;
    if (at != numbers.begin() && wanted - *std::prev(at) < *at - wanted) --at;
    return static_cast<int>(at - numbers.begin());
  };
  session_.PushUndoStep(session_.StepNameOf("Offset Values"));
  if (amount->percent) {
    const double factor = 1 + by / 100;
    list.SetSelectedValues(
        [factor](int value, int) { return static_cast<int>(std::lround(value * factor)); });
  } else {
    list.SetSelectedValues(offset);
  }
  return {};
}

int TimelineEdits::Thin() {
  if (session_.Locked()) return 0;
  TQ730AUTO& list = Automation();
  const int view = session_.ViewParam();
  const std::vector<int> drop = list.HeldWithinAStep(view, session_.GetTitle().System().Count());
  if (drop.empty()) return 0;
  session_.PushUndoStep(session_.StepNameOf("Thin"));
  list.ClearEventSelection();
  for (const int index : drop) list.SetSelected(index, true);
  list.DeleteSelected();
  list.ClearEventSelection();
  // What stays of the selection stays selected.
  list.SelectRange(view, session_.SelectionStart(), session_.SelectionEnd());
  return static_cast<int>(drop.size());
}

StreamCost TimelineEdits::Cost() const {
  const TQ730AUTO& list = Automation();
  StreamCost cost;
  cost.title_words = list.StreamWordCount();
  cost.title_events = list.Count();
  // A time's marker goes only with the last of its events.
  int i = 0;
  const int n = list.Count();
  while (i < n) {
    const TimeCode time = list.EventTime(i);
    bool all = true;
    int j = i;
    for (; j < n && list.EventTime(j) == time; ++j) {
      if (list.EventSelected(j)) {
        ++cost.selection_words;
      } else {
        all = false;
      }
    }
    if (all) ++cost.selection_words;
    i = j;
  }
  return cost;
}

}  // namespace orb
