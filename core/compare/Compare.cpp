#include "core/compare/Compare.h"

#include <algorithm>
#include <cctype>
#include <array>
#include <cstdio>
#include <map>
#include <span>
#include <utility>

#include "core/model/ParamModel.h"
#include "core/model/ParamNames.h"
#include "core/model/ValueText.h"

namespace orb {
namespace {

using Bytes = std::span<const std::uint8_t>;

// Title information inside the system block.
constexpr int kInfoLock = 5;
constexpr int kInfoRenewedFirst = 6;  // name (follows the file name), size, save date
constexpr int kInfoCue = 36;
constexpr int kInfoTcMode = 40;
constexpr int kInfoFs = 41;
constexpr int kInfoMemo = 42;

// The record number and checksum at the end of every record.
constexpr int kRenewedTail = 4;

std::string Joined(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  return second.empty() ? first : first + " " + second;
}

// The pages pad value texts to their field; a line reads better without.
std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Texts(const ValueTexts& texts, int value) {
  const std::string shown = Trimmed(texts.value);
  return shown.empty() ? std::to_string(value) : Joined(shown, Trimmed(texts.unit));
}

// A switch has no value text of its own; its key lights on or off.
std::string ParamText(const TQ730& list, int channel, int id, int value) {
  const ValueTexts texts = ValueText(list, channel, id);
  if (Trimmed(texts.value).empty() && list.ParamMax(channel, id) == 1 && value >= 0)
    return value ? "ON" : "OFF";
  return Texts(texts, value);
}

std::string ChannelLabel(const TQ730SYSF& system, int channel) {
  return Joined(system.NumberText(channel), system.NameText(channel));
}

std::string RecordLabel(const TQ730& list, int index) {
  return Joined("#" + std::to_string(index + 1), list.NameText(index));
}

// Which bytes of a record or block a reported difference already names.
class Marks {
 public:
  explicit Marks(Bytes whole) : whole_(whole), named_(whole.size(), false) {}
  void Mark(std::size_t at, std::size_t n) {
    for (std::size_t i = at; i < at + n && i < named_.size(); ++i) named_[i] = true;
  }
  void Mark(Bytes field) {
    if (field.empty() || field.data() < whole_.data() ||
        field.data() >= whole_.data() + whole_.size())
      return;
    Mark(static_cast<std::size_t>(field.data() - whole_.data()), field.size());
  }
  bool Named(std::size_t at) const { return at < named_.size() && named_[at]; }

 private:
  Bytes whole_;
  std::vector<bool> named_;
};

class Collector {
 public:
  explicit Collector(std::vector<Difference>& out) : out_(out) {}
  void Begin(CompareList list, std::string record = {}, int record_index = -1) {
    list_ = list;
    record_ = std::move(record);
    record_index_ = record_index;
    channel_index_ = -1;
  }
  // The channel the following differences belong to; -1 for none.
  void At(int channel) { channel_index_ = channel; }
  void Add(std::string channel, std::string param, std::string a, std::string b) {
    Push(std::move(channel), std::move(param), std::move(a), std::move(b), {});
  }
  void Note(std::string channel, std::string param, std::string note) {
    Push(std::move(channel), std::move(param), {}, {}, std::move(note));
  }
  // Each run of differing bytes in [from, to) that nothing named, by offset.
  void UnnamedBytes(Bytes a, Bytes b, const Marks& marks, std::size_t from, std::size_t to) {
    to = std::min({to, a.size(), b.size()});
    for (std::size_t i = from; i < to;) {
      if (a[i] == b[i] || marks.Named(i)) {
        ++i;
        continue;
      }
      std::size_t end = i + 1;
      while (end < to && a[end] != b[end] && !marks.Named(end)) ++end;
      const std::size_t shown = std::min<std::size_t>(end - i, 8);
      const std::string more = end - i > shown ? "…" : "";
      Add({},
          end - i == 1 ? "byte " + std::to_string(i)
                       : "bytes " + std::to_string(i) + "-" + std::to_string(end - 1),
          HexBytes(a.data() + i, shown) + more, HexBytes(b.data() + i, shown) + more);
      i = end;
    }
  }

 private:
  void Push(std::string channel, std::string param, std::string a, std::string b,
            std::string note) {
    Difference& d = out_.emplace_back();
    d.list = list_;
    d.record = record_;
    d.channel = std::move(channel);
    d.param = std::move(param);
    d.a = std::move(a);
    d.b = std::move(b);
    d.note = std::move(note);
    d.record_index = record_index_;
    d.channel_index = channel_index_;
  }

  std::vector<Difference>& out_;
  CompareList list_ = CompareList::kSystem;
  std::string record_;
  int record_index_ = -1;
  int channel_index_ = -1;
};

// The parameters of one channel (or library entry, or cue) of two lists.
void CompareParams(Collector& out, Marks& marks, const TQ730& a, const TQ730& b, int channel,
                   const std::string& label, const std::vector<int>& ids) {
  out.At(label.empty() ? -1 : channel);
  for (int id : ids) {
    const int va = a.GetParam(channel, id);
    const int vb = b.GetParam(channel, id);
    if (va == vb) continue;
    out.Add(label, ParamName(id), ParamText(a, channel, id, va), ParamText(b, channel, id, vb));
    marks.Mark(a.ParamField(channel, id));
  }
}

std::vector<int> ChannelIds(const TQ730SYSF& system) {
  std::vector<int> ids = ParamIdsOf(ParamGroupsOf(TQ730::kSystem, &system));
  // Group faders are a list of their own.
  std::erase(ids, kParamGroupFaderLevel);
  return ids;
}

void CompareTitleInfo(Collector& out, Bytes a, Bytes b) {
  out.Begin(CompareList::kTitleInfo);
  Marks marks(a);
  marks.Mark(kInfoRenewedFirst, kInfoCue - kInfoRenewedFirst);
  auto field = [&](const char* name, int at, int n, auto text) {
    marks.Mark(static_cast<std::size_t>(at), static_cast<std::size_t>(n));
    if (!std::equal(a.begin() + at, a.begin() + at + n, b.begin() + at))
      out.Add({}, name, text(a.data() + at), text(b.data() + at));
  };
  field("LOCK", kInfoLock, 1, [](const std::uint8_t* p) { return std::string(*p ? "on" : "off"); });
  field("INITIAL CUE", kInfoCue, 4,
        [](const std::uint8_t* p) { return FormatTC(FromBCD(GetU32(p))); });
  field("TC MODE", kInfoTcMode, 1, [](const std::uint8_t* p) { return TCModeName(*p); });
  field("FS", kInfoFs, 1, [](const std::uint8_t* p) { return SampleRateName(*p); });
  field("MEMO", kInfoMemo, kTitleInfoSize - kInfoMemo,
        [](const std::uint8_t* p) { return SlotText(p, kTitleInfoSize - kInfoMemo); });
  out.UnnamedBytes(a, b, marks, 0, kTitleInfoSize);
}

void CompareSystem(Collector& out, const TQ730SYSF& a, const TQ730SYSF& b) {
  CompareTitleInfo(out, a.Block(), b.Block());
  out.Begin(CompareList::kSystem);
  Marks marks(a.Block());
  marks.Mark(0, kTitleInfoSize);
  const std::vector<int> ids = ChannelIds(a);
  const int channels = std::min(a.ChannelCount(), b.ChannelCount());
  for (int c = 0; c < channels; ++c) {
    const std::string label = ChannelLabel(a, c);
    if (a.NameText(c) != b.NameText(c)) {
      out.At(c);
      out.Add(a.NumberText(c), "name", a.NameText(c), b.NameText(c));
      marks.Mark(static_cast<std::size_t>(TQ730SYSF::kNamesOffset + TQ730SYSF::kNameSlot * c),
                 TQ730SYSF::kNameSlot);
    }
    CompareParams(out, marks, a, b, c, label, ids);
  }
  // The SETUP page's settings, element by element (a channel, a bus, a function).
  out.At(-1);
  for (int id = 0; id < kParamIdLimit; ++id) {
    if (!IsSystemParam(id) || id == kParamGroupFaderLevel) continue;
    const bool several = a.GetParam(1, id) >= 0 || b.GetParam(1, id) >= 0;
    for (int e = 0; e < TQ730SYSF::kFaderSlots; ++e) {
      const int va = a.GetParam(e, id);
      const int vb = b.GetParam(e, id);
      if (va == vb) continue;
      const std::string name =
          several ? Joined(ParamName(id), std::to_string(e + 1)) : ParamName(id);
      out.Add({}, name, ParamText(a, e, id, va), ParamText(b, e, id, vb));
      marks.Mark(a.ParamField(e, id));
    }
  }
  out.UnnamedBytes(a.Block(), b.Block(), marks, 0, TQ730SYSF::kBlockSize - 2);

  out.Begin(CompareList::kGroupFaders);
  for (int slot = 0; slot < TQ730SYSF::kFaderSlots; ++slot) {
    const std::int32_t la = a.GroupFaderLevel(slot), lb = b.GroupFaderLevel(slot);
    if (la == lb) continue;
    int channel = -1;
    for (int c = 0; c < channels && channel < 0; ++c) channel = a.FaderSlotOf(c) == slot ? c : -1;
    out.At(channel);
    auto db = [](std::int32_t hundredths) {
      char text[32];
      std::snprintf(text, sizeof text, "%+.2f dB", hundredths / 100.0);
      return std::string(text);
    };
    out.Add(channel >= 0 ? ChannelLabel(a, channel) : "slot " + std::to_string(slot + 1),
            "group fader", db(la), db(lb));
  }
  out.At(-1);
  if (a.GroupFaderState() != b.GroupFaderState())
    out.Add({}, "state", std::to_string(a.GroupFaderState()), std::to_string(b.GroupFaderState()));
}

// Makes a snapshot the current record for as long as it lives: snapshot parameters are read
// through the current record. The title's own choice is restored.
class CurrentRecord {
 public:
  CurrentRecord(const TQ730& list, int index)
      : list_(const_cast<TQ730&>(list)), was_(list.CurrentRecord()) {
    list_.SetCurrentRecord(index);
  }
  ~CurrentRecord() { list_.SetCurrentRecord(was_); }
  CurrentRecord(const CurrentRecord&) = delete;
  CurrentRecord& operator=(const CurrentRecord&) = delete;

 private:
  TQ730& list_;
  int was_;
};

// Records matched by position: names, parameters (compare_params), then the bytes nothing
// named; a record in one title only is listed once.
template <typename Params>
void CompareRecords(Collector& out, CompareList list, const TQ730& a, const TQ730& b,
                    Params compare_params) {
  const int common = std::min(a.Count(), b.Count());
  for (int i = 0; i < common; ++i) {
    const Bytes ra = a.Record(i), rb = b.Record(i);
    const std::size_t compared = ra.size() - std::min<std::size_t>(ra.size(), kRenewedTail);
    // Values are read from these bytes alone: equal bytes, nothing to report.
    if (rb.size() == ra.size() && std::equal(ra.begin(), ra.begin() + compared, rb.begin()))
      continue;
    out.Begin(list, RecordLabel(a, i), i);
    Marks marks(ra);
    if (a.NameText(i) != b.NameText(i)) {
      out.Add({}, "name", a.NameText(i), b.NameText(i));
      marks.Mark(static_cast<std::size_t>(a.NameOffset()),
                 static_cast<std::size_t>(a.NameLength()));
    }
    compare_params(i, marks);
    out.UnnamedBytes(ra, rb, marks, 0, compared);
  }
  for (int i = common; i < a.Count(); ++i) {
    out.Begin(list, RecordLabel(a, i), i);
    out.Note({}, {}, "only in A");
  }
  for (int i = common; i < b.Count(); ++i) {
    out.Begin(list, RecordLabel(b, i), i);
    out.Note({}, {}, "only in B");
  }
}

// The automation events of one title by parameter and channel; words that name none are kept
// under parameter -1.
using EventKey2 = std::pair<int, int>;
using EventList = std::vector<std::pair<TimeCode, std::uint32_t>>;

struct EventGroup {
  int param;
  std::uint32_t pattern;
  std::uint32_t mask;
  int first;
  int end;
  int shift;
};

std::vector<EventGroup> EventGroups(const TQ730AUTO& list, const TQ730SYSF& system) {
  std::vector<EventGroup> groups;
  for (int id = 0; id < kParamIdLimit; ++id) {
    for (int g = kGroupInput; g <= kGroupPGM; ++g) {
      std::uint32_t pattern = 0, mask = 0;
      if (system.GroupSize(g) <= 0 || !EventPattern(id, g, pattern, mask)) continue;
      const int first = system.FirstChannelOf(g);
      groups.push_back(
          {id, pattern, mask, first, first + system.GroupSize(g), list.ValueShift(id, first)});
    }
  }
  return groups;
}

std::map<EventKey2, EventList> EventsByKey(const TQ730AUTO& list, const TQ730SYSF& system) {
  const std::vector<EventGroup> groups = EventGroups(list, system);
  // Patterns by their code byte, so that a word is tried against few of them.
  std::array<std::vector<const EventGroup*>, 256> by_code;
  for (const EventGroup& group : groups) {
    if ((group.mask & 0xFF) == 0xFF) {
      by_code[group.pattern & 0xFF].push_back(&group);
    } else {
      for (auto& bucket : by_code) bucket.push_back(&group);
    }
  }
  std::map<EventKey2, EventList> events;
  for (int i = 0, n = list.Count(); i < n; ++i) {
    const std::uint32_t word = list.EventWord(i);
    const TimeCode time = list.EventTime(i);
    bool named = false;
    for (const EventGroup* group : by_code[word & 0xFF]) {
      if ((word & group->mask) != group->pattern) continue;
      const int channel = group->first + static_cast<int>((word >> 8) & 0xFF);
      if (channel >= group->end) continue;
      const std::uint32_t value = (word & ~(group->mask | 0xFF00u) & 0xFFFF0000u) >> group->shift;
      events[{group->param, channel}].push_back({time, value});
      named = true;
    }
    if (!named) events[{-1, -1}].push_back({time, word});
  }
  for (auto& [key, list_of] : events) std::sort(list_of.begin(), list_of.end());
  return events;
}

// "3 events only in A (00:00:01:00-00:00:09:12)"
struct Tally {
  int count = 0;
  TimeCode first = 0, last = 0;
  void Add(TimeCode time) {
    if (count++ == 0) first = time;
    last = time;
  }
  std::string Text(const char* what) const {
    if (count == 0) return {};
    const std::string range =
        first == last ? FormatTC(first) : FormatTC(first) + "-" + FormatTC(last);
    return std::to_string(count) + (count == 1 ? " event " : " events ") + what + " (" + range +
           ")";
  }
};

std::string SummaryOf(const EventList& a, const EventList& b) {
  Tally only_a, only_b, differ;
  std::size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    if (j == b.size() || (i < a.size() && a[i].first < b[j].first)) {
      only_a.Add(a[i++].first);
    } else if (i == a.size() || b[j].first < a[i].first) {
      only_b.Add(b[j++].first);
    } else {
      if (a[i].second != b[j].second) differ.Add(a[i].first);
      ++i, ++j;
    }
  }
  std::string text;
  for (const std::string& part :
       {only_a.Text("only in A"), only_b.Text("only in B"), differ.Text("with another value")}) {
    if (!part.empty()) text += (text.empty() ? "" : "; ") + part;
  }
  return text;
}

void CompareAutomation(Collector& out, const TQ730AUTO& a, const TQ730AUTO& b, const TQ730SYSF& sa,
                       const TQ730SYSF& sb) {
  out.Begin(CompareList::kAutomation);
  const ValueContext context{0, sa.SampleRateMode(), sa.TimecodeMode()};
  auto start_text = [&](int id, const AutoStart& start) {
    if (start.time == kNoStartTime) return std::string("none");
    return Texts(FormatValue(id, start.value, context), start.value) + " at " +
           FormatTC(start.time);
  };
  Marks marks(a.StartTable());
  for (const EventGroup& group : EventGroups(a, sa)) {
    for (int c = group.first; c < group.end; ++c) {
      const int offset = a.StartOffset(group.param, c);
      if (offset < 0) continue;
      const AutoStart va = a.StartValue(group.param, c), vb = b.StartValue(group.param, c);
      if (va.time == vb.time && va.value == vb.value) continue;
      out.At(c);
      out.Add(ChannelLabel(sa, c), Joined(ParamName(group.param), "start"),
              start_text(group.param, va), start_text(group.param, vb));
      marks.Mark(static_cast<std::size_t>(offset), TQ730AUTO::kStartEntrySize);
    }
  }
  const std::map<EventKey2, EventList> ea = EventsByKey(a, sa), eb = EventsByKey(b, sb);
  std::vector<EventKey2> keys;
  for (const auto& [key, list] : ea) keys.push_back(key);
  for (const auto& [key, list] : eb) {
    if (!ea.contains(key)) keys.push_back(key);
  }
  std::sort(keys.begin(), keys.end());
  static const EventList kNone;
  for (const EventKey2& key : keys) {
    const auto ia = ea.find(key), ib = eb.find(key);
    const std::string summary =
        SummaryOf(ia == ea.end() ? kNone : ia->second, ib == eb.end() ? kNone : ib->second);
    if (summary.empty()) continue;
    out.At(key.first < 0 ? -1 : key.second);
    if (key.first < 0) {
      out.Note({}, "unnamed events", summary);
    } else {
      out.Note(key.second < sa.ChannelCount() ? ChannelLabel(sa, key.second)
                                              : "channel " + std::to_string(key.second + 1),
               ParamName(key.first), summary);
    }
  }
  out.Begin(CompareList::kAutomation, "start values");
  out.UnnamedBytes(a.StartTable(), b.StartTable(), marks, 0, TQ730AUTO::kTableSize);
}

}  // namespace

const char* CompareListName(CompareList list) {
  switch (list) {
    case CompareList::kTitleInfo:
      return "Title information";
    case CompareList::kSystem:
      return "System";
    case CompareList::kGroupFaders:
      return "Group faders";
    case CompareList::kSnapshots:
      return "Snapshots";
    case CompareList::kCues:
      return "Cues";
    case CompareList::kDynamics:
      return "Dynamics library";
    case CompareList::kEq:
      return "EQ library";
    case CompareList::kAutomation:
      return "Automation";
  }
  return "";
}

std::string Difference::Where() const {
  std::string where;
  for (const std::string* part : {&record, &channel, &param}) {
    if (!part->empty()) where += (where.empty() ? "" : " · ") + *part;
  }
  return where;
}

std::string Difference::Line() const {
  const std::string what = note.empty() ? a + " → " + b : note;
  const std::string where = Where();
  return where.empty() ? what : where + ": " + what;
}

DifferencePlace PlaceOf(const Difference& d) {
  // Tabs of the editor window in their order.
  constexpr int kChannelTab = 0, kFaderTab = 2, kAutomationTab = 4, kSnapshotTab = 5,
                kCueTab = 7, kDynLibTab = 10, kEqLibTab = 11, kSetupTab = 12;
  switch (d.list) {
    case CompareList::kTitleInfo:
      return {kSetupTab, -1};
    case CompareList::kSystem:
      return d.channel_index >= 0 ? DifferencePlace{kChannelTab, d.channel_index}
                                  : DifferencePlace{kSetupTab, -1};
    case CompareList::kGroupFaders:
      return {kFaderTab, d.channel_index};
    case CompareList::kSnapshots:
      return {kSnapshotTab, d.record_index};
    case CompareList::kCues:
      return {kCueTab, d.record_index};
    case CompareList::kDynamics:
      return {kDynLibTab, d.record_index};
    case CompareList::kEq:
      return {kEqLibTab, d.record_index};
    case CompareList::kAutomation:
      return {kAutomationTab, d.channel_index};
  }
  return {};
}

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::vector<DifferenceGroup> GroupDifferences(const std::vector<Difference>& differences,
                                              const std::string& filter) {
  const std::string wanted = Lower(filter);
  std::vector<DifferenceGroup> groups;
  for (std::size_t i = 0; i < differences.size(); ++i) {
    const Difference& d = differences[i];
    if (!wanted.empty() &&
        Lower(std::string(CompareListName(d.list)) + " " + d.Line()).find(wanted) ==
            std::string::npos)
      continue;
    // The system list's parameters group by channel (its name line names the channel by number
    // only), the other lists' by record.
    const bool system = d.list == CompareList::kSystem;
    const Difference* last = groups.empty() ? nullptr : &differences[groups.back().members.back()];
    const bool same = last != nullptr && last->list == d.list &&
                      (system ? last->channel_index == d.channel_index
                              : last->record_index == d.record_index && last->record == d.record);
    if (!same) groups.push_back({d.list, system ? d.channel : d.record, {}});
    DifferenceGroup& group = groups.back();
    if (system && d.channel.size() > group.caption.size()) group.caption = d.channel;
    group.members.push_back(i);
  }
  return groups;
}

std::vector<Difference> CompareTitles(const Title& a, const Title& b) {
  std::vector<Difference> out;
  Collector collect(out);
  const TQ730SYSF& sa = a.System();
  const TQ730SYSF& sb = b.System();
  CompareSystem(collect, sa, sb);

  const std::vector<int> channel_ids = ChannelIds(sa);
  const int channels = std::min(sa.ChannelCount(), sb.ChannelCount());
  const TQ730SNAP& snaps_a = a.Snapshots();
  const TQ730SNAP& snaps_b = b.Snapshots();
  CompareRecords(collect, CompareList::kSnapshots, snaps_a, snaps_b, [&](int i, Marks& marks) {
    const CurrentRecord current_a(snaps_a, i), current_b(snaps_b, i);
    for (int c = 0; c < channels; ++c)
      CompareParams(collect, marks, snaps_a, snaps_b, c, ChannelLabel(sa, c), channel_ids);
  });

  // Cues and library entries: the record is the "channel" of its parameters.
  auto by_record = [&collect](const TQ730& la, const TQ730& lb, std::vector<int> ids) {
    return [&collect, &la, &lb, ids = std::move(ids)](int i, Marks& marks) {
      CompareParams(collect, marks, la, lb, i, {}, ids);
    };
  };
  // The recalled record's name reads the same byte as its number.
  CompareRecords(collect, CompareList::kCues, a.Cues(), b.Cues(),
                 by_record(a.Cues(), b.Cues(),
                           {kParamCueTime, kParamCueTcLink, kParamCueEvent, kParamCueEventNumber,
                            kParamCueChannel}));
  CompareRecords(
      collect, CompareList::kDynamics, a.Dynamics(), b.Dynamics(),
      by_record(a.Dynamics(), b.Dynamics(), ParamIdsOf(ParamGroupsOf(TQ730::kDynLib, &sa))));
  CompareRecords(collect, CompareList::kEq, a.Eq(), b.Eq(),
                 by_record(a.Eq(), b.Eq(), ParamIdsOf(ParamGroupsOf(TQ730::kEqLib, &sa))));

  CompareAutomation(collect, a.Automation(), b.Automation(), sa, sb);
  return out;
}

}  // namespace orb
