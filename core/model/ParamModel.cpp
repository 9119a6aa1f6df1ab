#include "core/model/ParamModel.h"

#include <algorithm>
#include <climits>

#include "core/model/Q730.h"
#include "core/model/Q730sysf.h"

namespace orb {
namespace {

constexpr int kHalf = -1;  // default: max / 2
constexpr int kNone = -2;  // no default
constexpr int kDelayAt48k = 12287999;

constexpr ParamDescriptor B(int id, int max, int offset, int def = kHalf) {
  return {id, kStoreByte, max, offset, def};
}
constexpr ParamDescriptor W(int id, int offset, int def) {
  return {id, kStoreWord, 1023, offset, def};
}
constexpr ParamDescriptor Block(int id, int offset) {
  return {id, kStoreBlock, 1, offset, kNone};
}
constexpr ParamDescriptor Computed(int id, int max) {
  return {id, kStoreComputed, max, -1, kNone};
}

// The filter, EQ band and dynamics rows at their channel strip offsets; the bus strips and the
// library records hold the same blocks elsewhere.
constexpr ParamDescriptor kFilterRows[] = {
    Block(44, 14), B(46, 1, 14), B(52, 1, 15), B(55, 47, 16), B(51, 1, 17), B(60, 47, 19),
};
constexpr ParamDescriptor kEqRows[] = {
    Block(43, 20),  B(45, 1, 20),   B(53, 1, 21),  B(54, 1, 22),   B(47, 1, 24),
    B(56, 60, 25),  B(65, 127, 26), B(61, 62, 27), B(48, 1, 28),   B(57, 60, 29),
    B(66, 127, 30), B(62, 62, 31),  B(49, 1, 32),  B(58, 60, 33),  B(67, 127, 34),
    B(63, 62, 35),  B(50, 1, 36),   B(59, 60, 37), B(68, 127, 38), B(64, 62, 39),
};
constexpr ParamDescriptor kDynamicsRows[] = {
    Block(16, 40),
    B(17, 1, 40),
    {18, kStoreInverted, 1, 41, kHalf},
    B(19, 1, 41),
    B(42, 1, 42),
    B(41, 47, 43),
    B(26, 1, 44),
    {23, kStoreInverted, 1, 45, kHalf},
    B(24, 1, 45),
    B(20, 1, 46),
    B(37, 60, 47),
    B(38, 60, 48),
    B(40, 7, 49),
    B(33, 105, 50),
    B(34, 30, 51),
    B(35, 105, 52),
    B(39, 96, 53),
    B(36, 120, 54),
    B(25, 1, 56),
    {21, kStoreInverted, 1, 57, kHalf},
    B(22, 1, 57),
    B(31, 60, 58),
    B(27, 125, 59),
    B(28, 30, 60),
    B(29, 105, 61),
    B(32, 96, 62),
    B(30, 120, 63),
};

constexpr ParamDescriptor kInputHead[] = {
    {3, kStoreLong, kDelayAt48k, 0, 0},
    B(5, 1, 4, 0),
    B(4, 4, 5, 0),
    B(2, 1, 6),
    B(1, 120, 7),
    B(129, 120, 8, kNone),
    B(106, 1, 9),
    W(110, 10, 778),
    B(126, 8, 12, kNone),
    B(127, 8, 13, kNone),
};
constexpr ParamDescriptor kInputTail[] = {
    B(105, 1, 64),          B(109, 126, 65),     B(14, 1, 66),           B(15, 1, 67),
    B(93, 126, 68),         B(94, 126, 69),      B(95, 126, 70),         B(96, 126, 71),
    B(97, 1, 72),           B(98, 1, 73),        B(99, 1, 74),           B(100, 1, 75),
    W(85, 76, 0),           B(69, 1, 78),        B(77, 1, 79),           W(86, 80, 0),
    B(70, 1, 82),           B(78, 1, 83),        W(87, 84, 0),           B(71, 1, 86),
    B(79, 1, 87),           W(88, 88, 0),        B(72, 1, 90),           B(80, 1, 91),
    W(89, 92, 0),           B(73, 1, 94),        B(81, 1, 95),           W(90, 96, 0),
    B(74, 1, 98),           B(82, 1, 99),        W(91, 100, 0),          B(75, 1, 102),
    B(83, 1, 103),          W(92, 104, 0),       B(76, 1, 106),          B(84, 1, 107),
    W(108, 108, 0),         W(123, 110, 0),      B(124, 1, 112, 0),      B(101, 1, 113, 0),
    B(119, 1, 113, 0),      B(120, 126, 114, 0), B(121, 126, 115, 0),    B(122, 100, 116, 0),
    B(107, 126, 117),       B(112, 2, 118, 0),   {113, 1110, 1, 118, 0}, {114, 1111, 1, 118, 0},
    {115, 1112, 1, 118, 0}, B(103, 1, 119),      B(104, 1, 120),         B(125, 1, 121, 0),
    B(6, 1, 122),           B(7, 1, 123),        B(8, 1, 124),           B(9, 1, 125),
    B(10, 1, 126),          B(11, 1, 127),       B(12, 1, 128),          B(13, 1, 129),
    Computed(102, 3),       Computed(116, 1),    Computed(117, 1),       Computed(118, 1),
};
constexpr ParamDescriptor kBusHead[] = {W(110, 0, 778), B(126, 8, 2, kNone)};
constexpr ParamDescriptor kBusTail[] = {Computed(102, 1)};
constexpr ParamDescriptor kReturnRows[] = {
    W(110, 0, 778), B(106, 1, 2), B(129, 120, 3, kNone), B(126, 8, 4, kNone), B(127, 8, 5, kNone),
    B(14, 1, 6),    B(15, 1, 7),  B(69, 1, 8),           B(70, 1, 9),         B(71, 1, 10),
    B(72, 1, 11),   B(73, 1, 12), B(74, 1, 13),          B(75, 1, 14),        B(76, 1, 15),
    B(6, 1, 16),    B(7, 1, 17),  B(8, 1, 18),           B(9, 1, 19),         B(10, 1, 20),
    B(11, 1, 21),   B(12, 1, 22), B(13, 1, 23),          B(104, 1, 25),       Computed(102, 1),
};

// Rows with their offsets moved; rows whose id is listed in drop are left out.
template <std::size_t N>
struct Rows {
  std::array<ParamDescriptor, N> rows{};
  std::size_t size = 0;

  constexpr void Add(std::span<const ParamDescriptor> from, int shift = 0,
                     std::initializer_list<int> drop = {}) {
    for (const ParamDescriptor& row : from) {
      if (std::find(drop.begin(), drop.end(), row.id) != drop.end()) continue;
      ParamDescriptor moved = row;
      if (moved.offset >= 0) moved.offset += shift;
      rows[size++] = moved;
    }
  }
  constexpr void SetMax(int id, int max) {
    for (std::size_t i = 0; i < size; ++i) {
      if (rows[i].id == id) rows[i].max = max;
    }
  }
};

constexpr std::size_t kInputCount = std::size(kInputHead) + std::size(kFilterRows) +
                                    std::size(kEqRows) + std::size(kDynamicsRows) +
                                    std::size(kInputTail);
constexpr std::size_t kBusCount =
    std::size(kBusHead) + std::size(kEqRows) + std::size(kDynamicsRows) - 2 + std::size(kBusTail);
constexpr std::size_t kDynLibCount = std::size(kDynamicsRows) - 1;
constexpr std::size_t kEqLibCount = std::size(kFilterRows) + std::size(kEqRows);

constexpr int kHighRateHfMax = 58;
constexpr int kNormalHfMax = 47;
constexpr int kDelayAt44k = 44100 * 256 - 1;

constexpr Rows<kInputCount> MakeInput(int rate_mode) {
  Rows<kInputCount> t;
  t.Add(kInputHead);
  t.Add(kFilterRows);
  t.Add(kEqRows);
  t.Add(kDynamicsRows);
  t.Add(kInputTail);
  t.SetMax(kParamDelay, rate_mode % 2 ? kDelayAt44k : kDelayAt48k);
  t.SetMax(kParamHfFilterFreq, rate_mode >= 2 ? kHighRateHfMax : kNormalHfMax);
  return t;
}
constexpr Rows<kBusCount> MakeBus() {
  Rows<kBusCount> t;
  t.Add(kBusHead);
  t.Add(kEqRows, -16);
  t.Add(kDynamicsRows, -16, {kParamDynamicsPreEq, kParamDynamicsPostEq});
  t.Add(kBusTail);
  return t;
}
constexpr Rows<kDynLibCount> MakeDynLib() {
  Rows<kDynLibCount> t;
  t.Add(kDynamicsRows, -12, {kParamDynamicsKey});
  return t;
}
constexpr Rows<kEqLibCount> MakeEqLib(bool high_rate) {
  Rows<kEqLibCount> t;
  t.Add(kFilterRows, 14);
  t.Add(kEqRows, 14);
  t.SetMax(kParamHfFilterFreq, high_rate ? kHighRateHfMax : kNormalHfMax);
  return t;
}

constexpr Rows<kInputCount> kInput[4] = {MakeInput(0), MakeInput(1), MakeInput(2), MakeInput(3)};
constexpr Rows<kBusCount> kBus = MakeBus();
constexpr Rows<kDynLibCount> kDynLib = MakeDynLib();
constexpr Rows<kEqLibCount> kEqLib[2] = {MakeEqLib(false), MakeEqLib(true)};
static_assert(kInput[0].size == kInputCount && kBus.size == kBusCount &&
              kDynLib.size == kDynLibCount && kEqLib[0].size == kEqLibCount);

constexpr ParamDescriptor kSystemRows[] = {
    Computed(111, INT_MAX),  Computed(128, 1),  Computed(130, 120),    Computed(131, 120),
    Computed(132, 120),      Computed(133, 86), Computed(134, 86),     Computed(135, 86),
    Computed(136, 86),       Computed(137, 86), Computed(138, 86),     Computed(139, 86),
    Computed(140, 18),       Computed(141, 1),  Computed(142, 2),      Computed(143, 1),
    Computed(144, 255),      Computed(145, 1),  Computed(146, 5),      Computed(147, 1),
    Computed(148, 1),        Computed(149, 1),  Computed(150, 1),      Computed(151, 1),
    Computed(152, 1),        Computed(153, 4),  Computed(154, 0xFFFF), Computed(155, 250),
    Computed(156, INT_MAX),  Computed(157, 1),  Computed(158, 1),      Computed(159, 1),
    Computed(160, 0xFFFFFF), Computed(161, 1),  Computed(162, 15),     Computed(163, 15),
    Computed(164, 2),        Computed(165, 2),  Computed(166, 1),      Computed(167, 1),
    Computed(168, 1),        Computed(169, 1),  Computed(170, 1),      Computed(171, 1),
    Computed(172, 1),
};

// Row index by id for one table, so that the many lookups of a link pass stay cheap.
struct IdIndex {
  std::array<std::int16_t, kParamIdLimit> row{};
};
template <typename Table>
constexpr IdIndex MakeIndex(const Table& table) {
  IdIndex index;
  for (auto& r : index.row) r = -1;
  for (std::size_t i = table.size; i-- > 0;)
    index.row[table.rows[i].id] = static_cast<std::int16_t>(i);
  return index;
}
constexpr IdIndex kInputIndex = MakeIndex(kInput[0]);
constexpr IdIndex kBusIndex = MakeIndex(kBus);
constexpr IdIndex MakeReturnIndex() {
  IdIndex index;
  for (auto& r : index.row) r = -1;
  for (std::size_t i = std::size(kReturnRows); i-- > 0;)
    index.row[kReturnRows[i].id] = static_cast<std::int16_t>(i);
  return index;
}
constexpr IdIndex kReturnIndex = MakeReturnIndex();

int RateVariant(int rate_mode) {
  return rate_mode >= 0 && rate_mode < 4 ? rate_mode : 0;
}

}  // namespace

std::span<const ParamDescriptor> StripParams(int kind, int rate_mode) {
  switch (kind) {
    case kGroupInput: {
      const auto& t = kInput[RateVariant(rate_mode)];
      return {t.rows.data(), t.size};
    }
    case kGroupMTR:
    case kGroupAUX:
    case kGroupPGM:
      return {kBus.rows.data(), kBus.size};
    case kGroupRTN:
      return kReturnRows;
    default:
      return {};
  }
}

const ParamDescriptor* FindStripParam(int kind, int id, int rate_mode) {
  if (id < 0 || id >= kParamIdLimit) return nullptr;
  const IdIndex* index = nullptr;
  switch (kind) {
    case kGroupInput:
      index = &kInputIndex;
      break;
    case kGroupMTR:
    case kGroupAUX:
    case kGroupPGM:
      index = &kBusIndex;
      break;
    case kGroupRTN:
      index = &kReturnIndex;
      break;
    default:
      return nullptr;
  }
  const int row = index->row[id];
  return row < 0 ? nullptr : &StripParams(kind, rate_mode)[row];
}

std::span<const ParamDescriptor> DynamicsLibraryParams() {
  return {kDynLib.rows.data(), kDynLib.size};
}

std::span<const ParamDescriptor> EqLibraryParams(int rate_mode) {
  const auto& t = kEqLib[RateVariant(rate_mode) >= 2 ? 1 : 0];
  return {t.rows.data(), t.size};
}

const ParamDescriptor* FindSystemParam(int id) {
  if (!IsSystemParam(id)) return nullptr;
  for (const ParamDescriptor& row : kSystemRows) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

int SampleRateOrDefault(int rate_mode) {
  const int hz = SampleRateHz(rate_mode);
  return hz > 0 ? hz : 48000;
}

int DelayMax(int rate_mode) {
  return kInput[RateVariant(rate_mode)].rows[kInputIndex.row[kParamDelay]].max;
}

int HfFreqMax(int rate_mode) {
  return RateVariant(rate_mode) >= 2 ? kHighRateHfMax : kNormalHfMax;
}

bool ExistsInLayout(const TQ730SYSF& system, int id) {
  const int aux = system.GroupSize(kGroupAUX);
  for (int first : {kParamAuxOn, kParamAuxPre, kParamAuxLevel}) {
    if (id >= first && id < first + kAuxSends) return id - first < aux;
  }
  for (int first : {kParamAuxPan, kParamAuxPanOn}) {
    if (id >= first && id < first + kAuxSendPairs) return 2 * (id - first) + 1 < aux;
  }
  if (id >= kParamBusAssign && id < kParamBusAssign + kBusAssigns)
    return id - kParamBusAssign < system.GroupSize(kGroupMTR);
  if (id == kParamPgmAssignL || id == kParamPgmAssignR || id == kParamPanOn || id == kParamPan)
    return system.GroupSize(kGroupPGM) != 0;
  return true;
}

bool CanLinkDynamics(const TQ730SYSF& system, int channel) {
  const int kind = system.ChannelKind(channel);
  if (kind < 0) return false;
  const int first = system.FirstChannelOf(kind);
  if (channel == 23 || channel == first + system.GroupSize(kind) - 1) return false;
  if (channel == system.FirstChannelOf(kGroupAUX) + 3) return false;
  if (system.HighRate() && (channel == 11 || channel == system.FirstChannelOf(kGroupMTR) + 3))
    return false;
  return true;
}

int LinkFunctionOf(int id) {
  for (std::size_t i = 0; i < kLinkFunctions.size(); ++i) {
    if (id >= kLinkFunctions[i].first_id && id <= kLinkFunctions[i].last_id)
      return static_cast<int>(i);
  }
  return -1;
}

LinkedSet LinkedChannelsOf(const TQ730SYSF& system, int channel, int id, int mode) {
  LinkedSet set;
  const int row = LinkFunctionOf(id);
  const int kind = system.ChannelKind(channel);
  if (row < 0 || kind < 0) return set;
  const int position = kLinkFunctions[row].position;
  const auto block = system.Block();
  const int first = system.FirstChannelOf(kind);
  const int end = first + system.GroupSize(kind);
  if (mode == kStereo) {
    if (block[kStereoFunctions + position] == 0) return set;
    const int partner = first + ((channel - first) ^ 1);
    if (partner < end) {
      set.linked = true;
      set.Add(partner);
    }
    return set;
  }
  if (mode != kSurround) return set;
  const std::uint8_t* record = &block[kSurroundRecords + 3 * position];
  if (record[0] == 0) return set;
  const int b1 = record[1];
  const int b2 = record[2];
  const int q = (channel - first) % 6;
  bool follows[6] = {};
  auto mark = [&](int from, int to, bool on) {
    for (int m = from; m <= to; ++m) follows[m] = follows[m] || on;
  };
  if (q < 3) {
    mark(0, 2, b1 & 1);
    if (b2 & 1) {
      mark(3, 3, b2 & 2);
      mark(4, 5, b2 & 4);
    }
  } else if (q == 3) {
    if (b2 & 2) {
      mark(0, 2, b2 & 1);
      mark(4, 5, b2 & 4);
    }
  } else {
    mark(4, 5, b1 & 4);
    if (b2 & 4) {
      mark(3, 3, b2 & 2);
      mark(0, 2, b2 & 1);
    }
  }
  set.linked = true;
  const int base = channel - q;
  for (int m = 0; m < 6; ++m) {
    // A group that does not fit before the next kind lists only its members inside the kind.
    if (m != q && follows[m] && base + m < end) set.Add(base + m);
  }
  return set;
}

int ThresholdTenths(int index) {
  index = std::clamp(index, 0, 125);
  return index <= 90 ? -5 * index : -450 - 10 * (index - 90);
}

ThresholdPair CoupledThresholds(int written_id, ThresholdPair now, int knee) {
  constexpr int kGateMax = 125;
  const int k = 5 * std::max(knee, 0);
  auto too_high = [k](int comp, int gate) {
    return ThresholdTenths(comp) - k < ThresholdTenths(gate);
  };
  if (written_id == kParamCompDuckThreshold || written_id == kParamCompKnee) {
    while (now.gate < kGateMax && too_high(now.comp, now.gate)) ++now.gate;
  } else if (written_id == kParamExpGateThreshold) {
    // The loop stops at the ends of both ranges, whatever a file left in the knee.
    while (too_high(now.comp, now.gate)) {
      if (now.comp > 0) {
        --now.comp;
      } else if (now.gate < kGateMax) {
        ++now.gate;
      } else {
        break;
      }
    }
  }
  return now;
}

namespace {

const ParamGroup kChannelGroups[] = {
    {"Input Source", {129}},
    {"Trim/Phase/Delay", {1, 2, 3, 4, 5}},
    {"EQ/Filter", {46, 52, 55, 51, 60, 45, 53, 54, 47, 56, 65, 61,
                   48, 57, 66, 62, 49, 58, 67, 63, 50, 59, 68, 64}},
    // The knee before the thresholds and COMP before EXP/GATE, so that the threshold coupling
    // lets a consistent set of values through unchanged.
    {"Dynamics",
     {17, 19, 42, 26, 24, 20, 37, 38, 40, 33, 34, 35, 39, 36, 25, 22, 31, 27, 28, 29, 32, 30}},
    {"AUX Sends", {85, 86, 87, 88, 89, 90, 91, 92, 69, 70, 71, 72, 73, 74, 75, 76,
                   77, 78, 79, 80, 81, 82, 83, 84, 93, 94, 95, 96, 97, 98, 99, 100}},
    {"Bus/PGM Assign", {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 112}},
    {"Pan/Surround", {105, 109, 103, 107, 119, 120, 121, 122, 123}},
    {"Cut", {106, 104}},
    {"Fader/MTR Level", {110, 108}},
    {"Stereo/Surround Link", {102, 116, 117, 118, 124, 125}},
    {"Fader/Cut Group", {126, 127}},
};
const ParamGroup kDynamicsGroups[] = {
    {"Dynamics", {17, 19, 42}},
    {"COMP/DUCK", {26, 24, 20, 37, 38, 40, 33, 34, 35, 39, 36}},
    {"EXP/GATE", {25, 22, 31, 27, 28, 29, 32, 30}},
};
const ParamGroup kEqGroups[] = {
    {"Filter", {46, 52, 55, 51, 60}},
    {"EQ", {45, 53, 54, 47, 56, 65, 61, 48, 57, 66, 62, 49, 58, 67, 63, 50, 59, 68, 64}},
};

}  // namespace

ParamGroupList ParamGroupsOf(int kind, const TQ730SYSF* system) {
  std::span<const ParamGroup> groups;
  switch (kind) {
    case TQ730::kSystem:
    case TQ730::kSnapshot:
      groups = kChannelGroups;
      break;
    case TQ730::kDynLib:
      groups = kDynamicsGroups;
      break;
    case TQ730::kEqLib:
      groups = kEqGroups;
      break;
    default:
      return {};
  }
  ParamGroupList list;
  for (const ParamGroup& group : groups) {
    ParamGroup kept{group.name, {}};
    for (int id : group.ids) {
      if (!system || ExistsInLayout(*system, id)) kept.ids.push_back(id);
    }
    if (!kept.ids.empty()) list.push_back(std::move(kept));
  }
  return list;
}

std::vector<int> ParamIdsOf(const ParamGroupList& groups) {
  std::vector<int> ids;
  for (const ParamGroup& group : groups) ids.insert(ids.end(), group.ids.begin(), group.ids.end());
  return ids;
}

}  // namespace orb
