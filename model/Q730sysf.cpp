#include <algorithm>
#include <cstring>

#include "model/DebugLog.h"
#include "model/Q730classes.h"
#include "pages/FaderLaw.h"

namespace orb {
namespace {

// Group sizes: input, MTR, AUX, RTN, master, then the routing counts.
constexpr int kNormalRow[10] = {48, 8, 8, 8, 1, 8, 48, 6, 0, 0};
constexpr int kHighRateRow[10] = {24, 4, 2, 4, 1, 4, 24, 2, 0, 0};

constexpr int kNamesOffset = 8996;
constexpr int kNameSlot = 8;
constexpr int kStateWordOffset = 292;

// Where the strip of the first channel of a group lies and how long each is.
struct StripPlace {
  int first;
  int size;
  int level_offset;  // the 16-bit fader index inside the strip
};
constexpr StripPlace kStrips[5] = {
    {1260, 132, 10},  // input channels
    {8404, 48, 0},    // MTR
    {8012, 48, 0},    // AUX
    {7700, 32, 0},    // RTN
    {7956, 48, 0},    // master
};
constexpr int kFirstSlotOfGroup[5] = {0, 48, 56, 64, 72};

}  // namespace

TQ730SYSF::TQ730SYSF() : TQ730(kSystem, "sysf.dat", kBlockSize, -1) {
  name_length_ = kNameSlot;
  system_ = this;
  // Slots that no channel of the layout fills save as 0 dB rather than as the bare bias.
  for (int slot = 0; slot < kFaderSlots; ++slot) SetGroupFaderLevel(slot, 0);
}

bool TQ730SYSF::HighRate() const {
  // Only 2 and 3 are the high rates; a foreign code keeps the normal layout.
  return SampleRateMode() == 2 || SampleRateMode() == 3;
}

int TQ730SYSF::GroupSize(int g) const {
  if (g < 0 || g >= 10) return 0;
  if (!HighRate()) return kNormalRow[g];
  if (block_[131] != 0) {
    if (g == kGroupMTR) return 6;
    if (g == kGroupPGM) return 0;
  }
  return kHighRateRow[g];
}

int TQ730SYSF::ChannelCount() const {
  int n = 0;
  for (int g = kGroupInput; g <= kGroupPGM; ++g) n += GroupSize(g);
  return n;
}

int TQ730SYSF::FirstChannelOf(int kind) const {
  int first = 0;
  for (int g = 0; g < kind && g < 10; ++g) first += GroupSize(g);
  return first;
}

int TQ730SYSF::ChannelKind(int channel) const {
  if (channel < 0) return -1;
  for (int g = kGroupInput; g <= kGroupPGM; ++g) {
    if (channel < FirstChannelOf(g + 1)) return g;
  }
  return -1;
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
  const StripPlace& strip = kStrips[g];
  const int at = strip.first + strip.size * (channel - FirstChannelOf(g));
  return {block_.data() + at, static_cast<std::size_t>(strip.size)};
}

void TQ730SYSF::SetParam(int channel, int id, int value) {
  // The system pages are always editable unless the title is locked.
  edit_enabled_ = true;
  TQ730::SetParam(channel, id, value);
}

int TQ730SYSF::StoredFaderIndex(int channel) const {
  const int g = ChannelKind(channel);
  if (g < 0) return -1;
  return GetU16(ParamBlock(channel) + kStrips[g].level_offset);
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
  channel_selected_ = other->channel_selected_;
  system_ = this;
  LogLine("Backup  " + header_.Name() + " : " + std::to_string(Count()));
  return kOk;
}

Status TQ730SYSF::Load(DataFile& file) {
  Status status = ReadHeader(file);
  if (status == kOk && header_.Size() != kBlockSize) status = kReadError;
  if (status == kOk && file.Read(block_.data(), kBlockSize) != kBlockSize) status = kReadError;
  name_length_ = kNameSlot;
  loaded_ = status == kOk;
  kind_ = kSystem;
  system_ = this;
  group_faders_present_ = false;
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
  group_faders_present_ = true;
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

}  // namespace orb
