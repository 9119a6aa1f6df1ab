#include "core/model/Q730snap.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <vector>

#include "core/model/Clip.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730lib.h"
#include "core/model/Q730sysf.h"

namespace orb {
namespace {

constexpr char kVersionTag[4] = {'V', '0', '0', '2'};

// The parts of the system block a snapshot keeps: system offset, record
// offset, length.
struct SnapRegion {
  int system;
  int record;
  int length;
};
constexpr SnapRegion kSnapRegions[] = {
    {7596, 28, 96},      // channel pairs
    {1260, 124, 6336},   // input channel strips
    {7692, 6460, 1240},  // buses and master
};

constexpr int kCueKindOffset = 29;
constexpr int kCueReferenceOffset = 30;
constexpr std::uint32_t kFirstCueTime = 0x00000001;

constexpr ParamDescriptor kCueParams[] = {
    {kParamCueTime, kStoreLong, 0x7FFFFFFF, 0, 0},
    {kParamCueTcLink, kStoreByte, 1, 28, 0},
    {kParamCueEvent, kStoreByte, 3, kCueKindOffset, 0},
    {kParamCueEventNumber, kStoreByte, 99, kCueReferenceOffset, 0},
    {kParamCueChannel, kStoreByte, 255, 31, 0},
    {kParamCueEventName, kStoreByte, 99, kCueReferenceOffset, 0},
};

std::uint32_t CueTime(std::span<const std::uint8_t> cue) {
  return GetU32(cue.data());
}

// Time, name and bytes 28–31: what tells one cue from another.
bool SameCue(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  return CueTime(a) == CueTime(b) && SlotText(a.data() + 4, 24) == SlotText(b.data() + 4, 24) &&
         std::equal(a.begin() + 28, a.begin() + 32, b.begin() + 28);
}

}  // namespace

std::string DefaultRecordName(int position) {
  std::string name = "#";
  name += ZeroPad(position, 2);
  return name;
}

TQ730SNAP::TQ730SNAP() : TQ730(kSnapshot, "snap.dat", kRecordSize, 99) {}

Status TQ730SNAP::Load(DataFile& file) {
  return LoadRecordChunk(file);
}

int TQ730SNAP::NewRecord(int channel) {
  if (!CanDo(-1, kOpNew)) return -1;
  const int index = AppendRecord();
  std::memcpy(Record(index).data(), kVersionTag, sizeof kVersionTag);
  SetName(index, DefaultRecordName(index + 1));
  StoreRecord(channel, index);
  return index;
}

void TQ730SNAP::StoreRecord(int, int index) {
  auto record = Record(index);
  if (record.empty()) return;
  std::fill(selected_.begin(), selected_.end(), 0);
  SetSelected(index, true);
  if (!System()) return;
  const auto block = System()->Block();
  for (const SnapRegion& region : kSnapRegions) {
    std::memcpy(record.data() + region.record, block.data() + region.system, region.length);
  }
}

namespace {

// The isolate function (0 to 8) whose switch keeps a parameter from a snapshot recall, -1 for a
// parameter that is always recalled and kNeverRecalled for one that never is.
constexpr int kNeverRecalled = 9;
int RecallCategory(int id) {
  if (id == kParamInputSource) return 0;
  if (id >= kParamEqFirst && id <= kParamEqLast) return 1;
  if (id >= kParamDynamicsFirst && id <= kParamDynamicsLast) return 2;
  if (id >= kParamAuxOn && id < kParamAuxPanOn + kAuxSendPairs) return 3;
  if (id == kParamCut) return 4;
  if ((id >= kParamBusAssign && id <= kParamPgmAssignR) || id == kParamPrePost) return 5;
  if (id == kParamSurroundPanGraph || id == kParamMtrPanOn || id == kParamPanOn ||
      id == kParamMtrPan || id == kParamPan || (id >= kParamSurroundPanOn && id <= kParamSwLevel))
    return 6;
  if (id == kParamMtrLevel || id == kParamFaderLevel) return 7;
  if (id >= kParamTrim && id <= kParamDelayOn) return 8;
  if (id == kParamLinkMode || id == kParamSwGang || id == kParamMtrPanGang ||
      id == kParamFaderGroup)
    return kNeverRecalled;
  return -1;
}

// Input routing settings a recall restores as bytes: record offset, system offset, length.
struct RoutingBytes {
  int record;
  int system;
  int length;
};
constexpr RoutingBytes kRecalledRouting[] = {{7620, 8852, 16}, {7612, 8844, 6}, {7618, 8850, 1}};

// Runs f for every selected snapshot as the current one; the current one is kept.
template <typename F>
void ForEachSelectedSnapshot(TQ730SNAP& snaps, F f) {
  const int current = snaps.CurrentRecord();
  for (int i = 0, n = snaps.Count(); i < n; ++i) {
    if (!snaps.IsSelected(i)) continue;
    snaps.SetCurrentRecord(i);
    f();
  }
  snaps.SetCurrentRecord(current);
}

}  // namespace

void TQ730SNAP::RecallRecord(int, int index) {
  auto record = Record(index);
  if (record.empty() || !System()) return;
  std::fill(selected_.begin(), selected_.end(), 0);
  SetSelected(index, true);
  SetCurrentRecord(index);
  TQ730SYSF& system = *System();

  bool isolated[9];
  for (int i = 0; i < 9; ++i) isolated[i] = system.GetParam(i, kParamIsolateFunction) > 0;
  ParamGroupList groups;
  ListParams(groups);
  std::vector<int> ids = ParamIdsOf(groups);
  ids.push_back(kParamDynamicsKey);
  std::erase_if(ids, [&](int id) {
    const int category = RecallCategory(id);
    return category == kNeverRecalled || (category >= 0 && isolated[category]);
  });

  TClip clip;
  clip.CopyRecords(*this, kSnapshot, ids, true, false, 0, -1);
  clip.NextRecord();
  for (int c = 0, n = system.ChannelCount(); c < n; ++c)
    system.SetChannelSelected(c, system.GetParam(c, kParamSnapshotIsolate) == 0);
  clip.PasteRecords(system);
  system.DeselectAllChannels();

  if (!isolated[0] && !TitleLocked()) {
    for (const RoutingBytes& r : kRecalledRouting)
      std::memcpy(system.Block().data() + r.system, record.data() + r.record, r.length);
  }
}

void TQ730SNAP::CopyParamValue(int source, int dest) {
  ForEachSelectedSnapshot(*this, [&] { TQ730::CopyParamValue(source, dest); });
}

void TQ730SNAP::ResetParams(const ParamGroupList& groups) {
  // The defaults depend on the layout alone: worked out once, then written into every selected
  // snapshot.
  struct Reset {
    int channel;
    int id;
    int value;
  };
  std::vector<Reset> resets;
  for (int c = 0, n = ChannelCount(); c < n; ++c) {
    for (const ParamGroup& group : groups) {
      for (int id : group.ids) {
        const int value = ParamDefault(c, id);
        if (value >= 0) resets.push_back({c, id, value});
      }
    }
  }
  EditFlagScope edit(*this);
  const int current = CurrentRecord();
  BulkWriter writer(*this);
  for (int s = 0, n = Count(); s < n; ++s) {
    if (!IsSelected(s)) continue;
    writer.Begin(s);
    for (const Reset& r : resets) writer.Write(r.channel, r.id, r.value);
  }
  SetCurrentRecord(current);
}

std::span<std::uint8_t> TQ730SNAP::ParamBytes(int channel) {
  auto record = Record(CurrentRecord());
  const int kind = ChannelKind(channel);
  if (record.empty() || kind < 0) return {};
  const ChannelPlace& place = kChannelPlaces[kind];
  const int at = place.strip_snapshot + place.strip_size * (channel - FirstChannelOf(kind));
  return record.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(place.strip_size));
}

std::uint8_t* TQ730SNAP::PairBytes(int channel) {
  auto record = Record(CurrentRecord());
  const int kind = ChannelKind(channel);
  if (record.empty() || kind < 0) return nullptr;
  const ChannelPlace& place = kChannelPlaces[kind];
  const int pair = (channel - FirstChannelOf(kind)) / 2;
  if (place.pair_stride == 0 || pair >= place.pair_count) return nullptr;
  return record.data() + place.pair_snapshot + place.pair_stride * pair;
}

std::uint8_t* TQ730SNAP::GroupBytes(int group) {
  auto record = Record(CurrentRecord());
  if (record.empty() || group < 0 || group >= kFaderGroups) return nullptr;
  return record.data() + kGroupBytesSnapshot + kGroupStride * group;
}

const ParamDescriptor* TQ730SNAP::FindParam(int channel, int id) const {
  if (id >= kParamGroupType && id <= kParamGroupVcaMaster) return FindSystemParam(id);
  if (IsSystemParam(id) || !System()) return nullptr;
  return FindStripParam(ChannelKind(channel), id, System()->SampleRateMode());
}

TQ730::ParamSource TQ730SNAP::SourceOf(int channel, int id) const {
  auto* self = const_cast<TQ730SNAP*>(this);
  if (id == kParamLinkMode || (id >= kParamStereoReverse && id <= kParamStereoMsDecode)) {
    const std::uint8_t* pair = self->PairBytes(channel);
    if (!pair) return {};
    if (id == kParamLinkMode) return {pair, kStoreByte};
    if (ChannelKind(channel) != kGroupInput) return {};
    return {pair + 1, kStoreByte, static_cast<std::uint8_t>(StereoFunctionBit(id))};
  }
  if (id >= kParamGroupType && id <= kParamGroupVcaMaster) {
    const std::uint8_t* group = self->GroupBytes(channel);
    if (!group) return {};
    return {group + (id - kParamGroupType), kStoreByte};
  }
  return TQ730::SourceOf(channel, id);
}

TQ730SNAP::OwnField TQ730SNAP::OwnFieldOf(int channel, int id) {
  const ParamDescriptor* row = FindParam(channel, id);
  if (!row) return {};
  if (id >= kParamGroupType) {
    std::uint8_t* group = GroupBytes(channel);
    return {group ? group + (id - kParamGroupType) : nullptr, row->max};
  }
  std::uint8_t* pair = PairBytes(channel);
  if (!pair) return {};
  if (id == kParamLinkMode) return {pair, row->max};
  if (ChannelKind(channel) != kGroupInput) return {};
  return {pair + 1, row->max, static_cast<std::uint8_t>(StereoFunctionBit(id))};
}

void TQ730SNAP::SetParam(int channel, int id, int value) {
  if (id == kParamDynamicsLink) {
    if (value >= 0 && (!System() || !CanLinkDynamics(*System(), channel))) value = 0;
  } else if (OwnHandling(id)) {
    if (value < 0 || TitleLocked() || !EditEnabled()) return;
    const OwnField field = OwnFieldOf(channel, id);
    if (field.at) Store(field.at, field.bit, std::min(value, field.max));
    return;
  }
  TQ730::SetParam(channel, id, value);
}

TQ730SNAP::PlaceKey TQ730SNAP::CurrentPlaceKey() const {
  const TQ730SYSF* system = System();
  if (!system) return {.locked = TitleLocked(), .edit = EditEnabled()};
  return {system, &system->CurrentLayout(), system->SampleRateMode(), TitleLocked(), EditEnabled()};
}

void TQ730SNAP::BulkAccess::Begin(int index) {
  snaps_.SetCurrentRecord(index);
  auto record = snaps_.Record(index);
  record_ = record.empty() ? nullptr : record.data();
}

int TQ730SNAP::BulkReader::Read(int channel, int id) {
  Place* place = record_ ? places_.Find(channel, id) : nullptr;
  if (!place) return snaps_.GetParam(channel, id);
  if (!place->known) {
    const ParamSource source = snaps_.SourceOf(channel, id);
    *place = {true, source.bit, static_cast<std::int16_t>(source.storage),
              source.at ? static_cast<std::int32_t>(source.at - record_) : -1, source.value};
  }
  if (place->offset < 0) return place->value;
  return ReadSource({record_ + place->offset, place->storage, place->bit});
}

TQ730SNAP::BulkWriter::Place TQ730SNAP::BulkWriter::Resolve(int channel, int id) {
  if (snaps_.TitleLocked() || !snaps_.EditEnabled()) return {kStoresNothing};
  if (OwnHandling(id) && id != kParamDynamicsLink) {
    const OwnField field = snaps_.OwnFieldOf(channel, id);
    if (!field.at) return {kStoresNothing};
    return {kBit, field.bit, static_cast<std::int32_t>(field.at - record_), field.max};
  }
  const ParamDescriptor* row = nullptr;
  const std::uint8_t* at = snaps_.StoreTarget(channel, id, row);
  if (!at) return {kStoresNothing};
  int max = row->max;
  // A channel whose dynamics cannot link to the next one stores 0.
  if (id == kParamDynamicsLink && (!snaps_.System() || !CanLinkDynamics(*snaps_.System(), channel)))
    max = 0;
  return {CouplesThresholds(id) ? kCoupled : kPlain, static_cast<std::int16_t>(row->storage),
          static_cast<std::int32_t>(at - record_), max};
}

const TQ730SNAP::BulkWriter::Place* TQ730SNAP::BulkWriter::PlaceOf(int channel, int id) {
  Place* place = places_.Find(channel, id);
  if (place && place->kind == kUnknown) *place = Resolve(channel, id);
  return place;
}

void TQ730SNAP::BulkWriter::Write(int channel, int id, int value) {
  if (!record_ || value < 0) return;
  const Place* entry = PlaceOf(channel, id);
  if (!entry) {
    snaps_.SetParam(channel, id, value);
    return;
  }
  const Place& place = *entry;
  switch (place.kind) {
    case kPlain:
      PutField(record_ + place.offset, place.storage, std::min(value, place.max));
      break;
    case kBit:
      Store(record_ + place.offset, static_cast<std::uint8_t>(place.storage),
            std::min(value, place.max));
      break;
    case kCoupled:
      PutField(record_ + place.offset, place.storage, std::min(value, place.max));
      KeepThresholds(
          id,
          [&](int read) {
            const Place& p = *PlaceOf(channel, read);
            return p.kind == kCoupled ? LoadField(record_ + p.offset, p.storage) : -1;
          },
          [&](int write, int kept) {
            const Place& p = *PlaceOf(channel, write);
            PutField(record_ + p.offset, p.storage, std::min(kept, p.max));
          });
      break;
    default:
      break;
  }
}

LinkedSet TQ730SNAP::LinkedChannels(int channel, int id) const {
  if (!System()) return {};
  const std::uint8_t* pair = const_cast<TQ730SNAP*>(this)->PairBytes(channel);
  return LinkedChannelsOf(*System(), channel, id, pair ? pair[0] : kMono);
}

TQ730CUE::TQ730CUE() : TQ730(kCue, "cue.dat", kRecordSize, 99) {
  SetParamTable(kCueParams);
}

Status TQ730CUE::Load(DataFile& file) {
  return LoadRecordChunk(file);
}

bool TQ730CUE::CanDo(int index, int op) const {
  if (op == kOpStore || op == kOpRecall) return false;
  return TQ730::CanDo(index, op);
}

int TQ730CUE::NewRecord(int) {
  if (!CanDo(-1, kOpNew)) return -1;
  const std::uint32_t time = Count() > 0 ? Time(Count() - 1) : kFirstCueTime;
  std::fill(selected_.begin(), selected_.end(), 0);
  const int index = AppendRecord();
  PutU32(Record(index).data(), time);
  SetName(index, DefaultRecordName(index + 1));
  SetSelected(index, true);
  return index;
}

void TQ730CUE::SetParam(int index, int id, int value) {
  edit_enabled_ = true;
  TQ730::SetParam(index, id, value);
  if (id != kParamCueTime || TitleLocked() || Record(index).empty()) return;
  std::array<std::uint8_t, kRecordSize> changed;
  std::ranges::copy(Record(index), changed.begin());
  SortByTime();
  for (int i = 0; i < Count(); ++i) {
    if (SameCue(Record(i), changed)) {
      SetCurrentRecord(i);
      break;
    }
  }
  if (System()) System()->SetInitialCue(Time(0));
}

std::uint32_t TQ730CUE::Time(int cue) const {
  return cue >= 0 && cue < Count() ? CueTime(Record(cue)) : 0;
}

void TQ730CUE::SortByTime() {
  const int n = Count();
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  // Stable, so that cues at the same time keep the order the user gave them.
  std::ranges::stable_sort(order, {}, [this](int i) { return Time(i); });
  std::vector<std::uint8_t> records(records_.size());
  std::vector<std::uint8_t> selected(selected_.size());
  for (int k = 0; k < n; ++k) {
    auto from = Record(order[k]);
    std::ranges::copy(from, records.begin() + static_cast<std::ptrdiff_t>(k) * kRecordSize);
    selected[k] = selected_[order[k]];
  }
  records_.swap(records);
  selected_.swap(selected);
}

void TQ730CUE::ResolveReferences(const TQ730SNAP& snapshots, const TQ730EQLIB& eq,
                                 const TQ730DYLIB& dynamics) {
  for (int cue = 0; cue < Count(); ++cue) {
    const TQ730* target = nullptr;
    switch (Record(cue)[kCueKindOffset]) {
      case kRecallSnapshot:
        target = &snapshots;
        break;
      case kRecallEq:
        target = &eq;
        break;
      case kRecallDynamics:
        target = &dynamics;
        break;
      default:
        continue;
    }
    // Compared with the number as loaded, not with a position set on the way.
    const int stored = Record(cue)[kCueReferenceOffset];
    for (int i = 0; i < target->Count(); ++i) {
      if (target->RecordNumber(i) == stored) SetParam(cue, kParamCueEventNumber, i + 1);
    }
  }
}

void TQ730CUE::RepointReferences(int recall_kind, const std::vector<int>& moved) {
  for (int cue = 0; cue < Count(); ++cue) {
    std::uint8_t* record = Record(cue).data();
    if (record[kCueKindOffset] != recall_kind) continue;
    const std::size_t old = record[kCueReferenceOffset];
    if (old == 0 || old >= moved.size()) continue;
    const int now = moved[old];
    record[kCueReferenceOffset] = static_cast<std::uint8_t>(now);
    if (now == 0) record[kCueKindOffset] = kRecallNone;
  }
}

}  // namespace orb
