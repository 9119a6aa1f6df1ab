// TQ730AUTO: the automation (auto.dat), start values per channel and parameter and a
// time-ordered list of events, one 8-byte record each.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "core/model/ParamIds.h"
#include "core/model/Q730classes.h"

namespace orb {

// An event as the record list holds it: binary timecode, then the event word.
struct AutoEvent {
  TimeCode time = 0;
  std::uint32_t word = 0;
};

// A start value with its binary timecode.
struct AutoStart {
  TimeCode time = 0;
  int value = 0;
};

// The start-value timecode that means "no start value", in the file (BCD) and
// in binary form.
inline constexpr std::uint32_t kNoStartBCD = 0x99999999;
inline constexpr TimeCode kNoStartTime = 0x63636363;

// How the events of one parameter on one channel are found in the stream.
struct EventKey {
  std::uint32_t pattern = 0;
  std::uint32_t mask = 0;
  int shift = 16;  // the value lies in bits 16-31 (16) or 24-31 (24)
  bool valid = false;

  bool Matches(std::uint32_t word) const { return valid && (word & mask) == pattern; }
  int Value(std::uint32_t word) const {
    return static_cast<int>((word & ~mask & 0xFFFF0000u) >> shift);
  }
  // The event word of a value. Values are limited to 0 … 32767 (16-bit) or
  // 0 … 127 (8-bit), so that bit 31, which marks timecodes, stays clear.
  std::uint32_t Word(int value) const;
};

// Code (bits 0-7) and sub-code (bits 16-23) of a parameter's events in a channel
// group (0 input … 4 master); the mask covers them and the channel byte is left
// open. False when the parameter has no events in that group.
bool EventPattern(int param, int group, std::uint32_t& pattern, std::uint32_t& mask);

// Old consoles wrote four dynamics switches with other sub-codes and the
// opposite sense; the loader turns such words into today's form.
std::uint32_t ConvertLoadedEvent(std::uint32_t word);

class TQ730AUTO : public TQ730 {
 public:
  static constexpr int kRecordSize = 8;
  static constexpr int kTableSize = 36180;
  static constexpr int kTableEntries = 6030;
  static constexpr int kChannelFlags = 73;
  // Body bytes besides the stream: count word, start values, checksum.
  static constexpr int kFixedBodySize = 4 + kTableSize + 2;
  // The most stream words a title may hold (auto.dat of at most 1048574 bytes).
  static constexpr std::int64_t kMaxStreamWords = 253097;
  // Whether a title whose stream has this many words can be saved.
  static constexpr bool StreamSaves(std::int64_t words) { return words <= kMaxStreamWords; }

  TQ730AUTO();

  Status Assign(const TQ730& source) override;
  bool SameData(const TQ730& other) const override;
  std::uint64_t HeldBytes() const override {
    return TQ730::HeldBytes() + kTableSize + kChannelFlags;
  }
  Status Load(DataFile& file) override;
  Status Save(DataFile& file) override;
  std::uint64_t DataSize() const override;
  bool CanDo(int index, int op) const override;
  void DeleteSelected() override;
  bool IsChannelSelected(int channel) const override;
  void SetChannelSelected(int channel, bool on) override;
  int RecordNumber(int) const override { return -1; }
  // The descriptor of the parameter in the channel's strip: its range and width.
  const ParamDescriptor* FindParam(int channel, int id) const override;
  // Events carry no record number or checksum.
  void Renumber() override {}

  // Words a save writes: events, one marker per new later timecode, terminator.
  std::int64_t StreamWordCount() const;
  // In time order, with timecodes whose seconds grow with their value: halving finds a time.
  bool SearchableByTime() const;
  // Both of the above from one pass over the events, kept until the events change.
  struct StreamFacts {
    std::int64_t words = 1;
    bool searchable = true;
  };
  StreamFacts Facts() const;
  // The selected events of param on the selected channels below `rows` that the value held by
  // the last kept event of their channel already gives within one step, in index order; each
  // channel's first and last selected events stay.
  std::vector<int> HeldWithinAStep(int param, int rows) const;
  // The indexes from the first selected event to just after the last; {0, 0} when none is.
  std::pair<int, int> SelectedEventSpan() const;
  // IsSelected for the loops over every event: no virtual call.
  bool EventSelected(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < selected_.size() && selected_[index];
  }
  // The index of the first event at or after a time, in a list that is searchable by time.
  int FirstEventAt(double seconds) const;

  // The timecode and word of an event; 0 for an index out of range.
  TimeCode EventTime(int index) const { return EventField(index, 0); }
  std::uint32_t EventWord(int index) const { return EventField(index, 4); }
  // Appends an event at the end of the list; a word with bit 31 set would read
  // back as a timecode and is refused.
  bool AppendEvent(const AutoEvent& event);

  // Where the events of a parameter on a channel of the layout lie in the
  // event word; invalid when the channel's group has no events for it.
  EventKey KeyOf(int param, int channel) const;
  // 16 when the parameter's value fills bits 16-31, 24 when it is an 8-bit value.
  int ValueShift(int param, int channel) const;

  AutoStart StartValue(int param, int channel) const;
  void SetStartValue(int param, int channel, TimeCode time, int value);
  std::span<const std::uint8_t, kTableSize> StartTable() const { return table_; }
  // Byte offset of the start value of (param, channel) in the table, or -1.
  static constexpr int kStartEntrySize = 6;
  int StartOffset(int param, int channel) const;

  // Channel j takes the selected flag of channel j + offset; channels beyond either end give
  // none.
  void ShiftChannelSelection(int offset);
  // No event selected.
  void ClearEventSelection();
  int CurrentParam() const { return current_param_; }
  double RangeStart() const { return range_start_; }
  double RangeEnd() const { return range_end_; }
  // Sets the current parameter and the edit range (seconds, kept within a day
  // and put into order).
  void SetEditRange(int param, double start, double end);
  // Selects the events of param on every selected channel whose time lies in
  // [from, to) seconds; the bounds may come in either order.
  void SelectRange(int param, double from, double to);
  // Only this event selected; the edit range becomes its time.
  void SelectEvent(int index);
  // Merges new events of (param, channel) into the list. The events hold value
  // bits only and come in time order; the channel's events of param within
  // [from, to] seconds that lie before a new event are replaced.
  void WriteEvents(int param, int channel, double from, double to,
                   std::span<const AutoEvent> events, bool select, bool shift_following);
  // Removes the channel's events of param within [from, to] seconds; start values stay.
  void EraseEvents(int param, int channel, double from, double to);
  // New events of one channel, for writing several channels at once.
  struct ChannelEvents {
    int channel;
    std::span<const AutoEvent> events;
  };
  // WriteEvents of each channel in turn, without shifting. When the list and the new events are
  // in time order (as they are but after a file with disordered timecodes) one merging pass
  // does it for all channels, rather than one pass over the whole list per channel (a channel
  // named twice is written in turn).
  void WriteEvents(int param, double from, double to, std::span<const ChannelEvents> channels,
                   bool select);
  // Insert Time or Delete Time between two points in seconds, over every
  // channel and parameter, start values included.
  void ShiftTime(double from, double to, bool remove);
  // The selected events of the current parameter on the selected channels: values moved by
  // delta (whole decibels for a level), then moved in time by seconds together with the edit
  // range. They stay selected.
  void OffsetValues(double seconds, int delta);
  // The selected events of the current parameter on the selected channels take the values
  // `to` gives for their old values and the channel's maximum, kept within 0 … maximum; their
  // times and the list's order stay.
  void SetSelectedValues(const std::function<int(int value, int max)>& to);
  // Pastes the clipboard's automation at the edit-range start and moves the current
  // parameter's later events on the selected channels later by the clipboard's length.
  void InsertTimeAt(const TClip& clip);

 protected:
  // Automation holds no parameter bytes: reads answer -1 and writes do nothing.
  std::span<std::uint8_t> ParamBytes(int) override { return {}; }

 private:
  Status ReadStream(DataFile& file, std::uint32_t words);
  // One pass over the raw records.
  StreamFacts CountFacts() const;
  double Seconds(TimeCode time) const { return TCToSeconds(time, Rate()); }
  void SetEventTime(int index, TimeCode time);
  void SortByTime();
  // The start values of param on the selected channels, from their first remaining events.
  void RenewStartValues(int param);
  std::uint32_t EventField(int index, std::size_t at) const {
    const std::size_t start = static_cast<std::size_t>(index) * kRecordSize;
    return index >= 0 && start + kRecordSize <= records_.size()
               ? GetU32(records_.data() + start + at)
               : 0;
  }
  // A channel's first new event becomes its start value when it is earlier.
  void StartAt(int param, int channel, const EventKey& key, const AutoEvent& first);
  bool InTimeOrder() const;
  // In a list in time order, the index of the first event from low on at or after a timecode.
  int FirstEventFrom(int low, TimeCode time) const;

  std::array<std::uint8_t, kTableSize> table_{};
  std::array<std::uint8_t, kChannelFlags> channel_selected_{};
  int current_param_ = kParamFaderLevel;
  double range_start_ = 0;
  double range_end_ = 0;
  // Facts() as last worked out, for the records' change count they were worked out at; and
  // the count at which its time order is known, also where a change kept the order but not
  // the word count.
  mutable StreamFacts facts_;
  mutable std::uint64_t facts_at_ = ~std::uint64_t{0};
  mutable std::uint64_t order_at_ = ~std::uint64_t{0};
  // After a change that leaves a list searchable by time as it was.
  void KnownInOrder() {
    facts_.searchable = true;
    order_at_ = records_.Changes();
  }
};

// Which channels' events of one parameter an event word is: per channel group the parameter's
// code pattern, then the channel byte names the channel within the group. A word matches the
// key of channel c (TQ730AUTO::KeyOf) exactly when it names c here; no word matches the
// patterns of two groups.
class EventChannels {
 public:
  EventChannels(const TQ730AUTO& list, int param);
  template <typename F>
  void ForEach(std::uint32_t word, F f) const {
    // Only the groups whose pattern has the word's code byte can match it.
    for (unsigned groups = by_code_[word & 0xFF]; groups != 0; groups &= groups - 1) {
      const Group& group = groups_[static_cast<std::size_t>(std::countr_zero(groups))];
      if ((word & group.mask) != group.pattern) continue;
      const int c = group.first + static_cast<int>((word >> 8) & 0xFF);
      if (c < group.end) f(c);
    }
  }
  // The key bits of the group's events, channel byte included: the rest is the value.
  std::uint32_t KeyMask(int group) const {
    return group >= 0 && group < static_cast<int>(groups_.size()) ? groups_[group].mask | 0xFF00
                                                                  : 0xFF00;
  }

 private:
  struct Group {
    bool valid = false;
    std::uint32_t pattern = 0;
    std::uint32_t mask = 0;
    int first = 0;
    int end = 0;
  };
  std::array<Group, kGroupPGM + 1> groups_;
  // Per code byte, one bit for each valid group whose pattern has that code.
  std::array<std::uint8_t, 256> by_code_{};
};

}  // namespace orb
