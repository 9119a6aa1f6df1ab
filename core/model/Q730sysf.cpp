#include "core/model/Q730sysf.h"

#include <algorithm>
#include <cstring>

#include "core/model/DebugLog.h"
#include "core/model/FaderLaw.h"
#include "core/model/ParamIds.h"
#include "core/model/ParamModel.h"
#include "core/model/Q730classes.h"
#include "core/model/SystemSettings.h"
#include "core/model/TitleInfoView.h"

namespace orb {
namespace {

// Group sizes: input, MTR, AUX, RTN, master, then the routing counts.
constexpr int kNormalRow[10] = {48, 8, 8, 8, 1, 8, 48, 6, 0, 0};
constexpr int kHighRateRow[10] = {24, 4, 2, 4, 1, 4, 24, 2, 0, 0};

constexpr int kStateWordOffset = 292;

// The 16-bit fader index inside the strip of each group.
constexpr int kLevelOffset[5] = {10, 0, 0, 0, 0};
constexpr int kFirstSlotOfGroup[5] = {0, 48, 56, 64, 72};

}  // namespace

TQ730SYSF::TQ730SYSF() : TQ730(kSystem, "sysf.dat", kBlockSize, -1) {
  name_length_ = kNameSlot;
  system_ = this;
  // Slots that no channel of the layout fills save as 0 dB rather than as the bare bias.
  for (int slot = 0; slot < kFaderSlots; ++slot) SetGroupFaderLevel(slot, 0);
}

TitleInfoView TQ730SYSF::Info() const {
  return TitleInfoView(std::span(block_).first<kTitleInfoSize>());
}

TitleInfoWriter TQ730SYSF::Info() {
  return TitleInfoWriter(std::span(block_).first<kTitleInfoSize>());
}

int TQ730SYSF::TimecodeMode() const {
  return Info().TimecodeMode();
}
int TQ730SYSF::SampleRateMode() const {
  return Info().SampleRateMode();
}
bool TQ730SYSF::Locked() const {
  return Info().Locked();
}
std::uint32_t TQ730SYSF::InitialCue() const {
  return Info().InitialCue();
}
void TQ730SYSF::SetInitialCue(std::uint32_t bcd) {
  Info().SetInitialCue(bcd);
}

bool TQ730SYSF::HighRate() const {
  // Only 2 and 3 are the high rates; a foreign code keeps the normal layout.
  return SampleRateMode() == 2 || SampleRateMode() == 3;
}

// The three layouts a title can have, worked out once: channel kinds are asked
// for on every parameter access.
struct ChannelLayout {
  std::array<int, 10> size{};
  std::array<int, 11> first{};
  std::array<std::int8_t, 80> kind{};
  int count = 0;
};

namespace {

constexpr int kHighSurroundRow[10] = {24, 6, 2, 4, 0, 4, 24, 2, 0, 0};

constexpr ChannelLayout MakeLayout(const int (&row)[10]) {
  ChannelLayout layout;
  for (int g = 0; g < 10; ++g) {
    layout.size[g] = row[g];
    layout.first[g + 1] = layout.first[g] + row[g];
  }
  layout.count = layout.first[kGroupPGM + 1];
  for (int g = kGroupInput; g <= kGroupPGM; ++g) {
    for (int c = layout.first[g]; c < layout.first[g + 1]; ++c)
      layout.kind[c] = static_cast<std::int8_t>(g);
  }
  return layout;
}

constexpr ChannelLayout kLayouts[3] = {MakeLayout(kNormalRow), MakeLayout(kHighRateRow),
                                       MakeLayout(kHighSurroundRow)};

}  // namespace

const ChannelLayout& TQ730SYSF::CurrentLayout() const {
  return kLayouts[!HighRate() ? 0 : block_[131] != 0 ? 2 : 1];
}

int TQ730SYSF::GroupSize(int g) const {
  return g < 0 || g >= 10 ? 0 : CurrentLayout().size[g];
}

int TQ730SYSF::ChannelCount() const {
  return CurrentLayout().count;
}

int TQ730SYSF::FirstChannelOf(int kind) const {
  return CurrentLayout().first[std::clamp(kind, 0, 10)];
}

int TQ730SYSF::ChannelKind(int channel) const {
  const ChannelLayout& layout = CurrentLayout();
  return channel < 0 || channel >= layout.count ? -1 : layout.kind[channel];
}

std::string TQ730SYSF::NumberText(int index) const {
  const int g = ChannelKind(index);
  if (g < 0) return {};
  const std::string n = std::to_string(index - FirstChannelOf(g) + 1);
  switch (g) {
    case kGroupInput:
      return (n.size() < 2 ? "CH " : "CH") + n;
    case kGroupMTR:
      return "MTR" + n;
    case kGroupAUX:
      return "AUX" + n;
    case kGroupRTN:
      return "RTN" + n;
    default:
      return "PGM";
  }
}

std::string TQ730SYSF::NameText(int index) const {
  if (index < 0 || index >= kFaderSlots) return {};
  return SlotText(block_.data() + kNamesOffset + kNameSlot * index, kNameSlot);
}

void TQ730SYSF::SetName(int index, std::string_view text) {
  if (index < 0 || index >= kFaderSlots) return;
  SetSlotText(block_.data() + kNamesOffset + kNameSlot * index, kNameSlot, text);
}

bool TQ730SYSF::IsSelected(int index) const {
  return index >= 0 && index < std::min(ChannelCount(), kFaderSlots) &&
         channel_selected_[index] != 0;
}

void TQ730SYSF::SetSelected(int index, bool on) {
  if (index >= 0 && index < std::min(ChannelCount(), kFaderSlots))
    channel_selected_[index] = on ? 1 : 0;
}

bool TQ730SYSF::CanDo(int index, int op) const {
  if (op == kOpCut || op == kOpDelete || op == kOpStore || op == kOpRecall) return false;
  return TQ730::CanDo(index, op);
}

std::span<std::uint8_t> TQ730SYSF::ParamBytes(int channel) {
  const int g = ChannelKind(channel);
  if (g < 0) return {};
  const ChannelPlace& place = kChannelPlaces[g];
  const int at = place.strip_system + place.strip_size * (channel - FirstChannelOf(g));
  return {block_.data() + at, static_cast<std::size_t>(place.strip_size)};
}

int TQ730SYSF::StoredFaderIndex(int channel) const {
  const int g = ChannelKind(channel);
  if (g < 0) return -1;
  return GetU16(ParamBlock(channel) + kLevelOffset[g]);
}

namespace {

// Offset of a block inside the strip of each channel group; -1 where there is none.
constexpr int kDynamicsAt[5] = {40, 24, 24, -1, 24};
constexpr int kEqAt[5] = {20, 4, 4, -1, 4};
constexpr int kFilterAt[5] = {14, -1, -1, -1, -1};

std::uint8_t* BlockInStrip(TQ730SYSF& system, int channel, const int (&at)[5]) {
  const int g = system.ChannelKind(channel);
  if (g < 0 || at[g] < 0) return nullptr;
  return system.ParamBlock(channel) + at[g];
}

}  // namespace

std::uint8_t* TQ730SYSF::DynamicsBlock(int channel) {
  return BlockInStrip(*this, channel, kDynamicsAt);
}

std::uint8_t* TQ730SYSF::EqBlock(int channel) {
  return BlockInStrip(*this, channel, kEqAt);
}

std::uint8_t* TQ730SYSF::FilterBlock(int channel) {
  return BlockInStrip(*this, channel, kFilterAt);
}

int TQ730SYSF::FaderSlotOf(int channel) const {
  const int g = ChannelKind(channel);
  if (g < 0) return -1;
  return kFirstSlotOfGroup[g] + channel - FirstChannelOf(g);
}

std::int32_t TQ730SYSF::GroupFaderLevel(int slot) const {
  if (slot < 0 || slot >= kFaderSlots) return 0;
  return static_cast<std::int32_t>(GetU32(group_faders_.data() + 4 * slot) - kLevelBias);
}

std::optional<std::int32_t> TQ730SYSF::GroupLevel(int channel) const {
  const int slot = FaderSlotOf(channel);
  if (slot < 0) return std::nullopt;
  return GroupFaderLevel(slot);
}

void TQ730SYSF::SetGroupFaderLevel(int slot, std::int32_t hundredths) {
  if (slot < 0 || slot >= kFaderSlots) return;
  PutU32(group_faders_.data() + 4 * slot, static_cast<std::uint32_t>(hundredths) + kLevelBias);
}

Status TQ730SYSF::Assign(const TQ730& source) {
  const auto* other = dynamic_cast<const TQ730SYSF*>(&source);
  if (!other) return kFailed;
  CopyBaseFrom(source);
  block_ = other->block_;
  group_faders_ = other->group_faders_;
  group_faders_present_ = other->group_faders_present_;
  group_faders_in_file_ = other->group_faders_in_file_;
  channel_selected_ = other->channel_selected_;
  system_ = this;
  LogLine("Backup  " + header_.Name() + " : " + std::to_string(Count()));
  return kOk;
}

bool TQ730SYSF::SameData(const TQ730& other) const {
  if (!TQ730::SameData(other)) return false;
  const auto& o = static_cast<const TQ730SYSF&>(other);
  return block_ == o.block_ && group_faders_ == o.group_faders_ &&
         group_faders_present_ == o.group_faders_present_ &&
         group_faders_in_file_ == o.group_faders_in_file_;
}

Status TQ730SYSF::Load(DataFile& file) {
  Status status = ReadHeader(file);
  if (status == kOk && header_.Size() != kBlockSize) status = kReadError;
  if (status == kOk && file.Read(block_.data(), kBlockSize) != kBlockSize) status = kReadError;
  name_length_ = kNameSlot;
  loaded_ = status == kOk;
  kind_ = kSystem;
  system_ = this;
  group_faders_present_ = group_faders_in_file_ = false;
  return status;
}

Status TQ730SYSF::Save(DataFile& file) {
  Status status = WriteHeader(file, kBlockSize);
  if (status != kOk) return status;
  StoreChecksum(block_.data(), kBlockSize);
  return file.Write(block_.data(), kBlockSize) == kBlockSize ? kOk : kWriteError;
}

Status TQ730SYSF::LoadGroupFaders(DataFile& file) {
  ChunkHeader header;
  if (file.Read(header.bytes.data(), header.bytes.size()) != header.bytes.size()) return kReadError;
  std::string name = header.Name();
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
  if (name != "gfed.dat") {
    // Not ours: leave it for the next loader.
    file.Skip(-16);
    return kOk;
  }
  LogLine("Loading " + header.Name() + "  ChunkSize = 0x" + Hex8(header.Size()));
  if (header.Size() != kGroupFaderSize) return kReadError;
  std::array<std::uint8_t, kGroupFaderSize> bytes;
  if (file.Read(bytes.data(), bytes.size()) != bytes.size()) return kReadError;
  group_faders_ = bytes;
  for (int slot = 0; slot < kFaderSlots; ++slot) {
    std::uint8_t* p = group_faders_.data() + 4 * slot;
    PutU32(p, GetU32(p) + kLevelBias);
  }
  group_faders_present_ = group_faders_in_file_ = true;
  return kOk;
}

void TQ730SYSF::CompleteGroupFaders() {
  if (group_faders_present_ && GroupFaderState() != 1) return;
  // Every slot starts from the fader level stored in the channel's own strip.
  for (int channel = 0, n = ChannelCount(); channel < n; ++channel) {
    SetGroupFaderLevel(FaderSlotOf(channel), FaderTenths(StoredFaderIndex(channel)) * 10);
  }
  PutU16(group_faders_.data() + kStateWordOffset, group_faders_present_ ? 2 : 0);
  group_faders_present_ = true;
}

Status TQ730SYSF::SaveGroupFaders(DataFile& file) {
  ChunkHeader header;
  header.SetName("gfed.dat");
  header.SetSize(kGroupFaderSize);
  if (file.Write(header.bytes.data(), header.bytes.size()) != header.bytes.size())
    return kWriteError;
  std::array<std::uint8_t, kGroupFaderSize> plain = group_faders_;
  for (int slot = 0; slot < kFaderSlots; ++slot) {
    std::uint8_t* p = plain.data() + 4 * slot;
    PutU32(p, GetU32(p) - kLevelBias);
  }
  StoreChecksum(plain.data(), kGroupFaderSize);
  return file.Write(plain.data(), plain.size()) == plain.size() ? kOk : kWriteError;
}

// ---- parameters ---------------------------------------------------------------------

namespace {

constexpr int kIsolateBytes = 466;  // 128, one byte per fader slot
constexpr int kSyncClock = 132;
constexpr int kTitleTcMode = 40;
constexpr int kManualGroup = 343;
constexpr int kMasterLocks = 376;  // 171: byte 376 - i for PGM, AUX, MTR
constexpr int kInsertions = 8868;  // 140, every second byte
constexpr int kInsertionPoints = 8;
constexpr int kInsertionMax = 18;
constexpr int kIsolateFunctionBytes[9] = {546, 542, 543, 541, 545, 544, 547, 540, 539};
constexpr int kMidiBytes[8] = {321, 320, 322, 323, 325, 324, 327, 326};

// A system parameter held in an array of the block: element i at offset + stride i, with a
// fixed element count or the count of a channel group of the layout.
struct SystemPlace {
  int id;
  int offset;
  int stride;
  int count;
  int layout_group;
  int width;
};
constexpr SystemPlace kSystemPlaces[] = {
    {130, 8852, 2, 8, 5, 1},  {131, 8844, 1, 6, 7, 1},  {132, 8850, 1, 1, -1, 1},
    {133, 656, 1, 8, -1, 1},  {134, 664, 1, 8, -1, 1},  {135, 672, 1, 8, -1, 1},
    {136, 680, 1, 8, -1, 1},  {137, 688, 1, 8, -1, 1},  {138, 654, 1, 2, -1, 1},
    {139, 696, 1, 48, 6, 1},  {140, 8868, 2, 8, 5, 1},  {141, 8869, 2, 8, 5, 1},
    {142, 8794, 6, 8, -1, 1}, {143, 8795, 6, 8, -1, 1}, {144, 8796, 6, 8, -1, 1},
    {146, 652, 1, 1, -1, 1},  {147, 653, 1, 1, -1, 1},  {153, 139, 1, 1, -1, 1},
    {154, 145, 1, 1, -1, 2},  {155, 144, 1, 1, -1, 1},  {156, 156, 1, 1, -1, 4},
    {160, 132, 1, 1, -1, 3},  {161, 131, 1, 1, -1, 1},  {170, 377, 1, 7, -1, 1},
    {171, 376, -1, 3, -1, 1}, {172, 343, 1, 1, -1, 1},
};

struct Field {
  int offset = -1;
  int width = 1;
};

// Where element of a system parameter lies; offset -1 when the element does not exist.
Field SystemField(const TQ730SYSF& system, int id, int element) {
  if (element < 0) return {};
  switch (id) {
    case kParamSnapshotIsolate: {
      const int slot = system.FaderSlotOf(element);
      return slot < 0 ? Field{} : Field{kIsolateBytes + slot};
    }
    case kParamIsolateFunction:
      return element < 9 ? Field{kIsolateFunctionBytes[element]} : Field{};
    case kParamStereoLinkFunction:
    case kParamSurroundLinkFunction: {
      if (element >= static_cast<int>(kLinkFunctions.size())) return {};
      const int p = kLinkFunctions[element].position;
      return {id == kParamStereoLinkFunction ? kStereoFunctions + p : kSurroundRecords + 3 * p};
    }
    case kParamSyncInternal:
    case kParamSyncVideo:
    case kParamSyncWord:
      return element == 0 ? Field{kSyncClock} : Field{};
    default:
      if (id >= kParamMidiRxChannel && id <= kParamMidiPcTx)
        return element == 0 ? Field{kMidiBytes[id - kParamMidiRxChannel]} : Field{};
      break;
  }
  for (const SystemPlace& place : kSystemPlaces) {
    if (place.id != id) continue;
    const int count = place.layout_group >= 0 ? system.GroupSize(place.layout_group) : place.count;
    if (element >= count) return {};
    return {place.offset + place.stride * element, place.width};
  }
  return {};
}

std::uint32_t ReadField(const std::uint8_t* p, int width) {
  std::uint32_t value = 0;
  for (int i = width; i-- > 0;) value = value << 8 | p[i];
  return value;
}

void WriteField(std::uint8_t* p, int width, std::uint32_t value) {
  for (int i = 0; i < width; ++i, value >>= 8) p[i] = static_cast<std::uint8_t>(value);
}

// The bytes of the channel's pair (link mode first); null where the kind has no pairs.
std::uint8_t* PairOf(TQ730SYSF& system, int channel) {
  const int kind = system.ChannelKind(channel);
  if (kind < 0) return nullptr;
  const ChannelPlace& place = kChannelPlaces[kind];
  const int pair = (channel - system.FirstChannelOf(kind)) / 2;
  if (place.pair_stride == 0 || pair >= place.pair_count) return nullptr;
  return system.Block().data() + place.pair_system + place.pair_stride * pair;
}
const std::uint8_t* PairOf(const TQ730SYSF& system, int channel) {
  return PairOf(const_cast<TQ730SYSF&>(system), channel);
}

bool MasterLocked(const TQ730SYSF& system, int channel) {
  int element;
  switch (system.ChannelKind(channel)) {
    case kGroupPGM:
      element = 0;
      break;
    case kGroupAUX:
      element = 1;
      break;
    case kGroupMTR:
      element = 2;
      break;
    default:
      return false;
  }
  return system.Block()[kMasterLocks - element] != 0;
}

std::uint8_t* GroupBytes(TQ730SYSF& system, int group) {
  if (group < 0 || group >= kFaderGroups) return nullptr;
  return system.Block().data() + kGroupBytesSystem + kGroupStride * group;
}

// 151 and 152 act on the bit masks of all sixteen surround link records at once.
void SetSurroundLink(TQ730SYSF& system, int id, int element, bool on) {
  if (id == kParamSurroundLinkMask ? element < 0 || element > 7 : element < 1 || element > 0xFF)
    return;
  const auto bits =
      static_cast<std::uint8_t>(id == kParamSurroundLinkMask ? 1 << element : element);
  const auto single = [](int b) { return b == 1 || b == 2 || b == 4; };
  for (int r = 0; r < kSurroundRecordCount; ++r) {
    std::uint8_t* record = system.Block().data() + kSurroundRecords + 3 * r;
    if (id == kParamSurroundLinkMask) {
      if (on) {
        record[1] |= bits;
      } else {
        record[1] &= ~bits;
        record[2] &= ~bits;
      }
      if (single(record[2])) record[1] = record[2] = 0;
    } else {
      if (on) {
        record[2] |= bits;
        record[1] = static_cast<std::uint8_t>((record[1] & ~2) | (record[2] & 7));
      } else {
        record[2] &= ~bits;
      }
      if (single(record[2])) record[2] = 0;
    }
  }
}

}  // namespace

bool TQ730SYSF::GroupGoverned(int channel) const {
  if (ChannelKind(channel) < 0 || block_[kManualGroup] == 0) return false;
  const int g = TQ730::GetParam(channel, kParamFaderGroup) - 1;
  if (g < 0 || g >= kFaderGroups) return false;
  const std::uint8_t* group = block_.data() + kGroupBytesSystem + kGroupStride * g;
  return group[0] == 0 && group[1] != 0;
}

void TQ730SYSF::RenewFaderSlot(int channel) {
  const int slot = FaderSlotOf(channel);
  if (slot >= 0) SetGroupFaderLevel(slot, FaderTenths(StoredFaderIndex(channel)) * 10);
}

const ParamDescriptor* TQ730SYSF::FindParam(int channel, int id) const {
  if (IsSystemParam(id)) return FindSystemParam(id);
  return FindStripParam(ChannelKind(channel), id, SampleRateMode());
}

int TQ730SYSF::GetParam(int channel, int id) const {
  switch (id) {
    case kParamLinkMode: {
      const std::uint8_t* pair = PairOf(*this, channel);
      return pair ? pair[0] : -1;
    }
    case kParamStereoReverse:
    case kParamStereoLPlusR:
    case kParamStereoMsDecode: {
      const std::uint8_t* pair = PairOf(*this, channel);
      if (!pair || ChannelKind(channel) != kGroupInput) return -1;
      return (pair[1] & StereoFunctionBit(id)) ? 1 : 0;
    }
    case kParamFaderLevel:
      if (GroupGoverned(channel))
        return NearestFaderIndex(GroupFaderLevel(FaderSlotOf(channel)) / 100.0);
      return TQ730::GetParam(channel, id);
    case kParamGroupFaderLevel: {
      const int slot = FaderSlotOf(channel);
      return slot < 0 ? -1 : GroupFaderLevel(slot);
    }
    case kParamUnderGroupMaster:
      return ChannelKind(channel) < 0 ? -1 : GroupGoverned(channel) ? 1 : 0;
    case kParamSurroundLinkMask:
      return channel >= 0 && channel < 8 ? (block_[kSurroundRecords + 1] >> channel) & 1 : -1;
    case kParamSurroundLinkMode:
      if (channel < 1 || channel > 0xFF) return -1;
      return (block_[kSurroundRecords + 2] & channel) == channel ? 1 : 0;
    case kParamSyncInternal:
    case kParamSyncVideo:
    case kParamSyncWord: {
      if (channel != 0) return -1;
      const int clock = block_[kSyncClock];
      if (id == kParamSyncInternal) return clock == 0 ? 1 : 0;
      if (id == kParamSyncVideo) return clock == 2 ? 1 : 0;
      return clock != 0 && clock != 2 ? 1 : 0;
    }
    default:
      break;
  }
  if (!IsSystemParam(id)) return TQ730::GetParam(channel, id);
  const Field field = SystemField(*this, id, channel);
  if (field.offset < 0) return -1;
  return static_cast<int>(ReadField(block_.data() + field.offset, field.width));
}

void TQ730SYSF::SetParam(int channel, int id, int value) {
  // The system pages are always editable unless the title is locked.
  edit_enabled_ = true;
  if (TitleLocked()) return;
  switch (id) {
    case kParamDelayUnit:
      // One delay unit for all input channels.
      if (value < 0 || ChannelKind(channel) != kGroupInput) return;
      for (int k = 0, n = GroupSize(kGroupInput); k < n; ++k) {
        const ChannelPlace& input = kChannelPlaces[kGroupInput];
        block_[input.strip_system + input.strip_size * k + 5] =
            static_cast<std::uint8_t>(std::min(value, 4));
      }
      return;
    case kParamDynamicsLink:
      if (value >= 0 && !CanLinkDynamics(*this, channel)) value = 0;
      TQ730::SetParam(channel, id, value);
      return;
    case kParamLinkMode: {
      std::uint8_t* pair = PairOf(*this, channel);
      const ParamDescriptor* row = FindParam(channel, id);
      if (!pair || !row || value < 0) return;
      pair[0] = static_cast<std::uint8_t>(std::min(value, row->max));
      if (ChannelKind(channel) == kGroupInput && pair[0] != kStereo) pair[1] &= ~7;
      return;
    }
    case kParamStereoReverse:
    case kParamStereoLPlusR:
    case kParamStereoMsDecode: {
      std::uint8_t* pair = PairOf(*this, channel);
      if (!pair || ChannelKind(channel) != kGroupInput || value < 0 || pair[0] != kStereo) return;
      const auto bit = static_cast<std::uint8_t>(StereoFunctionBit(id));
      pair[1] = value ? pair[1] | bit : pair[1] & ~bit;
      return;
    }
    case kParamFaderLevel:
      if (value < 0 || GroupGoverned(channel)) return;
      if (MasterLocked(*this, channel)) value = kFaderNominal;
      TQ730::SetParam(channel, id, value);
      if (FindParam(channel, id)) RenewFaderSlot(channel);
      return;
    case kParamGroupFaderLevel: {
      if (!GroupGoverned(channel)) return;
      const bool locked = MasterLocked(*this, channel);
      if (locked) value = 0;
      SetGroupFaderLevel(FaderSlotOf(channel), value);
      // A locked master stays at the nominal position, as a write of its fader does.
      TQ730::SetParam(channel, kParamFaderLevel,
                      locked ? kFaderNominal : NearestFaderIndex(value / 100.0));
      return;
    }
    case kParamFaderGroup: {
      if (value < 0) return;
      TQ730::SetParam(channel, id, value);
      const int g = TQ730::GetParam(channel, id) - 1;
      const std::uint8_t* group = GroupBytes(*this, g);
      if (group && group[0] == 0 && GroupGoverned(channel)) RenewFaderSlot(channel);
      return;
    }
    case kParamInsertion:
      if (value > kInsertionMax) return;
      // Each insertion point is taken by one element at most.
      for (int i = 0; value > 0 && i < kInsertionPoints; ++i) {
        if (i != channel && block_[kInsertions + 2 * i] == value) return;
      }
      break;
    case kParamUnderGroupMaster:
      return;
    case kParamSurroundLinkMask:
    case kParamSurroundLinkMode:
      if (value >= 0) SetSurroundLink(*this, id, channel, value != 0);
      return;
    case kParamTempo:
      if (value >= 0) value = std::clamp(value, 30, 250);
      break;
    case kParamSyncInternal:
    case kParamSyncVideo:
    case kParamSyncWord:
      if (channel == 0 && value > 0)
        block_[kSyncClock] = id == kParamSyncInternal ? 0 : id == kParamSyncVideo ? 2 : 1;
      return;
    default:
      break;
  }
  if (!IsSystemParam(id)) {
    TQ730::SetParam(channel, id, value);
    return;
  }
  const Field field = SystemField(*this, id, channel);
  if (field.offset < 0 || value < 0) return;
  value = std::min(value, FindSystemParam(id)->max);
  WriteField(block_.data() + field.offset, field.width, static_cast<std::uint32_t>(value));
  if (id == kParamTcMode) block_[kTitleTcMode] = static_cast<std::uint8_t>(value);
  if (id == kParamGroupOn && value != 0 && block_[kManualGroup] != 0 &&
      block_[field.offset - 1] == 0) {
    for (int c = 0, n = ChannelCount(); c < n; ++c) {
      if (TQ730::GetParam(c, kParamFaderGroup) == channel + 1) RenewFaderSlot(c);
    }
  }
  if (id == kParamManualGroup && value != 0) {
    for (int c = 0, n = ChannelCount(); c < n; ++c) RenewFaderSlot(c);
  }
}

namespace {

// Switches the manual-group switch off for as long as it lives, then back to on where it was
// on (which renews every channel's group-fader level from its fader).
class ManualGroupOff {
 public:
  explicit ManualGroupOff(TQ730SYSF& system)
      : system_(system), was_on_(system.GetParam(0, kParamManualGroup) > 0) {
    system_.SetParam(0, kParamManualGroup, 0);
  }
  ~ManualGroupOff() { system_.SetParam(0, kParamManualGroup, was_on_ ? 1 : 0); }
  ManualGroupOff(const ManualGroupOff&) = delete;
  ManualGroupOff& operator=(const ManualGroupOff&) = delete;

 private:
  TQ730SYSF& system_;
  bool was_on_;
};

}  // namespace

void TQ730SYSF::CopyParamValue(int source, int dest) {
  if (source == dest) return;
  ManualGroupOff off(*this);
  TQ730::CopyParamValue(source, dest);
}

void TQ730SYSF::ResetParams(const ParamGroupList& groups) {
  ManualGroupOff off(*this);
  TQ730::ResetParams(groups);
}

std::span<const std::uint8_t> SystemSettingBytes(const TQ730SYSF& system, int element, int id) {
  const Field field = SystemField(system, id, element);
  if (field.offset < 0) return {};
  return system.Block().subspan(static_cast<std::size_t>(field.offset),
                                static_cast<std::size_t>(field.width));
}

TQ730::ParamSource TQ730SYSF::SourceOf(int channel, int id) const {
  if (id == kParamLinkMode || (id >= kParamStereoReverse && id <= kParamStereoMsDecode)) {
    const std::uint8_t* pair = PairOf(*this, channel);
    if (!pair) return {};
    if (id == kParamLinkMode) return {pair, kStoreByte};
    if (ChannelKind(channel) != kGroupInput) return {};
    return {pair + 1, kStoreByte, static_cast<std::uint8_t>(StereoFunctionBit(id))};
  }
  return TQ730::SourceOf(channel, id);
}

LinkedSet TQ730SYSF::LinkedChannels(int channel, int id) const {
  const std::uint8_t* pair = PairOf(*this, channel);
  return LinkedChannelsOf(*this, channel, id, pair ? pair[0] : kMono);
}

}  // namespace orb
