#include "core/compare/Compare.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <functional>
#include <numeric>
#include <span>
#include <utility>

#include "core/model/ParamModel.h"
#include "core/model/ParamNames.h"
#include "core/model/SystemSettings.h"
#include "core/model/TitleInfoView.h"
#include "core/model/ValueText.h"

namespace orb {
namespace {

using Bytes = std::span<const std::uint8_t>;

// The record number and checksum at the end of every record.
constexpr int kRenewedTail = 4;

std::string Joined(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  return second.empty() ? first : first + " " + second;
}

// The pages pad value texts to their field; a line reads better without.
std::string Texts(const ValueTexts& texts, int value) {
  const std::string shown = Unpadded(texts.value);
  return shown.empty() ? std::to_string(value) : Joined(shown, Unpadded(texts.unit));
}

// A switch has no value text of its own; its key lights on or off.
std::string ParamText(const TQ730& list, int channel, int id, int value) {
  const ValueTexts texts = ValueText(list, channel, id);
  if (Unpadded(texts.value).empty() && list.ParamMax(channel, id) == 1 && value >= 0)
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

}  // namespace

class DifferenceCollector {
 public:
  explicit DifferenceCollector(Differences& out) : out_(out) {}
  void Contexts(const TQ730SYSF& a, const TQ730SYSF& b) {
    out_.rate_a_ = a.SampleRateMode();
    out_.rate_b_ = b.SampleRateMode();
    out_.tc_a_ = a.TimecodeMode();
    out_.tc_b_ = b.TimecodeMode();
  }
  // Keeps a text for the differences to name; 0 for an empty one.
  std::uint32_t Text(std::string text) {
    if (text.empty()) return 0;
    out_.texts_.push_back(std::move(text));
    return static_cast<std::uint32_t>(out_.texts_.size() - 1);
  }
  void Begin(CompareList list, std::string record = {}, int record_index = -1) {
    list_ = list;
    record_ = Text(std::move(record));
    record_index_ = record_index;
    channel_index_ = -1;
  }
  // The channel the following differences belong to; -1 for none.
  void At(int channel) { channel_index_ = channel; }
  void Add(std::string channel, std::string param, std::string a, std::string b) {
    Differences::Entry& e = Push(Differences::Kind::kTexts, Text(std::move(channel)));
    e.name = Text(std::move(param));
    e.a = static_cast<std::int32_t>(Text(std::move(a)));
    e.b = static_cast<std::int32_t>(Text(std::move(b)));
  }
  void Note(std::string channel, std::string param, std::string note) {
    Differences::Entry& e = Push(Differences::Kind::kNote, Text(std::move(channel)));
    e.name = Text(std::move(param));
    e.a = static_cast<std::int32_t>(Text(std::move(note)));
  }
  // Two values of a parameter; channel is a kept text.
  void Values(std::uint32_t channel, int id, int a, int b, bool toggle, int delay_a, int delay_b) {
    Differences::Entry& e = Push(Differences::Kind::kValues, channel);
    e.param = static_cast<std::int16_t>(id);
    e.a = a;
    e.b = b;
    e.toggle = toggle;
    e.delay_a = static_cast<std::int8_t>(delay_a);
    e.delay_b = static_cast<std::int8_t>(delay_b);
  }
  // Two values whose texts depend on more than the value, made now; channel is a kept text.
  void Texts(std::uint32_t channel, int id, std::string a, std::string b) {
    Differences::Entry& e = Push(Differences::Kind::kTexts, channel);
    e.name = Text(ParamName(id));
    e.a = static_cast<std::int32_t>(Text(std::move(a)));
    e.b = static_cast<std::int32_t>(Text(std::move(b)));
  }
  // Each run of differing bytes in [from, to) that nothing named, by offset.
  void UnnamedBytes(Bytes a, Bytes b, const Marks& marks, std::size_t from, std::size_t to) {
    to = std::min({to, a.size(), b.size()});
    for (std::size_t i = from; i < to;) {
      // Equal bytes are passed over a run at a time.
      i = static_cast<std::size_t>(std::mismatch(a.begin() + static_cast<std::ptrdiff_t>(i),
                                                 a.begin() + static_cast<std::ptrdiff_t>(to),
                                                 b.begin() + static_cast<std::ptrdiff_t>(i))
                                       .first -
                                   a.begin());
      if (i >= to) break;
      if (marks.Named(i)) {
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
  Differences::Entry& Push(Differences::Kind kind, std::uint32_t channel) {
    Differences::Entry& e = out_.Append();
    e.list = list_;
    e.kind = kind;
    e.record = record_;
    e.channel = channel;
    e.record_index = record_index_;
    e.channel_index = channel_index_;
    return e;
  }

  Differences& out_;
  CompareList list_ = CompareList::kSystem;
  std::uint32_t record_ = 0;
  int record_index_ = -1;
  int channel_index_ = -1;
};

namespace {

using Collector = DifferenceCollector;

// A switch has no value text of its own; its key lights on or off.
bool Toggles(const TQ730& a, const TQ730& b, int channel, int id) {
  return a.ParamMax(channel, id) == 1 || b.ParamMax(channel, id) == 1;
}

// The unit a delay is shown in, as the pages show it.
template <typename Read>
int DelayUnitOf(int id, Read read) {
  return id == kParamDelay ? std::clamp(read(kParamDelayUnit), 0, 127) : 0;
}

// A key names a channel of the list's layout.
std::string KeyText(const TQ730& list, int channel, int value) {
  const TQ730SYSF* system = list.System();
  return system ? DynamicsKeyText(*system, channel, value) : std::to_string(value);
}

// A cue's channel as the CUE page names it; a channel the layout has no name for as its number.
std::string CueChannelText(const TQ730& cues, int cue, int value) {
  constexpr int kAllChannels = 255;
  if (value == kAllChannels)
    return cues.GetParam(cue, kParamCueEvent) == TQ730CUE::kRecallSnapshot ? "ALL" : "NA";
  const TQ730SYSF* system = cues.System();
  const std::string text = system ? system->NumberText(value) : "";
  return text.empty() ? std::to_string(value) : text;
}

// One parameter of a channel of two lists that differs; label is a kept text.
template <typename ReadA, typename ReadB>
void ParamDifference(Collector& out, const TQ730& a, const TQ730& b, int channel,
                     std::uint32_t label, int id, int va, int vb, bool toggle, ReadA read_a,
                     ReadB read_b) {
  if (id == kParamDynamicsKey) {
    out.Texts(label, id, KeyText(a, channel, va), KeyText(b, channel, vb));
    return;
  }
  if (id == kParamCueChannel) {
    out.Texts(label, id, CueChannelText(a, channel, va), CueChannelText(b, channel, vb));
    return;
  }
  out.Values(label, id, va, vb, toggle, DelayUnitOf(id, read_a), DelayUnitOf(id, read_b));
}

// The parameters of one channel (or library entry, or cue) of two lists; label is a kept text
// (0: the record is the channel).
void CompareParams(Collector& out, Marks& marks, const TQ730& a, const TQ730& b, int channel,
                   std::uint32_t label, const std::vector<int>& ids) {
  out.At(label != 0 ? channel : -1);
  for (int id : ids) {
    const int va = a.GetParam(channel, id);
    const int vb = b.GetParam(channel, id);
    if (va == vb) continue;
    ParamDifference(
        out, a, b, channel, label, id, va, vb, Toggles(a, b, channel, id),
        [&](int unit) { return a.GetParam(channel, unit); },
        [&](int unit) { return b.GetParam(channel, unit); });
    marks.Mark(a.ParamField(channel, id));
  }
}

std::vector<int> ChannelIds(const TQ730SYSF& system) {
  std::vector<int> ids = ParamIdsOf(ParamGroupsOf(TQ730::kSystem, &system));
  // Group faders are a list of their own.
  std::erase(ids, kParamGroupFaderLevel);
  // The key is never copied, but it is a channel's setting all the same.
  const auto link = std::find(ids.begin(), ids.end(), kParamDynamicsLink);
  ids.insert(link == ids.end() ? link : link + 1, kParamDynamicsKey);
  return ids;
}

void CompareTitleInfo(Collector& out, const TQ730SYSF& a, const TQ730SYSF& b) {
  out.Begin(CompareList::kTitleInfo);
  using Info = TitleInfoView;
  const Info ia = a.Info(), ib = b.Info();
  Marks marks(a.Block());
  // The name follows the file name; size and save date are renewed by every save.
  for (const TitleInfoField renewed : {Info::kName, Info::kSizeKB, Info::kSaveDate})
    marks.Mark(ia.Bytes(renewed));
  auto field = [&](const char* name, TitleInfoField at, auto text) {
    marks.Mark(ia.Bytes(at));
    if (!std::ranges::equal(ia.Bytes(at), ib.Bytes(at))) out.Add({}, name, text(ia), text(ib));
  };
  field("LOCK", Info::kLock, [](const Info& i) { return std::string(i.Locked() ? "on" : "off"); });
  field("INITIAL CUE", Info::kInitialCue,
        [](const Info& i) { return FormatTC(FromBCD(i.InitialCue())); });
  field("TC MODE", Info::kTimecodeMode, [](const Info& i) { return TCModeName(i.TimecodeMode()); });
  field("FS", Info::kSampleRateMode,
        [](const Info& i) { return SampleRateName(i.SampleRateMode()); });
  field("MEMO", Info::kMemo, [](const Info& i) { return i.Memo(); });
  out.UnnamedBytes(a.Block(), b.Block(), marks, 0, kTitleInfoSize);
}

void CompareSystem(Collector& out, const TQ730SYSF& a, const TQ730SYSF& b) {
  CompareTitleInfo(out, a, b);
  out.Begin(CompareList::kSystem);
  Marks marks(a.Block());
  marks.Mark(0, kTitleInfoSize);
  const std::vector<int> ids = ChannelIds(a);
  const int channels = std::min(a.ChannelCount(), b.ChannelCount());
  for (int c = 0; c < channels; ++c) {
    const std::uint32_t label = out.Text(ChannelLabel(a, c));
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
      marks.Mark(SystemSettingBytes(a, e, id));
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

// The snapshots' parameters lie in the same place in every snapshot of a list: they are found
// once, a parameter whose bytes are the same in both snapshots is passed over, and the others
// are read where they lie.
class SnapshotParams {
 public:
  SnapshotParams(const TQ730SNAP& a, const TQ730SNAP& b, int channels, const std::vector<int>& ids)
      : a_(const_cast<TQ730SNAP&>(a)), b_(const_cast<TQ730SNAP&>(b)), read_a_(a_), read_b_(b_) {
    if (a.Count() == 0 || b.Count() == 0) return;
    const CurrentRecord first_a(a, 0), first_b(b, 0);
    auto place = [](const TQ730SNAP& list, int c, int id, int& offset, int& width) {
      const Bytes record = list.Record(0), field = list.ParamField(c, id);
      offset = width = -1;
      if (field.empty() || field.data() < record.data() ||
          field.data() + field.size() > record.data() + record.size())
        return;
      offset = static_cast<int>(field.data() - record.data());
      width = static_cast<int>(field.size());
    };
    by_byte_.resize(std::min(a.Record(0).size(), b.Record(0).size()));
    for (int c = 0; c < channels; ++c) {
      for (int id : ids) {
        Field f{c, id, -1, -1, -1, -1, Toggles(a, b, c, id)};
        place(a, c, id, f.offset_a, f.width_a);
        place(b, c, id, f.offset_b, f.width_b);
        const int index = static_cast<int>(fields_.size());
        if (f.offset_a >= 0 && f.offset_a == f.offset_b && f.width_a == f.width_b &&
            static_cast<std::size_t>(f.offset_a + f.width_a) <= by_byte_.size()) {
          // Read only where one of its bytes differs.
          for (int k = 0; k < f.width_a; ++k)
            by_byte_[static_cast<std::size_t>(f.offset_a + k)].push_back(index);
        } else if (f.offset_a < 0 && f.offset_b < 0 && a.GetParam(c, id) == b.GetParam(c, id)) {
          continue;  // no bytes: the same value in every snapshot
        } else {
          always_.push_back(index);
        }
        fields_.push_back(f);
      }
    }
    seen_.assign(fields_.size(), -1);
  }

  void Compare(Collector& out, Marks& marks, int index, const std::vector<std::uint32_t>& labels) {
    const Bytes ra = std::as_const(a_).Record(index), rb = std::as_const(b_).Record(index);
    read_a_.Begin(index);
    read_b_.Begin(index);
    // The fields over the bytes that differ, in the order of the channels and their parameters.
    std::vector<int> wanted = always_;
    const std::size_t size = std::min({ra.size(), rb.size(), by_byte_.size()});
    for (std::size_t p = 0; p < size;) {
      p = static_cast<std::size_t>(std::mismatch(ra.begin() + static_cast<std::ptrdiff_t>(p),
                                                 ra.begin() + static_cast<std::ptrdiff_t>(size),
                                                 rb.begin() + static_cast<std::ptrdiff_t>(p))
                                       .first -
                                   ra.begin());
      if (p >= size) break;
      for (int f : by_byte_[p]) {
        if (std::exchange(seen_[static_cast<std::size_t>(f)], index) != index) wanted.push_back(f);
      }
      ++p;
    }
    std::sort(wanted.begin(), wanted.end());
    for (int w : wanted) {
      const Field& f = fields_[static_cast<std::size_t>(w)];
      const int va = read_a_.Read(f.channel, f.id), vb = read_b_.Read(f.channel, f.id);
      if (va == vb) continue;
      out.At(f.channel);
      ParamDifference(
          out, a_, b_, f.channel, labels[static_cast<std::size_t>(f.channel)], f.id, va, vb,
          f.toggle, [&](int unit) { return read_a_.Read(f.channel, unit); },
          [&](int unit) { return read_b_.Read(f.channel, unit); });
      if (f.offset_a >= 0)
        marks.Mark(static_cast<std::size_t>(f.offset_a), static_cast<std::size_t>(f.width_a));
    }
  }

 private:
  struct Field {
    int channel, id;
    int offset_a, offset_b;  // in the record; -1 where the value is not a field of it
    int width_a, width_b;
    bool toggle;
  };
  TQ730SNAP& a_;
  TQ730SNAP& b_;
  TQ730SNAP::BulkReader read_a_, read_b_;
  std::vector<Field> fields_;
  std::vector<std::vector<int>> by_byte_;  // the fields over each byte of a snapshot
  std::vector<int> always_;                // fields read in every snapshot
  std::vector<int> seen_;                  // the snapshot a field was last wanted for
};

// The fader groups a snapshot holds, group by group, as the SETUP settings of the system list.
void CompareSnapshotGroups(Collector& out, Marks& marks, const TQ730SNAP& a, const TQ730SNAP& b,
                           int index) {
  const CurrentRecord at_a(a, index), at_b(b, index);
  out.At(-1);
  for (int id = kParamGroupType; id <= kParamGroupVcaMaster; ++id) {
    for (int g = 0; g < kFaderGroups; ++g) {
      const int va = a.GetParam(g, id), vb = b.GetParam(g, id);
      if (va == vb) continue;
      out.Add({}, Joined(ParamName(id), std::to_string(g + 1)), ParamText(a, g, id, va),
              ParamText(b, g, id, vb));
      marks.Mark(a.ParamField(g, id));
    }
  }
}

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

// A parameter's events in one channel group of a title's layout.
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

// The (parameter, channel) keys of event words in one title's layout: 0 for a word that names
// nothing, else 1 + parameter × 128 + channel, so that keys sort as parameters and channels do.
constexpr int kKeyChannels = 128;
constexpr std::size_t kEventKeys = 1 + static_cast<std::size_t>(kParamIdLimit) * kKeyChannels;

class EventKeys {
 public:
  EventKeys(const TQ730AUTO& list, const TQ730SYSF& system) : groups_(EventGroups(list, system)) {
    // Patterns by their code byte, so that a word is tried against few of them.
    for (std::size_t g = 0; g < groups_.size(); ++g) {
      if ((groups_[g].mask & 0xFF) == 0xFF) {
        by_code_[groups_[g].pattern & 0xFF].push_back(g);
      } else {
        for (auto& bucket : by_code_) bucket.push_back(g);
      }
    }
  }
  // use(key, value) for each key the word names; the word itself under key 0.
  template <typename Use>
  void Each(std::uint32_t word, Use use) const {
    bool named = false;
    for (std::size_t g : by_code_[word & 0xFF]) {
      const EventGroup& group = groups_[g];
      if ((word & group.mask) != group.pattern) continue;
      const int channel = group.first + static_cast<int>((word >> 8) & 0xFF);
      if (channel >= group.end || channel >= kKeyChannels) continue;
      use(static_cast<std::uint32_t>(1 + group.param * kKeyChannels + channel),
          (word & ~(group.mask | 0xFF00u) & 0xFFFF0000u) >> group.shift);
      named = true;
    }
    if (!named) use(0u, word);
  }

 private:
  std::vector<EventGroup> groups_;
  std::array<std::vector<std::size_t>, 256> by_code_;
};

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
  // Both lists walked together in time order, a time at a time: the events of one time are
  // matched by key and, within a key, in order of value, as a merge of each key's events by
  // time and value would pair them. A time whose events are the same in both is passed over.
  const EventKeys keys_a(a, sa), keys_b(b, sb);
  auto order_of = [](const TQ730AUTO& list) {
    std::vector<int> order;
    for (int i = 1, n = list.Count(); i < n && order.empty(); ++i) {
      if (list.EventTime(i) >= list.EventTime(i - 1)) continue;
      order.resize(static_cast<std::size_t>(n));
      std::iota(order.begin(), order.end(), 0);
      std::stable_sort(order.begin(), order.end(),
                       [&](int x, int y) { return list.EventTime(x) < list.EventTime(y); });
    }
    return order;
  };
  const std::vector<int> order_a = order_of(a), order_b = order_of(b);
  auto at = [](const std::vector<int>& order, int k) {
    return order.empty() ? k : order[static_cast<std::size_t>(k)];
  };
  enum { kOnlyA, kOnlyB, kOther };
  std::vector<std::array<Tally, 3>> tallies(kEventKeys);
  using Keyed = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
  Keyed ga, gb;
  auto gather = [&](const TQ730AUTO& list, const EventKeys& keys, const std::vector<int>& order,
                    int from, int to, Keyed& into) {
    into.clear();
    for (int k = from; k < to; ++k) {
      keys.Each(list.EventWord(at(order, k)),
                [&](std::uint32_t key, std::uint32_t value) { into.emplace_back(key, value); });
    }
    std::sort(into.begin(), into.end());
  };
  const int na = a.Count(), nb = b.Count();
  for (int i = 0, j = 0; i < na || j < nb;) {
    const TimeCode ta = i < na ? a.EventTime(at(order_a, i)) : 0;
    const TimeCode tb = j < nb ? b.EventTime(at(order_b, j)) : 0;
    const TimeCode time = i == na ? tb : j == nb ? ta : std::min(ta, tb);
    int ia = i, jb = j;
    while (ia < na && a.EventTime(at(order_a, ia)) == time) ++ia;
    while (jb < nb && b.EventTime(at(order_b, jb)) == time) ++jb;
    bool same = ia - i == jb - j;
    for (int k = 0; same && k < ia - i; ++k)
      same = a.EventWord(at(order_a, i + k)) == b.EventWord(at(order_b, j + k));
    if (!same) {
      gather(a, keys_a, order_a, i, ia, ga);
      gather(b, keys_b, order_b, j, jb, gb);
      for (std::size_t x = 0, y = 0; x < ga.size() || y < gb.size();) {
        const std::uint32_t key = y == gb.size()   ? ga[x].first
                                  : x == ga.size() ? gb[y].first
                                                   : std::min(ga[x].first, gb[y].first);
        std::array<Tally, 3>& t = tallies[key];
        for (; x < ga.size() && ga[x].first == key && y < gb.size() && gb[y].first == key;
             ++x, ++y) {
          if (ga[x].second != gb[y].second) t[kOther].Add(time);
        }
        for (; x < ga.size() && ga[x].first == key; ++x) t[kOnlyA].Add(time);
        for (; y < gb.size() && gb[y].first == key; ++y) t[kOnlyB].Add(time);
      }
    }
    i = ia;
    j = jb;
  }
  for (std::size_t key = 0; key < kEventKeys; ++key) {
    const std::array<Tally, 3>& t = tallies[key];
    if (t[kOnlyA].count + t[kOnlyB].count + t[kOther].count == 0) continue;
    std::string summary;
    for (const std::string& part : {t[kOnlyA].Text("only in A"), t[kOnlyB].Text("only in B"),
                                    t[kOther].Text("with another value")}) {
      if (!part.empty()) summary += (summary.empty() ? "" : "; ") + part;
    }
    if (key == 0) {
      out.At(-1);
      out.Note({}, "unnamed events", summary);
      continue;
    }
    const int param = static_cast<int>((key - 1) / kKeyChannels);
    const int channel = static_cast<int>((key - 1) % kKeyChannels);
    out.At(channel);
    out.Note(channel < sa.ChannelCount() ? ChannelLabel(sa, channel)
                                         : "channel " + std::to_string(channel + 1),
             ParamName(param), summary);
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
  constexpr int kChannelTab = 0, kFaderTab = 2, kAutomationTab = 4, kSnapshotTab = 5, kCueTab = 7,
                kDynLibTab = 10, kEqLibTab = 11, kSetupTab = 12;
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

std::string ValueLine(int id, int value, const ValueContext& context, bool toggle) {
  // The CUE page shows a cue's time as a timecode.
  if (id == kParamCueTime && value >= 0)
    return FormatTC(FromBCD(static_cast<std::uint32_t>(value)));
  // The LINK menu names the pair's modes; the panel draws them on its own.
  static constexpr const char* kLinkModes[] = {"MONO", "STEREO", "SURROUND"};
  if (id == kParamLinkMode && value >= 0 && value <= 2) return kLinkModes[value];
  const ValueTexts texts = FormatValue(id, value, context);
  if (Unpadded(texts.value).empty() && toggle && value >= 0) return value ? "ON" : "OFF";
  return Texts(texts, value);
}

}  // namespace

Differences::Entry& Differences::Append() {
  if (size_ % kChunk == 0) chunks_.emplace_back().reserve(kChunk);
  ++size_;
  return chunks_.back().emplace_back();
}

Difference Differences::operator[](std::size_t index) const {
  const Entry& e = At(index);
  auto text = [this](std::int64_t at) {
    return at >= 0 && static_cast<std::size_t>(at) < texts_.size()
               ? texts_[static_cast<std::size_t>(at)]
               : std::string();
  };
  Difference d;
  d.list = e.list;
  d.record = text(e.record);
  d.channel = text(e.channel);
  d.record_index = e.record_index;
  d.channel_index = e.channel_index;
  switch (e.kind) {
    case Kind::kValues:
      d.param = ParamName(e.param);
      d.a = ValueLine(e.param, e.a, {e.delay_a, rate_a_, tc_a_}, e.toggle);
      d.b = ValueLine(e.param, e.b, {e.delay_b, rate_b_, tc_b_}, e.toggle);
      break;
    case Kind::kTexts:
      d.param = text(e.name);
      d.a = text(e.a);
      d.b = text(e.b);
      break;
    case Kind::kNote:
      d.param = text(e.name);
      d.note = text(e.a);
      break;
  }
  return d;
}

const std::string& Differences::RecordText(std::size_t index) const {
  return texts_[At(index).record];
}

const std::string& Differences::ChannelText(std::size_t index) const {
  return texts_[At(index).channel];
}

std::vector<DifferenceGroup> GroupDifferences(const Differences& differences,
                                              const std::string& filter) {
  const std::string wanted = Lower(filter);
  std::vector<DifferenceGroup> groups;
  for (std::size_t i = 0; i < differences.size(); ++i) {
    const CompareList list = differences.ListOf(i);
    if (!wanted.empty() &&
        Lower(std::string(CompareListName(list)) + " " + differences[i].Line()).find(wanted) ==
            std::string::npos)
      continue;
    // The system list's parameters group by channel (its name line names the channel by number
    // only), the other lists' by record.
    const bool system = list == CompareList::kSystem;
    const std::string& caption = system ? differences.ChannelText(i) : differences.RecordText(i);
    bool same = false;
    if (!groups.empty()) {
      const std::size_t last = groups.back().members.back();
      same = differences.ListOf(last) == list &&
             (system ? differences.ChannelIndexOf(last) == differences.ChannelIndexOf(i)
                     : differences.RecordIndexOf(last) == differences.RecordIndexOf(i) &&
                           differences.RecordText(last) == caption);
    }
    if (!same) groups.push_back({list, caption, {}});
    DifferenceGroup& group = groups.back();
    if (system && caption.size() > group.caption.size()) group.caption = caption;
    group.members.push_back(i);
  }
  return groups;
}

Differences CompareTitles(const Title& a, const Title& b) {
  Differences out;
  Collector collect(out);
  const TQ730SYSF& sa = a.System();
  const TQ730SYSF& sb = b.System();
  collect.Contexts(sa, sb);
  CompareSystem(collect, sa, sb);

  const std::vector<int> channel_ids = ChannelIds(sa);
  const int channels = std::min(sa.ChannelCount(), sb.ChannelCount());
  std::vector<std::uint32_t> labels;
  for (int c = 0; c < channels; ++c) labels.push_back(collect.Text(ChannelLabel(sa, c)));
  const TQ730SNAP& snaps_a = a.Snapshots();
  const TQ730SNAP& snaps_b = b.Snapshots();
  {
    // Reading moves the current snapshot; the titles keep theirs.
    const CurrentRecord keep_a(snaps_a, snaps_a.CurrentRecord()),
        keep_b(snaps_b, snaps_b.CurrentRecord());
    SnapshotParams params(snaps_a, snaps_b, channels, channel_ids);
    CompareRecords(collect, CompareList::kSnapshots, snaps_a, snaps_b, [&](int i, Marks& marks) {
      params.Compare(collect, marks, i, labels);
      CompareSnapshotGroups(collect, marks, snaps_a, snaps_b, i);
    });
  }

  // Cues and library entries: the record is the "channel" of its parameters.
  auto by_record = [&collect](const TQ730& la, const TQ730& lb, std::vector<int> ids) {
    return [&collect, &la, &lb, ids = std::move(ids)](int i, Marks& marks) {
      CompareParams(collect, marks, la, lb, i, 0, ids);
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
