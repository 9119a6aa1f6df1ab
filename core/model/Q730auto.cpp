#include "core/model/Q730auto.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>
#include <typeinfo>
#include <utility>
#include <vector>

#include "core/model/Clip.h"
#include "core/model/DebugLog.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730sysf.h"

namespace orb {
namespace {

// Drops the records keep(i) refuses, in place and in order; keep may change record i first.
// Only the records from first to before last are asked; the others stay.
template <typename Keep>
void KeepRecords(std::vector<std::uint8_t>& records, std::vector<std::uint8_t>& selected,
                 std::size_t size, Keep keep, std::size_t first = 0,
                 std::size_t last = std::numeric_limits<std::size_t>::max()) {
  const std::size_t n = records.size() / size;
  last = std::min(last, n);
  first = std::min(first, last);
  std::size_t kept = first;
  for (std::size_t i = first; i < last; ++i) {
    if (!keep(static_cast<int>(i))) continue;
    if (kept != i) {
      std::memmove(records.data() + kept * size, records.data() + i * size, size);
      selected[kept] = selected[i];
    }
    ++kept;
  }
  if (kept != last) {
    std::memmove(records.data() + kept * size, records.data() + last * size, (n - last) * size);
    std::memmove(selected.data() + kept, selected.data() + last, n - last);
  }
  kept += n - last;
  records.resize(kept * size);
  selected.resize(kept);
}

constexpr int kGroups = 5;
constexpr std::uint32_t kMarkerBit = 0x80000000u;
constexpr std::uint32_t kTerminator = 0xFFFFFFFFu;
constexpr std::size_t kBatchWords = 16384;

// An event code with its sub-code; code -1 means no events.
struct Code {
  std::int16_t code = -1;
  std::int8_t sub = -1;
};
constexpr Code C(int code) {
  return {static_cast<std::int16_t>(code), -1};
}
constexpr Code S(int code, int sub) {
  return {static_cast<std::int16_t>(code), static_cast<std::int8_t>(sub)};
}
constexpr Code N{};

struct CodeRow {
  int param;
  Code codes[kGroups];  // input, MTR, AUX, RTN, master
};

constexpr CodeRow kCodeRows[] = {
    {110, {C(2), C(146), C(111), C(71), C(76)}},
    {109, {C(4), N, N, N, N}},
    {106, {C(3), N, N, C(70), N}},
    {85, {C(52), N, N, N, N}},
    {86, {C(53), N, N, N, N}},
    {87, {C(54), N, N, N, N}},
    {88, {C(55), N, N, N, N}},
    {89, {C(56), N, N, N, N}},
    {90, {C(57), N, N, N, N}},
    {91, {C(58), N, N, N, N}},
    {92, {C(59), N, N, N, N}},
    {69, {S(46, 0), N, N, S(74, 0), N}},
    {70, {S(46, 1), N, N, S(74, 1), N}},
    {71, {S(46, 2), N, N, S(74, 2), N}},
    {72, {S(46, 3), N, N, S(74, 3), N}},
    {73, {S(46, 4), N, N, S(74, 4), N}},
    {74, {S(46, 5), N, N, S(74, 5), N}},
    {75, {S(46, 6), N, N, S(74, 6), N}},
    {76, {S(46, 7), N, N, S(74, 7), N}},
    {77, {S(47, 0), N, N, N, N}},
    {78, {S(47, 1), N, N, N, N}},
    {79, {S(47, 2), N, N, N, N}},
    {80, {S(47, 3), N, N, N, N}},
    {81, {S(47, 4), N, N, N, N}},
    {82, {S(47, 5), N, N, N, N}},
    {83, {S(47, 6), N, N, N, N}},
    {84, {S(47, 7), N, N, N, N}},
    {93, {C(48), N, N, N, N}},
    {94, {C(49), N, N, N, N}},
    {95, {C(50), N, N, N, N}},
    {96, {C(51), N, N, N, N}},
    {97, {C(189), N, N, N, N}},
    {98, {C(190), N, N, N, N}},
    {99, {C(191), N, N, N, N}},
    {100, {C(192), N, N, N, N}},
    {108, {C(60), N, N, N, N}},
    {104, {C(185), N, N, C(186), N}},
    {112, {C(62), N, N, N, N}},
    {6, {S(61, 0), N, N, S(75, 0), N}},
    {7, {S(61, 1), N, N, S(75, 1), N}},
    {8, {S(61, 2), N, N, S(75, 2), N}},
    {9, {S(61, 3), N, N, S(75, 3), N}},
    {10, {S(61, 4), N, N, S(75, 4), N}},
    {11, {S(61, 5), N, N, S(75, 5), N}},
    {12, {S(61, 6), N, N, S(75, 6), N}},
    {13, {S(61, 7), N, N, S(75, 7), N}},
    {103, {C(63), N, N, N, N}},
    {107, {C(64), N, N, N, N}},
    {123, {C(69), N, N, N, N}},
    {120, {C(66), N, N, N, N}},
    {121, {C(67), N, N, N, N}},
    {122, {C(68), N, N, N, N}},
    {105, {S(43, 3), N, N, N, N}},
    {14, {S(43, 1), N, N, S(73, 1), N}},
    {15, {S(43, 2), N, N, S(73, 2), N}},
    {46, {S(7, 1), N, N, N, N}},
    {51, {S(7, 2), N, N, N, N}},
    {52, {S(8, 1), N, N, N, N}},
    {55, {C(9), N, N, N, N}},
    {60, {C(10), N, N, N, N}},
    {45, {S(11, 0), S(149, 0), S(114, 0), N, S(78, 0)}},
    {47, {S(11, 1), S(149, 1), S(114, 1), N, S(78, 1)}},
    {48, {S(11, 2), S(149, 2), S(114, 2), N, S(78, 2)}},
    {49, {S(11, 3), S(149, 3), S(114, 3), N, S(78, 3)}},
    {50, {S(11, 4), S(149, 4), S(114, 4), N, S(78, 4)}},
    {53, {C(12), C(150), C(115), N, C(80)}},
    {56, {C(13), C(151), C(116), N, C(81)}},
    {65, {C(14), C(152), C(117), N, C(79)}},
    {61, {C(15), C(153), C(118), N, C(82)}},
    {57, {C(16), C(154), C(119), N, C(84)}},
    {66, {C(17), C(155), C(120), N, C(83)}},
    {62, {C(18), C(156), C(121), N, C(85)}},
    {58, {C(19), C(157), C(122), N, C(87)}},
    {67, {C(20), C(158), C(123), N, C(86)}},
    {63, {C(21), C(159), C(124), N, C(88)}},
    {54, {C(22), C(160), C(125), N, C(90)}},
    {59, {C(23), C(161), C(126), N, C(91)}},
    {68, {C(24), C(162), C(127), N, C(89)}},
    {64, {C(25), C(163), C(128), N, C(92)}},
    {17, {C(26), C(164), C(129), N, C(93)}},
    {19, {S(27, 1), S(165, 1), S(130, 1), N, S(94, 1)}},
    {42, {S(27, 2), S(165, 2), S(130, 2), N, S(94, 2)}},
    {22, {S(27, 7), S(165, 7), S(130, 7), N, S(94, 7)}},
    {24, {S(27, 8), S(165, 8), S(130, 8), N, S(94, 8)}},
    {25, {S(29, 1), S(166, 1), S(131, 1), N, S(96, 1)}},
    {26, {S(29, 2), S(166, 2), S(131, 2), N, S(96, 2)}},
    {31, {C(36), C(174), C(139), N, C(103)}},
    {27, {C(37), C(175), C(140), N, C(104)}},
    {28, {C(38), C(176), C(141), N, C(105)}},
    {29, {C(39), C(177), C(142), N, C(106)}},
    {30, {C(40), C(178), C(143), N, C(107)}},
    {32, {C(41), C(179), C(144), N, C(108)}},
    {20, {C(196), C(197), C(198), N, C(199)}},
    {37, {C(42), C(180), C(145), N, C(109)}},
    {40, {C(30), C(168), C(133), N, C(97)}},
    {38, {C(181), C(184), C(183), N, C(182)}},
    {33, {C(31), C(169), C(134), N, C(98)}},
    {34, {C(32), C(170), C(135), N, C(99)}},
    {35, {C(33), C(171), C(136), N, C(100)}},
    {39, {C(34), C(172), C(137), N, C(101)}},
    {36, {C(35), C(173), C(138), N, C(102)}},
};

using CodeTable = std::array<std::array<Code, kGroups>, kParamIdLimit>;

constexpr CodeTable MakeCodeTable() {
  CodeTable table{};
  for (const CodeRow& row : kCodeRows) {
    for (int g = 0; g < kGroups; ++g) table[row.param][g] = row.codes[g];
  }
  return table;
}
constexpr CodeTable kCodes = MakeCodeTable();

// Entry order of the start values of one channel; a repeated identifier is a
// spare slot, the first occurrence is the parameter's entry.
constexpr int kInputList[] = {
    106, 110, 85, 86, 87, 88, 89, 90, 91, 92,  69,  70,  71,  72,  73,  74,  75,  76,
    77,  78,  79, 80, 81, 82, 83, 84, 93, 94,  95,  96,  97,  98,  99,  100, 108, 104,
    112, 6,   7,  8,  9,  10, 11, 12, 13, 103, 107, 119, 123, 120, 121, 122, 109, 105,
    14,  15,  46, 51, 52, 52, 55, 60, 45, 47,  48,  49,  50,  53,  56,  65,  61,  57,
    66,  62,  58, 67, 63, 54, 59, 68, 64, 17,  19,  42,  41,  25,  25,  22,  31,  27,
    28,  29,  32, 30, 26, 26, 24, 20, 37, 40,  38,  33,  34,  35,  39,  36};
constexpr int kBusList[] = {110, 45, 47, 48, 49, 50, 53, 56, 65, 61, 57, 66, 62, 58, 67,
                            63,  54, 59, 68, 64, 17, 19, 42, 41, 25, 25, 22, 31, 27, 28,
                            29,  32, 30, 26, 26, 24, 20, 37, 40, 38, 33, 34, 35, 39, 36};
constexpr int kReturnList[] = {106, 104, 110, 69, 70, 71, 72, 73, 74, 75, 76,
                               6,   7,   8,   9,  10, 11, 12, 13, 14, 15};
static_assert(std::size(kInputList) == 106 && std::size(kBusList) == 45 &&
              std::size(kReturnList) == 21);

using EntryIndex = std::array<std::int16_t, kParamIdLimit>;

template <std::size_t n>
constexpr EntryIndex MakeEntryIndex(const int (&list)[n]) {
  EntryIndex index{};
  for (auto& i : index) i = -1;
  for (std::size_t i = 0; i < n; ++i) {
    if (index[list[i]] < 0) index[list[i]] = static_cast<std::int16_t>(i);
  }
  return index;
}
constexpr EntryIndex kInputEntries = MakeEntryIndex(kInputList);
constexpr EntryIndex kBusEntries = MakeEntryIndex(kBusList);
constexpr EntryIndex kReturnEntries = MakeEntryIndex(kReturnList);

// The table's fixed layout, whatever the title's channel layout: a channel's
// place is given by its group and its number within the group.
struct TableGroup {
  int offset;
  int stride;
  int slots;
  const EntryIndex* entries;
  const int* list;
  int list_size;
};
constexpr TableGroup kTableGroups[kGroups] = {
    {0, 636, 48, &kInputEntries, kInputList, 106},
    {30528, 270, 8, &kBusEntries, kBusList, 45},
    {32688, 270, 8, &kBusEntries, kBusList, 45},
    {34848, 126, 8, &kReturnEntries, kReturnList, 21},
    {35856, 270, 1, &kBusEntries, kBusList, 45},
};
static_assert(35856 + 270 + 54 == TQ730AUTO::kTableSize);

int TableOffset(int param, int group, int number) {
  if (param < 0 || param >= kParamIdLimit || group < 0 || group >= kGroups) return -1;
  const TableGroup& place = kTableGroups[group];
  if (number < 0 || number >= place.slots) return -1;
  const int entry = (*place.entries)[param];
  if (entry < 0) return -1;
  return place.offset + place.stride * number + 6 * entry;
}

// Calls f(offset) for the entry of every parameter of every channel slot.
template <typename F>
void ForEachStartEntry(F f) {
  for (const TableGroup& place : kTableGroups) {
    for (int number = 0; number < place.slots; ++number) {
      for (int i = 0; i < place.list_size; ++i) {
        if ((*place.entries)[place.list[i]] == i) f(place.offset + place.stride * number + 6 * i);
      }
    }
  }
}

// Whether a timecode's minutes or seconds field is 60 or more: its seconds then no longer grow
// with its bytes. Without branches, as markers are counted.
inline std::size_t OddTime(TimeCode t) {
  return static_cast<std::size_t>(((t >> 16) & 0xFF) >= 60) |
         static_cast<std::size_t>(((t >> 8) & 0xFF) >= 60);
}

// 1 when a is later than b, computed without a branch: markers and events
// come in no order a branch predictor could learn.
inline std::size_t Later(TimeCode a, TimeCode b) {
  return static_cast<std::size_t>((static_cast<std::uint64_t>(b) - a) >> 63);
}

}  // namespace

bool EventPattern(int param, int group, std::uint32_t& pattern, std::uint32_t& mask) {
  if (param < 0 || param >= kParamIdLimit || group < 0 || group >= kGroups) return false;
  const Code code = kCodes[param][group];
  if (code.code < 0) return false;
  pattern = static_cast<std::uint32_t>(code.code);
  mask = 0xFF;
  if (code.sub >= 0) {
    pattern |= static_cast<std::uint32_t>(code.sub) << 16;
    mask |= 0xFF0000;
  }
  return true;
}

std::uint32_t EventKey::Word(int value) const {
  const int limit = shift == 16 ? 32767 : 127;
  return pattern | (static_cast<std::uint32_t>(std::clamp(value, 0, limit)) << shift);
}

std::uint32_t ConvertLoadedEvent(std::uint32_t word) {
  const std::uint32_t code = word & 0xFF;
  if (code != 27 && code != 94 && code != 130 && code != 165) return word;
  std::uint32_t sub;
  switch ((word >> 16) & 0xFF) {
    case 0:
      sub = 1;
      break;
    case 5:
      sub = 7;
      break;
    case 6:
      sub = 8;
      break;
    default:
      return word;
  }
  // These are on/off switches; a stray larger value would turn 1 - v negative
  // and set bit 31, so it reads as off.
  const std::uint32_t value = word >> 24;
  const std::uint32_t flipped = value <= 1 ? 1 - value : 0;
  return (word & 0xFFFF) | (sub << 16) | (flipped << 24);
}

TQ730AUTO::TQ730AUTO() : TQ730(kAutomation, "auto.dat", kRecordSize, -1) {
  for (int i = 0; i < kTableEntries; ++i) {
    PutU32(table_.data() + 6 * i, kNoStartBCD);
    PutU16(table_.data() + 6 * i + 4, 0);
  }
}

Status TQ730AUTO::Assign(const TQ730& source) {
  if (typeid(source) != typeid(*this)) return kFailed;
  const auto& from = static_cast<const TQ730AUTO&>(source);
  CopyBaseFrom(source);
  table_ = from.table_;
  channel_selected_ = from.channel_selected_;
  current_param_ = from.current_param_;
  range_start_ = from.range_start_;
  range_end_ = from.range_end_;
  LogLine("Backup  " + header_.Name() + " : " + std::to_string(Count()));
  return kOk;
}

bool TQ730AUTO::SameData(const TQ730& other) const {
  if (!TQ730::SameData(other)) return false;
  const auto& o = static_cast<const TQ730AUTO&>(other);
  return table_ == o.table_;
}

Status TQ730AUTO::Load(DataFile& file) {
  loaded_ = false;
  kind_ = kAutomation;
  Status status = ReadHeader(file);
  if (status != kOk) return status;
  records_.clear();
  selected_.clear();
  std::uint8_t count[4];
  if (file.Read(count, sizeof count) != sizeof count) {
    status = kReadError;
  } else {
    const std::uint32_t words = GetU32(count);
    LogLine(std::to_string(words));
    if (file.Read(table_.data(), table_.size()) != table_.size()) {
      status = kReadError;
    } else {
      status = ReadStream(file, words);
    }
  }
  LogLine(header_.Name() + "  " + std::to_string(Count()) +
          " records loaded.  Record Size = " + Hex8(kRecordSize));
  loaded_ = status == kOk;
  return status;
}

Status TQ730AUTO::ReadStream(DataFile& file, std::uint32_t words) {
  Status status = kOk;
  std::vector<std::uint8_t> batch;
  // The last marker as read: what the log compares, and the time the events after it carry.
  TimeCode current = 0;
  std::size_t used = records_.size();
  // The count comes from the file: memory follows the words it really holds
  // (each word becomes at most one 8-byte record).
  records_.reserve(used + static_cast<std::size_t>(
                              std::min<std::uint64_t>(words, file.Remaining() / 4) * kRecordSize));
  for (std::uint64_t left = words; left > 0;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBatchWords));
    batch.resize(want * 4);
    const std::size_t got = file.Read(batch.data(), batch.size()) / 4;
    records_.resize(used + got * kRecordSize + kRecordSize);
    // Markers and events come mixed in no pattern a branch predictor could
    // learn, so every word writes a record slot and only events keep theirs.
    std::uint8_t* out = records_.data() + used;
    for (std::size_t i = 0; i < got; ++i) {
      const std::uint32_t word = GetU32(batch.data() + 4 * i);
      const bool marker = (word & kMarkerBit) != 0;
      const TimeCode t = FromBCD(word & ~kMarkerBit);
      // The running timecode starts at 00:00:00:00, so a first marker at zero is reported too.
      if (marker && t <= current) [[unlikely]] {
        LogLine("Illigal TC  " + Hex8(current) + (t < current ? " > " : " = ") + Hex8(t));
      }
      // Events carry their marker's time as decoded, also where its fields lie beyond a day
      // (digits the console wrote that are no decimal digits): a resave writes the same marker
      // back. What shows such times limits them for display only.
      current = marker ? t : current;
      PutU32(out, current);
      PutU32(out + 4, ConvertLoadedEvent(word));
      out += kRecordSize * (1 - (word >> 31));
    }
    used = static_cast<std::size_t>(out - records_.data());
    records_.resize(used);
    if (got < want) {
      status = kReadError;
      break;
    }
    left -= want;
  }
  selected_.assign(records_.size() / kRecordSize, 0);
  return status;
}

std::int64_t TQ730AUTO::StreamWordCount() const {
  return Facts().words;
}

TQ730AUTO::StreamFacts TQ730AUTO::Facts() const {
  // Asked for by every paint, snap, size query and save; worked out again only after a change.
  if (facts_at_ == records_.Changes()) return facts_;
  facts_ = CountFacts();
  facts_at_ = order_at_ = records_.Changes();
  return facts_;
}

TQ730AUTO::StreamFacts TQ730AUTO::CountFacts() const {
  StreamFacts facts;
  const std::size_t n = records_.size() / kRecordSize;
  if (n == 0) return facts;
  // The first event always gets a marker; after it, every later time does. Seconds grow with
  // the timecode's bytes only while minutes and seconds stay below 60.
  // Counted without branches, as markers are.
  const std::uint8_t* const records = records_.data();
  auto time = [records](std::size_t i) { return GetU32(records + i * kRecordSize); };
  // First as if the list were in time order, each time against the one before it: nothing
  // carries from one event to the next, so the compiler takes several at once. In a list that
  // turns out to be in order, the latest time so far is always the one before.
  std::size_t later = 0;
  std::size_t disorder = OddTime(time(0));
  for (std::size_t i = 1; i < n; ++i) {
    const TimeCode before = time(i - 1), t = time(i);
    later += Later(t, before);
    disorder |= Later(before, t) | OddTime(t);
  }
  if (disorder != 0) {
    // Out of order, a time gets a marker only when it is later than every time before it.
    later = 0;
    TimeCode last = time(0);
    for (std::size_t i = 1; i < n; ++i) {
      const TimeCode t = time(i);
      later += Later(t, last);
      last = std::max(last, t);
    }
  }
  facts.words = 1 + 2 + static_cast<std::int64_t>(n - 1) + static_cast<std::int64_t>(later);
  facts.searchable = disorder == 0;
  return facts;
}

std::uint64_t TQ730AUTO::DataSize() const {
  return kFixedBodySize + 4 * static_cast<std::uint64_t>(StreamWordCount());
}

Status TQ730AUTO::Save(DataFile& file) {
  // The stream is built first, into room for the most words it can take (a
  // marker per event), so that counting the words needs no pass of its own.
  const std::size_t n = records_.size() / kRecordSize;
  std::vector<std::uint8_t> body(kFixedBodySize + 4 * (2 * n + 1));
  std::memcpy(body.data() + 4, table_.data(), table_.size());
  std::uint8_t* const stream = body.data() + 4 + table_.size();
  std::uint8_t* out = stream;
  TimeCode last = 0;
  const std::uint8_t* record = records_.data();
  for (std::size_t i = 0; i < n; ++i, record += kRecordSize) {
    const TimeCode t = GetU32(record);
    // Same rule as StreamWordCount. Written without a branch: the marker slot
    // is kept only where a marker is due.
    const std::size_t marker = i == 0 ? 1 : Later(t, last);
    PutU32(out, ToBCD(t) | kMarkerBit);
    out += 4 * marker;
    last = std::max(last, t);
    std::memcpy(out, record + 4, 4);
    out += 4;
  }
  PutU32(out, kTerminator);
  out += 4;
  const std::size_t words = static_cast<std::size_t>(out - stream) / 4;
  const std::size_t size = kFixedBodySize + 4 * words;
  body.resize(size);
  PutU32(body.data(), static_cast<std::uint32_t>(words));

  const Status status = WriteHeader(file, size);
  if (status != kOk) return status;
  LogLine(std::to_string(words));
  LogLine(file_name_ + "  " + std::to_string(Count()) +
          " records saved.  Record Size = " + Hex8(kRecordSize));
  PutU16(body.data() + size - 2, BlockChecksum(body.data() + 4, size - 4));
  return file.Write(body.data(), body.size()) == body.size() ? kOk : kWriteError;
}

bool TQ730AUTO::CanDo(int, int op) const {
  switch (op) {
    case kOpCut:
    case kOpCopy:
    case kOpDelete:
      return true;
    case kOpPaste:
      return clipboard_ && clipboard_->HoldsAutomationOf(current_param_);
    default:
      return false;
  }
}

bool TQ730AUTO::IsChannelSelected(int channel) const {
  return channel >= 0 && channel < std::min(ChannelCount(), kChannelFlags) &&
         channel_selected_[channel] != 0;
}

void TQ730AUTO::SetChannelSelected(int channel, bool on) {
  if (channel >= 0 && channel < std::min(ChannelCount(), kChannelFlags))
    channel_selected_[channel] = on ? 1 : 0;
}

void TQ730AUTO::ShiftChannelSelection(int offset) {
  const int n = std::min(ChannelCount(), kChannelFlags);
  std::array<std::uint8_t, kChannelFlags> shifted{};
  for (int j = 0; j < n; ++j) {
    const long from = static_cast<long>(j) + offset;
    if (from >= 0 && from < n)
      shifted[static_cast<std::size_t>(j)] = channel_selected_[static_cast<std::size_t>(from)];
  }
  channel_selected_ = shifted;
}

void TQ730AUTO::ClearEventSelection() {
  std::fill(selected_.begin(), selected_.end(), 0);
}

void TQ730AUTO::SetEventTime(int index, TimeCode time) {
  PutU32(records_.data() + static_cast<std::size_t>(index) * kRecordSize, time);
}

bool TQ730AUTO::AppendEvent(const AutoEvent& event) {
  if (event.word & kMarkerBit) return false;
  const int index = AppendRecord();
  PutU32(Record(index).data(), event.time);
  PutU32(Record(index).data() + 4, event.word);
  return true;
}

int TQ730AUTO::ValueShift(int param, int channel) const {
  const ParamDescriptor* row = FindParam(channel, param);
  return row && row->storage == kStoreWord ? 16 : 24;
}

const ParamDescriptor* TQ730AUTO::FindParam(int channel, int id) const {
  return System() ? FindStripParam(ChannelKind(channel), id, System()->SampleRateMode()) : nullptr;
}

EventChannels::EventChannels(const TQ730AUTO& list, int param) {
  const int channels = std::min(list.ChannelCount(), TQ730AUTO::kChannelFlags);
  for (int g = kGroupInput; g <= kGroupPGM; ++g) {
    Group& group = groups_[g];
    group.valid = EventPattern(param, g, group.pattern, group.mask);
    group.first = list.FirstChannelOf(g);
    group.end = std::min(list.FirstChannelOf(g + 1), channels);
    if (group.valid) by_code_[group.pattern & 0xFF] |= static_cast<std::uint8_t>(1u << g);
  }
}

EventKey TQ730AUTO::KeyOf(int param, int channel) const {
  EventKey key;
  const int group = ChannelKind(channel);
  if (group < 0 || !EventPattern(param, group, key.pattern, key.mask)) return key;
  const int number = channel - FirstChannelOf(group);
  if (number < 0 || number > 0xFF) return key;
  key.pattern |= static_cast<std::uint32_t>(number) << 8;
  key.mask |= 0xFF00;
  key.shift = ValueShift(param, channel);
  key.valid = true;
  return key;
}

int TQ730AUTO::StartOffset(int param, int channel) const {
  const int group = ChannelKind(channel);
  if (group < 0) return -1;
  return TableOffset(param, group, channel - FirstChannelOf(group));
}

AutoStart TQ730AUTO::StartValue(int param, int channel) const {
  const int offset = StartOffset(param, channel);
  if (offset < 0) return {kNoStartTime, 0};
  const std::uint32_t bcd = GetU32(table_.data() + offset);
  if (bcd == kNoStartBCD) return {kNoStartTime, 0};
  return {FromBCD(bcd), GetU16(table_.data() + offset + 4)};
}

void TQ730AUTO::SetStartValue(int param, int channel, TimeCode time, int value) {
  const int offset = StartOffset(param, channel);
  if (offset < 0) return;
  const bool none = time == kNoStartTime;
  PutU32(table_.data() + offset, none ? kNoStartBCD : ToBCD(time));
  PutU16(table_.data() + offset + 4,
         none ? 0 : static_cast<std::uint32_t>(std::clamp(value, 0, 0xFFFF)));
}

void TQ730AUTO::SetEditRange(int param, double start, double end) {
  current_param_ = param;
  range_start_ = ClampDouble(start, 0, 86399);
  range_end_ = ClampDouble(end, 0, 86399);
  OrderPair(range_start_, range_end_);
}

void TQ730AUTO::SelectRange(int param, double from, double to) {
  OrderPair(from, to);
  std::array<bool, kChannelFlags> wanted{};
  bool any = false;
  for (int c = 0, n = std::min(ChannelCount(), kChannelFlags); c < n; ++c) {
    wanted[c] = IsChannelSelected(c) && KeyOf(param, c).valid;
    any = any || wanted[c];
  }
  if (!any) return;
  const FrameRate rate = Rate();
  const EventChannels owners(*this, param);
  // In a list in time order the events from the range's first to its last are the ones in it,
  // and no time needs working out.
  int begin = 0, end = Count();
  const bool searchable = SearchableByTime();
  if (searchable) {
    begin = FirstEventAt(from);
    end = FirstEventAt(to);
  }
  for (int i = begin; i < end; ++i) {
    bool hit = false;
    owners.ForEach(EventWord(i), [&](int c) { hit = hit || wanted[c]; });
    if (!hit) continue;
    if (!searchable) {
      const double t = TCToSeconds(EventTime(i), rate);
      if (t < from || t >= to) continue;
    }
    selected_[i] = 1;
  }
}

std::vector<int> TQ730AUTO::HeldWithinAStep(int param, int rows) const {
  rows = std::clamp(rows, 0, std::min(ChannelCount(), kChannelFlags));
  // Per channel, by slot (the channel plus one; slot 0 is no channel): its key, the value its
  // last kept event holds, and the event that goes if another of its channel follows. A channel
  // that has not begun holds a value no event can come within a step of, so its first event
  // is kept and held.
  constexpr int kUnstarted = std::numeric_limits<int>::min() / 2;
  std::array<std::uint32_t, kChannelFlags + 1> mask{}, pattern{}, value_bits{};
  std::array<int, kChannelFlags + 1> shift{}, held{}, waiting{};
  std::array<bool, kChannelFlags + 1> wanted{};
  bool any = false;
  for (int c = 0; c < rows; ++c) {
    const EventKey key = KeyOf(param, c);
    const std::size_t slot = static_cast<std::size_t>(c) + 1;
    wanted[slot] = key.valid && IsChannelSelected(c);
    mask[slot] = key.mask;
    pattern[slot] = key.pattern;
    value_bits[slot] = ~key.mask & 0xFFFF0000u;
    shift[slot] = key.shift;
    held[slot] = kUnstarted;
    waiting[slot] = -1;
    any = any || wanted[slot];
  }
  std::vector<int> drop;
  if (!any) return drop;
  // The channel of an event by its code and channel bytes, one look-up an event; its key then
  // checks the rest (a sub-code). Two channels whose keys differ only there share a slot, and
  // their events are told apart the long way.
  constexpr std::uint8_t kShared = 0xFF;
  static_assert(kChannelFlags < kShared);
  std::vector<std::uint8_t> slot_of(1 << 16, 0);
  for (int c = 0; c < rows; ++c) {
    const std::size_t slot = static_cast<std::size_t>(c) + 1;
    if (!wanted[slot]) continue;
    std::uint8_t& entry = slot_of[pattern[slot] & 0xFFFF];
    entry = entry == 0 ? static_cast<std::uint8_t>(slot) : kShared;
  }
  const EventChannels owners(*this, param);
  const std::uint8_t* record = records_.data();
  const std::uint8_t* selected = selected_.data();
  const auto [first, last] = SelectedEventSpan();
  for (int i = first; i < last; ++i) {
    if (!selected[i]) continue;
    const std::uint32_t word = GetU32(record + static_cast<std::size_t>(i) * kRecordSize + 4);
    std::size_t slot = slot_of[word & 0xFFFF];
    if (slot == 0) continue;
    if (slot == kShared) {
      int c = -1;
      owners.ForEach(word, [&c](int channel) { c = channel; });
      if (c < 0 || c >= rows || !wanted[static_cast<std::size_t>(c) + 1]) continue;
      slot = static_cast<std::size_t>(c) + 1;
    }
    if ((word & mask[slot]) != pattern[slot]) continue;
    const int value = static_cast<int>((word & value_bits[slot]) >> shift[slot]);
    if (waiting[slot] >= 0) drop.push_back(std::exchange(waiting[slot], -1));
    if (std::abs(value - held[slot]) <= 1) {
      waiting[slot] = i;
    } else {
      held[slot] = value;
    }
  }
  return drop;
}

void TQ730AUTO::SelectEvent(int index) {
  if (index < 0 || index >= Count()) return;
  std::fill(selected_.begin(), selected_.end(), 0);
  selected_[index] = 1;
  range_start_ = range_end_ = ClampDouble(Seconds(EventTime(index)), 0, 86399);
}

void TQ730AUTO::SortByTime() {
  const int n = Count();
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [this](int a, int b) { return EventTime(a) < EventTime(b); });
  std::vector<std::uint8_t> records(records_.size());
  std::vector<std::uint8_t> selected(selected_.size());
  for (int i = 0; i < n; ++i) {
    std::memcpy(records.data() + static_cast<std::size_t>(i) * kRecordSize,
                records_.data() + static_cast<std::size_t>(order[i]) * kRecordSize, kRecordSize);
    selected[i] = selected_[order[i]];
  }
  records_.swap(records);
  selected_.swap(selected);
}

void TQ730AUTO::WriteEvents(int param, int channel, double from, double to,
                            std::span<const AutoEvent> events, bool select, bool shift_following) {
  if (events.empty()) return;
  const EventKey key = KeyOf(param, channel);
  if (!key.valid) return;
  OrderPair(from, to);
  const FrameRate rate = Rate();

  StartAt(param, channel, key, events.front());

  if (shift_following) {
    bool moved = false;
    for (int i = 0, n = Count(); i < n; ++i) {
      if (!key.Matches(EventWord(i))) continue;
      const double t = TCToSeconds(EventTime(i), rate);
      if (t < from) continue;
      SetEventTime(i, SecondsToTC(t + (to - from), rate));
      moved = true;
    }
    // Other parameters' events stay where they are; keep the list in time order.
    if (moved) SortByTime();
  }

  // One merging pass into new buffers rather than an insert per event.
  const int n = Count();
  std::vector<std::uint8_t> records;
  std::vector<std::uint8_t> selected;
  records.reserve(records_.size() + events.size() * kRecordSize);
  selected.reserve(selected_.size() + events.size());
  auto keep = [&](int i) {
    const std::uint8_t* record = records_.data() + static_cast<std::size_t>(i) * kRecordSize;
    records.insert(records.end(), record, record + kRecordSize);
    selected.push_back(selected_[i]);
  };
  int pos = 0;
  for (const AutoEvent& event : events) {
    for (; pos < n && EventTime(pos) < event.time; ++pos) {
      if (key.Matches(EventWord(pos))) {
        const double t = TCToSeconds(EventTime(pos), rate);
        if (t >= from && t <= to) continue;
      }
      keep(pos);
    }
    std::uint8_t record[kRecordSize];
    PutU32(record, event.time);
    PutU32(record + 4, key.Word(key.Value(event.word)));
    records.insert(records.end(), record, record + kRecordSize);
    selected.push_back(select ? 1 : 0);
  }
  for (; pos < n; ++pos) keep(pos);
  records_.swap(records);
  selected_.swap(selected);
}

void TQ730AUTO::EraseEvents(int param, int channel, double from, double to) {
  const EventKey key = KeyOf(param, channel);
  if (!key.valid) return;
  OrderPair(from, to);
  const FrameRate rate = Rate();
  // In a list in time order only the events from the first at from to the last at to can go.
  std::size_t first = 0, last = std::numeric_limits<std::size_t>::max();
  if (SearchableByTime()) {
    first = static_cast<std::size_t>(FirstEventAt(from));
    last = static_cast<std::size_t>(
        FirstEventAt(std::nextafter(to, std::numeric_limits<double>::infinity())));
  }
  KeepRecords(
      records_.Vector(), selected_, kRecordSize,
      [&](int i) {
        if (!key.Matches(EventWord(i))) return true;
        const double t = TCToSeconds(EventTime(i), rate);
        return t < from || t > to;
      },
      first, last);
}

void TQ730AUTO::StartAt(int param, int channel, const EventKey& key, const AutoEvent& first) {
  if (first.time < StartValue(param, channel).time)
    SetStartValue(param, channel, first.time, key.Value(first.word));
}

bool TQ730AUTO::SearchableByTime() const {
  if (order_at_ == records_.Changes()) return facts_.searchable;
  return Facts().searchable;
}

std::pair<int, int> TQ730AUTO::SelectedEventSpan() const {
  const auto first = std::find(selected_.begin(), selected_.end(), 1);
  if (first == selected_.end()) return {0, 0};
  const auto last = std::find(selected_.rbegin(), selected_.rend(), 1).base();
  return {static_cast<int>(first - selected_.begin()), static_cast<int>(last - selected_.begin())};
}

int TQ730AUTO::FirstEventAt(double seconds) const {
  const FrameRate rate = Rate();
  int low = 0;
  for (int span = Count(); span > 0;) {
    const int half = span / 2;
    if (TCToSeconds(EventTime(low + half), rate) < seconds) {
      low += half + 1;
      span -= half + 1;
    } else {
      span = half;
    }
  }
  return low;
}

int TQ730AUTO::FirstEventFrom(int low, TimeCode time) const {
  for (int span = Count() - low; span > 0;) {
    const int half = span / 2;
    if (EventTime(low + half) < time) {
      low += half + 1;
      span -= half + 1;
    } else {
      span = half;
    }
  }
  return low;
}

bool TQ730AUTO::InTimeOrder() const {
  for (int i = 1, n = Count(); i < n; ++i) {
    if (EventTime(i) < EventTime(i - 1)) return false;
  }
  return true;
}

void TQ730AUTO::WriteEvents(int param, double from, double to,
                            std::span<const ChannelEvents> channels, bool select) {
  // Per channel written: its events of param earlier than this may go.
  std::array<TimeCode, kChannelFlags> last{};
  std::array<bool, kChannelFlags> written{};
  const bool searchable = SearchableByTime();
  bool ordered = searchable || InTimeOrder();
  // A channel written twice would see its own new events the second time.
  std::array<bool, kChannelFlags> named{};
  for (const ChannelEvents& c : channels) {
    ordered = ordered && c.channel >= 0 && c.channel < kChannelFlags &&
              !std::exchange(named[static_cast<std::size_t>(c.channel)], true) &&
              std::ranges::is_sorted(c.events, {}, &AutoEvent::time);
  }
  if (!ordered) {
    for (const ChannelEvents& c : channels)
      WriteEvents(param, c.channel, from, to, c.events, select, false);
    return;
  }
  // A new event goes before every event at or after its time, and so before the new events
  // of the channels written before its own at the same time: sorted by time, later channels
  // first, each channel's events in their order.
  struct Fresh {
    AutoEvent event;
    std::size_t batch;
  };
  std::vector<Fresh> fresh;
  std::size_t batch = 0;
  for (const ChannelEvents& c : channels) {
    if (c.events.empty()) continue;
    const EventKey key = KeyOf(param, c.channel);
    if (!key.valid) continue;
    StartAt(param, c.channel, key, c.events.front());
    for (const AutoEvent& e : c.events)
      fresh.push_back({{e.time, key.Word(key.Value(e.word))}, batch});
    ++batch;
    last[static_cast<std::size_t>(c.channel)] = c.events.back().time;
    written[static_cast<std::size_t>(c.channel)] = true;
  }
  if (fresh.empty()) return;
  std::ranges::stable_sort(fresh, [](const Fresh& a, const Fresh& b) {
    return a.event.time != b.event.time ? a.event.time < b.event.time : a.batch > b.batch;
  });

  OrderPair(from, to);
  const FrameRate rate = Rate();
  const EventChannels owners(*this, param);
  // Only events inside the range can be replaced; in a list in time order they lie together.
  int inside_begin = 0, inside_end = Count();
  if (searchable) {
    inside_begin = FirstEventAt(from);
    inside_end = FirstEventAt(std::nextafter(to, std::numeric_limits<double>::infinity()));
  }
  auto replaced = [&](int i) {
    if (i < inside_begin || i >= inside_end) return false;
    bool gone = false;
    owners.ForEach(EventWord(i), [&](int c) {
      if (!written[c] || !(EventTime(i) < last[c])) return;
      const double t = TCToSeconds(EventTime(i), rate);
      gone = gone || (t >= from && t <= to);
    });
    return gone;
  };
  const int n = Count();
  std::vector<std::uint8_t> records;
  std::vector<std::uint8_t> selected;
  records.reserve(records_.size() + fresh.size() * kRecordSize);
  selected.reserve(selected_.size() + fresh.size());
  int pos = 0;
  // The kept records go over in runs, not one by one.
  auto keep_run = [&](int from_index, int to_index) {
    if (from_index >= to_index) return;
    const auto at = [&](int i) {
      return records_.begin() + static_cast<std::ptrdiff_t>(i) * kRecordSize;
    };
    records.insert(records.end(), at(from_index), at(to_index));
    selected.insert(selected.end(), selected_.begin() + from_index, selected_.begin() + to_index);
  };
  // The list is in time order here: the events before a time end where halving finds it, and
  // only those inside the range need looking at one by one.
  auto keep_until = [&](TimeCode time, bool all) {
    const int end = all ? n : FirstEventFrom(pos, time);
    int run = pos;
    for (int i = std::max(pos, inside_begin), stop = std::min(end, inside_end); i < stop; ++i) {
      if (!replaced(i)) continue;
      keep_run(run, i);
      run = i + 1;
    }
    keep_run(run, end);
    pos = end;
  };
  for (const Fresh& f : fresh) {
    keep_until(f.event.time, false);
    std::uint8_t record[kRecordSize];
    PutU32(record, f.event.time);
    PutU32(record + 4, f.event.word);
    records.insert(records.end(), record, record + kRecordSize);
    selected.push_back(select ? 1 : 0);
  }
  keep_until(0, true);
  records_.swap(records);
  selected_.swap(selected);
  // New events in time order merged into a list searched by halving keep it so, unless one of
  // them has a time halving cannot find.
  const bool odd = std::ranges::any_of(fresh, [](const Fresh& f) { return OddTime(f.event.time); });
  if (searchable && !odd) KnownInOrder();
}

void TQ730AUTO::RenewStartValues(int param) {
  // The first remaining event of each selected channel gives its start value. One pass for all
  // channels: an event's group pattern and channel byte name the channel it belongs to.
  const int channels = std::min(ChannelCount(), kChannelFlags);
  std::array<EventKey, kChannelFlags> keys;
  std::array<int, kChannelFlags> first_event;
  first_event.fill(-1);
  int remaining = 0;
  for (int c = 0; c < channels; ++c) {
    // A parameter that cannot have events on a channel keeps its start value there.
    keys[c] = IsChannelSelected(c) ? KeyOf(param, c) : EventKey{};
    if (keys[c].valid) ++remaining;
  }
  const EventChannels owners(*this, param);
  for (int i = 0, n = Count(); i < n && remaining > 0; ++i) {
    owners.ForEach(EventWord(i), [&](int c) {
      if (keys[c].valid && first_event[c] < 0) {
        first_event[c] = i;
        --remaining;
      }
    });
  }
  for (int c = 0; c < channels; ++c) {
    if (!keys[c].valid) continue;
    const int i = first_event[c];
    if (i >= 0) {
      SetStartValue(param, c, EventTime(i), keys[c].Value(EventWord(i)));
    } else {
      SetStartValue(param, c, kNoStartTime, 0);
    }
  }
}

void TQ730AUTO::DeleteSelected() {
  const bool ordered = SearchableByTime();
  TQ730::DeleteSelected();
  // What stays of a list in time order is in time order.
  if (ordered) KnownInOrder();
  RenewStartValues(current_param_);
}

void TQ730AUTO::ShiftTime(double from, double to, bool remove) {
  const FrameRate rate = Rate();
  from = ClampDouble(from, 0, 86399);
  to = ClampDouble(to, 0, 86399);
  OrderPair(from, to);
  const double delta = to - from;
  if (delta == 0) return;
  const TimeCode from_time = SecondsToTC(from, rate);
  auto moved = [&](double t) { return SecondsToTC(remove ? t - delta : t + delta, rate); };

  ForEachStartEntry([&](int offset) {
    std::uint8_t* entry = table_.data() + offset;
    const std::uint32_t bcd = GetU32(entry);
    if (bcd == kNoStartBCD) return;
    const double t = TCToSeconds(FromBCD(bcd), rate);
    if (t < from) return;
    PutU32(entry, ToBCD(remove && t < to ? from_time : moved(t)));
  });

  // Events at `from` itself stay; the order of the list is kept, since every
  // later event moves by the same amount.
  KeepRecords(records_.Vector(), selected_, kRecordSize, [&](int i) {
    const double t = TCToSeconds(EventTime(i), rate);
    if (t <= from) return true;
    if (remove && t < to) return false;
    SetEventTime(i, moved(t));
    return true;
  });
}

void TQ730AUTO::SetSelectedValues(const std::function<int(int value, int max)>& to) {
  if (TitleLocked()) return;
  const int param = current_param_;
  struct ChannelKey {
    EventKey key;
    int max;
  };
  std::vector<ChannelKey> keys;
  for (int c = 0, n = std::min(ChannelCount(), kChannelFlags); c < n; ++c) {
    const EventKey key = KeyOf(param, c);
    if (IsChannelSelected(c) && key.valid) keys.push_back({key, ParamMax(c, param)});
  }
  // Only words change: the times, and what is known of them, stay.
  const bool known = facts_at_ == records_.Changes();
  const auto [first, end] = SelectedEventSpan();
  for (int i = first; i < end; ++i) {
    if (!selected_[i]) continue;
    const std::uint32_t word = EventWord(i);
    for (const ChannelKey& k : keys) {
      if (!k.key.Matches(word)) continue;
      const int max = std::max(k.max, 0);
      const int moved = std::clamp(to(k.key.Value(word), max), 0, max);
      PutU32(records_.data() + static_cast<std::size_t>(i) * kRecordSize + 4, k.key.Word(moved));
      break;
    }
  }
  if (known) facts_at_ = order_at_ = records_.Changes();
}

void TQ730AUTO::OffsetValues(double seconds, int delta) {
  if (TitleLocked()) return;
  const int param = current_param_;
  const bool level = IsLevelParam(param);
  SetSelectedValues([level, delta](int value, int max) {
    return level ? NearestFaderIndex(FaderDb(value) + delta) : std::clamp(value + delta, 0, max);
  });
  TClip moving;
  moving.CopyAutomation(*this, param, range_start_, range_end_);
  DeleteSelected();
  moving.PasteAutomation(*this, range_start_ + seconds, true);
  range_start_ = ClampDouble(range_start_ + seconds, 0, 86399);
  range_end_ = ClampDouble(range_end_ + seconds, 0, 86399);
}

void TQ730AUTO::InsertTimeAt(const TClip& clip) {
  const int param = current_param_;
  if (TitleLocked() || !clip.HoldsAutomationOf(param)) return;
  constexpr double kDayEnd = 86400;
  const double start = range_start_;
  std::fill(selected_.begin(), selected_.end(), 0);
  SelectRange(param, start, kDayEnd);
  TClip later;
  later.CopyAutomation(*this, param, start, kDayEnd);
  // The later events move rather than being copied: where they were is the room the
  // clipboard's content is pasted into.
  DeleteSelected();
  later.PasteAutomation(*this, start + clip.Duration(), false);
  clip.PasteAutomation(*this, start, true);
}

}  // namespace orb
